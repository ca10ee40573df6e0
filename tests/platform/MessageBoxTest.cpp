#include "ModalDriver.h"
#include "platform/QtPlatform.h"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyle>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The platform's services that need the program's own dialogs are not used here.
class TTestPlatform : public TQtPlatform {
public:
    std::string AskPassword(const std::string&) override { return {}; }
    std::string AskNewAccountName() override { return {}; }
    void ShowAbout() override {}
};

struct TBoxSeen {
    QString Caption;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    QStringList Buttons; // left to right
    QString DefaultButton;
    QString FocusedButton;
};

TBoxSeen Inspect(QMessageBox* box) {
    TBoxSeen seen{box->windowTitle(), box->text(), box->icon(), {}, {}, {}};
    QList<QAbstractButton*> buttons = box->buttons();
    std::sort(buttons.begin(), buttons.end(), [](QAbstractButton* a, QAbstractButton* b) {
        return a->mapToGlobal(QPoint()).x() < b->mapToGlobal(QPoint()).x();
    });
    for (QAbstractButton* button : buttons)
        seen.Buttons << button->text();
    if (box->defaultButton())
        seen.DefaultButton = box->defaultButton()->text();
    if (auto* focused = qobject_cast<QAbstractButton*>(box->focusWidget()))
        seen.FocusedButton = focused->text();
    return seen;
}

enum class TAction { Enter, Escape, CloseBox, Reject, KeyY, KeyN };

void Perform(QMessageBox* box, TAction action) {
    QWidget* target = box->focusWidget() ? box->focusWidget() : box;
    switch (action) {
    case TAction::Enter:
        QTest::keyClick(target, Qt::Key_Return);
        break;
    case TAction::Escape:
        QTest::keyClick(target, Qt::Key_Escape);
        break;
    case TAction::CloseBox:
        box->close();
        break;
    case TAction::Reject:
        box->reject();
        break;
    case TAction::KeyY:
        QTest::keyClick(box, Qt::Key_Y);
        break;
    case TAction::KeyN:
        QTest::keyClick(box, Qt::Key_N);
        break;
    }
}

struct TAnswerCase {
    TMessageButtons Buttons;
    TAction Action;
    int Answer;
};

void PrintTo(const TAnswerCase& c, std::ostream* out) {
    static const char* const sets[] = {"OK", "YesNo", "OKCancel", "OKCancelDefaultCancel"};
    static const char* const actions[] = {"Enter", "Escape", "CloseBox", "Reject", "Y", "N"};
    *out << sets[static_cast<int>(c.Buttons)] << " " << actions[static_cast<int>(c.Action)];
}

class MessageBoxAnswerTest : public testing::TestWithParam<TAnswerCase> {};

TEST_P(MessageBoxAnswerTest, AnswersByButtonSetAndKey) {
    const TAnswerCase c = GetParam();
    TTestPlatform platform;
    TBoxSeen seen;
    WhenModal<QMessageBox>([&](QMessageBox* box) {
        seen = Inspect(box);
        Perform(box, c.Action);
    });
    EXPECT_EQ(platform.ShowMessageBox("Question?", TMessageKind::mkConfirmation, c.Buttons),
              c.Answer);
    // The default button has the focus from the start.
    EXPECT_EQ(seen.FocusedButton, seen.DefaultButton);
}

INSTANTIATE_TEST_SUITE_P(
    ButtonSets, MessageBoxAnswerTest,
    testing::Values(TAnswerCase{TMessageButtons::mbOK, TAction::Enter, idOK},
                    TAnswerCase{TMessageButtons::mbOK, TAction::Escape, idOK},
                    TAnswerCase{TMessageButtons::mbOK, TAction::CloseBox, idCancel},
                    TAnswerCase{TMessageButtons::mbOK, TAction::Reject, idCancel},
                    TAnswerCase{TMessageButtons::mbYesNo, TAction::Enter, idYes},
                    TAnswerCase{TMessageButtons::mbYesNo, TAction::Escape, idNo},
                    TAnswerCase{TMessageButtons::mbYesNo, TAction::CloseBox, idCancel},
                    TAnswerCase{TMessageButtons::mbYesNo, TAction::Reject, idCancel},
                    TAnswerCase{TMessageButtons::mbYesNo, TAction::KeyY, idYes},
                    TAnswerCase{TMessageButtons::mbYesNo, TAction::KeyN, idNo},
                    TAnswerCase{TMessageButtons::mbOKCancel, TAction::Enter, idOK},
                    TAnswerCase{TMessageButtons::mbOKCancel, TAction::Escape, idCancel},
                    TAnswerCase{TMessageButtons::mbOKCancel, TAction::CloseBox, idCancel},
                    TAnswerCase{TMessageButtons::mbOKCancel, TAction::Reject, idCancel},
                    TAnswerCase{TMessageButtons::mbOKCancelDefaultCancel, TAction::Enter, idCancel},
                    TAnswerCase{TMessageButtons::mbOKCancelDefaultCancel, TAction::Escape,
                                idCancel}));

