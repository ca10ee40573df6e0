#include "vault/Base64Url.h"

#include "base/AlnumScan.h"

#include <array>
#include <cstdint>

namespace {

constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
constexpr std::uint8_t NotInAlphabet = 0xFF;

constexpr std::array<std::uint8_t, 256> MakeValues() {
    std::array<std::uint8_t, 256> values{};
    for (auto& value : values)
        value = NotInAlphabet;
    for (std::uint8_t i = 0; i < 64; ++i)
        values[static_cast<unsigned char>(Alphabet[i])] = i;
    return values;
}
constexpr std::array<std::uint8_t, 256> Values = MakeValues();

std::uint8_t ValueOf(char ch) noexcept {
    return Values[static_cast<unsigned char>(ch)];
}

// The bits of the last character that a shorter final group leaves unused: they must be zero.
std::uint8_t UnusedBitsMask(std::size_t textLength) noexcept {
    switch (textLength % 4) {
    case 2:
        return 0x0F; // one byte uses 2 of the second character's 6 bits
    case 3:
        return 0x03; // two bytes use 4 of the third character's 6 bits
    default:
        return 0;
    }
}

} // namespace

void AppendBase64Url(std::string& out, const unsigned char* bytes, std::size_t size) {
    out.reserve(out.size() + (size * 4 + 2) / 3);
    std::size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        const std::uint32_t group = std::uint32_t{bytes[i]} << 16 |
                                    std::uint32_t{bytes[i + 1]} << 8 | std::uint32_t{bytes[i + 2]};
        out += Alphabet[group >> 18];
        out += Alphabet[group >> 12 & 63];
        out += Alphabet[group >> 6 & 63];
        out += Alphabet[group & 63];
    }
    if (size - i == 1) {
        const std::uint32_t group = std::uint32_t{bytes[i]} << 16;
        out += Alphabet[group >> 18];
        out += Alphabet[group >> 12 & 63];
    } else if (size - i == 2) {
        const std::uint32_t group = std::uint32_t{bytes[i]} << 16 | std::uint32_t{bytes[i + 1]}
                                                                        << 8;
        out += Alphabet[group >> 18];
        out += Alphabet[group >> 12 & 63];
        out += Alphabet[group >> 6 & 63];
    }
}

std::string Base64UrlEncode(std::string_view bytes) {
    std::string text;
    AppendBase64Url(text, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return text;
}

std::size_t Base64UrlDecodedSize(std::size_t textLength) noexcept {
    if (textLength % 4 == 1)
        return std::string_view::npos;
    return textLength / 4 * 3 + (textLength % 4 == 0 ? 0 : textLength % 4 - 1);
}

bool Base64UrlCanonical(std::string_view text) noexcept {
    if (Base64UrlDecodedSize(text.size()) == std::string_view::npos)
        return false;
    // Letters, digits, "-" and "_": checked over every line of a file as it opens.
    if (!ScanAlnum(text, '-', '_', '_').Only)
        return false;
    return text.empty() || (ValueOf(text.back()) & UnusedBitsMask(text.size())) == 0;
}

bool Base64UrlDecode(std::string_view text, unsigned char* out) noexcept {
    if (Base64UrlDecodedSize(text.size()) == std::string_view::npos)
        return false;
    std::uint32_t bad = 0;
    std::size_t i = 0;
    for (; i + 4 <= text.size(); i += 4) {
        const std::uint32_t a = ValueOf(text[i]);
        const std::uint32_t b = ValueOf(text[i + 1]);
        const std::uint32_t c = ValueOf(text[i + 2]);
        const std::uint32_t d = ValueOf(text[i + 3]);
        bad |= (a | b | c | d) & 0x80;
        const std::uint32_t group = a << 18 | b << 12 | c << 6 | d;
        *out++ = static_cast<unsigned char>(group >> 16);
        *out++ = static_cast<unsigned char>(group >> 8);
        *out++ = static_cast<unsigned char>(group);
    }
    const std::size_t rest = text.size() - i;
    if (rest >= 2) {
        const std::uint32_t a = ValueOf(text[i]);
        const std::uint32_t b = ValueOf(text[i + 1]);
        const std::uint32_t c = rest == 3 ? ValueOf(text[i + 2]) : 0;
        bad |= (a | b | c) & 0x80;
        const std::uint32_t group = a << 18 | b << 12 | c << 6;
        *out++ = static_cast<unsigned char>(group >> 16);
        if (rest == 3)
            *out++ = static_cast<unsigned char>(group >> 8);
        bad |= (rest == 2 ? b : c) & UnusedBitsMask(text.size());
    }
    return bad == 0;
}
