// The file commands: New, Open, Save, Save as, Close and Change password.

#include "app/mainform.h"

#include "platform/FileStamp.h"
#include "platform/FileSystem.h"
#include "platform/Settings.h"
#include "vault/DataFile.h"
#include "vault/WipeGuard.h"

bool TfrmMain::ConfirmOverwrite() {
    if (FStampPath.empty() || FStampPath != FDataFile)
        return true;
    // A file that cannot be read tells nothing; writing it will report its own error.
    const std::optional<TFileStamp> now = StampFile(FDataFile);
    if (!now || *now == FStamp)
        return true;
    return FPlatform.ShowMessageBox("The data file was changed by another program since it was "
                                    "opened. Do you want to overwrite it?",
                                    TMessageKind::mkConfirmation,
                                    TMessageButtons::mbOKCancel) == idOK;
}

void TfrmMain::RememberStamp(const TContentDigest& content) {
    const std::optional<TFileStamp> stamp = StampFile(FDataFile, content);
    if (!stamp) {
        ForgetStamp(); // rather no question later than a false one
        return;
    }
    FStampPath = FDataFile;
    FStamp = *stamp;
}

void TfrmMain::ForgetStamp() {
    FStampPath.clear();
    FStamp = {};
}

bool TfrmMain::WriteDataFile(bool confirmed) {
    if (!confirmed && !ConfirmOverwrite())
        return false;
    SetPanel(2, PathToQString(FDataFile));
    // FCheckLine is always the check line of FMasterPassword: no key schedule for a save.
    if (FCheckLine.empty())
        FCheckLine = MakeCheckLine(Blowfish1, FMasterPassword);
    RememberStamp(WriteDataFileWithCheckLine(FDataFile, FCheckLine, FRecords.Lines()));
    SetModified(false);
    return true;
}

bool TfrmMain::SaveVault() {
    if (FDataFile.empty()) {
        // The vault has changes but no file: ask where to put it.
        if (!sdlDataFile.Execute())
            return false;
        FDataFile = sdlDataFile.FileName;
        if (!WriteDataFile())
            return false;
        RememberDataFile();
        UpdateButtons();
        return true;
    }
    return WriteDataFile();
}

void TfrmMain::RememberDataFile() {
    TSettingsStore settings;
    settings.OpenSettingsKey(SettingsKeyPath, true);
    settings.WriteSettingsString(SettingsDataFileValue, FDataFile);
}

bool TfrmMain::AskNewMasterPassword(std::string& password) {
    std::string fresh = AskPassword("Please enter the new password");
    TWipeGuard wipeFresh(fresh);
    std::string confirm = AskPassword("Please confirm the new password");
    TWipeGuard wipeConfirm(confirm);
    if (fresh != confirm) {
        FPlatform.ShowMessageBox(
            "The passwords were not the same. The data file was not created or changed.",
            TMessageKind::mkPlain, TMessageButtons::mbOK);
        return false;
    }
    // Refused before any file is created, emptied or moved.
    const std::string problem = NewMasterPasswordProblem(fresh);
    if (!problem.empty()) {
        FPlatform.ShowMessageBox(problem, TMessageKind::mkPlain, TMessageButtons::mbOK);
        return false;
    }
    password = fresh;
    return true;
}

