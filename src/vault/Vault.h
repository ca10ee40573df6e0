#pragma once

// The open vault, without any window: the path of its data file, its format (VaultFormat.h: the
// master password and the keys or check line), the enciphered record lines (the only copy of the
// accounts), the accounts in the selector's order, the shown account and the modified flag, and
// every operation on them. Both formats of the data file are read and written alike through the
// format; a file keeps its format until it is hardened (Upgrade) or copied back (SaveOlderCopy).
//
// Views follow it through TVaultObserver: every change of its rows, its shown account, its modified
// flag, its lock, its format and its file is announced before and after it happens, always on the
// vault's own thread.
//
// It asks the user nothing. Questions (save first? overwrite? a new seal?) belong to the caller,
// which asks them and then calls the vault. Failures raise the program's exceptions; refusals that
// the caller words itself (a wrong password, a name that exists already) are results.
//
// The hardened format's key derivation takes about a second. Every command that needs it (open,
// unlock, create, password change, upgrade) therefore comes in two steps as well as in one: the
// header whose parameters and SALT the keys come from, then the command given the keys. The
// derivation between them is pure and may run on any thread (StartKvf2Derivation); the vault is
// neither read nor changed by it. The one-step forms derive on the calling thread.

#include "cipher/Blowfish.h"
#include "platform/FileStamp.h"
#include "platform/RecordList.h"
#include "vault/AccountList.h"
#include "vault/Kvf2Convert.h"
#include "vault/Kvf2File.h"
#include "vault/LineStore.h"
#include "vault/RecordCodec.h"
#include "vault/UndoHistory.h"
#include "vault/VaultFormat.h"
#include "vault/VaultObserver.h"

#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// DamagedHeader: a hardened file whose first line was changed (its checksum fails and the password
// does not match it either), told apart from a wrong password once the keys are derived.
enum class TOpenResult { Opened, WrongPassword, DamagedHeader };

enum class TUpgradeResult { Upgraded, NoBackup };

// A data file read for opening, before its password is used: what its first line says and, for
// the hardened format, the whole file, so that the keys are derived from the header of the very
// lines that are taken.
class TVaultOpening {
public:
    const std::string& Path() const noexcept { return FPath; }
    TFirstLineKind Kind() const noexcept { return FRead.Kind; }
    // Another version, or a damaged first line: the sentence that refuses the file, which is
    // neither opened nor changed, and for which no key is derived. Empty otherwise.
    std::string Refusal() const;
    // For a hardened file: the header whose parameters and SALT give the keys.
    const TKvf2Header& KeyHeader() const noexcept { return FRead.Header; }
    // For another version: what its first line names ("KVF3", or "KVF2 scrypt").
    const std::string& OtherName() const noexcept { return FRead.OtherName; }

private:
    friend class TVault;
    std::string FPath;
    TKvf2HeaderRead FRead;
    std::optional<TDataFileBlock> FText; // a hardened file's lines
    // The names' order set up on the other core while this one reads the file and derives the keys.
    std::future<void> FOrderReady;
};

