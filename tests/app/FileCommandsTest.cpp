// New, Open, Save, Save as, Close and Change password.

#include "MainFormFixture.h"

#include "platform/FileSystem.h"
#include "vault/DataFile.h"

#include <QApplication>
#include <QTest>

#include <tuple>

namespace {
const char* const SaveQuestion = "You have changed your data. Do you want to save your changes?";
const char* const NotSame =
    "The passwords were not the same. The data file was not created or changed.";
const char* const BadLength =
    "The password must have 1 to 48 characters. The data file was not created or changed.";
} // namespace

TEST_F(MainFormTest, NewOnAFreshNameCreatesAnEmptyVault) {
    TfrmMain& form = Start();
    const std::string path = Path("new.kvf");
    Platform.ExpectFileDialog(TFileDialogKind::fdOpen, "Open password file", path);
    Platform.ExpectPassword("Please enter the new password", "pw");
    Platform.ExpectPassword("Please confirm the new password", "pw");
    Click("spdNew");
    EXPECT_EQ(ReadDataFile(path).size(), 0u);
    EXPECT_EQ(FileBytes(path), MakeCheckLine(Cipher, "pw") + "\r\n");
    EXPECT_EQ(form.DataFile(), path);
    EXPECT_TRUE(Enabled("spdAdd"));
    EXPECT_FALSE(Enabled("spdDelete"));
    EXPECT_EQ(form.PanelText(2), QString::fromStdString(path));
    EXPECT_EQ(form.PanelText(0), "0");
    EXPECT_EQ(Remembered(), path);
}

TEST_F(MainFormTest, NewCancelledAtTheDialogChangesNothing) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank", "me")});
    TfrmMain& form = StartWithVault(path, "secret");
    const auto commands = EnabledCommands();
    Platform.ExpectFileDialogCancelled(TFileDialogKind::fdOpen, "Open password file");
    Click("spdNew");
    EXPECT_EQ(form.DataFile(), path);
    EXPECT_EQ(EnabledCommands(), commands);
    EXPECT_EQ(SelectorItems(), QStringList({"Bank"}));
}

TEST_F(MainFormTest, NewOverAnExistingFileNeedsItsPassword) {
    const std::string current = Path("current.kvf");
    WriteVault(current, "secret", {Record("Bank", "me")});
    const std::string other = Path("other.kvf");
    WriteVault(other, "other", {Record("Mail")});
    const std::string otherBytes = FileBytes(other);
    TfrmMain& form = StartWithVault(current, "secret");

    Platform.ExpectFileDialog(TFileDialogKind::fdOpen, "Open password file", other);
    Platform.ExpectMessageBox(other + " exists already. Do you want to overwrite it?",
                              TMessageKind::mkConfirmation, TMessageButtons::mbOKCancel, idOK);
    Platform.ExpectPassword("Please enter the password of the file to overwrite", "wrong");
    Platform.ExpectMessageBox("The password of the file to overwrite was not entered correctly. "
                              "The file has not been overwritten",
                              TMessageKind::mkPlain, TMessageButtons::mbOK, idOK);
    Click("spdNew");
    EXPECT_EQ(FileBytes(other), otherBytes);
    EXPECT_EQ(form.DataFile(), current);
    EXPECT_EQ(SelectorItems(), QStringList({"Bank"}));

    Platform.ExpectFileDialog(TFileDialogKind::fdOpen, "Open password file", other);
    Platform.ExpectMessageBox(other + " exists already. Do you want to overwrite it?",
                              TMessageKind::mkConfirmation, TMessageButtons::mbOKCancel, idCancel);
    Click("spdNew");
    EXPECT_EQ(FileBytes(other), otherBytes);

    Platform.ExpectFileDialog(TFileDialogKind::fdOpen, "Open password file", other);
    Platform.ExpectMessageBox(other + " exists already. Do you want to overwrite it?",
                              TMessageKind::mkConfirmation, TMessageButtons::mbOKCancel, idOK);
    Platform.ExpectPassword("Please enter the password of the file to overwrite", "other");
    Platform.ExpectPassword("Please enter the new password", "fresh");
    Platform.ExpectPassword("Please confirm the new password", "fresh");
    Click("spdNew");
    EXPECT_EQ(form.DataFile(), other);
    EXPECT_TRUE(ReadVault(other, "fresh").empty());
    EXPECT_EQ(SelectorItems(), QStringList());
}

