#pragma once

// Captions of the password prompts that choose a new master password: the window asks with
// them, and the desktop's prompt adds its advice on a strong password to them.
inline constexpr const char* NewPasswordPrompt = "Please enter the new password";
inline constexpr const char* ConfirmPasswordPrompt = "Please confirm the new password";
