#include "DialogTestSupport.h"
#include "dialogs/WebAddress.h"
#include "dialogs/frmAbout.h"

#include <QApplication>
#include <QFrame>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
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

// WCAG's contrast ratio of two colours, 1 (none) to 21 (black on white).
double Contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Under a dark theme the advertisement is no glaring yellow block, yet still yellow and readable.
TEST(AboutDialogTheme, AdvertisementSuitsADarkTheme) {
    const QPalette saved = QApplication::palette();
    QPalette dark = saved;
    dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
    dark.setColor(QPalette::WindowText, QColor(0xE0, 0xE0, 0xE0));
    dark.setColor(QPalette::Base, QColor(0x18, 0x18, 0x18));
    dark.setColor(QPalette::Text, QColor(0xF0, 0xF0, 0xF0));
    QApplication::setPalette(dark);
    QPalette advert;
    {
        TfrmAboutKV form(nullptr, {});
        advert = Child<QPlainTextEdit>(form, "rtfAdvert")->palette();
    }
    QApplication::setPalette(saved);

    const QColor ground = advert.color(QPalette::Base);
    EXPECT_LT(ground.lightness(), 128);
    EXPECT_NEAR(ground.hueF(), QColor(Qt::yellow).hueF(), 0.05);
    EXPECT_GE(Contrast(ground, advert.color(QPalette::Text)), 4.5);
}

} // namespace
