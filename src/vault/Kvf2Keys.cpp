#include "vault/Kvf2Keys.h"

#include "platform/SystemMemory.h"

#include <sodium.h>

#include <new>
#include <stdexcept>
#include <thread>
#include <utility>

namespace {

constexpr char KeyContext[crypto_kdf_CONTEXTBYTES + 1] = "KVF2keys";
constexpr std::size_t MaxPasswordLength = 48;
constexpr std::uint64_t BytesPerMiB = 1024 * 1024;

std::uint64_t MemoryBytes(std::uint32_t memoryKiB) noexcept {
    return std::uint64_t{memoryKiB} * 1024;
}

std::string MiB(std::uint64_t bytes) {
    return std::to_string(bytes / BytesPerMiB) + " MiB";
}

} // namespace

std::string Kvf2MemoryProblem(std::uint32_t memoryKiB, std::uint64_t physicalBytes) {
    if (physicalBytes == 0 || MemoryBytes(memoryKiB) <= physicalBytes / 2)
        return {};
    return "The data file asks for " + MiB(MemoryBytes(memoryKiB)) +
           " of memory to check the master password, more than half of this computer's " +
           MiB(physicalBytes) + ". Nothing was opened or changed.";
}

std::string Kvf2MemoryProblem(std::uint32_t memoryKiB) {
    return Kvf2MemoryProblem(memoryKiB, PhysicalMemoryBytes());
}

TKvf2Keys DeriveKvf2Keys(std::string_view password, const TKvf2Params& params,
                         const TKvf2Salt& salt) {
    if (password.empty() || password.size() > MaxPasswordLength)
        throw EKeyError("A master password has 1 to 48 characters.");
    if (!Kvf2ParamsValid(params))
        throw EKvf2Refusal(Kvf2DamagedHeaderMessage());
    if (const std::string problem = Kvf2MemoryProblem(params.MemoryKiB); !problem.empty())
        throw EKvf2Refusal(problem);

    TSodiumBytes derived(Kvf2KeySize); // A
    if (crypto_pwhash(derived.Data(), derived.Size(), password.data(), password.size(), salt.data(),
                      params.Passes, static_cast<std::size_t>(MemoryBytes(params.MemoryKiB)),
                      crypto_pwhash_ALG_ARGON2ID13) != 0)
        throw std::bad_alloc(); // the only way it fails with valid parameters
    TSodiumBytes keys(3 * Kvf2KeySize);
    for (std::uint64_t id = 1; id <= 3; ++id)
        crypto_kdf_derive_from_key(keys.Data() + (id - 1) * Kvf2KeySize, Kvf2KeySize, id,
                                   KeyContext, derived.Data());
    derived.Free();
    return TKvf2Keys(std::move(keys));
}

std::future<TKvf2Keys> StartKvf2Derivation(std::string_view password, const TKvf2Params& params,
                                           const TKvf2Salt& salt) {
    std::promise<TKvf2Keys> promise;
    std::future<TKvf2Keys> keys = promise.get_future();
    // The thread owns everything it touches, so nobody has to wait for it: an abandoned result
    // is freed with the promise when the thread ends.
    std::thread([promise = std::move(promise), password = TSodiumBytes::CopyOf(password), params,
                 salt]() mutable {
        try {
            promise.set_value(DeriveKvf2Keys(password.View(), params, salt));
        } catch (...) {
            promise.set_exception(std::current_exception());
        }
    }).detach();
    return keys;
}

TKvf2Digest Kvf2CheckOf(const TKvf2Keys& keys, const TKvf2Header& header) {
    if (keys.Empty())
        throw std::logic_error("No keys to check the password with");
    const std::string text = Kvf2PasswordText(header);
    TKvf2Digest check{};
    crypto_generichash(check.data(), check.size(),
                       reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                       keys.CheckKey(), Kvf2KeySize);
    return check;
}

bool Kvf2PasswordMatches(const TKvf2Keys& keys, const TKvf2Header& header) {
    const TKvf2Digest check = Kvf2CheckOf(keys, header);
    return sodium_memcmp(check.data(), header.Check.data(), check.size()) == 0;
}
