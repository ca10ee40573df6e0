#include "app/ToolIcons.h"

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>
#include <string_view>

namespace {

constexpr int ToolImageSize = 16;

// Each picture is 16 rows of 16 characters; a character names a colour of this palette. The
// background colour fills the bottom-left pixel and is made transparent when the image is built.
struct TPaletteEntry {
    char Key;
    QRgb Colour;
};

constexpr auto Palette = std::to_array<TPaletteEntry>({
    {'.', 0xFF808000}, // background (olive, unused by the pictures themselves)
    {'k', 0xFF000000}, // black
    {'D', 0xFF404040}, // dark grey
    {'g', 0xFFC0C0C0}, // silver
    {'w', 0xFFFFFFFF}, // white
    {'r', 0xFFE00000}, // red
    {'m', 0xFF800000}, // maroon
    {'y', 0xFFFFE000}, // yellow
    {'o', 0xFFF09000}, // orange
    {'n', 0xFF000080}, // navy
    {'b', 0xFF2060E0}, // blue
    {'B', 0xFF1848C0}, // deep blue
    {'c', 0xFF80C0FF}, // light blue
    {'e', 0xFF40C040}, // green
    {'s', 0xFFFFD0A8}, // skin
    {'S', 0xFFC08050}, // skin shadow
    {'h', 0xFFB06030}, // brown
    {'H', 0xFF603010}, // dark brown
});

using TPixelArt = std::array<std::string_view, ToolImageSize>;

constexpr bool IsPaletteKey(char key) {
    for (const TPaletteEntry& entry : Palette)
        if (entry.Key == key)
            return true;
    return false;
}

// A picture must be square, use only palette colours and leave its bottom-left pixel to the
// background, or the transparency would eat part of the drawing.
constexpr bool IsWellFormed(const TPixelArt& art) {
    for (std::string_view row : art) {
        if (row.size() != ToolImageSize)
            return false;
        for (char key : row)
            if (!IsPaletteKey(key))
                return false;
    }
    return art.back().front() == '.';
}

// clang-format off
constexpr TPixelArt NewArt{
    "............o...",
    "..........o.y.o.",
    "..kkkkkkkkkyyy..",
    "..kwwwwwwoyywyyo",
    "..kwwwwwwwwyyy..",
    "..kwwwwwwwoky.o.",
    "..kwwwwwwwwko...",
    "..kwwwwwwwwk....",
    "..kwwwwwwwwk....",
    "..kwwwwwwwwk....",
    "..kwwwwwwwwk....",
    "..kwwwwwwwwk....",
    "..kwwwwwwwwk....",
    "..kwwwwwwwwk....",
    "..kkkkkkkkkk....",
    "................",
};

constexpr TPixelArt OpenArt{
    "............o...",
    "..........o.y.o.",
    "..kkkkkkkkkyyy..",
    "..kwwwwwwoyywyyo",
    "..kwnnnnwwwyyy..",
    "..kwwwwwwwoky.o.",
    "..kwnnnwnnwko...",
    "..kwwwwwwwwk....",
    "..kwnnnnnnwk....",
    "..kwwwwwwwwk....",
    "..kwnnwnnnwk....",
    "..kwwwwwwwwk....",
    "..kwnnnnwwwk....",
    "..kwwwwwwwwk....",
    "..kkkkkkkkkk....",
    "................",
};

constexpr TPixelArt SaveArt{
    "kkkkkkk.........",
    "kwwwwwk.........",
    "kwnnnwkrrrrrr...",
    "kwwwwwkrrrrrr...",
    "kwnnnwk....rr...",
    "kwwwwwk..rrrrrr.",
    "kwnnnwk...rrrr..",
    "kwwwwwk....rr...",
    "kwnnwwk.nnngggnn",
    "kkkkkkk.nnngDgnn",
    "........nnngggnn",
    "........nnnnnnnn",
    "........nwwwwwwn",
    "........nwwwwwwn",
    "........nwwwwwwn",
    "........nnnnnnnn",
};

constexpr TPixelArt SaveAsArt{
    "................",
    ".....kkkkkkkkkk.",
    ".....kwwwwwwwwk.",
    ".....kwnnnnnnwk.",
    ".....mmwwwwwwwk.",
    ".....mrmnnnnnwk.",
    ".....mrrmwwwwwk.",
    "mmmmmmrrrmnnnwk.",
    "rrrrrrrrrrmwwwk.",
    "mmmmmmrrrmnnnwk.",
    ".....mrrmwwwwwk.",
    ".....mrmnnnnnwk.",
    ".....mmwwwwwwwk.",
    ".....kwnnnnwwwk.",
    ".....kkkkkkkkkk.",
    "................",
};

constexpr TPixelArt CloseArt{
    "............o...",
    "..........o.y.o.",
    "..kkkkkkkkkyyy..",
    "..kwwwwwwoyywyyo",
    "..kwnnnnwwwyyy..",
    "..kwwwwwwwoky.o.",
    "..kwnnnwnnwko...",
    "..kwwwwwwwwk....",
    "..kwnnnnnnwk....",
    "..kwwwkkkkkk....",
    "..kwnnkgggk.....",
    "..kwwwkggk......",
    "..kwnnkgk.......",
    "..kwwwkk........",
    "..kkkkk.........",
    "................",
};

constexpr TPixelArt AddArt{
    "..............kk",
    ".............kbk",
    "............kbbk",
    "...........kbbk.",
    ".......SSSkbbk..",
    "......SsssSbkSSS",
    ".....SssssSbSssg",
    "....SsssssSSsssg",
    "....SsSSsssssssg",
    "...SsSssSssssssg",
    "...SsSsssSsssSSg",
    "..kSSSSSSSSSS...",
    "..kbk...........",
    ".kgk............",
    ".kk.nnn.nn.nnn..",
    "................",
};

constexpr TPixelArt DeleteArt{
    "..............kk",
    ".............kbk",
    "............kbbk",
    "...........kbbk.",
    ".......SSSkbbk..",
    "......SsssSbkSSS",
    ".....SssssSbSssg",
    "....SsssssSSsssg",
    "....SsSSsssssssg",
    "...SsSssSssssssg",
    "...SsSsssSsssSSg",
    "..kSSSSSSSSSS...",
    "..kbk...........",
    ".kgk.nnn.nn.nnn.",
    ".kk.rrrrrrrrrrrr",
    ".....nnn.nn.nnn.",
};

constexpr TPixelArt ExitArt{
    ".............H..",
    "..HHHHHHHHHHHhH.",
    "..HcccccccHhhhH.",
    "..HcccccccHhhhH.",
    "..HcccccccHhhhH.",
    "..HcccccccHhhhH.",
    "..HcccccccHhhhH.",
    "..HcccccccHhhhH.",
    "..HcccccccHhyhH.",
    "..HcccccccHhhhH.",
    "..HcccccccHhhhH.",
    "..HeeeeeeeHhhhH.",
    "..HeeeeeeeHhhhH.",
    "..HeeeeeeeHhhhH.",
    "..HHHHHHHHHHHhH.",
    ".............H..",
};

constexpr TPixelArt ChangePasswordArt{
    "................",
    "......DDDD......",
    ".....DggggD.....",
    "....DgDDDDgD....",
    "....DgD..DgD....",
    "....DgD..DgD....",
    "....DgD..DgD....",
    "..HHHHHHHHHHHH..",
    "..HyyyyyyyyyoH..",
    "..HyyyykkyyyoH..",
    "..HyyykkkkyyoH..",
    "..HyyykkkkyyoH..",
    "..HyyyykkyyyoH..",
    "..HyyyykkyyyoH..",
    "..HHHHHHHHHHHH..",
    "................",
};

constexpr TPixelArt AboutOmbrelArt{
    "................",
    ".....nnnnnn.....",
    "...nnBBeeBBnn...",
    "..nBcBeeeeeBBn..",
    "..ncBeeeeeBBeen.",
    ".nBcBeeeeBBBeen.",
    ".nBBBBeeeBBBeen.",
    ".nBBBBBeeBBBBen.",
    ".nBBBBBBBeeBBBn.",
    ".nBBBBBBeeeeBBn.",
    ".nBBBBBBeeeeeBn.",
    "..nBBBBBBeeeBn..",
    "..nBBBBBBBeeBn..",
    "...nnBBBBBBnn...",
    ".....nnnnnn.....",
    "................",
};

constexpr TPixelArt AboutArt{
    "................",
    ".....oooooo.....",
    "...ooyyyyyyoo...",
    "..oyyyrrrryyyo..",
    "..oyyrryyrryyo..",
    ".oyyyyyyyrryyyo.",
    ".oyyyyyyrryyyyo.",
    ".oyyyyyrryyyyyo.",
    ".oyyyyyrryyyyyo.",
    ".oyyyyyyyyyyyyo.",
    ".oyyyyyrryyyyyo.",
    "..oyyyyrryyyyo..",
    "..oyyyyyyyyyyo..",
    "...ooyyyyyyoo...",
    ".....oooooo.....",
    "................",
};

// clang-format on

static_assert(IsWellFormed(NewArt) && IsWellFormed(OpenArt) && IsWellFormed(SaveArt) &&
              IsWellFormed(SaveAsArt) && IsWellFormed(CloseArt) && IsWellFormed(AddArt) &&
              IsWellFormed(DeleteArt) && IsWellFormed(ExitArt) && IsWellFormed(ChangePasswordArt) &&
              IsWellFormed(AboutOmbrelArt) && IsWellFormed(AboutArt));

const TPixelArt& ArtOf(TToolImage image) {
    switch (image) {
    case TToolImage::New:
        return NewArt;
    case TToolImage::Open:
        return OpenArt;
    case TToolImage::Save:
        return SaveArt;
    case TToolImage::SaveAs:
        return SaveAsArt;
    case TToolImage::Close:
        return CloseArt;
    case TToolImage::Add:
        return AddArt;
    case TToolImage::Delete:
        return DeleteArt;
    case TToolImage::ChangePassword:
        return ChangePasswordArt;
    case TToolImage::AboutOmbrel:
        return AboutOmbrelArt;
    case TToolImage::About:
        return AboutArt;
    case TToolImage::Exit:
        return ExitArt;
    }
    return NewArt;
}

QRgb PaletteColour(char key) {
    for (const TPaletteEntry& entry : Palette)
        if (entry.Key == key)
            return entry.Colour;
    return Palette.front().Colour;
}

QImage ImageFromArt(const TPixelArt& art) {
    QImage image(ToolImageSize, ToolImageSize, QImage::Format_ARGB32);
    for (int y = 0; y < ToolImageSize; ++y)
        for (int x = 0; x < ToolImageSize; ++x)
            image.setPixel(x, y, PaletteColour(art[y][x]));

    const QRgb transparentColour = image.pixel(0, ToolImageSize - 1);
    for (int y = 0; y < ToolImageSize; ++y)
        for (int x = 0; x < ToolImageSize; ++x)
            if (image.pixel(x, y) == transparentColour)
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
    return image;
}

// The greyed look is made here rather than left to the style, which shades the disabled image
// toward the palette's window colour and so would tint it under a coloured palette. Lightening
// keeps outlines readable while the whole picture recedes.
QImage GreyedImage(const QImage& image) {
    QImage greyed = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < greyed.height(); ++y) {
        for (int x = 0; x < greyed.width(); ++x) {
            const QRgb pixel = greyed.pixel(x, y);
            if (qAlpha(pixel) == 0)
                continue;
            const int level = 112 + qGray(pixel) * (240 - 112) / 255;
            greyed.setPixel(x, y, qRgba(level, level, level, qAlpha(pixel)));
        }
    }
    return greyed;
}

