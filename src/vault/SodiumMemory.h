#pragma once

// Secrets in memory from sodium_malloc: locked out of swap where the system allows, fenced by guard
// pages, and wiped by sodium_free when the holder goes. The one owner of such memory in the vault.

#include <cstddef>
#include <string_view>

// Raises std::bad_alloc when libsodium cannot be used or the memory cannot be had.
void RequireSodium();

class TSodiumBytes {
public:
    TSodiumBytes() noexcept = default;
    explicit TSodiumBytes(std::size_t size);
    // A copy of the bytes; the caller wipes its own.
    static TSodiumBytes CopyOf(std::string_view bytes);
    ~TSodiumBytes() { Free(); }
    TSodiumBytes(TSodiumBytes&& other) noexcept;
    TSodiumBytes& operator=(TSodiumBytes&& other) noexcept;
    TSodiumBytes(const TSodiumBytes&) = delete;
    TSodiumBytes& operator=(const TSodiumBytes&) = delete;

    unsigned char* Data() noexcept { return FData; }
    const unsigned char* Data() const noexcept { return FData; }
    std::size_t Size() const noexcept { return FSize; }
    bool Empty() const noexcept { return FData == nullptr; }
    std::string_view View() const noexcept { return {reinterpret_cast<const char*>(FData), FSize}; }
    // Wipes and gives the memory back; the holder is empty afterwards.
    void Free() noexcept;

private:
    unsigned char* FData = nullptr;
    std::size_t FSize = 0;
};
