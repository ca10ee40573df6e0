#include "platform/AsciiCollation.h"
#include "platform/Codepage.h"
#include "platform/PrimaryCollation.h"
#include "platform/TextCompare.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <clocale>
#include <locale.h>
#include <numeric>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The kinds of names a vault holds: mostly ASCII; half with accented words (sharp s, ligatures
// and slashed o among them, whose weights are learnt as the letters they stand for); all after one
// long shared start; and some or many with signs that have weights of their own (few are put in
// among the others one by one, many send every name to the collator's sort keys).
enum class TMix { Usual, Accented, SharedPrefix, FewSigns, ManySigns };

const std::vector<std::string> AsciiWords = {"Bank",   "Mail", "Cafe",  "Cote", "Strasse", "Ble",
                                             "Forum",  "oe",   "Zebra", "a-b",  "A B",     "x_1",
                                             "Resume", "99",   "Ueber", "Bolge"};
// Windows-1252 bytes: é ü ß ø æ œ Œ Æ Ø Ü É ç ñ à, and two that tie with ASCII words but for
// the accent ("Café", "Côte").
const std::vector<std::string> AccentedWords = {"Caf\xE9",
                                                "C\xF4te",
                                                "Stra\xDF"
                                                "e",
                                                "B\xF8lge",
                                                "\xE6"
                                                "ble",
                                                "\x9C"
                                                "uvre",
                                                "\x8C"
                                                "UVRE",
                                                "\xC6"
                                                "BLE",
                                                "\xD8resund",
                                                "\xDC"
                                                "ber",
                                                "\xC9mile",
                                                "Fran\xE7"
                                                "ais",
                                                "Ni\xF1"
                                                "o",
                                                "\xE0 la carte",
                                                "R\xE9sum\xE9",
                                                "gr\xF6\xDF"
                                                "e"};
// A sign each: euro, copyright, one half, guillemet.
const std::vector<std::string> SignWords = {"\x80"
                                            "5",
                                            "\xA9"
                                            "Corp",
                                            "\xBD"
                                            "price",
                                            "\xAB"
                                            "quote\xBB"};

std::string CaseVaried(std::mt19937& random, std::string word) {
    for (char& ch : word) {
        const auto byte = static_cast<unsigned char>(ch);
        if (random() % 3 == 0 && ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte != 0xF7)))
            ch = static_cast<char>(byte - 0x20);
    }
    return word;
}

std::vector<std::string> SampleNames(TMix mix) {
    std::mt19937 random(static_cast<unsigned>(mix) + 11);
    const auto from = [&](const std::vector<std::string>& words) {
        return CaseVaried(random, words[random() % words.size()]);
    };
    // Enough names for the sorts that share the work with a second core.
    std::vector<std::string> names;
    for (int i = 0; i < 5000; ++i) {
        std::string name = from(AsciiWords);
        if (random() % 2 == 0)
            name += " " + from(AsciiWords);
        if (mix == TMix::Accented ? random() % 2 == 0 : random() % 6 == 0)
            name += " " + from(AccentedWords);
        if ((mix == TMix::FewSigns && random() % 20 == 0) ||
            (mix == TMix::ManySigns && random() % 3 == 0))
            name += " " + from(SignWords);
        if (random() % 4 == 0)
            name += " " + std::to_string(random() % 100);
        if (mix == TMix::SharedPrefix)
            name.insert(0, "Household accounts, main ");
        names.push_back(name);
    }
    return names;
}

bool Installed(const char* locale) {
    const locale_t handle = newlocale(LC_ALL_MASK, locale, nullptr);
    if (handle == nullptr)
        return false;
    freelocale(handle);
    return true;
}

} // namespace

