#include "app/ToolIcons.h"

#include <QImage>
#include <QPixmap>
#include <QSize>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

namespace {

constexpr std::array AllToolImages{
    TToolImage::New,         TToolImage::Open,  TToolImage::Save,   TToolImage::SaveAs,
    TToolImage::Close,       TToolImage::Add,   TToolImage::Delete, TToolImage::ChangePassword,
    TToolImage::AboutOmbrel, TToolImage::About, TToolImage::Exit,
};

QImage Rendered(const QIcon& icon, int size, QIcon::Mode mode = QIcon::Normal) {
    return icon.pixmap(QSize(size, size), mode).toImage().convertToFormat(QImage::Format_ARGB32);
}

int OpaquePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                ++count;
    return count;
}

TEST(ToolIconsTest, EveryToolImageIsASixteenPixelPictureOnATransparentGround) {
    for (TToolImage image : AllToolImages) {
        SCOPED_TRACE(static_cast<int>(image));
        const QImage normal = Rendered(ToolIcon(image), 16);
        ASSERT_EQ(normal.size(), QSize(16, 16));
        EXPECT_EQ(qAlpha(normal.pixel(0, 15)), 0) << "bottom-left pixel must be transparent";
        const int opaque = OpaquePixels(normal);
        EXPECT_GT(opaque, 40) << "picture is (nearly) blank";
        EXPECT_LT(opaque, 16 * 16) << "no pixel became transparent";
    }
}

TEST(ToolIconsTest, DisabledLookIsAGreyedCopyOfTheSameShape) {
    for (TToolImage image : AllToolImages) {
        SCOPED_TRACE(static_cast<int>(image));
        const QIcon icon = ToolIcon(image);
        const QImage normal = Rendered(icon, 16);
        const QImage disabled = Rendered(icon, 16, QIcon::Disabled);
        ASSERT_EQ(disabled.size(), QSize(16, 16));
        EXPECT_NE(disabled, normal);
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const QRgb pixel = disabled.pixel(x, y);
                EXPECT_EQ(qAlpha(pixel), qAlpha(normal.pixel(x, y))) << x << "," << y;
                if (qAlpha(pixel) == 0)
                    continue;
                EXPECT_LE(std::abs(qRed(pixel) - qGreen(pixel)), 2) << x << "," << y;
                EXPECT_LE(std::abs(qGreen(pixel) - qBlue(pixel)), 2) << x << "," << y;
            }
        }
    }
}

TEST(ToolIconsTest, ToolImagesAreDistinctAndStable) {
    for (std::size_t i = 0; i < AllToolImages.size(); ++i) {
        const QImage first = Rendered(ToolIcon(AllToolImages[i]), 16);
        EXPECT_EQ(first, Rendered(ToolIcon(AllToolImages[i]), 16)) << "image " << i;
        for (std::size_t j = i + 1; j < AllToolImages.size(); ++j)
            EXPECT_NE(first, Rendered(ToolIcon(AllToolImages[j]), 16))
                << "images " << i << " and " << j;
    }
}

TEST(ToolIconsTest, ProgramIconComesInThreeSizes) {
    const QIcon icon = ProgramIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (int size : {16, 32, 48}) {
        SCOPED_TRACE(size);
        EXPECT_TRUE(sizes.contains(QSize(size, size)));
        const QImage image = Rendered(icon, size);
        ASSERT_EQ(image.size(), QSize(size, size));
        EXPECT_GT(OpaquePixels(image), size * size / 3);
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    }
}

} // namespace
