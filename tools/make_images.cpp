// Writes the program's images as PNG files: the tool-bar images at 16 pixels and redrawn at 32
// (for screens of twice the density), each with its greyed disabled look, and the program's icon
// at the sizes the desktop asks for.
//   make_images FOLDER          writes FOLDER/tools/<name>[-disabled][@2x].png and
//                               FOLDER/program/kestovar-<size>.png
//   make_images --check FOLDER  exits 1 when an image there differs from what would be written
// The images in src/app/images/ are this tool's output; the program itself only loads them.

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <numbers>
#include <string_view>
#include <vector>

namespace {

constexpr int ToolImageSize = 16;

constexpr QRgb Background = 0xFF808000; // olive, unused by the pictures themselves
constexpr QRgb Black = 0xFF000000;
constexpr QRgb DarkGrey = 0xFF404040;
constexpr QRgb Silver = 0xFFC0C0C0;
constexpr QRgb White = 0xFFFFFFFF;
constexpr QRgb Red = 0xFFE00000;
constexpr QRgb Maroon = 0xFF800000;
constexpr QRgb Yellow = 0xFFFFE000;
constexpr QRgb Orange = 0xFFF09000;
constexpr QRgb Navy = 0xFF000080;
constexpr QRgb Blue = 0xFF2060E0;
constexpr QRgb DeepBlue = 0xFF1848C0;
constexpr QRgb LightBlue = 0xFF80C0FF;
constexpr QRgb Green = 0xFF40C040;
constexpr QRgb Skin = 0xFFFFD0A8;
constexpr QRgb SkinShadow = 0xFFC08050;
constexpr QRgb Brown = 0xFFB06030;
constexpr QRgb DarkBrown = 0xFF603010;

// Each 16-pixel picture is 16 rows of 16 characters; a character names a colour of this palette.
// The background colour fills the bottom-left pixel and is made transparent.
struct TPaletteEntry {
    char Key;
    QRgb Colour;
};

constexpr auto Palette = std::to_array<TPaletteEntry>({
    {'.', Background},
    {'k', Black},
    {'D', DarkGrey},
    {'g', Silver},
    {'w', White},
    {'r', Red},
    {'m', Maroon},
    {'y', Yellow},
    {'o', Orange},
    {'n', Navy},
    {'b', Blue},
    {'B', DeepBlue},
    {'c', LightBlue},
    {'e', Green},
    {'s', Skin},
    {'S', SkinShadow},
    {'h', Brown},
    {'H', DarkBrown},
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

QRgb PaletteColour(char key) {
    for (const TPaletteEntry& entry : Palette)
        if (entry.Key == key)
            return entry.Colour;
    return Background;
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

// The 32-pixel pictures are drawn again, not enlarged: the same shapes and colours with thin
// outlines and smooth curves, in pixel coordinates of the 32-pixel image.

QColor C(QRgb rgb) {
    return QColor::fromRgba(rgb);
}

QPen Outline(QRgb colour, double width = 1.0) {
    return QPen(C(colour), width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
}

// Words of text as rounded navy strokes: {x, y, length}.
struct TWord {
    double X, Y, Length;
};

void DrawWords(QPainter& p, std::initializer_list<TWord> words) {
    p.setPen(QPen(C(Navy), 2.0, Qt::SolidLine, Qt::RoundCap));
    for (const TWord& word : words)
        p.drawLine(QPointF(word.X + 1, word.Y + 1), QPointF(word.X + word.Length - 1, word.Y + 1));
}

void DrawSheet(QPainter& p, const QRectF& sheet) {
    p.setPen(Outline(Black));
    p.setBrush(C(White));
    p.drawRect(sheet.adjusted(0.5, 0.5, -0.5, -0.5));
}

// Orange rays, a yellow body and a white heart.
void DrawStarburst(QPainter& p, QPointF centre) {
    auto star = [&](double axis, double diagonal, double inner) {
        QPolygonF points;
        for (int i = 0; i < 16; ++i) {
            const double angle = i * std::numbers::pi / 8;
            const double radius = i % 2 ? inner : (i % 4 == 0 ? axis : diagonal);
            points << centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
        }
        return points;
    };
    p.setPen(Qt::NoPen);
    p.setBrush(C(Orange));
    p.drawPolygon(star(7.0, 5.0, 2.2));
    p.setBrush(C(Yellow));
    p.drawPolygon(star(4.6, 3.6, 2.0));
    p.setBrush(C(White));
    p.drawEllipse(centre, 1.2, 1.2);
}

void DrawNew(QPainter& p) {
    DrawSheet(p, QRectF(4, 4, 20, 26));
    DrawStarburst(p, QPointF(25, 7));
}

void DrawOpen(QPainter& p) {
    DrawSheet(p, QRectF(4, 4, 20, 26));
    DrawWords(
        p, {{8, 8, 8}, {8, 12, 6}, {16, 12, 4}, {8, 16, 12}, {8, 20, 4}, {14, 20, 6}, {8, 24, 8}});
    DrawStarburst(p, QPointF(25, 7));
}

void DrawClose(QPainter& p) {
    QPainterPath sheet;
    sheet.moveTo(4.5, 4.5);
    sheet.lineTo(23.5, 4.5);
    sheet.lineTo(23.5, 18.5);
    sheet.lineTo(12.5, 29.5);
    sheet.lineTo(4.5, 29.5);
    sheet.closeSubpath();
    p.setPen(Outline(Black));
    p.setBrush(C(White));
    p.drawPath(sheet);
    DrawWords(p, {{8, 8, 8}, {8, 12, 6}, {16, 12, 4}, {8, 16, 12}, {8, 20, 4}, {8, 24, 3}});
    // The corner folded over, its back showing.
    p.setPen(QPen(C(Black), 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.setBrush(C(Silver));
    p.drawPolygon(QPolygonF{{12.5, 18.5}, {23.5, 18.5}, {12.5, 29.5}});
    DrawStarburst(p, QPointF(25, 7));
}

void DrawSave(QPainter& p) {
    DrawSheet(p, QRectF(0, 0, 14, 20));
    DrawWords(p, {{4, 4, 6}, {4, 8, 6}, {4, 12, 6}, {4, 16, 4}});
    // A red arrow from the sheet round into the disk.
    QPainterPath arrow;
    arrow.moveTo(14, 6);
    arrow.lineTo(20, 6);
    arrow.quadTo(24, 6, 24, 10);
    arrow.lineTo(24, 11);
    p.setPen(QPen(C(Red), 4.0, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arrow);
    p.setPen(Qt::NoPen);
    p.setBrush(C(Red));
    p.drawPolygon(QPolygonF{{18, 10}, {30, 10}, {24, 16.5}});
    // The floppy disk: navy case, silver shutter with its window, white label.
    p.setBrush(C(Navy));
    QPainterPath disk;
    disk.moveTo(16, 16);
    disk.lineTo(30.5, 16);
    disk.lineTo(32, 17.5);
    disk.lineTo(32, 32);
    disk.lineTo(16, 32);
    disk.closeSubpath();
    p.drawPath(disk);
    p.setBrush(C(Silver));
    p.drawRect(QRectF(21, 16, 7, 6));
    p.setBrush(C(DarkGrey));
    p.drawRect(QRectF(24, 17, 2, 4));
    p.setBrush(C(White));
    p.drawRoundedRect(QRectF(18, 24, 12, 6.5), 1, 1);
    p.setPen(QPen(C(Silver), 1.0));
    p.drawLine(QPointF(20, 26.5), QPointF(28, 26.5));
    p.drawLine(QPointF(20, 28.5), QPointF(26, 28.5));
}

void DrawSaveAs(QPainter& p) {
    DrawSheet(p, QRectF(10, 2, 20, 28));
    DrawWords(p, {{14, 6, 12}, {17, 10, 9}, {21, 14, 5}, {21, 18, 5}, {17, 22, 9}, {14, 26, 8}});
    const QPolygonF arrow{{0.5, 14.5}, {11, 14.5}, {11, 8.5},  {20.5, 17},
                          {11, 25.5},  {11, 19.5}, {0.5, 19.5}};
    p.setPen(QPen(C(Maroon), 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.setBrush(C(Red));
    p.drawPolygon(arrow);
}

// A hand holding a pen, its cuff at the right edge.
void DrawHandAndPen(QPainter& p) {
    QPainterPath hand;
    hand.moveTo(6, 24);
    hand.lineTo(26, 24);
    hand.lineTo(26, 22);
    hand.lineTo(30, 22);
    hand.lineTo(30, 11);
    hand.lineTo(26, 11);
    hand.quadTo(23, 11, 22, 12);
    hand.quadTo(21, 8, 18, 8);
    hand.lineTo(15, 8);
    hand.quadTo(11, 9, 9, 14);
    hand.quadTo(6, 19, 6, 24);
    hand.closeSubpath();
    p.setPen(QPen(C(SkinShadow), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(C(Skin));
    p.drawPath(hand);
    // The creases between the fingers.
    p.setBrush(Qt::NoBrush);
    QPainterPath creases;
    creases.moveTo(10, 18);
    creases.quadTo(12, 15, 15, 16);
    creases.moveTo(11, 21);
    creases.quadTo(14, 18, 17, 19.5);
    creases.moveTo(16, 17);
    creases.quadTo(18, 18, 19, 21);
    creases.moveTo(24, 20);
    creases.quadTo(26, 19.5, 28, 20);
    p.drawPath(creases);
    p.setPen(Qt::NoPen);
    p.setBrush(C(Silver));
    p.drawRect(QRectF(30, 11, 2, 11));

    // The pen lies along the diagonal from the top-right corner to its point at the bottom left.
    p.save();
    p.translate(31, 1);
    p.rotate(135);
    p.setPen(Outline(Black));
    p.setBrush(C(Blue));
    p.drawRoundedRect(QRectF(0, -2, 30, 4), 1.5, 1.5);
    p.setBrush(C(Silver));
    p.drawPolygon(QPolygonF{{30, -2}, {30, 2}, {36, 0}});
    p.setPen(Qt::NoPen);
    p.setBrush(C(Black));
    p.drawPolygon(QPolygonF{{34, -0.8}, {34, 0.8}, {36.5, 0}});
    p.setBrush(C(LightBlue));
    p.drawRect(QRectF(2, -1, 24, 0.75));
    p.restore();
}

void DrawAdd(QPainter& p) {
    DrawHandAndPen(p);
    // The line just written.
    QPainterPath writing;
    writing.moveTo(8, 29);
    for (int i = 0; i < 5; ++i)
        writing.cubicTo(9.5 + 4 * i, 26.5, 10.5 + 4 * i, 31.5, 12 + 4 * i, 29);
    p.setPen(QPen(C(Navy), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(writing);
}

void DrawDelete(QPainter& p) {
    DrawHandAndPen(p);
    DrawWords(p, {{10, 26, 6}, {18, 26, 4}, {24, 26, 6}, {10, 30, 6}, {18, 30, 4}, {24, 30, 6}});
    p.setPen(QPen(C(Red), 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 28.5), QPointF(31, 28.5));
}

void DrawChangePassword(QPainter& p) {
    QPainterPath shackle;
    shackle.moveTo(11, 16);
    shackle.lineTo(11, 10);
    shackle.arcTo(QRectF(11, 4, 10, 12), 180, -180);
    shackle.lineTo(21, 16);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(C(DarkGrey), 5.5, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(shackle);
    p.setPen(QPen(C(Silver), 2.5, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(shackle);

    const QRectF body(4.75, 14.75, 22.5, 14.5);
    QLinearGradient brass(body.topLeft(), body.topRight());
    brass.setColorAt(0.0, C(Yellow));
    brass.setColorAt(0.75, C(Yellow));
    brass.setColorAt(1.0, C(Orange));
    p.setPen(QPen(C(DarkBrown), 1.5));
    p.setBrush(brass);
    p.drawRoundedRect(body, 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(C(Black));
    p.drawEllipse(QPointF(16, 20), 2.5, 2.5);
    p.drawPolygon(QPolygonF{{14.8, 21}, {17.2, 21}, {18, 27}, {14, 27}});
}

void DrawAboutOmbrel(QPainter& p) {
    const QPointF centre(16, 16);
    const double radius = 13.5;
    QRadialGradient sea(QPointF(10, 9), 22);
    sea.setColorAt(0, C(Blue));
    sea.setColorAt(1, C(DeepBlue));
    p.setPen(Qt::NoPen);
    p.setBrush(sea);
    p.drawEllipse(centre, radius, radius);

    QPainterPath globe;
    globe.addEllipse(centre, radius, radius);
    p.save();
    p.setClipPath(globe);
    p.setBrush(C(Green));
    QPainterPath land;
    land.moveTo(13, 3);
    land.cubicTo(18, 2, 22, 6, 21, 10);
    land.cubicTo(20, 13, 17, 12, 15, 10);
    land.cubicTo(12, 8, 11, 5, 13, 3);
    land.moveTo(25, 7);
    land.cubicTo(29, 9, 30, 13, 28, 16);
    land.cubicTo(26, 15, 24, 11, 25, 7);
    land.moveTo(17, 18);
    land.cubicTo(21, 16, 26, 18, 26, 21);
    land.cubicTo(25, 25, 21, 27, 19, 25);
    land.cubicTo(17, 23, 15, 20, 17, 18);
    p.drawPath(land);
    p.restore();

    // Light on the upper left.
    p.setPen(QPen(C(LightBlue), 1.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(5, 5, 22, 22), 110 * 16, 60 * 16);
    p.setPen(QPen(C(Navy), 1.5));
    p.drawEllipse(centre, radius, radius);
}

void DrawAbout(QPainter& p) {
    p.setPen(QPen(C(Orange), 1.5));
    p.setBrush(C(Yellow));
    p.drawEllipse(QPointF(16, 16), 13.5, 13.5);

    QPainterPath mark;
    mark.moveTo(11.5, 11);
    mark.cubicTo(11.5, 5.5, 20.5, 5.5, 20.5, 10.5);
    mark.cubicTo(20.5, 14, 16, 14.5, 16, 18);
    mark.lineTo(16, 19);
    p.setPen(QPen(C(Red), 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(mark);
    p.setPen(Qt::NoPen);
    p.setBrush(C(Red));
    p.drawEllipse(QPointF(16, 23.5), 2.2, 2.2);
}

void DrawExit(QPainter& p) {
    // The doorway: sky over grass.
    QLinearGradient sky(0, 4, 0, 22);
    sky.setColorAt(0, C(LightBlue).lighter(110));
    sky.setColorAt(1, C(LightBlue));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRect(QRectF(5, 3, 16, 19));
    p.setBrush(C(Green));
    p.drawRect(QRectF(5, 22, 16, 7));
    p.setPen(QPen(C(DarkBrown), 2.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(5, 3, 16, 26));
    // The door, swung open towards the viewer.
    p.setPen(QPen(C(DarkBrown), 1.5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(C(Brown));
    p.drawPolygon(QPolygonF{{21, 3}, {28.5, 0.75}, {28.5, 31.25}, {21, 29}});
    p.setPen(Qt::NoPen);
    p.setBrush(C(Yellow));
    p.drawEllipse(QPointF(25, 17), 1.6, 1.6);
}

struct TToolPicture {
    const char* Name;
    const TPixelArt& Art;
    void (*Draw)(QPainter&);
};

const TToolPicture ToolPictures[] = {
    {"new", NewArt, DrawNew},
    {"open", OpenArt, DrawOpen},
    {"save", SaveArt, DrawSave},
    {"save-as", SaveAsArt, DrawSaveAs},
    {"close", CloseArt, DrawClose},
    {"add", AddArt, DrawAdd},
    {"delete", DeleteArt, DrawDelete},
    {"change-password", ChangePasswordArt, DrawChangePassword},
    {"about-ombrel", AboutOmbrelArt, DrawAboutOmbrel},
    {"about", AboutArt, DrawAbout},
    {"exit", ExitArt, DrawExit},
};

QImage Drawn(int size, const std::function<void(QPainter&)>& draw) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

// The greyed look is drawn here rather than left to the style, which shades the disabled image
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

// The program's emblem: a brass padlock, drawn on a 48-unit grid and scaled to each size. The
// scalable icon in dist/ is the same drawing.
void DrawPadlockEmblem(QPainter& painter, int size) {
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
}

constexpr int ProgramIconSizes[] = {16, 32, 48, 64, 128, 256};

struct TOutput {
    QString Path;
    QImage Image;
};

std::vector<TOutput> AllImages(const QDir& folder) {
    std::vector<TOutput> images;
    for (const TToolPicture& picture : ToolPictures) {
        const QString base = folder.filePath(QStringLiteral("tools/%1").arg(picture.Name));
        const QImage normal = ImageFromArt(picture.Art);
        const QImage large = Drawn(2 * ToolImageSize, picture.Draw);
        images.push_back({base + ".png", normal});
        images.push_back({base + "@2x.png", large});
        images.push_back({base + "-disabled.png", GreyedImage(normal)});
        images.push_back({base + "-disabled@2x.png", GreyedImage(large)});
    }
    for (int size : ProgramIconSizes)
        images.push_back({folder.filePath(QStringLiteral("program/kestovar-%1.png").arg(size)),
                          Drawn(size, [size](QPainter& p) { DrawPadlockEmblem(p, size); })});
    return images;
}

// Gradients and anti-aliased edges come out of Qt's raster engine a level or two apart on
// processors with other vector units; a drawing that changed differs by far more.
bool SameDrawing(const QImage& stored, const QImage& drawn) {
    constexpr int Tolerance = 2;
    const QImage image = stored.convertToFormat(QImage::Format_ARGB32);
    if (image.size() != drawn.size() || drawn.format() != QImage::Format_ARGB32)
        return image == drawn;
    for (int y = 0; y < image.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(drawn.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int channels[4][2] = {{qRed(a[x]), qRed(b[x])},
                                        {qGreen(a[x]), qGreen(b[x])},
                                        {qBlue(a[x]), qBlue(b[x])},
                                        {qAlpha(a[x]), qAlpha(b[x])}};
            for (const auto& channel : channels)
                if (std::abs(channel[0] - channel[1]) > Tolerance)
                    return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
    if (argc != 2 && !check) {
        std::fprintf(stderr, "usage: make_images [--check] FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[argc - 1]));
    int failures = 0;
    for (const TOutput& output : AllImages(folder)) {
        const QByteArray path = output.Path.toLocal8Bit();
        if (check) {
            const QImage stored(output.Path);
            if (!SameDrawing(stored, output.Image)) {
                std::fprintf(stderr, "%s differs from its drawing: run make_images again\n",
                             path.constData());
                ++failures;
            }
        } else if (!QDir().mkpath(QFileInfo(output.Path).path()) ||
                   !output.Image.save(output.Path, "PNG")) {
            std::fprintf(stderr, "could not write %s\n", path.constData());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
