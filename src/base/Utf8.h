#pragma once

// Strict UTF-8, without Qt: file names and terminal text are bytes, and a secret must not pass
// through a QString on its way to the vault. Overlong forms, encoded surrogates and code points
// past U+10FFFF are not UTF-8, so that every byte string decodes in exactly one way.

#include <cstddef>
#include <string>
#include <string_view>

// The length of the UTF-8 sequence that starts at `at`, with its code point in `code`; 0 when the
// bytes there are no whole, well-formed sequence.
inline std::size_t DecodeUtf8At(std::string_view text, std::size_t at, char32_t& code) noexcept {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80; // the range of the second byte, which rules out the bad forms
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() - at < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(i);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF))
            return 0;
        code = (code << 6) | (next & 0x3Fu);
    }
    return length;
}

// Whether the whole text is UTF-8.
inline bool IsUtf8(std::string_view text) noexcept {
    char32_t code = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = DecodeUtf8At(text, at, code);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

// The number of bytes AppendUtf8 writes for the code point.
constexpr std::size_t Utf8Length(char32_t code) noexcept {
    return code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
}

inline void AppendUtf8(std::string& out, char32_t code) {
    const auto put = [&out](unsigned value) { out.push_back(static_cast<char>(value)); };
    switch (Utf8Length(code)) {
    case 1:
        put(code);
        break;
    case 2:
        put(0xC0u | (code >> 6));
        put(0x80u | (code & 0x3Fu));
        break;
    case 3:
        put(0xE0u | (code >> 12));
        put(0x80u | ((code >> 6) & 0x3Fu));
        put(0x80u | (code & 0x3Fu));
        break;
    default:
        put(0xF0u | (code >> 18));
        put(0x80u | ((code >> 12) & 0x3Fu));
        put(0x80u | ((code >> 6) & 0x3Fu));
        put(0x80u | (code & 0x3Fu));
        break;
    }
}
