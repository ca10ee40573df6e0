// The one flow that chooses a new master password, for the window and kestovar-cli: two prompts,
// their answers compared, the length rule, and the message of each refusal.

#include "vault/MasterPassword.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

struct TChoiceCase {
    const char* Name;
    std::vector<std::optional<std::string>> Answers; // nothing: the prompt was cancelled
    TNewPasswordOutcome Outcome;
    std::string Said;     // the English message of a refusal
    std::size_t Prompts;  // how many prompts were shown
    std::string Password; // what the caller gets
};

const std::string Longest(48, 'p');
const std::string TooLong(49, 'p');
const char* const LengthRule =
    "The password must have 1 to 48 characters. The data file was not created or changed.";
const char* const NotTheSame =
    "The passwords were not the same. The data file was not created or changed.";

TEST(MasterPasswordTest, TheTwoPromptsDecideAsBothProgramsDo) {
    const std::vector<TChoiceCase> cases = {
        {"the same twice", {"secret", "secret"}, TNewPasswordOutcome::Accepted, "", 2, "secret"},
        {"48 characters", {Longest, Longest}, TNewPasswordOutcome::Accepted, "", 2, Longest},
        {"cancelled first", {std::nullopt}, TNewPasswordOutcome::Cancelled, "", 1, "old"},
        {"cancelled repeat",
         {"secret", std::nullopt},
         TNewPasswordOutcome::Cancelled,
         "",
         2,
         "old"},
        {"not the same", {"secret", "Secret"}, TNewPasswordOutcome::Refused, NotTheSame, 2, "old"},
        // The repeat is compared first, as the window always did.
        {"empty and other", {"", "x"}, TNewPasswordOutcome::Refused, NotTheSame, 2, "old"},
        {"empty twice", {"", ""}, TNewPasswordOutcome::Refused, LengthRule, 2, "old"},
        {"49 characters", {TooLong, TooLong}, TNewPasswordOutcome::Refused, LengthRule, 2, "old"},
    };
    for (const TChoiceCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<TNewPasswordPrompt> asked;
        std::string password = "old";
        const TNewPasswordResult result = ChooseNewMasterPassword(
            [&](TNewPasswordPrompt prompt) {
                asked.push_back(prompt);
                return c.Answers.at(asked.size() - 1);
            },
            password);
        EXPECT_EQ(result.Outcome, c.Outcome);
        EXPECT_EQ(result.Outcome == TNewPasswordOutcome::Refused ? result.Problem.Text() : "",
                  c.Said);
        ASSERT_EQ(asked.size(), c.Prompts);
        EXPECT_EQ(asked.front(), TNewPasswordPrompt::First);
        if (asked.size() > 1) {
            EXPECT_EQ(asked[1], TNewPasswordPrompt::Repeat);
        }
        EXPECT_EQ(password, c.Password);
    }
}

TEST(MasterPasswordTest, TheLengthRuleIsOneTo48Bytes) {
    EXPECT_EQ(NewMasterPasswordProblem(""), LengthRule);
    EXPECT_EQ(NewMasterPasswordProblem("a"), "");
    EXPECT_EQ(NewMasterPasswordProblem(Longest), "");
    EXPECT_EQ(NewMasterPasswordProblem(TooLong), LengthRule);
    ASSERT_TRUE(NewMasterPasswordError(TooLong));
    EXPECT_EQ(NewMasterPasswordError(TooLong)->Code(), TErrorCode::MasterPasswordLength);
}

} // namespace
