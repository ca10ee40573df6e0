#include "platform/Codepage.h"

#include "base/Errors.h"
#include "base/SecureWipe.h"

#include <array>
#include <cstdio>

namespace {

// Windows-1252 bytes 0x80 to 0x9F. The five bytes that the code page leaves undefined stand for the
// control characters of the same number, so that every byte converts to a character and back.
constexpr std::array<char16_t, 32> HighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

constexpr char16_t CharForByte(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F)
        return HighControlRange[byte - 0x80];
    return byte;
}

// The byte for a character, or -1 when Windows-1252 has none.
constexpr int ByteForChar(char16_t ch) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return ch;
    for (std::size_t i = 0; i < HighControlRange.size(); ++i) {
        if (HighControlRange[i] == ch)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

[[noreturn]] void RefuseCharacter(const QString& text, qsizetype index) {
    char32_t code = text[index].unicode();
    if (text[index].isHighSurrogate() && index + 1 < text.size() &&
        text[index + 1].isLowSurrogate())
        code = QChar::surrogateToUcs4(text[index], text[index + 1]);
    char message[80];
    std::snprintf(message, sizeof message, "Character U+%04X cannot be held in Windows-1252",
                  static_cast<unsigned>(code));
    throw EConvertError(message);
}

} // namespace

QString AnsiToQString(const std::string& bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(CharForByte(static_cast<unsigned char>(byte)));
    return text;
}

std::string QStringToAnsi(const QString& text) {
    // Sized once, so that a password leaves no copy behind in freed memory.
    std::string bytes(static_cast<std::size_t>(text.size()), '\0');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int byte = ByteForChar(text[i].unicode());
        if (byte < 0) {
            SecureZero(bytes.data(), bytes.size());
            RefuseCharacter(text, i);
        }
        bytes[static_cast<std::size_t>(i)] = static_cast<char>(byte);
    }
    return bytes;
}

std::string AnsiToUtf8(const std::string& bytes) {
    // Every character of Windows-1252 lies in the Basic Multilingual Plane: at most 3 bytes.
    std::size_t size = 0;
    for (const char byte : bytes) {
        const char16_t ch = CharForByte(static_cast<unsigned char>(byte));
        size += ch < 0x80 ? 1 : ch < 0x800 ? 2 : 3;
    }
    std::string utf8(size, '\0');
    std::size_t at = 0;
    for (const char byte : bytes) {
        const char16_t ch = CharForByte(static_cast<unsigned char>(byte));
        if (ch < 0x80) {
            utf8[at++] = static_cast<char>(ch);
        } else if (ch < 0x800) {
            utf8[at++] = static_cast<char>(0xC0 | (ch >> 6));
            utf8[at++] = static_cast<char>(0x80 | (ch & 0x3F));
        } else {
            utf8[at++] = static_cast<char>(0xE0 | (ch >> 12));
            utf8[at++] = static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
            utf8[at++] = static_cast<char>(0x80 | (ch & 0x3F));
        }
    }
    return utf8;
}

bool IsAnsiChar(QChar ch) {
    return ByteForChar(ch.unicode()) >= 0;
}

bool IsAnsiText(const QString& text) {
    for (const QChar ch : text) {
        if (!IsAnsiChar(ch))
            return false;
    }
    return true;
}

QString FirstNonAnsiCharacter(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (IsAnsiChar(text[i]))
            continue;
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        return text.mid(i, pair ? 2 : 1);
    }
    return {};
}

QString DisplayToQString(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string QStringToDisplay(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

std::string AnsiToDisplay(const std::string& bytes) {
    return AnsiToQString(bytes).toLocal8Bit().toStdString();
}
