// merge: the accounts of another copy of the vault, such as the conflict copy a file-sync tool
// leaves beside it.

#include "cli/CliErrors.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/VaultAccess.h"
#include "platform/FileSystem.h"
#include "vault/WipeGuard.h"

#include <optional>

namespace {

bool SameRecord(const TPassRecord& a, const TPassRecord& b) {
    return a.Account == b.Account && a.Login == b.Login && a.Password == b.Password &&
           a.Notes == b.Notes;
}

// The other copy is often under the same password; only when it is not is a second one asked.
void OpenOther(TVault& other, const std::string& path, const std::string& password,
               TPasswordInput& input, std::string& otherPassword) {
    if (!FilePresent(path))
        throw EUserError(path + ": no such file");
    if (OpenVaultWith(other, path, password)) {
        otherPassword = password;
        return;
    }
    OpenVault(other, path, input, &otherPassword);
}

} // namespace

void RunMerge(const TArguments& args, TPasswordInput& input) {
    TVault vault;
    std::string password;
    TWipeGuard wipePassword(password);
    OpenVault(vault, args.File, input, &password);
    RequireResealAllowed(vault, args.Reseal);
    TVault other;
    std::string otherPassword;
    TWipeGuard wipeOtherPassword(otherPassword);
    OpenOther(other, args.Other, password, input, otherPassword);

    // Each vault reads under its own keys, in its own format: the copies may differ in both.
    std::optional<TVault::TAccountReader> mine(vault.Reader());
    TVault::TAccountReader theirs = other.Reader();
    std::vector<int> toAdd;                     // rows of the other vault
    std::vector<std::pair<int, int>> toReplace; // (row here, row there)
    int differ = 0;
    int skipped = 0;
    int notWhole = 0;
    // Said only once the file is written: a failed write adds and replaces nothing.
    std::vector<std::string> report;
    // Rows of this vault are found before anything changes them; the first of a name counts.
    for (int row = 0; row < other.AccountCount(); ++row) {
        const std::string& name = other.Account(row).Name;
        if (other.FindAccount(name) != row) {
            // A second account of one name cannot be told from the first: said, not merged.
            ++skipped;
            report.push_back("skipped: " + AnsiToTerminalShown(name) + "\n");
            continue;
        }
        // An account whose fields do not all decipher whole would be taken as noise.
        TPassRecord there = theirs.Read(row);
        TRecordWipeGuard wipeThere(there);
        if (!theirs.LastWhole()) {
            ++notWhole;
            report.push_back("not whole, skipped: " + AnsiToTerminalShown(name) + "\n");
            continue;
        }
        const int here = vault.FindAccount(name);
        if (here < 0) {
            toAdd.push_back(row);
            continue;
        }
        TPassRecord mineRecord = mine->Read(here);
        TRecordWipeGuard wipeMine(mineRecord);
        if (!mine->LastWhole()) {
            ++notWhole;
            report.push_back("not whole here, skipped: " + AnsiToTerminalShown(name) + "\n");
            continue;
        }
        if (SameRecord(mineRecord, there))
            continue;
        if (args.PreferOther) {
            toReplace.emplace_back(here, row);
            report.push_back("replaced: " + AnsiToTerminalShown(name) + "\n");
        } else {
            ++differ;
            report.push_back("differs: " + AnsiToTerminalShown(name) + "\n");
        }
    }

    // This vault changes from here on, which its reader must not see.
    mine.reset();
    // Replacements first: an add moves the rows found above.
    for (const auto& [here, there] : toReplace) {
        TPassRecord record = theirs.Read(there);
        TRecordWipeGuard wipeRecord(record);
        vault.Select(here);
        for (auto field : {&TPassRecord::Login, &TPassRecord::Password, &TPassRecord::Notes}) {
            if (vault.Current().*field != record.*field)
                vault.StoreField(field, record.*field);
        }
    }
    for (const int there : toAdd) {
        TPassRecord record = theirs.Read(there);
        TRecordWipeGuard wipeRecord(record);
        vault.Add(record);
        report.push_back("added: " + AnsiToTerminalShown(record.Account) + "\n");
    }
    if (!toAdd.empty() || !toReplace.empty())
        SaveVault(vault, args.Reseal);
    TOutputBuffer out;
    for (const std::string& line : report)
        out.Append(line);
    out.Append(std::to_string(toAdd.size()) + " added, " + std::to_string(toReplace.size()) +
               " replaced, " + std::to_string(differ) + " differ and were left alone\n");
    if (skipped > 0)
        WriteErr("warning: " + std::to_string(skipped) + " accounts of " + args.Other +
                 " share their name with one before them and were not merged.\n");
    if (notWhole > 0)
        WriteErr("warning: " + std::to_string(notWhole) +
                 " accounts do not decipher whole under their file's master password and were "
                 "not merged.\n");
    if (!other.DamagedLines().empty())
        WriteErr("warning: the lines of " + args.Other +
                 " that could not be read were not merged.\n");
    out.Flush();
}
