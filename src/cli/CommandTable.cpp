#include "cli/CommandTable.h"

#include "cli/Commands.h"

#include <QLatin1String>

#include <algorithm>

namespace {

constexpr std::array<TCommand, 18> Commands = {{
    {"ls", "List the account names, in the window's order.", {}, 0, RunList, false},
    {"show",
     "Show an account; the password only when asked for.",
     {"name"},
     OptField | OptShowPassword,
     RunShow,
     false},
    {"add", "Add an account.", {"name"}, OptEditFields | OptReseal, RunAdd, true},
    {"edit",
     "Change the given fields of an account; the others stay.",
     {"name"},
     OptEditFields | OptReseal,
     RunEdit,
     true},
    {"rm", "Remove an account.", {"name"}, OptReseal, RunRemove, true},
    {"passwd",
     "Change the master password; the previous file is kept as FILE.bak.",
     {},
     OptKdf | OptReseal,
     RunChangePassword,
     true},
    {"create",
     "Create a new vault of no accounts (FILE must not exist), in the older format unless "
     "--format 2.",
     {},
     OptFormat | OptKdf,
     RunCreate,
     true},
    {"upgrade",
     "Harden the vault (format 2: Argon2id and authenticated encryption); the previous file is "
     "kept as FILE.bak.",
     {},
     OptKdf | OptNewPassword,
     RunUpgrade,
     true},
    {"downgrade",
     "Write a copy of a hardened vault in the older format, for older versions of Kestovar.",
     {},
     OptOutput,
     RunDowngrade,
     true},
    {"export",
     "Write every account to standard output as CSV.",
     {},
     OptCsvFlag | OptBrowserCsv,
     RunExport,
     false},
    {"import",
     "Add every account of a CSV file or another manager's export, or none when a row cannot be "
     "stored.",
     {},
     OptCsvFile | OptImportFrom | OptReseal,
     RunImport,
     true},
    {"merge",
     "Take the accounts of another copy of the vault (one a file-sync tool left).",
     {"other"},
     OptPreferOther | OptReseal,
     RunMerge,
     true},
    {"repair",
     "Give a data file that another program converted (LF line ends, a byte-order mark) its "
     "own form back.",
     {},
     0,
     RunRepair,
     true},
    {"totp",
     "Show the account's current one-time code (from a key in its notes).",
     {"name"},
     0,
     RunTotp,
     false},
    {"clip",
     "Copy a field to the desktop clipboard, which is cleared after a while.",
     {"name"},
     OptClip,
     RunClip,
     false},
    {"generate",
     "Print a new random password or passphrase; no vault is read.",
     {},
     OptNoFile | OptLengthWords,
     RunGenerate,
     false},
    {"analyze",
     "Report weak, shared, empty and (with --hibp) breached passwords.",
     {},
     OptShowPassword | OptBreachList,
     RunAnalyze,
     false},
    {"info",
     "Show the file's format, key derivation cost and line count (no password).",
     {},
     0,
     RunInfo,
     false},
}};

} // namespace

std::span<const TCommand> CliCommands() noexcept {
    return Commands;
}

const TCommand* FindCommand(QStringView name) noexcept {
    const auto found = std::find_if(Commands.begin(), Commands.end(), [&](const TCommand& command) {
        return name == QLatin1String(command.Name);
    });
    return found == Commands.end() ? nullptr : &*found;
}
