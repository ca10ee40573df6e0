#include "platform/PrimaryCollation.h"

#include "base/TwoCores.h"
#include "platform/Codepage.h"

#include <QString>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string>

namespace {

constexpr unsigned char FirstAscii = ' ';
constexpr unsigned char LastAscii = '~';

bool IsAscii(unsigned char byte) noexcept {
    return byte >= FirstAscii && byte <= LastAscii;
}

// Letters that stand for two, or a letter with a stroke: what the Unicode decomposition does not
// tell. The collator decides whether each holds in the locale.
struct TSpelling {
    char16_t Character;
    const char* Letters;
};
constexpr TSpelling Spellings[] = {{u'\u00DF', "ss"}, {u'\u00E6', "ae"}, {u'\u00C6', "AE"},
                                   {u'\u0153', "oe"}, {u'\u0152', "OE"}, {u'\u00F8', "o"},
                                   {u'\u00D8', "O"},  {u'\u00F0', "d"},  {u'\u00D0', "D"},
                                   {u'\u00FE', "th"}, {u'\u00DE', "TH"}};

QString OneByte(unsigned char byte) {
    return AnsiToQString(std::string(1, static_cast<char>(byte)));
}

// The ASCII letters a character may weigh as, likeliest first: its spelling above, the ASCII
// part of its compatibility decomposition (é: e, ™: TM), or nothing (controls, soft hyphen).
std::vector<std::string> Candidates(const QString& character, std::size_t longest) {
    std::vector<std::string> candidates;
    for (const TSpelling& spelling : Spellings)
        if (character.size() == 1 && character[0].unicode() == spelling.Character)
            candidates.emplace_back(spelling.Letters);
    std::string ascii;
    bool decomposes = true;
    for (const QChar ch : character.normalized(QString::NormalizationForm_KD)) {
        if (ch.unicode() >= FirstAscii && ch.unicode() <= LastAscii)
            ascii += static_cast<char>(ch.unicode());
        else if (ch.category() != QChar::Mark_NonSpacing)
            decomposes = false;
    }
    if (decomposes && !ascii.empty() && ascii.size() <= longest)
        candidates.push_back(ascii);
    candidates.emplace_back();
    return candidates;
}

// Whether eight bytes are all printable ASCII. A no may be wrong (a borrow carries into the next
// byte), never a yes: the lowest byte below ' ' wraps to a high bit, as does the lowest DEL once
// made zero.
bool AllPrintableAscii(std::uint64_t word) noexcept {
    constexpr std::uint64_t ones = 0x0101010101010101;
    constexpr std::uint64_t highs = 0x80 * ones;
    return ((word | (word - FirstAscii * ones) | ((word ^ (0x7F * ones)) - ones)) & highs) == 0;
}

} // namespace

// Found on both cores. Most names are ASCII: eight bytes at a time are passed over where all are.
std::array<bool, 256> BytesBeyondAscii(const std::vector<std::string_view>& texts) {
    std::array<bool, 256> here{};
    std::array<bool, 256> there{};
    const auto scanInto = [&texts](std::array<bool, 256>& present) {
        return [&texts, &present](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i) {
                const std::string_view text = texts[i];
                std::size_t at = 0;
                for (std::uint64_t word; at + sizeof word <= text.size(); at += sizeof word) {
                    std::memcpy(&word, text.data() + at, sizeof word);
                    if (AllPrintableAscii(word))
                        continue;
                    for (std::size_t k = at; k < at + sizeof word; ++k)
                        present[static_cast<unsigned char>(text[k])] = true;
                }
                for (; at < text.size(); ++at)
                    present[static_cast<unsigned char>(text[at])] = true;
            }
        };
    };
    OnTwoCores(texts.size(), texts.size() / 2, scanInto(here), scanInto(there));
    for (std::size_t byte = 0; byte < here.size(); ++byte)
        here[byte] = (here[byte] || there[byte]) && !IsAscii(static_cast<unsigned char>(byte));
    return here;
}

TPrimaryKeys::TPrimaryKeys(const QCollator& collator, const TAsciiCollation& ascii,
                           const std::vector<std::string_view>& texts) {
    for (unsigned char byte = FirstAscii; byte <= LastAscii; ++byte) {
        FWeights[byte][0] = ascii.Weight(static_cast<char>(byte));
        FCount[byte] = 1;
        FKnown[byte] = true;
    }
    LearnCase(collator);

    const std::array<bool, 256> present = BytesBeyondAscii(texts);
    std::vector<unsigned char> learnt;
    for (std::size_t byte = 0; byte < present.size(); ++byte) {
        if (!present[byte] || FKnown[byte])
            continue;
        const QString character = OneByte(static_cast<unsigned char>(byte));
        const QString a = QStringLiteral("a");
        const QString b = QStringLiteral("b");
        for (const std::string& letters : Candidates(character, MaxWeights)) {
            // Weighing as the letters, the character lets the next one decide against them.
            const QString spelt = QString::fromLatin1(letters);
            if (collator.compare(character + a, spelt + b) >= 0 ||
                collator.compare(character + b, spelt + a) <= 0)
                continue;
            for (std::size_t i = 0; i < letters.size(); ++i)
                FWeights[byte][i] = FWeights[static_cast<unsigned char>(letters[i])][0];
            FCount[byte] = static_cast<std::uint8_t>(letters.size());
            FKnown[byte] = true;
            learnt.push_back(static_cast<unsigned char>(byte));
            break;
        }
    }
    if (!learnt.empty() && !Verified(collator, learnt))
        for (const unsigned char byte : learnt)
            FKnown[byte] = false;
    for (std::size_t byte = 0; byte < FLengthOrUnknown.size(); ++byte)
        FLengthOrUnknown[byte] = FKnown[byte] ? FCount[byte] : Unknown;
}

