#include "vault/Vault.h"

#include "base/Containers.h"
#include "base/SecureWipe.h"
#include "platform/Codepage.h"
#include "platform/FileSystem.h"
#include "platform/TextCompare.h"
#include "vault/DataFile.h"
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

// Room for this many more accounts is kept in the lists that Add grows, so that the next Adds move
// no list to a new place (at 100,000 accounts that alone costs milliseconds).
std::size_t AddHeadroom(std::size_t count) {
    return count / 16 + 16;
}

// Below this many lines a second thread costs more than it saves.
constexpr std::size_t ParallelLines = 4096;

// Applies a renumbering of lines to every index held elsewhere.
template <typename TMap>
void RenumberLines(TAccountList& accounts, std::vector<int>& damaged, TMap map) {
    accounts.MapLines(map);
    for (int& line : damaged)
        line = map(line);
    std::sort(damaged.begin(), damaged.end());
}

// The first of the rows 0..count-1 for which before(row) is false; it is true of every row
// before that one and of none after.
template <typename TBefore> int PartitionRow(int count, TBefore before) {
    int low = 0;
    int high = count;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (before(middle))
            low = middle + 1;
        else
            high = middle;
    }
    return low;
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
    FRecords.Assign(std::move(lines));
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
    // A write that fails leaves the vault with the file it had.
    const std::string previous = std::exchange(FPath, path);
    auto keepPrevious = qScopeGuard([&] { FPath = previous; });
    WriteFile();
    keepPrevious.dismiss();
}

void TVault::WriteFile() {
    // The check line, not the master password: a locked vault is saved as it is.
    if (FCheckLine.empty())
        throw std::logic_error("No vault is open");
    SettleLineOrder();
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
    // The new lines keep the order of the old ones.
    SettleLineOrder();

    std::string checkLine = MakeCheckLine(FCipher, newPassword);
    TWipeGuard wipeCheckLine(checkLine);
    if (!FRecords.Empty())
        EncipherLinesAnew(newPassword);
    ForgetMasterPassword();
    FMasterPassword = newPassword;
    FCheckLine = checkLine;
    // Until the new file is written the vault in memory differs from every file on disk.
    FModified = true;
    // Every line is new: its order is learnt again, and the lines stay where they are.
    TTextOrder order = TextOrder(FRecords.Lines());
    AdoptLineOrder(order.Sorted, std::move(order.Order));
    WriteFile();
    return true;
}

