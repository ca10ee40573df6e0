#pragma once

// Captions of the password prompts that choose a new master password: the window asks with
// them, and the desktop's prompt adds its advice on a strong password to them. They are shown
// translated in the main window's context.

#include <QtGlobal>

#include <string>

inline constexpr const char* NewPasswordPrompt =
    QT_TRANSLATE_NOOP("TfrmMain", "Please enter the new password");
inline constexpr const char* ConfirmPasswordPrompt =
    QT_TRANSLATE_NOOP("TfrmMain", "Please confirm the new password");

// Whether a caption, as the window passes it to the platform, asks for a new master password.
bool AsksForNewPassword(const std::string& caption);
