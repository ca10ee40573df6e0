#include "vault/Vault.h"

#include "base/Containers.h"
#include "base/Prefetch.h"
#include "base/SecureWipe.h"
#include "base/TwoCores.h"
#include "platform/Codepage.h"
#include "platform/FileSystem.h"
#include "platform/PlatformErrors.h"
#include "platform/TextCompare.h"
#include "vault/ClassicFormat.h"
#include "vault/DataFile.h"
#include "vault/HardenedFormat.h"
#include "vault/RecoveryFile.h"
#include "vault/WipeGuard.h"

#include <QScopeGuard>

#include <algorithm>
#include <exception>
#include <functional>
#include <future>
#include <memory>
#include <numeric>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace {

// The check line keys the cipher with the password alone: one that cannot be a key opens nothing.
bool CanBeKey(const std::string& password) {
    return TBlowfish::KeyLengthValid(password.size());
}

// Below this many lines a second thread costs more than it saves.
constexpr std::size_t ParallelLines = 4096;

// What a vault gives up when it closes: its names wiped, and both freed.
struct TDropped {
    std::vector<std::string> Lines;
    std::vector<TAccountEntry> Accounts;

    void Dispose() noexcept {
        WipeNames(Accounts);
        std::vector<std::string>().swap(Lines);
        std::vector<TAccountEntry>().swap(Accounts);
    }
};

// Disposes of a large vault's names on the other core, or here when no thread starts: the thread
// only shares them, so whatever stops it leaves them here to wipe, and the work is done all the
// same.
std::future<void> DisposeBeside(const std::shared_ptr<TDropped>& dropped) {
    try {
        return std::async(std::launch::async, [dropped] { dropped->Dispose(); });
    } catch (...) {
        dropped->Dispose();
        return {};
    }
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
    if (FDisposal.valid())
        FDisposal.get();
    // A large vault's names are wiped and freed on the other core while this one gives back its
    // lines.
    const auto dropped = std::make_shared<TDropped>();
    dropped->Accounts = FAccounts.Take();
    std::future<void> disposed;
    if (dropped->Accounts.size() >= ParallelLines)
        disposed = DisposeBeside(dropped);
    FLines.Clear();
    if (disposed.valid())
        disposed.get();
    else
        dropped->Dispose();
}

std::string TVaultOpening::Refusal() const {
    switch (FRead.Kind) {
    case TFirstLineKind::OtherVersion:
        return Kvf2OtherVersionMessage(FRead);
    case TFirstLineKind::DamagedHeader:
        return Kvf2DamagedHeaderMessage();
    case TFirstLineKind::Format1:
    case TFirstLineKind::Format2:
        break;
    }
    return {};
}

TKvf2Keys DeriveKeysFor(const std::string& password, const TKvf2Header& header) {
    return DeriveKvf2Keys(password, header.Params, header.Salt);
}

bool TVault::PasswordOpens(const std::string& path, const std::string& password) {
    const TVaultOpening opening = ReadForOpening(path);
    if (opening.Kind() == TFirstLineKind::Format1)
        return CanBeKey(password) && CheckPassword(FCipher, path, password);
    if (opening.Kind() != TFirstLineKind::Format2 || !NewMasterPasswordProblem(password).empty())
        return false;
    return Kvf2PasswordMatches(DeriveKeysFor(password, opening.KeyHeader()), opening.KeyHeader());
}

bool TVault::PasswordOpensDataFile(const std::string& password) {
    if (HasMasterPassword() && !password.empty()) {
        if (password == FFormat->MasterPassword())
            return FFormat->OwnsFile(FPath);
        // A hardened file's CHECK is the master password's: another password cannot match it,
        // and no second of key derivation is needed to say so.
        if (Format() == TDataFormat::Hardened && FFormat->OwnsFile(FPath))
            return false;
    }
    return PasswordOpens(FPath, password);
}

bool TVault::MasterPasswordOpens(const std::string& path) const {
    return FFormat && FFormat->OwnsFile(path);
}

TVaultOpening TVault::ReadForOpening(const std::string& path) {
    TVaultOpening opening;
    opening.FPath = path;
    // A first line that cannot be read tells nothing: the open of the older format reports it, as
    // it always has.
    if (!FilePresent(path))
        return opening;
    try {
        opening.FRead = ReadKvf2FirstLineOf(path);
    } catch (const std::exception&) {
        return opening;
    }
    if (opening.FRead.Kind != TFirstLineKind::Format2)
        return opening;
    opening.FOrderReady = std::async(std::launch::async, PrepareTextOrder);
    // One read: the header that the keys come from is the header of the lines taken.
    opening.FText = ReadDataFileBlockText(path);
    opening.FRead = ReadKvf2FirstLine(opening.FText->FirstLine);
    if (opening.FRead.Kind != TFirstLineKind::Format2)
        opening.FText.reset();
    return opening;
}

