#pragma once

// The locale-aware, case-insensitive comparison of the user's locale that orders the record list
// and the account selector.

#include "base/LineSpan.h"

#include <QCollator>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Negative, zero or positive as a sorts before, with or after b.
int CompareTextLocale(const std::string& a, const std::string& b);

// The collator behind CompareTextLocale, for callers that sort many texts with sort keys.
QCollator TextLocaleCollator();

// The indices of texts in ascending CompareTextLocale order, equal texts in their given order.
// Each text's sort key is made once.
std::vector<int> SortedOrder(const std::vector<std::string>& texts);
std::vector<int> SortedOrder(const std::vector<std::string_view>& texts);
// The same under a case-insensitive collator of any locale rather than the user's, so that each
// locale's order can be checked in one process.
std::vector<int> SortedOrderUnder(const QCollator& collator,
                                  const std::vector<std::string_view>& texts);

// The same order for long texts that mostly differ early, such as record lines: where the locale
// allows it (see TextOrderWithoutCollator) they are compared in place, without sort keys that
// would double their memory.
std::vector<int> SortedOrderInPlace(const std::vector<std::string>& texts);

// True in the C locale, whose comparisons use no collator: they may run on any thread at once.
bool TextOrderFoldsCase();
// Sets the locale's order up (opening its collator and learning its weights takes milliseconds),
// so that a thread may do it while another reads the names to sort.
void PrepareTextOrder();

// Whether the texts are in ascending CompareTextLocale order already; each pair is compared once.
bool InTextLocaleOrder(const std::vector<std::string>& texts);

// How texts stand in CompareTextLocale order: in it already, or in the order of SortedOrderInPlace.
struct TTextOrder {
    bool Sorted = true;
    std::vector<int> Order; // empty when sorted
};
// Texts in order already, as a file this program wrote, cost one pass and no sort.
TTextOrder TextOrder(const std::vector<std::string>& texts);
// The same where it needs no collator, so that any thread may call it: in the C locale, and for
// texts of printable ASCII (record lines are) in a locale that weighs those characters one by
// one, as most do. Nothing otherwise.
std::optional<TTextOrder> TextOrderWithoutCollator(TLineSpan texts);

// The C locale's comparison: Windows-1252 text case-folded as QString::toCaseFolded folds it,
// compared by UTF-16 units. It holds for any locale, so that it can be tested everywhere.
int CompareCaseFolded(std::string_view a, std::string_view b) noexcept;
// A byte string whose memcmp order is CompareCaseFolded's order: the folded text as big-endian
// UTF-16 units.
std::string CaseFoldedKey(std::string_view text);