void TfrmMain::spdNewClick() {
    if (!QuerySave())
        return;
    if (odlDataFile.Execute()) {
        const std::string path = odlDataFile.FileName;
        bool proceed = true;
        if (FilePresent(path)) {
            proceed = FPlatform.ShowMessageBox(
                          path + " exists already. Do you want to overwrite it?",
                          TMessageKind::mkConfirmation, TMessageButtons::mbOKCancel) == idOK;
            if (proceed) {
                std::string old = AskPassword("Please enter the password of the file to overwrite");
                TWipeGuard wipeOld(old);
                proceed = CheckPassword(Blowfish1, path, old);
                if (!proceed)
                    FPlatform.ShowMessageBox("The password of the file to overwrite was not "
                                             "entered correctly. The file has not been overwritten",
                                             TMessageKind::mkPlain, TMessageButtons::mbOK);
            }
        }
        std::string password;
        TWipeGuard wipePassword(password);
        if (proceed && AskNewMasterPassword(password)) {
            // The new file is written before anything of the open vault is given up, so that a
            // failed write leaves the previous vault and its path as they were.
            std::string checkLine = MakeCheckLine(Blowfish1, password);
            const TContentDigest content = WriteDataFileWithCheckLine(path, checkLine, {});
            ClearVault();
            SetMasterPassword(password, std::move(checkLine));
            FDataFile = path;
            SetPanel(0, QStringLiteral("0"));
            SetPanel(2, PathToQString(path));
            SetModified(false);
            RememberStamp(content);
            RememberDataFile();
        }
    }
    UpdateButtons();
    UpdateFieldEnabling();
}

void TfrmMain::spdOpenClick() {
    if (!QuerySave())
        return;
    if (!odlDataFile.Execute())
        return;
    FDataFile = odlDataFile.FileName;
    try {
        OpenDataFile(FDataFile);
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
    if (!sdlDataFile.Execute())
        return;
    FDataFile = sdlDataFile.FileName;
    if (!WriteDataFile())
        return;
    RememberDataFile();
    UpdateButtons();
}

void TfrmMain::spdCloseClick() {
    if (!QuerySave())
        return;
    ForgetDataFile();
    ClearVault();
    SetModified(false);
    UpdateButtons();
}

bool TfrmMain::PasswordOpensDataFile(const std::string& password) {
    // The master password's check line is known already: the file on disk is compared with it
    // without a key schedule.
    if (!password.empty() && password == FMasterPassword && !FCheckLine.empty())
        return FileHasCheckLine(FDataFile, FCheckLine);
    return CheckPassword(Blowfish1, FDataFile, password);
}

void TfrmMain::spdChangePasswordClick() {
    std::string old = AskPassword("Please enter the old password");
    TWipeGuard wipeOld(old);
    if (!PasswordOpensDataFile(old)) {
        FPlatform.ShowMessageBox("The current password was not entered correctly. The password "
                                 "for the data file was not changed.",
                                 TMessageKind::mkPlain, TMessageButtons::mbOK);
        return;
    }
    std::string password;
    TWipeGuard wipePassword(password);
    if (!AskNewMasterPassword(password) || FMasterPassword.empty())
        return;
    if (!ConfirmOverwrite())
        return;
    // The file stays in place, and a copy of it is the backup, before anything is written.
    if (!MakeBackup(FDataFile)) {
        FPlatform.ShowMessageBox("The backup file " + BackupPath(FDataFile) +
                                     " could not be made. The password for the data file was not "
                                     "changed.",
                                 TMessageKind::mkError, TMessageButtons::mbOK);
        return;
    }

    // Re-encipher every line under the new password, one decoded record at a time, keying each
    // cipher once; a line that cannot be read goes over unchanged. The list changes only once
    // all lines are done.
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(FRecords.Count()));
    if (!FRecords.Empty()) {
        TBlowfish newCipher;
        TRecordCipher oldCodec(Blowfish1, FMasterPassword);
        TRecordCipher newCodec(newCipher, password);
        for (const std::string& line : FRecords.Lines()) {
            if (!RecordLineReadable(line)) {
                lines.push_back(line);
                continue;
            }
            TPassRecord record = oldCodec.Decode(line);
            TRecordWipeGuard wipeRecord(record);
            lines.push_back(newCodec.Encode(record));
        }
    }
    std::string checkLine = MakeCheckLine(Blowfish1, password);
    FRecords.Assign(std::move(lines));
    FLinesSorted = false;
    SetMasterPassword(password, std::move(checkLine));
    // Until the new file is written the vault in memory differs from every file on disk.
    SetModified(true);
    WriteDataFile(true);
}