TEST_F(MainFormTest, NewRefusesPasswordsThatDifferOrCannotBeAKeyBeforeWritingAnything) {
    TfrmMain& form = Start();
    const std::string path = Path("new.kvf");
    // An empty answer is a cancelled prompt: New stops there, with nothing to say.
    const struct {
        std::string fresh, confirm, message;
    } refusals[] = {{"one", "two", NotSame},
                    {std::string(49, 'p'), std::string(49, 'p'), BadLength},
                    {"", "", ""},
                    {"one", "", ""}};
    for (const auto& refusal : refusals) {
        Platform.ExpectFileDialog(TFileDialogKind::fdOpen, "Open password file", path);
        Platform.ExpectPassword("Please enter the new password", refusal.fresh);
        if (!refusal.fresh.empty())
            Platform.ExpectPassword("Please confirm the new password", refusal.confirm);
        if (!refusal.message.empty())
            Platform.ExpectMessageBox(refusal.message, TMessageKind::mkPlain, TMessageButtons::mbOK,
                                      idOK);
        Click("spdNew");
        EXPECT_TRUE(Platform.Done()) << refusal.fresh;
        EXPECT_FALSE(FilePresent(path)) << refusal.message;
        EXPECT_TRUE(form.DataFile().empty());
    }
    Platform.ExpectFileDialog(TFileDialogKind::fdOpen, "Open password file", path);
    Platform.ExpectPassword("Please enter the new password", std::string(48, 'p'));
    Platform.ExpectPassword("Please confirm the new password", std::string(48, 'p'));
    Click("spdNew");
    EXPECT_TRUE(FilePresent(path));
    Platform.ExpectNewAccount("Bank");
    Click("spdAdd");
    EXPECT_EQ(form.Records().Count(), 1);
}

TEST_F(MainFormTest, OpenWithAWrongPasswordForgetsTheRememberedFile) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank")});
    // An edit that the user chose not to save leaves nothing to save after the failed open.
    TfrmMain& form = StartWithVault(path, "secret");
    TypeInto(Login(), "x");
    Platform.ExpectMessageBox("You have changed your data. Do you want to save your changes?",
                              TMessageKind::mkConfirmation, TMessageButtons::mbYesNo, idNo);
    Platform.ExpectFileDialog(TFileDialogKind::fdOpen, "Open password file", path);
    Platform.ExpectPassword("Please enter the password", "wrong");
    Platform.ExpectMessageBox("The password was not correct. The data file was not opened",
                              TMessageKind::mkError, TMessageButtons::mbOK, idOK);
    Click("spdOpen");
    EXPECT_TRUE(form.DataFile().empty());
    EXPECT_EQ(Remembered(), "");
    EXPECT_EQ(form.PanelText(2), "No data file");
    EXPECT_EQ(form.PanelText(1), "");
    EXPECT_FALSE(form.Modified());

    Platform.ExpectFileDialog(TFileDialogKind::fdOpen, "Open password file", path);
    Platform.ExpectPassword("Please enter the password", "secret");
    Click("spdOpen");
    EXPECT_EQ(form.DataFile(), path);
    EXPECT_EQ(Remembered(), path);
    EXPECT_EQ(SelectorItems(), QStringList({"Bank"}));
}

TEST_F(MainFormTest, OpenOfAMissingNameKeepsTheVaultInMemory) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank", "me")});
    TfrmMain& form = StartWithVault(path, "secret");
    Platform.ExpectFileDialog(TFileDialogKind::fdOpen, "Open password file", Path("none.kvf"));
    Click("spdOpen");
    EXPECT_EQ(form.PanelText(2), "Data file not found");
    EXPECT_TRUE(form.DataFile().empty());
    EXPECT_EQ(SelectorItems(), QStringList({"Bank"}));
    EXPECT_EQ(EnabledCommands(), (std::vector<std::string>{"spdNew", "spdOpen", "spdDelete"}));
    EXPECT_EQ(Remembered(), "");

    // Saving the vault that has no file asks for a name.
    TypeInto(Login(), "!");
    const std::string rescue = Path("rescue.kvf");
    Platform.ExpectMessageBox(SaveQuestion, TMessageKind::mkConfirmation, TMessageButtons::mbYesNo,
                              idYes);
    Platform.ExpectFileDialog(TFileDialogKind::fdSave, "Save password file", rescue);
    EXPECT_TRUE(form.close());
    EXPECT_EQ(ReadVault(rescue, "secret")[0].Login, "me!");
}

TEST_F(MainFormTest, SaveAsWritesTheVaultUnderTheSamePasswordAndFollowsTheNewFile) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank", "me")});
    TfrmMain& form = StartWithVault(path, "secret");
    TypeInto(Login(), "2");
    const std::string copy = Path("copy.kvf");
    Platform.ExpectFileDialog(TFileDialogKind::fdSave, "Save password file", copy);
    Click("spdSaveAs");
    EXPECT_EQ(form.DataFile(), copy);
    EXPECT_EQ(form.PanelText(2), QString::fromStdString(copy));
    EXPECT_FALSE(form.Modified());
    EXPECT_EQ(Remembered(), copy);
    EXPECT_EQ(ReadVault(copy, "secret")[0].Login, "me2");
    EXPECT_EQ(ReadVault(path, "secret")[0].Login, "me");
}