void TPrimaryKeys::LearnCase(const QCollator& collator) {
    std::iota(FLower.begin(), FLower.end(), 0);
    for (int byte = 0; byte < 256; ++byte) {
        const QString character = OneByte(static_cast<unsigned char>(byte));
        const QString lower = character.toLower();
        if (lower == character || !IsAnsiText(lower) || lower.size() != 1)
            continue;
        // Only where the collator agrees that case does not count for the letter.
        if (collator.compare(character, lower) == 0)
            FLower[static_cast<std::size_t>(byte)] =
                static_cast<unsigned char>(QStringToAnsi(lower)[0]);
    }
}

bool TPrimaryKeys::Verified(const QCollator& collator,
                            const std::vector<unsigned char>& learnt) const {
    std::vector<std::string> texts;
    for (unsigned char a = FirstAscii; a <= LastAscii; ++a) {
        texts.emplace_back(1, static_cast<char>(a));
        for (unsigned char b = FirstAscii; b <= LastAscii; ++b)
            texts.push_back({static_cast<char>(a), static_cast<char>(b)});
    }
    for (const unsigned char x : learnt) {
        texts.emplace_back(1, static_cast<char>(x));
        for (const unsigned char y : learnt)
            texts.push_back({static_cast<char>(x), static_cast<char>(y)});
        for (unsigned char a = FirstAscii; a <= LastAscii; ++a) {
            texts.push_back({static_cast<char>(x), static_cast<char>(a)});
            texts.push_back({static_cast<char>(a), static_cast<char>(x)});
        }
    }
    std::vector<std::string> keys;
    keys.reserve(texts.size());
    for (const std::string& text : texts) {
        std::string key(KeyLength(text), '\0');
        WriteKey(text, key.data());
        keys.push_back(std::move(key));
    }
    std::vector<std::size_t> order(texts.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });

    // Texts of equal keys may stand in any order among themselves, as the collator orders them
    // when names tie; each group must come wholly before the next. Groups of ASCII only are
    // TAsciiCollation's, checked already.
    const auto holdsLearnt = [&](std::size_t i) {
        return !std::all_of(texts[i].begin(), texts[i].end(),
                            [](char ch) { return IsAscii(static_cast<unsigned char>(ch)); });
    };
    const auto compare = [&](std::size_t a, std::size_t b) {
        return collator.compare(AnsiToQString(texts[a]), AnsiToQString(texts[b]));
    };
    bool previousLearnt = false;
    std::size_t previousLast = 0;
    for (std::size_t from = 0; from < order.size();) {
        std::size_t to = from + 1;
        while (to < order.size() && keys[order[to]] == keys[order[from]])
            ++to;
        const bool groupLearnt =
            std::any_of(order.begin() + static_cast<std::ptrdiff_t>(from),
                        order.begin() + static_cast<std::ptrdiff_t>(to), holdsLearnt);
        if (groupLearnt)
            std::stable_sort(order.begin() + static_cast<std::ptrdiff_t>(from),
                             order.begin() + static_cast<std::ptrdiff_t>(to),
                             [&](std::size_t a, std::size_t b) { return compare(a, b) < 0; });
        if (from > 0 && (groupLearnt || previousLearnt) && compare(previousLast, order[from]) >= 0)
            return false;
        previousLearnt = groupLearnt;
        previousLast = order[to - 1];
        from = to;
    }
    return true;
}

std::size_t TPrimaryKeys::KeyLength(std::string_view text) const noexcept {
    std::size_t length = 0;
    for (const char ch : text)
        length += FCount[static_cast<unsigned char>(ch)];
    return length;
}

char* TPrimaryKeys::WriteKey(std::string_view text, char* out) const noexcept {
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        for (std::size_t i = 0; i < FCount[byte]; ++i)
            *out++ = static_cast<char>(FWeights[byte][i]);
    }
    return out;
}

bool TPrimaryKeys::SameIgnoringCase(std::string_view a, std::string_view b) const noexcept {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FLower[static_cast<unsigned char>(a[i])] != FLower[static_cast<unsigned char>(b[i])])
            return false;
    return true;
}
