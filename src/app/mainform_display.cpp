// The main window's state and display: enabling rules, start-up, opening a data file, the
// account selector and the fields of the shown account, the save question and exit.

#include "app/mainform.h"

#include "app/AccountListModel.h"
#include "app/NotesEdit.h"
#include "platform/Codepage.h"
#include "platform/FileSystem.h"
#include "platform/Settings.h"
#include "vault/DataFile.h"
#include "vault/WipeGuard.h"

#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>

#include <optional>

namespace {

// Sets a flag for the life of a scope.
class TFlagScope {
public:
    explicit TFlagScope(bool& flag) noexcept : FFlag(flag) { FFlag = true; }
    ~TFlagScope() { FFlag = false; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& FFlag;
};

class TBusyCursorScope {
public:
    explicit TBusyCursorScope(TPlatformServices& platform) : FPlatform(platform) {
        FPlatform.SetBusyCursor(true);
    }
    ~TBusyCursorScope() { FPlatform.SetBusyCursor(false); }
    TBusyCursorScope(const TBusyCursorScope&) = delete;
    TBusyCursorScope& operator=(const TBusyCursorScope&) = delete;

private:
    TPlatformServices& FPlatform;
};

} // namespace

void TfrmMain::FormCreate() {
    TBusyCursorScope busy(FPlatform);
    FRecords.Clear();
    try {
        TSettingsStore settings;
        if (settings.OpenSettingsKey(SettingsKeyPath, false)) {
            FDataFile = settings.ReadSettingsString(SettingsDataFileValue);
            OpenDataFile(FDataFile);
        } else {
            UpdateButtons();
            UpdateFieldEnabling();
        }
    } catch (...) {
        // A settings value that cannot be read: no vault, New and Open usable.
        FDataFile.clear();
        UpdateButtons();
        UpdateFieldEnabling();
        throw;
    }
}

void TfrmMain::SetModified(bool flag) {
    FModified = flag;
    SetPanel(1, FModified ? QStringLiteral("MOD") : QString());
}

void TfrmMain::UpdateButtons() {
    const bool open = !FDataFile.empty();
    spdNew->setEnabled(true);
    spdOpen->setEnabled(true);
    for (QToolButton* button : {spdSave, spdSaveAs, spdClose, spdAdd, spdChangePassword})
        button->setEnabled(open);
    spdDelete->setEnabled(!FRecords.Empty());
}

void TfrmMain::UpdateFieldEnabling() {
    const bool shown = !cboAccount->currentText().isEmpty();
    edtLogin->setEnabled(shown);
    edtPassword->setEnabled(shown);
    mmoNotes->setEnabled(shown);
}

std::string TfrmMain::AskPassword(const std::string& prompt) {
    return FPlatform.AskPassword(prompt);
}

void TfrmMain::OpenDataFile(std::string path) {
    std::vector<int> damaged;
    if (!path.empty() && FilePresent(path)) {
        ClearVault();
        std::string password = AskPassword("Please enter the password");
        TWipeGuard wipePassword(password);
        try {
            // The check line is made once: it tests the password and stays as FCheckLine.
            std::string checkLine;
            TWipeGuard wipeCheckLine(checkLine);
            if (!password.empty())
                checkLine = MakeCheckLine(Blowfish1, password);
            if (!password.empty() && FileHasCheckLine(path, checkLine)) {
                damaged = LoadVault(path, password, checkLine);
            } else {
                ForgetDataFile();
                ForgetMasterPassword();
                FPlatform.ShowMessageBox(
                    "The password was not correct. The data file was not opened",
                    TMessageKind::mkError, TMessageButtons::mbOK);
            }
        } catch (...) {
            // Nothing of a file that failed to open stays open, so that no later Save can
            // overwrite it with an emptied vault.
            ForgetDataFile();
            ForgetMasterPassword();
            ClearVault();
            UpdateButtons();
            UpdateFieldEnabling();
            throw;
        }
    } else {
        FDataFile.clear();
        SetPanel(2, QStringLiteral("Data file not found"));
    }
    UpdateButtons();
    UpdateFieldEnabling();
    if (!damaged.empty())
        FPlatform.ShowMessageBox(DamagedLinesMessage(damaged), TMessageKind::mkPlain,
                                 TMessageButtons::mbOK);
}

std::vector<int> TfrmMain::LoadVault(const std::string& path, const std::string& password,
                                     const std::string& checkLine) {
    FDataFile.clear(); // until every line is in
    TContentDigest content;
    std::vector<std::string> lines = ReadDataFile(path, content);
    SetMasterPassword(password, checkLine);
    FRecords.Assign(std::move(lines));
    FLinesSorted = false;
    std::vector<int> damaged = RefreshAccountList();
    FDataFile = path;
    RememberStamp(content);
    SetPanel(2, PathToQString(path));
    SetModified(false);
    return damaged;
}

std::vector<int> TfrmMain::RefreshAccountList() {
    FAccounts->Clear();
    std::vector<int> damaged;
    std::vector<std::pair<std::string, int>> accounts;
    accounts.reserve(static_cast<std::size_t>(FRecords.Count()));
    // One key schedule for all lines, and none for an empty vault. Each line gives only its
    // name here; the whole record is deciphered when its account is shown.
    std::optional<TRecordCipher> codec;
    if (!FRecords.Empty())
        codec.emplace(Blowfish1, FMasterPassword);
    for (int i = 0; i < FRecords.Count(); ++i) {
        const std::string& line = FRecords[i];
        if (RecordLineReadable(line))
            accounts.emplace_back(codec->DecodeAccount(line), i);
        else
            damaged.push_back(i); // kept as it is, never shown
    }
    FAccounts->Fill(accounts);
    for (auto& account : accounts)
        WipeString(account.first);
    SetPanel(0, QString::number(FRecords.Count()));
    ShowFirstAccount(codec ? &*codec : nullptr);
    return damaged;
}

std::string TfrmMain::DamagedLinesMessage(const std::vector<int>& damaged) {
    // Line numbers of the file: the check line is line 1.
    constexpr std::size_t Listed = 10;
    std::string numbers;
    for (std::size_t i = 0; i < damaged.size() && i < Listed; ++i)
        numbers += (i ? ", " : "") + std::to_string(damaged[i] + 2);
    if (damaged.size() > Listed)
        numbers += " and " + std::to_string(damaged.size() - Listed) + " more";
    if (damaged.size() == 1)
        return "1 line of the data file could not be read (line " + numbers +
               "). It is kept unchanged in the file.";
    return std::to_string(damaged.size()) + " lines of the data file could not be read (lines " +
           numbers + "). They are kept unchanged in the file.";
}

void TfrmMain::ShowFirstAccount(TRecordCipher* keyed) {
    if (FAccounts->rowCount() > 0) {
        SelectAccountRow(0, keyed);
        return;
    }
    {
        TFlagScope loading(FLoading);
        cboAccount->setCurrentIndex(-1);
        EmptyFields();
    }
    UpdateFieldEnabling();
}

void TfrmMain::EmptyFields() {
    edtLogin->clear();
    edtPassword->clear();
    mmoNotes->clear();
    WipeRecord(FCurrent);
    FCurrentLine = -1;
}

void TfrmMain::SelectAccountRow(int row, TRecordCipher* keyed) {
    cboAccount->setCurrentIndex(row); // by program: no change notification
    ShowChosenAccount(keyed);
}

void TfrmMain::cboAccountChange() {
    ShowChosenAccount(nullptr);
}

void TfrmMain::ShowChosenAccount(TRecordCipher* keyed) {
    {
        TFlagScope loading(FLoading);
        EmptyFields();
        const int row = cboAccount->currentIndex();
        if (row >= 0) {
            // The entry knows its own line: only that line is deciphered.
            const int line = FAccounts->LineOf(row);
            TPassRecord record = keyed ? keyed->Decode(FRecords[line])
                                       : DecodeRecord(Blowfish1, FRecords[line], FMasterPassword);
            TRecordWipeGuard wipeRecord(record);
            ShowRecord(record);
            FCurrent = record;
            FCurrentLine = line;
        }
    }
    UpdateFieldEnabling();
}

void TfrmMain::ShowRecord(const TPassRecord& record) {
    edtLogin->setText(AnsiToQString(record.Login));
    edtPassword->setText(AnsiToQString(record.Password));
    std::vector<std::string> lines = NotesToLines(record.Notes);
    mmoNotes->SetLines(lines);
    for (std::string& line : lines)
        WipeString(line);
}

bool TfrmMain::QuerySave() {
    if (!FModified)
        return true;
    const int answer =
        FPlatform.ShowMessageBox("You have changed your data. Do you want to save your changes?",
                                 TMessageKind::mkConfirmation, TMessageButtons::mbYesNo);
    if (answer != idYes)
        return true;
    return SaveVault();
}

void TfrmMain::ClearVault() {
    {
        TFlagScope loading(FLoading);
        FRecords.Clear();
        FLinesSorted = true;
        FAccounts->Clear();
        cboAccount->setCurrentIndex(-1);
        EmptyFields();
    }
    UpdateFieldEnabling();
}

void TfrmMain::SetMasterPassword(const std::string& password, std::string checkLine) {
    ForgetMasterPassword();
    FMasterPassword = password;
    FCheckLine = std::move(checkLine);
}

void TfrmMain::ForgetDataFile() {
    FDataFile.clear();
    ForgetStamp();
    SetPanel(0, QStringLiteral("0"));
    SetPanel(2, QStringLiteral("No data file"));
}

void TfrmMain::ForgetMasterPassword() {
    WipeString(FMasterPassword);
    WipeString(FCheckLine);
}

void TfrmMain::spdExitClick() {
    if (!QuerySave())
        return;
    FExiting = true;
    close();
}

void TfrmMain::AboutClick() {
    FPlatform.ShowAbout();
}
