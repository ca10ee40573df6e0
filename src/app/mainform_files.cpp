// The file commands: New, Open, Save, Save as, Close and Change password.

#include "app/mainform.h"

#include "app/Prompts.h"
#include "app/SecretClipboard.h"
#include "platform/Codepage.h"
#include "platform/FileSystem.h"
#include "platform/MessageCatalog.h"
#include "platform/PlatformErrors.h"
#include "platform/Settings.h"
#include "vault/ConvertedFile.h"
#include "vault/DataFile.h"
#include "vault/MasterPassword.h"
#include "vault/RecoveryFile.h"
#include "vault/WipeGuard.h"

#include <QDateTime>
#include <QLocale>
#include <QScopeGuard>

bool TfrmMain::ConfirmOverwrite(const std::string& path,
                                std::optional<TOverwriteConsent>& consent) {
    if (!FVault.ChangedElsewhere(path))
        return true;
    if (FPlatform.ShowMessageBox(
            QStringToDisplay(tr("The data file was changed by another program since it was "
                                "opened. Do you want to overwrite it?")),
            TMessageKind::mkConfirmation, TMessageButtons::mbOKCancel) != idOK)
        return false;
    // For the file as the user was told of it: another change after the answer is caught still.
    consent = ConsentToOverwrite(path);
    return true;
}

