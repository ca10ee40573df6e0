// The main window's state and display: enabling rules, start-up, opening a data file, the
// account selector and the fields of the shown account, the save question and exit.

#include "app/mainform.h"

#include "app/NotesEdit.h"
#include "app/SecretClipboard.h"
#include "platform/Codepage.h"
#include "platform/FileSystem.h"
#include "platform/Settings.h"
#include "vault/DataFile.h"
#include "vault/WipeGuard.h"

#include <QComboBox>
#include <QLineEdit>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QToolButton>

#include <algorithm>

namespace {

// The busy cursor for the life of a scope; the caller keeps it off while it waits for the user.
auto BusyCursor(TPlatformServices& platform) {
    platform.SetBusyCursor(true);
    return qScopeGuard([&platform] { platform.SetBusyCursor(false); });
}

} // namespace

void TfrmMain::FormCreate(const std::string& dataFile) {
    ApplyPreferences(ReadUserPreferences());
    if (!dataFile.empty()) {
        // As Open does: the file is remembered, or forgotten when it did not open.
        try {
            OpenDataFile(dataFile);
        } catch (...) {
            RememberDataFile();
            throw;
        }
        RememberDataFile();
        return;
    }
    std::string remembered;
    bool keyOpened = false;
    try {
        const auto busy = BusyCursor(FPlatform);
        TSettingsStore settings;
        keyOpened = settings.OpenSettingsKey(SettingsKeyPath, false);
        if (keyOpened)
            remembered = settings.ReadSettingsString(SettingsDataFileValue);
    } catch (...) {
        // A settings value that cannot be read: no vault, New and Open usable.
        UpdateButtons();
        UpdateFieldEnabling();
        throw;
    }
    if (keyOpened) {
        OpenDataFile(remembered);
    } else {
        UpdateButtons();
        UpdateFieldEnabling();
    }
}

void TfrmMain::CurrentChanged() {
    ShowCurrentAccount();
    UpdateButtons();
}

void TfrmMain::LineCountChanged() {
    SetPanel(0, QString::number(FVault.LineCount()));
}

void TfrmMain::ModifiedChanged(bool modified) {
    //: The status bar's short mark of a vault with unsaved changes; at most four letters.
    SetPanel(1, modified ? tr("MOD") : QString());
}

void TfrmMain::LockedChanged(bool) {
    UpdateButtons();
    UpdateFieldEnabling();
}

void TfrmMain::FileChanged() {
    const std::string& path = FVault.Path();
    // The status bar starts with this text too.
    SetPanel(2, path.empty() ? tr("No data file") : PathToQString(path));
    ModifiedChanged(FVault.Modified());
    UpdateButtons();
    UpdateTitle();
}

void TfrmMain::UpdateButtons() {
    UpdateHardenedActions();
    UpdateHealthAndImportActions();
    if (FVault.Locked()) {
        // Only Exit and About work until the password is given again.
        for (QToolButton* button :
             {spdNew, spdOpen, spdSave, spdSaveAs, spdClose, spdAdd, spdDelete, spdChangePassword})
            button->setEnabled(false);
        return;
    }
    const bool open = !FVault.Path().empty();
    spdNew->setEnabled(true);
    spdOpen->setEnabled(true);
    for (QToolButton* button : {spdSave, spdSaveAs, spdClose, spdAdd, spdChangePassword})
        button->setEnabled(open);
    // Delete acts on the shown account, so it needs one.
    spdDelete->setEnabled(FVault.CurrentRow() >= 0);
}

void TfrmMain::UpdateFieldEnabling() {
    // By the row, not the selector's text: an account may have an empty name.
    const bool shown = FVault.CurrentRow() >= 0;
    edtLogin->setEnabled(shown);
    edtPassword->setEnabled(shown);
    mmoNotes->setEnabled(shown);
    UpdateDailyActions();
}

std::string TfrmMain::AskPassword(const char* prompt, bool choosesNew) {
    const std::string caption = QStringToDisplay(tr(prompt));
    return choosesNew ? FPlatform.AskNewPassword(caption) : FPlatform.AskPassword(caption);
}

void TfrmMain::OpenDataFile(std::string path) {
    if (path.empty() || !FilePresent(path)) {
        // The vault in memory, if any, stays as it is, without a file.
        FVault.DetachFile();
        SetPanel(2, tr("Data file not found"));
        UpdateFieldEnabling();
        return;
    }
    FClipboard->ClearOwnText();
    FVault.ClearAccounts();
    // A hardened file is read whole first, so that its keys come from the header of the lines
    // taken; one of another version, or with a damaged first line, is refused before any password
    // is asked for or any key derived.
    TVaultOpening opening;
    try {
        opening = TVault::ReadForOpening(path);
    } catch (...) {
        ShowNoVault();
        throw;
    }
    if (!opening.Refusal().empty()) {
        ShowNoVault();
        FPlatform.ShowMessageBox(QStringToDisplay(RefusalText(opening)), TMessageKind::mkError,
                                 TMessageButtons::mbOK);
        return;
    }
    std::string password = AskPassword(QT_TR_NOOP("Please enter the password"));
    TWipeGuard wipePassword(password);
    const bool hardened = opening.Kind() == TFirstLineKind::Format2;
    std::optional<TOpenResult> result;
    try {
        result = OpenFile(std::move(opening), password);
    } catch (...) {
        ShowNoVault();
        throw;
    }
    if (!result) {
        ShowNoVault(); // a lock came while the keys were derived
        return;
    }
    if (*result == TOpenResult::WrongPassword && !hardened) {
        // A file that an editor or a sync tool converted opens under no password: said as it is.
        const TRepairOffer repair = OfferRepair(path, password);
        if (repair == TRepairOffer::Repaired) {
            const auto busy = BusyCursor(FPlatform);
            result = FVault.Open(path, password);
        }
        if (repair == TRepairOffer::Declined) {
            ShowNoVault();
            return;
        }
    }
    if (*result != TOpenResult::Opened) {
        ShowNoVault();
        FPlatform.ShowMessageBox(
            QStringToDisplay(
                *result == TOpenResult::DamagedHeader
                    ? tr("The first line of the data file is damaged. The file was "
                         "not opened, and nothing in it was changed.")
                    : tr("The password was not correct. The data file was not opened")),
            TMessageKind::mkError, TMessageButtons::mbOK);
        return;
    }
    if (const std::vector<int>& damaged = FVault.DamagedLines(); !damaged.empty())
        FPlatform.ShowMessageBox(DamagedLinesMessage(damaged), TMessageKind::mkPlain,
                                 TMessageButtons::mbOK);
    if (FVault.SealBroken())
        TellBrokenSeal();
    OfferRecovery(path, password);
}

