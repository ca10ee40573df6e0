#pragma once

// Plain restatements of the documented behaviour, written for clarity rather than speed, against
// which the targets compare the real code: the 64-character text form, the outcome of deciphering
// one field text, and the line rules of text files.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace reference {

inline constexpr std::string_view TextTable =
    "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

inline bool IsTextChar(char ch) {
    return TextTable.find(ch) != std::string_view::npos;
}

inline bool IsText(std::string_view text) {
    for (const char ch : text) {
        if (!IsTextChar(ch))
            return false;
    }
    return true;
}

// Every character must be from the table. Groups of four give three bytes; a last group of two
// gives one, of three gives two, of one gives nothing; leftover bits are ignored.
inline std::string DecodeText(std::string_view text) {
    std::vector<std::uint8_t> values;
    for (const char ch : text)
        values.push_back(static_cast<std::uint8_t>(TextTable.find(ch)));
    std::string bytes;
    std::size_t i = 0;
    for (; i + 4 <= values.size(); i += 4) {
        bytes += static_cast<char>((values[i] << 2) | (values[i + 1] >> 4));
        bytes += static_cast<char>(((values[i + 1] << 4) & 255) | (values[i + 2] >> 2));
        bytes += static_cast<char>(((values[i + 2] << 6) & 255) | values[i + 3]);
    }
    const std::size_t left = values.size() - i;
    if (left >= 2)
        bytes += static_cast<char>((values[i] << 2) | (values[i + 1] >> 4));
    if (left == 3)
        bytes += static_cast<char>(((values[i + 1] << 4) & 255) | (values[i + 2] >> 2));
    return bytes;
}

inline std::size_t EncodedTextLength(std::size_t byteCount) {
    return (4 * byteCount + 2) / 3;
}

enum class TOutcome { Deciphered, ConvertError, InputError };

// What DecryptString does with a cipher string once key and IV are in order: the empty string
// gives the empty string; a bad character is a conversion error; fewer than 8 bytes, or bytes that
// are not whole blocks, an input error. `bytes` receives the cipher bytes when they decipher.
inline TOutcome DecryptOutcome(std::string_view cipher, bool textForm, std::string& bytes) {
    bytes.clear();
    if (cipher.empty())
        return TOutcome::Deciphered;
    if (textForm && !IsText(cipher))
        return TOutcome::ConvertError;
    bytes = textForm ? DecodeText(cipher) : std::string(cipher);
    if (bytes.size() < 8 || bytes.size() % 8 != 0) {
        bytes.clear();
        return TOutcome::InputError;
    }
    return TOutcome::Deciphered;
}

// A record line cut at its first three ";"; where one is missing, that field is empty and the rest
// goes on unchanged.
inline std::vector<std::string> SplitRecordLine(std::string_view line) {
    std::vector<std::string> texts;
    std::string_view rest = line;
    for (int i = 0; i < 3; ++i) {
        const std::size_t at = rest.find(';');
        if (at == std::string_view::npos) {
            texts.emplace_back();
            continue;
        }
        texts.emplace_back(rest.substr(0, at));
        rest.remove_prefix(at + 1);
    }
    texts.emplace_back(rest);
    return texts;
}

// What DecodeRecord does with a line under a usable master password: the first field text that
// does not decipher decides. `cipherLengths` receives each field's cipher byte count.
inline TOutcome DecodeOutcome(std::string_view line, std::size_t (&cipherLengths)[4]) {
    const auto texts = SplitRecordLine(line);
    for (std::size_t i = 0; i < 4; ++i)
        cipherLengths[i] = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        std::string bytes;
        const TOutcome outcome = DecryptOutcome(texts[i], true, bytes);
        if (outcome != TOutcome::Deciphered)
            return outcome;
        cipherLengths[i] = bytes.size();
    }
    return TOutcome::Deciphered;
}

// Reading a text file: the text is the data without the Ctrl-Z bytes at its very end (a Ctrl-Z
// with anything after it is an ordinary byte); a line ends at CR (one LF right after it belongs to
// the line end) or at the end of the text, where the reader stays put.
class TTextReader {
public:
    explicit TTextReader(std::string_view data) : FData(data) {
        while (!FData.empty() && FData.back() == '\x1A')
            FData.remove_suffix(1);
    }

    bool AtEnd() const { return FPosition >= FData.size(); }

    std::string ReadLine() {
        std::string line;
        while (FPosition < FData.size() && FData[FPosition] != '\r')
            line += FData[FPosition++];
        if (FPosition < FData.size() && FData[FPosition] == '\r') {
            ++FPosition;
            if (FPosition < FData.size() && FData[FPosition] == '\n')
                ++FPosition;
        }
        return line;
    }

private:
    std::string_view FData;
    std::size_t FPosition = 0;
};

} // namespace reference
