#include "vault/PasswordGenerator.h"

#include "base/SecureWipe.h"
#include "vault/MasterPassword.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <set>
#include <stdexcept>
#include <string_view>

namespace {

constexpr std::string_view UpperCase = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::string_view LowerCase = "abcdefghijklmnopqrstuvwxyz";
constexpr std::string_view DigitChars = "0123456789";
constexpr std::string_view SymbolChars = "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~";
constexpr std::string_view LookAlikes = "0Oo1lI|`'\"";
// A master password may have at most 48 characters, and so may the others, to stay usable.
constexpr int MaxLength = static_cast<int>(MaxMasterPasswordLength);

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

// The list has a word for each throw of five dice.
constexpr std::size_t WordListSize = 7776;
constexpr std::size_t MaxSeparatorLength = 4;
constexpr const char* WordListResource = ":/kestovar/eff_large_wordlist.txt";

// Lines of "11111<tab>abacus": the dice, then the word.
std::vector<std::string> LoadWordList() {
    QFile file(QString::fromLatin1(WordListResource));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("The passphrase word list is missing from the program");
    std::vector<std::string> words;
    words.reserve(WordListSize);
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        const qsizetype tab = line.indexOf('\t');
        if (line.isEmpty() || tab < 0)
            continue;
        words.emplace_back(line.constData() + tab + 1, line.size() - tab - 1);
    }
    const std::set<std::string> distinct(words.begin(), words.end());
    const bool lettersOnly = std::all_of(words.begin(), words.end(), [](const std::string& word) {
        return !word.empty() && word.front() >= 'a' && word.front() <= 'z' &&
               std::all_of(word.begin(), word.end(),
                           [](char ch) { return (ch >= 'a' && ch <= 'z') || ch == '-'; });
    });
    if (words.size() != WordListSize || distinct.size() != WordListSize || !lettersOnly)
        throw std::runtime_error("The passphrase word list in the program is damaged");
    return words;
}

bool SeparatorAllowed(const std::string& separator) {
    return separator.size() <= MaxSeparatorLength &&
           std::all_of(separator.begin(), separator.end(), [](char ch) {
               const bool printable = ch >= ' ' && ch <= '~';
               const bool alphanumeric =
                   (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9');
               return printable && !alphanumeric;
           });
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

const std::vector<std::string>& PassphraseWordList() {
    static const std::vector<std::string> words = LoadWordList();
    return words;
}

std::string GeneratePassphrase(const TPassphraseRules& rules) {
    if (rules.Words < MinPassphraseWords || rules.Words > MaxPassphraseWords)
        throw std::invalid_argument("A passphrase has 3 to 20 words");
    if (!SeparatorAllowed(rules.Separator))
        throw std::invalid_argument("A separator has up to 4 characters, and no letters or digits");
    const std::vector<std::string>& list = PassphraseWordList();
    const auto count = static_cast<std::size_t>(rules.Words);
    // Room for the longest words, made once, so that growing leaves no copy behind unwiped.
    std::size_t longest = 0;
    for (const std::string& word : list)
        longest = std::max(longest, word.size());
    std::string passphrase;
    passphrase.reserve(count * (longest + rules.Separator.size()) + 1);
    const unsigned digitAfter = rules.Digit ? RandomBelow(static_cast<unsigned>(count)) : 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0)
            passphrase += rules.Separator;
        const std::string& word = list[RandomBelow(static_cast<unsigned>(list.size()))];
        const std::size_t start = passphrase.size();
        passphrase += word;
        if (rules.Capital)
            passphrase[start] = static_cast<char>(passphrase[start] - 'a' + 'A');
        if (rules.Digit && i == digitAfter)
            passphrase += static_cast<char>('0' + RandomBelow(10));
    }
    return passphrase;
}

double PassphraseStrengthBits(const TPassphraseRules& rules) {
    if (rules.Words < 1)
        return 0;
    const double words = rules.Words * std::log2(static_cast<double>(WordListSize));
    return rules.Digit ? words + std::log2(10.0 * rules.Words) : words;
}
