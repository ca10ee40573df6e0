#pragma once

// The rules of a new master password, for the window and kestovar-cli alike: 1 to 48 bytes, typed
// twice the same, refused with the same messages before any file is created, emptied or moved.

#include "base/ErrorMessage.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

// The longest master password; the password generator makes none longer either.
inline constexpr std::size_t MaxMasterPasswordLength = 48;

// Why the password cannot be a new master password, or nothing.
std::optional<TErrorMessage> NewMasterPasswordError(const std::string& password);
// The same as the English sentence, or the empty string.
std::string NewMasterPasswordProblem(const std::string& password);

enum class TNewPasswordPrompt { First, Repeat };
// Asks for the password (the first time or the repeat); nothing when the user cancels.
using TAskNewPassword = std::function<std::optional<std::string>(TNewPasswordPrompt)>;

enum class TNewPasswordOutcome { Accepted, Cancelled, Refused };

struct TNewPasswordResult {
    TNewPasswordOutcome Outcome = TNewPasswordOutcome::Cancelled;
    TErrorMessage Problem; // what to tell the user when Refused
};

// Asks for the new password twice; on Accepted it is in `password`, which is left alone otherwise.
// The typed texts are wiped.
TNewPasswordResult ChooseNewMasterPassword(const TAskNewPassword& ask, std::string& password);
