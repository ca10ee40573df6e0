#pragma once

// The 64 characters of the text form of enciphered strings, and their values.

#include <array>
#include <cstdint>
#include <string_view>

inline constexpr std::string_view TextFormTable =
    "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

inline constexpr std::uint8_t NotTextForm = 0xFF;

// The value of every byte: its place in the table, or NotTextForm.
inline constexpr std::array<std::uint8_t, 256> TextFormValues = [] {
    std::array<std::uint8_t, 256> values{};
    values.fill(NotTextForm);
    for (std::size_t i = 0; i < TextFormTable.size(); ++i)
        values[static_cast<std::uint8_t>(TextFormTable[i])] = static_cast<std::uint8_t>(i);
    return values;
}();

inline std::uint8_t TextFormValue(char ch) noexcept {
    return TextFormValues[static_cast<std::uint8_t>(ch)];
}

// The number of bytes a text of this many characters decodes to: three for every four, one for a
// last group of two, two for a last group of three, none for a last single character.
inline constexpr std::size_t TextFormDecodedSize(std::size_t characters) noexcept {
    constexpr std::size_t LastGroupBytes[4] = {0, 0, 1, 2};
    return characters / 4 * 3 + LastGroupBytes[characters % 4];
}
