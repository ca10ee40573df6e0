#pragma once

// Reading a generated passphrase back into the words of the list.

#include "vault/PasswordGenerator.h"

#include <set>
#include <string>

inline const std::set<std::string>& KnownWords() {
    static const std::set<std::string> known(PassphraseWordList().begin(),
                                             PassphraseWordList().end());
    return known;
}

// Whether the text is that many words of the list joined by the separator. A few words have a
// hyphen of their own ("drop-down", "t-shirt"), so every cut is tried.
inline bool JoinsWords(const std::string& text, int count, const std::string& separator = "-") {
    if (count == 1)
        return KnownWords().count(text) > 0;
    for (std::size_t cut = text.find(separator); cut != std::string::npos;
         cut = text.find(separator, cut + 1))
        if (KnownWords().count(text.substr(0, cut)) &&
            JoinsWords(text.substr(cut + separator.size()), count - 1, separator))
            return true;
    return false;
}
