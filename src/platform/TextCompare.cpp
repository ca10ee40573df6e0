#include "platform/TextCompare.h"

#include "base/Prefetch.h"
#include "base/SecureWipe.h"
#include "base/TwoCores.h"
#include "platform/AsciiCollation.h"
#include "platform/Codepage.h"
#include "platform/PrimaryCollation.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <future>
#include <iterator>
#include <limits>
#include <memory>
#include <numeric>
#include <optional>
#include <span>
#include <utility>

namespace {

// In the C locale QCollator compares case-insensitively but makes case-sensitive sort keys, so
// there both orderings use case-folded text instead, and agree.
struct TCollation {
    QCollator Collator;
    bool Folding;
    // Other locales: printable ASCII texts by weights, where the locale allows it.
    std::optional<TAsciiCollation> Ascii;

    bool WeighsAscii() const noexcept { return Ascii && Ascii->Usable(); }
};

TCollation MakeCollation(QCollator collator) {
    const bool folding = collator.locale().language() == QLocale::C;
    // Sets the collator up now, so that the shared one is never changed while in use.
    collator.compare(QStringLiteral("a"), QStringLiteral("b"));
    TCollation collation{std::move(collator), folding, std::nullopt};
    if (!folding)
        collation.Ascii.emplace(collation.Collator);
    return collation;
}

// Made once: opening a collator costs far more than one comparison. The user's locale does not
// change while the program runs.
const TCollation& Collation() {
    static const TCollation collation = MakeCollation(TextLocaleCollator());
    return collation;
}

// The folded UTF-16 units of every Windows-1252 byte, taken from Qt itself so that the byte-wise
// comparisons below agree with QString::toCaseFolded exactly. Folding is per character, without
// context, so the folding of a text is the folding of its bytes one after the other.
struct TFoldTable {
    static constexpr std::size_t MaxUnits = 3;
    std::array<std::array<char16_t, MaxUnits>, 256> Units{};
    std::array<std::uint8_t, 256> Count{};
    // Each unit's place among all the units above, from 1: fewer than 256 of them differ, so a
    // byte per unit orders as the units do, and a key is half as long as in UTF-16.
    std::array<std::array<std::uint8_t, MaxUnits>, 256> Ranks{};
    bool Ranked = false;
};

TFoldTable MakeFoldTable() {
    TFoldTable table;
    for (int byte = 0; byte < 256; ++byte) {
        const QString folded =
            AnsiToQString(std::string(1, static_cast<char>(byte))).toCaseFolded();
        const auto count =
            std::min<std::size_t>(static_cast<std::size_t>(folded.size()), TFoldTable::MaxUnits);
        for (std::size_t i = 0; i < count; ++i)
            table.Units[static_cast<std::size_t>(byte)][i] =
                folded[static_cast<qsizetype>(i)].unicode();
        table.Count[static_cast<std::size_t>(byte)] = static_cast<std::uint8_t>(count);
    }
    std::vector<char16_t> units;
    for (std::size_t byte = 0; byte < 256; ++byte)
        units.insert(units.end(), table.Units[byte].begin(),
                     table.Units[byte].begin() + table.Count[byte]);
    std::sort(units.begin(), units.end());
    units.erase(std::unique(units.begin(), units.end()), units.end());
    table.Ranked = units.size() < 256;
    for (std::size_t byte = 0; byte < 256 && table.Ranked; ++byte)
        for (std::size_t i = 0; i < table.Count[byte]; ++i)
            table.Ranks[byte][i] = static_cast<std::uint8_t>(
                1 + (std::lower_bound(units.begin(), units.end(), table.Units[byte][i]) -
                     units.begin()));
    return table;
}

const TFoldTable& FoldTable() {
    static const TFoldTable table = MakeFoldTable();
    return table;
}

// Walks a text's folded units one at a time.
class TFoldedUnits {
public:
    TFoldedUnits(const TFoldTable& table, std::string_view text) : FTable(table), FText(text) {}
    // The next unit, or -1 at the end.
    int Next() noexcept {
        while (FAt < FText.size()) {
            const auto byte = static_cast<unsigned char>(FText[FAt]);
            if (FUnit < FTable.Count[byte])
                return FTable.Units[byte][FUnit++];
            ++FAt;
            FUnit = 0;
        }
        return -1;
    }

private:
    const TFoldTable& FTable;
    std::string_view FText;
    std::size_t FAt = 0;
    std::size_t FUnit = 0;
};

template <typename Key, typename Compare>
std::vector<int> OrderByKeys(const std::vector<Key>& keys, Compare compare) {
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    // Equal texts keep their order, so that sorting the same list always gives the same result.
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const int result =
            compare(keys[static_cast<std::size_t>(a)], keys[static_cast<std::size_t>(b)]);
        return result < 0 || (result == 0 && a < b);
    });
    return order;
}

