// What other programs do to the data file: changes made elsewhere are never overwritten
// silently, damaged lines do not lock the user out, and a password change always leaves a file.

#include "MainFormFixture.h"

#include "vault/RecoveryFile.h"

#include <QDateTime>
#include <QLocale>

#include <algorithm>
#include <optional>

#include "platform/FileSystem.h"
#include "vault/DataFile.h"

#include <QDir>

namespace {
const char* const ChangedElsewhere = "The data file was changed by another program since it was "
                                     "opened. Do you want to overwrite it?";
}

TEST_F(MainFormTest, SaveAsksBeforeOverwritingChangesMadeElsewhere) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank", "me")});
    TfrmMain& form = StartWithVault(path, "secret");
    TypeInto(Login(), "1");

    // Another copy of the program saves the file meanwhile.
    WriteVault(path, "secret", {Record("Bank", "me"), Record("Mail", "them")});
    const std::string theirs = FileBytes(path);
    Platform.ExpectMessageBox(ChangedElsewhere, TMessageKind::mkConfirmation,
                              TMessageButtons::mbOKCancel, idCancel);
    Click("spdSave");
    EXPECT_EQ(FileBytes(path), theirs);
    EXPECT_TRUE(form.Modified());

    Platform.ExpectMessageBox(ChangedElsewhere, TMessageKind::mkConfirmation,
                              TMessageButtons::mbOKCancel, idOK);
    Click("spdSave");
    EXPECT_EQ(ReadVault(path, "secret").size(), 1u);
    EXPECT_FALSE(form.Modified());

    // What this program wrote itself is no change made elsewhere.
    TypeInto(Login(), "2");
    Click("spdSave");
    EXPECT_EQ(ReadVault(path, "secret")[0].Login, "me12");
    EXPECT_TRUE(Platform.Done());
}

TEST_F(MainFormTest, AVanishedFileAndSaveAsOntoTheSamePathAsk) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank", "me")});
    TfrmMain& form = StartWithVault(path, "secret");
    ASSERT_TRUE(EraseFile(path));
    Platform.ExpectFileDialog(TFileDialogKind::fdSave, "Save password file", path);
    Platform.ExpectMessageBox(ChangedElsewhere, TMessageKind::mkConfirmation,
                              TMessageButtons::mbOKCancel, idCancel);
    Click("spdSaveAs");
    EXPECT_FALSE(FilePresent(path));

    // Save as onto another name asks nothing.
    const std::string other = Path("other.kvf");
    Platform.ExpectFileDialog(TFileDialogKind::fdSave, "Save password file", other);
    Click("spdSaveAs");
    EXPECT_EQ(form.DataFile(), other);
    EXPECT_EQ(ReadVault(other, "secret").size(), 1u);
}

TEST_F(MainFormTest, ChangePasswordAsksBeforeOverwritingChangesMadeElsewhere) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "old", {Record("Bank", "me")});
    StartWithVault(path, "old");
    WriteVault(path, "old", {Record("Other")});
    const std::string theirs = FileBytes(path);
    Platform.ExpectPassword("Please enter the old password", "old");
    Platform.ExpectPassword("Please enter the new password", "new");
    Platform.ExpectPassword("Please confirm the new password", "new");
    Platform.ExpectMessageBox(ChangedElsewhere, TMessageKind::mkConfirmation,
                              TMessageButtons::mbOKCancel, idCancel);
    Click("spdChangePassword");
    EXPECT_EQ(FileBytes(path), theirs);
    EXPECT_FALSE(FilePresent(BackupPath(path)));
}

TEST_F(MainFormTest, AFailedBackupChangesNothing) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "old", {Record("Bank", "me")});
    const std::string original = FileBytes(path);
    TfrmMain& form = StartWithVault(path, "old");
    ASSERT_TRUE(QDir().mkdir(QString::fromStdString(BackupPath(path)))); // cannot be replaced
    Platform.ExpectPassword("Please enter the old password", "old");
    Platform.ExpectPassword("Please enter the new password", "new");
    Platform.ExpectPassword("Please confirm the new password", "new");
    // The reason is named: a folder stands at the backup's name.
    Platform.ExpectMessageBox("The backup file could not be made: " + BackupPath(path) +
                                  " is a folder, and is not replaced. The password for the data "
                                  "file was not changed.",
                              TMessageKind::mkError, TMessageButtons::mbOK, idOK);
    Click("spdChangePassword");
    EXPECT_EQ(FileBytes(path), original);
    EXPECT_FALSE(form.Modified());
    TypeInto(Login(), "!");
    Click("spdSave");
    EXPECT_EQ(ReadVault(path, "old")[0].Login, "me!") << "still under the old password";
}

