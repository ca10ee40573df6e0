#include "vault/Vault.h"

#include "base/Containers.h"
#include "base/SecureWipe.h"
#include "platform/Codepage.h"
#include "platform/FileSystem.h"
#include "platform/PlatformErrors.h"
#include "platform/TextCompare.h"
#include "vault/DataFile.h"
#include "vault/RecoveryFile.h"
#include "vault/WipeGuard.h"

#include <QScopeGuard>

#include <algorithm>
#include <exception>
#include <functional>
#include <future>
#include <numeric>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace {

// The check line keys the cipher with the password alone: one that cannot be a key opens nothing.
bool CanBeKey(const std::string& password) {
    return TBlowfish::KeyLengthValid(password.size());
}

// Room for this many more accounts is kept in the list that Add grows, so that the next Adds move
// no list to a new place (at 100,000 accounts that alone costs milliseconds).
std::size_t AddHeadroom(std::size_t count) {
    return count / 16 + 16;
}

// Below this many lines a second thread costs more than it saves.
constexpr std::size_t ParallelLines = 4096;

} // namespace

std::string DamagedLineNumbers(const std::vector<int>& damaged) {
    constexpr std::size_t Listed = 10;
    std::string numbers;
    for (std::size_t i = 0; i < damaged.size() && i < Listed; ++i)
        numbers += (i ? ", " : "") + std::to_string(damaged[i] + 2);
    if (damaged.size() > Listed)
        numbers += " and " + std::to_string(damaged.size() - Listed) + " more";
    return numbers;
}

std::string StrandedLinesList(const std::vector<TStrandedLine>& stranded) {
    constexpr std::size_t Listed = 10;
    std::string list;
    for (std::size_t i = 0; i < stranded.size() && i < Listed; ++i) {
        list += i ? ", " : "";
        list += stranded[i].Named ? "\"" + stranded[i].Account + "\""
                                  : "line " + std::to_string(stranded[i].LineNumber);
    }
    if (stranded.size() > Listed)
        list += " and " + std::to_string(stranded.size() - Listed) + " more";
    return list;
}

TVault::~TVault() {
    ForgetMasterPassword();
    ForgetCurrent();
    FAccounts.Clear();
    if (FDisposal.valid())
        FDisposal.get();
}

bool TVault::PasswordOpens(const std::string& path, const std::string& password) {
    return CanBeKey(password) && CheckPassword(FCipher, path, password);
}

bool TVault::PasswordOpensDataFile(const std::string& password) {
    if (!password.empty() && password == FMasterPassword && !FCheckLine.empty())
        return FileHasCheckLine(FPath, FCheckLine);
    return PasswordOpens(FPath, password);
}

bool TVault::MasterPasswordOpens(const std::string& path) const {
    return !FCheckLine.empty() && FileHasCheckLine(path, FCheckLine);
}

TOpenResult TVault::Open(const std::string& path, const std::string& password, bool showFirst) {
    Close();
    if (!CanBeKey(password))
        return TOpenResult::WrongPassword;
    // Nothing of a file that failed to open stays open, so that no later save can overwrite it
    // with an emptied vault.
    auto closeOnError = qScopeGuard([this] { Close(); });
    // The check line is made once: it tests the password and stays as the vault's check line.
    std::string checkLine = MakeCheckLine(FCipher, password);
    TWipeGuard wipeCheckLine(checkLine);
    if (!FileHasCheckLine(path, checkLine)) {
        closeOnError.dismiss();
        return TOpenResult::WrongPassword;
    }
    // The lines are taken only with the check line read from the same bytes: a file put in the
    // place of the one just checked is not under this password.
    TContentDigest content;
    std::string readCheckLine;
    TWipeGuard wipeReadCheckLine(readCheckLine);
    std::vector<std::string> lines = ReadDataFile(path, content, readCheckLine);
    if (readCheckLine != checkLine) {
        closeOnError.dismiss();
        return TOpenResult::WrongPassword;
    }
    FLines.Assign(std::move(lines));
    FMasterPassword = password;
    FCheckLine = checkLine;
    BuildAccounts(showFirst);
    SetPath(path);
    RememberStamp(content);
    SetModified(false);
    closeOnError.dismiss();
    return TOpenResult::Opened;
}