TOpenResult TVault::Open(const std::string& path, const std::string& password, bool showFirst) {
    TVaultOpening opening = ReadForOpening(path);
    TKvf2Keys keys;
    if (opening.Kind() == TFirstLineKind::Format2) {
        if (!NewMasterPasswordProblem(password).empty()) {
            Close();
            return TOpenResult::WrongPassword;
        }
        keys = DeriveKeysFor(password, opening.KeyHeader());
    }
    return Open(std::move(opening), password, std::move(keys), showFirst);
}

TOpenResult TVault::Open(TVaultOpening opening, const std::string& password, TKvf2Keys keys,
                         bool showFirst) {
    switch (opening.Kind()) {
    case TFirstLineKind::Format1:
        return OpenClassic(opening.Path(), password, showFirst);
    case TFirstLineKind::Format2:
        return OpenHardened(opening, password, std::move(keys), showFirst);
    case TFirstLineKind::OtherVersion:
    case TFirstLineKind::DamagedHeader:
        break;
    }
    Close();
    throw EKvf2Refusal(opening.Refusal());
}

TOpenResult TVault::OpenClassic(const std::string& path, const std::string& password,
                                bool showFirst) {
    Close();
    if (!CanBeKey(password))
        return TOpenResult::WrongPassword;
    // Nothing of a file that failed to open stays open, so that no later save can overwrite it
    // with an emptied vault.
    auto closeOnError = qScopeGuard([this] { Close(); });
    // The other core sets the names' order up while this one reads the file.
    const std::future<void> orderReady = std::async(std::launch::async, PrepareTextOrder);
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
    TLineBlock lines = ReadDataFileBlock(path, content, readCheckLine);
    if (readCheckLine != checkLine) {
        closeOnError.dismiss();
        return TOpenResult::WrongPassword;
    }
    TakeFormat(std::make_unique<TClassicFormat>(password, checkLine));
    FLines.Assign(std::move(lines));
    BuildAccounts(nullptr, showFirst);
    SetPath(path);
    RememberStamp(content);
    SetModified(false);
    closeOnError.dismiss();
    return TOpenResult::Opened;
}

TOpenResult TVault::OpenHardened(TVaultOpening& opening, const std::string& password,
                                 TKvf2Keys keys, bool showFirst) {
    Close();
    if (!opening.FText || keys.Empty())
        throw std::logic_error("A hardened file opens with its text and its keys");
    auto closeOnError = qScopeGuard([this] { Close(); });
    TKvf2Session session;
    switch (TKvf2Session::Open(opening.FRead, std::move(keys), session)) {
    case TKvf2OpenResult::Opened:
        break;
    case TKvf2OpenResult::WrongPassword:
        closeOnError.dismiss();
        return TOpenResult::WrongPassword;
    case TKvf2OpenResult::DamagedHeader:
        closeOnError.dismiss();
        return TOpenResult::DamagedHeader;
    }
    TDataFileBlock& text = *opening.FText;
    TKvf2SealVerdict verdict;
    TNameScan scan;
    {
        TKvf2Scan found = session.ScanAndVerifySeal(opening.FRead, text.Lines.Views(), verdict);
        scan.Accounts = std::move(found.Accounts);
        scan.Kept = std::move(found.Kept);
        scan.Damaged = std::move(found.Damaged);
    }
    TakeFormat(std::make_unique<THardenedFormat>(std::move(session), password));
    FLines.Assign(std::move(text.Lines));
    BuildAccounts(&scan, showFirst);
    SetPath(opening.Path());
    RememberStamp(text.Content);
    SetModified(false);
    SetBrokenSeal(verdict.Intact ? std::nullopt : std::optional(verdict));
    closeOnError.dismiss();
    return TOpenResult::Opened;
}

void TVault::TakeFormat(std::unique_ptr<TVaultFormat> format) {
    // The history's lines were written under the keys that go.
    FUndo.Clear();
    FFormat = std::move(format);
    FLines.KeepFileOrder(FFormat && FFormat->KeepsFileOrder());
    Notify([](TVaultObserver& observer) { observer.FormatChanged(); });
}

