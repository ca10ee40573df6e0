#pragma once

// The Blowfish block cipher: 64-bit blocks, sixteen rounds, keys of 1 to 56 bytes. The core knows
// nothing of chaining, padding or text; TBlowfish owns one and is its only user.
//
// The round code lives here and is forced inline (the compiler would otherwise call it once per
// block with the halves in memory), because the vault runs a full key schedule (521 block
// encipherments) for every record line and every password check.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

struct TBlowCore {
    std::array<std::uint32_t, 18> P{};
    std::array<std::uint32_t, 256> S0{};
    std::array<std::uint32_t, 256> S1{};
    std::array<std::uint32_t, 256> S2{};
    std::array<std::uint32_t, 256> S3{};
    // The block being enciphered or deciphered; bytes 0-3 are the left half, 4-7 the right, each
    // big-endian.
    std::array<std::uint8_t, 8> Block{};
    // The two words that EncipherHalves and DecipherHalves work on, each four bytes holding a
    // native word.
    std::uint8_t* LeftHalf = nullptr;
    std::uint8_t* RightHalf = nullptr;
};

// Copies the initial tables (pi's digits) into P and the S-boxes.
void LoadInitialTables(TBlowCore& core) noexcept;

// The key schedule. `key` holds at least `length` bytes, 1 to 56; the caller checks the length.
void ExpandKey(TBlowCore& core, const std::uint8_t* key, std::size_t length) noexcept;

// Key schedules run in this process so far: a statistic for benchmarks, not program state.
std::uint64_t KeyScheduleCount() noexcept;