void TVault::Create(const std::string& path, const std::string& password) {
    // The new file is written before anything of the open vault is given up, so that a failed
    // write leaves the previous vault and its path as they were.
    std::string checkLine = MakeCheckLine(FCipher, password);
    TWipeGuard wipeCheckLine(checkLine);
    const TContentDigest content = WriteDataFileWithCheckLine(path, checkLine, {});
    Close();
    FMasterPassword = password;
    FCheckLine = checkLine;
    SetPath(path);
    RememberStamp(content);
}

bool TVault::ChangedElsewhere(const std::string& path) const {
    if (FStampPath.empty() || FStampPath != path)
        return false;
    const std::optional<TFileStamp> now = StampFile(path);
    return now && *now != FStamp;
}

const TRecordList& TVault::Records() {
    return FLines.InFileOrder(Renumberer());
}

void TVault::SettleLines() {
    FLines.InFileOrder(Renumberer());
}

void TVault::Save() {
    WriteFile();
}

void TVault::SaveAs(const std::string& path) {
    // A write that fails leaves the vault with the file it had.
    const std::string previous = std::exchange(FPath, path);
    auto keepPrevious = qScopeGuard([&] { FPath = previous; });
    WriteFile();
    keepPrevious.dismiss();
    if (FPath != previous)
        Notify([](TVaultObserver& observer) { observer.FileChanged(); });
}

void TVault::WriteFile() {
    // The check line, not the master password: a locked vault is saved as it is.
    if (FCheckLine.empty())
        throw std::logic_error("No vault is open");
    // The check line is always that of the master password: no key schedule for a save.
    RememberStamp(WriteDataFileWithCheckLine(FPath, FCheckLine, Records().Lines()));
    FUndo.Clear();
    SetModified(false);
}

TPasswordChange
TVault::ChangePassword(const std::string& newPassword,
                       const std::function<bool(const std::vector<TStrandedLine>&)>& keepStranded) {
    RequireUnlocked();
    if (FMasterPassword.empty())
        return TPasswordChange::Changed;
    // The file stays in place, and a copy of it is the backup, before anything is written.
    if (!MakeBackup(FPath))
        return TPasswordChange::NoBackup;
    // The new lines keep the order of the old ones, and the accounts their line indices.
    SettleLines();

    std::string checkLine = MakeCheckLine(FCipher, newPassword);
    TWipeGuard wipeCheckLine(checkLine);
    // Each line is replaced where it stands, one decoded record at a time, so that the old and
    // the new lines are never all in memory together.
    TBlowfish newCipher;
    TRecordCipher oldCodec(FCipher, FMasterPassword);
    TRecordCipher newCodec(newCipher, newPassword);
    std::vector<std::string> lines = FLines.Take();
    const auto keep = [this](std::vector<std::string>& kept) {
        FLines.Assign(std::move(kept));
        FLines.AdoptOrder(TextOrder(FLines.Stored()));
    };
    std::vector<bool> recoded;
    try {
        recoded = RecodeLines(lines, oldCodec, newCodec);
    } catch (...) {
        keep(lines);
        throw;
    }
    keep(lines);
    const auto turnBack = [&] {
        std::vector<std::string> taken = FLines.Take();
        RecodeBack(taken, recoded, newCodec, oldCodec);
        keep(taken);
    };
    std::vector<TStrandedLine> stranded = StrandedLines(recoded);
    const auto wipeNames = qScopeGuard([&stranded] {
        for (TStrandedLine& line : stranded)
            WipeString(line.Account);
    });
    if (!stranded.empty() && !keepStranded(stranded)) {
        turnBack();
        return TPasswordChange::Cancelled;
    }

    // Until the new file is written the vault in memory differs from every file on disk; a
    // failed write turns everything back, so that the file's password still opens the vault.
    std::string oldPassword = std::exchange(FMasterPassword, newPassword);
    std::string oldCheckLine = std::exchange(FCheckLine, checkLine);
    TWipeGuard wipeOldPassword(oldPassword);
    TWipeGuard wipeOldCheckLine(oldCheckLine);
    const bool wasModified = FModified;
    try {
        FModified = true;
        WriteFile();
    } catch (const EInOutError& error) {
        // A failure after the new file took the old one's place (its folder not synced): the
        // file is under the new password, and so stays the vault, to be saved again.
        if (error.FileReplaced())
            throw;
        turnBack();
        FMasterPassword.swap(oldPassword);
        FCheckLine.swap(oldCheckLine);
        FModified = wasModified;
        throw;
    } catch (...) {
        turnBack();
        FMasterPassword.swap(oldPassword);
        FCheckLine.swap(oldCheckLine);
        FModified = wasModified;
        throw;
    }
    // Accounts whose lines stayed under the old password are noise under the new one: they are
    // read again, and listed as damaged from now on.
    if (std::any_of(stranded.begin(), stranded.end(),
                    [](const TStrandedLine& line) { return line.Named; })) {
        const int shownLine = FCurrentRow >= 0 ? Account(FCurrentRow).Line : -1;
        BuildAccounts();
        int shown = AccountCount() - 1;
        while (shown > 0 && Account(shown).Line != shownLine)
            --shown;
        Select(shown);
    }
    return TPasswordChange::Changed;
}

