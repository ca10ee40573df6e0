// Daily use of the window: copies that clear themselves, find, the generator, the lock, the
// password's mask, the file named on the command line and the keys of every command.

#include "MainFormFixture.h"

#include "app/AccountFinder.h"
#include "app/CommandLine.h"
#include "app/ScreenLockWatcher.h"
#include "app/SecretClipboard.h"
#include "platform/FileSystem.h"
#include "platform/Settings.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QListView>
#include <QMimeData>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

class DailyUseTest : public MainFormTest {
protected:
    void Prefer(const char* name, const QVariant& value) {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "OmbrelInc", "Durnhold");
        settings.setValue(QLatin1String(name), value);
        settings.sync();
    }
    TfrmMain& Open(const std::vector<TPassRecord>& records) {
        const std::string path = Path("vault.kvf");
        WriteVault(path, "secret", records);
        TfrmMain& form = StartWithVault(path, "secret");
        QApplication::setActiveWindow(&form);
        Clipboard()->SetClearDelay(std::chrono::milliseconds(50));
        return form;
    }
    TSecretClipboard* Clipboard() const { return Form->findChild<TSecretClipboard*>(); }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : Form.get(), static_cast<Qt::Key>(key), modifiers);
    }
    static QString ClipboardText() { return QApplication::clipboard()->text(); }
    bool WaitUntilClipboardIs(const QString& text) {
        return QTest::qWaitFor([&] { return ClipboardText() == text; }, 2000);
    }
    QStringList Panels() const {
        QStringList texts;
        for (int i = 0; i < 3; ++i) {
            const auto* panel =
                Control<QLabel>(qPrintable(QStringLiteral("stbMainPanel%1").arg(i)));
            texts << (panel->isVisible() ? panel->text() : QStringLiteral("<hidden>"));
        }
        return texts;
    }
};

TEST_F(DailyUseTest, ACopyIsMarkedSecretAndClearedAfterTheDelayUnlessSomethingElseWasCopied) {
    for (const bool outsideCopy : {false, true}) {
        SCOPED_TRACE(outsideCopy);
        Open({Record("Bank", "me", "pw1")});
        const QStringList panels = Panels();
        Login()->setFocus(); // no selection: Ctrl+C copies the password
        Key(Qt::Key_C);
        ASSERT_EQ(ClipboardText(), "pw1");
        const QMimeData* data = QApplication::clipboard()->mimeData();
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(data->data(PasswordManagerHintFormat), "secret");
        const auto* message = Control<QLabel>("lblMessage");
        EXPECT_TRUE(message->isVisible());
        EXPECT_EQ(message->text(), "Password copied; cleared in 1 s.");
        EXPECT_EQ(Panels(), panels);
        if (outsideCopy) {
            Selector()->setFocus();
            QApplication::clipboard()->setText(QStringLiteral("my own"));
            QTest::qWait(200);
            EXPECT_EQ(ClipboardText(), "my own");
        } else {
            EXPECT_TRUE(WaitUntilClipboardIs(QString()));
        }
        Form.reset();
    }
}

TEST_F(DailyUseTest, CopyKeysTakeTheStoredValueWholeAndCtrlCKeepsAFieldsSelection) {
    const std::string longLogin(40000, 'L'); // more than an edit holds: the field is cut
    Open({Record("Bank", longLogin, "pw1", "note;")});
    Clipboard()->SetClearDelay(std::chrono::milliseconds(0));
    ASSERT_TRUE(Login()->isReadOnly());
    Selector()->setFocus();
    Key(Qt::Key_B);
    EXPECT_EQ(ClipboardText().toStdString(), longLogin);
    EXPECT_EQ(Control<QLabel>("lblMessage")->text(), "Login ID copied.");

    const struct {
        QWidget* field;
        bool select;
        QString expected;
    } cases[] = {{Notes(), false, "pw1"},
                 {Notes(), true, "note"},
                 {Password(), true, "pw1"},
                 {Selector(), false, "pw1"}};
    for (const auto& c : cases) {
        QApplication::clipboard()->clear();
        c.field->setFocus();
        if (c.select) {
            if (auto* notes = qobject_cast<QPlainTextEdit*>(c.field))
                notes->selectAll();
            else
                static_cast<QLineEdit*>(c.field)->selectAll();
        }
        Key(Qt::Key_C);
        EXPECT_EQ(ClipboardText(), c.expected) << c.field->objectName().toStdString();
    }
}

