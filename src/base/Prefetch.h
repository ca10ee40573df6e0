#pragma once

// Loops that visit heap blocks in an order unrelated to where the blocks lie (names in the
// selector's order, allocated in the file's) ask for the block a few steps ahead, so that its
// cache miss overlaps the work on the ones before instead of stalling each step.

#include <cstddef>

inline constexpr std::size_t PrefetchDistance = 8;

inline void PrefetchForRead(const void* address) noexcept {
    __builtin_prefetch(address, 0);
}

inline void PrefetchForWrite(const void* address) noexcept {
    __builtin_prefetch(address, 1);
}
