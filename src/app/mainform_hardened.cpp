// The hardened format in the main window, on top of its specified layout: a context menu on the
// New button (with keys) for a new hardened file, hardening the open file and a copy for older
// versions; the window's title names a hardened file and one not verified; and the key
// derivation, which takes about a second, runs on a thread of its own while the window paints.

#include "app/mainform.h"

#include "app/SecretClipboard.h"
#include "platform/Codepage.h"
#include "platform/FileSystem.h"
#include "platform/FileWriteLock.h"
#include "platform/MessageCatalog.h"
#include "platform/SystemMemory.h"
#include "vault/DataFile.h"
#include "vault/LockedWrite.h"
#include "vault/WipeGuard.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QTimer>
#include <QToolButton>

#include <chrono>

namespace {

constexpr int PollMilliseconds = 10;

// Eats the user's input to every window of the program while it is installed; painting, timers
// and the window system's other events go on.
class TInputBlocker : public QObject {
public:
    TInputBlocker() { qApp->installEventFilter(this); }
    ~TInputBlocker() override { qApp->removeEventFilter(this); }
    TInputBlocker(const TInputBlocker&) = delete;
    TInputBlocker& operator=(const TInputBlocker&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
            return true;
        default:
            return QObject::eventFilter(watched, event);
        }
    }
};

bool PasswordCanBeMaster(const std::string& password) {
    return NewMasterPasswordProblem(password).empty();
}

} // namespace

void TfrmMain::CreateHardenedActions() {
    // The window's own keys, so that they work wherever the focus is; and the New button's,
    // whose context menu lists them.
    const auto action = [this](const char* name, const QString& text, const QKeySequence& key,
                               void (TfrmMain::*handler)()) {
        QAction* created = CreateNamedAction(name, text, key, handler);
        spdNew->addAction(created);
        return created;
    };
    FNewHardened =
        action("actNewHardened", tr("New hardened file…"),
               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N), &TfrmMain::NewHardenedClick);
    FHarden = action("actHarden", tr("Harden this file…"),
                     QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K), &TfrmMain::HardenClick);
    FOlderCopy =
        action("actOlderCopy", tr("Save a copy for older versions…"),
               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O), &TfrmMain::SaveOlderCopyClick);
    spdNew->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void TfrmMain::UpdateHardenedActions() {
    if (!FNewHardened)
        return;
    const bool unlocked = !FVault.Locked();
    const bool open = unlocked && FVault.HasMasterPassword() && !FVault.Path().empty();
    FNewHardened->setEnabled(unlocked);
    FHarden->setEnabled(open && FVault.Format() == TDataFormat::Classic);
    FOlderCopy->setEnabled(open && FVault.Format() == TDataFormat::Hardened);
}

void TfrmMain::FormatChanged() {
    UpdateTitle();
    UpdateButtons();
}

void TfrmMain::UpdateTitle() {
    QString title = QString::fromLatin1(ApplicationTitle);
    if (FVault.Format() == TDataFormat::Hardened)
        title = FVault.SealBroken() ? tr("Kestovar — hardened file, not verified")
                                    : tr("Kestovar — hardened file");
    setWindowTitle(title);
}

std::optional<TNewKeys> TfrmMain::DeriveNewKeys(const std::string& password, TKvf2Header header) {
    std::optional<TKvf2Keys> derived = DeriveKeys(password, header);
    if (!derived)
        return std::nullopt;
    return TNewKeys{std::move(header), std::move(*derived)};
}

