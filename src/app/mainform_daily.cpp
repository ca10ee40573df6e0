// Daily use of the main window, all within its fixed layout: copies that clear themselves, the
// find box, the password generator, the lock and the password's mask, reached by keys, by
// actions inside the fields and by the window's preferences.

#include "app/mainform.h"

#include "app/AccountFinder.h"
#include "app/AccountListModel.h"
#include "app/FieldActions.h"
#include "app/NotesEdit.h"
#include "app/ScreenLockWatcher.h"
#include "app/SecretClipboard.h"
#include "platform/Codepage.h"
#include "platform/Settings.h"
#include "vault/DataFile.h"
#include "vault/WipeGuard.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QTimer>
#include <QToolButton>

#include <initializer_list>

namespace {

constexpr int MessageMilliseconds = 4000;

QString WithKey(const QString& text, const QKeySequence& key) {
    return QStringLiteral("%1 (%2)").arg(text, key.toString(QKeySequence::NativeText));
}

const QKeySequence CopyLoginKey(Qt::CTRL | Qt::Key_B);
const QKeySequence CopyPasswordKey(Qt::CTRL | Qt::Key_C);
const QKeySequence GenerateKey(Qt::CTRL | Qt::Key_G);
const QKeySequence MaskKey(Qt::CTRL | Qt::SHIFT | Qt::Key_H);

bool IsUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
        return true;
    default:
        return false;
    }
}

} // namespace

QAction* TfrmMain::CreateKeyAction(const QKeySequence& shortcut, void (TfrmMain::*handler)()) {
    auto* action = new QAction(this);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, [this, handler] { Dispatch(handler); });
    addAction(action);
    return action;
}

QAction* TfrmMain::CreateNamedAction(const char* name, const QString& text,
                                     const QKeySequence& shortcut, void (TfrmMain::*handler)()) {
    QAction* action = CreateKeyAction(shortcut, handler);
    action->setObjectName(QLatin1String(name));
    action->setText(text);
    return action;
}

void TfrmMain::CreateDailyActions() {
    // The actions inside the fields do what their keys do; the keys are the window's, so they
    // work from any field.
    auto fieldAction = [this](QLineEdit* field, TFieldAction image, const QString& tip,
                              void (TfrmMain::*handler)()) {
        QAction* action = field->addAction(FieldActionIcon(image), QLineEdit::TrailingPosition);
        action->setToolTip(tip);
        action->setText(tip);
        connect(action, &QAction::triggered, this, [this, handler] { Dispatch(handler); });
        return action;
    };
    FCopyLogin =
        fieldAction(edtLogin, TFieldAction::Copy, WithKey(tr("Copy the login ID"), CopyLoginKey),
                    &TfrmMain::CopyLoginClick);
    FCopyLogin->setObjectName(QStringLiteral("actCopyLogin"));
    FCopyPassword = fieldAction(edtPassword, TFieldAction::Copy,
                                WithKey(tr("Copy the password"), CopyPasswordKey),
                                &TfrmMain::CopyPasswordClick);
    FCopyPassword->setObjectName(QStringLiteral("actCopyPassword"));
    FGenerate =
        fieldAction(edtPassword, TFieldAction::Generate,
                    WithKey(tr("Generate a password"), GenerateKey), &TfrmMain::GenerateClick);
    FGenerate->setObjectName(QStringLiteral("actGenerate"));
    FMask = fieldAction(edtPassword, TFieldAction::Hide, {}, &TfrmMain::MaskClick);
    FMask->setObjectName(QStringLiteral("actMask"));
    ShowMask(false);

    CreateKeyAction(CopyLoginKey, &TfrmMain::CopyLoginClick);
    CreateKeyAction(CopyPasswordKey, &TfrmMain::CopyPasswordClick);
    CreateKeyAction(GenerateKey, &TfrmMain::GenerateClick);
    CreateKeyAction(MaskKey, &TfrmMain::MaskClick);
    CreateKeyAction(QKeySequence(Qt::CTRL | Qt::Key_F), &TfrmMain::FindClick);
    CreateKeyAction(QKeySequence(Qt::CTRL | Qt::Key_L), &TfrmMain::LockClick);
    // Ctrl+C in a field keeps copying the field's selection; without one it copies the password.
    for (QWidget* field : std::initializer_list<QWidget*>{edtLogin, edtPassword, mmoNotes})
        field->installEventFilter(this);

    FFinder = new TAccountFinder(FVault, *FAccounts, FPlatform, this);
    connect(FFinder, &TAccountFinder::Chosen, this, [this](int row) {
        cboAccount->setCurrentIndex(row);
        Dispatch(&TfrmMain::cboAccountChange);
        cboAccount->setFocus();
    });

    // There is no room beside the status bar's panels: a passing message stands for a few
    // seconds over the web address's row, and the panels stay as they are.
    lblMessage = new QLabel(this);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setGeometry(8, 268, 337, 21);
    lblMessage->setFrameShape(QFrame::Box);
    lblMessage->setFrameShadow(QFrame::Sunken);
    lblMessage->setIndent(6);
    lblMessage->setAutoFillBackground(true);
    lblMessage->hide();
    FMessageTimer = new QTimer(this);
    FMessageTimer->setSingleShot(true);
    connect(FMessageTimer, &QTimer::timeout, lblMessage, &QWidget::hide);

    // A command may open another dialog once one is cancelled: those go too, until it ends.
    FLockCanceller = new QTimer(this);
    FLockCanceller->setInterval(200);
    connect(FLockCanceller, &QTimer::timeout, this, [this] {
        if (FLockPending && FHandlerDepth > 0)
            FPlatform.CancelDialogs();
        else
            FLockCanceller->stop();
    });

    FIdleTimer = new QTimer(this);
    FIdleTimer->setObjectName(QStringLiteral("IdleLockTimer"));
    FIdleTimer->setSingleShot(true);
    connect(FIdleTimer, &QTimer::timeout, this, &TfrmMain::RequestLock);
    auto* watcher = new TScreenLockWatcher(this);
    connect(watcher, &TScreenLockWatcher::ScreenLocked, this, &TfrmMain::ScreenLocked);
}