void TVault::EncipherLinesAnew(const std::string& newPassword) {
    // Each line is replaced where it stands, one decoded record at a time, so that the old and
    // the new lines are never all in memory together. A line that cannot be read stays as it is,
    // and so does one enciphered under another password: deciphered under this one it is noise,
    // and the noise enciphered anew would lose the line for good. Only memory can run out
    // midway, and then the lines done are turned back.
    TBlowfish newCipher;
    TRecordCipher oldCodec(FCipher, FMasterPassword);
    TRecordCipher newCodec(newCipher, newPassword);
    std::vector<bool> recoded(FRecords.Lines().size());
    std::vector<std::string> lines = FRecords.Take();
    const auto recode = [&lines](std::size_t index, TRecordCipher& from, TRecordCipher& to) {
        std::string& line = lines[index];
        if (!RecordLineReadable(line))
            return false;
        TPassRecord record = from.Decode(line);
        TRecordWipeGuard wipeRecord(record);
        if (!from.LastDecodeWhole())
            return false;
        std::string anew = to.Encode(record);
        line.swap(anew);
        return true;
    };
    std::size_t done = 0;
    try {
        for (; done < lines.size(); ++done)
            recoded[done] = recode(done, oldCodec, newCodec);
    } catch (...) {
        try {
            for (std::size_t index = 0; index < done; ++index)
                if (recoded[index])
                    recode(index, newCodec, oldCodec);
        } catch (...) {
            // Out of memory both ways: the data file is whole and untouched, and a vault of
            // lines under two passwords must never reach it.
            std::terminate();
        }
        FRecords.Assign(std::move(lines));
        throw;
    }
    FRecords.Assign(std::move(lines));
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
    AdoptLineOrder(true, {});
    // Given back: at 100,000 lines the index takes 800 KB.
    std::vector<int>().swap(FLineOrder);
    std::vector<int>().swap(FLinePlace);
    FDamaged.clear();
    ForgetCurrent();
    // Nothing to hand over: the vault given away last may still be in the other core's hands.
    if (FRecords.Empty() && FAccounts.Empty())
        return;
    // A large vault takes a while to wipe and free; the other core does it, while this one goes
    // on to what comes next (often another open). The one before is waited for first.
    if (FDisposal.valid())
        FDisposal.get();
    const bool large = FRecords.Lines().size() >= ParallelLines;
    auto dispose = [lines = FRecords.Take(), accounts = FAccounts.Take()]() mutable {
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
    FPath.clear();
    ForgetStamp();
}

int TVault::FindAccount(const std::string& name) const {
    // The names are in CompareTextLocale order, and names equal under it lie together: only they
    // are compared byte for byte.
    const int count = FAccounts.Count();
    int row = PartitionRow(
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
    SettleLineOrder();
    FLockedLine = FCurrentRow >= 0 ? Account(FCurrentRow).Line : -1;
    WipeString(FMasterPassword);
    FAccounts.Clear();
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
    int shown = AccountCount() - 1;
    while (shown >= 0 && Account(shown).Line != FLockedLine)
        --shown;
    FLockedLine = -1;
    Select(shown);
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
    const int line = InsertLineSorted(codec.Encode(record));
    const int row = RowAfter(name);
    FAccounts.Insert(row, TAccountEntry{name, line});
    FModified = true;
    // The new account's fields are known: nothing to decipher.
    ForgetCurrent();
    FCurrent = record;
    FCurrentRow = row;
    return row;
}

int TVault::RowAfter(const std::string& name) const {
    return PartitionRow(AccountCount(),
                        [&](int row) { return CompareTextLocale(name, Account(row).Name) >= 0; });
}

int TVault::InsertLineSorted(std::string line) {
    // The lines stay where they are; the new one goes last, and its place in the order of the
    // file into the index. From now on the file's order is the index's. Inserting among the lines
    // instead would move half of them and renumber every account.
    if (FLinesSorted)
        IndexLinesInOrder();
    const int index = FRecords.Count();
    const auto place =
        static_cast<int>(std::upper_bound(FLineOrder.begin(), FLineOrder.end(), line,
                                          [this](const std::string& text, int other) {
                                              return CompareTextLocale(text, FRecords[other]) < 0;
                                          }) -
                         FLineOrder.begin());
    ReserveOneMore(FLineOrder);
    ReserveOneMore(FLinePlace);
    FRecords.Add(std::move(line));
    FLineOrder.insert(FLineOrder.begin() + place, index);
    // Every line at or after the place moves one on: one pass in line order, which the compiler
    // vectorises, rather than a jump to each such line through the order.
    for (int& other : FLinePlace)
        other += other >= place ? 1 : 0;
    FLinePlace.push_back(place);
    FOrderInIndex = true;
    return index;
}

void TVault::SettleLineOrder() {
    if (FOrderInIndex)
        PutLinesInOrder();
}

void TVault::AdoptLineOrder(bool sorted, std::vector<int> order) {
    FLinesSorted = sorted;
    FOrderInIndex = false;
    if (sorted) {
        // The room is kept for the index of the next Add.
        FLineOrder.clear();
        FLinePlace.clear();
        return;
    }
    FLineOrder = std::move(order);
    FLinePlace.assign(FLineOrder.size(), 0);
    for (std::size_t place = 0; place < FLineOrder.size(); ++place)
        FLinePlace[static_cast<std::size_t>(FLineOrder[place])] = static_cast<int>(place);
}

void TVault::IndexLinesInOrder() {
    const std::size_t count = FRecords.Lines().size();
    const std::size_t room = count + AddHeadroom(count);
    FLineOrder.reserve(room);
    FLinePlace.reserve(room);
    FLineOrder.resize(count);
    std::iota(FLineOrder.begin(), FLineOrder.end(), 0);
    FLinePlace = FLineOrder;
    FLinesSorted = false;
}

void TVault::PutLinesInOrder() {
    if (FLinesSorted)
        return;
    // In place, cycle by cycle, with one string aside: new memory would cost a page fault for
    // every few lines, more than the moves themselves. The order marks the places done.
    std::vector<std::string> lines = FRecords.Take();
    const auto count = static_cast<int>(FLineOrder.size());
    for (int start = 0; start < count; ++start) {
        if (FLineOrder[static_cast<std::size_t>(start)] < 0)
            continue;
        std::string aside = std::move(lines[static_cast<std::size_t>(start)]);
        for (int place = start;;) {
            const int from = std::exchange(FLineOrder[static_cast<std::size_t>(place)], -1);
            if (from == start) {
                lines[static_cast<std::size_t>(place)] = std::move(aside);
                break;
            }
            lines[static_cast<std::size_t>(place)] =
                std::move(lines[static_cast<std::size_t>(from)]);
            place = from;
        }
    }
    FRecords.Assign(std::move(lines));
    RenumberLines(FAccounts, FDamaged,
                  [this](int old) { return FLinePlace[static_cast<std::size_t>(old)]; });
    AdoptLineOrder(true, {});
}

void TVault::KeepLineInOrder(int index) {
    const std::vector<std::string>& lines = FRecords.Lines();
    const auto lineAt = [&](int place) -> const std::string& {
        return lines[static_cast<std::size_t>(
            FLinesSorted ? place : FLineOrder[static_cast<std::size_t>(place)])];
    };
    const int count = FRecords.Count();
    const int place = FLinesSorted ? index : FLinePlace[static_cast<std::size_t>(index)];
    const std::string& stored = lines[static_cast<std::size_t>(index)];
    const bool belowBefore = place > 0 && CompareTextLocale(lineAt(place - 1), stored) > 0;
    const bool aboveAfter = place + 1 < count && CompareTextLocale(stored, lineAt(place + 1)) > 0;
    if (!belowBefore && !aboveAfter)
        return;
    // The first place in [low, high) whose line sorts after the stored one.
    const auto firstAfter = [&](int low, int high) {
        return low + PartitionRow(high - low, [&](int offset) {
                   return CompareTextLocale(stored, lineAt(low + offset)) >= 0;
               });
    };
    const int target = belowBefore ? firstAfter(0, place) : firstAfter(place + 1, count) - 1;
    const int low = std::min(place, target);
    const int high = std::max(place, target);
    const int step = target < place ? 1 : -1;
    // The places between move by one towards the old place.
    const auto moved = [=](int old) {
        if (old == place)
            return target;
        return old >= low && old <= high ? old + step : old;
    };
    if (FLinesSorted) {
        std::vector<std::string> taken = FRecords.Take();
        if (target < place)
            std::rotate(taken.begin() + target, taken.begin() + place, taken.begin() + place + 1);
        else
            std::rotate(taken.begin() + place, taken.begin() + place + 1,
                        taken.begin() + target + 1);
        FRecords.Assign(std::move(taken));
        RenumberLines(FAccounts, FDamaged, moved);
        return;
    }
    if (target < place)
        std::rotate(FLineOrder.begin() + target, FLineOrder.begin() + place,
                    FLineOrder.begin() + place + 1);
    else
        std::rotate(FLineOrder.begin() + place, FLineOrder.begin() + place + 1,
                    FLineOrder.begin() + target + 1);
    for (int k = low; k <= high; ++k)
        FLinePlace[static_cast<std::size_t>(FLineOrder[static_cast<std::size_t>(k)])] = k;
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
    const int index = Account(FCurrentRow).Line;
    FRecords.Put(index, EncodeRecord(FCipher, record, FMasterPassword));
    std::swap(FCurrent, record);
    FModified = true;
    // The name starts the chain, so the line keeps its name's column and nearly always its place;
    // only neighbours that compare equal on that column can tell otherwise.
    KeepLineInOrder(index);
}

void TVault::DeleteCurrent() {
    if (FCurrentRow < 0)
        throw std::logic_error("No account is shown; nothing was deleted");
    const int line = Account(FCurrentRow).Line;
    FAccounts.Erase(FCurrentRow);
    if (!FLinesSorted) {
        FLineOrder.erase(FLineOrder.begin() + FLinePlace[static_cast<std::size_t>(line)]);
        for (int& old : FLineOrder)
            if (old > line)
                --old;
        const bool orderInIndex = FOrderInIndex;
        AdoptLineOrder(false, std::move(FLineOrder));
        FOrderInIndex = orderInIndex;
    }
    FRecords.Delete(line);
    RenumberLines(FAccounts, FDamaged, [line](int old) { return old > line ? old - 1 : old; });
    FModified = true;
    ForgetCurrent();
    if (!FAccounts.Empty())
        Select(0);
}

void TVault::BuildAccounts() {
    FAccounts.Clear();
    FDamaged.clear();
    ForgetCurrent();
    AdoptLineOrder(true, {});
    if (FRecords.Empty())
        return;
    {
        std::vector<std::string> lines = FRecords.Take();
        lines.reserve(lines.size() + AddHeadroom(lines.size()));
        FRecords.Assign(std::move(lines));
    }
    const std::vector<std::string>& lines = FRecords.Lines();
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
    AdoptLineOrder(found->Sorted, std::move(found->Order));
    if (!FAccounts.Empty())
        ShowRow(0, codec);
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
