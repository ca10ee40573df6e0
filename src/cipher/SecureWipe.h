#pragma once

// Overwrites memory that held secrets with writes the optimiser may not remove: a compiler
// barrier that takes the buffer as input follows the stores, so they count as observed.

#include <cstddef>
#include <cstring>

inline void SecureFill(void* data, std::size_t size, unsigned char value) noexcept {
    std::memset(data, value, size);
    __asm__ __volatile__("" : : "r"(data) : "memory");
}

inline void SecureZero(void* data, std::size_t size) noexcept { SecureFill(data, size, 0); }
