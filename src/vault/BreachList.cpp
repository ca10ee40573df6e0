#include "vault/BreachList.h"

#include "base/SecureWipe.h"
#include "platform/Codepage.h"

#include <QCryptographicHash>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>

namespace {

// A line longer than MaxLine is no line of the list ("HASH:count" takes at most 63 bytes).
constexpr std::size_t MaxLine = 128;
constexpr std::size_t HashDigits = 40;
// Bounds this close are searched line by line.
constexpr std::uint64_t FinalSpan = 512;
// What a read takes at least: a line found after its start, and that line whole.
constexpr std::size_t LookAhead = 3 * MaxLine + 2;
// The most a read takes: where a guess is likely to be off by less, the whole stretch it is likely
// off by is read at once, so that the search's last steps cost no further read.
constexpr std::size_t MostRead = 16384;
// A list's lines take about this many bytes ("HASH:count" and CR LF, the counts of a few digits).
constexpr double TypicalLine = 46;

constexpr std::array<signed char, 256> HexDigits = [] {
    std::array<signed char, 256> table{};
    table.fill(-1);
    for (int i = 0; i < 10; ++i)
        table['0' + i] = static_cast<signed char>(i);
    for (int i = 0; i < 6; ++i) {
        table['A' + i] = static_cast<signed char>(10 + i);
        table['a' + i] = static_cast<signed char>(10 + i);
    }
    return table;
}();

int HexValue(char ch) noexcept {
    return HexDigits[static_cast<unsigned char>(ch)];
}

// Where a hash falls in the space of all hashes, from 0 to 1, by its first 64 bits.
double KeyFraction(std::uint64_t high) noexcept {
    return static_cast<double>(high) / 18446744073709551616.0; // 2^64
}

} // namespace

// One line, without its line break (and the byte-order mark of the file's first).
struct TBreachList::TLine {
    std::string_view Text;
    std::uint64_t Next = 0; // where the next line starts
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
    : FPath(path), FFile(path), FBuffer(MostRead + 2 * MaxLine) {}

void TBreachList::Refuse(std::uint64_t offset, const char* problem) const {
    throw EBreachListError(FPath + " is not a list of SHA-1 hashes with counts (HASH:count, " +
                           "sorted by hash): " + problem + " at byte " + std::to_string(offset));
}

std::string_view TBreachList::Bytes(std::uint64_t offset, std::size_t count) {
    if (offset >= FFile.Size())
        return {};
    const auto wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(count, FFile.Size() - offset));
    if (offset < FBufferOffset || offset + wanted > FBufferOffset + FBufferSize) {
        // A few hundred bytes, enough for a line found after offset and that line whole: a read
        // costs little more than the cache lines it copies.
        const auto size = static_cast<std::size_t>(
            std::min<std::uint64_t>(std::max(wanted, LookAhead), FFile.Size() - offset));
        FBufferSize = 0;
        FBufferSize = FFile.ReadAt(offset, FBuffer.data(), size);
        FBufferOffset = offset;
        FBytesRead += FBufferSize;
        ++FReads;
    }
    return {FBuffer.data() + (offset - FBufferOffset), wanted};
}

std::uint64_t TBreachList::LineStartNear(std::uint64_t at, std::uint64_t lo, std::uint64_t hi) {
    const std::string_view after = Bytes(at - 1, 2 * MaxLine);
    const std::size_t newline = after.find('\n');
    if (newline != std::string_view::npos && at + newline < hi)
        return at + newline;
    if (newline == std::string_view::npos && at - 1 + after.size() < hi)
        Refuse(at, "a line longer than 128 bytes");
    // No line starts between at and hi: the one that holds at, which starts at lo or later.
    const std::uint64_t from = std::max(lo, at > MaxLine ? at - MaxLine : 0);
    const std::string_view before = Bytes(from, static_cast<std::size_t>(at - from));
    const std::size_t last = before.rfind('\n');
    if (last != std::string_view::npos)
        return from + last + 1;
    if (from != lo)
        Refuse(from, "a line longer than 128 bytes");
    return lo;
}