std::vector<bool> TVault::RecodeLines(std::vector<std::string>& lines, TRecordCipher& from,
                                      TRecordCipher& to) {
    // A line that cannot be read stays as it is, and so does one enciphered under another
    // password: deciphered under this one it is noise, and the noise enciphered anew would lose
    // the line for good.
    std::vector<bool> recoded(lines.size());
    std::size_t done = 0;
    try {
        for (; done < lines.size(); ++done) {
            std::string& line = lines[done];
            // A blank line is kept blank: enciphered anew it would become an account.
            if (line.empty() || !RecordLineReadable(line))
                continue;
            TPassRecord record = from.Decode(line);
            TRecordWipeGuard wipeRecord(record);
            if (!from.LastDecodeWhole())
                continue;
            std::string anew = to.Encode(record);
            line.swap(anew);
            recoded[done] = true;
        }
    } catch (...) {
        // Only memory can run out midway: the lines done are turned back.
        recoded.resize(done);
        RecodeBack(lines, recoded, to, from);
        throw;
    }
    return recoded;
}

void TVault::RecodeBack(std::vector<std::string>& lines, const std::vector<bool>& recoded,
                        TRecordCipher& from, TRecordCipher& to) noexcept {
    try {
        for (std::size_t index = 0; index < recoded.size(); ++index) {
            if (!recoded[index])
                continue;
            TPassRecord record = from.Decode(lines[index]);
            TRecordWipeGuard wipeRecord(record);
            std::string back = to.Encode(record);
            lines[index].swap(back);
        }
    } catch (...) {
        // Out of memory both ways: the data file is whole and untouched, and a vault of lines
        // under two passwords must never reach it.
        std::terminate();
    }
}

std::vector<TStrandedLine> TVault::StrandedLines(const std::vector<bool>& recoded) const {
    std::vector<TStrandedLine> stranded;
    for (std::size_t index = 0; index < recoded.size(); ++index)
        if (!recoded[index] && !FLines[static_cast<int>(index)].empty())
            stranded.push_back({static_cast<int>(index) + 2, {}, false});
    if (stranded.empty())
        return stranded;
    // Names where the name reads: the accounts listed whose lines did not decipher whole.
    std::vector<int> entryOfLine(recoded.size(), -1);
    for (std::size_t entry = 0; entry < stranded.size(); ++entry)
        entryOfLine[static_cast<std::size_t>(stranded[entry].LineNumber - 2)] =
            static_cast<int>(entry);
    for (int row = 0; row < AccountCount(); ++row) {
        const int entry = entryOfLine[static_cast<std::size_t>(Account(row).Line)];
        if (entry < 0)
            continue;
        stranded[static_cast<std::size_t>(entry)].Account = Account(row).Name;
        stranded[static_cast<std::size_t>(entry)].Named = true;
    }
    return stranded;
}

void TVault::WriteRecoveryCopy() {
    if (FCheckLine.empty() || FPath.empty())
        throw std::logic_error("No vault is open");
    WriteRecoveryFile(FPath, FCheckLine, Records().Lines());
}

void TVault::Close() {
    const bool wasLocked = FLocked;
    FLocked = false;
    FLockedLine = -1;
    ForgetStamp();
    ForgetMasterPassword();
    ClearAccounts();
    SetPath({});
    SetModified(false);
    if (wasLocked)
        Notify([](TVaultObserver& observer) { observer.LockedChanged(false); });
}

void TVault::ClearAccounts() {
    const bool hadCurrent = FCurrentRow >= 0;
    DropAccounts();
    if (hadCurrent)
        Notify([](TVaultObserver& observer) { observer.CurrentChanged(); });
}

