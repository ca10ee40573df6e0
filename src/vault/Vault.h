#pragma once

// The open vault, without any window: the path of its data file, the master password and its
// check line, the enciphered record lines (the only copy of the accounts), the accounts in the
// selector's order, the shown account and the modified flag, and every operation on them.
//
// Views follow it through TVaultObserver: every change of its rows, its shown account, its modified
// flag, its lock and its file is announced before and after it happens.
//
// It asks the user nothing. Questions (save first? overwrite?) belong to the caller, which asks
// them and then calls the vault. Failures raise the program's exceptions; refusals that the
// caller words itself (a wrong password, a name that exists already) are results.

#include "cipher/Blowfish.h"
#include "platform/FileStamp.h"
#include "platform/RecordList.h"
#include "vault/AccountList.h"
#include "vault/LineStore.h"
#include "vault/RecordCodec.h"
#include "vault/UndoHistory.h"
#include "vault/VaultObserver.h"

#include <functional>
#include <future>
#include <optional>
#include <string>
#include <vector>

enum class TOpenResult { Opened, WrongPassword };

enum class TPasswordChange { Changed, NoBackup, Cancelled };

// A record line that a new master password cannot reach: it does not decipher whole under the
// old one, so it stays as it is, readable (if at all) only under the old password.
struct TStrandedLine {
    int LineNumber = 0;  // in the file, the check line being line 1
    std::string Account; // the account's name where it reads, else empty
    bool Named = false;
};

// The file's line numbers of damaged record lines (the check line is line 1), for a message: at
// most ten, then "and N more".
std::string DamagedLineNumbers(const std::vector<int>& damaged);
// The same for lines that a new password cannot reach, each named by its account where it has
// one ("mail", line 7): at most ten, then "and N more".
std::string StrandedLinesList(const std::vector<TStrandedLine>& stranded);

class TVault {
public:
    TVault() = default;
    ~TVault();
    TVault(const TVault&) = delete;
    TVault& operator=(const TVault&) = delete;

    // The file. An empty path means no data file: either nothing is open, or the accounts of a
    // vault whose file was let go (an Open of a name that does not exist) are still in memory.
    const std::string& Path() const noexcept { return FPath; }
    bool Modified() const noexcept { return FModified; }
    bool HasMasterPassword() const noexcept { return !FMasterPassword.empty(); }
    // The record lines in the order of the file they would be written to. Reading them whole puts
    // them in that order first, which changes no line.
    const TRecordList& Records();
    // The record lines, but for blank ones (an editor's empty last line): kept, never counted.
    int LineCount() const noexcept { return FLines.Count() - static_cast<int>(FBlankLines.size()); }
    // The record line of an account.
    const std::string& LineOf(int row) const { return FLines[Account(row).Line]; }

    // Views that hear of every change; an observer is removed before it goes.
    void AddObserver(TVaultObserver& observer);
    void RemoveObserver(TVaultObserver& observer) noexcept;
    // Record lines that could not be read at the last open, by index; they are kept as they are.
    const std::vector<int>& DamagedLines() const noexcept { return FDamaged; }

    // True exactly when the password is that of the file at path. A password that cannot be a
    // key (empty, or longer than 56 bytes) opens nothing, and nothing is read for it.
    bool PasswordOpens(const std::string& path, const std::string& password);
    // The same for the open vault's own file; the master password in memory costs no key
    // schedule.
    bool PasswordOpensDataFile(const std::string& password);
    // Whether the vault's master password opens the file at path; costs no key schedule.
    bool MasterPasswordOpens(const std::string& path) const;

