// The hardened format in the window: New and the New button's menu, opening with the key
// derivation off the window's thread, the three refusals, a broken seal, the lock, a password
// change, hardening the open file and a copy for older versions.

#include "MainFormFixture.h"

#include "platform/FileSystem.h"
#include "vault/DataFile.h"
#include "vault/Kvf2File.h"
#include "vault/Vault.h"

#include <QAction>
#include <QApplication>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

const std::string Pw = "Correct Horse";
const char* const HardenedTitle = "Kestovar — hardened file";
const char* const OpenPrompt = "Please enter the password";

using TLines = std::vector<std::string>;

TLines SplitFile(const std::string& bytes) {
    TLines lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    return lines;
}

std::string Joined(const TLines& lines) {
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

// Counts the paint events of a widget, and what else a test wants to see while a command waits.
class TPaintCounter : public QObject {
public:
    int Paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++Paints;
        return QObject::eventFilter(watched, event);
    }
};

class HardenedFileTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        // Small keys for every test: one pass over 8 MiB.
        Set("KdfPasses", 1);
        Set("KdfMemoryMiB", 8);
    }
    void Set(const char* key, int value) {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "OmbrelInc", "Durnhold");
        settings.setValue(key, value);
        settings.sync();
    }
    void WriteHardened(const std::string& path, const std::vector<TPassRecord>& records) {
        TVault vault;
        vault.CreateHardened(path, Pw, {1, 8192});
        for (const TPassRecord& record : records)
            ASSERT_TRUE(vault.Add(record));
        vault.Save();
    }
    // The accounts of a file in the selector's order, and its format.
    static std::vector<TPassRecord> Accounts(const std::string& path, const std::string& password,
                                             TDataFormat format) {
        TVault vault;
        EXPECT_EQ(vault.Open(path, password), TOpenResult::Opened) << path;
        EXPECT_EQ(vault.Format(), format);
        std::vector<TPassRecord> records;
        for (int row = 0; row < vault.AccountCount(); ++row) {
            vault.Select(row);
            records.push_back(vault.Current());
        }
        return records;
    }
    QAction* Action(const char* name) const { return Control<QAction>(name); }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QApplication::setActiveWindow(Form.get());
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : Form.get(), key, modifiers);
    }
    void ExpectOpenDialog(const std::string& path) {
        Platform.ExpectFileDialog(TFileDialogKind::fdOpen, "Open password file", path);
    }
};

