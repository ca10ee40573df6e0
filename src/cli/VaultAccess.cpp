#include "cli/VaultAccess.h"

#include "base/SecureWipe.h"
#include "cli/CliErrors.h"
#include "cli/Console.h"
#include "platform/FileSystem.h"
#include "vault/ConvertedFile.h"
#include "vault/LockedWrite.h"

namespace {

// The window's wording, with the file named: a command may open two.
std::string DamagedLinesWarning(const std::string& path, const std::vector<int>& damaged) {
    const std::string numbers = DamagedLineNumbers(damaged);
    if (damaged.size() == 1)
        return "warning: 1 line of " + path + " could not be read (line " + numbers +
               "). It is kept unchanged in the file.\n";
    return "warning: " + std::to_string(damaged.size()) + " lines of " + path +
           " could not be read (lines " + numbers + "). They are kept unchanged in the file.\n";
}

} // namespace

bool OpenVaultWith(TVault& vault, const std::string& path, const std::string& password) {
    // No account is deciphered before a command selects one: ls and passwd need none.
    TOpenResult result = TOpenResult::WrongPassword;
    try {
        result = vault.Open(path, password, false);
    } catch (const EKvf2Refusal& refusal) {
        throw EUserError(path + ": " + refusal.Message(), TOutcome::Said);
    }
    if (result == TOpenResult::DamagedHeader)
        throw EUserError(path + ": " + Kvf2DamagedHeaderMessage(), TOutcome::Said);
    if (result == TOpenResult::WrongPassword)
        return false;
    if (!vault.DamagedLines().empty())
        WriteErr(DamagedLinesWarning(path, vault.DamagedLines()));
    if (vault.SealBroken())
        WriteErr("warning: " + path + ": " + Kvf2BrokenSealMessage(vault.SealVerdict()) + "\n");
    return true;
}

void OpenVault(TVault& vault, const std::string& path, TPasswordInput& input,
               std::string* password) {
    // TVault::Open cannot tell a missing file, or one that another program converted, from a
    // wrong password; the user can.
    if (!FilePresent(path))
        throw EUserError(path + ": no such file");
    const std::string converted = ConversionProblem(path, DetectFileConversion(path));
    if (!converted.empty())
        throw EUserError(converted + ". kestovar-cli repair " + path +
                         " gives it its own form back");
    std::string typed = input.Read("Master password for " + path + ": ");
    TWipeGuard wipeTyped(typed);
    if (!OpenVaultWith(vault, path, typed))
        throw EUserError("The password was not correct. " + path + " was not opened.",
                         TOutcome::Said);
    if (password)
        *password = typed;
}

void RequireResealAllowed(const TVault& vault, bool reseal) {
    if (vault.SealBroken() && !reseal)
        throw EUserError(vault.Path() +
                             " was changed outside Kestovar, so its seal does not match its "
                             "lines. Nothing was written; give --reseal to write it with a new "
                             "seal over the lines as they are.",
                         TOutcome::Said);
}

void SaveVault(TVault& vault, bool reseal) {
    RequireResealAllowed(vault, reseal);
    if (reseal)
        vault.AgreeToNewSeal();
    try {
        SaveUnderLock(vault, vault.Path());
    } catch (const EChangedElsewhere&) {
        throw EUserError(vault.Path() +
                             " was changed by another program since this command read it. Nothing "
                             "was written.",
                         TOutcome::Said);
    } catch (const EInOutError& error) {
        throw EUserError(WriteFailure(error), TOutcome::Said);
    }
}

std::string WriteFailure(const EInOutError& error) {
    if (error.FileReplaced())
        return error.Message() + ". The file was written, but may not be on the disk yet.";
    return error.Message() + ". Nothing was written.";
}

int SelectAccount(TVault& vault, const std::string& name) {
    const int row = vault.FindAccount(name);
    if (row < 0)
        throw EUserError("No account named " + AnsiToTerminalShown(name) + " in " + vault.Path() +
                         ".");
    vault.Select(row);
    if (vault.CurrentRow() != row)
        throw EUserError("The line of the account " + AnsiToTerminalShown(name) + " in " +
                         vault.Path() +
                         " failed its check: it was changed outside Kestovar. It "
                         "is kept unchanged in the file.");
    return row;
}
