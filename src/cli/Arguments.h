#pragma once

// The command line: a command name, then that command's arguments and options, each command with
// its own --help.

#include "vault/ForeignAccounts.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <string>

enum class TShownField { All, Login, Password, Notes, Url };
enum class TClipField { Login, Password, Totp };

struct TArguments {
    QString Command;
    std::string File; // paths in the file system's encoding
    QString Name;
    std::string Other;
    std::string CsvFile;
    bool Csv = false;
    bool BrowserCsv = false;
    std::optional<TImportFormat> ImportFrom; // import --from FORMAT SOURCE
    std::string Source;
    bool DryRun = false;
    std::optional<std::string> BreachFile; // analyze --hibp FILE
    std::optional<QString> Login;
    std::optional<std::string> NotesFile;
    bool PasswordPrompt = false;
    std::optional<int> GenerateLength;
    TShownField Field = TShownField::All;
    TClipField ClipField = TClipField::Password;
    int ClipSeconds = 10;
    // generate: a password of this length, or a passphrase of this many words.
    std::optional<int> Length;
    std::optional<int> Words;
    bool ShowPassword = false;
    bool PreferOther = false;
    // create --format 2, and the key derivation's cost where a hardened file gets new keys.
    int Format = 1;
    std::optional<int> KdfPasses;
    std::optional<int> KdfMemoryMiB;
    bool NewPassword = false; // upgrade --new-password
    std::string Output;       // downgrade --output NEW
    bool DropDamaged = false; // downgrade --drop-damaged
    bool Reseal = false;      // a writing command may seal anew a file changed outside
};

// The arguments of the command named first, or nothing when help or the version was shown.
// Raises EUsageError for anything the command does not take.
std::optional<TArguments> ParseArguments(const QStringList& arguments);