int CompareKeys(std::string_view a, std::string_view b) noexcept {
    const int result = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
    if (result != 0)
        return result;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// Sixteen bytes' worth of a text's order from one of its bytes on, as two numbers, zeros after
// its end: prefixes that differ order their texts, and most texts differ in the first sixteen
// bytes (names from a few common words within eight characters, record lines within four). The
// sort compares numbers held next to their indices instead of reaching into the texts scattered
// over the heap. Texts that tie are sorted again by the prefixes after the bytes they all share,
// so that a long start common to many names or lines costs one pass over it.
struct TPrefixed {
    std::uint64_t High;
    std::uint64_t Low;
    int Index;
};

bool SamePrefix(const TPrefixed& a, const TPrefixed& b) noexcept {
    return a.High == b.High && a.Low == b.Low;
}

bool PrefixBefore(const TPrefixed& a, const TPrefixed& b) noexcept {
    return a.High != b.High ? a.High < b.High : a.Low < b.Low;
}

// Eight folded units from a byte on: equal bytes fold alike, so texts that share their bytes
// before it compare as their folded units from it.
TPrefixed FoldedPrefix(const TFoldTable& table, std::string_view text, int index,
                       std::size_t from) noexcept {
    TFoldedUnits units(table, text.substr(std::min(from, text.size())));
    TPrefixed prefixed{0, 0, index};
    for (std::uint64_t* half : {&prefixed.High, &prefixed.Low}) {
        for (int i = 0; i < 4; ++i) {
            const int unit = units.Next();
            *half = (*half << 16) | static_cast<std::uint64_t>(unit < 0 ? 0 : unit);
        }
    }
    return prefixed;
}

// How many of the first `shared` bytes of head the other text shares, the bytes before `from`
// being known to match. Most texts share them all, which one memcmp tells.
std::size_t SharedStart(std::string_view head, std::size_t shared, std::string_view other,
                        std::size_t from) noexcept {
    if (other.size() >= shared &&
        std::memcmp(head.data() + from, other.data() + from, shared - from) == 0)
        return shared;
    const auto end = head.begin() + static_cast<std::ptrdiff_t>(shared);
    const auto mismatch =
        std::mismatch(head.begin() + static_cast<std::ptrdiff_t>(from), end,
                      other.begin() + static_cast<std::ptrdiff_t>(from), other.end());
    return static_cast<std::size_t>(mismatch.first - head.begin());
}

// Fewer ties than this are left to the whole comparison at once.
constexpr std::ptrdiff_t RefinedTies = 8;

using TPrefixedIt = std::vector<TPrefixed>::iterator;

template <typename Text, typename Prefix, typename Compare>
void SortPrefixed(TPrefixedIt first, TPrefixedIt last, std::size_t from, const Text& text,
                  const Prefix& prefix, const Compare& compare);

// The texts from first to last are sorted by their prefixes from the byte from on; those of
// equal prefixes are put in order among themselves. text(i) is the text (or key) of index i,
// prefix(i, from) its TPrefixed from a byte on, compare(a, b) compares two whole texts.
template <typename Text, typename Prefix, typename Compare>
void SortTies(TPrefixedIt first, TPrefixedIt last, std::size_t from, const Text& text,
              const Prefix& prefix, const Compare& compare) {
    for (TPrefixedIt begin = first; begin != last;) {
        TPrefixedIt end = std::next(begin);
        while (end != last && SamePrefix(*begin, *end))
            ++end;
        std::size_t shared = 0;
        if (end - begin >= RefinedTies) {
            const std::string_view head = text(static_cast<std::size_t>(begin->Index));
            shared = head.size();
            for (TPrefixedIt it = std::next(begin); it != end && shared > from; ++it) {
                // The texts lie apart from one another: each is asked for some steps early.
                if (end - it > static_cast<std::ptrdiff_t>(PrefetchDistance))
                    PrefetchForRead(
                        text(static_cast<std::size_t>(it[PrefetchDistance].Index)).data());
                shared = SharedStart(head, shared, text(static_cast<std::size_t>(it->Index)), from);
            }
        }
        if (shared > from) {
            for (TPrefixedIt it = begin; it != end; ++it)
                *it = prefix(static_cast<std::size_t>(it->Index), shared);
            SortPrefixed(begin, end, shared, text, prefix, compare);
        } else if (end - begin > 1) {
            // Equal texts keep their order, so that sorting the same list always gives the same
            // result.
            std::sort(begin, end, [&](const TPrefixed& a, const TPrefixed& b) {
                const int result =
                    compare(static_cast<std::size_t>(a.Index), static_cast<std::size_t>(b.Index));
                return result < 0 || (result == 0 && a.Index < b.Index);
            });
        }
        begin = end;
    }
}

// The texts from first to last have equal prefixes before the byte from; as SortTies.
template <typename Text, typename Prefix, typename Compare>
void SortPrefixed(TPrefixedIt first, TPrefixedIt last, std::size_t from, const Text& text,
                  const Prefix& prefix, const Compare& compare) {
    std::sort(first, last, PrefixBefore);
    SortTies(first, last, from, text, prefix, compare);
}

// How many of the first `taken` items of the merge of two runs sorted by prefix come from the
// first run, which goes first among equal prefixes.
std::size_t MergeSplit(std::span<const TPrefixed> first, std::span<const TPrefixed> later,
                       std::size_t taken) noexcept {
    std::size_t low = taken > later.size() ? taken - later.size() : 0;
    std::size_t high = std::min(taken, first.size());
    // The smallest count from the first run whose next item does not go after the later run's
    // last one taken.
    while (low < high) {
        const std::size_t mid = low + (high - low) / 2;
        const std::size_t fromLater = taken - mid;
        if (fromLater == 0 || PrefixBefore(later[fromLater - 1], first[mid]))
            high = mid;
        else
            low = mid + 1;
    }
    return low;
}

// The items, whose halves before and from `half` are each sorted by prefix, merged by prefix.
// The two halves of the result are merged one on each core, each from where it starts in both
// runs. Only the prefixes are read: no text is reached for.
std::vector<TPrefixed> MergeHalves(const std::vector<TPrefixed>& items, std::size_t half) {
    const std::span<const TPrefixed> first(items.data(), half);
    const std::span<const TPrefixed> later(items.data() + half, items.size() - half);
    std::vector<TPrefixed> merged(items.size());
    const std::size_t taken = items.size() / 2;
    const std::size_t split = MergeSplit(first, later, taken);
    const auto mergeFrom = [&](std::size_t i, std::size_t j, std::size_t end) {
        for (std::size_t at = i + j; at < end; ++at) {
            const bool takeLater =
                j < later.size() && (i == first.size() || PrefixBefore(later[j], first[i]));
            merged[at] = takeLater ? later[j++] : first[i++];
        }
    };
    OnTwoCores(
        items.size(), taken, [&](std::size_t, std::size_t end) { mergeFrom(0, 0, end); },
        [&](std::size_t, std::size_t end) { mergeFrom(split, taken - split, end); });
    return merged;
}

// With `parallel`, many texts are sorted by their prefixes in two halves, one on each core, and
// the halves merged by their prefixes, on both cores; the ties are put in order last, each core
// taking the groups of equal prefixes in its half of the result. Reaching into the texts (the
// slow part) is left to that last step: no merge step waits for a text.
// makeCompare(onOtherThread) gives the compare of each thread; text and prefix may be called by
// both at once.
template <typename Text, typename Prefix, typename MakeCompare>
std::vector<int> OrderByPrefixes(std::size_t count, Text text, Prefix prefix,
                                 MakeCompare makeCompare, bool parallel = false) {
    // The start that all texts share, as in a vault whose every name begins alike, is passed at
    // once.
    std::size_t shared = count == 0 ? 0 : text(0).size();
    for (std::size_t i = 1; i < count && shared > 0; ++i)
        shared = SharedStart(text(0), shared, text(i), 0);
    std::vector<TPrefixed> items(count);
    const auto compare = makeCompare(false);
    if (!parallel || count < TwoCoreItems) {
        for (std::size_t i = 0; i < count; ++i)
            items[i] = prefix(i, shared);
        SortPrefixed(items.begin(), items.end(), shared, text, prefix, compare);
    } else {
        const auto sortPart = [&](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i)
                items[i] = prefix(i, shared);
            std::sort(items.begin() + static_cast<std::ptrdiff_t>(begin),
                      items.begin() + static_cast<std::ptrdiff_t>(end), PrefixBefore);
        };
        OnTwoCores(count, count / 2, sortPart, sortPart);
        items = MergeHalves(items, count / 2);
        // Split where a group of equal prefixes ends, so that each core has whole groups.
        std::size_t split = count / 2;
        while (split < count && SamePrefix(items[split - 1], items[split]))
            ++split;
        const auto tiesOf = [&](std::size_t begin, std::size_t end, const auto& partCompare) {
            SortTies(items.begin() + static_cast<std::ptrdiff_t>(begin),
                     items.begin() + static_cast<std::ptrdiff_t>(end), shared, text, prefix,
                     partCompare);
        };
        OnTwoCores(
            count, split, [&](std::size_t begin, std::size_t end) { tiesOf(begin, end, compare); },
            [&](std::size_t begin, std::size_t end) { tiesOf(begin, end, makeCompare(true)); });
    }
    std::vector<int> order(count);
    for (std::size_t i = 0; i < count; ++i)
        order[i] = items[i].Index;
    return order;
}