TEST_F(MainFormTest, AFailedWriteDuringAPasswordChangeKeepsBothFilesAndTheVault) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "old", {Record("Bank", "me")});
    const std::string original = FileBytes(path);
    TfrmMain& form = StartWithVault(path, "old");
    // The data file's permissions forbid writing: the new file cannot replace it.
    ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(path), QFileDevice::ReadOwner));
    Platform.ExpectPassword("Please enter the old password", "old");
    Platform.ExpectPassword("Please enter the new password", "new");
    Platform.ExpectPassword("Please confirm the new password", "new");
    Platform.ExpectMessageBox(path + ": File access denied. The password for the data file was "
                                     "not changed.",
                              TMessageKind::mkError, TMessageButtons::mbOK, idOK);
    Click("spdChangePassword");
    EXPECT_EQ(FileBytes(path), original);
    EXPECT_EQ(FileBytes(BackupPath(path)), original);
    EXPECT_FALSE(form.Modified()) << "the vault is as it was before the change";

    // The file's password still unlocks the vault, and a copy is under it too.
    Platform.ExpectPassword("Please enter the password to unlock", "old");
    form.LockClick();
    EXPECT_FALSE(form.Locked());
    const std::string rescue = Path("rescue.kvf");
    Platform.ExpectFileDialog(TFileDialogKind::fdSave, "Save password file", rescue);
    Click("spdSaveAs");
    EXPECT_EQ(ReadVault(rescue, "old")[0].Login, "me");
}

TEST_F(MainFormTest, DamagedLinesAreNamedKeptAndWrittenBackUnchanged) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank", "me"), Record("Mail", "m"), Record("Shop", "s")});
    // Damage the second and third record lines (file lines 3 and 4) as a disk or an editor might.
    std::vector<std::string> lines = ReadDataFile(path);
    lines[1] = lines[1].substr(0, 5); // a field of 5 characters
    lines[2][3] = '=';                // a character outside the text form
    std::string bytes = MakeCheckLine(Cipher, "secret") + "\r\n";
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    PutFileBytes(path, bytes);

    Remember(path);
    Platform.ExpectPassword("Please enter the password", "secret");
    Platform.ExpectMessageBox("2 lines of the data file could not be read (lines 3, 4). They are "
                              "kept unchanged in the file.",
                              TMessageKind::mkPlain, TMessageButtons::mbOK, idOK);
    TfrmMain& form = Start();
    EXPECT_EQ(form.DataFile(), path);
    EXPECT_EQ(SelectorItems(), QStringList({"Bank"}));
    EXPECT_EQ(Login()->text(), "me");
    EXPECT_EQ(form.PanelText(0), "3");

    TypeInto(Login(), "!");
    Click("spdSave");
    const std::vector<std::string> saved = ReadDataFile(path);
    ASSERT_EQ(saved.size(), 3u);
    EXPECT_EQ(saved[1], lines[1]);
    EXPECT_EQ(saved[2], lines[2]);

    // A password change names them first, and then carries them over unchanged too.
    Platform.ExpectPassword("Please enter the old password", "secret");
    Platform.ExpectPassword("Please enter the new password", "new");
    Platform.ExpectPassword("Please confirm the new password", "new");
    Platform.ExpectMessageBox("2 lines of the data file do not decipher whole under the current "
                              "password and would stay under it, readable only with the old "
                              "password: line 3, line 4. Do you want to change the password all "
                              "the same?",
                              TMessageKind::mkConfirmation, TMessageButtons::mbOKCancel, idOK);
    Click("spdChangePassword");
    const std::vector<std::string> changed = ReadDataFile(path);
    ASSERT_EQ(changed.size(), 3u);
    EXPECT_EQ(changed[1], lines[1]);
    EXPECT_EQ(changed[2], lines[2]);
    EXPECT_EQ(DecodeRecord(Cipher, changed[0], "new").Login, "me!");
}

TEST_F(MainFormTest, OneDamagedLineIsNamedInTheSingular) {
    const std::string path = Path("vault.kvf");
    PutFileBytes(path, MakeCheckLine(Cipher, "secret") + "\r\nnot a record\r\n");
    Remember(path);
    Platform.ExpectPassword("Please enter the password", "secret");
    Platform.ExpectMessageBox("1 line of the data file could not be read (line 2). It is kept "
                              "unchanged in the file.",
                              TMessageKind::mkPlain, TMessageButtons::mbOK, idOK);
    TfrmMain& form = Start();
    EXPECT_EQ(form.DataFile(), path);
    EXPECT_EQ(SelectorItems(), QStringList());
    EXPECT_FALSE(Enabled("spdDelete")) << "no account is shown to delete";
}