// The keys of a hardened file on this thread, for the header's parameters and SALT: about a second
// at the defaults.
TKvf2Keys DeriveKeysFor(const std::string& password, const TKvf2Header& header);

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
    bool HasMasterPassword() const noexcept { return FFormat && !FFormat->Locked(); }
    // The open file's format; format 1 when nothing is open.
    TDataFormat Format() const noexcept {
        return FFormat ? FFormat->Format() : TDataFormat::Classic;
    }
    // Whether the opens to come learn the order of the record lines on the other core, for the
    // first change to find ready (the default), or only when a change needs it: a vault that is
    // only read never does.
    void LearnLineOrderBeside(bool beside) noexcept { FLearnOrderBeside = beside; }
    // The record lines in the order of the file they would be written to. Reading them whole puts
    // them in that order first, which changes no line.
    const TRecordList& Records();
    // The record lines, but for blank ones (an editor's empty last line): kept, never counted.
    int LineCount() const noexcept { return FLines.Count() - static_cast<int>(FBlankLines.size()); }
    // The record line of an account, valid until the lines change or are read whole.
    std::string_view LineOf(int row) const { return FLines.View(Account(row).Line); }

    // Views that hear of every change; an observer is removed before it goes.
    void AddObserver(TVaultObserver& observer);
    void RemoveObserver(TVaultObserver& observer) noexcept;
    // Record lines that could not be read at the last open, or whose account failed when it was
    // shown (format 2), by index; they are kept as they are.
    const std::vector<int>& DamagedLines() const noexcept { return FDamaged; }

    // A hardened file whose seal or line count did not match its lines when it was opened: it was
    // changed outside the program. The accounts whose lines pass their checks are shown. The next
    // write needs AgreeToNewSeal first, and raises without it; it then clears the mark.
    bool SealBroken() const noexcept { return FBrokenSeal.has_value(); }
    const TKvf2SealVerdict& SealVerdict() const;
    void AgreeToNewSeal() noexcept { FNewSealAgreed = true; }

    // True exactly when the password is that of the file at path, in either format (a hardened
    // file's keys are derived on this thread for it). A password that cannot be a key opens
    // nothing, and nothing is read for it.
    bool PasswordOpens(const std::string& path, const std::string& password);
    // The same for the open vault's own file; the master password in memory costs no key set-up.
    bool PasswordOpensDataFile(const std::string& password);
    // Whether the vault's master password opens the file at path; costs no key set-up.
    bool MasterPasswordOpens(const std::string& path) const;

    // Reads the file under the password and shows its first account. A wrong password leaves no
    // vault open and nothing modified; an I/O or cipher error does the same and propagates. A
    // hardened file of another version, or with a damaged first line, raises EKvf2Refusal before
    // any key is derived; so does one asking for too much memory. Without showFirst no account is
    // deciphered yet.
    TOpenResult Open(const std::string& path, const std::string& password, bool showFirst = true);
    // The same in two steps: the file read and its first line told (the vault is not touched),
    // then, with keys derived from opening.KeyHeader() for a hardened file (none for format 1),
    // the open itself.
    static TVaultOpening ReadForOpening(const std::string& path);
    TOpenResult Open(TVaultOpening opening, const std::string& password, TKvf2Keys keys,
                     bool showFirst = true);

    // Writes a new file of no accounts under the password at path, replacing any file there,
    // and only then gives up the open vault for it. The password must pass
    // NewMasterPasswordProblem.
    void Create(const std::string& path, const std::string& password);
    // The same in the hardened format: with keys derived for a TKvf2Session::NewHeader, or under
    // these parameters with the keys derived here.
    void Create(const std::string& path, const std::string& password, TNewKeys keys);
    void CreateHardened(const std::string& path, const std::string& password,
                        const TKvf2Params& params = Kvf2DefaultParams);
    // Whether the file at the path to be written differs from what this vault last read or wrote
    // there: the question of an overwrite is then the caller's. Another path was never seen, and
    // a file that cannot be read tells nothing: both give false.
    bool ChangedElsewhere(const std::string& path) const;
    // Writes the vault to its file, or to another one that becomes its file, in its format.
    void Save();
    void SaveAs(const std::string& path);
    // Copies the file to its backup name, re-enciphers every line under the new password and
    // writes the file. Lines that would stay under the old password are shown to `keepStranded`
    // first, which may cancel. Nothing changes in memory or on disk when the backup cannot be
    // made, when it cancels, or when the write fails (which raises). A hardened file keeps its ID
    // and gets a new SALT, its parameters never lowered below its own nor the floor: its keys are
    // derived from PasswordChangeHeader, here in the one-step form.
    TPasswordChange
    ChangePassword(const std::string& newPassword,
                   const std::function<bool(const std::vector<TStrandedLine>&)>& keepStranded);
    TKvf2Header PasswordChangeHeader(const TKvf2Params& floor = Kvf2DefaultParams) const;
    TPasswordChange
    ChangePassword(const std::string& newPassword,
                   const std::function<bool(const std::vector<TStrandedLine>&)>& keepStranded,
                   TNewKeys keys);
    // Format 1 to the hardened format, in place: the file is copied to its backup name first (the
    // backup keeps format 1 under the old password), every line becomes the same line of the new
    // file (an unreadable one kept whole for the way back), the result is compared with the
    // accounts before it is written and read back after, and the vault then holds the new file.
    // The password is the new file's master password, the old one or a new one; keys come from
    // a TKvf2Session::NewHeader (a new SALT and ID).
    TUpgradeResult Upgrade(const std::string& password, TNewKeys keys);
    TUpgradeResult Upgrade(const std::string& password,
                           const TKvf2Params& params = Kvf2DefaultParams);
    // A format-1 copy of a hardened vault at another path, under the same master password; the
    // vault keeps its own file. Refused (nothing written) while there are damaged lines unless they
    // may be left out. Raises std::invalid_argument for the vault's own file.
    TKvf1Copy SaveOlderCopy(const std::string& path, bool dropDamaged);
    // Writes the vault beside its file as the recovery file (vault/RecoveryFile.h), for an end
    // that cannot ask whether to save: a data file of the vault's format under its password.
    void WriteRecoveryCopy();
    // No file and no accounts; the master password, the keys and the check line are wiped.
    void Close();
    // Empties the accounts and keeps the file and the master password (before an open asks for
    // a password, and after New).
    void ClearAccounts();
    // Lets the file go and keeps the accounts in memory.
    void DetachFile();

    // Locking keeps the enciphered lines, the first line a save needs, the path and the modified
    // flag, and wipes every plain copy and every key: the master password, the account names and
    // the shown account. Nothing is saved or discarded by it; a locked vault can still be saved,
    // as its lines and first line are whole. False when there is nothing to lock.
    bool Lock();
    // The right password brings back the names and the account shown when it was locked; a wrong
    // one (checked against the kept check line or header) leaves it locked and returns false. A
    // hardened file's keys are derived from UnlockHeader(), here in the one-step form.
    bool Unlock(const std::string& password);
    // While a hardened vault is locked: the header its keys come from; nothing otherwise.
    std::optional<TKvf2Header> UnlockHeader() const;
    bool Unlock(const std::string& password, TKvf2Keys keys);
    bool Locked() const noexcept { return FLocked; }

    // The accounts in the selector's order (the user's locale, case-insensitive).
    int AccountCount() const noexcept { return FAccounts.Count(); }
    const TAccountEntry& Account(int row) const { return FAccounts[row]; }
    // The first row of exactly this name, or -1.
    int FindAccount(const std::string& name) const;

    // The shown account: its row, and its fields as last shown or stored.
    int CurrentRow() const noexcept { return FCurrentRow; }
    const TPassRecord& Current() const noexcept { return FCurrent; }
    // Deciphers the row's own line and makes it the shown account; -1 shows none. A hardened
    // line that fails its check then is damaged from then on: its row goes, and none is shown.
    void Select(int row);
    // A new account of this name with empty fields, placed in the order of the lines and of the
    // selector and shown. Nothing when the name is in the vault already (letter case counts).
    std::optional<int> Add(const std::string& name);
    // The same for a whole account, enciphered under one key set-up.
    std::optional<int> Add(const TPassRecord& record);
    // Stores one field of the shown account into its own line; the other fields keep their exact
    // bytes. Raises when no account is shown.
    void StoreField(std::string TPassRecord::*field, const std::string& value);

    // Whole accounts by row, under one key set-up for as long as the reader lives; the vault
    // must not change meanwhile. A row whose line does not read whole under the master password
    // reads as noise or nothing, and LastWhole() says so.
    class TAccountReader {
    public:
        TPassRecord Read(int row);
        bool LastWhole() const noexcept { return FCodec->LastDecodeWhole(); }

    private:
        friend class TVault;
        explicit TAccountReader(const TVault& vault);
        const TVault& FVault;
        std::unique_ptr<TAccountCodec> FCodec;
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
    // The steps of a group (see TUndoGroup) go back and come again together.
    std::optional<TUndoKind> Undo();
    std::optional<TUndoKind> Redo();
    bool CanUndo() const noexcept { return FUndo.CanUndo(); }
    bool CanRedo() const noexcept { return FUndo.CanRedo(); }
    // While one lives, the vault's changes are one step for Undo and Redo.
    class TUndoGroup {
    public:
        explicit TUndoGroup(TVault& vault) noexcept : FHistory(vault.FUndo) {
            FHistory.BeginGroup();
        }
        ~TUndoGroup() { FHistory.EndGroup(); }
        TUndoGroup(const TUndoGroup&) = delete;
        TUndoGroup& operator=(const TUndoGroup&) = delete;

    private:
        TUndoHistory& FHistory;
    };

private:
    void ForgetMasterPassword() noexcept;
    void ForgetCurrent() noexcept;
    void ForgetStamp() noexcept;
    void RememberStamp(const TContentDigest& content);
    // Opening each format once its file and password are known.
    TOpenResult OpenClassic(const std::string& path, const std::string& password, bool showFirst);
    TOpenResult OpenHardened(TVaultOpening& opening, const std::string& password, TKvf2Keys keys,
                             bool showFirst);
    // After a failed upgrade, its lines turned back and in the vault again; should that fail too,
    // the vault closes.
    void TakeBackOlderLines(TKvf2Upgrade& upgrade, std::vector<std::string>& lines) noexcept;
    // The vault now holds this format; its lines keep the order it asks for.
    void TakeFormat(std::unique_ptr<TVaultFormat> format);
    // Reads every readable name under one key set-up (or takes those an open read already),
    // sorts them and, with showFirst, shows the first.
    void BuildAccounts(TNameScan* scanned = nullptr, bool showFirst = true);
    // Shows the row's account; false when its line failed and is damaged now (format 2). The row
    // then goes, announced unless a reset covers it.
    bool ShowRow(int row, TAccountCodec& codec, bool announced = true);
    // The row before which the name goes in the selector's order, after any name equal to it.
    int RowAfter(const std::string& name) const;
    // The account of this name and record line, put among the rows and announced; its row.
    int InsertRow(const std::string& name, int line);
    // Removes the row and its line, announced; where the line stood.
    TLineSpot RemoveRow(int row);
    // The row whose record line this is; raises when no row has it.
    int RowOfLine(TAccountCodec& codec, const std::string& line) const;
    // Undo and Redo: the next step and the rest of its group taken back (or, forward, done again),
    // and one step applied one way or the other.
    std::optional<TUndoKind> ApplyNextSteps(bool forward);
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
    void SetBrokenSeal(std::optional<TKvf2SealVerdict> verdict);
    void RequireSealAgreed() const;
    // Empties the accounts and lines, announced as a reset, without telling of the shown account.
    void DropAccounts();
    std::vector<TStrandedLine> StrandedLines(const std::vector<bool>& recoded) const;
    void RequireUnlocked() const;
    const TVaultFormat& RequireFormat(TDataFormat format) const;

    std::string FPath;
    std::unique_ptr<TVaultFormat> FFormat; // none while no vault is open
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
    std::optional<TKvf2SealVerdict> FBrokenSeal;
    bool FNewSealAgreed = false;
    bool FLearnOrderBeside = true;
    TBlowfish FCipher;           // for the check lines of other files
    std::future<void> FDisposal; // the accounts of a closed vault, being wiped and freed
    std::vector<TVaultObserver*> FObservers;
    TUndoHistory FUndo; // wiped at a save, a close and a lock
};
