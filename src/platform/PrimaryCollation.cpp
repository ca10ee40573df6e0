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
constexpr std::size_t Ascii = LastAscii - FirstAscii + 1;

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
    // Every text of one or two bytes that holds a learnt byte, and every such text of ASCII, each
    // with its key beside it: thousands of them for every sort, so none is a string of its own.
    struct TProbe {
        // The key's bytes, padded with zeros, then its length: in the order of the keys.
        std::uint64_t Key = 0;
        std::array<char, 2> Text{};
        std::uint8_t Size = 0;
        bool Learnt = false;
    };
    static_assert(2 * MaxWeights * 8 + 3 <= 64);
    std::vector<TProbe> probes;
    probes.reserve((1 + Ascii + learnt.size()) * (Ascii + learnt.size()));
    const auto add = [&](std::initializer_list<unsigned char> bytes) {
        TProbe& probe = probes.emplace_back();
        for (const unsigned char byte : bytes) {
            probe.Text[probe.Size++] = static_cast<char>(byte);
            probe.Learnt = probe.Learnt || !IsAscii(byte);
        }
        std::array<char, 2 * MaxWeights> key{};
        const std::string_view text(probe.Text.data(), probe.Size);
        const std::size_t keySize = KeyLength(text);
        WriteKey(text, key.data());
        for (const char weight : key)
            probe.Key = probe.Key << 8 | static_cast<unsigned char>(weight);
        probe.Key = probe.Key << 3 | keySize;
    };
    for (unsigned char a = FirstAscii; a <= LastAscii; ++a) {
        add({a});
        for (unsigned char b = FirstAscii; b <= LastAscii; ++b)
            add({a, b});
    }
    for (const unsigned char x : learnt) {
        add({x});
        for (const unsigned char y : learnt)
            add({x, y});
        for (unsigned char a = FirstAscii; a <= LastAscii; ++a) {
            add({x, a});
            add({a, x});
        }
    }
    std::stable_sort(probes.begin(), probes.end(),
                     [](const TProbe& a, const TProbe& b) { return a.Key < b.Key; });

    // Each byte stands for one character: a text's characters are those of its bytes.
    const auto compare = [&](const TProbe& a, const TProbe& b) {
        const auto characters = [](const TProbe& probe) {
            std::array<char16_t, 2> text{};
            for (std::size_t i = 0; i < probe.Size; ++i)
                text[i] = AnsiByteCharacter(static_cast<unsigned char>(probe.Text[i]));
            return text;
        };
        const std::array<char16_t, 2> textA = characters(a);
        const std::array<char16_t, 2> textB = characters(b);
        return collator.compare(QStringView(textA.data(), a.Size),
                                QStringView(textB.data(), b.Size));
    };
    // Texts of equal keys may stand in any order among themselves, as the collator orders them
    // when names tie; each group must come wholly before the next. Groups of ASCII only are
    // TAsciiCollation's, checked already.
    bool previousLearnt = false;
    const TProbe* previousLast = nullptr;
    for (auto from = probes.begin(); from != probes.end();) {
        auto to = from + 1;
        while (to != probes.end() && to->Key == from->Key)
            ++to;
        const bool groupLearnt =
            std::any_of(from, to, [](const TProbe& probe) { return probe.Learnt; });
        if (groupLearnt)
            std::stable_sort(from, to,
                             [&](const TProbe& a, const TProbe& b) { return compare(a, b) < 0; });
        if (previousLast && (groupLearnt || previousLearnt) && compare(*previousLast, *from) >= 0)
            return false;
        previousLearnt = groupLearnt;
        previousLast = &*(to - 1);
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
