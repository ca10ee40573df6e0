// The offline breach list: hashes found by a search that reads a few pages, in every shape of the
// downloaded file (CR LF or LF, with or without a last line break, a byte-order mark, lower-case
// hexadecimal), its first and last line included; files that are no such list are refused.

#include "VaultTestSupport.h"

#include "platform/PlatformErrors.h"
#include "vault/BreachList.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <utility>
#include <vector>

namespace {

TSha1Digest DigestOf(const std::string& hex) {
    const std::string bytes = FromHex(hex);
    TSha1Digest digest{};
    std::copy(bytes.begin(), bytes.end(), digest.begin());
    return digest;
}

std::string HexOf(const TSha1Digest& digest) {
    std::string hex;
    char pair[3];
    for (const unsigned char byte : digest) {
        std::snprintf(pair, sizeof pair, "%02X", byte);
        hex += pair;
    }
    return hex;
}

struct TListShape {
    const char* Name;
    const char* LineEnd;
    bool LastLineEnded;
    bool ByteOrderMark;
    bool LowerCase;
};

// The list of these (hash, count) entries, which must be sorted.
// Lines of random hashes with counts from 1 to 1,000, sorted by hash as the list is.
std::vector<std::pair<std::string, unsigned long long>>
RandomSortedEntries(int count, std::mt19937_64& random) {
    std::vector<std::pair<std::string, unsigned long long>> entries;
    for (int i = 0; i < count; ++i) {
        TSha1Digest digest{};
        for (unsigned char& byte : digest)
            byte = static_cast<unsigned char>(random());
        entries.emplace_back(HexOf(digest), random() % 1000 + 1);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

std::string ListText(const std::vector<std::pair<std::string, unsigned long long>>& entries,
                     const TListShape& shape) {
    std::string text = shape.ByteOrderMark ? "\xEF\xBB\xBF" : "";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::string hash = entries[i].first;
        if (shape.LowerCase)
            std::transform(hash.begin(), hash.end(), hash.begin(),
                           [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
        text += hash + ":" + std::to_string(entries[i].second);
        if (i + 1 < entries.size() || shape.LastLineEnded)
            text += shape.LineEnd;
    }
    return text;
}

TEST(BreachList, HashesAPasswordAsUtf8) {
    EXPECT_EQ(HexOf(BreachHashOf("password")), "5BAA61E4C9B93F3F0682250B6CF8331B7EE68FD8");
    EXPECT_EQ(HexOf(BreachHashOf("Caf\xE9")), "7D640861339732865C0B8115BA34F943E54FD3D4");
    EXPECT_EQ(HexOf(BreachHashOf("\x80uro")), "B513A36894C347A73A7AB40EF44093701BDEA3CB");
}

TEST(BreachList, FindsEveryLineInEveryShapeOfTheFile) {
    const std::string first = "0000000000000000000000000000000000000001";
    const std::string last = "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFE";
    // Enough lines between them to fill many pages, so that the search jumps.
    std::vector<std::pair<std::string, unsigned long long>> entries = {{first, 7}, {last, 9}};
    std::mt19937_64 random(22);
    for (int i = 0; i < 3000; ++i) {
        TSha1Digest digest{};
        for (unsigned char& byte : digest)
            byte = static_cast<unsigned char>(random());
        entries.emplace_back(HexOf(digest), random() % 100000 + 1);
    }
    entries.emplace_back("5BAA61E4C9B93F3F0682250B6CF8331B7EE68FD8", 18446744073709551615ull);
    std::sort(entries.begin(), entries.end());
    const std::string absent[] = {
        "0000000000000000000000000000000000000000", // before the first line
        "0000000000000000000000000000000000000002", "5BAA61E4C9B93F3F0682250B6CF8331B7EE68FD7",
        "5BAA61E4C9B93F3F0682250B6CF8331B7EE68FD9", "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFD",
        "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF", // after the last line
    };
    const TListShape shapes[] = {
        {"CR LF", "\r\n", true, false, false},
        {"LF", "\n", true, false, false},
        {"CR LF, no last", "\r\n", false, false, false},
        {"LF, no last", "\n", false, false, false},
        {"mark", "\r\n", true, true, false},
        {"lower case", "\n", false, true, true},
    };
    TTempFolder folder;
    for (const TListShape& shape : shapes) {
        SCOPED_TRACE(shape.Name);
        const std::string path = folder.File("list.txt");
        WriteBytes(path, ListText(entries, shape));
        TBreachList list(path);
        EXPECT_EQ(list.TimesSeen(DigestOf(first)), 7u);
        EXPECT_EQ(list.TimesSeen(DigestOf(last)), 9u);
        EXPECT_EQ(list.TimesSeen(BreachHashOf("password")), 18446744073709551615ull);
        for (std::size_t i = 0; i < entries.size(); i += 37)
            EXPECT_EQ(list.TimesSeen(DigestOf(entries[i].first)), entries[i].second) << i;
        for (const std::string& hash : absent)
            EXPECT_EQ(list.TimesSeen(DigestOf(hash)), 0u) << hash;
    }
}

// Never the whole file: at worst the search halves the span between its bounds every fourth line
// it looks at, and a look reads at most 16 KiB and two lines.
TEST(BreachList, ALookupReadsAFewKilobytesOfALargeFile) {
    std::mt19937_64 random(7);
    const auto entries = RandomSortedEntries(60000, random);
    TTempFolder folder;
    const std::string path = folder.File("large.txt");
    const std::string text = ListText(entries, {"", "\r\n", true, false, false});
    WriteBytes(path, text);
    TBreachList list(path);
    const double halvings = std::ceil(std::log2(static_cast<double>(text.size()) / 512));
    const auto worst = static_cast<std::uint64_t>((4 * halvings + 2) * (16384 + 2 * 386));
    std::uint64_t before = 0;
    std::uint64_t most = 0;
    int lookups = 0;
    for (std::size_t i = 0; i < entries.size(); i += 101, ++lookups) {
        ASSERT_EQ(list.TimesSeen(DigestOf(entries[i].first)), entries[i].second);
        most = std::max(most, list.BytesRead() - before);
        before = list.BytesRead();
    }
    EXPECT_LE(most, worst);
    EXPECT_LT(most, text.size() / 4);
    // Spread evenly as SHA-1 is, a lookup mostly needs two reads: a line where the hash should
    // stand, and the few kilobytes around where it then must.
    EXPECT_LT(list.BytesRead() / static_cast<std::uint64_t>(lookups), 8192u);
}

TEST(BreachList, RefusesWhatIsNoSortedList) {
    const std::string a = "1111111111111111111111111111111111111111";
    const std::string b = "2222222222222222222222222222222222222222";
    const std::string c = "3333333333333333333333333333333333333333";
    const std::pair<std::string, const char*> cases[] = {
        {a + ":1\n" + "not a hash line at all, but long enough to look like one\n" + c + ":3\n",
         "not HASH:count"},
        {a + ":1\n" + b + "\n" + c + ":3\n", "not HASH:count"},
        {a + ":1\n" + b + ":\n" + c + ":3\n", "not HASH:count"},
        {a + ":1\n" + "22222222222222222222222222222222222222G2:2\n" + c + ":3\n",
         "not hexadecimal"},
        {a + ":1\n" + b + ":2x\n" + c + ":3\n", "not a number"},
        {a + ":1\n" + std::string(40, '0') + ":2\n" + c + ":3\n", "smaller than the one before"},
        {a + ":1\n\n" + c + ":3\n", "an empty line between hashes"},
        {a + ":1\n" + std::string(5000, 'x') + "\n" + c + ":3\n", "longer than 128 bytes"},
    };
    TTempFolder folder;
    const TSha1Digest target = DigestOf(b);
    for (const auto& [text, said] : cases) {
        SCOPED_TRACE(said);
        const std::string path = folder.File("bad.txt");
        WriteBytes(path, text);
        TBreachList list(path);
        try {
            list.TimesSeen(target);
            ADD_FAILURE() << "not refused";
        } catch (const EBreachListError& error) {
            EXPECT_NE(error.Message().find(said), std::string::npos) << error.Message();
            EXPECT_NE(error.Message().find(path), std::string::npos) << error.Message();
        }
    }
    WriteBytes(folder.File("empty.txt"), "");
    TBreachList empty(folder.File("empty.txt"));
    EXPECT_EQ(empty.TimesSeen(target), 0u);
    EXPECT_THROW(TBreachList(folder.Path()), EInOutError);
    EXPECT_THROW(TBreachList(folder.File("none.txt")), EInOutError);
}

} // namespace

namespace {

// Many hashes at once, each search starting between the lines found before it, give what each
// gives alone: the first and last lines, hashes between two lines, before the first and after the
// last, and one asked for twice.
TEST(BreachList, HashesLookedUpTogetherFindWhatEachFindsAlone) {
    std::mt19937_64 random(11);
    const auto entries = RandomSortedEntries(20000, random);
    TTempFolder folder;
    const std::string path = folder.File("list.txt");
    WriteBytes(path, ListText(entries, {"", "\r\n", false, true, false}));

    std::vector<TSha1Digest> asked = {
        DigestOf(entries.back().first), DigestOf(entries.front().first),
        DigestOf(std::string(40, '0')), DigestOf(std::string(40, 'F'))};
    for (std::size_t i = 1; i < entries.size(); i += 37) {
        asked.push_back(DigestOf(entries[i].first));
        TSha1Digest between = DigestOf(entries[i].first);
        between[19] ^= 1; // a neighbour that the list almost surely lacks
        asked.push_back(between);
    }
    asked.push_back(asked[5]);
    TBreachList together(path);
    const std::vector<std::uint64_t> counts = together.TimesSeenEach(asked);
    ASSERT_EQ(counts.size(), asked.size());
    TBreachList alone(path);
    std::size_t found = 0;
    for (std::size_t i = 0; i < asked.size(); ++i) {
        SCOPED_TRACE(HexOf(asked[i]));
        EXPECT_EQ(counts[i], alone.TimesSeen(asked[i]));
        found += counts[i] > 0 ? 1 : 0;
    }
    EXPECT_EQ(counts[0], entries.back().second);
    EXPECT_EQ(counts[1], entries.front().second);
    EXPECT_EQ(counts.back(), counts[5]);
    EXPECT_GE(found, 2 + entries.size() / 37);
    EXPECT_LT(together.BytesRead(), alone.BytesRead()) << "the bounds found narrow the searches";
    EXPECT_TRUE(TBreachList(path).TimesSeenEach({}).empty());
}

} // namespace
