// The stored format against vectors from an independent implementation: check lines, record lines
// and a whole data file, each both written here and read back.

#include "VaultTestSupport.h"
#include "vault/DataFile.h"
#include "vault/RecordCodec.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

struct TCheckLineVector {
    std::string Password;
    std::string CheckLine;
};

struct TRecordVector {
    std::string MasterPassword;
    TPassRecord Record;
    std::string Line;
};

struct TVaultFormat {
    std::vector<TCheckLineVector> CheckLines;
    std::vector<TRecordVector> Records;
    std::string VaultFile;
};

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string FieldFromHex(const std::string& column) {
    const std::string hex = Trim(column);
    return hex == "-" ? std::string() : FromHex(hex);
}

TRecordVector ParseRecord(const std::string& columnsLine, const std::string& arrowLine) {
    std::vector<std::string> columns;
    std::istringstream in(columnsLine);
    for (std::string column; std::getline(in, column, '|');)
        columns.push_back(column);
    if (columns.size() != 5 || Trim(arrowLine).rfind("->", 0) != 0)
        throw std::runtime_error("bad record vector: " + columnsLine);
    return {FieldFromHex(columns[0]),
            {FieldFromHex(columns[1]), FieldFromHex(columns[2]), FieldFromHex(columns[3]),
             FieldFromHex(columns[4])},
            Trim(Trim(arrowLine).substr(2))};
}

TVaultFormat LoadVaultFormat() {
    std::ifstream in(std::string(KESTOVAR_TEST_DATA_DIR) + "/vault-format.txt");
    if (!in)
        throw std::runtime_error("vault-format.txt not found");
    TVaultFormat format;
    std::string section;
    std::string vaultHex;
    for (std::string line; std::getline(in, line);) {
        const std::string text = Trim(line);
        if (text.empty() || text.front() == '#')
            continue;
        if (text.front() == '[') {
            section = text;
        } else if (section == "[check-line]") {
            std::istringstream columns(text);
            std::string password;
            std::string checkLine;
            columns >> password >> checkLine;
            format.CheckLines.push_back({FromHex(password), checkLine});
        } else if (section == "[record]") {
            std::string arrow;
            std::getline(in, arrow);
            format.Records.push_back(ParseRecord(text, arrow));
        } else if (section == "[vault-file]") {
            vaultHex += text;
        }
    }
    format.VaultFile = FromHex(vaultHex);
    return format;
}

const TVaultFormat& VaultFormat() {
    static const TVaultFormat format = LoadVaultFormat();
    return format;
}

void ExpectRecord(const TPassRecord& expected, const TPassRecord& actual) {
    EXPECT_EQ(expected.Account, actual.Account);
    EXPECT_EQ(expected.Login, actual.Login);
    EXPECT_EQ(expected.Password, actual.Password);
    EXPECT_EQ(expected.Notes, actual.Notes);
}

// The accounts of the whole-file vector, in file order.
const std::vector<TPassRecord> VaultFileRecords = {
    {"Bank", "jdoe", "pw", "x;y;"},
    {"Mail", "", "hunter2", ""},
};
const std::string VaultFilePassword = "master";

TEST(VaultFormat, VectorsAreThere) {
    EXPECT_GE(VaultFormat().CheckLines.size(), 6u);
    EXPECT_GE(VaultFormat().Records.size(), 6u);
    EXPECT_FALSE(VaultFormat().VaultFile.empty());
}

TEST(VaultFormat, CheckLines) {
    TBlowfish cipher;
    for (const auto& vector : VaultFormat().CheckLines) {
        SCOPED_TRACE(vector.CheckLine);
        EXPECT_EQ(vector.CheckLine, MakeCheckLine(cipher, vector.Password));
    }
}

TEST(VaultFormat, CheckLinesAcceptedFromAFile) {
    TTempFolder folder;
    const std::string path = folder.File("check.kvf");
    TBlowfish cipher;
    for (const auto& vector : VaultFormat().CheckLines) {
        SCOPED_TRACE(vector.CheckLine);
        WriteBytes(path, vector.CheckLine + "\r\n");
        EXPECT_TRUE(CheckPassword(cipher, path, vector.Password));
    }
}

TEST(VaultFormat, RecordLinesWritten) {
    TBlowfish cipher;
    for (const auto& vector : VaultFormat().Records) {
        SCOPED_TRACE(vector.Line);
        EXPECT_EQ(vector.Line, EncodeRecord(cipher, vector.Record, vector.MasterPassword));
        TRecordCipher recordCipher(cipher, vector.MasterPassword);
        EXPECT_EQ(vector.Line, recordCipher.Encode(vector.Record));
        EXPECT_EQ(AccountColumn(vector.Line),
                  recordCipher.EncodeAccountName(vector.Record.Account));
    }
}

TEST(VaultFormat, RecordLinesRead) {
    TBlowfish cipher;
    for (const auto& vector : VaultFormat().Records) {
        SCOPED_TRACE(vector.Line);
        ExpectRecord(vector.Record, DecodeRecord(cipher, vector.Line, vector.MasterPassword));
        TRecordCipher recordCipher(cipher, vector.MasterPassword);
        ExpectRecord(vector.Record, recordCipher.Decode(vector.Line));
    }
}

TEST(VaultFormat, DataFileWrittenByteForByte) {
    TTempFolder folder;
    const std::string path = folder.File("PassData.kvf");
    TBlowfish cipher;
    std::vector<std::string> lines;
    for (const auto& record : VaultFileRecords)
        lines.push_back(EncodeRecord(cipher, record, VaultFilePassword));
    WriteDataFile(cipher, path, VaultFilePassword, lines);
    EXPECT_EQ(VaultFormat().VaultFile, ReadBytes(path));
}

TEST(VaultFormat, DataFileRead) {
    TTempFolder folder;
    const std::string path = folder.File("PassData.kvf");
    WriteBytes(path, VaultFormat().VaultFile);
    TBlowfish cipher;
    ASSERT_TRUE(CheckPassword(cipher, path, VaultFilePassword));
    const auto lines = ReadDataFile(path);
    ASSERT_EQ(VaultFileRecords.size(), lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        ExpectRecord(VaultFileRecords[i], DecodeRecord(cipher, lines[i], VaultFilePassword));
}

} // namespace
