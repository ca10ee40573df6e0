#pragma once

// How hard a password is to guess, as zxcvbn estimates it: the base-2 logarithm of the guesses
// its model of how people choose passwords (words, names, dates, keyboard runs, substitutions)
// needs, and a word for the range it falls in.

#include <string>
#include <vector>

enum class TStrengthLevel { Poor, Weak, Good, Excellent };

// The ranges, from what a stolen data file costs a guesser: 39,000 guesses a second on one core
// against its check line (README, "What stays secret").
//   Poor below 32 bits: one core tries 2^32 passwords in about 31 hours.
//   Weak below 48 bits: a thousand cores try 2^48 in about three months.
//   Good below 64 bits: from where a thousand cores working for a year (2^50) come near; 10
//     random lower-case letters and digits, the README's least, score about 49 to 52.
//   Excellent from 64 bits: 15,000 years of those thousand cores, so it holds out even against
//     hardware a thousand times faster, or a site that kept it under a fast hash.
inline constexpr double WeakFromBits = 32;
inline constexpr double GoodFromBits = 48;
inline constexpr double ExcellentFromBits = 64;

struct TPasswordStrength {
    double Bits = 0;
    TStrengthLevel Level = TStrengthLevel::Poor;
};

TStrengthLevel StrengthLevelOf(double bits) noexcept;
// "poor", "weak", "good" or "excellent".
const char* StrengthWord(TStrengthLevel level) noexcept;

// The estimate for a Windows-1252 password; words that make it weaker when it contains them
// (the account's name, the login) may be given. The copies made for the estimate are wiped.
TPasswordStrength EstimateStrength(const std::string& password,
                                   const std::vector<std::string>& ownWords = {});
