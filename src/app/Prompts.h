#pragma once

// Captions of the password prompts that choose a new master password, shown translated in the
// main window's context.

#include <QtGlobal>

#include <string>

inline constexpr const char* NewPasswordPrompt =
    QT_TRANSLATE_NOOP("TfrmMain", "Please enter the new password");
inline constexpr const char* ConfirmPasswordPrompt =
    QT_TRANSLATE_NOOP("TfrmMain", "Please confirm the new password");