void TVault::Create(const std::string& path, const std::string& password) {
    // The new file is written before anything of the open vault is given up, so that a failed
    // write leaves the previous vault and its path as they were.
    std::string checkLine = MakeCheckLine(FCipher, password);
    TWipeGuard wipeCheckLine(checkLine);
    const TContentDigest content = WriteDataFileWithCheckLine(path, checkLine, {});
    Close();
    TakeFormat(std::make_unique<TClassicFormat>(password, checkLine));
    SetPath(path);
    RememberStamp(content);
}

void TVault::Create(const std::string& path, const std::string& password, TNewKeys keys) {
    if (const std::string problem = NewMasterPasswordProblem(password); !problem.empty())
        throw EKeyError(problem);
    auto format = std::make_unique<THardenedFormat>(
        TKvf2Session::Made(keys.Header, std::move(keys.Keys)), password);
    const TContentDigest content = WriteKvf2File(path, format->Session(), {});
    Close();
    TakeFormat(std::move(format));
    SetPath(path);
    RememberStamp(content);
}

void TVault::CreateHardened(const std::string& path, const std::string& password,
                            const TKvf2Params& params) {
    if (const std::string problem = NewMasterPasswordProblem(password); !problem.empty())
        throw EKeyError(problem);
    TNewKeys keys{TKvf2Session::NewHeader(params), {}};
    keys.Keys = DeriveKeysFor(password, keys.Header);
    Create(path, password, std::move(keys));
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
    // The first line, not the master password: a locked vault is saved as it is.
    if (!FFormat)
        throw std::logic_error("No vault is open");
    RequireSealAgreed();
    const std::vector<std::string>& lines = Records().Lines();
    // Made before the file is opened, so that a vault that cannot be sealed touches no file.
    std::string firstLine = FFormat->FirstLine(lines);
    TWipeGuard wipeFirstLine(firstLine);
    RememberStamp(WriteDataFileWithCheckLine(FPath, firstLine, lines));
    FUndo.Clear();
    SetModified(false);
    SetBrokenSeal(std::nullopt);
}

void TVault::RequireSealAgreed() const {
    if (FBrokenSeal && !FNewSealAgreed)
        throw std::logic_error("The data file was changed outside Kestovar; a new seal is written "
                               "only when the user agrees");
}

const TKvf2SealVerdict& TVault::SealVerdict() const {
    if (!FBrokenSeal)
        throw std::logic_error("The seal of the data file is not broken");
    return *FBrokenSeal;
}

void TVault::SetBrokenSeal(std::optional<TKvf2SealVerdict> verdict) {
    FNewSealAgreed = false;
    if (!verdict && !FBrokenSeal)
        return;
    FBrokenSeal = verdict;
    Notify([](TVaultObserver& observer) { observer.FormatChanged(); });
}

const TVaultFormat& TVault::RequireFormat(TDataFormat format) const {
    RequireUnlocked();
    if (!FFormat)
        throw std::logic_error("No vault is open");
    if (FFormat->Format() != format)
        throw std::logic_error(format == TDataFormat::Hardened ? "The data file is not hardened"
                                                               : "The data file is hardened "
                                                                 "already");
    return *FFormat;
}

TKvf2Header TVault::PasswordChangeHeader(const TKvf2Params& floor) const {
    const auto& hardened =
        static_cast<const THardenedFormat&>(RequireFormat(TDataFormat::Hardened));
    const TKvf2Header& header = hardened.Session().Header();
    return TKvf2Session::NewHeader(PasswordChangeParams(header.Params, {}, floor), header.Id);
}

TPasswordChange
TVault::ChangePassword(const std::string& newPassword,
                       const std::function<bool(const std::vector<TStrandedLine>&)>& keepStranded) {
    RequireSealAgreed();
    TNewKeys keys;
    if (Format() == TDataFormat::Hardened && HasMasterPassword()) {
        if (const std::string problem = NewMasterPasswordProblem(newPassword); !problem.empty())
            throw EKeyError(problem);
        keys.Header = PasswordChangeHeader();
        keys.Keys = DeriveKeysFor(newPassword, keys.Header);
    }
    return ChangePassword(newPassword, keepStranded, std::move(keys));
}

