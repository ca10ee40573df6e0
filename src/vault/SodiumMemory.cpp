#include "vault/SodiumMemory.h"

#include <sodium.h>

#include <cstring>
#include <new>
#include <utility>

void RequireSodium() {
    // sodium_init may be called from any thread and any number of times; the first call picks the
    // fastest implementations and seeds the random source.
    static const bool ready = sodium_init() >= 0;
    if (!ready)
        throw std::bad_alloc();
}

TSodiumBytes::TSodiumBytes(std::size_t size) {
    RequireSodium();
    // sodium_malloc(0) is allowed but hands out no usable byte; one byte keeps Data() non-null.
    void* memory = sodium_malloc(size == 0 ? 1 : size);
    if (memory == nullptr)
        throw std::bad_alloc();
    FData = static_cast<unsigned char*>(memory);
    FSize = size;
}

TSodiumBytes TSodiumBytes::CopyOf(std::string_view bytes) {
    TSodiumBytes copy(bytes.size());
    if (!bytes.empty())
        std::memcpy(copy.FData, bytes.data(), bytes.size());
    return copy;
}

TSodiumBytes::TSodiumBytes(TSodiumBytes&& other) noexcept
    : FData(std::exchange(other.FData, nullptr)), FSize(std::exchange(other.FSize, 0)) {}

TSodiumBytes& TSodiumBytes::operator=(TSodiumBytes&& other) noexcept {
    if (this != &other) {
        Free();
        FData = std::exchange(other.FData, nullptr);
        FSize = std::exchange(other.FSize, 0);
    }
    return *this;
}

void TSodiumBytes::Free() noexcept {
    if (FData != nullptr)
        sodium_free(FData); // wipes before it unmaps
    FData = nullptr;
    FSize = 0;
}
