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

} // namespace

void TContentHash::Mix(std::uint64_t word) noexcept {
    // One multiplication on the chain per eight bytes; the other is off it.
    FState = std::rotl(FState ^ (word * Spread), 29) * Multiplier;
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
        Mix(LoadWord(FPending));
        FPendingCount = 0;
    }
    for (; size >= 8; in += 8, size -= 8)
        Mix(LoadWord(in));
    std::memcpy(FPending, in, size);
    FPendingCount = size;
}

TContentDigest TContentHash::Digest() const noexcept {
    TContentHash last = *this;
    unsigned char tail[8] = {};
    std::memcpy(tail, FPending, FPendingCount);
    last.Mix(LoadWord(tail));
    last.Mix(FLength);
    std::uint64_t hash = last.FState;
    hash ^= hash >> 33;
    hash *= Multiplier;
    hash ^= hash >> 29;
    return {static_cast<std::int64_t>(FLength), hash};
}
