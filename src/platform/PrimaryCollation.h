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
#include <optional>
#include <string_view>
#include <vector>

// The bytes beyond printable ASCII (whose weights are always known) that the texts hold.
std::array<bool, 256> BytesBeyondAscii(const std::vector<std::string_view>& texts);

class TPrimaryKeys {
public:
    // The ASCII collation must be usable.
    TPrimaryKeys(const QCollator& collator, const TAsciiCollation& ascii,
                 const std::vector<std::string_view>& texts);

    // Whether every character of the text has a known weight.
    bool Knows(std::string_view text) const noexcept { return KnownKeyLength(text).has_value(); }
    // The length of the key of a text it Knows, in one pass; nothing for any other text.
    std::optional<std::size_t> KnownKeyLength(std::string_view text) const noexcept {
        std::uint64_t length = 0;
        for (const char ch : text)
            length += FLengthOrUnknown[static_cast<unsigned char>(ch)];
        if (length >= Unknown)
            return std::nullopt;
        return static_cast<std::size_t>(length);
    }
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
    // The weights of a character, or Unknown: summed over a text, its key's length below Unknown
    // (no text holds 2^32 characters) or more when any character is unknown.
    static constexpr std::uint64_t Unknown = std::uint64_t{1} << 32;
    std::array<std::uint64_t, 256> FLengthOrUnknown{};

    void LearnCase(const QCollator& collator);
    bool Verified(const QCollator& collator, const std::vector<unsigned char>& learnt) const;
};