// Eight bytes of a key from the given one, the first in the highest byte, zeros after its end.
std::uint64_t BigEndianAt(std::string_view key, std::size_t from) noexcept {
    std::uint64_t number = 0;
    for (std::size_t i = from; i < from + 8; ++i)
        number = (number << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    return number;
}

// Byte keys sorted as by memcmp, ties broken by makeTie(onOtherThread)(a, b) and then by index.
template <typename MakeTie>
std::vector<int> OrderByByteKeys(const std::vector<std::string_view>& keys, MakeTie makeTie,
                                 bool parallel = false) {
    return OrderByPrefixes(
        keys.size(), [&](std::size_t i) { return keys[i]; },
        [&](std::size_t i, std::size_t from) {
            return TPrefixed{BigEndianAt(keys[i], from), BigEndianAt(keys[i], from + 8),
                             static_cast<int>(i)};
        },
        [&](bool onOtherThread) {
            return [&keys, tie = makeTie(onOtherThread)](std::size_t a, std::size_t b) {
                const int result = CompareKeys(keys[a], keys[b]);
                return result != 0 ? result : tie(a, b);
            };
        },
        parallel);
}

// No tie-break: equal keys are equal texts.
const auto NoTie = [](bool) { return [](std::size_t, std::size_t) { return 0; }; };

// Byte keys of many texts in one block, made on both cores: length(text) is the size of a text's
// key, or NoKey for a text that has none, and write(text, out) writes the key and returns its end.
class TKeyBlock {
public:
    static constexpr std::size_t NoKey = std::numeric_limits<std::size_t>::max();

    template <typename Length, typename Write>
    TKeyBlock(const std::vector<std::string_view>& texts, Length length, Write write)
        : FKeys(texts.size()), FStarts(texts.size()) {
        const std::size_t count = texts.size();
        const auto lengthPart = [&](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i)
                FStarts[i] = length(texts[i]);
        };
        OnTwoCores(count, count / 2, lengthPart, lengthPart);
        std::size_t total = 0;
        for (std::size_t& start : FStarts) {
            if (start != NoKey)
                total += std::exchange(start, total);
            else
                ++FMissing;
        }
        // Not cleared first: the keys fill every byte, each on the core that writes it.
        FBytes = std::make_unique_for_overwrite<char[]>(total);
        FSize = total;
        const auto writePart = [&](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i) {
                if (FStarts[i] == NoKey)
                    continue;
                char* const start = FBytes.get() + FStarts[i];
                FKeys[i] = std::string_view(
                    start, static_cast<std::size_t>(write(texts[i], start) - start));
            }
        };
        OnTwoCores(count, count / 2, writePart, writePart);
    }
    ~TKeyBlock() { SecureZero(FBytes.get(), FSize); } // the names' letters
    TKeyBlock(const TKeyBlock&) = delete;
    TKeyBlock& operator=(const TKeyBlock&) = delete;

    bool Has(std::size_t i) const noexcept { return FStarts[i] != NoKey; }
    // How many texts have no key.
    std::size_t Missing() const noexcept { return FMissing; }
    // The key of every text, empty for one that has none.
    const std::vector<std::string_view>& Keys() const noexcept { return FKeys; }