TEST_F(DailyUseTest, TheCopyActionsInsideTheFieldsCopyAndClosingOrLockingClearsTheClipboard) {
    for (const char* how : {"close", "lock"}) {
        SCOPED_TRACE(how);
        Open({Record("Bank", "me", "pw1")});
        Clipboard()->SetClearDelay(std::chrono::milliseconds(0));
        auto* copyLogin = Form->findChild<QAction*>("actCopyLogin");
        ASSERT_NE(copyLogin, nullptr);
        EXPECT_EQ(copyLogin->toolTip(), "Copy the login ID (Ctrl+B)");
        copyLogin->trigger();
        ASSERT_EQ(ClipboardText(), "me");
        if (std::string(how) == "close") {
            Click("spdClose");
        } else {
            Platform.ExpectPassword("Please enter the password to unlock", "");
            Key(Qt::Key_L);
        }
        EXPECT_EQ(ClipboardText(), "");
        Form.reset();
    }
}

TEST_F(DailyUseTest, FindFiltersIgnoringCaseAndAccentsAndEnterShowsTheChoice) {
    Open({Record("Bank", "b"), Record("Caf\xE9 Noir", "c1"), Record("CAFETERIA", "c2"),
          Record("Mail", "m")});
    Key(Qt::Key_F);
    auto* finder = Form->findChild<TAccountFinder*>();
    ASSERT_NE(finder, nullptr);
    ASSERT_TRUE(finder->isVisible());
    auto* edit = finder->findChild<QLineEdit*>("edtFind");
    EXPECT_EQ(finder->Matches().size(), 4u);
    TypeText(edit, QStringLiteral("caf"));
    const int noir = Selector()->findText("Caf\u00E9 Noir");
    const int cafeteria = Selector()->findText("CAFETERIA");
    EXPECT_EQ(finder->Matches(),
              (std::vector<int>{std::min(noir, cafeteria), std::max(noir, cafeteria)}));
    TypeText(edit, QStringLiteral("\u00C9t")); // "cafÉt"
    EXPECT_EQ(finder->Matches(), (std::vector<int>{cafeteria}));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_FALSE(finder->isVisible());
    EXPECT_EQ(Selector()->currentText(), "CAFETERIA");
    EXPECT_EQ(Login()->text(), "c2");

    Key(Qt::Key_F);
    ASSERT_TRUE(finder->isVisible());
    TypeText(edit, QStringLiteral("nOiR"));
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(finder->isVisible());
    EXPECT_EQ(Selector()->currentText(), "CAFETERIA");
    EXPECT_EQ(FoldForFind(QStringLiteral("Caf\u00E9 \u00C6")), QStringLiteral("cafe \u00E6"));

    // The box is part of the window for a screen reader, its edit and list named.
    Key(Qt::Key_F);
    const auto inTree = [](auto& self, QAccessibleInterface* node, QObject* target) -> bool {
        if (!node)
            return false;
        if (node->object() == target)
            return true;
        for (int i = 0; i < node->childCount(); ++i)
            if (self(self, node->child(i), target))
                return true;
        return false;
    };
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(Form.get());
    for (const char* name : {"edtFind", "lstFind"}) {
        auto* control = finder->findChild<QWidget*>(name);
        EXPECT_TRUE(inTree(inTree, window, control)) << name;
        EXPECT_FALSE(control->accessibleName().isEmpty()) << name;
    }
    QTest::keyClick(edit, Qt::Key_Escape);

    // An account added since the last find is found too.
    Platform.ExpectNewAccount("Zebra");
    Click("spdAdd");
    Key(Qt::Key_F);
    TypeText(edit, QStringLiteral("zeb"));
    EXPECT_EQ(finder->Matches(), (std::vector<int>{Selector()->findText("Zebra")}));
}

TEST_F(DailyUseTest, AGeneratedPasswordIsStoredAsIfTypedAndOnlyForAShownEditableAccount) {
    Open({Record("Bank", "me", "old")});
    Platform.ExpectGeneratedPassword("");
    Key(Qt::Key_G);
    EXPECT_EQ(Password()->text(), "old");
    EXPECT_FALSE(Form->Modified());

    Platform.ExpectGeneratedPassword("N3w&fresh");
    Form->findChild<QAction*>("actGenerate")->trigger();
    EXPECT_EQ(Password()->text(), "N3w&fresh");
    EXPECT_EQ(Form->Vault().Current().Password, "N3w&fresh");
    EXPECT_EQ(Form->PanelText(1), "MOD");

    Click("spdDelete"); // no account left: the generator is not offered
    Key(Qt::Key_G);
    EXPECT_TRUE(Platform.Done());
}