std::optional<TKvf2Keys> TfrmMain::DeriveKeys(const std::string& password,
                                              const TKvf2Header& header) {
    // Refused before anything is allocated, naming the amount.
    const std::uint64_t physical = PhysicalMemoryBytes();
    if (!Kvf2MemoryProblem(header.Params.MemoryKiB, physical).empty()) {
        constexpr std::uint64_t MiB = 1024 * 1024;
        FPlatform.ShowMessageBox(
            QStringToDisplay(tr("The data file asks for %1 MiB of memory to check the master "
                                "password, more than half of this computer's %2 MiB. Nothing was "
                                "opened or changed.")
                                 .arg(header.Params.MemoryKiB / 1024)
                                 .arg(physical / MiB)),
            TMessageKind::mkError, TMessageButtons::mbOK);
        return std::nullopt;
    }
    std::future<TKvf2Keys> keys = StartKvf2Derivation(password, header.Params, header.Salt);
    {
        const QScopedValueRollback deriving(FDeriving, true);
        FPlatform.SetBusyCursor(true);
        const auto notBusy = qScopeGuard([this] {
            FPlatform.SetBusyCursor(false);
            lblMessage->hide();
        });
        const TInputBlocker blocker;
        ShowStatusMessage(tr("Deriving the keys from the master password…"));
        QEventLoop loop;
        QTimer poll;
        poll.setInterval(PollMilliseconds);
        connect(&poll, &QTimer::timeout, &loop, [&] {
            // A lock waiting for this command ends the wait: the derivation ends on its own
            // thread, which wipes and frees its keys.
            if (FLockPending || keys.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
                loop.quit();
        });
        poll.start();
        loop.exec();
    }
    if (keys.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return std::nullopt;
    return keys.get();
}

std::optional<TOpenResult> TfrmMain::OpenFile(TVaultOpening opening, const std::string& password) {
    TKvf2Keys keys;
    if (opening.Kind() == TFirstLineKind::Format2) {
        if (!PasswordCanBeMaster(password))
            return TOpenResult::WrongPassword; // no key is derived for it
        std::optional<TKvf2Keys> derived = DeriveKeys(password, opening.KeyHeader());
        if (!derived)
            return std::nullopt;
        keys = std::move(*derived);
    }
    FPlatform.SetBusyCursor(true);
    const auto notBusy = qScopeGuard([this] { FPlatform.SetBusyCursor(false); });
    return FVault.Open(std::move(opening), password, std::move(keys));
}

bool TfrmMain::PasswordOpensFile(const std::string& path, const std::string& password) {
    const TVaultOpening opening = TVault::ReadForOpening(path);
    if (opening.Kind() != TFirstLineKind::Format2)
        return FVault.PasswordOpens(path, password);
    if (!PasswordCanBeMaster(password))
        return false;
    const std::optional<TKvf2Keys> keys = DeriveKeys(password, opening.KeyHeader());
    return keys && Kvf2PasswordMatches(*keys, opening.KeyHeader());
}

bool TfrmMain::OldPasswordOpens(const std::string& old) {
    // The vault's own hardened header answers without a derivation; another file in its place
    // needs one.
    if (FVault.Format() == TDataFormat::Hardened && !FVault.MasterPasswordOpens(FVault.Path()))
        return PasswordOpensFile(FVault.Path(), old);
    return FVault.PasswordOpensDataFile(old);
}

bool TfrmMain::ConfirmNewSeal() {
    if (!FVault.SealBroken())
        return true;
    if (FPlatform.ShowMessageBox(
            QStringToDisplay(tr("The data file was changed outside Kestovar, and the file as a "
                                "whole is not verified. Saving writes a new seal over its lines "
                                "as they are now. Do you want to save it?")),
            TMessageKind::mkConfirmation, TMessageButtons::mbOKCancel) != idOK)
        return false;
    FVault.AgreeToNewSeal();
    return true;
}

void TfrmMain::TellBrokenSeal() {
    const TKvf2SealVerdict& verdict = FVault.SealVerdict();
    const QString lines = QString::number(verdict.Lines);
    const QString text =
        verdict.DeclaredLines
            ? tr("The data file was changed outside Kestovar: lines were added, removed, "
                 "reordered, repeated or changed (its first line counts %1 record lines, the "
                 "file has %2). The accounts whose lines pass their checks are shown, but the "
                 "file as a whole is not verified.")
                  .arg(QString::number(*verdict.DeclaredLines), lines)
            : tr("The data file was changed outside Kestovar: lines were added, removed, "
                 "reordered, repeated or changed (its first line's count of record lines is "
                 "damaged, the file has %1). The accounts whose lines pass their checks are "
                 "shown, but the file as a whole is not verified.")
                  .arg(lines);
    FPlatform.ShowMessageBox(QStringToDisplay(text), TMessageKind::mkPlain, TMessageButtons::mbOK);
}

QString TfrmMain::RefusalText(const TVaultOpening& opening) const {
    if (opening.Kind() == TFirstLineKind::OtherVersion)
        return tr("The data file is in a format that this version of Kestovar cannot read (its "
                  "first line begins \"%1\"); it may have been written by a newer version. The "
                  "file was not opened, and nothing in it was changed.")
            .arg(QString::fromLatin1(opening.OtherName()));
    return tr("The first line of the data file is damaged. The file was not opened, and nothing "
              "in it was changed.");
}

void TfrmMain::NewHardenedClick() {
    NewFile(TDataFormat::Hardened);
}

void TfrmMain::HardenClick() {
    UpdateHardenedActions();
    if (!FHarden->isEnabled())
        return;
    const THardenChoice choice = FPlatform.AskHarden();
    if (choice == THardenChoice::Cancel)
        return;
    std::string old = AskPassword(QT_TR_NOOP("Please enter the password"));
    TWipeGuard wipeOld(old);
    if (old.empty())
        return; // cancelled
    if (!OldPasswordOpens(old)) {
        FPlatform.ShowMessageBox(
            QStringToDisplay(tr("The password was not entered correctly. The data file was not "
                                "hardened.")),
            TMessageKind::mkPlain, TMessageButtons::mbOK);
        return;
    }
    std::string password = old;
    TWipeGuard wipePassword(password);
    if (choice == THardenChoice::NewPassword && !AskNewMasterPassword(password))
        return;
    const std::string path = FVault.Path();
    std::optional<TOverwriteConsent> consent;
    if (!ConfirmOverwrite(path, consent))
        return;
    std::optional<TNewKeys> keys = DeriveNewKeys(password, TKvf2Session::NewHeader(FKdfParams));
    if (!keys)
        return;
    FClipboard->ClearOwnText();
    std::optional<TErrorMessage> problem;
    // Under the file's write lock, as a password change: no other writer comes between the backup
    // and the write.
    const TUpgradeResult result = WriteUnderLock(FVault, path, consent, [&] {
        problem = BackupNameError(path);
        return !problem ? FVault.Upgrade(password, std::move(*keys)) : TUpgradeResult::NoBackup;
    });
    if (result == TUpgradeResult::NoBackup) {
        FPlatform.ShowMessageBox(
            QStringToDisplay(!problem
                                 ? tr("The backup file %1 could not be made. The data file was "
                                      "not hardened.")
                                       .arg(PathToQString(BackupPath(path)))
                                 : tr("The backup file could not be made: %1. The data file was "
                                      "not hardened.")
                                       .arg(TranslatedMessage(*problem))),
            TMessageKind::mkError, TMessageButtons::mbOK);
        return;
    }
    const QString backup = PathToQString(BackupPath(path));
    FPlatform.ShowMessageBox(
        QStringToDisplay(choice == THardenChoice::NewPassword
                             ? tr("The data file is hardened, under its new master password. The "
                                  "backup %1, older copies and the history of a sync service "
                                  "still hold the vault in the older format, under the old "
                                  "password.")
                                   .arg(backup)
                             : tr("The data file is hardened. The backup %1, older copies and "
                                  "the history of a sync service still hold the vault in the "
                                  "older format, under the same password.")
                                   .arg(backup)),
        TMessageKind::mkPlain, TMessageButtons::mbOK);
}

void TfrmMain::SaveOlderCopyClick() {
    UpdateHardenedActions();
    if (!FOlderCopy->isEnabled())
        return;
    if (FPlatform.ShowMessageBox(
            QStringToDisplay(tr("A copy for older versions of Kestovar is in the older format: "
                                "anyone who gets it can test master passwords tens of thousands "
                                "of times faster than with this file. It is written to a new "
                                "file under the same master password, and this file stays as it "
                                "is. Do you want to write it?")),
            TMessageKind::mkConfirmation, TMessageButtons::mbOKCancelDefaultCancel) != idOK)
        return;
    if (!sdlOlderCopy.Execute())
        return;
    const std::string path = sdlOlderCopy.FileName;
    if (path == FVault.Path() || SameFile(path, FVault.Path())) {
        FPlatform.ShowMessageBox(
            QStringToDisplay(tr("The copy for older versions goes to another file; %1 stays as "
                                "it is.")
                                 .arg(PathToQString(FVault.Path()))),
            TMessageKind::mkPlain, TMessageButtons::mbOK);
        return;
    }
    if (!ConfirmReplacing(path, false))
        return;
    // Another writer of that file takes turns with this one.
    const TFileWriteLock lock(path);
    TKvf1Copy copy = FVault.SaveOlderCopy(path, false);
    if (copy.Refused) {
        const int count = static_cast<int>(copy.Damaged.size());
        const QString numbers = QString::fromStdString(DamagedLineNumbers(copy.Damaged));
        const QString question =
            count == 1 ? tr("%n line of the data file could not be read (line %1), so it cannot "
                            "go into the copy. Do you want to write the copy without it?",
                            nullptr, count)
                       : tr("%n lines of the data file could not be read (lines %1), so they "
                            "cannot go into the copy. Do you want to write the copy without "
                            "them?",
                            nullptr, count);
        if (FPlatform.ShowMessageBox(QStringToDisplay(question.arg(numbers)),
                                     TMessageKind::mkConfirmation,
                                     TMessageButtons::mbOKCancel) != idOK)
            return;
        copy = FVault.SaveOlderCopy(path, true);
    }
    ShowStatusMessage(tr("The copy for older versions was written."));
}