QIcon IconWithGreyedLook(const QPixmap& normal) {
    QIcon icon;
    icon.addPixmap(normal, QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(GreyedImage(normal.toImage())), QIcon::Disabled);
    return icon;
}

// The program's emblem: a brass padlock, drawn on a 48-unit grid and scaled to each size.
QPixmap PadlockEmblem(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 48.0, size / 48.0);

    QPainterPath shackle;
    shackle.moveTo(13, 24);
    shackle.lineTo(13, 15);
    shackle.arcTo(13, 3, 22, 24, 180, -180);
    shackle.lineTo(35, 24);
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 9, Qt::SolidLine, Qt::FlatCap));
    painter.drawPath(shackle);
    painter.setPen(QPen(QColor(0xC8, 0xC8, 0xD0), 5, Qt::SolidLine, Qt::FlatCap));
    painter.drawPath(shackle);

    const QRectF body(5, 21, 38, 25);
    QLinearGradient brass(body.topLeft(), body.bottomRight());
    brass.setColorAt(0, QColor(0xFF, 0xE8, 0x60));
    brass.setColorAt(1, QColor(0xC0, 0x80, 0x00));
    painter.setPen(QPen(QColor(0x60, 0x30, 0x10), 2.5));
    painter.setBrush(brass);
    painter.drawRoundedRect(body, 4, 4);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x20, 0x10, 0x00));
    painter.drawEllipse(QPointF(24, 31), 4, 4);
    painter.drawPolygon(QPolygonF{{22, 32}, {26, 32}, {27, 40}, {21, 40}});
    return pixmap;
}

} // namespace

QIcon ToolIcon(TToolImage image) {
    return IconWithGreyedLook(QPixmap::fromImage(ImageFromArt(ArtOf(image))));
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addPixmap(PadlockEmblem(size));
    return icon;
}