TEST_F(HardenedFileTest, TheNewButtonsMenuMakesAHardenedFileWithNewsOwnQuestions) {
    TfrmMain& form = Start();
    QToolButton* newButton = Control<QToolButton>("spdNew");
    EXPECT_EQ(newButton->contextMenuPolicy(), Qt::ActionsContextMenu);
    EXPECT_EQ(newButton->actions(), (QList<QAction*>{Action("actNewHardened"), Action("actHarden"),
                                                     Action("actOlderCopy")}));
    EXPECT_EQ(newButton->toolTip(), "New file (Ctrl+N)") << "the button itself is as it was";
    EXPECT_EQ(form.windowTitle(), "Kestovar");
    EXPECT_TRUE(Action("actNewHardened")->isEnabled());
    EXPECT_FALSE(Action("actHarden")->isEnabled());
    EXPECT_FALSE(Action("actOlderCopy")->isEnabled());

    const std::string path = Path("new.kvf");
    Platform.ExpectFileDialog(TFileDialogKind::fdOpen, "Open password file", path);
    Platform.ExpectPassword("Please enter the new password", Pw);
    Platform.ExpectPassword("Please confirm the new password", Pw);
    Key(Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(Platform.Done());
    EXPECT_TRUE(FileBytes(path).starts_with("KVF2 argon2id 1 8192 "));
    EXPECT_EQ(form.DataFile(), path);
    EXPECT_EQ(Remembered(), path);
    EXPECT_EQ(form.windowTitle(), HardenedTitle);
    EXPECT_EQ(form.PanelText(2), QString::fromStdString(path));
    EXPECT_FALSE(Action("actHarden")->isEnabled());
    EXPECT_TRUE(Action("actOlderCopy")->isEnabled());

    Platform.ExpectNewAccount("Bank");
    Click("spdAdd");
    TypeInto(Login(), "me");
    Click("spdSave");
    EXPECT_EQ(Accounts(path, Pw, TDataFormat::Hardened),
              (std::vector<TPassRecord>{{"Bank", "me", "", ""}}));
    EXPECT_EQ(Platform.BusyDepth(), 0);
}

TEST_F(HardenedFileTest, NewMakesTheOlderFormatUnlessTheSettingAsksForTheHardenedOne) {
    for (const int format : {1, 2}) {
        SCOPED_TRACE(format);
        Set("NewFileFormat", format);
        Remember({});
        Start();
        const std::string path = Path("new" + std::to_string(format) + ".kvf");
        Platform.ExpectFileDialog(TFileDialogKind::fdOpen, "Open password file", path);
        Platform.ExpectPassword("Please enter the new password", Pw);
        Platform.ExpectPassword("Please confirm the new password", Pw);
        Click("spdNew");
        EXPECT_EQ(FileBytes(path).starts_with("KVF2 "), format == 2);
        EXPECT_EQ(Form->Vault().Format(),
                  format == 2 ? TDataFormat::Hardened : TDataFormat::Classic);
        ModelTesters.clear();
        Form.reset();
    }
}

TEST_F(HardenedFileTest, OpeningDerivesTheKeysWhileTheWindowPaintsAndIgnoresInput) {
    const std::string path = Path("vault.kvf");
    WriteHardened(path, {{"Mail", "m", "p", ""}, {"Bank", "b", "q", ""}});
    TfrmMain& form = Start();

    TPaintCounter paints;
    QLabel* message = Control<QLabel>("lblMessage");
    message->installEventFilter(&paints);
    int busyTicks = 0;
    QString shown;
    QTimer watch;
    watch.setInterval(1);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (Platform.BusyDepth() == 0)
            return;
        ++busyTicks;
        shown = message->isVisible() ? message->text() : QString();
        // Input meanwhile goes nowhere: the About dialog would be an unexpected call.
        QTest::mouseClick(Control<QToolButton>("SpeedButton1"), Qt::LeftButton);
        QTest::keyClick(&form, Qt::Key_F1);
    });
    watch.start();
    ExpectOpenDialog(path);
    Platform.ExpectPassword(OpenPrompt, Pw);
    Click("spdOpen");
    watch.stop();
    message->removeEventFilter(&paints);

    EXPECT_GT(busyTicks, 0) << "the event loop ran while the keys were derived";
    EXPECT_EQ(shown, "Deriving the keys from the master password…");
    EXPECT_GT(paints.Paints, 0);
    EXPECT_FALSE(message->isVisible());
    EXPECT_EQ(Platform.BusyDepth(), 0);
    EXPECT_EQ(SelectorItems(), QStringList({"Bank", "Mail"}));
    EXPECT_EQ(Login()->text(), "b");
    EXPECT_EQ(form.windowTitle(), HardenedTitle);
    EXPECT_TRUE(Action("actOlderCopy")->isEnabled());
}