private:
    std::unique_ptr<char[]> FBytes;
    std::size_t FSize = 0;
    std::vector<std::string_view> FKeys;
    std::vector<std::size_t> FStarts; // where each key starts in FBytes, or NoKey
    std::size_t FMissing = 0;
};

std::vector<int> FoldedOrder(const std::vector<std::string_view>& texts) {
    const TFoldTable& table = FoldTable();
    const std::size_t unitBytes = table.Ranked ? 1 : 2;
    const TKeyBlock block(
        texts,
        [&](std::string_view text) {
            std::size_t length = 0;
            for (const char ch : text)
                length += unitBytes * table.Count[static_cast<unsigned char>(ch)];
            return length;
        },
        [&](std::string_view text, char* out) {
            for (const char ch : text) {
                const auto byte = static_cast<unsigned char>(ch);
                for (std::size_t i = 0; i < table.Count[byte]; ++i) {
                    if (table.Ranked) {
                        *out++ = static_cast<char>(table.Ranks[byte][i]);
                    } else {
                        *out++ = static_cast<char>(table.Units[byte][i] >> 8);
                        *out++ = static_cast<char>(table.Units[byte][i] & 0xFF);
                    }
                }
            }
            return out;
        });
    // Keys alone decide: both cores may sort them.
    return OrderByByteKeys(block.Keys(), NoTie, true);
}