void TVault::DropAccounts() {
    Notify([](TVaultObserver& observer) { observer.AboutToReset(); });
    const auto announce = qScopeGuard([this] {
        Notify([](TVaultObserver& observer) { observer.ResetDone(); });
        Notify([](TVaultObserver& observer) { observer.LineCountChanged(); });
    });
    FDamaged.clear();
    FBlankLines.clear();
    ForgetCurrent();
    FUndo.Clear();
    // Nothing to hand over: the vault given away last may still be in the other core's hands.
    if (FLines.Empty() && FAccounts.Empty()) {
        FLines.Clear();
        return;
    }
    // A large vault takes a while to wipe and free; the other core does it, while this one goes
    // on to what comes next (often another open). The one before is waited for first.
    if (FDisposal.valid())
        FDisposal.get();
    const bool large = FLines.Stored().size() >= ParallelLines;
    std::vector<std::string> stored = FLines.Take();
    auto dispose = [lines = std::move(stored), accounts = FAccounts.Take()]() mutable {
        for (TAccountEntry& entry : accounts)
            WipeString(entry.Name);
        // Freed here: the captures themselves go with the future, on the thread that waits.
        std::vector<std::string>().swap(lines);
        std::vector<TAccountEntry>().swap(accounts);
    };
    if (large)
        FDisposal = std::async(std::launch::async, std::move(dispose));
    else
        dispose();
}

void TVault::DetachFile() {
    ForgetStamp();
    SetPath({});
}

int TVault::FindAccount(const std::string& name) const {
    // The names are in CompareTextLocale order, and names equal under it lie together: only they
    // are compared byte for byte.
    const int count = FAccounts.Count();
    int row = PartitionPlace(
        count, [&](int other) { return CompareTextLocale(FAccounts[other].Name, name) < 0; });
    for (; row < count && CompareTextLocale(FAccounts[row].Name, name) == 0; ++row)
        if (FAccounts[row].Name == name)
            return row;
    return -1;
}

bool TVault::Lock() {
    if (FLocked || FMasterPassword.empty())
        return false;
    // The order of the lines is learnt again at unlock, from the lines as they stand.
    SettleLines();
    FUndo.Clear();
    FLockedLine = FCurrentRow >= 0 ? Account(FCurrentRow).Line : -1;
    WipeString(FMasterPassword);
    {
        Notify([](TVaultObserver& observer) { observer.AboutToReset(); });
        const auto announce =
            qScopeGuard([this] { Notify([](TVaultObserver& observer) { observer.ResetDone(); }); });
        FAccounts.Clear();
        ForgetCurrent();
    }
    Notify([](TVaultObserver& observer) { observer.CurrentChanged(); });
    SetLocked(true);
    return true;
}

bool TVault::Unlock(const std::string& password) {
    if (!FLocked)
        return true;
    if (!CanBeKey(password))
        return false;
    std::string checkLine = MakeCheckLine(FCipher, password);
    TWipeGuard wipeCheckLine(checkLine);
    if (checkLine != FCheckLine)
        return false;
    FMasterPassword = password;
    FLocked = false;
    // The lines are those of the lock, so the names come back in the same order.
    BuildAccounts();
    int shown = AccountCount() - 1;
    while (shown >= 0 && Account(shown).Line != FLockedLine)
        --shown;
    FLockedLine = -1;
    Select(shown);
    Notify([](TVaultObserver& observer) { observer.LockedChanged(false); });
    return true;
}

void TVault::RequireUnlocked() const {
    if (FLocked)
        throw std::logic_error("The vault is locked; nothing was changed");
}

void TVault::Select(int row) {
    RequireUnlocked();
    ForgetCurrent();
    if (row >= 0) {
        TRecordCipher codec(FCipher, FMasterPassword);
        ShowRow(row, codec);
    }
    Notify([](TVaultObserver& observer) { observer.CurrentChanged(); });
}

void TVault::ShowRow(int row, TRecordCipher& codec) {
    ForgetCurrent();
    const TAccountEntry& entry = Account(row);
    FCurrent = codec.Decode(FLines[entry.Line]);
    FCurrentWhole = codec.LastDecodeWhole();
    FCurrentRow = row;
}

std::optional<int> TVault::Add(const std::string& name) {
    TPassRecord record{name, {}, {}, {}};
    TRecordWipeGuard wipeRecord(record);
    return Add(record);
}