void TfrmMain::ApplyPreferences(const TUserPreferences& preferences) {
    FClipboard->SetClearDelay(std::chrono::seconds(preferences.ClipboardClearSeconds));
    FLockOnScreenLock = preferences.LockOnScreenLock;
    ShowMask(preferences.HidePassword);
    FNewFileFormat = preferences.NewFileFormat == 2 ? TDataFormat::Hardened : TDataFormat::Classic;
    TKvf2Params params = Kvf2DefaultParams;
    if (preferences.KdfPasses > 0)
        params.Passes = static_cast<std::uint32_t>(preferences.KdfPasses);
    if (preferences.KdfMemoryMiB > 0)
        params.MemoryKiB = static_cast<std::uint32_t>(preferences.KdfMemoryMiB) * 1024;
    // Values that break the format's rules leave its defaults.
    FKdfParams = Kvf2ParamsValid(params) ? params : Kvf2DefaultParams;
    if (preferences.LockAfterIdleMinutes > 0) {
        FIdleTimer->setInterval(std::chrono::minutes(preferences.LockAfterIdleMinutes));
        FIdleTimer->start();
        // Idleness is the whole program's: input to any of its windows counts.
        qApp->installEventFilter(this);
    } else {
        FIdleTimer->stop();
    }
}

void TfrmMain::UpdateDailyActions() {
    const bool shown = FVault.CurrentRow() >= 0;
    FCopyLogin->setEnabled(shown);
    FCopyPassword->setEnabled(shown);
    FGenerate->setEnabled(shown && edtPassword->isEnabled() && !edtPassword->isReadOnly());
}

