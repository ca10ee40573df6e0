#include "vault/PasswordGenerator.h"

#include "base/SecureWipe.h"

#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string_view>

namespace {

constexpr std::string_view UpperCase = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::string_view LowerCase = "abcdefghijklmnopqrstuvwxyz";
constexpr std::string_view DigitChars = "0123456789";
constexpr std::string_view SymbolChars = "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~";
constexpr std::string_view LookAlikes = "0Oo1lI|`'\"";
// A master password may have at most 48 characters, and so may the others, to stay usable.
constexpr int MaxLength = 48;

struct TClass {
    std::string_view Characters;
    bool TPasswordRules::*Chosen;
};

constexpr std::array<TClass, 4> Classes = {{{UpperCase, &TPasswordRules::Upper},
                                            {LowerCase, &TPasswordRules::Lower},
                                            {DigitChars, &TPasswordRules::Digits},
                                            {SymbolChars, &TPasswordRules::Symbols}}};

std::string Allowed(std::string_view characters, bool excludeLookAlikes) {
    std::string allowed;
    for (const char ch : characters)
        if (!excludeLookAlikes || LookAlikes.find(ch) == std::string_view::npos)
            allowed += ch;
    return allowed;
}

} // namespace

unsigned RandomBelow(unsigned bound) {
    // Draws above the largest multiple of bound are thrown away, so every value is equally
    // likely.
    const std::uint64_t range = std::uint64_t{std::numeric_limits<std::uint32_t>::max()} + 1;
    const std::uint64_t limit = range - range % bound;
    for (;;) {
        const std::uint32_t draw = QRandomGenerator::system()->generate();
        if (draw < limit)
            return static_cast<unsigned>(draw % bound);
    }
}

std::string PasswordAlphabet(const TPasswordRules& rules) {
    std::string alphabet;
    for (const TClass& group : Classes)
        if (rules.*group.Chosen)
            alphabet += Allowed(group.Characters, rules.ExcludeLookAlikes);
    return alphabet;
}

std::string GeneratePassword(const TPasswordRules& rules) {
    const std::string alphabet = PasswordAlphabet(rules);
    if (alphabet.empty())
        throw std::invalid_argument("Choose at least one kind of character.");
    if (rules.Length < 1 || rules.Length > MaxLength)
        throw std::invalid_argument("A password has 1 to 48 characters.");
    std::string password(static_cast<std::size_t>(rules.Length), '\0');
    const auto count = static_cast<int>(std::count_if(
        Classes.begin(), Classes.end(), [&](const TClass& group) { return rules.*group.Chosen; }));
    // A draw that misses a chosen class is drawn again whole, which keeps the draws uniform among
    // the passwords that have every class.
    for (;;) {
        for (char& ch : password)
            ch = alphabet[RandomBelow(static_cast<unsigned>(alphabet.size()))];
        if (rules.Length < count)
            return password;
        const bool everyClass = std::all_of(Classes.begin(), Classes.end(), [&](const TClass& g) {
            if (!(rules.*g.Chosen))
                return true;
            const std::string allowed = Allowed(g.Characters, rules.ExcludeLookAlikes);
            return password.find_first_of(allowed) != std::string::npos;
        });
        if (everyClass)
            return password;
        SecureZero(password.data(), password.size());
    }
}

double PasswordStrengthBits(const TPasswordRules& rules) {
    const std::size_t size = PasswordAlphabet(rules).size();
    if (size < 2 || rules.Length < 1)
        return 0;
    return rules.Length * std::log2(static_cast<double>(size));
}