// The sort keys of texts 0..count-1, text(i) giving each as a QString. Many texts share the work
// with a second thread, which opens a collator of its own, as one collator must not be used by two
// threads at once; keys of the same locale and settings compare alike whichever made them.
template <typename Text>
std::vector<QCollatorSortKey> CollatorSortKeys(const QCollator& collator, std::size_t count,
                                               const Text& text) {
    const auto keysOf = [&](const QCollator& collator, std::size_t from, std::size_t to) {
        std::vector<QCollatorSortKey> keys;
        keys.reserve(to - from);
        for (std::size_t i = from; i < to; ++i)
            keys.push_back(collator.sortKey(text(i)));
        return keys;
    };
    if (count < TwoCoreItems)
        return keysOf(collator, 0, count);
    const std::size_t half = count / 2;
    std::future<std::vector<QCollatorSortKey>> second = std::async(std::launch::async, [&] {
        QCollator own{collator.locale()};
        own.setCaseSensitivity(collator.caseSensitivity());
        return keysOf(own, half, count);
    });
    std::vector<QCollatorSortKey> keys = keysOf(collator, 0, half);
    std::vector<QCollatorSortKey> rest = second.get();
    keys.insert(keys.end(), std::make_move_iterator(rest.begin()),
                std::make_move_iterator(rest.end()));
    return keys;
}

