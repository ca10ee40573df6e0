// create and passwd.

#include "cli/CliErrors.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/VaultAccess.h"
#include "platform/FileSystem.h"
#include "vault/DataFile.h"

#include <QFileInfo>

namespace {

// The new password twice, refused as the window refuses it, before any file is touched.
std::string ReadNewMasterPassword(TPasswordInput& input, const std::string& path) {
    std::string fresh = input.Read("New master password for " + path + ": ");
    TWipeGuard wipeFresh(fresh);
    std::string confirm = input.Read("Repeat the new master password: ");
    TWipeGuard wipeConfirm(confirm);
    if (fresh != confirm)
        throw EUserError(
            "The passwords were not the same. The data file was not created or changed.");
    const std::string problem = NewMasterPasswordProblem(fresh);
    if (!problem.empty())
        throw EUserError(problem);
    std::string accepted = fresh; // not `return fresh`, which the guard would wipe in place
    return accepted;
}

} // namespace

void RunCreate(const TArguments& args, TPasswordInput& input) {
    // The window asks before it overwrites a file; a command cannot ask, so it never does.
    if (QFileInfo::exists(PathToQString(args.File)))
        throw EUserError(args.File + " exists already. Nothing was written.");
    std::string password = ReadNewMasterPassword(input, args.File);
    TWipeGuard wipePassword(password);
    TVault vault;
    vault.Create(args.File, password);
    WriteOut("Created " + args.File + ".\n");
}

void RunChangePassword(const TArguments& args, TPasswordInput& input) {
    TVault vault;
    OpenVault(vault, args.File, input);
    std::string password = ReadNewMasterPassword(input, args.File);
    TWipeGuard wipePassword(password);
    if (vault.ChangedElsewhere(args.File))
        throw EUserError(args.File + " was changed by another program since this command read "
                                     "it. The password was not changed.");
    // A line that stayed under the old password would need that password for good: a command
    // that nobody answers refuses rather than leave one behind.
    const auto refuseStranded = [&args](const std::vector<TStrandedLine>& stranded) {
        std::string list = StrandedLinesList(stranded);
        TWipeGuard wipeList(list);
        WriteErr(args.File + ": " + std::to_string(stranded.size()) +
                 " line(s) do not decipher whole under the current password and would stay "
                 "under it: " +
                 AnsiToTerminalShown(list) + ".\n");
        return false;
    };
    TPasswordChange result = TPasswordChange::Cancelled;
    try {
        result = vault.ChangePassword(password, refuseStranded);
    } catch (const std::exception& error) {
        throw EUserError(args.File + " could not be written: " + error.what() +
                         " The password was not changed.");
    }
    if (result == TPasswordChange::Cancelled)
        throw EUserError("The password of " + args.File + " was not changed.");
    if (result == TPasswordChange::NoBackup)
        throw EUserError("The backup file " + BackupPath(args.File) +
                         " could not be made. The password for the data file was not changed.");
    WriteOut("Changed the master password of " + args.File + "; the previous file is " +
             BackupPath(args.File) + ".\n");
}