bool TfrmMain::CopiesPasswordInstead(QObject* watched) const {
    if (watched == edtLogin)
        return !edtLogin->hasSelectedText();
    if (watched == edtPassword)
        // A masked field copies nothing of its own.
        return !edtPassword->hasSelectedText() || edtPassword->echoMode() != QLineEdit::Normal;
    return !mmoNotes->textCursor().hasSelection();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (IsUserInput(event->type()) && FIdleTimer->interval() > 0 && !FVault.Locked())
        FIdleTimer->start();
    if (event->type() == QEvent::ShortcutOverride &&
        (watched == edtLogin || watched == edtPassword || watched == mmoNotes)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy)) {
            // Taken by the field, which copies its selection, or left to the window's Ctrl+C.
            event->setAccepted(!CopiesPasswordInstead(watched));
            return true;
        }
        if (FKeysOverFields.contains(QKeySequence(key->keyCombination()))) {
            event->ignore();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmMain::mousePressEvent(QMouseEvent* event) {
    // A click beside the find box closes it, as it would a popup.
    if (FFinder->isVisible() && !FFinder->geometry().contains(event->pos()))
        FFinder->hide();
    // A click on the emptied window of a locked vault asks for the password again.
    if (FVault.Locked())
        Dispatch(&TfrmMain::UnlockVault);
    QWidget::mousePressEvent(event);
}

void TfrmMain::CopyLoginClick() {
    CopyField(&TPassRecord::Login, tr("Login ID"));
}

void TfrmMain::CopyPasswordClick() {
    CopyField(&TPassRecord::Password, tr("Password"));
}

void TfrmMain::CopyField(const std::string TPassRecord::*field, const QString& what) {
    if (FVault.Locked() || FVault.CurrentRow() < 0)
        return;
    // The stored value, whole, whatever the field shows of it.
    CopyText(AnsiToQString(FVault.Current().*field), what);
}

void TfrmMain::CopyText(const QString& text, const QString& what) {
    FClipboard->CopySecret(text);
    const auto delay = FClipboard->ClearDelay();
    if (delay.count() > 0) {
        const auto seconds = (delay.count() + 999) / 1000;
        ShowStatusMessage(tr("%1 copied; cleared in %2 s.").arg(what).arg(seconds));
    } else {
        ShowStatusMessage(tr("%1 copied.").arg(what));
    }
}

void TfrmMain::ShowStatusMessage(const QString& text) {
    lblMessage->setText(text);
    lblMessage->setAccessibleName(text);
    lblMessage->show();
    lblMessage->raise();
    FMessageTimer->start(MessageMilliseconds);
    QAccessibleEvent alert(lblMessage, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void TfrmMain::FindClick() {
    if (FVault.Locked() || FVault.AccountCount() == 0)
        return;
    FFinder->Popup(cboAccount);
}

void TfrmMain::GenerateClick() {
    UpdateDailyActions();
    if (FVault.Locked() || !FGenerate->isEnabled())
        return;
    std::string password = FPlatform.AskGeneratedPassword();
    TWipeGuard wipe(password);
    if (password.empty())
        return;
    // As if typed: the edit's undo keeps the old password, and the change is stored as any is.
    edtPassword->setFocus();
    edtPassword->selectAll();
    edtPassword->insert(AnsiToQString(password));
}

void TfrmMain::MaskClick() {
    ShowMask(edtPassword->echoMode() == QLineEdit::Normal);
}

void TfrmMain::ShowMask(bool masked) {
    edtPassword->setEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
    FMask->setIcon(FieldActionIcon(masked ? TFieldAction::Show : TFieldAction::Hide));
    const QString tip =
        WithKey(masked ? tr("Show the password") : tr("Hide the password"), MaskKey);
    FMask->setToolTip(tip);
    FMask->setText(tip);
}

void TfrmMain::ScreenLocked() {
    if (FLockOnScreenLock)
        RequestLock();
}

void TfrmMain::RequestLock() {
    if (FVault.Locked() || !FVault.HasMasterPassword())
        return;
    if (FHandlerDepth > 0) {
        FLockPending = true;
        CancelForLock();
        return;
    }
    Dispatch(&TfrmMain::LockNow);
}

void TfrmMain::CancelForLock() {
    // The lock comes when the command ends; until then nothing of the vault stays on screen.
    FFinder->hide();
    FClipboard->ClearOwnText();
    lblMessage->hide();
    {
        const QScopedValueRollback loading(FLoading, true);
        cboAccount->setCurrentIndex(-1);
        ShowRecord(TPassRecord{});
    }
    for (QWidget* field : std::initializer_list<QWidget*>{edtLogin, edtPassword, mmoNotes})
        field->setEnabled(false);
    FPlatform.CancelDialogs();
    FLockCanceller->start();
}

void TfrmMain::LockClick() {
    if (FVault.Locked())
        UnlockVault();
    else
        LockNow();
}

void TfrmMain::LockNow() {
    if (FVault.Locked() || !FVault.HasMasterPassword())
        return;
    FFinder->hide();
    FClipboard->ClearOwnText();
    lblMessage->hide();
    FVault.Lock();
    FIdleTimer->stop();
    UnlockVault();
}

void TfrmMain::UnlockVault() {
    if (!FVault.Locked())
        return;
    std::string password = AskPassword(QT_TR_NOOP("Please enter the password to unlock"));
    TWipeGuard wipePassword(password);
    if (password.empty())
        return; // cancelled: it stays locked until asked again (Ctrl+L or a click)
    // A hardened vault's keys are derived again from the header it kept.
    TKvf2Keys keys;
    if (const std::optional<TKvf2Header> header = FVault.UnlockHeader();
        header && NewMasterPasswordProblem(password).empty()) {
        std::optional<TKvf2Keys> derived = DeriveKeys(password, *header);
        if (!derived)
            return;
        keys = std::move(*derived);
    }
    if (!FVault.Unlock(password, std::move(keys))) {
        FPlatform.ShowMessageBox(
            QStringToDisplay(tr("The password was not correct. Kestovar stays locked")),
            TMessageKind::mkError, TMessageButtons::mbOK);
        return;
    }
    FLockPending = false;
    if (FIdleTimer->interval() > 0)
        FIdleTimer->start();
}