std::vector<int> OrderBySortKeys(const std::vector<QCollatorSortKey>& keys) {
    return OrderByKeys(
        keys, [](const QCollatorSortKey& a, const QCollatorSortKey& b) { return a.compare(b); });
}

std::vector<int> CollatedOrder(const QCollator& collator, const std::vector<QString>& texts) {
    return OrderBySortKeys(CollatorSortKeys(
        collator, texts.size(), [&](std::size_t i) -> const QString& { return texts[i]; }));
}

std::vector<int> CollatedOrder(const QCollator& collator,
                               const std::vector<std::string_view>& texts) {
    return OrderBySortKeys(CollatorSortKeys(collator, texts.size(), [&](std::size_t i) {
        return AnsiToQString(std::string(texts[i]));
    }));
}

template <typename TTexts> std::vector<int> FoldedOrderInPlace(const TTexts& texts) {
    const TFoldTable& table = FoldTable();
    return OrderByPrefixes(
        texts.size(), [&](std::size_t i) { return std::string_view(texts[i]); },
        [&](std::size_t i, std::size_t from) {
            return FoldedPrefix(table, texts[i], static_cast<int>(i), from);
        },
        [&](bool) {
            return
                [&](std::size_t a, std::size_t b) { return CompareCaseFolded(texts[a], texts[b]); };
        });
}

// Texts that TAsciiCollation covers, by their weights.
template <typename TTexts>
std::vector<int> AsciiOrder(const TAsciiCollation& ascii, const TTexts& texts) {
    return OrderByPrefixes(
        texts.size(), [&](std::size_t i) { return std::string_view(texts[i]); },
        [&](std::size_t i, std::size_t from) {
            return TPrefixed{ascii.Prefix(texts[i], from), ascii.Prefix(texts[i], from + 8),
                             static_cast<int>(i)};
        },
        [&](bool) {
            return [&](std::size_t a, std::size_t b) { return ascii.Compare(texts[a], texts[b]); };
        });
}

template <typename TTexts> bool AllCovered(const TTexts& texts) {
    for (std::size_t i = 0; i < texts.size(); ++i)
        if (!TAsciiCollation::Covers(texts[i]))
            return false;
    return true;
}

// Whether each text sorts no later than the next under compare.
template <typename TTexts, typename Compare> bool InOrder(const TTexts& texts, Compare compare) {
    for (std::size_t i = 1; i < texts.size(); ++i)
        if (compare(texts[i - 1], texts[i]) > 0)
            return false;
    return true;
}

QString ToQString(std::string_view text) {
    return AnsiToQString(std::string(text));
}

// Breaks the ties of equal primary keys: names that differ in case only are equal, and the
// collator decides the others. A collator must not be used by two threads at once: on the other
// thread the tie opens one of its own, at its first tie.
class TPrimaryTie {
public:
    // The locale is the shared collator's, taken on the thread that uses that collator.
    TPrimaryTie(const TPrimaryKeys& primaries, const QCollator& shared, const QLocale& locale,
                bool own, const std::vector<std::string_view>& texts,
                const std::vector<int>* knownIndex)
        : FPrimaries(primaries), FShared(shared), FLocale(locale), FCase(shared.caseSensitivity()),
          FOwn(own), FTexts(texts), FKnownIndex(knownIndex) {}

