// The report view: its sections and lines as given, an account line chosen by the button or Enter
// (an account of an empty name too), nothing chosen by a heading or by Close; and, as what a
// command will do, passed only by OK.

#include "dialogs/report.h"
#include "DialogTestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

namespace {

TReport Sample() {
    TReport report;
    report.Title = "Health report";
    report.Summary = "3 accounts";
    report.Sections = {
        {"Shared: 1",
         {{"2 accounts share one password", {}, 0}, {"Mail", "Mail", 1}, {"(no name)", "", 1}}},
        {"Empty: 1", {{"Shop", "Shop", 0}}},
        {"Breached: not looked up", {}}};
    return report;
}

QTreeWidgetItem* Line(QTreeWidget* tree, const char* text) {
    const QList<QTreeWidgetItem*> found =
        tree->findItems(QLatin1String(text), Qt::MatchExactly | Qt::MatchRecursive);
    return found.size() == 1 ? found.front() : nullptr;
}

TEST(ReportDialog, ShowsTheSectionsAndGivesTheAccountOfTheLineChosen) {
    const struct {
        const char* Way;
        const char* Line; // the line with the focus
        std::function<void(TfrmReport&)> Close;
        std::optional<std::string> Chosen;
    } cases[] = {
        {"Show account", "Mail",
         [](TfrmReport& form) {
             QTest::mouseClick(Child<QPushButton>(form, "btnShow"), Qt::LeftButton);
         },
         "Mail"},
        {"Enter", "Shop",
         [](TfrmReport& form) {
             QTest::keyClick(Child<QTreeWidget>(form, "tvwReport"), Qt::Key_Return);
         },
         "Shop"},
        {"an account without a name", "(no name)",
         [](TfrmReport& form) {
             QTest::mouseClick(Child<QPushButton>(form, "btnShow"), Qt::LeftButton);
         },
         ""},
        {"Enter on a heading", "Empty: 1",
         [](TfrmReport& form) {
             QTest::keyClick(Child<QTreeWidget>(form, "tvwReport"), Qt::Key_Return);
         },
         std::nullopt},
        {"Close", "Mail",
         [](TfrmReport& form) {
             QTest::mouseClick(Child<QPushButton>(form, "btnClose"), Qt::LeftButton);
         },
         std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Way);
        TfrmReport form(nullptr, Sample(), TReportUse::Read);
        auto* tree = Child<QTreeWidget>(form, "tvwReport");
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(form.windowTitle(), "Health report");
        EXPECT_EQ(Child<QLabel>(form, "lblSummary")->text(), "3 accounts");
        ASSERT_EQ(tree->topLevelItemCount(), 3);
        EXPECT_EQ(tree->topLevelItem(2)->text(0), "Breached: not looked up");
        EXPECT_EQ(tree->topLevelItem(2)->childCount(), 0);
        QTreeWidgetItem* group = tree->topLevelItem(0)->child(0);
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->text(0), "2 accounts share one password");
        EXPECT_EQ(group->childCount(), 2) << "the group's accounts stand under it";
        EXPECT_TRUE(group->isExpanded());

        RunModal(form, [&] {
            tree->setCurrentItem(Line(tree, c.Line));
            // Only a line that names an account can be shown.
            EXPECT_EQ(Child<QPushButton>(form, "btnShow")->isEnabled(),
                      std::string(c.Line) != "Empty: 1");
            c.Close(form);
        });
        EXPECT_EQ(form.ChosenAccount(), c.Chosen);
    }
}

TEST(ReportDialog, AsWhatACommandWillDoOnlyOkPassesIt) {
    const struct {
        const char* Way;
        std::function<void(TfrmReport&)> Actions;
        int Result;
    } cases[] = {
        {"OK",
         [](TfrmReport& form) {
             QTest::mouseClick(Child<QPushButton>(form, "btnOK"), Qt::LeftButton);
         },
         QDialog::Accepted},
        {"Enter, which is Cancel's",
         [](TfrmReport& form) {
             QTest::keyClick(Child<QTreeWidget>(form, "tvwReport"), Qt::Key_Return);
         },
         QDialog::Rejected},
        {"Cancel",
         [](TfrmReport& form) {
             QTest::mouseClick(Child<QPushButton>(form, "btnCancel"), Qt::LeftButton);
         },
         QDialog::Rejected},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Way);
        TfrmReport form(nullptr, Sample(), TReportUse::Confirm);
        EXPECT_EQ(Child<QPushButton>(form, "btnShow"), nullptr);
        const TModalRun run = RunModal(form, [&] { c.Actions(form); });
        EXPECT_TRUE(run.ClosedByUser);
        EXPECT_EQ(run.Result, c.Result);
        EXPECT_EQ(form.ChosenAccount(), std::nullopt);
    }
}

} // namespace
