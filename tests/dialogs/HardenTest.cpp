// The question before a data file is hardened: a new master password is proposed, and every way
// out but OK cancels.

#include "dialogs/harden.h"
#include "DialogTestSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

namespace {

TEST(HardenDialog, ProposesANewPasswordAndAnswersByTheWayItWasClosed) {
    const struct {
        const char* Way;
        std::function<void(TfrmHarden&)> Actions;
        THardenChoice Choice;
    } cases[] = {
        {"OK",
         [](TfrmHarden& form) {
             QTest::mouseClick(Child<QPushButton>(form, "btnOK"), Qt::LeftButton);
         },
         THardenChoice::NewPassword},
        {"Enter", [](TfrmHarden& form) { QTest::keyClick(&form, Qt::Key_Return); },
         THardenChoice::NewPassword},
        {"unticked, then OK",
         [](TfrmHarden& form) {
             QTest::keyClick(Child<QCheckBox>(form, "chkNewPassword"), Qt::Key_Space);
             QTest::mouseClick(Child<QPushButton>(form, "btnOK"), Qt::LeftButton);
         },
         THardenChoice::KeepPassword},
        {"Cancel",
         [](TfrmHarden& form) {
             QTest::mouseClick(Child<QPushButton>(form, "btnCancel"), Qt::LeftButton);
         },
         THardenChoice::Cancel},
        {"Escape", [](TfrmHarden& form) { QTest::keyClick(&form, Qt::Key_Escape); },
         THardenChoice::Cancel},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Way);
        TfrmHarden form;
        EXPECT_EQ(form.windowTitle(), "Harden this file");
        ASSERT_NE(Child<QCheckBox>(form, "chkNewPassword"), nullptr);
        EXPECT_TRUE(Child<QCheckBox>(form, "chkNewPassword")->isChecked());
        const auto* text = Child<QLabel>(form, "lblExplanation");
        ASSERT_NE(text, nullptr);
        EXPECT_TRUE(text->text().contains(".bak")) << "the backup keeps the older format";
        const TModalRun run = RunModal(form, [&] { c.Actions(form); });
        EXPECT_TRUE(run.ClosedByUser);
        EXPECT_EQ(form.Choice(), c.Choice);
    }
}

} // namespace
