// create and passwd.

#include "cli/CliErrors.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/VaultAccess.h"
#include "platform/FileSystem.h"
#include "platform/FileWriteLock.h"
#include "platform/ReplacingFile.h"
#include "vault/DataFile.h"
#include "vault/LockedWrite.h"

namespace {

// The new password twice, refused as the window refuses it, before any file is touched.
std::string ReadNewMasterPassword(TPasswordInput& input, const std::string& path) {
    std::string fresh = input.Read("New master password for " + path + ": ");
    TWipeGuard wipeFresh(fresh);
    std::string confirm = input.Read("Repeat the new master password: ");
    TWipeGuard wipeConfirm(confirm);
    if (fresh != confirm)
        throw EUserError(
            "The passwords were not the same. The data file was not created or changed.",
            TOutcome::Said);
    const std::string problem = NewMasterPasswordProblem(fresh);
    if (!problem.empty())
        throw EUserError(problem, TOutcome::Said);
    std::string accepted = fresh; // not `return fresh`, which the guard would wipe in place
    return accepted;
}

} // namespace

void RunCreate(const TArguments& args, TPasswordInput& input) {
    // The window asks before it overwrites a file; a command cannot ask, so it never does.
    const auto refuseExisting = [&] {
        if (NamePresent(args.File))
            throw EUserError(args.File + " exists already. Nothing was written.", TOutcome::Said);
    };
    refuseExisting();
    if (!FolderPresent(FolderOfPath(FollowedPath(args.File))))
        throw EUserError("The folder of " + args.File + " does not exist. Nothing was written.",
                         TOutcome::Said);
    std::string password = ReadNewMasterPassword(input, args.File);
    TWipeGuard wipePassword(password);
    TVault vault;
    try {
        // Another command may have made the file while the password was typed.
        const TFileWriteLock lock(args.File);
        refuseExisting();
        vault.Create(args.File, password);
    } catch (const EInOutError& error) {
        throw EUserError(WriteFailure(error), TOutcome::Said);
    }
    WriteOut("Created " + args.File + ".\n");
}

void RunChangePassword(const TArguments& args, TPasswordInput& input) {
    TVault vault;
    OpenVault(vault, args.File, input);
    std::string password = ReadNewMasterPassword(input, args.File);
    TWipeGuard wipePassword(password);
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
    std::string problem;
    TPasswordChange result = TPasswordChange::Cancelled;
    try {
        result = WriteUnderLock(vault, args.File, std::nullopt, [&] {
            // Said by name before anything changes; a failure of the copy itself comes after.
            problem = BackupNameProblem(args.File);
            return problem.empty() ? vault.ChangePassword(password, refuseStranded)
                                   : TPasswordChange::NoBackup;
        });
    } catch (const EChangedElsewhere&) {
        throw EUserError(args.File + " was changed by another program since this command read "
                                     "it. The password was not changed.",
                         TOutcome::Said);
    } catch (const EInOutError& error) {
        if (error.FileReplaced())
            throw EUserError(error.Message() + ". " + args.File +
                                 " was written under the new password, but may not be on the "
                                 "disk yet.",
                             TOutcome::Said);
        throw EUserError(error.Message() + ". The password for the data file was not changed.",
                         TOutcome::Said);
    }
    if (result == TPasswordChange::Cancelled)
        throw EUserError("The password of " + args.File + " was not changed.", TOutcome::Said);
    if (result == TPasswordChange::NoBackup) {
        if (problem.empty())
            problem = "the copy " + BackupPath(args.File) + " could not be written or read back";
        throw EUserError("The backup file could not be made: " + problem +
                             ". The password for the data file was not changed.",
                         TOutcome::Said);
    }
    WriteOut("Changed the master password of " + args.File + "; the previous file is " +
             BackupPath(args.File) + ".\n");
}
