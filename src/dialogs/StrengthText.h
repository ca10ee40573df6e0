#pragma once

// zxcvbn's estimate of a password's strength, worded for the dialogs in the user's language:
// "52 bits, good".

#include "vault/PasswordStrength.h"

#include <QString>

#include <string>

QString StrengthText(const TPasswordStrength& strength);
// The estimate of a Windows-1252 password (the copies made for it are wiped).
QString PasswordStrengthText(const std::string& password);