bool TfrmMain::ConfirmReplacing(const std::string& path, bool anyFileNeedsItsPassword,
                                std::optional<TOverwriteConsent>* consent) {
    if (!FilePresent(path) || (!anyFileNeedsItsPassword && path == FVault.Path()))
        return true;
    if (FPlatform.ShowMessageBox(
            QStringToDisplay(
                tr("%1 exists already. Do you want to overwrite it?").arg(PathToQString(path))),
            TMessageKind::mkConfirmation, TMessageButtons::mbOKCancel) != idOK)
        return false;
    if (consent)
        *consent = ConsentToOverwrite(path);
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

bool TfrmMain::WriteDataFile(const std::string& path, std::optional<TOverwriteConsent> consent) {
    if ((!consent && !ConfirmOverwrite(path, consent)) || !ConfirmNewSeal())
        return false;
    SetPanel(2, PathToQString(path));
    // The check for another program's change is made again under the file's write lock, right
    // before the replace; a CLI command and this window take turns at the file.
    SaveUnderLock(FVault, path, consent);
    return true;
}

bool TfrmMain::SaveVault() {
    if (!FVault.Path().empty())
        return WriteDataFile(FVault.Path());
    // The vault has changes but no file: ask where to put it.
    std::optional<TOverwriteConsent> consent;
    if (!sdlDataFile.Execute() || !ConfirmReplacing(sdlDataFile.FileName, false, &consent))
        return false;
    if (!WriteDataFile(sdlDataFile.FileName, consent))
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
    const TNewPasswordResult result = ChooseNewMasterPassword(
        [this](TNewPasswordPrompt prompt) -> std::optional<std::string> {
            std::string typed = AskPassword(
                prompt == TNewPasswordPrompt::First ? NewPasswordPrompt : ConfirmPasswordPrompt,
                true);
            if (typed.empty())
                return std::nullopt;
            return typed;
        },
        password);
    if (result.Outcome == TNewPasswordOutcome::Refused)
        FPlatform.ShowMessageBox(QStringToDisplay(TranslatedMessage(result.Problem)),
                                 TMessageKind::mkPlain, TMessageButtons::mbOK);
    return result.Outcome == TNewPasswordOutcome::Accepted;
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
        std::optional<TNewKeys> keys = DeriveNewKeys(password, TKvf2Session::NewHeader(FKdfParams));
        if (!keys)
            return;
        FClipboard->ClearOwnText();
        FVault.Create(path, password, std::move(*keys));
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
    std::optional<TOverwriteConsent> consent;
    if (!sdlDataFile.Execute() || !ConfirmReplacing(sdlDataFile.FileName, false, &consent))
        return;
    if (!WriteDataFile(sdlDataFile.FileName, consent))
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
    if (!FilePresent(FVault.Path())) {
        // The file moved away since it was opened: the password is not what is wrong.
        FPlatform.ShowMessageBox(
            QStringToDisplay(tr("%1 is no longer there. The password for the data file was not "
                                "changed.")
                                 .arg(PathToQString(FVault.Path()))),
            TMessageKind::mkPlain, TMessageButtons::mbOK);
        return;
    }
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
    std::optional<TOverwriteConsent> consent;
    if (!ConfirmOverwrite(FVault.Path(), consent) || !ConfirmNewSeal())
        return;
    // A hardened file's new keys: never below its own cost nor the one set for new keys.
    TNewKeys keys;
    if (FVault.Format() == TDataFormat::Hardened) {
        std::optional<TNewKeys> derived =
            DeriveNewKeys(password, FVault.PasswordChangeHeader(FKdfParams));
        if (!derived)
            return;
        keys = std::move(*derived);
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
    const std::string path = FVault.Path();
    std::optional<TErrorMessage> problem;
    try {
        // Under the file's write lock: no other writer comes between the backup and the write.
        result = WriteUnderLock(FVault, path, consent, [&] {
            problem = BackupNameError(path);
            return !problem ? FVault.ChangePassword(password, keepStranded, std::move(keys))
                            : TPasswordChange::NoBackup;
        });
    } catch (const std::exception& error) {
        const auto* io = dynamic_cast<const EInOutError*>(&error);
        if (io && io->FileReplaced())
            throw; // the file is under the new password, and so is the vault
        // The vault is as it was: the file's password still opens it.
        FPlatform.ShowMessageBox(
            QStringToDisplay(tr("%1 The password for the data file was not changed.")
                                 .arg(TranslatedMessage(ErrorMessageOf(error).ForDisplay()))),
            TMessageKind::mkError, TMessageButtons::mbOK);
        return;
    }
    if (result == TPasswordChange::NoBackup)
        FPlatform.ShowMessageBox(
            QStringToDisplay(
                !problem
                    ? tr("The backup file %1 could not be made. The password for the data file "
                         "was not changed.")
                          .arg(PathToQString(BackupPath(path)))
                    : tr("The backup file could not be made: %1. The password for the data file "
                         "was not changed.")
                          .arg(TranslatedMessage(*problem))),
            TMessageKind::mkError, TMessageButtons::mbOK);
}

TfrmMain::TRepairOffer TfrmMain::OfferRepair(const std::string& path, const std::string& password) {
    const TFileConversion conversion = DetectFileConversion(path);
    if (!conversion.Any())
        return TRepairOffer::NotConverted;
    const QString problem = TranslatedMessage(*ConversionError(path, conversion));
    if (FPlatform.ShowMessageBox(
            QStringToDisplay(tr("%1. Do you want Kestovar to give it its own form back and open "
                                "it?")
                                 .arg(problem)),
            TMessageKind::mkConfirmation, TMessageButtons::mbOKCancel) != idOK)
        return TRepairOffer::Declined;
    FPlatform.SetBusyCursor(true);
    const auto idle = qScopeGuard([this] { FPlatform.SetBusyCursor(false); });
    return RepairConvertedFile(path, password) == TRepairResult::Repaired
               ? TRepairOffer::Repaired
               : TRepairOffer::NotConverted;
}

void TfrmMain::OfferRecovery(const std::string& path, const std::string& password) {
    const std::optional<std::int64_t> kept = RecoveryFileTime(path);
    if (!kept)
        return;
    const QString when =
        QLocale().toString(QDateTime::fromMSecsSinceEpoch(*kept), QLocale::ShortFormat);
    const int answer = FPlatform.ShowMessageBox(
        QStringToDisplay(tr("Changes to %1 that were not saved when Kestovar had to end (%2) "
                            "are kept in %3. Do you want to take them into the data file? No "
                            "discards them.")
                             .arg(PathToQString(path), when, PathToQString(RecoveryPath(path)))),
        TMessageKind::mkConfirmation, TMessageButtons::mbYesNo);
    if (answer != idYes) {
        DiscardRecoveryFile(path);
        return;
    }
    const std::optional<TOverwriteConsent> consent = ConsentToOverwrite(path);
    if (OpenFile(TVault::ReadForOpening(RecoveryPath(path)), password) != TOpenResult::Opened) {
        // Kept under another password: the data file opens as it is, and the copy stays.
        OpenFile(TVault::ReadForOpening(path), password);
        FPlatform.ShowMessageBox(QStringToDisplay(tr("%1 is not under this password. It is kept.")
                                                      .arg(PathToQString(RecoveryPath(path)))),
                                 TMessageKind::mkPlain, TMessageButtons::mbOK);
        return;
    }
    SaveUnderLock(FVault, path, consent);
    DiscardRecoveryFile(path);
}
