#include "platform/TextCompare.h"

#include "platform/Codepage.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <numeric>

namespace {

// In the C locale QCollator compares case-insensitively but makes case-sensitive sort keys, so
// there both orderings use case-folded text instead, and agree.
struct TCollation {
    QCollator Collator;
    bool Folding;
};

TCollation MakeCollation() {
    QCollator collator = TextLocaleCollator();
    const bool folding = collator.locale().language() == QLocale::C;
    // Sets the collator up now, so that the shared one is never changed while in use.
    collator.compare(QStringLiteral("a"), QStringLiteral("b"));
    return {std::move(collator), folding};
}

// Made once: opening a collator costs far more than one comparison. The user's locale does not
// change while the program runs.
const TCollation& Collation() {
    static const TCollation collation = MakeCollation();
    return collation;
}

// The folded UTF-16 units of every Windows-1252 byte, taken from Qt itself so that the byte-wise
// comparisons below agree with QString::toCaseFolded exactly. Folding is per character, without
// context, so the folding of a text is the folding of its bytes one after the other.
struct TFoldTable {
    static constexpr std::size_t MaxUnits = 3;
    std::array<std::array<char16_t, MaxUnits>, 256> Units{};
    std::array<std::uint8_t, 256> Count{};
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

// The first eight folded units of a text as two numbers, zeros after its end: prefixes that differ
// order their texts, and most texts differ there (names from a few common words within eight
// characters, record lines within four). The sort then compares numbers held next to their
// indices instead of reaching into the texts scattered over the heap.
struct TPrefixed {
    std::uint64_t High;
    std::uint64_t Low;
    int Index;
};

TPrefixed FoldedPrefix(const TFoldTable& table, std::string_view text, int index) noexcept {
    TFoldedUnits units(table, text);
    TPrefixed prefixed{0, 0, index};
    for (std::uint64_t* half : {&prefixed.High, &prefixed.Low}) {
        for (int i = 0; i < 4; ++i) {
            const int unit = units.Next();
            *half = (*half << 16) | static_cast<std::uint64_t>(unit < 0 ? 0 : unit);
        }
    }
    return prefixed;
}

// compare(a, b) compares the texts of two indices in full.
template <typename TText, typename Compare>
std::vector<int> OrderByPrefixes(const std::vector<TText>& texts, Compare compare) {
    const TFoldTable& table = FoldTable();
    std::vector<TPrefixed> items;
    items.reserve(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
        items.push_back(FoldedPrefix(table, texts[i], static_cast<int>(i)));
    // Equal texts keep their order, so that sorting the same list always gives the same result.
    std::sort(items.begin(), items.end(), [&](const TPrefixed& a, const TPrefixed& b) {
        if (a.High != b.High)
            return a.High < b.High;
        if (a.Low != b.Low)
            return a.Low < b.Low;
        const int result =
            compare(static_cast<std::size_t>(a.Index), static_cast<std::size_t>(b.Index));
        return result < 0 || (result == 0 && a.Index < b.Index);
    });
    std::vector<int> order;
    order.reserve(items.size());
    for (const TPrefixed& item : items)
        order.push_back(item.Index);
    return order;
}

std::vector<int> FoldedOrder(const std::vector<std::string_view>& texts) {
    // The byte keys, all in one buffer: one allocation, made once.
    const TFoldTable& table = FoldTable();
    std::size_t length = 0;
    for (const std::string_view text : texts)
        for (const char ch : text)
            length += 2 * std::size_t{table.Count[static_cast<unsigned char>(ch)]};
    std::string buffer(length, '\0');
    std::vector<std::string_view> keys;
    keys.reserve(texts.size());
    char* out = buffer.data();
    for (const std::string_view text : texts) {
        char* const start = out;
        for (const char ch : text) {
            const auto byte = static_cast<unsigned char>(ch);
            for (std::size_t i = 0; i < table.Count[byte]; ++i) {
                *out++ = static_cast<char>(table.Units[byte][i] >> 8);
                *out++ = static_cast<char>(table.Units[byte][i] & 0xFF);
            }
        }
        keys.emplace_back(start, static_cast<std::size_t>(out - start));
    }
    // The prefixes are the keys' first eight bytes; ties go on to the whole keys.
    return OrderByPrefixes(
        texts, [&](std::size_t a, std::size_t b) { return CompareKeys(keys[a], keys[b]); });
}

std::vector<int> CollatedOrder(const std::vector<QString>& texts) {
    std::vector<QCollatorSortKey> keys;
    keys.reserve(texts.size());
    for (const auto& text : texts)
        keys.push_back(Collation().Collator.sortKey(text));
    return OrderByKeys(
        keys, [](const QCollatorSortKey& a, const QCollatorSortKey& b) { return a.compare(b); });
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
    return collation.Collator.compare(AnsiToQString(a), AnsiToQString(b));
}

std::vector<int> SortedOrder(const std::vector<std::string>& texts) {
    return SortedOrder(std::vector<std::string_view>(texts.begin(), texts.end()));
}

std::vector<int> SortedOrder(const std::vector<std::string_view>& texts) {
    if (Collation().Folding)
        return FoldedOrder(texts);
    std::vector<QString> converted;
    converted.reserve(texts.size());
    for (const std::string_view text : texts)
        converted.push_back(AnsiToQString(std::string(text)));
    return CollatedOrder(converted);
}

std::vector<int> SortedOrder(const std::vector<QString>& texts) {
    if (!Collation().Folding)
        return CollatedOrder(texts);
    std::vector<QString> keys;
    keys.reserve(texts.size());
    for (const auto& text : texts)
        keys.push_back(text.toCaseFolded());
    return OrderByKeys(keys, [](const QString& a, const QString& b) { return a.compare(b); });
}

bool InTextLocaleOrder(const std::vector<std::string>& texts) {
    for (std::size_t i = 1; i < texts.size(); ++i)
        if (CompareTextLocale(texts[i - 1], texts[i]) > 0)
            return false;
    return true;
}

std::vector<int> SortedOrderInPlace(const std::vector<std::string>& texts) {
    if (!Collation().Folding)
        return SortedOrder(texts);
    return OrderByPrefixes(
        texts, [&](std::size_t a, std::size_t b) { return CompareCaseFolded(texts[a], texts[b]); });
}

bool TextOrderFoldsCase() {
    return Collation().Folding;
}