// The order of the byte keys is the collator's own, in each locale and for each kind of names,
// names equal under the collator keeping their given order.
TEST(NameOrderTest, SortedOrderIsTheCollatorsInEachLocaleAndMix) {
    const struct {
        const char* System;
        const char* Qt;
    } locales[] = {{"C.UTF-8", "C"},
                   {"en_US.UTF-8", "en_US"},
                   {"de_DE.UTF-8", "de_DE"},
                   {"fr_FR.UTF-8", "fr_FR"}};
    const struct {
        TMix Mix;
        const char* Name;
    } mixes[] = {{TMix::Usual, "usual"},
                 {TMix::Accented, "half accented"},
                 {TMix::SharedPrefix, "shared prefix"},
                 {TMix::FewSigns, "few signs"},
                 {TMix::ManySigns, "many signs"}};
    std::vector<std::string> skipped;
    for (const auto& locale : locales) {
        if (!Installed(locale.System)) {
            skipped.emplace_back(locale.System);
            continue;
        }
        QCollator collator{QLocale(QString::fromLatin1(locale.Qt))};
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        for (const auto& mix : mixes) {
            SCOPED_TRACE(std::string(locale.System) + ", " + mix.Name);
            const std::vector<std::string> names = SampleNames(mix.Mix);
            std::vector<QString> texts;
            for (const std::string& name : names)
                texts.push_back(AnsiToQString(name));
            std::vector<int> expected(names.size());
            std::iota(expected.begin(), expected.end(), 0);
            std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
                return collator.compare(texts[static_cast<std::size_t>(a)],
                                        texts[static_cast<std::size_t>(b)]) < 0;
            });
            const std::vector<int> order = SortedOrderUnder(
                collator, std::vector<std::string_view>(names.begin(), names.end()));
            ASSERT_EQ(order.size(), expected.size());
            int wrong = 0;
            for (std::size_t i = 0; i < order.size(); ++i) {
                if (order[i] != expected[i] && wrong++ < 3)
                    ADD_FAILURE() << "place " << i << ": "
                                  << AnsiToUtf8(names[static_cast<std::size_t>(order[i])])
                                  << " where the collator puts "
                                  << AnsiToUtf8(names[static_cast<std::size_t>(expected[i])]);
            }
            EXPECT_EQ(wrong, 0);
        }
    }
    if (!skipped.empty()) {
        std::string list;
        for (const std::string& name : skipped)
            list += " " + name;
        GTEST_SKIP() << "locales not installed (tools/dev.sh bench generates them):" << list;
    }
}

// The fast path is taken where it holds: accented letters, sharp s and the ligatures weigh as
// their letters in English, German and French, while a letter of its own (Swedish ö, after z) or
// a sign is left to the collator. So is Æ in Hawaiian, whose vowels come before its consonants:
// it passes the test of its own letters, and only the check of every pair of texts refuses it.
// Names that differ only in case are equal; an accent is not.
TEST(NameOrderTest, LettersBeyondAsciiWeighAsTheCollatorAllows) {
    const std::string letters = "Caf\xE9 Stra\xDF"
                                "e \x9C"
                                "uvre B\xF8lge \xC6"
                                "BLE \xDC"
                                "ber";
    const struct {
        const char* Locale;
        std::string Text;
        bool Known;
    } cases[] = {
        {"en_US", letters, true},
        {"de_DE", letters, true},
        {"fr_FR", letters, true},
        {"sv_SE", "Bj\xF6rk", false},
        {"en_US",
         "\x80"
         "5",
         false},
        {"de_DE", "Ma\xDF", true},
        {"haw_US",
         "\xC6"
         "BLE",
         false},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(std::string(test.Locale) + ": " + AnsiToUtf8(test.Text));
        QCollator collator{QLocale(QString::fromLatin1(test.Locale))};
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        const TAsciiCollation ascii(collator);
        ASSERT_TRUE(ascii.Usable());
        const TPrimaryKeys keys(collator, ascii, {test.Text, "Caf\xE9", "CAF\xC9", "cafe"});
        EXPECT_EQ(keys.Knows(test.Text), test.Known);
        if (!test.Known)
            continue;
        const auto key = [&](std::string_view text) {
            std::string bytes(keys.KeyLength(text), '\0');
            keys.WriteKey(text, bytes.data());
            return bytes;
        };
        EXPECT_EQ(key("Caf\xE9"), key("cafe"));
        EXPECT_TRUE(keys.SameIgnoringCase("Caf\xE9", "CAF\xC9"));
        EXPECT_FALSE(keys.SameIgnoringCase("Caf\xE9", "cafe"));
    }
}

// A byte beyond printable ASCII is found at every place in a name, between any neighbours, on
// either core; printable ASCII never is.
TEST(NameOrderTest, EveryByteBeyondPrintableAsciiIsFoundWhereverItStands) {
    constexpr std::size_t length = 19; // two words of eight bytes and a rest
    for (int byte = 0; byte < 256; ++byte) {
        for (std::size_t at = 0; at < length; ++at) {
            std::string name;
            for (std::size_t i = 0; i < length; ++i)
                name += static_cast<char>(' ' + (at * 7 + i) % 95); // ' ' and '~' among them
            name[at] = static_cast<char>(byte);
            const std::array<bool, 256> present = BytesBeyondAscii({name});
            for (int other = 0; other < 256; ++other)
                EXPECT_EQ(present[static_cast<std::size_t>(other)],
                          other == byte && (byte < ' ' || byte > '~'))
                    << "byte " << byte << " at " << at << ", found " << other;
        }
    }
    std::vector<std::string_view> many(5000, "Bank Mail");
    many.back() = "Caf\xE9";
    const std::array<bool, 256> present = BytesBeyondAscii(many);
    EXPECT_EQ(std::count(present.begin(), present.end(), true), 1);
    EXPECT_TRUE(present[0xE9]);
}
