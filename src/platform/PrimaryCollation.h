#pragma once

// Byte sort keys of Windows-1252 names at the collator's first level, where the letters count and
// accents and case do not: "Café", "CAFE" and "cafe" get one key. Keys that differ order their
// names as the collator does; names with equal keys are told apart by the collator itself, or
// are equal when they differ only in case.
//
// Printable ASCII weighs as TAsciiCollation learnt it. Any other character the names hold is
// learnt for them, from the collator: an accented letter weighs as its base letter, a ligature or
// sharp s as the letters it stands for, a control or soft hyphen nothing. Every guess is checked
// against the collator on all texts of one or two characters that hold it; where one fails, no
// character beyond ASCII is known, and names holding one are left to the collator.

#include "platform/AsciiCollation.h"

#include <QCollator>

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

class TPrimaryKeys {
public:
    // The ASCII collation must be usable.
    TPrimaryKeys(const QCollator& collator, const TAsciiCollation& ascii,
                 const std::vector<std::string_view>& texts);

    // Whether every character of the text has a known weight.
    bool Knows(std::string_view text) const noexcept;
    std::size_t KeyLength(std::string_view text) const noexcept;
    // Writes the key of a text it Knows; returns the end of what it wrote.
    char* WriteKey(std::string_view text, char* out) const noexcept;
    // Whether two texts differ only in letter case, which the collator ignores.
    bool SameIgnoringCase(std::string_view a, std::string_view b) const noexcept;

private:
    static constexpr std::size_t MaxWeights = 3;
    std::array<std::array<std::uint8_t, MaxWeights>, 256> FWeights{};
    std::array<std::uint8_t, 256> FCount{};
    std::array<bool, 256> FKnown{};
    std::array<unsigned char, 256> FLower{};

    void LearnCase(const QCollator& collator);
    bool Verified(const QCollator& collator, const std::vector<unsigned char>& learnt) const;
};
