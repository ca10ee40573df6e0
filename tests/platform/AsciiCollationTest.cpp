#include "platform/AsciiCollation.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

int Sign(int value) {
    return (value > 0) - (value < 0);
}

// Texts of the characters of record lines and a few more, up to six long, so that every
// neighbouring pair of characters turns up many times.
std::vector<std::string> SampleTexts() {
    const std::string alphabet =
        "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz; _.~";
    std::mt19937 random(7);
    std::vector<std::string> texts;
    for (int i = 0; i < 400; ++i) {
        std::string text;
        for (unsigned length = random() % 7; length > 0; --length)
            text += alphabet[random() % alphabet.size()];
        texts.push_back(text);
    }
    return texts;
}

} // namespace

// The weights order texts as the collator does where a locale weighs each character alone, and
// are not used where it joins characters (Danish "aa", Czech "ch", Hungarian "cs", Welsh "ll").
TEST(AsciiCollationTest, OrdersAsTheCollatorOrIsNotUsed) {
    const struct {
        const char* Locale;
        bool Usable;
    } cases[] = {{"de_DE", true},  {"en_US", true},  {"fr_FR", true},  {"tr_TR", true},
                 {"sv_SE", true},  {"da_DK", false}, {"cs_CZ", false}, {"hu_HU", false},
                 {"cy_GB", false}, {"nb_NO", false}};
    const std::vector<std::string> texts = SampleTexts();
    for (const auto& test : cases) {
        QCollator collator{QLocale(QString::fromLatin1(test.Locale))};
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        const TAsciiCollation ascii(collator);
        ASSERT_EQ(ascii.Usable(), test.Usable) << test.Locale;
        if (!ascii.Usable())
            continue;
        int mismatches = 0;
        for (const std::string& a : texts)
            for (const std::string& b : texts)
                if (ascii.Compare(a, b) !=
                    Sign(collator.compare(QString::fromLatin1(a), QString::fromLatin1(b))))
                    ++mismatches;
        EXPECT_EQ(mismatches, 0) << test.Locale;
    }
    EXPECT_TRUE(TAsciiCollation::Covers("az+-09; ~"));
    EXPECT_FALSE(TAsciiCollation::Covers("caf\xE9"));
    EXPECT_FALSE(TAsciiCollation::Covers("tab\there"));
}