    int operator()(std::size_t a, std::size_t b) const {
        const std::string_view textA = FTexts[TextIndex(a)];
        const std::string_view textB = FTexts[TextIndex(b)];
        if (FPrimaries.SameIgnoringCase(textA, textB))
            return 0;
        return Collator().compare(ToQString(textA), ToQString(textB));
    }

private:
    std::size_t TextIndex(std::size_t key) const noexcept {
        return FKnownIndex ? static_cast<std::size_t>((*FKnownIndex)[key]) : key;
    }

    const QCollator& Collator() const {
        if (!FOwn)
            return FShared;
        if (!FMade) {
            FMade.emplace(FLocale);
            FMade->setCaseSensitivity(FCase);
        }
        return *FMade;
    }

    const TPrimaryKeys& FPrimaries;
    const QCollator& FShared;
    const QLocale& FLocale;
    Qt::CaseSensitivity FCase;
    bool FOwn;
    const std::vector<std::string_view>& FTexts;
    const std::vector<int>* FKnownIndex; // the text of each key, or none where all have keys
    mutable std::optional<QCollator> FMade;
};

// Names in a locale that weighs ASCII: those whose every character has a learnt weight (nearly
// all, as a rule) by their byte keys made once, in one block; the others by sort keys, and each
// of those then put in among the first by a search. With many others, sort keys for all cost less.
std::vector<int> PrimaryOrder(const TCollation& collation,
                              const std::vector<std::string_view>& texts) {
    const QCollator& collator = collation.Collator;
    const TPrimaryKeys primaries(collator, *collation.Ascii, texts);
    const TKeyBlock block(
        texts,
        [&](std::string_view text) {
            return primaries.KnownKeyLength(text).value_or(TKeyBlock::NoKey);
        },
        [&](std::string_view text, char* out) { return primaries.WriteKey(text, out); });
    const QLocale locale = collator.locale();
    // The keys' order; knownIndex gives the text of each key, or none the text of the same index.
    const auto orderOfKeys = [&](const std::vector<std::string_view>& keys,
                                 const std::vector<int>* knownIndex) {
        return OrderByByteKeys(
            keys,
            [&](bool onOtherThread) {
                return TPrimaryTie(primaries, collator, locale, onOtherThread, texts, knownIndex);
            },
            true);
    };
    // As a rule every name has a key: the keys are sorted where they stand.
    if (block.Missing() == 0)
        return orderOfKeys(block.Keys(), nullptr);
    std::vector<int> knownIndex;
    std::vector<int> otherIndex;
    std::vector<std::string_view> keys;
    keys.reserve(texts.size());
    knownIndex.reserve(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (block.Has(i)) {
            knownIndex.push_back(static_cast<int>(i));
            keys.push_back(block.Keys()[i]);
        } else {
            otherIndex.push_back(static_cast<int>(i));
        }
    }
    if (otherIndex.size() > texts.size() / 8)
        return CollatedOrder(collator, texts);

    const auto text = [&](int i) { return texts[static_cast<std::size_t>(i)]; };
    std::vector<int> knownOrder = orderOfKeys(keys, &knownIndex);
    for (int& at : knownOrder)
        at = knownIndex[static_cast<std::size_t>(at)];

    std::vector<QString> others;
    others.reserve(otherIndex.size());
    for (const int i : otherIndex)
        others.push_back(ToQString(text(i)));
    std::vector<int> order;
    order.reserve(texts.size());
    auto from = knownOrder.begin();
    for (const int at : CollatedOrder(collator, others)) {
        const int index = otherIndex[static_cast<std::size_t>(at)];
        const QString& other = others[static_cast<std::size_t>(at)];
        // Equal texts keep their order here too.
        const auto place = std::partition_point(from, knownOrder.end(), [&](int before) {
            const int result = collator.compare(ToQString(text(before)), other);
            return result < 0 || (result == 0 && before < index);
        });
        order.insert(order.end(), from, place);
        order.push_back(index);
        from = place;
    }
    order.insert(order.end(), from, knownOrder.end());
    return order;
}

