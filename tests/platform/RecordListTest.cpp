#include "platform/RecordList.h"
#include "platform/Codepage.h"
#include "platform/PlatformErrors.h"
#include "platform/TextCompare.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Lines = std::vector<std::string>;

template <typename Action> std::string ListErrorOf(Action action) {
    try {
        action();
    } catch (const EStringListError& error) {
        return error.what();
    }
    return "no error";
}

TEST(RecordListTest, EditsAtIndices) {
    TRecordList list;
    list.Add("b");
    list.Add("d");
    list.Insert(0, "a");
    list.Insert(2, "c");
    list.Insert(4, "e"); // at Count(): appends
    EXPECT_EQ(list.Lines(), (Lines{"a", "b", "c", "d", "e"}));
    list.Put(1, "B");
    list.Delete(2);
    EXPECT_EQ(list.Lines(), (Lines{"a", "B", "d", "e"}));
    EXPECT_EQ(list[3], "e");
    EXPECT_EQ(list.Count(), 4);
    list.Clear();
    EXPECT_TRUE(list.Empty());
}

TEST(RecordListTest, IndicesOutsideTheListRaise) {
    TRecordList list;
    EXPECT_EQ(ListErrorOf([&] { list.Get(0); }), "List index out of bounds (0)");
    list.Add("a");
    list.Add("b");
    EXPECT_EQ(ListErrorOf([&] { list.Get(-1); }), "List index out of bounds (-1)");
    EXPECT_EQ(ListErrorOf([&] { list.Get(2); }), "List index out of bounds (2)");
    EXPECT_EQ(ListErrorOf([&] { list.Put(2, "x"); }), "List index out of bounds (2)");
    EXPECT_EQ(ListErrorOf([&] { list.Delete(5); }), "List index out of bounds (5)");
    EXPECT_EQ(ListErrorOf([&] { list.Insert(3, "x"); }), "List index out of bounds (3)");
    EXPECT_EQ(ListErrorOf([&] { list.Insert(-1, "x"); }), "List index out of bounds (-1)");
    EXPECT_EQ(list.Lines(), (Lines{"a", "b"}));
}

TEST(RecordListTest, SortsIgnoringCase) {
    TRecordList list;
    for (const char* line : {"beta", "Alpha", "gamma"})
        list.Add(line);
    list.Sort();
    EXPECT_EQ(list.Lines(), (Lines{"Alpha", "beta", "gamma"}));

    list.Clear();
    list.Add("b1");
    list.Add("A2");
    list.Sort();
    EXPECT_EQ(list.Lines(), (Lines{"A2", "b1"}));

    EXPECT_EQ(CompareTextLocale("abc", "ABC"), 0);
    EXPECT_LT(CompareTextLocale("a", "B"), 0);
    EXPECT_GT(CompareTextLocale("b", "A"), 0);
}

// SortedOrder must order as CompareTextLocale does, equal texts in their given order: for texts
// with many letters beyond ASCII, and for texts of ASCII with a few such among them (which other
// locales than C sort in two ways and merge).
TEST(RecordListTest, SortedOrderAgreesWithTheComparison) {
    const Lines mixed = {"b",     "A",     "a;1",       "B-2",       "c+",   "C",    "ab",
                         "AB",    "Ab;",   "\xC9t\xE9", "\xE9t\xE9", "zeta", "Zeta", "",
                         "x\x80", "X\x99", "10",        "9",         "a-b",  "a+b",  "a;b"};
    Lines mostlyAscii;
    for (int round = 0; round < 4; ++round)
        for (const std::string& text : mixed)
            if (text.find_first_of("\x80\x99\xC9\xE9") == std::string::npos)
                mostlyAscii.push_back(text + std::to_string(round % 2));
    // A soft hyphen weighs nothing in most locales: equal to "ab0", but not ASCII.
    mostlyAscii.insert(mostlyAscii.begin() + 5,
                       {std::string("a\xAD") + "b0", std::string("\xE9t\xE9") + "0"});
    for (const Lines& texts : {mixed, mostlyAscii}) {
        const std::vector<int> order = SortedOrder(texts);
        ASSERT_EQ(order.size(), texts.size());
        std::vector<int> seen = order;
        std::sort(seen.begin(), seen.end());
        for (std::size_t i = 0; i < seen.size(); ++i)
            ASSERT_EQ(seen[i], static_cast<int>(i));
        for (std::size_t i = 1; i < order.size(); ++i) {
            const std::string& before = texts[static_cast<std::size_t>(order[i - 1])];
            const std::string& after = texts[static_cast<std::size_t>(order[i])];
            const int result = CompareTextLocale(before, after);
            EXPECT_LE(result, 0) << before << " / " << after;
            if (result == 0) {
                EXPECT_LT(order[i - 1], order[i]) << before << " / " << after;
            }
        }
    }
}

} // namespace

namespace {

// The C locale's order as Qt defines it, against which the byte-wise forms are checked.
int FoldedReference(const std::string& a, const std::string& b) {
    return AnsiToQString(a).toCaseFolded().compare(AnsiToQString(b).toCaseFolded());
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

} // namespace

// The byte keys and the in-place comparison order every pair as case-folded QStrings do, and so
// as CompareTextLocale does in the C locale; both sorts agree with the comparison.
TEST(RecordListTest, ByteKeysOrderAsTheCaseFoldedComparison) {
    const Lines texts = {"",
                         "\xB5",
                         "\xDF",
                         "ss",
                         "SS",
                         "\xFF",
                         "\x9F",
                         "\x8A",
                         "\x9A",
                         "s",
                         "\x8C",
                         "\x9C",
                         "oe",
                         "\x80",
                         "euro",
                         "\x01",
                         std::string(1, '\0'),
                         "\x1F",
                         "\x7F",
                         "\x81",
                         "\x8D",
                         "\xC0",
                         "\xE0",
                         "\xD7",
                         "\xF7",
                         "a",
                         "A",
                         "ab",
                         "aB;",
                         "a\xB5",
                         "A\xB5z",
                         "\xC9t\xE9",
                         "\xE9T\xC9",
                         "x\x80\x9F",
                         "X\x80\xFF",
                         "+-09;",
                         "zz",
                         "\xFF\xFF",
                         "\xDE",
                         "\xFE"};
    for (const std::string& a : texts) {
        for (const std::string& b : texts) {
            const int reference = Sign(FoldedReference(a, b));
            EXPECT_EQ(Sign(CompareCaseFolded(a, b)), reference) << a << " / " << b;
            EXPECT_EQ(Sign(CaseFoldedKey(a).compare(CaseFoldedKey(b))), reference)
                << a << " / " << b;
            if (TextOrderFoldsCase()) {
                EXPECT_EQ(Sign(CompareTextLocale(a, b)), reference) << a << " / " << b;
            }
        }
    }
    for (const std::vector<int>& order : {SortedOrder(texts), SortedOrderInPlace(texts)}) {
        ASSERT_EQ(order.size(), texts.size());
        for (std::size_t i = 1; i < order.size(); ++i)
            EXPECT_LE(CompareTextLocale(texts[static_cast<std::size_t>(order[i - 1])],
                                        texts[static_cast<std::size_t>(order[i])]),
                      0);
    }
    EXPECT_FALSE(InTextLocaleOrder({"b", "A"}));
    EXPECT_TRUE(InTextLocaleOrder({"A", "a", "b"}));
}
