// The record codec: round trips, the one chain over the fields, the splitting of damaged lines,
// the master-password limits, the notes conversions and the wiping of the cipher.

#include "vault/RecordCodec.h"
#include "VaultTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

namespace {

const std::string Master = "master";

void ExpectRecord(const TPassRecord& expected, const TPassRecord& actual) {
    EXPECT_EQ(expected.Account, actual.Account);
    EXPECT_EQ(expected.Login, actual.Login);
    EXPECT_EQ(expected.Password, actual.Password);
    EXPECT_EQ(expected.Notes, actual.Notes);
}

void ExpectCipherWiped(TBlowfish& cipher) {
    std::string out;
    try {
        cipher.EncryptString("x", out);
        ADD_FAILURE() << "the cipher still holds a key";
    } catch (const EKeyError& error) {
        EXPECT_STREQ("Blowfish: Key not set", error.what());
    }
}

TEST(RecordCodec, RoundTripsFieldsOfEveryLength) {
    TBlowfish cipher;
    for (std::size_t length = 0; length <= 40; ++length) {
        SCOPED_TRACE(length);
        const TPassRecord record{std::string(length, 'a'), std::string(40 - length, 'b'),
                                 length % 3 == 0 ? "" : "\xE9\xFF\x01;\r\n",
                                 std::string(length % 9, ';')};
        const std::string line = EncodeRecord(cipher, record, Master);
        EXPECT_EQ(3, std::count(line.begin(), line.end(), ';'));
        ExpectRecord(record, DecodeRecord(cipher, line, Master));
    }
}

TEST(RecordCodec, AllEmptyRecordIsThreeSemicolons) {
    TBlowfish cipher;
    EXPECT_EQ(";;;", EncodeRecord(cipher, TPassRecord{}, Master));
    ExpectRecord(TPassRecord{}, DecodeRecord(cipher, ";;;", Master));
    ExpectRecord(TPassRecord{}, DecodeRecord(cipher, "", Master));
}

std::vector<std::string> Columns(const std::string& line) {
    std::vector<std::string> columns(1);
    for (const char ch : line) {
        if (ch == ';')
            columns.emplace_back();
        else
            columns.back() += ch;
    }
    return columns;
}

TEST(RecordCodec, EncodingIsRepeatableAndDependsOnEveryByteOfThePassword) {
    TBlowfish cipher;
    const TPassRecord record{"Bank", "", "secret", "a;"};
    const std::string line = EncodeRecord(cipher, record, "password1");
    EXPECT_EQ(line, EncodeRecord(cipher, record, "password1"));

    const auto columns = Columns(line);
    const auto otherColumns = Columns(EncodeRecord(cipher, record, "password2"));
    ASSERT_EQ(4u, columns.size());
    ASSERT_EQ(4u, otherColumns.size());
    EXPECT_NE(columns[0], otherColumns[0]);
    EXPECT_EQ("", columns[1]);
    EXPECT_EQ("", otherColumns[1]);
    EXPECT_NE(columns[2], otherColumns[2]);
    EXPECT_NE(columns[3], otherColumns[3]);
}

TEST(RecordCodec, FieldsShareOneChain) {
    TBlowfish cipher;
    const std::string first = EncodeRecord(cipher, {"A", "same", "", ""}, Master);
    const std::string second = EncodeRecord(cipher, {"B", "same", "", ""}, Master);
    // Same login, different account before it: the login's text differs too.
    EXPECT_NE(first.substr(first.find(';')), second.substr(second.find(';')));
    // An empty field leaves the chain alone: the password after an empty login is enciphered
    // as if it followed the account directly.
    const std::string gap = EncodeRecord(cipher, {"A", "", "pw", ""}, Master);
    const std::string direct = EncodeRecord(cipher, {"A", "pw", "", ""}, Master);
    EXPECT_EQ(gap.substr(gap.find(";;") + 2, 11), direct.substr(direct.find(';') + 1, 11));
}

TEST(RecordCodec, RecordCipherMatchesThePerCallForm) {
    TBlowfish cipher;
    const std::vector<TPassRecord> records = {
        {"Bank", "jdoe", "pw", "x;y;"}, {}, {"Mail", "", "hunter2", ""}, {"Bank", "a", "b", "c;"}};
    std::vector<std::string> lines;
    {
        TRecordCipher recordCipher(cipher, Master);
        for (const auto& record : records)
            lines.push_back(recordCipher.Encode(record));
        for (std::size_t i = 0; i < records.size(); ++i)
            ExpectRecord(records[i], recordCipher.Decode(lines[i]));
        EXPECT_EQ(AccountColumn(lines[0]), recordCipher.EncodeAccountName("Bank"));
        EXPECT_EQ(AccountColumn(lines[0]), AccountColumn(lines[3]));
        EXPECT_EQ("", recordCipher.EncodeAccountName(""));
    }
    ExpectCipherWiped(cipher);
    for (std::size_t i = 0; i < records.size(); ++i)
        EXPECT_EQ(lines[i], EncodeRecord(cipher, records[i], Master));
}

TEST(RecordCodec, CallsWithDifferentPasswordsMayAlternate) {
    TBlowfish cipher;
    const TPassRecord record{"Bank", "jdoe", "pw", "x;"};
    const std::string oldLine = EncodeRecord(cipher, record, "old");
    const std::string newLine = EncodeRecord(cipher, DecodeRecord(cipher, oldLine, "old"), "new");
    EXPECT_NE(oldLine, newLine);
    ExpectRecord(record, DecodeRecord(cipher, newLine, "new"));
}

TEST(RecordCodec, CipherIsWipedAfterEveryCall) {
    TBlowfish cipher;
    const std::string line = EncodeRecord(cipher, {"a", "b", "c", "d;"}, Master);
    ExpectCipherWiped(cipher);
    DecodeRecord(cipher, line, Master);
    ExpectCipherWiped(cipher);
    EXPECT_THROW(DecodeRecord(cipher, "a!;;;", Master), EConvertError);
    ExpectCipherWiped(cipher);
    {
        TRecordCipher recordCipher(cipher, Master);
        EXPECT_THROW(recordCipher.Decode("short;;;"), EInputError);
    }
    ExpectCipherWiped(cipher);
}

TEST(RecordCodec, MasterPasswordOf48Works49FailsWithTheKeyError) {
    TBlowfish cipher;
    const TPassRecord record{"Bank", "jdoe", "pw", ""};
    const std::string longest(48, 'p');
    ExpectRecord(record, DecodeRecord(cipher, EncodeRecord(cipher, record, longest), longest));

    const std::string tooLong(49, 'p');
    for (const auto& attempt :
         std::vector<std::function<void()>>{[&] { EncodeRecord(cipher, record, tooLong); },
                                            [&] { DecodeRecord(cipher, ";;;", tooLong); },
                                            [&] { TRecordCipher recordCipher(cipher, tooLong); }}) {
        // A key set before must not survive the refused one.
        cipher.SetKey("earlier key");
        try {
            attempt();
            ADD_FAILURE() << "a 49-character master password was accepted";
        } catch (const EKeyError& error) {
            EXPECT_STREQ("Blowfish: Key must be between 1 and 56 bytes", error.what());
        }
        ExpectCipherWiped(cipher);
    }
}

// Lines built from real field texts, to see where the split puts each piece.
class RecordLineSplit : public testing::Test {
protected:
    RecordLineSplit() {
        TRecordCipher recordCipher(FCipher, Master);
        FNotesOnly = recordCipher.Encode({"", "", "", "notes;"}).substr(3);
        const std::string line = recordCipher.Encode({"acct", "", "", "after acct;"});
        FAccount = AccountColumn(line);
        FNotesAfterAccount = line.substr(line.rfind(';') + 1);
    }

