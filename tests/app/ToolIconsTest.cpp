#include "app/ToolIcons.h"
#include "app/FieldActions.h"

#include <QImage>
#include <QPixmap>
#include <QSize>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr std::array AllToolImages{
    TToolImage::New,         TToolImage::Open,  TToolImage::Save,   TToolImage::SaveAs,
    TToolImage::Close,       TToolImage::Add,   TToolImage::Delete, TToolImage::ChangePassword,
    TToolImage::AboutOmbrel, TToolImage::About, TToolImage::Exit,
};

// The image for a square of size by size at the screen's density (device pixels per pixel).
QImage Rendered(const QIcon& icon, int size, QIcon::Mode mode = QIcon::Normal,
                double density = 1.0) {
    return icon.pixmap(QSize(size, size), density, mode)
        .toImage()
        .convertToFormat(QImage::Format_ARGB32);
}

int OpaquePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                ++count;
    return count;
}

// Each picture comes at 16 pixels and, for screens of twice the density, at 32.
TEST(ToolIconsTest, EveryToolImageIsAPictureOnATransparentGroundAtBothDensities) {
    for (TToolImage image : AllToolImages) {
        const QIcon icon = ToolIcon(image);
        EXPECT_TRUE(icon.availableSizes().contains(QSize(16, 16)));
        EXPECT_TRUE(icon.availableSizes().contains(QSize(32, 32)));
        for (int density : {1, 2}) {
            SCOPED_TRACE(testing::Message() << static_cast<int>(image) << " at " << density);
            const int size = 16 * density;
            const QImage normal = Rendered(icon, 16, QIcon::Normal, density);
            ASSERT_EQ(normal.size(), QSize(size, size));
            EXPECT_EQ(qAlpha(normal.pixel(0, size - 1)), 0)
                << "bottom-left pixel must be transparent";
            const int opaque = OpaquePixels(normal);
            EXPECT_GT(opaque, size * size / 6) << "picture is (nearly) blank";
            EXPECT_LT(opaque, size * size) << "no pixel became transparent";
        }
    }
}

// A screen of twice the density gets the picture drawn at 32 pixels, not the 16-pixel one
// enlarged, which would show every pixel as a block of four: the tool bar's images and the small
// ones inside the fields alike.
TEST(ToolIconsTest, DoubleDensityScreensGetTheLargerDrawing) {
    std::vector<std::pair<std::string, QIcon>> icons;
    for (TToolImage image : AllToolImages)
        icons.emplace_back("tool " + std::to_string(static_cast<int>(image)), ToolIcon(image));
    for (TFieldAction action :
         {TFieldAction::Copy, TFieldAction::Generate, TFieldAction::Show, TFieldAction::Hide})
        icons.emplace_back("field " + std::to_string(static_cast<int>(action)),
                           FieldActionIcon(action));
    for (const auto& [name, icon] : icons) {
        SCOPED_TRACE(name);
        const QImage sharp = Rendered(icon, 16, QIcon::Normal, 2.0);
        ASSERT_EQ(sharp.size(), QSize(32, 32));
        const QImage enlarged = Rendered(icon, 16).scaled(32, 32);
        int differing = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                differing += sharp.pixel(x, y) != enlarged.pixel(x, y);
        EXPECT_GT(differing, 32 * 32 / 8);
    }
}

TEST(ToolIconsTest, DisabledLookIsAGreyedCopyOfTheSameShape) {
    for (TToolImage image : AllToolImages) {
        const QIcon icon = ToolIcon(image);
        for (int density : {1, 2}) {
            SCOPED_TRACE(testing::Message() << static_cast<int>(image) << " at " << density);
            const int size = 16 * density;
            const QImage normal = Rendered(icon, 16, QIcon::Normal, density);
            const QImage disabled = Rendered(icon, 16, QIcon::Disabled, density);
            ASSERT_EQ(disabled.size(), QSize(size, size));
            EXPECT_NE(disabled, normal);
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) {
                    const QRgb pixel = disabled.pixel(x, y);
                    ASSERT_EQ(qAlpha(pixel), qAlpha(normal.pixel(x, y))) << x << "," << y;
                    if (qAlpha(pixel) == 0)
                        continue;
                    ASSERT_LE(std::abs(qRed(pixel) - qGreen(pixel)), 2) << x << "," << y;
                    ASSERT_LE(std::abs(qGreen(pixel) - qBlue(pixel)), 2) << x << "," << y;
                }
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

TEST(ToolIconsTest, ProgramIconComesInTheDesktopsSizes) {
    const QIcon icon = ProgramIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (int size : {16, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        EXPECT_TRUE(sizes.contains(QSize(size, size)));
        const QImage image = Rendered(icon, size);
        ASSERT_EQ(image.size(), QSize(size, size));
        EXPECT_GT(OpaquePixels(image), size * size / 3);
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    }
}

} // namespace
