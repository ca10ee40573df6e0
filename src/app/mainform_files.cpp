// The file commands: New, Open, Save, Save as, Close and Change password.

#include "app/mainform.h"

#include "app/Prompts.h"
#include "app/SecretClipboard.h"
#include "platform/Codepage.h"
#include "platform/FileSystem.h"
#include "platform/MessageCatalog.h"
#include "platform/Settings.h"
#include "vault/DataFile.h"
#include "vault/WipeGuard.h"

#include <QScopeGuard>

bool TfrmMain::ConfirmOverwrite(const std::string& path) {
    if (!FVault.ChangedElsewhere(path))
        return true;
    return FPlatform.ShowMessageBox(
               QStringToDisplay(tr("The data file was changed by another program since it was "
                                   "opened. Do you want to overwrite it?")),
               TMessageKind::mkConfirmation, TMessageButtons::mbOKCancel) == idOK;
}

bool TfrmMain::ConfirmReplacing(const std::string& path, bool anyFileNeedsItsPassword) {
    if (!FilePresent(path) || (!anyFileNeedsItsPassword && path == FVault.Path()))
        return true;
    if (FPlatform.ShowMessageBox(
            QStringToDisplay(
                tr("%1 exists already. Do you want to overwrite it?").arg(PathToQString(path))),
            TMessageKind::mkConfirmation, TMessageButtons::mbOKCancel) != idOK)
        return false;
    // Another vault is destroyed only by someone who can open it.
    if (!anyFileNeedsItsPassword && (!LooksLikeDataFile(path) || FVault.MasterPasswordOpens(path)))
        return true;
    std::string old = AskPassword(QT_TR_NOOP("Please enter the password of the file to overwrite"));
    TWipeGuard wipeOld(old);
    if (PasswordOpensFile(path, old))
        return true;
    FPlatform.ShowMessageBox(QStringToDisplay(tr("The password of the file to overwrite was not "
                                                 "entered correctly. The file has not been "
                                                 "overwritten")),
                             TMessageKind::mkPlain, TMessageButtons::mbOK);
    return false;
}

bool TfrmMain::WriteDataFile(const std::string& path) {
    if (!ConfirmOverwrite(path) || !ConfirmNewSeal())
        return false;
    SetPanel(2, PathToQString(path));
    if (path == FVault.Path())
        FVault.Save();
    else
        FVault.SaveAs(path);
    return true;
}

bool TfrmMain::SaveVault() {
    if (!FVault.Path().empty())
        return WriteDataFile(FVault.Path());
    // The vault has changes but no file: ask where to put it.
    if (!sdlDataFile.Execute() || !ConfirmReplacing(sdlDataFile.FileName, false))
        return false;
    if (!WriteDataFile(sdlDataFile.FileName))
        return false;
    RememberDataFile();
    return true;
}

void TfrmMain::RememberDataFile() {
    TSettingsStore settings;
    settings.OpenSettingsKey(SettingsKeyPath, true);
    settings.WriteSettingsString(SettingsDataFileValue, FVault.Path());
}

bool TfrmMain::AskNewMasterPassword(std::string& password) {
    // The prompt cannot be confirmed empty, so an empty answer is a cancel: the command stops
    // with nothing changed and nothing to say.
    std::string fresh = AskPassword(NewPasswordPrompt, true);
    TWipeGuard wipeFresh(fresh);
    if (fresh.empty())
        return false;
    std::string confirm = AskPassword(ConfirmPasswordPrompt, true);
    TWipeGuard wipeConfirm(confirm);
    if (confirm.empty())
        return false;
    if (fresh != confirm) {
        FPlatform.ShowMessageBox(
            QStringToDisplay(
                tr("The passwords were not the same. The data file was not created or changed.")),
            TMessageKind::mkPlain, TMessageButtons::mbOK);
        return false;
    }
    // Refused before any file is created, emptied or moved.
    const std::string problem = NewMasterPasswordProblem(fresh);
    if (!problem.empty()) {
        FPlatform.ShowMessageBox(QStringToDisplay(TranslatedMessage(problem)),
                                 TMessageKind::mkPlain, TMessageButtons::mbOK);
        return false;
    }
    password = fresh;
    return true;
}

void TfrmMain::spdNewClick() {
    NewFile(FNewFileFormat);
}

