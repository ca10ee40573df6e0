#pragma once

// Takes a fuzz input apart front to back; a read past the end gives zeros or shorter strings, so
// every input is usable.

#include <cstddef>
#include <cstdint>
#include <string>

class TFuzzInput {
public:
    TFuzzInput(const std::uint8_t* data, std::size_t size) noexcept : FData(data), FSize(size) {}

    std::uint8_t Byte() noexcept { return FPosition < FSize ? FData[FPosition++] : 0; }

    std::string Bytes(std::size_t count) {
        const std::size_t taken = count < Remaining() ? count : Remaining();
        std::string bytes(reinterpret_cast<const char*>(FData + FPosition), taken);
        FPosition += taken;
        return bytes;
    }

    std::string Rest() { return Bytes(Remaining()); }
    std::size_t Remaining() const noexcept { return FSize - FPosition; }

private:
    const std::uint8_t* FData;
    std::size_t FSize;
    std::size_t FPosition = 0;
};
