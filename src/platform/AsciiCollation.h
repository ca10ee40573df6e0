#pragma once

// Most locales weigh the printable ASCII characters one by one: under them, a text of those
// characters (an enciphered record line is one) compares as the sequence of its characters'
// weights, with no sort key and no collator, on any thread. A locale that joins two characters
// into one (Danish "aa", Czech "ch"), splits one or ignores one does not; the weights are then
// not used.

#include <QCollator>

#include <array>
#include <cstdint>
#include <string_view>

class TAsciiCollation {
public:
    // Learns each character's weight from the collator, and checks that the weights order every
    // text of up to two characters as the collator does.
    explicit TAsciiCollation(const QCollator& collator);

    bool Usable() const noexcept { return FUsable; }
    // True for a text of printable ASCII characters only (space to tilde).
    static bool Covers(std::string_view text) noexcept;
    // Negative, zero or positive as the collator orders two texts that Covers, when Usable.
    int Compare(std::string_view a, std::string_view b) const noexcept;
    // The weights of the eight characters from the given one, the first in the highest byte, zeros
    // after the text's end: numbers that order texts as Compare does, as far as they reach.
    std::uint64_t Prefix(std::string_view text, std::size_t from) const noexcept;
    // The weight of one printable ASCII character, from 1 up; equal for characters the collator
    // finds equal.
    std::uint8_t Weight(char ch) const noexcept {
        return FWeight[static_cast<unsigned char>(ch) & 0x7F];
    }

private:
    std::array<std::uint8_t, 128> FWeight{};
    bool FUsable = false;
};
