#pragma once

// Opening a vault for one command and writing it back, with the window's checks: the password
// tested against the check line or the hardened header, damaged lines kept and reported, a file
// changed outside Kestovar told, and no write over a file that another program changed since the
// command read it.

#include "cli/PasswordInput.h"
#include "platform/PlatformErrors.h"
#include "vault/Vault.h"

#include <string>

// Asks for the master password (the prompt names the file), then opens the vault in its format. A
// missing file, a wrong password, a damaged first line, another version or an unreadable file
// raise EUserError. The password is kept in `password` when the caller needs it again (merge);
// pass nullptr otherwise.
void OpenVault(TVault& vault, const std::string& path, TPasswordInput& input,
               std::string* password = nullptr);
// Opens with a password already known; false when it is not that file's password.
bool OpenVaultWith(TVault& vault, const std::string& path, const std::string& password);
// Refuses (EUserError) to write a hardened file that was changed outside Kestovar, unless the user
// gave --reseal.
void RequireResealAllowed(const TVault& vault, bool reseal);
// Writes the vault to its file, holding the file's write lock, unless the file changed since it
// was read, or its seal is broken and no --reseal was given. Every refusal says that nothing was
// written.
void SaveVault(TVault& vault, bool reseal = false);
// The line for a failed write: what failed, and whether the file was written.
std::string WriteFailure(const EInOutError& error);
// The account of exactly this name, shown; EUserError when the vault has none, or when its line
// fails its check now.
int SelectAccount(TVault& vault, const std::string& name);
