// What the shown account's notes give in the window: the one-time code beside them, refreshed by
// the clock and copied with Ctrl+T, and the web address opened with Ctrl+U and copied with
// Ctrl+Shift+U.

#include "MainFormFixture.h"

#include "app/SecretClipboard.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>

namespace {

// RFC 6238's SHA-1 key, "12345678901234567890", in base32.
const std::string RfcSecret = "GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQ";
const char* const NotBase32 =
    "The one-time key's secret is not base32 (the letters A to Z and the digits 2 to 7)";

class NotesKeysTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        Platform.SetUnixTime(59);
        WriteVault(
            Path("vault.kvf"), "secret",
            {Record("Bank", "b", "", "otpauth://totp/Bank:b?secret=" + RfcSecret + "&digits=8;"),
             Record("Mail", "m", "", "url: mail.example/login;totp: " + RfcSecret + ";"),
             Record("Odd", "o", "", "totp: 1234!;"), Record("Zoo", "z", "", "feed at 4;")});
        QApplication::setActiveWindow(&StartWithVault(Path("vault.kvf"), "secret"));
        Form->findChild<TSecretClipboard*>()->SetClearDelay(std::chrono::milliseconds(50));
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : Form.get(), static_cast<Qt::Key>(key), modifiers);
    }
    QLabel* Code() const { return Control<QLabel>("lblOneTimeCode"); }
    QTimer* Clock() const { return Form->findChild<QTimer*>("OneTimeCodeTimer"); }
    QString Message() const { return Control<QLabel>("lblMessage")->text(); }
    static QString ClipboardText() { return QApplication::clipboard()->text(); }
};

TEST_F(NotesKeysTest, TheCodeBesideTheNotesFollowsTheShownAccountAndTheClock) {
    EXPECT_EQ(Code()->accessibleName(), "One-time code");
    const struct {
        const char* account;
        const char* shown; // empty: the label is hidden and the clock stopped
        const char* about;
    } cases[] = {
        {"Bank", "9428 7082\n1 s left", "One-time code; Ctrl+T copies it"},
        {"Mail", "287 082\n1 s left", "One-time code; Ctrl+T copies it"},
        {"Odd", "No code: the key is not valid", NotBase32},
        {"Zoo", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.account);
        Choose(c.account);
        EXPECT_EQ(Code()->isVisible(), *c.shown != '\0');
        EXPECT_EQ(Clock()->isActive(), *c.shown != '\0');
        EXPECT_EQ(Code()->text(), c.shown);
        EXPECT_EQ(Code()->toolTip(), c.about);
        EXPECT_EQ(Code()->accessibleDescription(), c.about);
    }

    // A key line typed into the notes brings the code; the clock moves it on.
    Notes()->moveCursor(QTextCursor::End);
    TypeInto(Notes(), "\ntotp: " + QString::fromStdString(RfcSecret));
    EXPECT_EQ(Code()->text(), "287 082\n1 s left");
    Platform.SetUnixTime(1111111111);
    Clock()->start(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Code()->text() == "050 471\n29 s left"; }, 2000))
        << Code()->text().toStdString();

    // Nothing of it stays when the vault locks or closes.
    for (const char* how : {"lock", "close"}) {
        SCOPED_TRACE(how);
        Choose("Bank");
        ASSERT_EQ(Code()->text(), "1405 0471\n29 s left");
        if (std::string(how) == "lock") {
            Platform.ExpectPassword("Please enter the password to unlock", "");
            Key(Qt::Key_L);
            EXPECT_TRUE(Form->Locked());
            Key(Qt::Key_T); // nothing to copy
        } else {
            Platform.ExpectMessageBox(
                "You have changed your data. Do you want to save your changes?",
                TMessageKind::mkConfirmation, TMessageButtons::mbYesNo, idNo);
            Click("spdClose");
        }
        EXPECT_FALSE(Code()->isVisible());
        EXPECT_EQ(Code()->text(), "");
        EXPECT_FALSE(Clock()->isActive());
        if (Form->Locked()) {
            Platform.ExpectPassword("Please enter the password to unlock", "secret");
            Key(Qt::Key_L);
            EXPECT_EQ(Code()->text(), "1405 0471\n29 s left") << "back with the account";
        }
    }
}

TEST_F(NotesKeysTest, CtrlTCopiesTheCodeAsASecretOrSaysWhyThereIsNone) {
    Choose("Mail");
    Login()->setFocus();
    Key(Qt::Key_T);
    EXPECT_EQ(ClipboardText(), "287082");
    EXPECT_EQ(Message(), "One-time code copied; cleared in 1 s.");
    EXPECT_TRUE(QTest::qWaitFor([] { return ClipboardText().isEmpty(); }, 2000));

    Choose("Zoo");
    Key(Qt::Key_T);
    EXPECT_EQ(Message(), "The notes hold no one-time key.");
    EXPECT_EQ(ClipboardText(), "");

    Choose("Odd");
    Platform.ExpectMessageBox(NotBase32, TMessageKind::mkPlain, TMessageButtons::mbOK, idOK);
    Key(Qt::Key_T);
    EXPECT_TRUE(Platform.Done());
    EXPECT_EQ(ClipboardText(), "");
}

// A field that claims keys for itself before the window's shortcuts, as a line edit claims Ctrl+U
// (empty the line) under the key bindings of the Linux desktops.
class TKeyClaim : public QObject {
public:
    explicit TKeyClaim(QWidget* field) { field->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride &&
            static_cast<QKeyEvent*>(event)->modifiers().testFlag(Qt::ControlModifier))
            event->accept();
        return false;
    }
};

TEST_F(NotesKeysTest, CtrlUOpensTheWebAddressEvenFromAFieldAndCtrlShiftUCopiesIt) {
    Choose("Mail");
    Login()->setFocus();
    Login()->end(false);
    const TKeyClaim claim(Login());
    Platform.ExpectWebAddress("https://mail.example/login");
    Key(Qt::Key_U);
    EXPECT_TRUE(Platform.Done());
    EXPECT_EQ(Login()->text(), "m");

    Notes()->setFocus();
    Key(Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(ClipboardText(), "https://mail.example/login");
    EXPECT_EQ(Message(), "Web address copied; cleared in 1 s.");

    QApplication::clipboard()->clear();
    Choose("Zoo");
    for (const Qt::KeyboardModifiers modifiers :
         {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::ControlModifier | Qt::ShiftModifier}) {
        Key(Qt::Key_U, modifiers);
        EXPECT_EQ(Message(), "The notes hold no web address.");
    }
    EXPECT_EQ(ClipboardText(), "");
    EXPECT_FALSE(Form->Modified());
}

} // namespace