void TfrmMain::NewFile(TDataFormat format) {
    if (!QuerySave())
        return;
    const auto update = qScopeGuard([this] {
        UpdateButtons();
        UpdateFieldEnabling();
    });
    if (!odlDataFile.Execute())
        return;
    const std::string path = odlDataFile.FileName;
    if (FilePresent(path) && !ConfirmReplacing(path, true))
        return;
    std::string password;
    TWipeGuard wipePassword(password);
    if (!AskNewMasterPassword(password))
        return;
    if (format == TDataFormat::Hardened) {
        TNewKeys keys{TKvf2Session::NewHeader(FKdfParams), {}};
        std::optional<TKvf2Keys> derived = DeriveKeys(password, keys.Header);
        if (!derived)
            return;
        keys.Keys = std::move(*derived);
        FClipboard->ClearOwnText();
        FVault.Create(path, password, std::move(keys));
    } else {
        FClipboard->ClearOwnText();
        FVault.Create(path, password);
    }
    RememberDataFile();
}

void TfrmMain::spdOpenClick() {
    if (!QuerySave())
        return;
    if (!odlDataFile.Execute())
        return;
    try {
        OpenDataFile(odlDataFile.FileName);
    } catch (...) {
        RememberDataFile(); // the file that failed to open is not opened again at start-up
        throw;
    }
    RememberDataFile();
}

void TfrmMain::spdSaveClick() {
    SaveVault();
}

void TfrmMain::spdSaveAsClick() {
    // The save dialog asks nothing; replacing another file, above all another vault, is asked
    // here.
    if (!sdlDataFile.Execute() || !ConfirmReplacing(sdlDataFile.FileName, false))
        return;
    if (!WriteDataFile(sdlDataFile.FileName))
        return;
    RememberDataFile();
}

void TfrmMain::spdCloseClick() {
    if (!QuerySave())
        return;
    ShowNoVault();
}

void TfrmMain::spdChangePasswordClick() {
    std::string old = AskPassword(QT_TR_NOOP("Please enter the old password"));
    TWipeGuard wipeOld(old);
    if (old.empty())
        return; // cancelled
    if (!OldPasswordOpens(old)) {
        FPlatform.ShowMessageBox(
            QStringToDisplay(tr("The current password was not entered correctly. The password "
                                "for the data file was not changed.")),
            TMessageKind::mkPlain, TMessageButtons::mbOK);
        return;
    }
    std::string password;
    TWipeGuard wipePassword(password);
    if (!AskNewMasterPassword(password) || !FVault.HasMasterPassword())
        return;
    if (!ConfirmOverwrite(FVault.Path()) || !ConfirmNewSeal())
        return;
    // A hardened file's new keys: never below its own cost nor the one set for new keys.
    TNewKeys keys;
    if (FVault.Format() == TDataFormat::Hardened) {
        keys.Header = FVault.PasswordChangeHeader(FKdfParams);
        std::optional<TKvf2Keys> derived = DeriveKeys(password, keys.Header);
        if (!derived)
            return;
        keys.Keys = std::move(*derived);
    }
    SetPanel(2, PathToQString(FVault.Path()));
    const auto keepStranded = [this](const std::vector<TStrandedLine>& stranded) {
        std::string list = StrandedLinesList(stranded);
        TWipeGuard wipeList(list);
        const int count = static_cast<int>(stranded.size());
        // Two sentences, not one with "(s)": without a translation the English must read right.
        const QString text =
            count == 1
                ? tr("%n line of the data file does not decipher whole under the current "
                     "password and would stay under it, readable only with the old password: "
                     "%1. Do you want to change the password all the same?",
                     nullptr, count)
                : tr("%n lines of the data file do not decipher whole under the current "
                     "password and would stay under it, readable only with the old password: "
                     "%1. Do you want to change the password all the same?",
                     nullptr, count);
        return FPlatform.ShowMessageBox(QStringToDisplay(text.arg(AnsiToQString(list))),
                                        TMessageKind::mkConfirmation,
                                        TMessageButtons::mbOKCancel) == idOK;
    };
    TPasswordChange result = TPasswordChange::Cancelled;
    try {
        result = FVault.ChangePassword(password, keepStranded, std::move(keys));
    } catch (const std::exception& error) {
        // The vault is as it was: the file's password still opens it.
        FPlatform.ShowMessageBox(
            QStringToDisplay(
                tr("%1 The password for the data file was not changed.")
                    .arg(TranslatedMessage(TPlatformServices::ErrorDisplayText(error.what())))),
            TMessageKind::mkError, TMessageButtons::mbOK);
        return;
    }
    if (result == TPasswordChange::NoBackup)
        FPlatform.ShowMessageBox(
            QStringToDisplay(tr("The backup file %1 could not be made. The password for the data "
                                "file was not changed.")
                                 .arg(PathToQString(BackupPath(FVault.Path())))),
            TMessageKind::mkError, TMessageButtons::mbOK);
}
