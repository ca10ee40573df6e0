#pragma once

// New passwords from the operating system's random source: characters drawn uniformly, without
// modulo bias, from the chosen classes of printable ASCII (which Windows-1252 holds whole), or
// passphrases of words drawn the same way from the EFF's long word list.

#include <string>
#include <vector>

struct TPasswordRules {
    int Length = 20;
    bool Upper = true;
    bool Lower = true;
    bool Digits = true;
    bool Symbols = true;
    bool ExcludeLookAlikes = false; // 0 O o 1 l I | and the like
};

// The characters the rules allow, in a fixed order; empty when no class is chosen.
std::string PasswordAlphabet(const TPasswordRules& rules);
// A password of rules.Length characters in which every chosen class appears at least once (when
// the length allows it). Raises std::invalid_argument when no class is chosen or the length is
// not 1 to 48.
std::string GeneratePassword(const TPasswordRules& rules);
// The strength of such a password against a guesser who knows the rules: length × log2 of the
// alphabet's size, in bits.
double PasswordStrengthBits(const TPasswordRules& rules);
// A uniform number from 0 to bound - 1 from the system's random source, without modulo bias.
unsigned RandomBelow(unsigned bound);

// A passphrase: words of the list joined by a separator, e.g. "spud-unwoven-cruelly-mumble".
struct TPassphraseRules {
    int Words = 6;
    std::string Separator = "-"; // up to 4 printable ASCII characters, no letters or digits
    bool Capital = false;        // every word starts with a capital letter
    bool Digit = false;          // one digit after one of the words, chosen at random
};

inline constexpr int MinPassphraseWords = 3;
inline constexpr int MaxPassphraseWords = 20;

// The EFF's long word list: 7,776 words of lower-case letters (a few with a hyphen), read once
// from the program's resources. Raises std::runtime_error when the compiled-in list is not whole.
const std::vector<std::string>& PassphraseWordList();
// Raises std::invalid_argument for a word count outside 3 to 20 or a separator that is not
// allowed.
std::string GeneratePassphrase(const TPassphraseRules& rules);
// Against a guesser who knows the list and the rules: words × log2(7,776), plus log2(10 × words)
// for the digit and its place; the capitals add nothing, as every word has one.
double PassphraseStrengthBits(const TPassphraseRules& rules);