void TfrmMain::ShowNoVault() {
    FClipboard->ClearOwnText();
    FVault.Close();
}

std::string TfrmMain::DamagedLinesMessage(const std::vector<int>& damaged) {
    const int count = static_cast<int>(damaged.size());
    QString numbers = QString::fromStdString(DamagedLineNumbers(damaged));
    // A long list ends in " and N more", which is English; the rest is digits and commas.
    if (const qsizetype more = numbers.indexOf(QLatin1String(" and ")); more >= 0) {
        numbers.truncate(more);
        const int listed = static_cast<int>(numbers.count(QLatin1Char(','))) + 1;
        numbers = tr("%1 and %n more", "line numbers", count - listed).arg(numbers);
    }
    // Two sentences, not one with "(s)": without a translation the English must read right.
    if (count == 1)
        return QStringToDisplay(tr("%n line of the data file could not be read (line %1). It is "
                                   "kept unchanged in the file.",
                                   nullptr, count)
                                    .arg(numbers));
    return QStringToDisplay(tr("%n lines of the data file could not be read (lines %1). They are "
                               "kept unchanged in the file.",
                               nullptr, count)
                                .arg(numbers));
}

void TfrmMain::cboAccountChange() {
    const std::vector<int> damaged = FVault.DamagedLines();
    FVault.Select(cboAccount->currentIndex());
    // A hardened line that fails its check when shown is damaged from now on, and its row goes.
    for (const int line : FVault.DamagedLines()) {
        if (std::find(damaged.begin(), damaged.end(), line) != damaged.end())
            continue;
        FPlatform.ShowMessageBox(
            QStringToDisplay(tr("The account's line in the data file failed its check: it was "
                                "changed outside Kestovar (line %1). It is kept unchanged in the "
                                "file and is no longer shown.")
                                 .arg(line + 2)),
            TMessageKind::mkPlain, TMessageButtons::mbOK);
    }
}

void TfrmMain::ShowCurrentAccount() {
    {
        const QScopedValueRollback loading(FLoading, true);
        cboAccount->setCurrentIndex(FVault.CurrentRow()); // by program: no change notification
        ShowRecord(FVault.Current());
    }
    UpdateFieldEnabling();
    ShowOneTimeCode();
}

void TfrmMain::ShowRecord(const TPassRecord& record) {
    const QString login = AnsiToQString(record.Login);
    const QString password = AnsiToQString(record.Password);
    edtLogin->setText(login);
    edtPassword->setText(password);
    std::vector<std::string> lines = NotesToLines(record.Notes);
    mmoNotes->SetLines(lines);
    for (std::string& line : lines)
        WipeString(line);

    // What the fields hold now must give back the stored bytes, or an edit of the field would
    // cut them: a login beyond the edit's length limit, notes with line breaks inside a piece or
    // text after the last ";".
    GuardField(edtLogin, edtLogin->text() == login);
    GuardField(edtPassword, edtPassword->text() == password);
    std::vector<std::string> shown = mmoNotes->Lines();
    std::string notes = NotesFromLines(shown);
    GuardField(mmoNotes, notes == record.Notes);
    WipeString(notes);
    for (std::string& line : shown)
        WipeString(line);
}

void TfrmMain::GuardField(QWidget* field, bool shownWhole) {
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->setReadOnly(!shownWhole);
    else if (auto* notes = qobject_cast<TNotesEdit*>(field))
        notes->setReadOnly(!shownWhole);
    field->setToolTip(shownWhole ? QString()
                                 : tr("This field cannot be shown whole here. It is kept "
                                      "unchanged and cannot be edited in this window."));
}

bool TfrmMain::QuerySave() {
    if (!FVault.Modified())
        return true;
    const int answer =
        FPlatform.ShowMessageBox(QStringToDisplay(tr("You have changed your data. Do you want "
                                                     "to save your changes?")),
                                 TMessageKind::mkConfirmation, TMessageButtons::mbYesNo);
    if (answer != idYes)
        return true;
    return SaveVault();
}

void TfrmMain::EndWithoutAsking() {
    // Nobody can answer the question whether to save: the changes are kept beside the file.
    if (FVault.Modified() && !FVault.Path().empty()) {
        try {
            FVault.WriteRecoveryCopy();
        } catch (const std::exception& error) {
            qWarning("Kestovar could not keep the unsaved changes: %s", error.what());
        }
    }
    FExiting = true;
    close();
}

bool TfrmMain::CommitData(bool canAsk) {
    if (!FVault.Modified())
        return true;
    if (!canAsk) {
        EndWithoutAsking();
        return true;
    }
    bool answered = false;
    RunHandler([this, &answered] { answered = QuerySave(); });
    // Answered once for this end: closing the window afterwards asks nothing more.
    FExiting = answered;
    return answered;
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
