#pragma once

// A fast hash of a file's bytes, fed in pieces of any size, to tell whether a file changed. Not a
// cryptographic hash: it guards against accidents, not against an adversary.

#include <cstddef>
#include <cstdint>
#include <string_view>

struct TContentDigest {
    std::int64_t Size = 0;
    std::uint64_t Hash = 0;

    bool operator==(const TContentDigest&) const = default;
};

class TContentHash {
public:
    // The digest of bytes held whole.
    static TContentDigest Of(std::string_view bytes) noexcept;

    void Add(std::string_view bytes) noexcept;
    TContentDigest Digest() const noexcept;

private:
    // Four chains, one for each word of 32 bytes: their multiplications overlap, where one chain
    // would wait for each in turn.
    static constexpr std::size_t Lanes = 4;
    static constexpr std::size_t BlockSize = 8 * Lanes;

    void MixBlock(const unsigned char* block) noexcept;

    std::uint64_t FState[Lanes] = {0x9E3779B97F4A7C15ULL, 0xBF58476D1CE4E5B9ULL,
                                   0x94D049BB133111EBULL, 0x2545F4914F6CDD1DULL};
    std::uint64_t FLength = 0;
    unsigned char FPending[BlockSize] = {};
    std::size_t FPendingCount = 0;
};
