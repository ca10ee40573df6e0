// Account editing: every change of a field is stored into the shown account's own line at once;
// Add and Delete create and remove accounts.

#include "app/mainform.h"

#include "app/NotesEdit.h"
#include "platform/Codepage.h"

#include <QComboBox>
#include <QLineEdit>

void TfrmMain::FieldChanged(std::string TPassRecord::*field, const std::string& value) {
    if (value == FVault.Current().*field)
        return;
    // The other fields keep the bytes the vault holds, whatever the widgets show of them.
    FVault.StoreField(field, value);
}

void TfrmMain::edtLoginChange() {
    std::string login = QStringToAnsi(edtLogin->text());
    TWipeGuard wipe(login);
    FieldChanged(&TPassRecord::Login, login);
}

void TfrmMain::edtPasswordChange() {
    std::string password = QStringToAnsi(edtPassword->text());
    TWipeGuard wipe(password);
    FieldChanged(&TPassRecord::Password, password);
}

void TfrmMain::mmoNotesChange() {
    std::vector<std::string> lines = mmoNotes->Lines();
    std::string notes = NotesFromLines(lines);
    TWipeGuard wipe(notes);
    for (std::string& line : lines)
        WipeString(line);
    FieldChanged(&TPassRecord::Notes, notes);
}

void TfrmMain::spdAddClick() {
    const std::string name = FPlatform.AskNewAccountName();
    if (name.empty()) {
        // Cancelled: the vault stays as it is and the first account is shown again.
        FVault.Select(FVault.AccountCount() > 0 ? 0 : -1);
        return;
    }
    const std::optional<int> row = FVault.Add(name);
    if (!row) {
        // A second account of one name could not be told apart from the first.
        FPlatform.ShowMessageBox(
            QStringToDisplay(tr("An account named %1 exists already.").arg(AnsiToQString(name))),
            TMessageKind::mkPlain, TMessageButtons::mbOK);
        return;
    }
    if (edtLogin->isEnabled())
        edtLogin->setFocus();
}

void TfrmMain::spdDeleteClick() {
    if (FVault.CurrentRow() < 0)
        return;
    FVault.DeleteCurrent();
}
