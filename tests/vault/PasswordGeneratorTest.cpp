// Generated passwords: their length and classes, and that over many draws every allowed
// character turns up (a check of the alphabet and the draw, not of the randomness itself).

#include "vault/PasswordGenerator.h"

#include "PassphraseWords.h"

#include <gtest/gtest.h>

#include <cctype>

#include <set>
#include <stdexcept>

TEST(PasswordGenerator, HonoursLengthAndClassesAndUsesTheWholeAlphabet) {
    const struct {
        TPasswordRules rules;
        const char* mustHave; // one character of every chosen class, as a set of classes
        const char* neverHave;
    } cases[] = {
        {{20, true, true, true, true, false}, "Aa0!", ""},
        {{12, false, true, true, false, false}, "a0", "A!"},
        {{30, true, true, true, true, true}, "Aa2!", "0Oo1lI|"},
        {{1, false, false, true, false, false}, "", "aA!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(PasswordAlphabet(c.rules));
        const std::string alphabet = PasswordAlphabet(c.rules);
        std::set<char> seen;
        for (int draw = 0; draw < 400; ++draw) {
            const std::string password = GeneratePassword(c.rules);
            ASSERT_EQ(password.size(), static_cast<std::size_t>(c.rules.Length));
            EXPECT_EQ(password.find_first_not_of(alphabet), std::string::npos);
            EXPECT_EQ(password.find_first_of(c.neverHave), std::string::npos);
            seen.insert(password.begin(), password.end());
        }
        EXPECT_EQ(seen.size(), alphabet.size()) << "every allowed character turns up";
        for (const char* classChar = c.mustHave; *classChar; ++classChar)
            EXPECT_NE(alphabet.find(*classChar), std::string::npos);
    }
    EXPECT_NEAR(PasswordStrengthBits({20, false, true, false, false, false}), 20 * 4.7004, 0.01);
    EXPECT_THROW(GeneratePassword({20, false, false, false, false, false}), std::invalid_argument);
    EXPECT_THROW(GeneratePassword({49}), std::invalid_argument);
}

TEST(PasswordGenerator, EveryChosenClassAppearsInEachPassword) {
    const TPasswordRules rules{4, true, true, true, true, false};
    for (int draw = 0; draw < 200; ++draw) {
        const std::string password = GeneratePassword(rules);
        for (const char* group :
             {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "abcdefghijklmnopqrstuvwxyz", "0123456789"})
            EXPECT_NE(password.find_first_of(group), std::string::npos) << password;
    }
}

TEST(PassphraseGenerator, TheWordListIsTheWholeEffLongList) {
    const std::vector<std::string>& words = PassphraseWordList();
    ASSERT_EQ(words.size(), 7776u);
    EXPECT_EQ(words.front(), "abacus");
    EXPECT_EQ(words[2], "abdominal");
    EXPECT_EQ(words.back(), "zoom");
    EXPECT_EQ(std::set<std::string>(words.begin(), words.end()).size(), 7776u);
}

TEST(PassphraseGenerator, TheHyphenatedWordsOfTheListStillMakeTheirCount) {
    EXPECT_TRUE(KnownWords().count("drop-down"));
    EXPECT_TRUE(JoinsWords("drop-down-abacus-t-shirt", 3));
    EXPECT_FALSE(JoinsWords("drop-down-abacus-t-shirt", 5));
    for (int draw = 0; draw < 200; ++draw) {
        const std::string passphrase = GeneratePassphrase({6, "-", false, false});
        EXPECT_TRUE(JoinsWords(passphrase, 6)) << passphrase;
    }
}

TEST(PassphraseGenerator, HasTheChosenWordsSeparatorCapitalsAndDigit) {
    const struct {
        TPassphraseRules rules;
        char split; // a character that is in the separator and in no word
    } cases[] = {
        // Separators that no word holds, so that the words come apart again ("-" is above).
        {{6, " ", false, false}, ' '}, {{3, " ", true, false}, ' '},  {{20, ".", false, true}, '.'},
        {{4, "_+", true, true}, '_'},  {{5, "", false, false}, '\0'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rules.Words);
        for (int draw = 0; draw < 50; ++draw) {
            const std::string passphrase = GeneratePassphrase(c.rules);
            if (c.split == '\0') {
                EXPECT_EQ(passphrase.find_first_not_of("abcdefghijklmnopqrstuvwxyz-"),
                          std::string::npos);
                continue;
            }
            std::vector<std::string> words;
            std::size_t start = 0;
            for (std::size_t at = passphrase.find(c.rules.Separator); at != std::string::npos;
                 at = passphrase.find(c.rules.Separator, start)) {
                words.push_back(passphrase.substr(start, at - start));
                start = at + c.rules.Separator.size();
            }
            words.push_back(passphrase.substr(start));
            ASSERT_EQ(words.size(), static_cast<std::size_t>(c.rules.Words)) << passphrase;
            int digits = 0;
            for (std::string word : words) {
                EXPECT_EQ(std::isupper(static_cast<unsigned char>(word[0])) != 0, c.rules.Capital);
                word[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(word[0])));
                if (!word.empty() && std::isdigit(static_cast<unsigned char>(word.back()))) {
                    ++digits;
                    word.pop_back();
                }
                EXPECT_TRUE(KnownWords().count(word)) << word;
            }
            EXPECT_EQ(digits, c.rules.Digit ? 1 : 0) << passphrase;
        }
    }
}

TEST(PassphraseGenerator, StrengthIsTheBitsOfTheWordsAndTheDigitsPlace) {
    // log2(7776) = 12.925 bits a word; a digit after one of n words adds log2(10 n).
    const struct {
        TPassphraseRules rules;
        double bits;
    } cases[] = {{{6, "-", false, false}, 77.55},
                 {{6, "-", true, false}, 77.55},
                 {{6, "-", false, true}, 77.55 + 5.907},
                 {{3, " ", false, false}, 38.77},
                 {{20, ".", true, true}, 258.50 + 7.644}};
    for (const auto& c : cases)
        EXPECT_NEAR(PassphraseStrengthBits(c.rules), c.bits, 0.01) << c.rules.Words;
}

TEST(PassphraseGenerator, RefusesWordCountsAndSeparatorsItCannotKeep) {
    for (const TPassphraseRules& rules :
         {TPassphraseRules{2}, TPassphraseRules{21}, TPassphraseRules{6, "a"},
          TPassphraseRules{6, "1"}, TPassphraseRules{6, "-----"}, TPassphraseRules{6, "\n"},
          TPassphraseRules{6, "\xA0"}})
        EXPECT_THROW(GeneratePassphrase(rules), std::invalid_argument) << rules.Words;
}
