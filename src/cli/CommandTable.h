#pragma once

// The commands of kestovar-cli, each listed once: its name, its help, its arguments and options,
// the function that runs it and whether it writes. The parser, the help and the dispatch all read
// this table.

#include "cli/Arguments.h"
#include "cli/PasswordInput.h"

#include <QStringView>

#include <array>
#include <span>

// The options a command takes, beyond --help.
enum TCommandOption : unsigned {
    OptField = 1,
    OptShowPassword = 2,
    OptEditFields = 4, // --login, --notes-file, --password-prompt, --generate
    OptCsvFlag = 8,
    OptCsvFile = 16,
    OptPreferOther = 32,
    OptNoFile = 64,       // works without a vault
    OptLengthWords = 128, // --length, --words
    OptClip = 256,        // --field login|password|totp, --timeout
    OptBrowserCsv = 512,
    OptImportFrom = 1024, // --from FORMAT SOURCE and --dry-run
    OptBreachList = 2048,
    OptFormat = 4096,  // --format 1|2
    OptKdf = 8192,     // --kdf-passes, --kdf-memory
    OptReseal = 16384, // --reseal
    OptNewPassword = 32768,
    OptOutput = 65536, // --output NEW and --drop-damaged
};

using TRunCommand = void (*)(const TArguments& args, TPasswordInput& input);

struct TCommand {
    const char* Name;
    const char* Summary;
    std::array<const char*, 2> Extra; // positional arguments after FILE
    unsigned Options;
    TRunCommand Run;
    bool Writes; // a refusal says that nothing was written
};

// Every command, in the order the help lists them.
std::span<const TCommand> CliCommands() noexcept;
// The command of this name, or nullptr.
const TCommand* FindCommand(QStringView name) noexcept;
