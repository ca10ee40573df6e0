// create, passwd, and the ways between the formats: upgrade and downgrade.

#include "cli/CliErrors.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/VaultAccess.h"
#include "platform/FileSystem.h"
#include "platform/FileWriteLock.h"
#include "platform/ReplacingFile.h"
#include "vault/DataFile.h"
#include "vault/Kvf2Convert.h"
#include "vault/LockedWrite.h"
#include "vault/MasterPassword.h"

namespace {

// The new password twice, refused as the window refuses it, before any file is touched.
std::string ReadNewMasterPassword(TPasswordInput& input, const std::string& path) {
    std::string password;
    const TNewPasswordResult result = ChooseNewMasterPassword(
        [&](TNewPasswordPrompt prompt) -> std::optional<std::string> {
            return input.Read(prompt == TNewPasswordPrompt::First
                                  ? "New master password for " + path + ": "
                                  : std::string("Repeat the new master password: "));
        },
        password);
    if (result.Outcome != TNewPasswordOutcome::Accepted)
        throw EUserError(result.Problem.Text(), TOutcome::Said);
    return password;
}

// The key derivation's cost that the command line asks for; what it leaves out stays as given.
TKvf2Params AskedParams(const TArguments& args, const TKvf2Params& otherwise) {
    TKvf2Params params = otherwise;
    if (args.KdfPasses)
        params.Passes = static_cast<std::uint32_t>(*args.KdfPasses);
    if (args.KdfMemoryMiB)
        params.MemoryKiB = static_cast<std::uint32_t>(*args.KdfMemoryMiB) * 1024;
    return params;
}

std::string CostText(const TKvf2Params& params) {
    return "Argon2id, " + std::to_string(params.Passes) +
           (params.Passes == 1 ? " pass" : " passes") + " over " +
           std::to_string(params.MemoryKiB / 1024) + " MiB";
}

// A new file may be written at path: nothing has its name, and its folder is there.
void RequireNewFile(const std::string& path) {
    if (NamePresent(path))
        throw EUserError(path + " exists already. Nothing was written.", TOutcome::Said);
    if (!FolderPresent(FolderOfPath(FollowedPath(path))))
        throw EUserError("The folder of " + path + " does not exist. Nothing was written.",
                         TOutcome::Said);
}

} // namespace

void RunCreate(const TArguments& args, TPasswordInput& input) {
    // The window asks before it overwrites a file; a command cannot ask, so it never does.
    RequireNewFile(args.File);
    std::string password = ReadNewMasterPassword(input, args.File);
    TWipeGuard wipePassword(password);
    const bool hardened = args.Format == 2;
    const TKvf2Params params = AskedParams(args, Kvf2DefaultParams);
    // The keys first: the file is not touched for the second they take.
    TNewKeys keys;
    if (hardened) {
        keys.Header = TKvf2Session::NewHeader(params);
        try {
            keys.Keys = DeriveKeysFor(password, keys.Header);
        } catch (const EKvf2Refusal& refusal) {
            throw EUserError(refusal.Message());
        }
    }
    TVault vault;
    try {
        // Another command may have made the file while the password was typed.
        const TFileWriteLock lock(args.File);
        if (NamePresent(args.File))
            throw EUserError(args.File + " exists already. Nothing was written.", TOutcome::Said);
        if (hardened)
            vault.Create(args.File, password, std::move(keys));
        else
            vault.Create(args.File, password);
    } catch (const EInOutError& error) {
        throw EUserError(WriteFailure(error), TOutcome::Said);
    }
    if (hardened)
        WriteOut("Created " + args.File + " in the hardened format (" + CostText(params) + ").\n");
    else
        WriteOut("Created " + args.File + ".\n");
}