TEST_F(HardenedFileTest, AWrongPasswordADamagedFirstLineAndAnotherVersionAreThreeMessages) {
    const std::string path = Path("vault.kvf");
    WriteHardened(path, {{"Mail", "", "", ""}});
    const TLines lines = SplitFile(FileBytes(path));
    const auto withFirstLine = [&](const std::function<void(std::string&)>& edit) {
        TLines changed = lines;
        edit(changed[0]);
        PutFileBytes(path, Joined(changed));
    };
    const char* const damaged =
        "The first line of the data file is damaged. The file was not opened, and nothing in it "
        "was changed.";
    TfrmMain& form = Start();

    ExpectOpenDialog(path);
    Platform.ExpectPassword(OpenPrompt, "wrong");
    Platform.ExpectMessageBox("The password was not correct. The data file was not opened",
                              TMessageKind::mkError, TMessageButtons::mbOK, idOK);
    Click("spdOpen");

    // No password is asked for a first line that cannot open.
    withFirstLine([](std::string& first) { first.replace(14, 1, "11"); });
    ExpectOpenDialog(path);
    Platform.ExpectMessageBox(damaged, TMessageKind::mkError, TMessageButtons::mbOK, idOK);
    Click("spdOpen");

    withFirstLine([](std::string& first) { first.replace(0, 4, "KVF3"); });
    ExpectOpenDialog(path);
    Platform.ExpectMessageBox(
        "The data file is in a format that this version of Kestovar cannot read (its first line "
        "begins \"KVF3\"); it may have been written by a newer version. The file was not opened, "
        "and nothing in it was changed.",
        TMessageKind::mkError, TMessageButtons::mbOK, idOK);
    Click("spdOpen");

    // Only SUM changed: the password decides between a damaged line and a broken seal.
    withFirstLine([](std::string& first) { first[first.size() - 3] ^= 1; });
    ExpectOpenDialog(path);
    Platform.ExpectPassword(OpenPrompt, "wrong");
    Platform.ExpectMessageBox(damaged, TMessageKind::mkError, TMessageButtons::mbOK, idOK);
    Click("spdOpen");
    EXPECT_TRUE(form.DataFile().empty());
    EXPECT_EQ(form.windowTitle(), "Kestovar");
    EXPECT_EQ(FileBytes(path).substr(0, 4), "KVF2") << "nothing was written";
}

TEST_F(HardenedFileTest, ABrokenSealIsToldAndTheNextSaveAsksBeforeItSealsAnew) {
    const std::string path = Path("vault.kvf");
    WriteHardened(path, {{"Mail", "m", "", ""}, {"Bank", "b", "", ""}});
    TLines lines = SplitFile(FileBytes(path));
    std::swap(lines[1], lines[2]);
    PutFileBytes(path, Joined(lines));
    const std::string tampered = FileBytes(path);

    Remember(path);
    Platform.ExpectPassword(OpenPrompt, Pw);
    Platform.ExpectMessageBox(
        "The data file was changed outside Kestovar: lines were added, removed, reordered, "
        "repeated or changed (its first line counts 2 record lines, the file has 2). The "
        "accounts whose lines pass their checks are shown, but the file as a whole is not "
        "verified.",
        TMessageKind::mkPlain, TMessageButtons::mbOK, idOK);
    TfrmMain& form = Start();
    EXPECT_EQ(SelectorItems(), QStringList({"Bank", "Mail"}));
    EXPECT_EQ(form.windowTitle(), "Kestovar — hardened file, not verified");
    EXPECT_EQ(form.PanelText(2), QString::fromStdString(path)) << "the panels keep their texts";

    const char* const question =
        "The data file was changed outside Kestovar, and the file as a whole is not verified. "
        "Saving writes a new seal over its lines as they are now. Do you want to save it?";
    TypeInto(Login(), "x");
    Platform.ExpectMessageBox(question, TMessageKind::mkConfirmation, TMessageButtons::mbOKCancel,
                              idCancel);
    Click("spdSave");
    EXPECT_EQ(FileBytes(path), tampered);
    EXPECT_TRUE(form.Modified());

    Platform.ExpectMessageBox(question, TMessageKind::mkConfirmation, TMessageButtons::mbOKCancel,
                              idOK);
    Click("spdSave");
    EXPECT_FALSE(form.Modified());
    EXPECT_EQ(form.windowTitle(), HardenedTitle);
    TVault again;
    ASSERT_EQ(again.Open(path, Pw), TOpenResult::Opened);
    EXPECT_FALSE(again.SealBroken());
    Click("spdSave"); // sealed now: no question
    EXPECT_TRUE(Platform.Done());
}

