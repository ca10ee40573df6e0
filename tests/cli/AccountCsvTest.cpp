// Export and import as one rule, as a property over generated accounts: every account that the
// round-trip check passes comes back from its CSV row byte for byte, and every one it refuses
// would indeed not come back as it is.

#include "cli/AccountCsv.h"
#include "cli/CliErrors.h"
#include "vault/Csv.h"
#include "vault/ImportError.h"

#include <gtest/gtest.h>

#include <random>

namespace {

bool Same(const TPassRecord& a, const TPassRecord& b) {
    return a.Account == b.Account && a.Login == b.Login && a.Password == b.Password &&
           a.Notes == b.Notes;
}

std::string Shown(const TPassRecord& r) {
    return testing::PrintToString(r.Account) + " " + testing::PrintToString(r.Login) + " " +
           testing::PrintToString(r.Password) + " " + testing::PrintToString(r.Notes);
}

// The account as export writes it, read as import reads a file of it.
std::optional<TPassRecord> ThroughCsv(const TPassRecord& record) {
    std::string text = "name,login,password,notes\r\n";
    const std::array<std::string, 4> fields = AccountToCsvFields(record);
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i)
        AppendCsvField(row, fields[i], i == 0);
    text += row + "\r\n";
    const std::vector<TCsvRecord> csv = ParseCsv(QString::fromUtf8(text), "generated");
    if (csv.size() != 2)
        return std::nullopt;
    try {
        return AccountFromCsvFields(csv[1].Fields, "generated line 2");
    } catch (const EImportError&) {
        return std::nullopt;
    }
}

// Fields from bytes that CSV and the vault treat each in their own way.
class TAccountMaker {
public:
    explicit TAccountMaker(unsigned seed) : FRandom(seed) {}

    TPassRecord Next() {
        // Mostly plain text, so that both outcomes are common.
        const bool plain = FRandom() % 2 == 0;
        TPassRecord record{Field(plain, 1), Field(plain, 0), Field(plain, 0), {}};
        const int lines = static_cast<int>(FRandom() % 5);
        for (int i = 0; i < lines; ++i)
            record.Notes += (FRandom() % 3 == 0 ? std::string() : Field(plain, 0)) + ";";
        if (!plain && FRandom() % 4 == 0)
            record.Notes += Field(true, 1); // text after the last ";"
        return record;
    }

private:
    std::string Field(bool plain, std::size_t least) {
        static const std::string Plain = "abcXYZ 09,\"'\xE9\x80\xFF\xA0";
        static const std::string Odd = "ab;\r\n\t\x1B\x81\x9D";
        const std::size_t length = least + FRandom() % 6;
        std::string field;
        for (std::size_t i = 0; i < length; ++i) {
            const bool odd = !plain && FRandom() % 3 == 0;
            const std::string& from = odd ? Odd : Plain;
            field += odd && FRandom() % 8 == 0 ? '\0' : from[FRandom() % from.size()];
        }
        return field;
    }

    std::mt19937 FRandom;
};

TEST(AccountCsv, EveryAccountThatPassesComesBackByteForByteAndNoRefusalIsNeedless) {
    TAccountMaker maker(20190);
    int passed = 0;
    int refused = 0;
    for (int i = 0; i < 5000; ++i) {
        const TPassRecord record = maker.Next();
        SCOPED_TRACE(Shown(record));
        const std::string problem = CsvRoundTripProblem(record);
        const std::optional<TPassRecord> back = ThroughCsv(record);
        if (problem.empty()) {
            ++passed;
            ASSERT_TRUE(back) << "passed, but import refuses it";
            ASSERT_TRUE(Same(*back, record)) << "came back as " << Shown(*back);
        } else {
            ++refused;
            ASSERT_FALSE(back && Same(*back, record)) << "refused needlessly: " << problem;
        }
    }
    // Both outcomes were tried many times.
    EXPECT_GT(passed, 1000);
    EXPECT_GT(refused, 1000);
}

TEST(AccountCsv, NotesAreTheirLinesJoinedAndALastEmptyLineIsMarked) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},    {"one;", "one"},      {"one;two;", "one\ntwo"},
        {";", "\n"}, {"one;;", "one\n\n"}, {";;middle;;", "\n\nmiddle\n\n"},
    };
    for (const auto& [notes, text] : cases) {
        SCOPED_TRACE(notes);
        EXPECT_EQ(AccountToCsvFields({"a", "", "", notes})[3], text);
    }
}

TEST(AccountCsv, NotesWithEmptyLinesAndOddBytesComeBackWhole) {
    const TPassRecord cases[] = {
        {"a", "", "", ";;middle;;"},
        {"b", "", "", ";"},
        {"c", "", "", "last;;"},
        {"d", "", "", ""},
        {"e", "l,1", std::string("p\0\"w", 4), "x, y;\"q\";"},
        {"f\xE9\x80", "\x81", "\x9D\xFF", "\xA0;"},
    };
    for (const TPassRecord& record : cases) {
        SCOPED_TRACE(Shown(record));
        EXPECT_EQ(CsvRoundTripProblem(record), "");
        const std::optional<TPassRecord> back = ThroughCsv(record);
        ASSERT_TRUE(back);
        EXPECT_TRUE(Same(*back, record)) << Shown(*back);
    }
}

TEST(AccountCsv, WhatCannotComeBackIsRefusedWithTheReason) {
    const std::pair<TPassRecord, const char*> cases[] = {
        {{"a", "", "", "one;tail"},
         "the notes have text after their last line break, which CSV cannot tell from a line"},
        {{"a", "", "", "one\r\ntwo;"}, "the notes hold a line break inside a line"},
        {{"a", "", "p\rw", ""}, "the password holds a line break"},
        {{"a", "two\nlines", "", ""}, "the login holds a line break"},
        {{"", "", "", ""}, "the name is empty"},
        {{std::string("nul\0", 4), "", "", ""}, "the name holds a control character"},
        {{"esc\x1B[2J", "", "", ""}, "the name holds a control character"},
        {{"c1\x81", "", "", ""}, "the name holds a control character"},
    };
    for (const auto& [record, said] : cases) {
        SCOPED_TRACE(Shown(record));
        EXPECT_EQ(CsvRoundTripProblem(record), said);
    }
}

} // namespace
