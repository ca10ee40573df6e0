#pragma once

// Overwriting memory that held secrets, with writes the optimiser may not remove, and the one
// family of helpers that the layers use for it.

#include <cstddef>
#include <cstring>
#include <string>

#if defined(__GLIBC__) || defined(__OpenBSD__) || defined(__FreeBSD__)
#include <strings.h>
#define KESTOVAR_HAVE_EXPLICIT_BZERO 1
#endif

// A compiler barrier that takes the buffer as input follows the stores, so they count as observed.
inline void SecureFill(void* data, std::size_t size, unsigned char value) noexcept {
    std::memset(data, value, size);
    __asm__ __volatile__("" : : "r"(data) : "memory");
}

inline void SecureZero(void* data, std::size_t size) noexcept {
#ifdef KESTOVAR_HAVE_EXPLICIT_BZERO
    explicit_bzero(data, size);
#else
    SecureFill(data, size, 0);
#endif
}

// Zeroes a string's whole buffer and empties it; the capacity stays for reuse.
inline void WipeBytes(std::string& text) noexcept {
    text.resize(text.capacity());
    SecureZero(text.data(), text.size());
    text.clear();
}

// Overwrites a string's whole buffer with spaces, then releases it. The whole buffer, not only
// the text: bytes of an earlier, longer content may linger past the end, and growing to the
// capacity never reallocates.
inline void WipeString(std::string& text) noexcept {
    text.resize(text.capacity());
    SecureFill(text.data(), text.size(), ' ');
    std::string released;
    text.swap(released);
}

// Wipes a string when the scope that holds it ends, also when an error ends it.
class TWipeGuard {
public:
    explicit TWipeGuard(std::string& text) noexcept : FText(text) {}
    ~TWipeGuard() { WipeString(FText); }
    TWipeGuard(const TWipeGuard&) = delete;
    TWipeGuard& operator=(const TWipeGuard&) = delete;

private:
    std::string& FText;
};