TEST_F(MainFormTest, SaveAsOverAnotherFileAsksAndAnotherVaultNeedsItsPassword) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank", "me")});
    const std::string otherVault = Path("other.kvf");
    WriteVault(otherVault, "theirs", {Record("Theirs", "t")});
    const std::string sameMaster = Path("copy.kvf");
    WriteVault(sameMaster, "secret", {});
    const std::string notes = Path("notes.txt");
    PutFileBytes(notes, "just text\r\n");
    StartWithVault(path, "secret");
    const std::string overwrite = " exists already. Do you want to overwrite it?";
    const std::string refused = "The password of the file to overwrite was not entered correctly. "
                                "The file has not been overwritten";
    const struct {
        std::string Target;
        int Answer;                // to the question whether to overwrite
        std::string TheirPassword; // asked only of another vault; "" when not asked
        bool Replaced;
    } cases[] = {
        {otherVault, idCancel, "", false},
        {otherVault, idOK, "wrong", false},
        {otherVault, idOK, "theirs", true},
        {sameMaster, idOK, "", true},
        {notes, idOK, "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Target + " " + c.TheirPassword);
        const std::string before = FileBytes(c.Target);
        Platform.ExpectFileDialog(TFileDialogKind::fdSave, "Save password file", c.Target);
        Platform.ExpectMessageBox(c.Target + overwrite, TMessageKind::mkConfirmation,
                                  TMessageButtons::mbOKCancel, c.Answer);
        if (!c.TheirPassword.empty())
            Platform.ExpectPassword("Please enter the password of the file to overwrite",
                                    c.TheirPassword);
        if (!c.TheirPassword.empty() && !c.Replaced)
            Platform.ExpectMessageBox(refused, TMessageKind::mkPlain, TMessageButtons::mbOK, idOK);
        Click("spdSaveAs");
        EXPECT_TRUE(Platform.Done());
        if (c.Replaced) {
            EXPECT_EQ(Form->DataFile(), c.Target);
            EXPECT_EQ(ReadVault(c.Target, "secret").size(), 1u);
            // Back to the first file for the next case.
            Platform.ExpectFileDialog(TFileDialogKind::fdSave, "Save password file", path);
            Platform.ExpectMessageBox(path + overwrite, TMessageKind::mkConfirmation,
                                      TMessageButtons::mbOKCancel, idOK);
            Click("spdSaveAs");
        } else {
            EXPECT_EQ(FileBytes(c.Target), before);
            EXPECT_EQ(Form->DataFile(), path);
        }
    }
}

TEST_F(MainFormTest, ChangesThatCouldNotBeSavedAtAnEndAreKeptBesideTheFileAndOfferedAtTheNextOpen) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank", "me")});
    ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(path), QFileDevice::ReadOwner |
                                                                        QFileDevice::WriteOwner |
                                                                        QFileDevice::ReadGroup));
    const std::string original = FileBytes(path);
    StartWithVault(path, "secret");
    TypeInto(Login(), "!");
    Form->EndWithoutAsking(); // SIGTERM, or a log-out that cannot ask
    EXPECT_EQ(FileBytes(path), original);
    const std::string kept = RecoveryPath(path);
    EXPECT_EQ(QFile::permissions(QString::fromStdString(kept)),
              QFile::permissions(QString::fromStdString(path)));
    Form.reset();

    const std::optional<std::int64_t> time = RecoveryFileTime(path);
    ASSERT_TRUE(time.has_value());
    const std::string when =
        QLocale()
            .toString(QDateTime::fromMSecsSinceEpoch(*time), QLocale::ShortFormat)
            .toStdString();
    Remember(path);
    Platform.ExpectPassword("Please enter the password", "secret");
    Platform.ExpectMessageBox("Changes to " + path +
                                  " that were not saved when Kestovar had to "
                                  "end (" +
                                  when + ") are kept in " + kept +
                                  ". Do you want to take them into the data file? No discards "
                                  "them.",
                              TMessageKind::mkConfirmation, TMessageButtons::mbYesNo, idYes);
    Start();
    EXPECT_EQ(Login()->text(), "me!");
    EXPECT_EQ(ReadVault(path, "secret")[0].Login, "me!");
    EXPECT_FALSE(RecoveryFileTime(path).has_value());
    EXPECT_TRUE(Platform.Done());
}

TEST_F(MainFormTest, AFileWithLfLineEndsIsNamedAsConvertedAndGivenItsFormBack) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank", "me")});
    std::string bytes = FileBytes(path);
    const std::string original = bytes;
    bytes.erase(std::remove(bytes.begin(), bytes.end(), '\r'), bytes.end());
    PutFileBytes(path, bytes);
    Remember(path);
    Platform.ExpectPassword("Please enter the password", "secret");
    Platform.ExpectMessageBox(path + " has LF line ends: it was converted by another program. Do "
                                     "you want Kestovar to give it its own form back and open it?",
                              TMessageKind::mkConfirmation, TMessageButtons::mbOKCancel, idOK);
    Start();
    EXPECT_EQ(Login()->text(), "me");
    EXPECT_EQ(FileBytes(path), original);
    EXPECT_TRUE(Platform.Done());
}
