#pragma once

// The hardened file's keys: Argon2id over the master password and SALT gives A, and A gives the
// three keys (password check, enciphering, seal) through libsodium's key derivation. The keys live
// in sodium_malloc memory; A is wiped as soon as they exist.

#include "base/Errors.h"
#include "vault/Kvf2Header.h"
#include "vault/SodiumMemory.h"

#include <cstdint>
#include <future>
#include <string>
#include <string_view>

inline constexpr std::size_t Kvf2KeySize = 32;

// A data file that cannot be opened or made as it stands: a damaged first line, another format, a
// key derivation asking for more memory than the machine may give. The message is for the user.
class EKvf2Refusal : public Exception {
public:
    using Exception::Exception;
};

// K_check, K_enc and K_seal. Move-only; the memory is wiped and freed when the holder goes or
// Clear is called.
class TKvf2Keys {
public:
    TKvf2Keys() noexcept = default;
    bool Empty() const noexcept { return FKeys.Empty(); }
    const unsigned char* CheckKey() const noexcept { return FKeys.Data(); }
    const unsigned char* EncipherKey() const noexcept { return FKeys.Data() + Kvf2KeySize; }
    const unsigned char* SealKey() const noexcept { return FKeys.Data() + 2 * Kvf2KeySize; }
    void Clear() noexcept { FKeys.Free(); }

private:
    friend TKvf2Keys DeriveKvf2Keys(std::string_view, const TKvf2Params&, const TKvf2Salt&);
    explicit TKvf2Keys(TSodiumBytes keys) noexcept : FKeys(std::move(keys)) {}

    TSodiumBytes FKeys;
};

// Empty when the derivation's memory (M * 1024 bytes) is at most half the physical memory;
// otherwise the sentence that refuses it, naming the amount. Unknown physical memory refuses
// nothing.
std::string Kvf2MemoryProblem(std::uint32_t memoryKiB, std::uint64_t physicalBytes);
std::string Kvf2MemoryProblem(std::uint32_t memoryKiB);

// The master password's bytes (1 to 48, as for the older format, so that a file can always go
// back to it) under the parameters and SALT. A pure function of its inputs, safe on any thread; it
// takes about a second at the defaults. Raises EKeyError for a password of another length and
// EKvf2Refusal for parameters that break their rules or ask too much memory, both before anything
// is allocated; std::bad_alloc when the memory cannot be had.
TKvf2Keys DeriveKvf2Keys(std::string_view password, const TKvf2Params& params,
                         const TKvf2Salt& salt);

// The same on a thread of its own, with its own copy of the password in locked memory, so that the
// caller may wipe its copy at once. The caller may stop waiting at any time and drop the future:
// the derivation then ends on its own and its keys are wiped and freed there. Errors arrive
// through the future.
std::future<TKvf2Keys> StartKvf2Derivation(std::string_view password, const TKvf2Params& params,
                                           const TKvf2Salt& salt);

// CHECK: BLAKE2b-256 of the password text (tokens 1 to 6) under K_check.
TKvf2Digest Kvf2CheckOf(const TKvf2Keys& keys, const TKvf2Header& header);
// Whether the keys make the header's CHECK, compared in constant time.
bool Kvf2PasswordMatches(const TKvf2Keys& keys, const TKvf2Header& header);