TEST_F(MainFormTest, CloseAnsweringNoWritesNothingAndExitThenAsksNothing) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank", "me")});
    const std::string original = FileBytes(path);
    TfrmMain& form = StartWithVault(path, "secret");
    TypeInto(Login(), "x");
    Platform.ExpectMessageBox(SaveQuestion, TMessageKind::mkConfirmation, TMessageButtons::mbYesNo,
                              idNo);
    Click("spdClose");
    EXPECT_EQ(FileBytes(path), original);
    EXPECT_EQ(form.PanelText(1), "");
    EXPECT_EQ(form.PanelText(2), "No data file");
    EXPECT_EQ(EnabledCommands(), (std::vector<std::string>{"spdNew", "spdOpen"}));
    Click("spdExit");
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(Platform.Done());
}

TEST_F(MainFormTest, ChangePasswordKeepsABackupAndReenciphersEveryLineInPlace) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "old",
               {Record("zeta", "z", "1", "n;"), Record("Alpha", "a"), Record("mid", "", "3")});
    const std::string original = FileBytes(path);
    TfrmMain& form = StartWithVault(path, "old");
    const std::vector<TPassRecord> before = ReadVault(path, "old");

    Platform.ExpectPassword("Please enter the old password", "old");
    Platform.ExpectPassword("Please enter the new password", "new");
    Platform.ExpectPassword("Please confirm the new password", "new");
    Click("spdChangePassword");

    EXPECT_EQ(FileBytes(BackupPath(path)), original);
    EXPECT_FALSE(CheckPassword(Cipher, path, "old"));
    const std::vector<TPassRecord> after = ReadVault(path, "new");
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i)
        EXPECT_TRUE(SameRecord(after[i], before[i])) << i;
    EXPECT_FALSE(form.Modified());

    // The vault goes on under the new password.
    Choose("zeta");
    TypeInto(Login(), "!");
    Click("spdSave");
    EXPECT_EQ(ReadVault(path, "new")[0].Login, "z!");
}

TEST_F(MainFormTest, ChangePasswordRefusals) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "old", {Record("Bank")});
    const std::string original = FileBytes(path);
    StartWithVault(path, "old");

    Platform.ExpectPassword("Please enter the old password", "nope");
    Platform.ExpectMessageBox("The current password was not entered correctly. The password "
                              "for the data file was not changed.",
                              TMessageKind::mkPlain, TMessageButtons::mbOK, idOK);
    Click("spdChangePassword");

    for (const auto& [fresh, confirm, message] :
         {std::tuple<std::string, std::string, std::string>{"a", "b", NotSame},
          {std::string(49, 'x'), std::string(49, 'x'), BadLength}}) {
        Platform.ExpectPassword("Please enter the old password", "old");
        Platform.ExpectPassword("Please enter the new password", fresh);
        Platform.ExpectPassword("Please confirm the new password", confirm);
        Platform.ExpectMessageBox(message, TMessageKind::mkPlain, TMessageButtons::mbOK, idOK);
        Click("spdChangePassword");
    }
    EXPECT_EQ(FileBytes(path), original);
    EXPECT_FALSE(FilePresent(BackupPath(path)));
}

TEST_F(MainFormTest, KeysDoWhatTheirButtonsDoOnlyWhileEnabled) {
    TfrmMain& form = Start();
    QApplication::setActiveWindow(&form);
    QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier); // Save is disabled: nothing happens
    Platform.ExpectFileDialogCancelled(TFileDialogKind::fdOpen, "Open password file");
    QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
    EXPECT_TRUE(Platform.Done());
    EXPECT_EQ(Control<QToolButton>("spdSaveAs")->toolTip(), "Save file as (Ctrl+Shift+S)");
    EXPECT_EQ(Control<QToolButton>("spdAdd")->toolTip(), "Add account (Ctrl+Shift+A)");
    QTest::keyClick(&form, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(MainFormTest, ACancelledSaveDialogStopsTheCommandThatAskedAndDiscardsNothing) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank", "me")});
    TfrmMain& form = StartWithVault(path, "secret");
    Platform.ExpectFileDialog(TFileDialogKind::fdOpen, "Open password file", Path("none.kvf"));
    Click("spdOpen");
    TypeInto(Login(), "!");

    Platform.ExpectMessageBox(SaveQuestion, TMessageKind::mkConfirmation, TMessageButtons::mbYesNo,
                              idYes);
    Platform.ExpectFileDialogCancelled(TFileDialogKind::fdSave, "Save password file");
    Click("spdNew");
    EXPECT_TRUE(Platform.Done()) << "New went no further";
    EXPECT_EQ(SelectorItems(), QStringList({"Bank"}));
    EXPECT_EQ(Login()->text(), "me!");
    EXPECT_TRUE(form.Modified());

    Platform.ExpectMessageBox(SaveQuestion, TMessageKind::mkConfirmation, TMessageButtons::mbYesNo,
                              idYes);
    Platform.ExpectFileDialogCancelled(TFileDialogKind::fdSave, "Save password file");
    Click("spdExit");
    EXPECT_TRUE(form.isVisible());
}
