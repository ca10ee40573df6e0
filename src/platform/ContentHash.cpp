#include "platform/ContentHash.h"

#include <bit>
#include <cstring>

namespace {

constexpr std::uint64_t Multiplier = 0x9FB21C651E98DF25ULL;
constexpr std::uint64_t Spread = 0xC2B2AE3D27D4EB4FULL;

std::uint64_t LoadWord(const unsigned char* bytes) noexcept {
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

std::uint64_t Mixed(std::uint64_t state, std::uint64_t word) noexcept {
    // One multiplication on the chain per word; the other is off it.
    return std::rotl(state ^ (word * Spread), 29) * Multiplier;
}

} // namespace

void TContentHash::MixBlock(const unsigned char* block) noexcept {
    for (std::size_t lane = 0; lane < Lanes; ++lane)
        FState[lane] = Mixed(FState[lane], LoadWord(block + 8 * lane));
}

void TContentHash::Add(std::string_view bytes) noexcept {
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t size = bytes.size();
    FLength += size;
    if (FPendingCount > 0) {
        const std::size_t taken = std::min(size, sizeof FPending - FPendingCount);
        std::memcpy(FPending + FPendingCount, in, taken);
        FPendingCount += taken;
        in += taken;
        size -= taken;
        if (FPendingCount < sizeof FPending)
            return;
        MixBlock(FPending);
        FPendingCount = 0;
    }
    for (; size >= BlockSize; in += BlockSize, size -= BlockSize)
        MixBlock(in);
    std::memcpy(FPending, in, size);
    FPendingCount = size;
}

TContentDigest TContentHash::Of(std::string_view bytes) noexcept {
    TContentHash hash;
    hash.Add(bytes);
    return hash.Digest();
}

TContentDigest TContentHash::Digest() const noexcept {
    TContentHash last = *this;
    unsigned char tail[BlockSize] = {};
    std::memcpy(tail, FPending, FPendingCount);
    last.MixBlock(tail);
    std::uint64_t hash = Mixed(last.FState[0], FLength);
    for (std::size_t lane = 1; lane < Lanes; ++lane)
        hash = Mixed(hash, last.FState[lane]);
    hash ^= hash >> 33;
    hash *= Multiplier;
    hash ^= hash >> 29;
    return {static_cast<std::int64_t>(FLength), hash};
}