    // Reads the file under the password and shows its first account. A wrong password leaves no
    // vault open and nothing modified; an I/O or cipher error does the same and propagates.
    TOpenResult Open(const std::string& path, const std::string& password, bool showFirst = true);
    // Writes a new file of no accounts under the password at path, replacing any file there,
    // and only then gives up the open vault for it. The password must pass
    // NewMasterPasswordProblem.
    void Create(const std::string& path, const std::string& password);
    // Whether the file at the path to be written differs from what this vault last read or wrote
    // there: the question of an overwrite is then the caller's. Another path was never seen, and
    // a file that cannot be read tells nothing: both give false.
    bool ChangedElsewhere(const std::string& path) const;
    // Writes the vault to its file, or to another one that becomes its file.
    void Save();
    void SaveAs(const std::string& path);
    // Copies the file to its backup name, re-enciphers every line under the new password and
    // writes the file. Lines that would stay under the old password are shown to `keepStranded`
    // first, which may cancel. Nothing changes in memory or on disk when the backup cannot be
    // made, when it cancels, or when the write fails (which raises).
    TPasswordChange
    ChangePassword(const std::string& newPassword,
                   const std::function<bool(const std::vector<TStrandedLine>&)>& keepStranded);
    // Writes the vault beside its file as the recovery file (vault/RecoveryFile.h), for an end
    // that cannot ask whether to save.
    void WriteRecoveryCopy();
    // No file and no accounts; the master password and check line are wiped.
    void Close();
    // Empties the accounts and keeps the file and the master password (before an open asks for
    // a password, and after New).
    void ClearAccounts();
    // Lets the file go and keeps the accounts in memory.
    void DetachFile();

    // Locking keeps the enciphered lines, the check line, the path and the modified flag, and
    // wipes every plain copy: the master password, the account names and the shown account.
    // Nothing is saved or discarded by it; a locked vault can still be saved, as its lines and
    // check line are whole. False when there is nothing to lock (no master password).
    bool Lock();
    // The right password brings back the names and the account shown when it was locked; a wrong
    // one (checked against the kept check line) leaves it locked and returns false.
    bool Unlock(const std::string& password);
    bool Locked() const noexcept { return FLocked; }

    // The accounts in the selector's order (the user's locale, case-insensitive).
    int AccountCount() const noexcept { return FAccounts.Count(); }
    const TAccountEntry& Account(int row) const { return FAccounts[row]; }
    // The first row of exactly this name, or -1.
    int FindAccount(const std::string& name) const;

    // The shown account: its row, and its fields as last shown or stored.
    int CurrentRow() const noexcept { return FCurrentRow; }
    const TPassRecord& Current() const noexcept { return FCurrent; }
    // Deciphers the row's own line and makes it the shown account; -1 shows none.
    void Select(int row);
    // A new account of this name with empty fields, placed in the order of the lines and of the
    // selector and shown. Nothing when the name is in the vault already (letter case counts).
    std::optional<int> Add(const std::string& name);
    // The same for a whole account, enciphered under one key schedule.
    std::optional<int> Add(const TPassRecord& record);
    // Stores one field of the shown account into its own line; the other fields keep their exact
    // bytes. Raises when no account is shown.
    void StoreField(std::string TPassRecord::*field, const std::string& value);

    // Whole accounts by row, under one key schedule for as long as the reader lives; the vault
    // must not change meanwhile. A row whose line does not decipher whole under the master
    // password reads as noise, and LastWhole() says so.
    class TAccountReader {
    public:
        TPassRecord Read(int row);
        bool LastWhole() const noexcept { return FCodec.LastDecodeWhole(); }

    private:
        friend class TVault;
        explicit TAccountReader(const TVault& vault);
        const TVault& FVault;
        TBlowfish FCipher;
        TRecordCipher FCodec;
    };
    TAccountReader Reader() const;
    // Replaces every field of the account at the row but its name, which the record must keep;
    // the account is shown afterwards. Raises for a row whose line does not decipher whole.
    void ReplaceAccount(int row, const TPassRecord& record);
    // Removes the shown account's line and shows the first account left.
    void DeleteCurrent();