TEST_F(DailyUseTest, ALockWipesAndHidesEverythingAndTheRightPasswordBringsTheSameStateBack) {
    Open({Record("Bank", "b", "pb"), Record("Mail", "m", "pm")});
    Choose("Mail");
    TypeInto(Password(), "2");
    ASSERT_EQ(Form->PanelText(1), "MOD");

    Platform.ExpectPassword("Please enter the password to unlock", "wrong");
    Platform.ExpectMessageBox("The password was not correct. Kestovar stays locked",
                              TMessageKind::mkError, TMessageButtons::mbOK, idOK);
    Key(Qt::Key_L);
    EXPECT_TRUE(Form->Locked());
    EXPECT_FALSE(Form->Vault().HasMasterPassword());
    EXPECT_TRUE(Form->Vault().Current().Password.empty());
    EXPECT_EQ(Selector()->count(), 0);
    EXPECT_EQ(Password()->text(), "");
    EXPECT_FALSE(Password()->isEnabled());
    EXPECT_TRUE(EnabledCommands().empty());
    EXPECT_TRUE(Enabled("spdExit") && Enabled("SpeedButton1"));
    EXPECT_EQ(Form->PanelText(1), "MOD");
    Key(Qt::Key_B); // nothing to copy
    Key(Qt::Key_F);
    EXPECT_FALSE(Form->findChild<TAccountFinder*>()->isVisible());

    Platform.ExpectPassword("Please enter the password to unlock", ""); // cancelled
    QTest::mouseClick(Form.get(), Qt::LeftButton);
    EXPECT_TRUE(Form->Locked());
    Platform.ExpectPassword("Please enter the password to unlock", "secret");
    Key(Qt::Key_L);
    EXPECT_FALSE(Form->Locked());
    EXPECT_EQ(SelectorItems(), (QStringList{"Bank", "Mail"}));
    EXPECT_EQ(Selector()->currentText(), "Mail");
    EXPECT_EQ(Password()->text(), "pm2");
    EXPECT_EQ(Form->PanelText(1), "MOD");
    EXPECT_TRUE(Form->Modified());
    EXPECT_EQ(EnabledCommands().size(), 8u);
}

TEST_F(DailyUseTest, ExitWhileLockedStillOffersToSaveAndSavesWithoutThePassword) {
    Open({Record("Bank", "b", "pb")});
    TypeInto(Login(), "2");
    Platform.ExpectPassword("Please enter the password to unlock", "");
    Key(Qt::Key_L);
    Platform.ExpectMessageBox("You have changed your data. Do you want to save your changes?",
                              TMessageKind::mkConfirmation, TMessageButtons::mbYesNo, idYes);
    Click("spdExit");
    EXPECT_FALSE(Form->isVisible());
    const std::vector<TPassRecord> saved = ReadVault(Path("vault.kvf"), "secret");
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].Login, "b2");
}

