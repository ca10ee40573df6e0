#include "vault/BreachList.h"

#include "base/SecureWipe.h"
#include "platform/Codepage.h"

#include <QCryptographicHash>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// A page holds some ninety lines; a line longer than MaxLine is no line of the list.
constexpr std::size_t PageSize = 4096;
constexpr std::size_t MaxLine = 128;
constexpr std::size_t HashDigits = 40;

int HexValue(char ch) noexcept {
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    return -1;
}

// Where the hash falls in the space of all hashes, from 0 to 1, by its first 64 bits: SHA-1 is
// spread evenly, so this is also where its line falls in the file.
double KeyFraction(const unsigned char* digest) noexcept {
    std::uint64_t high = 0;
    for (int i = 0; i < 8; ++i)
        high = high << 8 | digest[i];
    return static_cast<double>(high) / 18446744073709551616.0; // 2^64
}

} // namespace

struct TBreachList::TLine {
    std::uint64_t Start = 0; // where the line starts in the file
    std::uint64_t Next = 0;  // where the next one starts
    const char* Text = nullptr;
    std::size_t Length = 0; // without the line break
};

TSha1Digest BreachHashOf(const std::string& password) {
    std::string utf8 = AnsiToUtf8(password);
    TWipeGuard wipeUtf8(utf8);
    QByteArray digest = QCryptographicHash::hash(
        QByteArrayView(utf8.data(), static_cast<qsizetype>(utf8.size())), QCryptographicHash::Sha1);
    TSha1Digest result{};
    std::memcpy(result.data(), digest.constData(), result.size());
    SecureZero(digest.data(), static_cast<std::size_t>(digest.size()));
    return result;
}

TBreachList::TBreachList(const std::string& path)
    : FPath(path), FFile(path), FPage(PageSize + MaxLine) {}

void TBreachList::Refuse(std::uint64_t offset, const char* problem) const {
    throw EBreachListError(FPath + " is not a list of SHA-1 hashes with counts (HASH:count, " +
                           "sorted by hash): " + problem + " at byte " + std::to_string(offset));
}

std::vector<TBreachList::TLine> TBreachList::LinesAt(std::uint64_t offset, bool lineStart) {
    const std::size_t got = FFile.ReadAt(offset, FPage.data(), FPage.size());
    FBytesRead += got;
    const bool toTheEnd = offset + got >= FFile.Size();
    const char* const begin = FPage.data();
    const char* const end = begin + got;
    const char* at = begin;
    if (!lineStart) {
        const auto* newline = static_cast<const char*>(std::memchr(at, '\n', got));
        if (newline == nullptr) {
            if (!toTheEnd)
                Refuse(offset, "a line longer than 128 bytes");
            return {};
        }
        at = newline + 1;
    }
    std::vector<TLine> lines;
    while (at < end) {
        const auto* newline =
            static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
        if (newline == nullptr && !toTheEnd)
            break; // cut off by the page: the next read has it whole
        const char* lineEnd = newline != nullptr ? newline : end;
        TLine line;
        line.Start = offset + static_cast<std::uint64_t>(at - begin);
        line.Next = offset + static_cast<std::uint64_t>(lineEnd - begin) + (newline ? 1 : 0);
        line.Text = at;
        line.Length = static_cast<std::size_t>(lineEnd - at);
        if (line.Length > 0 && line.Text[line.Length - 1] == '\r')
            --line.Length;
        if (line.Start == 0 && line.Length >= 3 && std::memcmp(line.Text, "\xEF\xBB\xBF", 3) == 0) {
            line.Text += 3; // a byte-order mark
            line.Length -= 3;
        }
        lines.push_back(line);
        at = lineEnd + 1;
    }
    if (lines.empty() && !toTheEnd)
        Refuse(offset, "a line longer than 128 bytes");
    return lines;
}

std::uint64_t TBreachList::TimesSeen(const TSha1Digest& hash) {
    char target[HashDigits];
    for (std::size_t i = 0; i < hash.size(); ++i) {
        target[2 * i] = "0123456789ABCDEF"[hash[i] >> 4];
        target[2 * i + 1] = "0123456789ABCDEF"[hash[i] & 15];
    }
    const double targetKey = KeyFraction(hash.data());
    // Every line that starts before lo has a smaller hash; every line that starts at hi or later
    // has a larger one. lo is always the start of a line.
    std::uint64_t lo = 0;
    std::uint64_t hi = FFile.Size();
    double loKey = 0;
    double hiKey = 1;
    bool bisect = false;
    while (lo < hi) {
        const std::uint64_t span = hi - lo;
        std::uint64_t start = lo;
        if (span > PageSize) {
            // Where the hash should stand if the hashes between the bounds are spread evenly;
            // where that guess gained too little last time, the middle instead, so that the
            // search never takes more steps than halving would.
            const double share =
                bisect
                    ? 0.5
                    : std::clamp((targetKey - loKey) / std::max(hiKey - loKey, 1e-300), 0.0, 1.0);
            const auto guess = lo + static_cast<std::uint64_t>(share * static_cast<double>(span));
            start = std::clamp<std::uint64_t>(guess > PageSize / 2 ? guess - PageSize / 2 : 0, lo,
                                              hi - PageSize);
        }
        const std::vector<TLine> lines = LinesAt(start, start == lo);
        const std::uint64_t oldLo = lo;
        const char* previous = nullptr;
        for (const TLine& line : lines) {
            if (line.Start >= hi)
                break;
            if (line.Length == 0) { // an empty line, such as one after the last
                lo = line.Next;
                continue;
            }
            if (line.Length < HashDigits + 2 || line.Text[HashDigits] != ':')
                Refuse(line.Start, "a line that is not HASH:count");
            int order = 0;
            for (std::size_t i = 0; i < HashDigits && order == 0; ++i) {
                const int digit = HexValue(line.Text[i]);
                if (digit < 0)
                    Refuse(line.Start, "a hash that is not hexadecimal");
                order = digit - HexValue(target[i]);
            }
            if (previous != nullptr) {
                for (std::size_t i = 0; i < HashDigits; ++i) {
                    const int step = HexValue(line.Text[i]) - HexValue(previous[i]);
                    if (step < 0)
                        Refuse(line.Start, "a hash smaller than the one before it");
                    if (step > 0)
                        break;
                }
            }
            previous = line.Text;
            if (order == 0) {
                std::uint64_t count = 0;
                for (std::size_t i = HashDigits + 1; i < line.Length; ++i) {
                    const char ch = line.Text[i];
                    const auto digit = static_cast<std::uint64_t>(ch - '0');
                    if (ch < '0' || ch > '9' ||
                        count > (std::numeric_limits<std::uint64_t>::max() - digit) / 10)
                        Refuse(line.Start, "a count that is not a number");
                    count = count * 10 + digit;
                }
                return count;
            }
            unsigned char digest[8];
            for (int i = 0; i < 8; ++i) {
                const int high = HexValue(line.Text[2 * i]);
                const int low = HexValue(line.Text[2 * i + 1]);
                if (high < 0 || low < 0)
                    Refuse(line.Start, "a hash that is not hexadecimal");
                digest[i] = static_cast<unsigned char>(high << 4 | low);
            }
            if (order < 0) {
                lo = line.Next;
                loKey = KeyFraction(digest);
            } else {
                hi = line.Start;
                hiKey = KeyFraction(digest);
                break;
            }
        }
        if (lo == oldLo && hi - lo == span)
            Refuse(start, "no whole line"); // so that a broken file cannot stop the search
        bisect = !bisect && hi - lo > span / 2;
    }
    return 0;
}
