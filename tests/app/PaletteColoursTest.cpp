// The window's own colours come from the palette, so that a dark theme keeps them legible.

#include "MainFormFixture.h"

#include <QApplication>
#include <QPalette>

#include <cstdlib>

namespace {

int Distance(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
           std::abs(qBlue(a) - qBlue(b));
}

// The drawn colour that stands out most from the label's ground: the ink of its text.
QRgb InkOf(QWidget* label, QRgb ground) {
    const QImage image = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QRgb ink = ground;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (Distance(image.pixel(x, y), ground) > Distance(ink, ground))
                ink = image.pixel(x, y);
    return ink;
}

class DarkTheme {
public:
    DarkTheme() {
        QPalette dark = Saved;
        dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
        dark.setColor(QPalette::WindowText, QColor(0xE0, 0xE0, 0xE0));
        dark.setColor(QPalette::Base, QColor(0x18, 0x18, 0x18));
        dark.setColor(QPalette::Text, QColor(0xF0, 0xF0, 0xF0));
        dark.setColor(QPalette::PlaceholderText, QColor(0x90, 0xB0, 0x90));
        dark.setColor(QPalette::Link, QColor(0x80, 0xB0, 0xFF));
        QApplication::setPalette(dark);
    }
    ~DarkTheme() { QApplication::setPalette(Saved); }
    DarkTheme(const DarkTheme&) = delete;
    DarkTheme& operator=(const DarkTheme&) = delete;

private:
    const QPalette Saved = QApplication::palette();
};

TEST_F(MainFormTest, VersionAndWebAddressAreWrittenInTheThemesColours) {
    const DarkTheme theme;
    Start();
    const QRgb ground = QColor(0x20, 0x20, 0x20).rgb();
    EXPECT_LT(Distance(InkOf(Control<QLabel>("lblVersion"), ground), qRgb(0x90, 0xB0, 0x90)), 60);
    EXPECT_LT(Distance(InkOf(Control<QLabel>("lblURL"), ground), qRgb(0x80, 0xB0, 0xFF)), 60);
}

} // namespace
