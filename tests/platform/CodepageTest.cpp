#include "platform/Codepage.h"
#include "base/Errors.h"
#include "platform/AnsiValidator.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(CodepageTest, EveryByteRoundTrips) {
    std::string bytes;
    for (int byte = 0; byte < 256; ++byte)
        bytes.push_back(static_cast<char>(byte));
    const QString text = AnsiToQString(bytes);
    ASSERT_EQ(text.size(), 256);
    EXPECT_TRUE(IsAnsiText(text));
    EXPECT_EQ(QStringToAnsi(text), bytes);
    const std::set<char16_t> distinct(text.utf16(), text.utf16() + text.size());
    EXPECT_EQ(distinct.size(), 256u);
}

// What published password lists hash and other programs read: Qt's own UTF-8 of the same text.
TEST(CodepageTest, EveryByteBecomesItsUtf8) {
    std::string bytes;
    for (int byte = 0; byte < 256; ++byte)
        bytes.push_back(static_cast<char>(byte));
    EXPECT_EQ(AnsiToUtf8(bytes), AnsiToQString(bytes).toUtf8().toStdString());
    EXPECT_EQ(AnsiToUtf8("Caf\xE9 \x80"), "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(AnsiToUtf8(""), "");
}

TEST(CodepageTest, TheWindows1252Characters) {
    const std::pair<unsigned char, char16_t> samples[] = {
        {0x41, u'A'},   {0x80, 0x20AC}, {0x81, 0x0081}, {0x85, 0x2026}, {0x8A, 0x0160},
        {0x8D, 0x008D}, {0x8F, 0x008F}, {0x90, 0x0090}, {0x96, 0x2013}, {0x99, 0x2122},
        {0x9D, 0x009D}, {0x9F, 0x0178}, {0xA0, 0x00A0}, {0xE9, 0x00E9}, {0xFF, 0x00FF},
    };
    for (const auto& [byte, ch] : samples) {
        const std::string bytes(1, static_cast<char>(byte));
        EXPECT_EQ(AnsiToQString(bytes), QString(QChar(ch))) << int(byte);
        EXPECT_EQ(QStringToAnsi(QString(QChar(ch))), bytes) << int(byte);
    }
}

TEST(CodepageTest, CharactersOutsideWindows1252AreRefused) {
    const QString outside[] = {
        QStringLiteral("a\u20ADb"), // not the euro sign
        QString(QChar(0x0080)),     // 0x80 holds the euro sign, not U+0080
        QString(QChar(0x009F)),
        QStringLiteral("\u0100"),
        QString::fromUtf8("\xF0\x9F\x98\x80"), // outside the basic plane
    };
    TAnsiValidator validator;
    for (QString text : outside) {
        EXPECT_FALSE(IsAnsiText(text)) << text.toStdString();
        EXPECT_THROW(QStringToAnsi(text), EConvertError) << text.toStdString();
        int pos = 0;
        EXPECT_EQ(validator.validate(text, pos), QValidator::Invalid) << text.toStdString();
    }
    try {
        QStringToAnsi(QString::fromUtf8("ok\xF0\x9F\x98\x80"));
        FAIL();
    } catch (const EConvertError& error) {
        EXPECT_NE(std::string(error.what()).find("U+1F600"), std::string::npos) << error.what();
    }
    QString accepted = QStringLiteral("Caf\u00E9 \u20AC5 \u2122");
    int pos = 0;
    EXPECT_EQ(validator.validate(accepted, pos), QValidator::Acceptable);
}

TEST(CodepageTest, AccountNamesGoIntoMessagesAsLocalText) {
    // The local 8-bit encoding is UTF-8 here.
    EXPECT_EQ(AnsiToDisplay("Caf\xE9 \x80"), "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(DisplayToQString("Caf\xC3\xA9"), QStringLiteral("Caf\u00E9"));
}

} // namespace
