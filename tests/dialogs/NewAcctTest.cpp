#include "dialogs/newacct.h"
#include "DialogTestSupport.h"

#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>

namespace {

class NewAccountDialog : public testing::Test {
protected:
    void SetUp() override {
        edtAcctName = Child<QLineEdit>(form, "edtAcctName");
        btnOK = Child<QPushButton>(form, "btnOK");
        btnCancel = Child<QPushButton>(form, "btnCancel");
        ASSERT_NE(edtAcctName, nullptr);
        ASSERT_NE(btnOK, nullptr);
        ASSERT_NE(btnCancel, nullptr);
        form.show();
    }

    TfrmNewAcct form;
    QLineEdit* edtAcctName = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
};

TEST_F(NewAccountDialog, HasItsCaptionsNamesSizeAndFixedPlace) {
    EXPECT_EQ(form.objectName(), "frmNewAcct");
    EXPECT_EQ(form.windowTitle(), "Create new account");
    const auto* grpAccount = Child<QGroupBox>(form, "grpAccount");
    const auto* lblAccountName = Child<QLabel>(form, "lblAccountName");
    ASSERT_NE(grpAccount, nullptr);
    ASSERT_NE(lblAccountName, nullptr);
    EXPECT_EQ(grpAccount->title(), "Account");
    EXPECT_EQ(lblAccountName->text(), "Account Name:");
    EXPECT_EQ(lblAccountName->buddy(), edtAcctName);
    EXPECT_EQ(AccessibleName(edtAcctName), "Account Name:");
    EXPECT_EQ(btnOK->text(), "OK");
    EXPECT_EQ(btnCancel->text(), "Cancel");

    EXPECT_EQ(form.size(), QSize(242, 105));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_TRUE(form.layout()->minimumSize().boundedTo(form.size()) == form.layout()->minimumSize())
        << "the controls do not fit into the dialog";
    EXPECT_EQ(form.pos(), QPoint(192, 114));
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowSystemMenuHint));
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowCloseButtonHint));
}

TEST_F(NewAccountDialog, EscapeCancelsAsInEveryOtherDialog) {
    QTest::keyClicks(edtAcctName, "Bank");
    QTest::keyClick(edtAcctName, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.ResultName(), "");
}

TEST_F(NewAccountDialog, AcceptsANameOfOneSpace) {
    QTest::keyClick(edtAcctName, ' ');
    QTest::mouseClick(btnOK, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.ResultName(), " ");
}

TEST_F(NewAccountDialog, EnterOnAnEmptyNameCancels) {
    EXPECT_FALSE(btnOK->isEnabled());
    EXPECT_TRUE(btnCancel->isDefault());
    QTest::keyClick(edtAcctName, 'x');
    EXPECT_TRUE(btnOK->isDefault());
    QTest::keyClick(edtAcctName, Qt::Key_Backspace);
    EXPECT_FALSE(btnOK->isEnabled());
    EXPECT_FALSE(btnOK->isDefault());
    EXPECT_TRUE(btnCancel->isDefault());

    QTest::keyClick(edtAcctName, Qt::Key_Return);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.ResultName(), "");
}

TEST_F(NewAccountDialog, NameIsKeptOnlyWhenOKIsPressed) {
    QTest::keyClicks(edtAcctName, "Mail");
    EXPECT_EQ(form.ResultName(), "") << "the name is the result only once OK is pressed";
    QTest::mouseClick(btnCancel, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.ResultName(), "");
}

TEST_F(NewAccountDialog, EnterStoresTheNameAsWindows1252) {
    QTest::keyClicks(edtAcctName, "Caf");
    TypeUnicode(edtAcctName, QString::fromUtf8("\u00E9 \u20AC\u0416"));
    QTest::keyClick(edtAcctName, Qt::Key_Return);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.ResultName(), "Caf\xE9 \x80");
}

TEST_F(NewAccountDialog, PastedTextWithAForeignCharacterIsRefusedNotAltered) {
    QTest::keyClicks(edtAcctName, "Bank");
    edtAcctName->insert(QString::fromUtf8(" \u0416ilina"));
    EXPECT_EQ(edtAcctName->text(), "Bank");
}

TEST(NewAccountDialogModal, ReturnsTheName) {
    TfrmNewAcct form;
    const TModalRun run = RunModal(form, [&] {
        auto* edit = Child<QLineEdit>(form, "edtAcctName");
        QTest::keyClicks(edit, "Library card");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    EXPECT_TRUE(run.ClosedByUser);
    EXPECT_EQ(form.ResultName(), "Library card");
}

} // namespace
