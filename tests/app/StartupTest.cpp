// Start-up, the display of a vault, and the save question when the window closes.

#include "MainFormFixture.h"

#include "vault/DataFile.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QSettings>
#include <QTest>

namespace {
const std::vector<std::string> NoFileCommands{"spdNew", "spdOpen"};
}

TEST_F(MainFormTest, FirstStartWithoutSettingsAsksNothing) {
    TfrmMain& form = Start();
    EXPECT_TRUE(Platform.Calls().empty());
    EXPECT_EQ(EnabledCommands(), NoFileCommands);
    EXPECT_TRUE(Enabled("spdExit"));
    EXPECT_TRUE(Enabled("spdAboutOmbrel"));
    EXPECT_TRUE(Enabled("SpeedButton1"));
    EXPECT_EQ(form.PanelText(2), "No data file");
    EXPECT_EQ(form.PanelText(0), "0");
    EXPECT_EQ(Platform.BusyDepth(), 0);
    EXPECT_FALSE(Login()->isEnabled());
}

TEST_F(MainFormTest, StartWithEmptyOrMissingRememberedFileSaysNotFound) {
    for (const std::string& remembered : {std::string(), Path("gone.kvf")}) {
        Remember(remembered);
        TfrmMain& form = Start();
        EXPECT_TRUE(Platform.Calls().empty());
        EXPECT_EQ(EnabledCommands(), NoFileCommands);
        EXPECT_EQ(form.PanelText(2), "Data file not found");
        EXPECT_TRUE(form.DataFile().empty());
    }
}

TEST_F(MainFormTest, StartWithTheRightPasswordShowsTheFirstAccountInOrder) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret",
               {Record("gamma", "g"), Record("Alpha", "a", "pa", "one;two;"), Record("beta")});
    TfrmMain& form = StartWithVault(path, "secret");

    ASSERT_EQ(Platform.Calls().size(), 1u);
    EXPECT_FALSE(Platform.Calls()[0].Busy) << "the cursor is normal while the user types";
    EXPECT_EQ(Platform.BusyDepth(), 0);
    EXPECT_EQ(SelectorItems(), QStringList({"Alpha", "beta", "gamma"}));
    EXPECT_EQ(Selector()->currentText(), "Alpha");
    EXPECT_EQ(Login()->text(), "a");
    EXPECT_EQ(Password()->text(), "pa");
    EXPECT_EQ(Notes()->toPlainText(), "one\ntwo");
    EXPECT_EQ(form.PanelText(0), "3");
    EXPECT_EQ(form.PanelText(1), "");
    EXPECT_EQ(form.PanelText(2), QString::fromStdString(path));
    EXPECT_EQ(EnabledCommands().size(), 8u);
    EXPECT_TRUE(Login()->isEnabled());

    Choose("gamma");
    EXPECT_EQ(Login()->text(), "g");
    EXPECT_EQ(Password()->text(), "");
    EXPECT_FALSE(form.Modified()) << "showing an account is no edit";
}

TEST_F(MainFormTest, CancelledOrWrongPasswordAtStartOpensNothing) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank")});
    // A password too long to be a key is simply a wrong one.
    for (const std::string& typed : {std::string(), std::string("Secret"), std::string(57, 'x')}) {
        Remember(path);
        Platform.ExpectPassword("Please enter the password", typed);
        Platform.ExpectMessageBox("The password was not correct. The data file was not opened",
                                  TMessageKind::mkError, TMessageButtons::mbOK, idOK);
        TfrmMain& form = Start();
        EXPECT_TRUE(form.DataFile().empty());
        EXPECT_EQ(form.PanelText(2), "No data file");
        EXPECT_EQ(form.PanelText(0), "0");
        EXPECT_EQ(SelectorItems(), QStringList());
        EXPECT_EQ(EnabledCommands(), NoFileCommands);
        EXPECT_EQ(Platform.BusyDepth(), 0);
    }
}

TEST_F(MainFormTest, SettingsValueThatIsNotTextIsShownAndTheWindowOpens) {
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "OmbrelInc", "Durnhold");
        settings.setValue("Datafile", QStringList{"a", "b"});
    }
    // The message ends in a quote, which sorts before the full stop: no stop is added.
    Platform.ExpectErrorBox("Invalid data type for 'Datafile'");
    TfrmMain& form = Start();
    EXPECT_EQ(EnabledCommands(), NoFileCommands);
    EXPECT_EQ(Platform.BusyDepth(), 0);
    EXPECT_TRUE(form.DataFile().empty());
    EXPECT_TRUE(form.isVisible());
}

TEST_F(MainFormTest, AFileThatFailsToOpenLeavesNoVaultThatASaveCouldOverwrite) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank", "me")});
    // The right password, but too long for a record key: the cipher refuses it while the file
    // is opened.
    const std::string password(50, 'x');
    PutFileBytes(path, MakeCheckLine(Cipher, password) + "\r\n" + ReadDataFile(path)[0] + "\r\n");
    const std::string original = FileBytes(path);
    Remember(path);
    Platform.ExpectPassword("Please enter the password", password);
    Platform.ExpectErrorBox("Blowfish: Key must be between 1 and 56 bytes.");
    TfrmMain& form = Start();
    EXPECT_TRUE(form.DataFile().empty());
    EXPECT_EQ(EnabledCommands(), NoFileCommands);
    EXPECT_EQ(Platform.BusyDepth(), 0);
    EXPECT_EQ(FileBytes(path), original);
}

TEST_F(MainFormTest, ClosingAfterAnEditAsksOnceAndNoWritesNothing) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank", "me")});
    const std::string original = FileBytes(path);
    TfrmMain& form = StartWithVault(path, "secret");
    TypeInto(Login(), "x");
    ASSERT_TRUE(form.Modified());

    Platform.ExpectMessageBox("You have changed your data. Do you want to save your changes?",
                              TMessageKind::mkConfirmation, TMessageButtons::mbYesNo, idNo);
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(FileBytes(path), original);
    EXPECT_TRUE(Platform.Done());
}

TEST_F(MainFormTest, ClosingWithYesSavesAndAFailedSaveKeepsTheWindowOpen) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank", "me")});
    TfrmMain& form = StartWithVault(path, "secret");
    TypeInto(Login(), "x");

    // The file's folder is taken away: the save fails and nothing is discarded.
    Platform.ExpectMessageBox("You have changed your data. Do you want to save your changes?",
                              TMessageKind::mkConfirmation, TMessageButtons::mbYesNo, idYes);
    Platform.ExpectMessageBox("The data file was changed by another program since it was "
                              "opened. Do you want to overwrite it?",
                              TMessageKind::mkConfirmation, TMessageButtons::mbOKCancel, idOK);
    Platform.ExpectErrorBox(path + ": Invalid filename.");
    ASSERT_TRUE(QDir().rename(Dir.path(), Dir.path() + "-away"));
    form.close(); // through the event dispatch, which shows the error
    ASSERT_TRUE(QDir().rename(Dir.path() + "-away", Dir.path()));
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.Modified());

    Platform.ExpectMessageBox("You have changed your data. Do you want to save your changes?",
                              TMessageKind::mkConfirmation, TMessageButtons::mbYesNo, idYes);
    EXPECT_TRUE(form.close());
    EXPECT_EQ(ReadVault(path, "secret")[0].Login, "mex");
}

TEST_F(MainFormTest, ExceptionsInHandlersAreShownAndTheWindowStaysUsable) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank", "me")});
    TfrmMain& form = StartWithVault(path, "secret");
    Platform.ExpectFileDialog(TFileDialogKind::fdSave, "Save password file",
                              Path("missing/folder/x.kvf"));
    Platform.ExpectErrorBox(Path("missing/folder/x.kvf") + ": Invalid filename.");
    Click("spdSaveAs");
    EXPECT_TRUE(Platform.Done());
    Platform.ExpectAbout();
    Click("SpeedButton1");
    Platform.ExpectAbout();
    Click("spdAboutOmbrel");
    EXPECT_TRUE(form.isVisible());
}

