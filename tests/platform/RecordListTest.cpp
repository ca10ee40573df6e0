#include "platform/RecordList.h"
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

// The sort keys behind SortedOrder must order as CompareTextLocale does.
TEST(RecordListTest, SortedOrderAgreesWithTheComparison) {
    const Lines texts = {"b",     "A",     "a;1",       "B-2",       "c+",   "C",    "ab",
                         "AB",    "Ab;",   "\xC9t\xE9", "\xE9t\xE9", "zeta", "Zeta", "",
                         "x\x80", "X\x99", "10",        "9",         "a-b",  "a+b",  "a;b"};
    const std::vector<int> order = SortedOrder(texts);
    ASSERT_EQ(order.size(), texts.size());
    std::vector<int> seen = order;
    std::sort(seen.begin(), seen.end());
    for (std::size_t i = 0; i < seen.size(); ++i)
        ASSERT_EQ(seen[i], static_cast<int>(i));
    for (std::size_t i = 1; i < order.size(); ++i) {
        const std::string& before = texts[static_cast<std::size_t>(order[i - 1])];
        const std::string& after = texts[static_cast<std::size_t>(order[i])];
        EXPECT_LE(CompareTextLocale(before, after), 0) << before << " / " << after;
    }
}

} // namespace