std::vector<int> SortedOrderIn(const TCollation& collation,
                               const std::vector<std::string_view>& texts) {
    if (collation.Folding)
        return FoldedOrder(texts);
    if (collation.WeighsAscii())
        return PrimaryOrder(collation, texts);
    return CollatedOrder(collation.Collator, texts);
}

} // namespace

QCollator TextLocaleCollator() {
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

int CompareCaseFolded(std::string_view a, std::string_view b) noexcept {
    const TFoldTable& table = FoldTable();
    // Equal bytes fold alike: the common head is skipped unfolded.
    const auto mismatch = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    const auto skipped = static_cast<std::size_t>(mismatch.first - a.begin());
    TFoldedUnits unitsA(table, a.substr(skipped));
    TFoldedUnits unitsB(table, b.substr(skipped));
    for (;;) {
        const int unitA = unitsA.Next();
        const int unitB = unitsB.Next();
        if (unitA != unitB)
            return unitA < unitB ? -1 : 1;
        if (unitA < 0)
            return 0;
    }
}

std::string CaseFoldedKey(std::string_view text) {
    const TFoldTable& table = FoldTable();
    std::string key;
    key.reserve(2 * text.size());
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        for (std::size_t i = 0; i < table.Count[byte]; ++i) {
            key += static_cast<char>(table.Units[byte][i] >> 8);
            key += static_cast<char>(table.Units[byte][i] & 0xFF);
        }
    }
    return key;
}

int CompareTextLocale(const std::string& a, const std::string& b) {
    const TCollation& collation = Collation();
    if (collation.Folding)
        return CompareCaseFolded(a, b);
    if (collation.WeighsAscii() && TAsciiCollation::Covers(a) && TAsciiCollation::Covers(b))
        return collation.Ascii->Compare(a, b);
    return collation.Collator.compare(AnsiToQString(a), AnsiToQString(b));
}

std::vector<int> SortedOrder(const std::vector<std::string>& texts) {
    return SortedOrder(std::vector<std::string_view>(texts.begin(), texts.end()));
}

std::vector<int> SortedOrder(const std::vector<std::string_view>& texts) {
    return SortedOrderIn(Collation(), texts);
}

std::vector<int> SortedOrderUnder(const QCollator& collator,
                                  const std::vector<std::string_view>& texts) {
    return SortedOrderIn(MakeCollation(collator), texts);
}

std::optional<TTextOrder> TextOrderWithoutCollator(TLineSpan texts) {
    const TCollation& collation = Collation();
    if (collation.Folding) {
        if (InOrder(texts, CompareCaseFolded))
            return TTextOrder{};
        return TTextOrder{false, FoldedOrderInPlace(texts)};
    }
    if (collation.WeighsAscii() && AllCovered(texts)) {
        const TAsciiCollation& ascii = *collation.Ascii;
        if (InOrder(texts,
                    [&](std::string_view a, std::string_view b) { return ascii.Compare(a, b); }))
            return TTextOrder{};
        return TTextOrder{false, AsciiOrder(ascii, texts)};
    }
    return std::nullopt;
}

TTextOrder TextOrder(const std::vector<std::string>& texts) {
    if (std::optional<TTextOrder> order = TextOrderWithoutCollator(texts))
        return std::move(*order);
    if (InTextLocaleOrder(texts))
        return {};
    return {false, SortedOrder(texts)};
}

bool InTextLocaleOrder(const std::vector<std::string>& texts) {
    return InOrder(texts, CompareTextLocale);
}

std::vector<int> SortedOrderInPlace(const std::vector<std::string>& texts) {
    TTextOrder order = TextOrder(texts);
    if (order.Sorted) {
        order.Order.resize(texts.size());
        std::iota(order.Order.begin(), order.Order.end(), 0);
    }
    return std::move(order.Order);
}

bool TextOrderFoldsCase() {
    return Collation().Folding;
}

void PrepareTextOrder() {
    Collation();
}
