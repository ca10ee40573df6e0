#pragma once

// The command line: a command name, then that command's arguments and options, each command with
// its own --help.

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
};

// The arguments of the command named first, or nothing when help or the version was shown.
// Raises EUsageError for anything the command does not take.
std::optional<TArguments> ParseArguments(const QStringList& arguments);