TEST_F(HardenedFileTest, ALockedHardenedVaultUnlocksOnlyWithItsPasswordAndKeepsItsChanges) {
    const std::string path = Path("vault.kvf");
    WriteHardened(path, {{"Mail", "m", "", ""}});
    TfrmMain& form = StartWithVault(path, Pw);
    TypeInto(Login(), "x");

    Platform.ExpectPassword("Please enter the password to unlock", "wrong");
    Platform.ExpectMessageBox("The password was not correct. Kestovar stays locked",
                              TMessageKind::mkError, TMessageButtons::mbOK, idOK);
    Key(Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(form.Locked());
    EXPECT_FALSE(form.Vault().HasMasterPassword());
    EXPECT_FALSE(Action("actOlderCopy")->isEnabled());
    EXPECT_FALSE(Action("actNewHardened")->isEnabled());
    EXPECT_EQ(form.windowTitle(), HardenedTitle);

    Platform.ExpectPassword("Please enter the password to unlock", Pw);
    Key(Qt::Key_L, Qt::ControlModifier);
    EXPECT_FALSE(form.Locked());
    EXPECT_EQ(Login()->text(), "mx");
    EXPECT_TRUE(form.Modified());
    EXPECT_EQ(Platform.BusyDepth(), 0);
}

TEST_F(HardenedFileTest, ChangePasswordKeepsTheIdAndMakesANewSalt) {
    const std::string path = Path("vault.kvf");
    WriteHardened(path, {{"Mail", "m", "p", ""}});
    const std::string before = FileBytes(path);
    const TKvf2HeaderRead old = ReadKvf2FirstLineOf(path);
    StartWithVault(path, Pw);

    Platform.ExpectPassword("Please enter the old password", "wrong");
    Platform.ExpectMessageBox("The current password was not entered correctly. The password for "
                              "the data file was not changed.",
                              TMessageKind::mkPlain, TMessageButtons::mbOK, idOK);
    Click("spdChangePassword");
    EXPECT_EQ(FileBytes(path), before);

    Platform.ExpectPassword("Please enter the old password", Pw);
    Platform.ExpectPassword("Please enter the new password", "New Horse");
    Platform.ExpectPassword("Please confirm the new password", "New Horse");
    Click("spdChangePassword");
    EXPECT_EQ(FileBytes(BackupPath(path)), before);
    const TKvf2HeaderRead changed = ReadKvf2FirstLineOf(path);
    EXPECT_EQ(changed.Header.Id, old.Header.Id);
    EXPECT_NE(changed.Header.Salt, old.Header.Salt);
    EXPECT_EQ(changed.Header.Params, (TKvf2Params{1, 8192}));
    EXPECT_EQ(Accounts(path, "New Horse", TDataFormat::Hardened),
              (std::vector<TPassRecord>{{"Mail", "m", "p", ""}}));
}

TEST_F(HardenedFileTest, HardenThisFileAsksAndTellsWhatKeepsTheOlderFormat) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Mail", "m", "p"), Record("Bank", "b", "q")});
    const std::string older = FileBytes(path);
    TfrmMain& form = StartWithVault(path, "secret");
    EXPECT_TRUE(Action("actHarden")->isEnabled());
    EXPECT_FALSE(Action("actOlderCopy")->isEnabled());
    Choose("Mail");

    Platform.ExpectHarden(THardenChoice::Cancel);
    Action("actHarden")->trigger();
    Platform.ExpectHarden(THardenChoice::NewPassword);
    Platform.ExpectPassword(OpenPrompt, "wrong");
    Platform.ExpectMessageBox("The password was not entered correctly. The data file was not "
                              "hardened.",
                              TMessageKind::mkPlain, TMessageButtons::mbOK, idOK);
    Action("actHarden")->trigger();
    EXPECT_EQ(FileBytes(path), older);

    Platform.ExpectHarden(THardenChoice::NewPassword);
    Platform.ExpectPassword(OpenPrompt, "secret");
    Platform.ExpectPassword("Please enter the new password", Pw);
    Platform.ExpectPassword("Please confirm the new password", Pw);
    Platform.ExpectMessageBox("The data file is hardened, under its new master password. The "
                              "backup " +
                                  BackupPath(path) +
                                  ", older copies and the history of a sync service still hold "
                                  "the vault in the older format, under the old password.",
                              TMessageKind::mkPlain, TMessageButtons::mbOK, idOK);
    Key(Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(Platform.Done());
    EXPECT_EQ(FileBytes(BackupPath(path)), older);
    EXPECT_EQ(Accounts(path, Pw, TDataFormat::Hardened),
              (std::vector<TPassRecord>{{"Bank", "b", "q", ""}, {"Mail", "m", "p", ""}}));
    EXPECT_EQ(form.windowTitle(), HardenedTitle);
    EXPECT_EQ(Login()->text(), "m") << "the account shown stays";
    EXPECT_FALSE(Action("actHarden")->isEnabled());
    EXPECT_TRUE(Action("actOlderCopy")->isEnabled());
}

TEST_F(HardenedFileTest, HardenUnderTheSamePasswordAndACopyBackGiveTheOlderFileAgain) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Mail", "m", "p"), Record("Bank", "b", "q")});
    const std::string older = FileBytes(path);
    StartWithVault(path, "secret");
    Platform.ExpectHarden(THardenChoice::KeepPassword);
    Platform.ExpectPassword(OpenPrompt, "secret");
    Platform.ExpectMessageBox("The data file is hardened. The backup " + BackupPath(path) +
                                  ", older copies and the history of a sync service still hold "
                                  "the vault in the older format, under the same password.",
                              TMessageKind::mkPlain, TMessageButtons::mbOK, idOK);
    Action("actHarden")->trigger();
    ASSERT_TRUE(Platform.Done());
    const std::string hardened = FileBytes(path);
    ASSERT_TRUE(hardened.starts_with("KVF2 "));

    const char* const warning =
        "A copy for older versions of Kestovar is in the older format: anyone who gets it can "
        "test master passwords tens of thousands of times faster than with this file. It is "
        "written to a new file under the same master password, and this file stays as it is. Do "
        "you want to write it?";
    Platform.ExpectMessageBox(warning, TMessageKind::mkConfirmation,
                              TMessageButtons::mbOKCancelDefaultCancel, idCancel);
    Action("actOlderCopy")->trigger();

    // Never over the hardened file itself.
    Platform.ExpectMessageBox(warning, TMessageKind::mkConfirmation,
                              TMessageButtons::mbOKCancelDefaultCancel, idOK);
    Platform.ExpectFileDialog(TFileDialogKind::fdSave, "Save a copy for older versions", path);
    Platform.ExpectMessageBox("The copy for older versions goes to another file; " + path +
                                  " stays as it is.",
                              TMessageKind::mkPlain, TMessageButtons::mbOK, idOK);
    Key(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(FileBytes(path), hardened);

    const std::string copy = Path("older.kvf");
    Platform.ExpectMessageBox(warning, TMessageKind::mkConfirmation,
                              TMessageButtons::mbOKCancelDefaultCancel, idOK);
    Platform.ExpectFileDialog(TFileDialogKind::fdSave, "Save a copy for older versions", copy);
    Action("actOlderCopy")->trigger();
    EXPECT_EQ(FileBytes(copy), older);
    EXPECT_EQ(FileBytes(path), hardened);
    EXPECT_EQ(Form->DataFile(), path);
}

TEST_F(HardenedFileTest, ACopyForOlderVersionsLeavesDamagedLinesOutOnlyWhenTheUserAgrees) {
    const std::string path = Path("vault.kvf");
    WriteHardened(path, {{"Mail", "m", "p", ""}});
    TLines lines = SplitFile(FileBytes(path));
    lines.push_back("no;record");
    PutFileBytes(path, Joined(lines));
    Remember(path);
    Platform.ExpectPassword(OpenPrompt, Pw);
    Platform.ExpectMessageBox("1 line of the data file could not be read (line 3). It is kept "
                              "unchanged in the file.",
                              TMessageKind::mkPlain, TMessageButtons::mbOK, idOK);
    Platform.ExpectMessageBox(
        "The data file was changed outside Kestovar: lines were added, removed, reordered, "
        "repeated or changed (its first line counts 1 record lines, the file has 2). The "
        "accounts whose lines pass their checks are shown, but the file as a whole is not "
        "verified.",
        TMessageKind::mkPlain, TMessageButtons::mbOK, idOK);
    Start();

    const std::string copy = Path("older.kvf");
    const std::string question = "1 line of the data file could not be read (line 3), so it "
                                 "cannot go into the copy. Do you want to write the copy without "
                                 "it?";
    for (const int answer : {idCancel, idOK}) {
        Platform.ExpectMessageBox(
            "A copy for older versions of Kestovar is in the older format: anyone who gets it "
            "can test master passwords tens of thousands of times faster than with this file. It "
            "is written to a new file under the same master password, and this file stays as it "
            "is. Do you want to write it?",
            TMessageKind::mkConfirmation, TMessageButtons::mbOKCancelDefaultCancel, idOK);
        Platform.ExpectFileDialog(TFileDialogKind::fdSave, "Save a copy for older versions", copy);
        Platform.ExpectMessageBox(question, TMessageKind::mkConfirmation,
                                  TMessageButtons::mbOKCancel, answer);
        Action("actOlderCopy")->trigger();
        EXPECT_EQ(FilePresent(copy), answer == idOK);
    }
    EXPECT_EQ(Accounts(copy, Pw, TDataFormat::Classic),
              (std::vector<TPassRecord>{{"Mail", "m", "p", ""}}));
}

TEST_F(HardenedFileTest, AnAccountWhoseLineFailsWhenShownIsToldAndLeavesTheSelector) {
    const std::string path = Path("vault.kvf");
    WriteHardened(path, {{"Bank", "b", "", ""}, {"Mail", "m", "", ""}, {"Shop", "s", "", ""}});
    TLines lines = SplitFile(FileBytes(path));
    const std::size_t body = lines[2].rfind(';') + 3; // Mail's
    lines[2][body] = lines[2][body] == 'A' ? 'B' : 'A';
    PutFileBytes(path, Joined(lines));
    Remember(path);
    Platform.ExpectPassword(OpenPrompt, Pw);
    Platform.ExpectMessageBox(
        "The data file was changed outside Kestovar: lines were added, removed, reordered, "
        "repeated or changed (its first line counts 3 record lines, the file has 3). The "
        "accounts whose lines pass their checks are shown, but the file as a whole is not "
        "verified.",
        TMessageKind::mkPlain, TMessageButtons::mbOK, idOK);
    TfrmMain& form = Start();
    EXPECT_EQ(SelectorItems(), QStringList({"Bank", "Mail", "Shop"}));

    Platform.ExpectMessageBox("The account's line in the data file failed its check: it was "
                              "changed outside Kestovar (line 3). It is kept unchanged in the "
                              "file and is no longer shown.",
                              TMessageKind::mkPlain, TMessageButtons::mbOK, idOK);
    Choose("Mail");
    EXPECT_EQ(SelectorItems(), QStringList({"Bank", "Shop"}));
    EXPECT_EQ(form.PanelText(0), "3") << "the line is still there";
    EXPECT_FALSE(Login()->isEnabled());
    Choose("Shop");
    EXPECT_EQ(Login()->text(), "s");
}

} // namespace
