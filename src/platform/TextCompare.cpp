#include "platform/TextCompare.h"

#include "platform/Codepage.h"

#include <QLocale>

#include <algorithm>
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

} // namespace

QCollator TextLocaleCollator() {
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

int CompareTextLocale(const std::string& a, const std::string& b) {
    const TCollation& collation = Collation();
    const QString textA = AnsiToQString(a);
    const QString textB = AnsiToQString(b);
    if (collation.Folding)
        return textA.toCaseFolded().compare(textB.toCaseFolded());
    return collation.Collator.compare(textA, textB);
}

std::vector<int> SortedOrder(const std::vector<std::string>& texts) {
    std::vector<QString> converted;
    converted.reserve(texts.size());
    for (const auto& text : texts)
        converted.push_back(AnsiToQString(text));
    return SortedOrder(converted);
}

std::vector<int> SortedOrder(const std::vector<QString>& texts) {
    const TCollation& collation = Collation();
    if (collation.Folding) {
        std::vector<QString> keys;
        keys.reserve(texts.size());
        for (const auto& text : texts)
            keys.push_back(text.toCaseFolded());
        return OrderByKeys(keys, [](const QString& a, const QString& b) { return a.compare(b); });
    }
    std::vector<QCollatorSortKey> keys;
    keys.reserve(texts.size());
    for (const auto& text : texts)
        keys.push_back(collation.Collator.sortKey(text));
    return OrderByKeys(
        keys, [](const QCollatorSortKey& a, const QCollatorSortKey& b) { return a.compare(b); });
}
