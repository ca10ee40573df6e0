#include "dialogs/login.h"
#include "DialogTestSupport.h"
#include "dialogs/StrengthText.h"

#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolTip>

#include <vector>

namespace {

class LoginPrompt : public testing::Test {
protected:
    void SetUp() override {
        edtPassword = Child<QLineEdit>(form, "edtPassword");
        btnOK = Child<QPushButton>(form, "btnOK");
        btnCancel = Child<QPushButton>(form, "btnCancel");
        ASSERT_NE(edtPassword, nullptr);
        ASSERT_NE(btnOK, nullptr);
        ASSERT_NE(btnCancel, nullptr);
        form.show();
    }

    void ExpectOnlyCancelCanClose() const {
        EXPECT_FALSE(btnOK->isEnabled());
        EXPECT_FALSE(btnOK->isDefault());
        EXPECT_TRUE(btnCancel->isDefault());
    }

    TfrmLogin form;
    QLineEdit* edtPassword = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
};

TEST_F(LoginPrompt, HasItsCaptionsNamesSizeAndPlace) {
    EXPECT_EQ(form.objectName(), "frmLogin");
    EXPECT_EQ(form.windowTitle(), "Enter password");
    form.SetCaption("Please enter the old password");
    EXPECT_EQ(form.windowTitle(), "Please enter the old password");

    const auto* grpPassword = Child<QGroupBox>(form, "grpPassword");
    const auto* lblPassword = Child<QLabel>(form, "lblPassword");
    ASSERT_NE(grpPassword, nullptr);
    ASSERT_NE(lblPassword, nullptr);
    EXPECT_EQ(grpPassword->title(), "Please enter the password");
    EXPECT_EQ(lblPassword->text(), "Enter password:");
    EXPECT_EQ(lblPassword->buddy(), edtPassword);
    EXPECT_EQ(AccessibleName(edtPassword), "Enter password:");
    EXPECT_EQ(btnOK->text(), "OK");
    EXPECT_EQ(AccessibleName(btnOK), "OK");
    EXPECT_EQ(btnCancel->text(), "Cancel");
    EXPECT_EQ(AccessibleName(btnCancel), "Cancel");

    EXPECT_EQ(form.size(), QSize(270, 104));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_TRUE(form.layout()->minimumSize().boundedTo(form.size()) == form.layout()->minimumSize())
        << "the controls do not fit into the prompt";
    EXPECT_EQ(form.pos(), ScreenCentredPosition(form));

    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
}

TEST_F(LoginPrompt, AdviceIsATipOnTheEditAndMovesNothing) {
    std::vector<QRect> before;
    for (const QWidget* child : form.findChildren<QWidget*>())
        before.push_back(child->geometry());
    form.SetAdvice(TfrmLogin::NewPasswordAdvice());
    EXPECT_EQ(edtPassword->toolTip(), TfrmLogin::NewPasswordAdvice());
    EXPECT_FALSE(TfrmLogin::NewPasswordAdvice().isEmpty());
    EXPECT_EQ(form.size(), QSize(270, 104));
    std::vector<QRect> after;
    for (const QWidget* child : form.findChildren<QWidget*>())
        after.push_back(child->geometry());
    EXPECT_EQ(before, after);
    EXPECT_EQ(form.windowTitle(), "Enter password");
}

TEST_F(LoginPrompt, ShowsEveryCharacterAsAStar) {
    EXPECT_EQ(edtPassword->echoMode(), QLineEdit::Password);
    QTest::keyClicks(edtPassword, "pa s9");
    EXPECT_EQ(edtPassword->displayText(), "*****");
    EXPECT_EQ(form.Password(), "pa s9");
}

TEST_F(LoginPrompt, CannotBeConfirmedEmpty) {
    ExpectOnlyCancelCanClose();
    QTest::mouseClick(btnOK, Qt::LeftButton);
    EXPECT_TRUE(form.isVisible());

    QTest::keyClick(edtPassword, Qt::Key_Return);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(form.Password(), "");
}

TEST_F(LoginPrompt, TypingAndDeletingOneCharacterLeavesCancelTheDefault) {
    QTest::keyClick(edtPassword, 'x');
    EXPECT_TRUE(btnOK->isEnabled());
    EXPECT_TRUE(btnOK->isDefault());
    EXPECT_FALSE(btnCancel->isDefault());

    QTest::keyClick(edtPassword, Qt::Key_Backspace);
    ExpectOnlyCancelCanClose();
    QTest::keyClick(edtPassword, Qt::Key_Enter);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);
}

TEST_F(LoginPrompt, EnterConfirmsAnyTextSpacesIncluded) {
    QTest::keyClick(edtPassword, ' ');
    EXPECT_TRUE(btnOK->isEnabled());
    QTest::keyClick(edtPassword, Qt::Key_Return);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.Password(), " ");
}