TPasswordChange
TVault::ChangePassword(const std::string& newPassword,
                       const std::function<bool(const std::vector<TStrandedLine>&)>& keepStranded,
                       TNewKeys keys) {
    RequireUnlocked();
    if (!HasMasterPassword())
        return TPasswordChange::Changed;
    RequireSealAgreed();
    // The file stays in place, and a copy of it is the backup, before anything is written.
    if (!MakeBackup(FPath))
        return TPasswordChange::NoBackup;
    // The new lines keep the order of the old ones, and the accounts their line indices.
    SettleLines();

    std::unique_ptr<TVaultFormat> target = FFormat->WithPassword(newPassword, std::move(keys));
    std::vector<std::string> lines = FLines.Take();
    const auto keep = [this](std::vector<std::string>& kept) {
        FLines.Assign(std::move(kept));
        FLines.AdoptOrder(FLines.KeepsFileOrder() ? TTextOrder{} : TextOrder(FLines.Stored()));
    };
    TRecoding recoding;
    try {
        recoding = FFormat->Recode(lines, *target);
    } catch (...) {
        keep(lines);
        throw;
    }
    keep(lines);
    const auto turnBack = [&] {
        std::vector<std::string> taken = FLines.Take();
        FFormat->RecodeBack(taken, recoding, *target);
        keep(taken);
    };
    std::vector<TStrandedLine> stranded = StrandedLines(recoding.Recoded);
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
    std::swap(FFormat, target);
    const bool wasModified = FModified;
    try {
        FModified = true;
        WriteFile();
    } catch (const EInOutError& error) {
        // A failure after the new file took the old one's place (its folder not synced): the
        // file is under the new password, and so stays the vault, to be saved again.
        if (error.FileReplaced()) {
            target.reset();
            Notify([](TVaultObserver& observer) { observer.FormatChanged(); });
            throw;
        }
        std::swap(FFormat, target);
        turnBack();
        FModified = wasModified;
        throw;
    } catch (...) {
        std::swap(FFormat, target);
        turnBack();
        FModified = wasModified;
        throw;
    }
    target.reset();
    Notify([](TVaultObserver& observer) { observer.FormatChanged(); });
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

TUpgradeResult TVault::Upgrade(const std::string& password, const TKvf2Params& params) {
    RequireFormat(TDataFormat::Classic);
    if (const std::string problem = NewMasterPasswordProblem(password); !problem.empty())
        throw EKeyError(problem);
    TNewKeys keys{TKvf2Session::NewHeader(params), {}};
    keys.Keys = DeriveKeysFor(password, keys.Header);
    return Upgrade(password, std::move(keys));
}

TUpgradeResult TVault::Upgrade(const std::string& password, TNewKeys keys) {
    const std::string& olderPassword = RequireFormat(TDataFormat::Classic).MasterPassword();
    if (const std::string problem = NewMasterPasswordProblem(password); !problem.empty())
        throw EKeyError(problem);
    if (FPath.empty())
        throw std::logic_error("No vault is open");
    if (!MakeBackup(FPath))
        return TUpgradeResult::NoBackup;
    auto format = std::make_unique<THardenedFormat>(
        TKvf2Session::Made(keys.Header, std::move(keys.Keys)), password);
    const TKvf2Session& session = format->Session();
    // Line i stays line i, so that the way back gives the same file. The lines change where they
    // stand: the older and the hardened lines of a large vault, both whole, would take twice the
    // memory. Until the hardened file is in place, any failure turns them back.
    SettleLines();
    std::vector<std::string> lines = FLines.Take();
    TKvf2Upgrade upgrade(lines, olderPassword, session);
    TContentDigest content;
    try {
        upgrade.Run();
        std::string header = session.HeaderLine(lines);
        content = WriteDataFileWithCheckLine(FPath, header, lines);
        // What reached the disk is what was checked, or the older file comes back from its
        // backup. Read back a piece at a time: the whole of it, beside the lines, would take
        // more than twice their memory.
        if (DigestOfFile(FPath, TLinkAtReading::Follow) != content) {
            CopyFileReplacing(BackupPath(FPath), FPath);
            throw std::runtime_error("The hardened file did not read back as it was written; the "
                                     "older file was put back");
        }
    } catch (...) {
        TakeBackOlderLines(upgrade, lines);
        throw;
    }
    const int shownLine = FCurrentRow >= 0 ? Account(FCurrentRow).Line : -1;
    TakeFormat(std::move(format));
    FLines.Assign(std::move(lines));
    BuildAccounts();
    RememberStamp(content);
    SetModified(false);
    int shown = AccountCount() - 1;
    while (shown > 0 && Account(shown).Line != shownLine)
        --shown;
    Select(shown);
    return TUpgradeResult::Upgraded;
}

void TVault::TakeBackOlderLines(TKvf2Upgrade& upgrade, std::vector<std::string>& lines) noexcept {
    try {
        upgrade.GiveBack();
        FLines.Assign(std::move(lines));
        FLines.LearnOrderLater(false);
    } catch (...) {
        // The vault cannot go on without its lines; the backup holds the older file.
        Close();
    }
}

TKvf1Copy TVault::SaveOlderCopy(const std::string& path, bool dropDamaged) {
    const auto& hardened =
        static_cast<const THardenedFormat&>(RequireFormat(TDataFormat::Hardened));
    if (path == FPath || SameFile(path, FPath))
        throw std::invalid_argument("The copy for older versions goes to another file; the "
                                    "hardened file was not changed");
    TKvf1Copy copy = DowngradeLines(hardened.Session(), Records().Lines(),
                                    hardened.MasterPassword(), dropDamaged);
    if (!copy.Refused)
        WriteDataFile(FCipher, path, hardened.MasterPassword(), copy.Lines);
    return copy;
}

void TVault::WriteRecoveryCopy() {
    if (!FFormat || FPath.empty())
        throw std::logic_error("No vault is open");
    const std::vector<std::string>& lines = Records().Lines();
    std::string firstLine = FFormat->FirstLine(lines);
    TWipeGuard wipeFirstLine(firstLine);
    WriteRecoveryFile(FPath, firstLine, lines);
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
    SetBrokenSeal(std::nullopt);
    Notify([](TVaultObserver& observer) { observer.FormatChanged(); });
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
    const bool large = FLines.Count() >= static_cast<int>(ParallelLines);
    const auto dropped = std::make_shared<TDropped>(); // first, so that nothing taken is stranded
    // Lines still in the bytes read go with them at once.
    if (FLines.HeldAsRead())
        FLines.Clear();
    else
        dropped->Lines = FLines.Take();
    dropped->Accounts = FAccounts.Take();
    if (large)
        FDisposal = DisposeBeside(dropped);
    else
        dropped->Dispose();
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
    if (FLocked || !HasMasterPassword())
        return false;
    // The order of the lines is learnt again at unlock, from the lines as they stand.
    SettleLines();
    FUndo.Clear();
    FLockedLine = FCurrentRow >= 0 ? Account(FCurrentRow).Line : -1;
    FFormat->Lock(FLines.StoredSpan());
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

std::optional<TKvf2Header> TVault::UnlockHeader() const {
    if (!FLocked || Format() != TDataFormat::Hardened)
        return std::nullopt;
    return static_cast<const THardenedFormat&>(*FFormat).Session().Header();
}

bool TVault::Unlock(const std::string& password) {
    if (!FLocked)
        return true;
    TKvf2Keys keys;
    if (const std::optional<TKvf2Header> header = UnlockHeader()) {
        if (!NewMasterPasswordProblem(password).empty())
            return false;
        keys = DeriveKeysFor(password, *header);
    }
    return Unlock(password, std::move(keys));
}

bool TVault::Unlock(const std::string& password, TKvf2Keys keys) {
    if (!FLocked)
        return true;
    if (!FFormat->Unlock(password, std::move(keys)))
        return false;
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
        const std::unique_ptr<TAccountCodec> codec = FFormat->Codec();
        ShowRow(row, *codec);
    }
    Notify([](TVaultObserver& observer) { observer.CurrentChanged(); });
}

bool TVault::ShowRow(int row, TAccountCodec& codec, bool announced) {
    ForgetCurrent();
    const TAccountEntry& entry = Account(row);
    FCurrent = codec.Decode(FLines.View(entry.Line));
    FCurrentWhole = codec.LastDecodeWhole();
    if (FCurrentWhole || !FFormat->FailedAccountIsDamaged()) {
        FCurrentRow = row;
        return true;
    }
    // A hardened line proves itself: one whose body fails was changed, and is damaged from now
    // on, kept as it is and never shown.
    ForgetCurrent();
    const int line = entry.Line;
    if (announced)
        Notify([row](TVaultObserver& observer) { observer.RowsAboutToBeRemoved(row, row); });
    FAccounts.Erase(row);
    if (announced)
        Notify([row](TVaultObserver& observer) { observer.RowsRemoved(row, row); });
    FDamaged.insert(std::upper_bound(FDamaged.begin(), FDamaged.end(), line), line);
    return false;
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
    std::string line = FFormat->Codec()->Encode(record);
    const TLineOrder order = FLines.Order();
    const int row = InsertRow(name, FLines.Add(std::move(line)));
    FUndo.Added(std::string(LineOf(row)), order);
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
    std::string before(LineOf(FCurrentRow));
    // The name starts the chain, so the line keeps its name's column and nearly always its place;
    // only neighbours that compare equal on that column can tell otherwise.
    FLines.Put(Account(FCurrentRow).Line, FFormat->Codec()->Encode(record), Renumberer());
    std::swap(FCurrent, record);
    FUndo.Edited(field, std::move(before), std::string(LineOf(FCurrentRow)));
    SetModified(true);
}

TVault::TAccountReader::TAccountReader(const TVault& vault)
    : FVault(vault), FCodec(vault.FFormat->Codec()) {}

TPassRecord TVault::TAccountReader::Read(int row) {
    return FCodec->Decode(FVault.LineOf(row));
}

TVault::TAccountReader TVault::Reader() const {
    RequireUnlocked();
    if (!FFormat)
        throw std::logic_error("No vault is open");
    return TAccountReader(*this);
}

void TVault::ReplaceAccount(int row, const TPassRecord& record) {
    RequireUnlocked();
    if (record.Account != Account(row).Name)
        throw std::logic_error("An account keeps its name when its fields are replaced");
    Select(row);
    if (FCurrentRow < 0 || !FCurrentWhole)
        throw std::runtime_error("This account's line does not decipher whole under the master "
                                 "password; the change was not stored and the line is kept as "
                                 "it is");
    if (record == FCurrent)
        return;
    TPassRecord anew = record;
    TRecordWipeGuard wipeRecord(anew);
    std::string before(LineOf(row));
    FLines.Put(Account(row).Line, FFormat->Codec()->Encode(anew), Renumberer());
    std::swap(FCurrent, anew);
    FUndo.Edited(nullptr, std::move(before), std::string(LineOf(row)));
    SetModified(true);
    Notify([](TVaultObserver& observer) { observer.CurrentChanged(); });
}

void TVault::DeleteCurrent() {
    if (FCurrentRow < 0)
        throw std::logic_error("No account is shown; nothing was deleted");
    std::string line(LineOf(FCurrentRow));
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

void TVault::BuildAccounts(TNameScan* scanned, bool showFirst) {
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
    const TLineSpan lines = FLines.StoredSpan();
    // One key set-up for all lines. Each line gives only its name here; the whole record is
    // deciphered when its account is shown.
    const std::unique_ptr<TAccountCodec> codec = FFormat->Codec();
    std::optional<TNameScan> own;
    if (!scanned)
        scanned = &own.emplace(codec->ScanNames(lines));
    std::vector<TAccountEntry>& entries = scanned->Accounts;
    FDamaged = std::move(scanned->Damaged);
    FBlankLines = std::move(scanned->Blank);
    std::vector<std::string_view> names;
    names.reserve(entries.size());
    for (const TAccountEntry& entry : entries)
        names.emplace_back(entry.Name);
    const std::vector<int> order = SortedOrder(names);
    names.clear();
    // Placed in the selector's order, so that a pass over the rows reads the names in a row. Each
    // entry is a cache miss of its own: both cores take half of them.
    std::vector<TAccountEntry> ordered;
    ordered.reserve(entries.size() + AddHeadroom(entries.size())); // kept for the Adds to come
    ordered.resize(entries.size());
    const auto place = [&](std::size_t begin, std::size_t end) noexcept {
        for (std::size_t at = begin; at < end; ++at) {
            if (at + PrefetchDistance < end)
                PrefetchForWrite(&entries[static_cast<std::size_t>(order[at + PrefetchDistance])]);
            TAccountEntry& entry = entries[static_cast<std::size_t>(order[at])];
            ordered[at] = std::move(entry); // into room made above: nothing is allocated
            WipeString(entry.Name);         // a short name moved out leaves its bytes behind
        }
    };
    OnTwoCores(order.size(), order.size() / 2, place, place);
    FAccounts.Assign(std::move(ordered));
    // The order of the lines is needed only by the first change: it is learnt on the other core
    // from now on (where it needs no collator, nearly always), once the names no longer need both
    // cores; or then, by a vault that is only read.
    FLines.LearnOrderLater(FLearnOrderBeside && lines.size() >= ParallelLines);

    // The first account that reads whole is shown; the reset covers any that fails.
    while (showFirst && !FAccounts.Empty() && !ShowRow(0, *codec, false)) {
    }
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
    // The format wipes the password, the check line and the keys as it goes.
    FFormat.reset();
    FLines.KeepFileOrder(false);
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
