// Account editing: every change of a field is stored into the shown account's own line at once;
// Add and Delete create and remove accounts; Undo and Redo take them back and do them again.

#include "app/mainform.h"

#include "app/NotesEdit.h"
#include "platform/Codepage.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>

namespace {

const QKeySequence UndoKey(Qt::CTRL | Qt::Key_Z);
const QKeySequence RedoKey(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);

} // namespace

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
    ShowOneTimeCode(); // a key line may have come or gone
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

void TfrmMain::CreateUndoCommands() {
    // The keys are the window's: a field with the focus keeps Ctrl+Z for its own typing.
    CreateKeyAction(UndoKey, &TfrmMain::UndoClick);
    CreateKeyAction(RedoKey, &TfrmMain::RedoClick);
    // Also from the window's menu (a right click beside the fields, or the menu key on the
    // selector), which names the keys.
    FWindowMenu = new QMenu(this);
    FWindowMenu->setObjectName(QStringLiteral("mnuWindow"));
    const auto command = [this](const QString& text, const QKeySequence& key,
                                void (TfrmMain::*handler)()) {
        QAction* action = FWindowMenu->addAction(
            QStringLiteral("%1\t%2").arg(text, key.toString(QKeySequence::NativeText)));
        connect(action, &QAction::triggered, this, [this, handler] { Dispatch(handler); });
        return action;
    };
    FUndoCommand = command(tr("Undo"), UndoKey, &TfrmMain::UndoClick);
    FUndoCommand->setObjectName(QStringLiteral("actUndo"));
    FRedoCommand = command(tr("Redo"), RedoKey, &TfrmMain::RedoClick);
    FRedoCommand->setObjectName(QStringLiteral("actRedo"));
}

void TfrmMain::contextMenuEvent(QContextMenuEvent* event) {
    const bool open = !FVault.Locked();
    FUndoCommand->setEnabled(open && FVault.CanUndo());
    FRedoCommand->setEnabled(open && FVault.CanRedo());
    FWindowMenu->popup(event->globalPos());
}

void TfrmMain::UndoClick() {
    StepHistory(false);
}

void TfrmMain::RedoClick() {
    StepHistory(true);
}

void TfrmMain::StepHistory(bool redo) {
    if (FVault.Locked())
        return;
    // The vault announces what changes; the window follows as it does any change.
    const std::optional<TUndoKind> kind = redo ? FVault.Redo() : FVault.Undo();
    if (!kind) {
        ShowStatusMessage(redo ? tr("Nothing to redo.") : tr("Nothing to undo."));
        return;
    }
    switch (*kind) {
    case TUndoKind::Add:
        ShowStatusMessage(redo ? tr("Add done again.") : tr("Add undone."));
        break;
    case TUndoKind::Delete:
        ShowStatusMessage(redo ? tr("Delete done again.") : tr("Delete undone."));
        break;
    case TUndoKind::Edit:
        ShowStatusMessage(redo ? tr("Edit done again.") : tr("Edit undone."));
        break;
    }
}
