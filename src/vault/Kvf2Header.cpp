#include "vault/Kvf2Header.h"

#include "vault/Base64Url.h"
#include "vault/SodiumMemory.h"

#include <sodium.h>

#include <vector>

namespace {

constexpr std::string_view FormatToken = "KVF2";
constexpr std::string_view DerivationToken = "argon2id";
constexpr std::string_view NumberedPrefix = "KVF";
constexpr std::size_t TokenCount = 10;

bool IsDigit(char ch) noexcept {
    return ch >= '0' && ch <= '9';
}

// Digits only, no sign, no leading zero except "0" itself, at most max.
std::optional<std::uint32_t> ReadNumber(std::string_view text, std::uint32_t max) noexcept {
    if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0'))
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char ch : text) {
        if (!IsDigit(ch))
            return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(ch - '0');
    }
    if (value > max)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

template <std::size_t Size>
bool ReadBinary(std::string_view text, std::array<unsigned char, Size>& out) noexcept {
    return Base64UrlDecodedSize(text.size()) == Size && Base64UrlDecode(text, out.data());
}

template <std::size_t Size>
void AppendToken(std::string& line, const std::array<unsigned char, Size>& bytes) {
    line += ' ';
    AppendBase64Url(line, bytes.data(), bytes.size());
}

std::vector<std::string_view> SplitAtSpaces(std::string_view line) {
    std::vector<std::string_view> tokens;
    for (;;) {
        const std::size_t space = line.find(' ');
        tokens.push_back(line.substr(0, space));
        if (space == std::string_view::npos)
            return tokens;
        line.remove_prefix(space + 1);
    }
}

// A name from the file for a message: printable ASCII, and not too long to show.
std::string Shown(std::string_view text) {
    constexpr std::size_t Longest = 40;
    std::string shown;
    for (const char ch : text.substr(0, Longest))
        shown += ch >= ' ' && ch <= '~' ? ch : '?';
    return shown;
}

std::array<unsigned char, Kvf2SumSize> SumOf(std::string_view sealedThroughSeal) {
    RequireSodium();
    std::array<unsigned char, Kvf2SumSize> sum{};
    crypto_generichash(sum.data(), sum.size(),
                       reinterpret_cast<const unsigned char*>(sealedThroughSeal.data()),
                       sealedThroughSeal.size(), nullptr, 0);
    return sum;
}

std::string SealedThroughSeal(const TKvf2Header& header) {
    std::string text = Kvf2SealedText(header);
    AppendToken(text, header.Seal);
    return text;
}

} // namespace

bool Kvf2ParamsValid(const TKvf2Params& params) noexcept {
    return params.Passes >= Kvf2MinPasses && params.Passes <= Kvf2MaxPasses &&
           params.MemoryKiB >= Kvf2MinMemoryKiB && params.MemoryKiB <= Kvf2MaxMemoryKiB &&
           params.MemoryKiB % Kvf2MemoryStepKiB == 0;
}

std::string Kvf2PasswordText(const TKvf2Header& header) {
    std::string text;
    text.reserve(Kvf2HeaderMaxLength);
    text.append(FormatToken).append(" ").append(DerivationToken);
    text.append(" ").append(std::to_string(header.Params.Passes));
    text.append(" ").append(std::to_string(header.Params.MemoryKiB));
    AppendToken(text, header.Salt);
    AppendToken(text, header.Id);
    return text;
}

std::string Kvf2SealedText(const TKvf2Header& header) {
    std::string text = Kvf2PasswordText(header);
    AppendToken(text, header.Check);
    text.append(" ").append(std::to_string(header.LineCount));
    return text;
}

std::string FormatKvf2Header(const TKvf2Header& header) {
    std::string line = SealedThroughSeal(header);
    AppendToken(line, SumOf(line));
    return line;
}

TKvf2HeaderRead ReadKvf2FirstLine(std::string_view line) {
    TKvf2HeaderRead read;
    // A numbered format: "KVF", digits, then a space or the end of the line.
    if (!line.starts_with(NumberedPrefix))
        return read;
    std::size_t digitsEnd = NumberedPrefix.size();
    while (digitsEnd < line.size() && IsDigit(line[digitsEnd]))
        ++digitsEnd;
    if (digitsEnd == NumberedPrefix.size() || (digitsEnd < line.size() && line[digitsEnd] != ' '))
        return read;
    const std::string_view format = line.substr(0, digitsEnd);
    std::string_view number = format.substr(NumberedPrefix.size());
    while (number.size() > 1 && number.front() == '0')
        number.remove_prefix(1);
    if (number != "2") {
        read.Kind = TFirstLineKind::OtherVersion;
        read.OtherName = Shown(format);
        return read;
    }

    read.Kind = TFirstLineKind::DamagedHeader;
    const std::vector<std::string_view> tokens = SplitAtSpaces(line);
    if (tokens.size() >= 2 && !tokens[1].empty() && tokens[1] != DerivationToken &&
        tokens[0] == FormatToken) {
        read.Kind = TFirstLineKind::OtherVersion;
        read.OtherName = Shown(tokens[0]) + " " + Shown(tokens[1]);
        return read;
    }
    TKvf2Header& header = read.Header;
    const auto passes = tokens.size() > 2 ? ReadNumber(tokens[2], Kvf2MaxPasses) : std::nullopt;
    const auto memory = tokens.size() > 3 ? ReadNumber(tokens[3], Kvf2MaxMemoryKiB) : std::nullopt;
    if (tokens.size() < 7 || tokens[0] != FormatToken || tokens[1] != DerivationToken || !passes ||
        !memory || !ReadBinary(tokens[4], header.Salt) || !ReadBinary(tokens[5], header.Id) ||
        !ReadBinary(tokens[6], header.Check))
        return read;
    header.Params = {*passes, *memory};
    if (!Kvf2ParamsValid(header.Params))
        return read;
    read.Kind = TFirstLineKind::Format2;

    read.DeclaredLineCount =
        tokens.size() > 7 ? ReadNumber(tokens[7], Kvf2MaxLineCount) : std::nullopt;
    const bool sealRead = tokens.size() > 8 && ReadBinary(tokens[8], header.Seal);
    std::array<unsigned char, Kvf2SumSize> sum{};
    const bool sumRead = tokens.size() > 9 && ReadBinary(tokens[9], sum);
    if (!read.DeclaredLineCount || !sealRead || !sumRead || tokens.size() != TokenCount) {
        header.Seal = {};
        return read;
    }
    header.LineCount = *read.DeclaredLineCount;
    // Every token was read back in its only spelling, so the text rebuilt is the text written.
    const std::array<unsigned char, Kvf2SumSize> expected = SumOf(SealedThroughSeal(header));
    read.TailIntact = sodium_memcmp(sum.data(), expected.data(), sum.size()) == 0;
    return read;
}

std::string Kvf2DamagedHeaderMessage() {
    return "The first line of the data file is damaged. The file was not opened, and nothing in "
           "it was changed.";
}

std::string Kvf2OtherVersionMessage(const TKvf2HeaderRead& read) {
    return "The data file is in a format that this version of Kestovar cannot read (its first "
           "line begins \"" +
           read.OtherName +
           "\"); it may have been written by a newer version. The file was not opened, and nothing "
           "in it was changed.";
}