std::optional<int> TVault::Add(const TPassRecord& record) {
    RequireUnlocked();
    const std::string& name = record.Account;
    if (FindAccount(name) >= 0)
        return std::nullopt;
    TRecordCipher codec(FCipher, FMasterPassword);
    std::string line = codec.Encode(record);
    const TLineOrder order = FLines.Order();
    const int row = InsertRow(name, FLines.Add(std::move(line)));
    FUndo.Added(LineOf(row), order);
    // The new account's fields are known: nothing to decipher.
    FCurrent = record;
    FCurrentRow = row;
    Notify([](TVaultObserver& observer) { observer.CurrentChanged(); });
    SetModified(true);
    return row;
}

int TVault::RowAfter(const std::string& name) const {
    return PartitionPlace(AccountCount(),
                          [&](int row) { return CompareTextLocale(name, Account(row).Name) >= 0; });
}

int TVault::InsertRow(const std::string& name, int line) {
    ForgetCurrent();
    const int row = RowAfter(name);
    Notify([row](TVaultObserver& observer) { observer.RowsAboutToBeInserted(row, row); });
    FAccounts.Insert(row, TAccountEntry{name, line});
    Notify([row](TVaultObserver& observer) { observer.RowsInserted(row, row); });
    Notify([](TVaultObserver& observer) { observer.LineCountChanged(); });
    return row;
}

void TVault::StoreField(std::string TPassRecord::*field, const std::string& value) {
    if (FCurrentRow < 0)
        throw std::logic_error("No account is shown; the change was not stored");
    // Fields that are noise under this password would be stored as noise, and the line lost.
    if (!FCurrentWhole)
        throw std::runtime_error("This account's line does not decipher whole under the master "
                                 "password; the change was not stored and the line is kept as "
                                 "it is");
    TPassRecord record = FCurrent;
    TRecordWipeGuard wipeRecord(record);
    WipeString(record.*field);
    record.*field = value;
    std::string before = LineOf(FCurrentRow);
    // The name starts the chain, so the line keeps its name's column and nearly always its place;
    // only neighbours that compare equal on that column can tell otherwise.
    FLines.Put(Account(FCurrentRow).Line, EncodeRecord(FCipher, record, FMasterPassword),
               Renumberer());
    std::swap(FCurrent, record);
    FUndo.Edited(field, std::move(before), LineOf(FCurrentRow));
    SetModified(true);
}

TVault::TAccountReader::TAccountReader(const TVault& vault)
    : FVault(vault), FCodec(FCipher, vault.FMasterPassword) {}

TPassRecord TVault::TAccountReader::Read(int row) {
    return FCodec.Decode(FVault.LineOf(row));
}

TVault::TAccountReader TVault::Reader() const {
    RequireUnlocked();
    return TAccountReader(*this);
}

void TVault::ReplaceAccount(int row, const TPassRecord& record) {
    RequireUnlocked();
    if (record.Account != Account(row).Name)
        throw std::logic_error("An account keeps its name when its fields are replaced");
    Select(row);
    if (!FCurrentWhole)
        throw std::runtime_error("This account's line does not decipher whole under the master "
                                 "password; the change was not stored and the line is kept as "
                                 "it is");
    if (record == FCurrent)
        return;
    TPassRecord anew = record;
    TRecordWipeGuard wipeRecord(anew);
    std::string before = LineOf(row);
    FLines.Put(Account(row).Line, EncodeRecord(FCipher, anew, FMasterPassword), Renumberer());
    std::swap(FCurrent, anew);
    FUndo.Edited(nullptr, std::move(before), LineOf(row));
    SetModified(true);
    Notify([](TVaultObserver& observer) { observer.CurrentChanged(); });
}

void TVault::DeleteCurrent() {
    if (FCurrentRow < 0)
        throw std::logic_error("No account is shown; nothing was deleted");
    std::string line = LineOf(FCurrentRow);
    const TLineSpot spot = RemoveRow(FCurrentRow);
    FUndo.Deleted(std::move(line), spot);
    SetModified(true);
    Select(FAccounts.Empty() ? -1 : 0);
}

TLineSpot TVault::RemoveRow(int row) {
    const int line = Account(row).Line;
    const TLineSpot spot = FLines.SpotOf(line);
    Notify([row](TVaultObserver& observer) { observer.RowsAboutToBeRemoved(row, row); });
    ForgetCurrent();
    FAccounts.Erase(row);
    Notify([row](TVaultObserver& observer) { observer.RowsRemoved(row, row); });
    FLines.Erase(line, Renumberer());
    Notify([](TVaultObserver& observer) { observer.LineCountChanged(); });
    return spot;
}

