#include "vault/Vault.h"

#include "base/SecureWipe.h"
#include "platform/Codepage.h"
#include "platform/FileSystem.h"
#include "platform/TextCompare.h"
#include "vault/DataFile.h"
#include "vault/WipeGuard.h"

#include <QScopeGuard>

#include <algorithm>
#include <stdexcept>

namespace {

// A key has 1 to 56 bytes; the check line keys the cipher with the password alone.
constexpr std::size_t MaxKeyLength = 56;

bool CanBeKey(const std::string& password) {
    return !password.empty() && password.size() <= MaxKeyLength;
}

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

TVault::~TVault() {
    ForgetMasterPassword();
    ForgetCurrent();
}

bool TVault::PasswordOpens(const std::string& path, const std::string& password) {
    return CanBeKey(password) && CheckPassword(FCipher, path, password);
}

bool TVault::PasswordOpensDataFile(const std::string& password) {
    if (!password.empty() && password == FMasterPassword && !FCheckLine.empty())
        return FileHasCheckLine(FPath, FCheckLine);
    return PasswordOpens(FPath, password);
}

TOpenResult TVault::Open(const std::string& path, const std::string& password) {
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
    TContentDigest content;
    FRecords.Assign(ReadDataFile(path, content));
    FLinesSorted = false;
    FMasterPassword = password;
    FCheckLine = checkLine;
    BuildAccounts();
    FPath = path;
    RememberStamp(content);
    FModified = false;
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
    FPath = path;
    RememberStamp(content);
}

bool TVault::ChangedElsewhere(const std::string& path) const {
    if (FStampPath.empty() || FStampPath != path)
        return false;
    const std::optional<TFileStamp> now = StampFile(path);
    return now && *now != FStamp;
}

void TVault::Save() {
    WriteFile();
}

void TVault::SaveAs(const std::string& path) {
    FPath = path;
    WriteFile();
}

void TVault::WriteFile() {
    // The check line, not the master password: a locked vault is saved as it is.
    if (FCheckLine.empty())
        throw std::logic_error("No vault is open");
    // The check line is always that of the master password: no key schedule for a save.
    RememberStamp(WriteDataFileWithCheckLine(FPath, FCheckLine, FRecords.Lines()));
    FModified = false;
}

bool TVault::ChangePassword(const std::string& newPassword) {
    RequireUnlocked();
    if (FMasterPassword.empty())
        return true;
    // The file stays in place, and a copy of it is the backup, before anything is written.
    if (!MakeBackup(FPath))
        return false;

    // Every line under the new password, one decoded record at a time, keying each cipher once;
    // a line that cannot be read goes over unchanged. The list changes only once all are done.
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(FRecords.Count()));
    if (!FRecords.Empty()) {
        TBlowfish newCipher;
        TRecordCipher oldCodec(FCipher, FMasterPassword);
        TRecordCipher newCodec(newCipher, newPassword);
        for (const std::string& line : FRecords.Lines()) {
            if (!RecordLineReadable(line)) {
                lines.push_back(line);
                continue;
            }
            TPassRecord record = oldCodec.Decode(line);
            TRecordWipeGuard wipeRecord(record);
            lines.push_back(newCodec.Encode(record));
        }
    }
    std::string checkLine = MakeCheckLine(FCipher, newPassword);
    FRecords.Assign(std::move(lines));
    FLinesSorted = false;
    ForgetMasterPassword();
    FMasterPassword = newPassword;
    FCheckLine = std::move(checkLine);
    // Until the new file is written the vault in memory differs from every file on disk.
    FModified = true;
    WriteFile();
    return true;
}

void TVault::Close() {
    FLocked = false;
    FLockedLine = -1;
    FPath.clear();
    ForgetStamp();
    ForgetMasterPassword();
    ClearAccounts();
    FModified = false;
}

void TVault::ClearAccounts() {
    FRecords.Clear();
    FLinesSorted = true;
    FDamaged.clear();
    for (TAccountEntry& entry : FAccounts)
        WipeString(entry.Name);
    FAccounts.clear();
    ForgetCurrent();
}

void TVault::DetachFile() {
    FPath.clear();
    ForgetStamp();
}

int TVault::FindAccount(const std::string& name) const {
    const auto found = std::find_if(FAccounts.begin(), FAccounts.end(),
                                    [&](const TAccountEntry& entry) { return entry.Name == name; });
    return found == FAccounts.end() ? -1 : static_cast<int>(found - FAccounts.begin());
}

bool TVault::Lock() {
    if (FLocked || FMasterPassword.empty())
        return false;
    FLockedLine = FCurrentRow >= 0 ? Account(FCurrentRow).Line : -1;
    WipeString(FMasterPassword);
    for (TAccountEntry& entry : FAccounts)
        WipeString(entry.Name);
    FAccounts.clear();
    ForgetCurrent();
    FLocked = true;
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
    const auto shown = std::find_if(FAccounts.begin(), FAccounts.end(), [this](const auto& entry) {
        return entry.Line == FLockedLine;
    });
    FLockedLine = -1;
    Select(shown == FAccounts.end() ? -1 : static_cast<int>(shown - FAccounts.begin()));
    return true;
}

void TVault::RequireUnlocked() const {
    if (FLocked)
        throw std::logic_error("The vault is locked; nothing was changed");
}

void TVault::Select(int row) {
    RequireUnlocked();
    ForgetCurrent();
    if (row < 0)
        return;
    TRecordCipher codec(FCipher, FMasterPassword);
    ShowRow(row, codec);
}

