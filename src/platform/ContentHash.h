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
    void Add(std::string_view bytes) noexcept;
    TContentDigest Digest() const noexcept;

private:
    void Mix(std::uint64_t word) noexcept;

    std::uint64_t FState = 0x9E3779B97F4A7C15ULL;
    std::uint64_t FLength = 0;
    unsigned char FPending[8] = {};
    std::size_t FPendingCount = 0;
};