TEST_F(MainFormTest, TheWindowHasItsControlsByNameAtTheirPlaces) {
    TfrmMain& form = Start();
    EXPECT_EQ(form.windowTitle(), "Kestovar");
    EXPECT_EQ(form.size(), QSize(351, 311));
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "a fixed window";

    const struct {
        const char* name;
        int x;
        const char* hint;
    } buttons[] = {{"spdNew", 12, "New file (Ctrl+N)"},
                   {"spdOpen", 36, "Open file (Ctrl+O)"},
                   {"spdSave", 60, "Save file (Ctrl+S)"},
                   {"spdSaveAs", 84, "Save file as (Ctrl+Shift+S)"},
                   {"spdClose", 108, "Close file (Ctrl+W)"},
                   {"spdAdd", 140, "Add account (Ctrl+Shift+A)"},
                   {"spdDelete", 164, "Delete account (Ctrl+Shift+D)"},
                   {"spdChangePassword", 196, "Change password (Ctrl+Shift+P)"},
                   {"spdAboutOmbrel", 228, "Ombrel Inc. website"},
                   {"SpeedButton1", 272, "About Kestovar (F1)"},
                   {"spdExit", 320, "Exit Kestovar (Ctrl+Q)"}};
    for (const auto& button : buttons) {
        const QToolButton* control = Control<QToolButton>(button.name);
        EXPECT_EQ(control->x(), button.x) << button.name;
        EXPECT_EQ(control->toolTip(), button.hint) << button.name;
        EXPECT_FALSE(control->accessibleName().isEmpty()) << button.name;
        EXPECT_EQ(control->iconSize(), QSize(16, 16)) << button.name;
    }

    const struct {
        const char* name;
        QRect geometry;
        const char* label;
    } fields[] = {{"cboAccount", {72, 48, 265, 24}, "Account"},
                  {"edtLogin", {72, 76, 265, 24}, "Login ID"},
                  {"edtPassword", {72, 104, 265, 24}, "Password"},
                  {"mmoNotes", {72, 132, 265, 129}, "Notes"}};
    for (const auto& field : fields) {
        QWidget* control = Control<QWidget>(field.name);
        EXPECT_EQ(control->geometry(), field.geometry) << field.name;
        EXPECT_EQ(control->accessibleName(), field.label) << field.name;
        EXPECT_EQ(control->font().pixelSize(), 13) << field.name;
        bool labelled = false;
        for (const QLabel* label : form.findChildren<QLabel*>())
            labelled = labelled || (label->buddy() == control && label->text() == field.label);
        EXPECT_TRUE(labelled) << field.name;
    }
    EXPECT_EQ(Password()->echoMode(), QLineEdit::Normal) << "the password is shown in clear";
    EXPECT_EQ(Control<QLabel>("lblVersion")->text(), "1.06");
    EXPECT_EQ(Control<QLabel>("lblVersion")->pos(), QPoint(19, 240));
    EXPECT_EQ(Control<QLabel>("lblURL")->pos(), QPoint(50, 272));
    EXPECT_EQ(form.font().pixelSize(), 11);

    const int widths[3] = {30, 33, 250};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Control<QLabel>(QStringLiteral("stbMainPanel%1").arg(i).toLatin1().constData())
                      ->width(),
                  widths[i]);

    Platform.ExpectAbout();
    emit Control<QLabel>("lblURL")->linkActivated(QStringLiteral("about"));
}

TEST_F(MainFormTest, TabGoesFromTheSelectorThroughTheFields) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank", "me")});
    TfrmMain& form = StartWithVault(path, "secret");
    QApplication::setActiveWindow(&form);
    Selector()->setFocus();
    for (QWidget* next : {static_cast<QWidget*>(Login()), static_cast<QWidget*>(Password()),
                          static_cast<QWidget*>(Notes())}) {
        QTest::keyClick(form.focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(form.focusWidget(), next) << next->objectName().toStdString();
    }
    QTest::keyClick(Notes(), Qt::Key_Tab);
    EXPECT_EQ(Notes()->toPlainText(), "") << "Tab moves on from the notes, it types nothing";
    EXPECT_NE(form.focusWidget(), Notes());
}

// A count of five digits is shown whole: the count panel widens and the path panel gives up as
// much, so that the panels still end where they did.
TEST_F(MainFormTest, TheCountPanelShowsTheWholeNumber) {
    const auto panels = [](const TfrmMain& form) {
        return std::pair{form.findChild<QLabel*>(QStringLiteral("stbMainPanel0")),
                         form.findChild<QLabel*>(QStringLiteral("stbMainPanel2"))};
    };
    const int end = panels(Start()).second->geometry().right();
    const std::string path = Path("large.kvf");
    std::vector<TPassRecord> records;
    for (int i = 0; i < 10000; ++i)
        records.push_back(Record("account " + std::to_string(i)));
    WriteVault(path, "secret", records);
    TfrmMain& form = StartWithVault(path, "secret");
    QCoreApplication::processEvents();
    const auto [count, file] = panels(form);
    EXPECT_EQ(form.PanelText(0), "10000");
    EXPECT_GE(count->width(), count->sizeHint().width());
    EXPECT_GT(count->width(), 30);
    EXPECT_EQ(file->geometry().right(), end);
}