TBreachList::TLine TBreachList::LineAt(std::uint64_t start) {
    const std::string_view bytes = Bytes(start, MaxLine + 2);
    std::size_t end = bytes.find('\n');
    TLine line;
    if (end != std::string_view::npos) {
        line.Next = start + end + 1;
    } else if (start + bytes.size() == FFile.Size()) {
        end = bytes.size(); // the last line, without a line break
        line.Next = FFile.Size();
    } else {
        Refuse(start, "a line longer than 128 bytes");
    }
    line.Text = bytes.substr(0, end);
    if (start == 0 && line.Text.starts_with("\xEF\xBB\xBF"))
        line.Text.remove_prefix(3);
    if (line.Text.ends_with('\r'))
        line.Text.remove_suffix(1);
    if (line.Text.empty()) {
        // Only line breaks may follow an empty line.
        const std::string_view rest = bytes.substr(std::min(end + 1, bytes.size()));
        if (rest.find_first_not_of("\r\n") != std::string_view::npos)
            Refuse(start, "an empty line between hashes");
    } else if (line.Text.size() < HashDigits + 2 || line.Text[HashDigits] != ':') {
        Refuse(start, "a line that is not HASH:count");
    }
    return line;
}

std::uint64_t TBreachList::TimesSeen(const TSha1Digest& hash) {
    return Search(hash, {0, 0}, {FFile.Size(), 1}).Count;
}

std::vector<std::uint64_t> TBreachList::TimesSeenEach(const std::vector<TSha1Digest>& hashes) {
    std::vector<std::size_t> order(hashes.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return hashes[a] < hashes[b]; });
    std::vector<std::uint64_t> counts(hashes.size());
    // A range of the sorted hashes, and the bounds that hold their lines.
    struct TPart {
        std::size_t First, Last; // [First, Last)
        TBound Lo, Hi;
    };
    std::vector<TPart> parts{{0, order.size(), {0, 0}, {FFile.Size(), 1}}};
    while (!parts.empty()) {
        const TPart part = parts.back();
        parts.pop_back();
        if (part.First >= part.Last)
            continue;
        const std::size_t middle = part.First + (part.Last - part.First) / 2;
        const TFound found = Search(hashes[order[middle]], part.Lo, part.Hi);
        counts[order[middle]] = found.Count;
        // Equal hashes beside it have its count.
        std::size_t first = middle;
        while (first > part.First && hashes[order[first - 1]] == hashes[order[middle]])
            counts[order[--first]] = found.Count;
        std::size_t last = middle + 1;
        while (last < part.Last && hashes[order[last]] == hashes[order[middle]])
            counts[order[last++]] = found.Count;
        parts.push_back({part.First, first, part.Lo, found.Before});
        parts.push_back({last, part.Last, found.After, part.Hi});
    }
    return counts;
}