void TVault::BuildAccounts(bool showFirst) {
    Notify([](TVaultObserver& observer) { observer.AboutToReset(); });
    const auto announce = qScopeGuard([this] {
        Notify([](TVaultObserver& observer) { observer.ResetDone(); });
        Notify([](TVaultObserver& observer) { observer.LineCountChanged(); });
        Notify([](TVaultObserver& observer) { observer.CurrentChanged(); });
    });
    FAccounts.Clear();
    FDamaged.clear();
    FBlankLines.clear();
    ForgetCurrent();
    FLines.AdoptOrder({});
    if (FLines.Empty())
        return;
    const std::vector<std::string>& lines = FLines.Stored();
    // The order of the lines is learnt beside the names, on the other core, where it needs no
    // collator (nearly always); the lines are only read meanwhile. The future waits for it also
    // when the names raise.
    const bool parallel = lines.size() >= ParallelLines;
    std::future<std::optional<TTextOrder>> lineOrder =
        std::async(parallel ? std::launch::async : std::launch::deferred, TextOrderWithoutCollator,
                   std::cref(lines));

    // One key schedule for all lines. Each line gives only its name here; the whole record is
    // deciphered when its account is shown.
    TRecordCipher codec(FCipher, FMasterPassword);
    std::vector<TAccountEntry> entries;
    entries.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty()) {
            FBlankLines.push_back(static_cast<int>(i));
            continue;
        }
        if (!RecordLineReadable(lines[i])) {
            FDamaged.push_back(static_cast<int>(i)); // kept as it is, never shown
            continue;
        }
        std::string name = codec.DecodeAccount(lines[i]);
        if (!codec.LastDecodeWhole()) {
            // Enciphered under another password: its fields are noise under this one, and an
            // edit or a new password would turn the line itself into noise. Kept, never shown.
            WipeString(name);
            FDamaged.push_back(static_cast<int>(i));
            continue;
        }
        entries.push_back(TAccountEntry{std::move(name), static_cast<int>(i)});
        WipeString(name); // a short name moved out leaves its bytes behind
    }
    std::vector<std::string_view> names;
    names.reserve(entries.size());
    for (const TAccountEntry& entry : entries)
        names.emplace_back(entry.Name);
    const std::vector<int> order = SortedOrder(names);
    names.clear();
    // Placed in the selector's order, so that a pass over the rows reads the names in a row.
    std::vector<TAccountEntry> ordered;
    ordered.reserve(entries.size() + AddHeadroom(entries.size())); // kept for the Adds to come
    for (const int i : order) {
        TAccountEntry& entry = entries[static_cast<std::size_t>(i)];
        ordered.push_back(std::move(entry));
        WipeString(entry.Name); // a short name moved out leaves its bytes behind
    }
    FAccounts.Assign(std::move(ordered));

    std::optional<TTextOrder> found = lineOrder.get();
    if (!found)
        found = TextOrder(lines);
    FLines.AdoptOrder(std::move(*found));
    if (showFirst && !FAccounts.Empty())
        ShowRow(0, codec);
}

void TVault::AddObserver(TVaultObserver& observer) {
    FObservers.push_back(&observer);
}

void TVault::RemoveObserver(TVaultObserver& observer) noexcept {
    std::erase(FObservers, &observer);
}

void TVault::SetModified(bool modified) {
    if (!modified)
        FUndo.MarkSaved();
    if (FModified == modified)
        return;
    FModified = modified;
    Notify([modified](TVaultObserver& observer) { observer.ModifiedChanged(modified); });
}

void TVault::SetLocked(bool locked) {
    FLocked = locked;
    Notify([locked](TVaultObserver& observer) { observer.LockedChanged(locked); });
}

void TVault::SetPath(std::string path) {
    FPath = std::move(path);
    Notify([](TVaultObserver& observer) { observer.FileChanged(); });
}

void TVault::ForgetMasterPassword() noexcept {
    WipeString(FMasterPassword);
    WipeString(FCheckLine);
}

void TVault::ForgetCurrent() noexcept {
    WipeRecord(FCurrent);
    FCurrentRow = -1;
    FCurrentWhole = true;
}

void TVault::ForgetStamp() noexcept {
    FStampPath.clear();
    FStamp = {};
}

void TVault::RememberStamp(const TContentDigest& content) {
    const std::optional<TFileStamp> stamp = StampFile(FPath, content);
    if (!stamp) {
        ForgetStamp(); // rather no question later than a false one
        return;
    }
    FStampPath = FPath;
    FStamp = *stamp;
}