    // Takes back the last Add, Delete or edit since the vault was opened or saved, step by step,
    // or does again the last one taken back; the line comes back with its exact bytes and its place
    // in the file, announced as any change is. The account it touched is shown (after taking back
    // an Add, or doing a Delete again, the first one), and the vault is modified unless it is back
    // where it was saved. Nothing, and no result, when there is nothing to take back or do again.
    std::optional<TUndoKind> Undo();
    std::optional<TUndoKind> Redo();
    bool CanUndo() const noexcept { return FUndo.CanUndo(); }
    bool CanRedo() const noexcept { return FUndo.CanRedo(); }

private:
    void ForgetMasterPassword() noexcept;
    void ForgetCurrent() noexcept;
    void ForgetStamp() noexcept;
    void RememberStamp(const TContentDigest& content);
    // Deciphers every readable name under one key schedule, sorts them and shows the first.
    void BuildAccounts(bool showFirst = true);
    void ShowRow(int row, TRecordCipher& codec);
    // The row before which the name goes in the selector's order, after any name equal to it.
    int RowAfter(const std::string& name) const;
    // The account of this name and record line, put among the rows and announced; its row.
    int InsertRow(const std::string& name, int line);
    // Removes the row and its line, announced; where the line stood.
    TLineSpot RemoveRow(int row);
    // The row whose record line this is; raises when no row has it.
    int RowOfLine(TRecordCipher& codec, const std::string& line) const;
    // Undo and Redo: a step applied one way or the other.
    void ApplyStep(TUndoStep& step, bool forward);
    // Renumbers the line indices held beside the lines: accounts and damaged lines.
    auto Renumberer() {
        return [this](const auto& map) {
            FAccounts.MapLines(map);
            for (int& line : FDamaged)
                line = map(line);
            for (int& line : FBlankLines)
                line = map(line);
        };
    }
    // The lines in file order, the accounts told where their lines went.
    void SettleLines();
    void WriteFile();
    // Announcements to the observers.
    template <typename TCall> void Notify(TCall call) {
        for (TVaultObserver* observer : FObservers)
            call(*observer);
    }
    void SetModified(bool modified);
    void SetLocked(bool locked);
    void SetPath(std::string path);
    // Empties the accounts and lines, announced as a reset, without telling of the shown account.
    void DropAccounts();
    // The lines that deciphered whole under `from`, enciphered under `to` in place; which ones.
    // Raises with the lines as they were.
    static std::vector<bool> RecodeLines(std::vector<std::string>& lines, TRecordCipher& from,
                                         TRecordCipher& to);
    // Turns back the lines that RecodeLines changed; cannot fail but for memory, which ends the
    // program rather than let lines under two passwords reach the file.
    static void RecodeBack(std::vector<std::string>& lines, const std::vector<bool>& recoded,
                           TRecordCipher& from, TRecordCipher& to) noexcept;
    std::vector<TStrandedLine> StrandedLines(const std::vector<bool>& recoded) const;
    void RequireUnlocked() const;

    std::string FPath;
    std::string FMasterPassword;
    std::string FCheckLine;
    TLineStore FLines;
    bool FModified = false;
    std::vector<int> FDamaged;
    std::vector<int> FBlankLines; // empty record lines: kept as they are, and not accounts
    TAccountList FAccounts;
    int FCurrentRow = -1;
    TPassRecord FCurrent;
    bool FCurrentWhole = true; // FCurrent came out of its line as Encode would write it
    bool FLocked = false;
    int FLockedLine = -1;   // the record line of the account shown when the vault was locked
    TFileStamp FStamp;      // the data file as this vault last read or wrote it
    std::string FStampPath; // where FStamp was taken
    TBlowfish FCipher;
    std::future<void> FDisposal; // the accounts of a closed vault, being wiped and freed
    std::vector<TVaultObserver*> FObservers;
    TUndoHistory FUndo; // wiped at a save, a close and a lock
};
