#include "platform/Codepage.h"

#include "base/Errors.h"
#include "base/SecureWipe.h"
#include "base/Utf8.h"

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

[[noreturn]] void RefuseCode(char32_t code) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(code));
    throw EConvertError(TErrorMessage(TErrorCode::CharacterNotInWindows1252, {hex}));
}

[[noreturn]] void RefuseCharacter(const QString& text, qsizetype index) {
    char32_t code = text[index].unicode();
    if (text[index].isHighSurrogate() && index + 1 < text.size() &&
        text[index + 1].isLowSurrogate())
        code = QChar::surrogateToUcs4(text[index], text[index + 1]);
    RefuseCode(code);
}

} // namespace

char16_t AnsiByteCharacter(unsigned char byte) noexcept {
    return CharForByte(byte);
}

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

std::string Utf8ToAnsi(std::string_view utf8) {
    // Never longer than the UTF-8: reserved once, so that no growing leaves a copy behind.
    std::string bytes;
    bytes.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        char32_t code = 0;
        const std::size_t length = DecodeUtf8At(utf8, at, code);
        const int byte =
            length == 0 || code > 0xFFFF ? -1 : ByteForChar(static_cast<char16_t>(code));
        if (byte < 0) {
            WipeString(bytes);
            if (length == 0)
                throw ENotUtf8();
            RefuseCode(code);
        }
        bytes.push_back(static_cast<char>(byte));
        at += length;
    }
    return bytes;
}

std::string AnsiToUtf8(std::string_view ansi) {
    std::size_t length = 0;
    for (const char byte : ansi)
        length += Utf8Length(CharForByte(static_cast<unsigned char>(byte)));
    std::string text;
    text.reserve(length);
    for (const char byte : ansi)
        AppendUtf8(text, CharForByte(static_cast<unsigned char>(byte)));
    return text;
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

bool IsControlByte(unsigned char byte) noexcept {
    return byte < 0x20 || byte == 0x7F || byte == 0x81 || byte == 0x8D || byte == 0x8F ||
           byte == 0x90 || byte == 0x9D;
}