void TVault::ShowRow(int row, TRecordCipher& codec) {
    ForgetCurrent();
    const TAccountEntry& entry = Account(row);
    FCurrent = codec.Decode(FRecords[entry.Line]);
    FCurrentRow = row;
}

std::optional<int> TVault::Add(const std::string& name) {
    RequireUnlocked();
    if (FindAccount(name) >= 0)
        return std::nullopt;
    TRecordCipher codec(FCipher, FMasterPassword);
    const int line = InsertLineSorted(codec.Encode(TPassRecord{name, {}, {}, {}}));
    const auto place = std::upper_bound(FAccounts.begin(), FAccounts.end(), name,
                                        [](const std::string& text, const TAccountEntry& entry) {
                                            return CompareTextLocale(text, entry.Name) < 0;
                                        });
    const auto row = static_cast<int>(place - FAccounts.begin());
    FAccounts.insert(place, TAccountEntry{name, line});
    FModified = true;
    // The new account's fields are known: nothing to decipher.
    ForgetCurrent();
    FCurrent.Account = name;
    FCurrentRow = row;
    return row;
}

int TVault::InsertLineSorted(std::string line) {
    if (FLinesSorted) {
        const auto& lines = FRecords.Lines();
        const auto place = std::upper_bound(
            lines.begin(), lines.end(), line,
            [](const std::string& a, const std::string& b) { return CompareTextLocale(a, b) < 0; });
        const int index = static_cast<int>(place - lines.begin());
        FRecords.Insert(index, std::move(line));
        for (TAccountEntry& entry : FAccounts)
            if (entry.Line >= index)
                ++entry.Line;
        return index;
    }
    // The lines are sorted whole once; from then on each Add only finds its place.
    std::vector<std::string> lines = FRecords.Take();
    lines.push_back(std::move(line));
    const std::vector<int> order = SortedOrder(lines);
    std::vector<std::string> sorted;
    sorted.reserve(order.size());
    std::vector<int> newIndexOfOld(order.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        const auto old = static_cast<std::size_t>(order[k]);
        sorted.push_back(std::move(lines[old]));
        newIndexOfOld[old] = static_cast<int>(k);
    }
    FRecords.Assign(std::move(sorted));
    FLinesSorted = true;
    for (TAccountEntry& entry : FAccounts)
        entry.Line = newIndexOfOld[static_cast<std::size_t>(entry.Line)];
    for (int& damaged : FDamaged)
        damaged = newIndexOfOld[static_cast<std::size_t>(damaged)];
    std::sort(FDamaged.begin(), FDamaged.end());
    return newIndexOfOld.back();
}

void TVault::StoreField(std::string TPassRecord::*field, const std::string& value) {
    if (FCurrentRow < 0)
        throw std::logic_error("No account is shown; the change was not stored");
    TPassRecord record = FCurrent;
    TRecordWipeGuard wipeRecord(record);
    WipeString(record.*field);
    record.*field = value;
    const int index = Account(FCurrentRow).Line;
    FRecords.Put(index, EncodeRecord(FCipher, record, FMasterPassword));
    std::swap(FCurrent, record);
    FModified = true;
    // A changed line may have left its place in the order; its neighbours tell.
    if (FLinesSorted) {
        const std::string& stored = FRecords[index];
        FLinesSorted =
            (index == 0 || CompareTextLocale(FRecords[index - 1], stored) <= 0) &&
            (index + 1 == FRecords.Count() || CompareTextLocale(stored, FRecords[index + 1]) <= 0);
    }
}

void TVault::DeleteCurrent() {
    if (FCurrentRow < 0)
        throw std::logic_error("No account is shown; nothing was deleted");
    const int line = Account(FCurrentRow).Line;
    WipeString(FAccounts[static_cast<std::size_t>(FCurrentRow)].Name);
    FAccounts.erase(FAccounts.begin() + FCurrentRow);
    FRecords.Delete(line);
    for (TAccountEntry& entry : FAccounts)
        if (entry.Line > line)
            --entry.Line;
    for (int& damaged : FDamaged)
        if (damaged > line)
            --damaged;
    FModified = true;
    ForgetCurrent();
    if (!FAccounts.empty())
        Select(0);
}

void TVault::BuildAccounts() {
    FAccounts.clear();
    FDamaged.clear();
    ForgetCurrent();
    if (FRecords.Empty())
        return;
    // One key schedule for all lines. Each line gives only its name here; the whole record is
    // deciphered when its account is shown.
    TRecordCipher codec(FCipher, FMasterPassword);
    std::vector<TAccountEntry> entries;
    entries.reserve(static_cast<std::size_t>(FRecords.Count()));
    std::vector<QString> names;
    names.reserve(static_cast<std::size_t>(FRecords.Count()));
    for (int i = 0; i < FRecords.Count(); ++i) {
        const std::string& line = FRecords[i];
        if (!RecordLineReadable(line)) {
            FDamaged.push_back(i); // kept as it is, never shown
            continue;
        }
        entries.push_back(TAccountEntry{codec.DecodeAccount(line), i});
        names.push_back(AnsiToQString(entries.back().Name));
    }
    const std::vector<int> order = SortedOrder(names);
    FAccounts.reserve(entries.size());
    for (const int i : order)
        FAccounts.push_back(std::move(entries[static_cast<std::size_t>(i)]));
    if (!FAccounts.empty())
        ShowRow(0, codec);
}

void TVault::ForgetMasterPassword() noexcept {
    WipeString(FMasterPassword);
    WipeString(FCheckLine);
}

void TVault::ForgetCurrent() noexcept {
    WipeRecord(FCurrent);
    FCurrentRow = -1;
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