TBreachList::TFound TBreachList::Search(const TSha1Digest& hash, TBound loBound, TBound hiBound) {
    signed char target[HashDigits];
    std::uint64_t targetHigh = 0;
    for (std::size_t i = 0; i < hash.size(); ++i) {
        target[2 * i] = static_cast<signed char>(hash[i] >> 4);
        target[2 * i + 1] = static_cast<signed char>(hash[i] & 15);
        if (i < 8)
            targetHigh = targetHigh << 8 | hash[i];
    }
    const double targetKey = KeyFraction(targetHigh);

    // The order of a line's hash against the one looked for; an empty line, which can only end
    // the file, counts as larger. The first 64 bits of the line's hash go to key.
    const auto compare = [&](const TLine& line, std::uint64_t offset, double& key) {
        if (line.Text.empty()) {
            key = 1;
            return 1;
        }
        int order = 0;
        std::uint64_t high = 0;
        for (std::size_t i = 0; i < HashDigits && (order == 0 || i < 16); ++i) {
            const int digit = HexValue(line.Text[i]);
            if (digit < 0)
                Refuse(offset, "a hash that is not hexadecimal");
            if (order == 0 && digit != target[i])
                order = digit < target[i] ? -1 : 1;
            if (i < 16)
                high = high << 4 | static_cast<std::uint64_t>(digit);
        }
        key = KeyFraction(high);
        return order;
    };
    const auto count = [&](const TLine& line, std::uint64_t offset) {
        std::uint64_t seen = 0;
        for (const char ch : line.Text.substr(HashDigits + 1)) {
            const auto digit = static_cast<std::uint64_t>(ch - '0');
            if (ch < '0' || ch > '9' ||
                seen > (std::numeric_limits<std::uint64_t>::max() - digit) / 10)
                Refuse(offset, "a count that is not a number");
            seen = seen * 10 + digit;
        }
        return seen;
    };

    // Every line that starts before lo has a smaller hash; every line that starts at hi or later
    // a larger one. lo is always the start of a line, hi that of a line or the file's end.
    std::uint64_t lo = loBound.Offset;
    std::uint64_t hi = hiBound.Offset;
    double loKey = loBound.Key;
    double hiKey = hiBound.Key;
    const auto found = [&](const TLine& line, std::uint64_t start) {
        return TFound{count(line, start), {start, targetKey}, {line.Next, targetKey}};
    };
    // The spans before the last three guesses, the oldest first.
    constexpr std::uint64_t Whole = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t spans[3] = {Whole, Whole, Whole};
    int lastMoved = 0; // -1: lo, 1: hi, 0: neither yet
    while (hi - lo > FinalSpan) {
        const std::uint64_t span = hi - lo;
        // The middle where the last three guesses together did not halve the span, so that the
        // search never takes more than four times the steps of halving.
        const bool bisect = span > spans[0] / 2;
        spans[0] = spans[1];
        spans[1] = spans[2];
        spans[2] = span;
        double guess = static_cast<double>(lo) + static_cast<double>(span) / 2;
        if (!bisect) {
            // Where the hash should stand if the hashes between the bounds are spread evenly. The
            // guess is off by about the spread of a binomial count of the lines between them
            // (sigma); twice that either way holds the hash nearly always, and is read at once
            // where that is little. The look goes one sigma past the guess, away from the bound
            // that moved last, so that the next bound is likely to fall on the other side.
            const double share =
                std::clamp((targetKey - loKey) / std::max(hiKey - loKey, 1e-300), 0.0, 1.0);
            const double estimate = static_cast<double>(lo) + share * static_cast<double>(span);
            const double sigma =
                std::sqrt(static_cast<double>(span) / TypicalLine * share * (1 - share)) *
                TypicalLine;
            guess = estimate - lastMoved * sigma;
            const double reach = 2 * sigma + LookAhead;
            const bool held = guess - 1 >= static_cast<double>(FBufferOffset) &&
                              guess + LookAhead <= static_cast<double>(FBufferOffset + FBufferSize);
            if (!held && 2 * reach <= MostRead) {
                const auto from =
                    static_cast<std::uint64_t>(std::max(static_cast<double>(lo), estimate - reach));
                const auto to = static_cast<std::uint64_t>(
                    std::min(static_cast<double>(hi + MaxLine + 2), estimate + reach));
                if (to > from)
                    Bytes(from, static_cast<std::size_t>(to - from));
            }
        }
        const std::uint64_t at = std::clamp<std::uint64_t>(
            static_cast<std::uint64_t>(std::max(guess, 0.0)), lo + 1, hi - 1);
        const std::uint64_t start = LineStartNear(at, lo, hi);
        const TLine line = LineAt(start);
        double key = 0;
        const int order = compare(line, start, key);
        if (order == 0)
            return found(line, start);
        if (order < 0) {
            lo = line.Next;
            loKey = key;
            lastMoved = -1;
        } else {
            hi = start;
            hiKey = key;
            lastMoved = 1;
        }
    }
    // Line by line, each checked to follow the one before, from one read.
    if (lo < hi)
        Bytes(lo, static_cast<std::size_t>(hi - lo) + MaxLine + 2);
    signed char previous[HashDigits];
    bool first = true;
    while (lo < hi) {
        const TLine line = LineAt(lo);
        double key = 0;
        const int order = compare(line, lo, key);
        if (!line.Text.empty()) {
            for (std::size_t i = 0; i < HashDigits && !first; ++i) {
                const int digit = HexValue(line.Text[i]);
                if (digit != previous[i]) {
                    if (digit < previous[i])
                        Refuse(lo, "a hash smaller than the one before it");
                    break;
                }
            }
            for (std::size_t i = 0; i < HashDigits; ++i)
                previous[i] = static_cast<signed char>(HexValue(line.Text[i]));
            first = false;
        }
        if (order == 0)
            return found(line, lo);
        if (order > 0)
            break;
        lo = line.Next;
    }
    return {0, {lo, targetKey}, {lo, targetKey}};
}
