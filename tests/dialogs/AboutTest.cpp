#include "DialogTestSupport.h"
#include "dialogs/WebAddress.h"
#include "dialogs/frmAbout.h"

#include <QFrame>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include <string>
#include <vector>

namespace {

class AboutDialog : public testing::Test {
protected:
    void SetUp() override {
        pnlAdvert = Child<QFrame>(form, "pnlAdvert");
        rtfAdvert = Child<QPlainTextEdit>(form, "rtfAdvert");
        btnWebSite = Child<QPushButton>(form, "btnWebSite");
        btnClose = Child<QPushButton>(form, "btnClose");
        ASSERT_NE(pnlAdvert, nullptr);
        ASSERT_NE(rtfAdvert, nullptr);
        ASSERT_NE(btnWebSite, nullptr);
        ASSERT_NE(btnClose, nullptr);
        form.show();
    }

    std::vector<std::string> opened;
    TfrmAboutKV form{nullptr, [this](const std::string& address) { opened.push_back(address); }};
    QFrame* pnlAdvert = nullptr;
    QPlainTextEdit* rtfAdvert = nullptr;
    QPushButton* btnWebSite = nullptr;
    QPushButton* btnClose = nullptr;
};

TEST_F(AboutDialog, HasItsCaptionSizeAndAdvertisement) {
    EXPECT_EQ(form.objectName(), "frmAboutKV");
    EXPECT_EQ(form.windowTitle(), "About Kestovar v1.06");
    EXPECT_EQ(form.size(), QSize(322, 409));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.pos(), ScreenCentredPosition(form));
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowCloseButtonHint));

    EXPECT_EQ(pnlAdvert->size(), QSize(313, 233));
    EXPECT_EQ(pnlAdvert->frameShadow(), QFrame::Raised);
    EXPECT_EQ(pnlAdvert->lineWidth(), 2);
    EXPECT_TRUE(form.layout()->minimumSize().boundedTo(form.size()) == form.layout()->minimumSize())
        << "the controls do not fit into the dialog";
    EXPECT_TRUE(rtfAdvert->isReadOnly());
    EXPECT_EQ(rtfAdvert->palette().color(QPalette::Base), QColor(Qt::yellow));
    EXPECT_EQ(rtfAdvert->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(rtfAdvert->toPlainText().contains("https://www.ombrel.example/"));
    EXPECT_EQ(btnClose->text(), "Close");
    EXPECT_EQ(AccessibleName(btnWebSite), btnWebSite->text());
    EXPECT_FALSE(btnWebSite->text().isEmpty());
}

TEST_F(AboutDialog, WebSiteButtonOpensTheProductPage) {
    QTest::mouseClick(btnWebSite, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened.front(), OmbrelWebAddress);
    EXPECT_TRUE(form.isVisible());
}

TEST_F(AboutDialog, ClickOnThePanelOpensTheProductPage) {
    QTest::mouseClick(pnlAdvert, Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened.front(), OmbrelWebAddress);

    QWidget* heading = pnlAdvert->childAt(pnlAdvert->width() / 2, 8);
    ASSERT_NE(heading, nullptr);
    ASSERT_NE(heading, rtfAdvert->viewport());
    QTest::mouseClick(heading, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(AboutDialog, ReadingTheAdvertisementOpensNothing) {
    QTest::mouseClick(rtfAdvert->viewport(), Qt::LeftButton);
    QTest::mouseClick(pnlAdvert, Qt::RightButton, Qt::NoModifier, QPoint(1, 1));
    EXPECT_TRUE(opened.empty());
}

TEST_F(AboutDialog, CloseClosesIt) {
    QTest::mouseClick(btnClose, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(opened.empty());
}

} // namespace