    TBlowfish FCipher;
    std::string FNotesOnly;
    std::string FAccount;
    std::string FNotesAfterAccount;
};

TEST_F(RecordLineSplit, LineWithoutSemicolonIsAllNotes) {
    ExpectRecord({"", "", "", "notes;"}, DecodeRecord(FCipher, FNotesOnly, Master));
    EXPECT_EQ("", AccountColumn(FNotesOnly));
}

TEST_F(RecordLineSplit, MissingSemicolonsLeaveTheirFieldsEmpty) {
    const TPassRecord expected{"acct", "", "", "after acct;"};
    ExpectRecord(expected, DecodeRecord(FCipher, FAccount + ";" + FNotesAfterAccount, Master));
    ExpectRecord(expected, DecodeRecord(FCipher, FAccount + ";;" + FNotesAfterAccount, Master));
    EXPECT_EQ(FAccount, AccountColumn(FAccount + ";" + FNotesAfterAccount));
}

TEST_F(RecordLineSplit, SemicolonsAfterTheThirdBelongToTheNotesText) {
    EXPECT_THROW(DecodeRecord(FCipher, ";;;" + FNotesOnly + ";", Master), EConvertError);
}

TEST(RecordCodec, ReadableIsExactlyWhatDecodesWithAnyByteAnywhere) {
    // Every byte value at the places around the sixteen bytes checked at once and at the end, in
    // every start of a readable line.
    TBlowfish cipher;
    TRecordCipher recordCipher(cipher, Master);
    const std::string readable = recordCipher.Encode({"Bank", "me@example.org", "", "pin"});
    ASSERT_TRUE(RecordLineReadable(readable));
    int readableCount = 0;
    for (std::size_t length = 0; length <= readable.size(); ++length) {
        for (const std::size_t place :
             {std::size_t{0}, std::size_t{15}, std::size_t{16}, std::size_t{31}, std::size_t{32},
              length / 2, length - 2, length - 1}) {
            if (place >= length)
                continue;
            for (int byte = 0; byte < 256; ++byte) {
                std::string line = readable.substr(0, length);
                line[place] = static_cast<char>(byte);
                bool decodes = true;
                try {
                    TPassRecord record = recordCipher.Decode(line);
                    WipeRecord(record);
                } catch (const std::exception&) {
                    decodes = false;
                }
                readableCount += decodes ? 1 : 0;
                if (RecordLineReadable(line) != decodes)
                    FAIL() << testing::PrintToString(line);
            }
        }
    }
    EXPECT_GT(readableCount, 0);
    // Separators far into long notes are still counted, however many.
    const std::string longNotes(8 * 1000, 'A');
    EXPECT_TRUE(RecordLineReadable(";;;" + longNotes));
    EXPECT_FALSE(RecordLineReadable(";;;" + longNotes + ";" + longNotes));
    EXPECT_FALSE(RecordLineReadable(std::string(3 + 4096, ';')));
}

TEST(RecordCodec, DamagedFieldsRaiseTheCipherErrors) {
    TBlowfish cipher;
    const std::string valid = AccountColumn(EncodeRecord(cipher, {"Bank", "", "", ""}, Master));
    ASSERT_EQ(11u, valid.size());
    EXPECT_THROW(DecodeRecord(cipher, "=" + valid.substr(1) + ";;;", Master), EConvertError);
    EXPECT_THROW(DecodeRecord(cipher, valid + ";a b;;", Master), EConvertError);
    EXPECT_THROW(DecodeRecord(cipher, valid + ";;;\x1A", Master), EConvertError);
    for (std::size_t length = 1; length <= 10; ++length) {
        SCOPED_TRACE(length);
        EXPECT_THROW(DecodeRecord(cipher, ";;" + valid.substr(0, length) + ";", Master),
                     EInputError);
    }
    // Whole characters but a byte count that is not a multiple of 8: 12 characters are 9 bytes.
    for (const std::string& text : {valid + "A", valid + "AB", valid + valid.substr(0, 6)}) {
        SCOPED_TRACE(text);
        try {
            DecodeRecord(cipher, text + ";;;", Master);
            ADD_FAILURE() << "a field of a partial block was accepted";
        } catch (const Exception& error) {
            EXPECT_TRUE(IsDamagedFieldError(error)) << error.what();
        }
    }
}

// Fields of whole blocks, of partial blocks and of stray bytes, under a key that never made
// them: garbage padding included, each line must end in some record or in a cipher error.
TEST(RecordCodec, RandomLinesEndInARecordOrADocumentedError) {
    const std::string alphabet = "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const std::size_t wholeBlockLengths[] = {0, 11, 22, 32, 43};
    std::mt19937 random(20261207);
    TBlowfish cipher;
    int decoded = 0;
    int refused = 0;
    for (int i = 0; i < 3000; ++i) {
        std::string line;
        for (int field = 0; field < 4; ++field) {
            const std::size_t length = i % 3 == 0 ? random() % 45 : wholeBlockLengths[random() % 5];
            for (std::size_t c = 0; c < length; ++c)
                line += alphabet[random() % alphabet.size()];
            if (field < 3)
                line += ';';
        }
        if (i % 7 == 0)
            line[random() % line.size()] = static_cast<char>(random() % 256);
        try {
            TPassRecord record = DecodeRecord(cipher, line, Master);
            WipeRecord(record);
            ++decoded;
        } catch (const Exception& error) {
            EXPECT_TRUE(IsDamagedFieldError(error)) << line << ": " << error.what();
            ++refused;
        }
    }
    EXPECT_GT(decoded, 1000) << "too few random lines decoded; the test lost its point";
    EXPECT_GT(refused, 100) << "too few random lines refused; the test lost its point";
}

TEST(NotesConversion, LinesAreEachFollowedBySemicolon) {
    EXPECT_EQ("x;y;", NotesFromLines({"x", "y"}));
    EXPECT_EQ("", NotesFromLines({}));
    EXPECT_EQ(";a b;;", NotesFromLines({"", "a b", ""}));
    EXPECT_EQ((std::vector<std::string>{"x", "y"}), NotesToLines("x;y;"));
    EXPECT_EQ((std::vector<std::string>{"", "a b", ""}), NotesToLines(";a b;;"));
    EXPECT_TRUE(NotesToLines("").empty());
}

TEST(NotesConversion, SemicolonInsideALineSplitsIt) {
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), NotesToLines(NotesFromLines({"a;b"})));
}

TEST(NotesConversion, TextAfterTheLastSemicolonIsDropped) {
    EXPECT_EQ((std::vector<std::string>{"x"}), NotesToLines("x;tail"));
    EXPECT_TRUE(NotesToLines("no separator").empty());
}

TEST(AccountColumn, IsTheTextBeforeTheFirstSemicolon) {
    EXPECT_EQ("abc", AccountColumn("abc;d;e;f"));
    EXPECT_EQ("", AccountColumn(";;;"));
    EXPECT_EQ("", AccountColumn("no separator"));
    EXPECT_EQ("", AccountColumn(""));
}

TEST(Wiping, EmptiesEveryField) {
    TPassRecord record{std::string(100, 's'), "login", "pw", "n;"};
    WipeRecord(record);
    ExpectRecord(TPassRecord{}, record);
    WipeRecord(record);
    ExpectRecord(TPassRecord{}, record);
}

} // namespace
