#pragma once

// Overwrites memory that held secrets with writes the optimiser may not remove: the stores go
// through a volatile pointer and a compiler barrier follows them.

#include <cstddef>

inline void SecureFill(void* data, std::size_t size, unsigned char value) noexcept {
    volatile unsigned char* bytes = static_cast<volatile unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = value;
    __asm__ __volatile__("" : : "r"(data) : "memory");
}

inline void SecureZero(void* data, std::size_t size) noexcept { SecureFill(data, size, 0); }