TEST_F(LoginPrompt, CancelAfterTypingYieldsNothing) {
    QTest::keyClicks(edtPassword, "secret");
    QTest::mouseClick(btnCancel, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(form.Password(), "");
}

TEST_F(LoginPrompt, EscapePressesCancelEvenWithTextTyped) {
    QTest::keyClicks(edtPassword, "secret");
    QTest::keyClick(edtPassword, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(form.Password(), "");
}

TEST_F(LoginPrompt, RefusesCharactersThatWindows1252CannotHold) {
    QTest::keyClick(edtPassword, 'a');
    TypeUnicode(edtPassword, QString::fromUtf8("\u0416\u4E2D"));
    TypeUnicode(edtPassword, QString::fromUtf8("\u20AC\u00E9"));
    EXPECT_EQ(edtPassword->text(), QString::fromUtf8("a\u20AC\u00E9"));
    EXPECT_EQ(form.Password(), "a\x80\xE9");
}

// The modal way the main window uses it.
TEST(LoginPromptModal, ReturnsTheTypedPasswordOrNothing) {
    TfrmLogin confirmed;
    const TModalRun ok = RunModal(confirmed, [&] {
        auto* edit = Child<QLineEdit>(confirmed, "edtPassword");
        QTest::keyClicks(edit, "Tr0ub4dor");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    EXPECT_TRUE(ok.ClosedByUser);
    EXPECT_EQ(ok.Result, QDialog::Accepted);
    EXPECT_EQ(confirmed.Password(), "Tr0ub4dor");

    TfrmLogin cancelled;
    const TModalRun cancel = RunModal(cancelled, [&] {
        QTest::keyClicks(Child<QLineEdit>(cancelled, "edtPassword"), "Tr0ub4dor");
        QTest::mouseClick(Child<QPushButton>(cancelled, "btnCancel"), Qt::LeftButton);
    });
    EXPECT_TRUE(cancel.ClosedByUser);
    EXPECT_EQ(cancel.Result, QDialog::Rejected);
    EXPECT_EQ(cancelled.Password(), "");
}

} // namespace

namespace {

// A new master password: zxcvbn's estimate of what is typed joins the advice in the tool tip,
// which shows under the edit once typing pauses; the prompt's controls and its OK rule stay.
class NewPasswordPrompt : public LoginPrompt {
protected:
    void SetUp() override {
        LoginPrompt::SetUp();
        for (const QWidget* child : form.findChildren<QWidget*>())
            FGeometry.push_back(child->geometry());
        form.SetAdvice(TfrmLogin::NewPasswordAdvice());
        form.ShowStrength();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        edtPassword->setFocus();
    }
    void TearDown() override { QToolTip::hideText(); }

    std::vector<QRect> FGeometry;
};

TEST_F(NewPasswordPrompt, TheTipGivesTheStrengthOfWhatIsTyped) {
    EXPECT_EQ(edtPassword->toolTip(), TfrmLogin::NewPasswordAdvice());
    const std::pair<const char*, QString> cases[] = {
        {"password", StrengthText(EstimateStrength("password"))},
        {"k3j9x2m7q1", StrengthText(EstimateStrength("k3j9x2m7q1"))},
        {"Qm9#xT4!pL2@vN7&Zr5$", StrengthText(EstimateStrength("Qm9#xT4!pL2@vN7&Zr5$"))},
    };
    for (const auto& [typed, strength] : cases) {
        SCOPED_TRACE(typed);
        edtPassword->clear();
        QTest::keyClicks(edtPassword, typed);
        const QString tip = edtPassword->toolTip();
        EXPECT_TRUE(tip.startsWith(QStringLiteral("Strength as zxcvbn estimates it: ") + strength))
            << tip.toStdString();
        EXPECT_TRUE(tip.endsWith(QLatin1Char('\n') + TfrmLogin::NewPasswordAdvice()));
        QTRY_COMPARE(QToolTip::text(), tip);
        EXPECT_TRUE(QToolTip::isVisible());
    }
    EXPECT_NE(cases[0].second, cases[2].second);
    EXPECT_TRUE(cases[0].second.endsWith(QStringLiteral(" poor")));
    EXPECT_TRUE(cases[2].second.endsWith(QStringLiteral(" excellent")));

    // Emptied, the edit has the advice alone again and no tip shows.
    edtPassword->clear();
    EXPECT_EQ(edtPassword->toolTip(), TfrmLogin::NewPasswordAdvice());
    QTRY_VERIFY(!QToolTip::isVisible());
}

TEST_F(NewPasswordPrompt, MovesNothingAndKeepsTheOkRule) {
    QTest::keyClicks(edtPassword, "x");
    EXPECT_TRUE(btnOK->isEnabled());
    EXPECT_TRUE(btnOK->isDefault());
    QTest::keyClick(edtPassword, Qt::Key_Backspace);
    ExpectOnlyCancelCanClose();
    QTest::keyClicks(edtPassword, "weak");
    std::vector<QRect> after;
    for (const QWidget* child : form.findChildren<QWidget*>())
        after.push_back(child->geometry());
    EXPECT_EQ(after, FGeometry);
    EXPECT_EQ(form.size(), QSize(270, 104));
    QTest::keyClick(edtPassword, Qt::Key_Return);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.Password(), "weak");
}

// The prompt for an existing password says nothing about what is typed.
TEST_F(LoginPrompt, AnOrdinaryPromptHasNoStrengthTip) {
    QTest::keyClicks(edtPassword, "password");
    EXPECT_TRUE(edtPassword->toolTip().isEmpty());
}

} // namespace
