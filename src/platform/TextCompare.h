#pragma once

// The locale-aware, case-insensitive comparison of the user's locale that orders the record list
// and the account selector.

#include <QCollator>

#include <string>
#include <vector>

// Negative, zero or positive as a sorts before, with or after b.
int CompareTextLocale(const std::string& a, const std::string& b);

// The collator behind CompareTextLocale, for callers that sort many texts with sort keys.
QCollator TextLocaleCollator();

// The indices of texts in ascending CompareTextLocale order; each text is converted once.
std::vector<int> SortedOrder(const std::vector<std::string>& texts);
// The same for texts already converted.
std::vector<int> SortedOrder(const std::vector<QString>& texts);
