#pragma once

// The hardened data file's first line, and how any first line tells the file's format.
//
//     KVF2 argon2id T M SALT ID CHECK N SEAL SUM
//
// T passes and M KiB of Argon2id over the master password with SALT give the keys; ID binds every
// enciphered column to this file; CHECK verifies the password; N counts the record lines; SEAL
// authenticates the header and the lines; SUM, an unkeyed checksum of the tokens before it, tells
// a damaged first line from a wrong password. Binary tokens are base64url (Base64Url.h).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr std::size_t Kvf2SaltSize = 16;
inline constexpr std::size_t Kvf2IdSize = 16;
inline constexpr std::size_t Kvf2DigestSize = 32; // CHECK and SEAL
inline constexpr std::size_t Kvf2SumSize = 16;

using TKvf2Salt = std::array<unsigned char, Kvf2SaltSize>;
using TKvf2Id = std::array<unsigned char, Kvf2IdSize>;
using TKvf2Digest = std::array<unsigned char, Kvf2DigestSize>;

// The cost of the key derivation: Argon2id passes and memory in KiB.
struct TKvf2Params {
    std::uint32_t Passes = 0;
    std::uint32_t MemoryKiB = 0;

    bool operator==(const TKvf2Params&) const = default;
};

inline constexpr TKvf2Params Kvf2DefaultParams{3, 524288}; // 512 MiB
inline constexpr std::uint32_t Kvf2MinPasses = 1;
inline constexpr std::uint32_t Kvf2MaxPasses = 10;
inline constexpr std::uint32_t Kvf2MinMemoryKiB = 8192;
inline constexpr std::uint32_t Kvf2MaxMemoryKiB = 1048576;
inline constexpr std::uint32_t Kvf2MemoryStepKiB = 1024;
inline constexpr std::uint32_t Kvf2MaxLineCount = 2147483647;

// T from 1 to 10; M a multiple of 1024 from 8192 to 1048576.
bool Kvf2ParamsValid(const TKvf2Params& params) noexcept;

struct TKvf2Header {
    TKvf2Params Params;
    TKvf2Salt Salt{};
    TKvf2Id Id{};
    TKvf2Digest Check{};
    std::uint32_t LineCount = 0; // N
    TKvf2Digest Seal{};
};

// The texts that the keys and checksums cover, exactly as written: tokens 1 to 6 (P, under CHECK),
// 1 to 8 (H, under SEAL), and the whole line with SUM computed.
std::string Kvf2PasswordText(const TKvf2Header& header);
std::string Kvf2SealedText(const TKvf2Header& header);
std::string FormatKvf2Header(const TKvf2Header& header);

// The longest first line that a sound header can be; a longer one is damaged, so a reader needs
// no more of a file's first line than this many bytes and one more.
inline constexpr std::size_t Kvf2HeaderMaxLength = 256;

enum class TFirstLineKind {
    Format1,       // anything that is no numbered format: a check line, or a wrong file
    Format2,       // tokens 1 to 7 keep their rules: the key derivation may run
    OtherVersion,  // another numbered format, or another key derivation: refused, nothing changed
    DamagedHeader, // format 2 whose tokens 1 to 7 break a rule: no key derivation runs
};

struct TKvf2HeaderRead {
    TFirstLineKind Kind = TFirstLineKind::Format1;
    // For Format2: tokens 1 to 7 (CHECK included), and N and SEAL when they keep their rules.
    TKvf2Header Header;
    // N and SEAL keep their rules, there are exactly ten tokens and SUM matches. When not, the
    // password decides: CHECK matching opens the file with a broken seal, else the header is
    // damaged (a changed first line, not a wrong password).
    bool TailIntact = false;
    std::optional<std::uint32_t> DeclaredLineCount; // N as written, when it keeps its rule
    // For OtherVersion: what the file names ("KVF3", or "KVF2 scrypt"), for the message.
    std::string OtherName;
};

// Reads a first line as ReadTextLine gives it.
TKvf2HeaderRead ReadKvf2FirstLine(std::string_view line);

// The messages for a first line that cannot be opened, and for a header asking too much memory.
std::string Kvf2DamagedHeaderMessage();
std::string Kvf2OtherVersionMessage(const TKvf2HeaderRead& read);
