// Generated passwords: their length and classes, and that over many draws every allowed
// character turns up (a check of the alphabet and the draw, not of the randomness itself).

#include "vault/PasswordGenerator.h"

#include <gtest/gtest.h>

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
