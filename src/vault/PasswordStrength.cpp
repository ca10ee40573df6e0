#include "vault/PasswordStrength.h"

#include "base/SecureWipe.h"
#include "platform/Codepage.h"

#include <zxcvbn.h>

#include <algorithm>

TStrengthLevel StrengthLevelOf(double bits) noexcept {
    if (bits >= ExcellentFromBits)
        return TStrengthLevel::Excellent;
    if (bits >= GoodFromBits)
        return TStrengthLevel::Good;
    if (bits >= WeakFromBits)
        return TStrengthLevel::Weak;
    return TStrengthLevel::Poor;
}

const char* StrengthWord(TStrengthLevel level) noexcept {
    switch (level) {
    case TStrengthLevel::Poor:
        break;
    case TStrengthLevel::Weak:
        return "weak";
    case TStrengthLevel::Good:
        return "good";
    case TStrengthLevel::Excellent:
        return "excellent";
    }
    return "poor";
}

TPasswordStrength EstimateStrength(const std::string& password,
                                   const std::vector<std::string>& ownWords) {
    // zxcvbn reads UTF-8: its dictionaries are English, and a character beyond ASCII counts as
    // one symbol of a larger alphabet only when it arrives as one.
    std::string utf8 = AnsiToUtf8(password);
    TWipeGuard wipeUtf8(utf8);
    std::vector<std::string> words;
    words.reserve(ownWords.size());
    const auto wipeWords = [&words] {
        for (std::string& word : words)
            WipeString(word);
    };
    std::vector<const char*> dictionary;
    TPasswordStrength strength;
    try {
        for (const std::string& word : ownWords) {
            if (!word.empty())
                words.push_back(AnsiToUtf8(word));
        }
        for (const std::string& word : words)
            dictionary.push_back(word.c_str());
        dictionary.push_back(nullptr);
        strength.Bits = std::max(0.0, ZxcvbnMatch(utf8.c_str(), dictionary.data(), nullptr));
    } catch (...) {
        wipeWords();
        throw;
    }
    wipeWords();
    strength.Level = StrengthLevelOf(strength.Bits);
    return strength;
}
