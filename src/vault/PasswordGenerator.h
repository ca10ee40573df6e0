#pragma once

// New passwords from the operating system's random source: characters drawn uniformly, without
// modulo bias, from the chosen classes of printable ASCII (which Windows-1252 holds whole).

#include <string>

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