namespace blowcore_detail {

[[gnu::always_inline]] inline std::uint32_t F(const TBlowCore& core, std::uint32_t x) noexcept {
    return ((core.S0[x >> 24] + core.S1[(x >> 16) & 0xFF]) ^ core.S2[(x >> 8) & 0xFF]) +
           core.S3[x & 0xFF];
}

inline std::uint32_t LoadWord(const std::uint8_t* bytes) noexcept {
    std::uint32_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

inline void StoreWord(std::uint8_t* bytes, std::uint32_t word) noexcept {
    std::memcpy(bytes, &word, sizeof word);
}

// A whole block as one big-endian 64-bit value: one load and one store per block, so that the
// next step (a chaining xor or copy of all 8 bytes) is forwarded from a single store.
inline std::uint64_t LoadBlock(const std::uint8_t* bytes) noexcept {
    std::uint64_t value;
    std::memcpy(&value, bytes, sizeof value);
    if constexpr (std::endian::native == std::endian::little)
        value = __builtin_bswap64(value);
    return value;
}

inline void StoreBlock(std::uint8_t* bytes, std::uint64_t value) noexcept {
    if constexpr (std::endian::native == std::endian::little)
        value = __builtin_bswap64(value);
    std::memcpy(bytes, &value, sizeof value);
}

} // namespace blowcore_detail

// Sixteen enciphering rounds on a pair of native words held in registers. The exchange of the
// halves after each round is folded into the alternating order of the statements.
[[gnu::always_inline]] inline void EncipherWords(const TBlowCore& core, std::uint32_t& left,
                                                 std::uint32_t& right) noexcept {
    using blowcore_detail::F;
    const auto& p = core.P;
    std::uint32_t l = left ^ p[0];
    std::uint32_t r = right;
    r ^= p[1] ^ F(core, l);
    l ^= p[2] ^ F(core, r);
    r ^= p[3] ^ F(core, l);
    l ^= p[4] ^ F(core, r);
    r ^= p[5] ^ F(core, l);
    l ^= p[6] ^ F(core, r);
    r ^= p[7] ^ F(core, l);
    l ^= p[8] ^ F(core, r);
    r ^= p[9] ^ F(core, l);
    l ^= p[10] ^ F(core, r);
    r ^= p[11] ^ F(core, l);
    l ^= p[12] ^ F(core, r);
    r ^= p[13] ^ F(core, l);
    l ^= p[14] ^ F(core, r);
    r ^= p[15] ^ F(core, l);
    l ^= p[16] ^ F(core, r);
    left = r ^ p[17];
    right = l;
}

// The same rounds with P used from the other end.
[[gnu::always_inline]] inline void DecipherWords(const TBlowCore& core, std::uint32_t& left,
                                                 std::uint32_t& right) noexcept {
    using blowcore_detail::F;
    const auto& p = core.P;
    std::uint32_t l = left ^ p[17];
    std::uint32_t r = right;
    r ^= p[16] ^ F(core, l);
    l ^= p[15] ^ F(core, r);
    r ^= p[14] ^ F(core, l);
    l ^= p[13] ^ F(core, r);
    r ^= p[12] ^ F(core, l);
    l ^= p[11] ^ F(core, r);
    r ^= p[10] ^ F(core, l);
    l ^= p[9] ^ F(core, r);
    r ^= p[8] ^ F(core, l);
    l ^= p[7] ^ F(core, r);
    r ^= p[6] ^ F(core, l);
    l ^= p[5] ^ F(core, r);
    r ^= p[4] ^ F(core, l);
    l ^= p[3] ^ F(core, r);
    r ^= p[2] ^ F(core, l);
    l ^= p[1] ^ F(core, r);
    left = r ^ p[0];
    right = l;
}

// Sixteen enciphering rounds, in place, on the words that LeftHalf and RightHalf refer to.
inline void EncipherHalves(TBlowCore& core) noexcept {
    using namespace blowcore_detail;
    std::uint32_t l = LoadWord(core.LeftHalf);
    std::uint32_t r = LoadWord(core.RightHalf);
    EncipherWords(core, l, r);
    StoreWord(core.LeftHalf, l);
    StoreWord(core.RightHalf, r);
}

// Sixteen deciphering rounds, in place, on the words that LeftHalf and RightHalf refer to.
inline void DecipherHalves(TBlowCore& core) noexcept {
    using namespace blowcore_detail;
    std::uint32_t l = LoadWord(core.LeftHalf);
    std::uint32_t r = LoadWord(core.RightHalf);
    DecipherWords(core, l, r);
    StoreWord(core.LeftHalf, l);
    StoreWord(core.RightHalf, r);
}

// One block held as a big-endian 64-bit value (left half in the upper word), enciphered or
// deciphered in registers. The chaining modes use these to keep the chain off memory.
[[gnu::always_inline]] inline std::uint64_t EncipherValue(const TBlowCore& core,
                                                          std::uint64_t block) noexcept {
    auto l = static_cast<std::uint32_t>(block >> 32);
    auto r = static_cast<std::uint32_t>(block);
    EncipherWords(core, l, r);
    return (std::uint64_t{l} << 32) | r;
}

[[gnu::always_inline]] inline std::uint64_t DecipherValue(const TBlowCore& core,
                                                          std::uint64_t block) noexcept {
    auto l = static_cast<std::uint32_t>(block >> 32);
    auto r = static_cast<std::uint32_t>(block);
    DecipherWords(core, l, r);
    return (std::uint64_t{l} << 32) | r;
}

// Two blocks deciphered at once, their rounds interleaved. Each round waits on the one before;
// the other block's round fills that wait. Deciphering in CBC mode needs no block's result for the
// next, so a text of several blocks goes two at a time.
[[gnu::always_inline]] inline void DecipherValues(const TBlowCore& core, std::uint64_t& first,
                                                  std::uint64_t& second) noexcept {
    using blowcore_detail::F;
    const auto& p = core.P;
    std::uint32_t l0 = static_cast<std::uint32_t>(first >> 32) ^ p[17];
    std::uint32_t r0 = static_cast<std::uint32_t>(first);
    std::uint32_t l1 = static_cast<std::uint32_t>(second >> 32) ^ p[17];
    std::uint32_t r1 = static_cast<std::uint32_t>(second);
#pragma GCC unroll 8
    for (int round = 16; round > 0; round -= 2) {
        r0 ^= p[round] ^ F(core, l0);
        r1 ^= p[round] ^ F(core, l1);
        l0 ^= p[round - 1] ^ F(core, r0);
        l1 ^= p[round - 1] ^ F(core, r1);
    }
    first = (std::uint64_t{r0 ^ p[0]} << 32) | l0;
    second = (std::uint64_t{r1 ^ p[0]} << 32) | l1;
}

// Block enciphered in place. The caller has pointed LeftHalf and RightHalf at the halves of
// Block; the halves are taken into registers directly, which gives the same bytes as converting
// them to native order in place and running EncipherHalves.
inline void EncryptBlock(TBlowCore& core) noexcept {
    using namespace blowcore_detail;
    StoreBlock(core.Block.data(), EncipherValue(core, LoadBlock(core.Block.data())));
}

// Block deciphered in place; as EncryptBlock.
inline void DecryptBlock(TBlowCore& core) noexcept {
    using namespace blowcore_detail;
    StoreBlock(core.Block.data(), DecipherValue(core, LoadBlock(core.Block.data())));
}