TBoxSeen ShowAndSee(TTestPlatform& platform, TMessageKind kind, TMessageButtons buttons) {
    TBoxSeen seen;
    WhenModal<QMessageBox>([&](QMessageBox* box) {
        seen = Inspect(box);
        box->reject();
    });
    platform.ShowMessageBox("Caf\xC3\xA9 <b>x</b>", kind, buttons);
    return seen;
}

TEST(MessageBoxTest, CaptionsIconsAndButtons) {
    TTestPlatform platform;
    TBoxSeen seen = ShowAndSee(platform, TMessageKind::mkError, TMessageButtons::mbOK);
    EXPECT_EQ(seen.Caption, "Error");
    EXPECT_EQ(seen.Icon, QMessageBox::Critical);
    EXPECT_EQ(seen.Buttons, QStringList{"OK"});
    // Local 8-bit text, shown as it stands.
    EXPECT_EQ(seen.Text, QStringLiteral("Caf\u00E9 <b>x</b>"));

    seen = ShowAndSee(platform, TMessageKind::mkConfirmation, TMessageButtons::mbYesNo);
    EXPECT_EQ(seen.Caption, "Confirm");
    EXPECT_EQ(seen.Icon, QMessageBox::Question);
    EXPECT_EQ(seen.Buttons, (QStringList{"&Yes", "&No"}));
    EXPECT_EQ(seen.DefaultButton, "&Yes");

    seen = ShowAndSee(platform, TMessageKind::mkConfirmation, TMessageButtons::mbOKCancel);
    EXPECT_EQ(seen.Buttons, (QStringList{"OK", "Cancel"}));
    EXPECT_EQ(seen.DefaultButton, "OK");

    seen = ShowAndSee(platform, TMessageKind::mkPlain, TMessageButtons::mbOK);
    EXPECT_EQ(seen.Caption, "Kestovar");
    EXPECT_EQ(seen.Icon, QMessageBox::NoIcon);
}

// Some desktops put No before Yes and Cancel before OK; the buttons keep their order everywhere.
class TReversingStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_DialogButtonLayout)
            return QDialogButtonBox::GnomeLayout;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

TEST(MessageBoxTest, ButtonsKeepTheirOrderOnEveryDesktop) {
    const QString previous = QApplication::style()->name();
    QApplication::setStyle(new TReversingStyle);
    TTestPlatform platform;
    const TBoxSeen yesNo =
        ShowAndSee(platform, TMessageKind::mkConfirmation, TMessageButtons::mbYesNo);
    const TBoxSeen okCancel =
        ShowAndSee(platform, TMessageKind::mkConfirmation, TMessageButtons::mbOKCancel);
    QApplication::setStyle(previous);
    EXPECT_EQ(yesNo.Buttons, (QStringList{"&Yes", "&No"}));
    EXPECT_EQ(okCancel.Buttons, (QStringList{"OK", "Cancel"}));
}

TEST(MessageBoxTest, TheErrorDisplay) {
    TTestPlatform platform;
    TBoxSeen seen;
    WhenModal<QMessageBox>([&](QMessageBox* box) {
        seen = Inspect(box);
        QTest::keyClick(box, Qt::Key_Escape);
    });
    platform.ShowErrorBox("File not found");
    EXPECT_EQ(seen.Caption, "Kestovar");
    EXPECT_EQ(seen.Text, "File not found.");
    EXPECT_EQ(seen.Icon, QMessageBox::Critical);
    EXPECT_EQ(seen.Buttons, QStringList{"OK"});
}

TEST(MessageBoxTest, TheBusyCursorIsBalanced) {
    {
        TTestPlatform platform;
        platform.SetBusyCursor(true);
        platform.SetBusyCursor(true);
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        platform.SetBusyCursor(false);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        platform.SetBusyCursor(false);
        platform.SetBusyCursor(true);
    }
    // Left on: restored when the platform goes.
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace
