#include "vault/MasterPassword.h"

#include "base/SecureWipe.h"

std::optional<TErrorMessage> NewMasterPasswordError(const std::string& password) {
    if (!password.empty() && password.size() <= MaxMasterPasswordLength)
        return std::nullopt;
    return TErrorMessage(TErrorCode::MasterPasswordLength, {});
}

std::string NewMasterPasswordProblem(const std::string& password) {
    const std::optional<TErrorMessage> error = NewMasterPasswordError(password);
    return error ? error->Text() : std::string();
}

TNewPasswordResult ChooseNewMasterPassword(const TAskNewPassword& ask, std::string& password) {
    std::optional<std::string> fresh = ask(TNewPasswordPrompt::First);
    if (!fresh)
        return {};
    TWipeGuard wipeFresh(*fresh);
    std::optional<std::string> confirm = ask(TNewPasswordPrompt::Repeat);
    if (!confirm)
        return {};
    TWipeGuard wipeConfirm(*confirm);
    if (*fresh != *confirm)
        return {TNewPasswordOutcome::Refused, TErrorMessage(TErrorCode::PasswordsNotTheSame, {})};
    if (std::optional<TErrorMessage> problem = NewMasterPasswordError(*fresh))
        return {TNewPasswordOutcome::Refused, std::move(*problem)};
    password = *fresh; // a copy: the guard wipes the typed text
    return {TNewPasswordOutcome::Accepted, {}};
}