TEST_F(DailyUseTest, TheScreenLockAndIdlenessLockAsTheSettingsSay) {
    const struct {
        const char* name;
        QVariant value;
        bool idle;
        bool locks;
    } cases[] = {{"LockOnScreenLock", true, false, true},
                 {"LockOnScreenLock", false, false, false},
                 {"LockAfterIdleMinutes", 1, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Prefer(c.name, c.value);
        Open({Record("Bank", "b", "pb")});
        if (c.locks)
            Platform.ExpectPassword("Please enter the password to unlock", "");
        if (c.idle) {
            auto* timer = Form->findChild<QTimer*>("IdleLockTimer");
            ASSERT_TRUE(timer->isActive());
            EXPECT_EQ(timer->interval(), 60000);
            timer->start(1);
            EXPECT_TRUE(QTest::qWaitFor([&] { return Form->Locked(); }, 2000));
        } else {
            Form->findChild<TScreenLockWatcher*>()->ActiveChanged(true);
            EXPECT_EQ(Form->Locked(), c.locks);
        }
        Form.reset();
        QFile::remove(QString::fromStdString(SettingsFile()));
    }
}

TEST_F(DailyUseTest, ThePasswordCanBeMaskedAndStillCopied) {
    Prefer("HidePassword", true);
    Open({Record("Bank", "b", "pb")});
    EXPECT_EQ(Password()->echoMode(), QLineEdit::Password);
    Password()->setFocus();
    Password()->selectAll();
    Key(Qt::Key_C);
    EXPECT_EQ(ClipboardText(), "pb");
    Key(Qt::Key_H, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Password()->echoMode(), QLineEdit::Normal);
    auto* mask = Form->findChild<QAction*>("actMask");
    EXPECT_EQ(mask->toolTip(), "Hide the password (Ctrl+Shift+H)");
    mask->trigger();
    EXPECT_EQ(Password()->echoMode(), QLineEdit::Password);
}

TEST_F(DailyUseTest, AFileOnTheCommandLineIsOpenedInsteadOfTheRememberedOneAndRemembered) {
    const std::string remembered = Path("old.kvf");
    const std::string given = Path("given.kvf");
    WriteVault(remembered, "secret", {Record("Old")});
    WriteVault(given, "other", {Record("Given")});
    Remember(remembered);
    Platform.ExpectPassword("Please enter the password", "other");
    Form = std::make_unique<TfrmMain>(Platform);
    Form->FormCreate(given);
    EXPECT_EQ(Form->DataFile(), given);
    EXPECT_EQ(SelectorItems(), QStringList{"Given"});
    EXPECT_EQ(Remembered(), given);

    EXPECT_EQ(DataFileArgument({"kestovar", "rel.kvf"}),
              QDir::current().absoluteFilePath("rel.kvf").toStdString());
    EXPECT_EQ(DataFileArgument({"kestovar"}), "");
    EXPECT_EQ(DataFileArgument({"kestovar", "a.kvf", "b.kvf"}), "");
    // A name that is not UTF-8 keeps its bytes from the command line to the file.
    const char* const argv[] = {"kestovar", "/tmp/bad\xFF.kvf"};
    EXPECT_EQ(DataFileArgument(ArgumentsFromCommandLine(2, argv)), "/tmp/bad\xFF.kvf");
}

TEST_F(DailyUseTest, EveryCommandHasAKeyAndTheSelectorTellsScreenReadersTheShownAccount) {
    Open({Record("Bank"), Record("Mail")});
    QAccessibleInterface* selector = QAccessible::queryAccessibleInterface(Selector());
    ASSERT_NE(selector, nullptr);
    // The label names it (on Linux through the label relation), the value is the account shown.
    EXPECT_EQ(Selector()->accessibleName(), "Account");
    const auto labels = selector->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.front().first->text(QAccessible::Name), "Account");
    EXPECT_EQ(selector->text(QAccessible::Value), "Bank");

    Platform.ExpectNewAccount("");
    Key(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    Platform.ExpectPassword("Please enter the old password", "");
    Key(Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    Platform.ExpectAbout();
    Key(Qt::Key_F1, Qt::NoModifier);
    Login()->setFocus();
    Key(Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(SelectorItems(), QStringList{"Mail"});
    EXPECT_EQ(selector->text(QAccessible::Value), "Mail");
    EXPECT_TRUE(Platform.Done());
}

} // namespace

namespace {

// A new-account dialog that stays open until it is cancelled, as a real one does while its
// user is away.
class TAwayPlatform : public TScriptedPlatform {
public:
    std::function<void()> WhileOpen;
    int Cancels = 0;
    QString PasswordShownAtCancel = QStringLiteral("<not cancelled>");
    QLineEdit* PasswordField = nullptr;

    std::string AskNewAccountName() override {
        QEventLoop dialog;
        FDialog = &dialog;
        WhileOpen();
        dialog.exec();
        FDialog = nullptr;
        return {};
    }
    void CancelDialogs() override {
        ++Cancels;
        PasswordShownAtCancel = PasswordField->text();
        if (FDialog)
            FDialog->quit();
    }

private:
    QEventLoop* FDialog = nullptr;
};

TEST_F(DailyUseTest, AnIdleLockCancelsAnOpenDialogAndEmptiesTheWindowOnTime) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank", "me", "hunter2")});
    TAwayPlatform away;
    away.ExpectPassword("Please enter the password", "secret");
    Remember(path);
    Form = std::make_unique<TfrmMain>(away);
    Form->FormCreate();
    Form->show();
    away.PasswordField = Password();
    ASSERT_EQ(Password()->text(), "hunter2");
    auto* idle = Form->findChild<QTimer*>("IdleLockTimer");
    ASSERT_NE(idle, nullptr);
    // The user leaves with the dialog open; the idle time runs out.
    away.WhileOpen = [idle] {
        idle->setInterval(20);
        idle->start();
    };
    away.ExpectPassword("Please enter the password to unlock", ""); // nobody there
    QTest::mouseClick(Control<QToolButton>("spdAdd"), Qt::LeftButton);
    EXPECT_EQ(away.Cancels, 1);
    EXPECT_EQ(away.PasswordShownAtCancel, "") << "the password stayed on screen";
    EXPECT_TRUE(Form->Locked());
    EXPECT_EQ(Password()->text(), "");
    EXPECT_EQ(Form->Vault().AccountCount(), 0);
    EXPECT_TRUE(away.Done());
    Form.reset();
}

} // namespace
