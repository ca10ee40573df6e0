// The vault's call sequences run directly on one TBlowfish, against the format vectors: the text
// form, the password check line and record lines.

#include "CipherTestData.h"
#include "cipher/Blowfish.h"

#include <gtest/gtest.h>

#include <array>

namespace {

constexpr const char* Format = "vault-format.txt";
constexpr const char* RecordKeySuffix = "QXV fill";
constexpr const char* RecordIV = "qupewidoKRT52%MvB(/h3nx";

// Exposes the text form, an inner part of the component.
class TTextFormProbe : public TBlowfish {
public:
    using TBlowfish::DecodeText;
    using TBlowfish::EncodeText;
};

std::string CheckLine(TBlowfish& cipher, const std::string& password) {
    cipher.SetCipherMode(TCipherMode::CBC);
    cipher.SetIV(password);
    cipher.SetKey(password);
    std::string unused;
    cipher.EncryptString(password, unused);
    std::string line;
    cipher.GetCBCMacHex(line);
    cipher.Wipe();
    return line;
}

using TFields = std::array<std::string, 4>;

std::string WriteRecord(TBlowfish& cipher, const std::string& password, const TFields& fields) {
    cipher.SetCipherMode(TCipherMode::CBC);
    cipher.SetIV(RecordIV);
    cipher.SetKey(password + RecordKeySuffix);
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::string text;
        cipher.EncryptString(fields[i], text);
        line += (i ? ";" : "") + text;
    }
    cipher.Wipe();
    return line;
}

TFields ReadRecord(TBlowfish& cipher, const std::string& password, const std::string& line) {
    cipher.SetCipherMode(TCipherMode::CBC);
    cipher.SetIV(RecordIV);
    cipher.SetKey(password + RecordKeySuffix);
    TFields fields;
    std::size_t from = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::size_t to = i + 1 < fields.size() ? line.find(';', from) : line.size();
        EXPECT_NE(to, std::string::npos) << line;
        cipher.DecryptString(line.substr(from, to - from), fields[i]);
        from = to + 1;
    }
    cipher.Wipe();
    return fields;
}

TEST(TextFormVectors, EncodeAndDecode) {
    const auto lines = ReadSection(Format, "text-form");
    ASSERT_EQ(lines.size(), 5u);
    for (const auto& line : lines) {
        const auto words = SplitWords(line);
        ASSERT_EQ(words.size(), 2u) << line;
        const std::string bytes = FromHex(words[0]);
        EXPECT_EQ(TTextFormProbe::EncodeText(bytes), words[1]);
        EXPECT_EQ(ToHex(TTextFormProbe::DecodeText(words[1])), ToHex(bytes));
    }
}

TEST(CheckLineVectors, PasswordUnderItselfThenMacInHex) {
    const auto lines = ReadSection(Format, "check-line");
    ASSERT_EQ(lines.size(), 6u);
    TBlowfish cipher; // one component for all, as in the program
    for (const auto& line : lines) {
        const auto words = SplitWords(line);
        ASSERT_EQ(words.size(), 2u) << line;
        EXPECT_EQ(CheckLine(cipher, FromHex(words[0])), words[1]) << words[0];
    }
}

class RecordVectors : public testing::Test {
protected:
    struct TRecordVector {
        std::string Password;
        TFields Fields;
        std::string Line;
    };

    void SetUp() override {
        const auto lines = ReadSection(Format, "record");
        ASSERT_EQ(lines.size() % 2, 0u);
        for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
            const auto words = SplitWords(lines[i]);
            ASSERT_EQ(words.size(), 9u) << lines[i];
            ASSERT_EQ(lines[i + 1].substr(0, 3), "-> ");
            TRecordVector v{FromHex(words[0]), {}, lines[i + 1].substr(3)};
            for (std::size_t f = 0; f < 4; ++f) {
                ASSERT_EQ(words[1 + 2 * f], "|");
                v.Fields[f] = FromHex(words[2 + 2 * f]);
            }
            Vectors.push_back(v);
        }
        ASSERT_EQ(Vectors.size(), 6u);
    }

    std::vector<TRecordVector> Vectors;
    TBlowfish Cipher;
};

TEST_F(RecordVectors, WritingGivesTheLine) {
    for (const auto& v : Vectors)
        EXPECT_EQ(WriteRecord(Cipher, v.Password, v.Fields), v.Line);
}

TEST_F(RecordVectors, ReadingGivesTheFields) {
    for (const auto& v : Vectors) {
        const TFields fields = ReadRecord(Cipher, v.Password, v.Line);
        for (std::size_t f = 0; f < 4; ++f)
            EXPECT_EQ(ToHex(fields[f]), ToHex(v.Fields[f])) << v.Line << " field " << f;
    }
}

TEST_F(RecordVectors, CheckLinesAndRecordsInterleavedOnOneComponent) {
    // The password change alternates sequences under two passwords on the one component.
    for (const auto& v : Vectors) {
        CheckLine(Cipher, "other password");
        const TFields fields = ReadRecord(Cipher, v.Password, v.Line);
        CheckLine(Cipher, v.Password);
        EXPECT_EQ(WriteRecord(Cipher, v.Password, fields), v.Line);
    }
}

} // namespace