void RunChangePassword(const TArguments& args, TPasswordInput& input) {
    TVault vault;
    OpenVault(vault, args.File, input);
    RequireResealAllowed(vault, args.Reseal);
    if (vault.Format() != TDataFormat::Hardened && (args.KdfPasses || args.KdfMemoryMiB))
        throw EUserError(args.File + " is in the older format, which has no key derivation to "
                                     "set; upgrade hardens it. The password was not changed.",
                         TOutcome::Said);
    std::string password = ReadNewMasterPassword(input, args.File);
    TWipeGuard wipePassword(password);
    if (args.Reseal)
        vault.AgreeToNewSeal();
    // A hardened file's new keys: never below its own cost nor the defaults, higher where asked.
    TNewKeys keys;
    if (vault.Format() == TDataFormat::Hardened) {
        keys.Header = vault.PasswordChangeHeader(AskedParams(args, Kvf2DefaultParams));
        try {
            keys.Keys = DeriveKeysFor(password, keys.Header);
        } catch (const EKvf2Refusal& refusal) {
            throw EUserError(refusal.Message() + " The password was not changed.", TOutcome::Said);
        }
    }
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
            return problem.empty() ? vault.ChangePassword(password, refuseStranded, std::move(keys))
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

void RunUpgrade(const TArguments& args, TPasswordInput& input) {
    TVault vault;
    std::string password;
    TWipeGuard wipePassword(password);
    OpenVault(vault, args.File, input, &password);
    if (vault.Format() == TDataFormat::Hardened)
        throw EUserError(args.File + " is in the hardened format already. Nothing was written.",
                         TOutcome::Said);
    if (args.NewPassword) {
        std::string fresh = ReadNewMasterPassword(input, args.File);
        password.swap(fresh);
        WipeString(fresh);
    }
    const TKvf2Params params = AskedParams(args, Kvf2DefaultParams);
    TNewKeys keys{TKvf2Session::NewHeader(params), {}};
    try {
        keys.Keys = DeriveKeysFor(password, keys.Header);
    } catch (const EKvf2Refusal& refusal) {
        throw EUserError(refusal.Message());
    }
    std::string problem;
    TUpgradeResult result = TUpgradeResult::NoBackup;
    try {
        result = WriteUnderLock(vault, args.File, std::nullopt, [&] {
            problem = BackupNameProblem(args.File);
            return problem.empty() ? vault.Upgrade(password, std::move(keys))
                                   : TUpgradeResult::NoBackup;
        });
    } catch (const EChangedElsewhere&) {
        throw EUserError(args.File + " was changed by another program since this command read "
                                     "it. Nothing was written.",
                         TOutcome::Said);
    } catch (const EInOutError& error) {
        throw EUserError(WriteFailure(error), TOutcome::Said);
    }
    if (result == TUpgradeResult::NoBackup) {
        if (problem.empty())
            problem = "the copy " + BackupPath(args.File) + " could not be written or read back";
        throw EUserError("The backup file could not be made: " + problem +
                             ". The data file was not hardened.",
                         TOutcome::Said);
    }
    WriteOut("Hardened " + args.File + " (" + CostText(params) + "); the previous file is " +
             BackupPath(args.File) + ".\n");
    WriteErr("note: " + BackupPath(args.File) +
             ", older copies and the sync history still hold the vault in the older format, " +
             (args.NewPassword ? "under the old password.\n" : "under the same password.\n"));
    if (vault.LineCount() > vault.AccountCount())
        WriteErr("note: the lines that could not be read are kept in the hardened file, to come "
                 "back as they were in a copy for older versions.\n");
}

void RunDowngrade(const TArguments& args, TPasswordInput& input) {
    // Never over the hardened file, and never over any other: a command cannot ask.
    RequireNewFile(args.Output);
    TVault vault;
    OpenVault(vault, args.File, input);
    if (vault.Format() != TDataFormat::Hardened)
        throw EUserError(args.File + " is in the older format already; copy the file itself.");
    TKvf1Copy copy;
    try {
        const TFileWriteLock lock(args.Output);
        if (NamePresent(args.Output))
            throw EUserError(args.Output + " exists already. Nothing was written.", TOutcome::Said);
        copy = vault.SaveOlderCopy(args.Output, args.DropDamaged);
    } catch (const EInOutError& error) {
        throw EUserError(WriteFailure(error), TOutcome::Said);
    }
    if (copy.Refused)
        throw EUserError(std::to_string(copy.Damaged.size()) + " line(s) of " + args.File +
                         " could not be read (lines " + DamagedLineNumbers(copy.Damaged) +
                         "); give --drop-damaged to leave them out of the copy.");
    WriteOut("Wrote " + args.Output + " in the older format, under the same master password.\n");
    if (!copy.Damaged.empty())
        WriteErr("warning: " + std::to_string(copy.Damaged.size()) +
                 " line(s) that could not be read were left out of " + args.Output + ".\n");
    WriteErr("warning: anyone who gets " + args.Output +
             " can test master passwords tens of thousands of times faster than with " + args.File +
             ".\n");
}
