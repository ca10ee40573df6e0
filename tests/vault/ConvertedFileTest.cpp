// A data file with LF line ends or a byte-order mark is told apart from a wrong password and
// given its own form back byte for byte; other files are left alone.

#include "VaultTestSupport.h"

#include "platform/FileSystem.h"
#include "vault/ConvertedFile.h"
#include "vault/DataFile.h"
#include "vault/Vault.h"

#include <sys/stat.h>

namespace {

struct ConvertedFileTest : ::testing::Test {
    TTempFolder Folder;
    TBlowfish Cipher;
    const std::string Path = Folder.File("vault.kvf");
    std::string Original;

    void SetUp() override {
        WriteDataFile(Cipher, Path, "secret",
                      {EncodeRecord(Cipher, {"Bank", "me", "pw", "a;;"}, "secret"),
                       EncodeRecord(Cipher, {"Mail", "", "", ""}, "secret")});
        Original = ReadBytes(Path);
    }
    static std::string WithLf(std::string bytes) {
        for (std::size_t at = 0; (at = bytes.find("\r\n", at)) != std::string::npos;)
            bytes.erase(at, 1);
        return bytes;
    }
};

TEST_F(ConvertedFileTest, ConversionsAreNamedAndUndoneByteForByte) {
    const std::string bom = "\xEF\xBB\xBF";
    const struct {
        std::string Bytes;
        bool Lf;
        bool Mark;
        const char* Said;
    } cases[] = {
        {WithLf(Original), true, false, " has LF line ends: it was converted by another program"},
        {bom + Original, false, true,
         " starts with a UTF-8 byte-order mark: it was converted by another program"},
        {bom + WithLf(Original), true, true,
         " has LF line ends and starts with a UTF-8 byte-order mark: it was converted by another "
         "program"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Said);
        WriteBytes(Path, c.Bytes);
        ASSERT_EQ(::chmod(Path.c_str(), 0640), 0);
        TVault vault;
        EXPECT_EQ(vault.Open(Path, "secret"), TOpenResult::WrongPassword); // the reading rule
        const TFileConversion conversion = DetectFileConversion(Path);
        EXPECT_EQ(conversion.LfLineEnds, c.Lf);
        EXPECT_EQ(conversion.ByteOrderMark, c.Mark);
        EXPECT_EQ(ConversionProblem(Path, conversion), Path + c.Said);

        EXPECT_EQ(RepairConvertedFile(Path, "wrong"), TRepairResult::WrongPassword);
        EXPECT_EQ(ReadBytes(Path), c.Bytes);
        EXPECT_EQ(RepairConvertedFile(Path, "secret"), TRepairResult::Repaired);
        EXPECT_EQ(ReadBytes(Path), Original);
        struct stat status {};
        ASSERT_EQ(::stat(Path.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0640u);
        EXPECT_EQ(vault.Open(Path, "secret"), TOpenResult::Opened);
        EXPECT_FALSE(DetectFileConversion(Path).Any());
    }
}

// A file in its own form, one that is no data file, and one with mixed line ends are no
// conversion of a data file: they stay as they are.
TEST_F(ConvertedFileTest, OtherFilesAreNoConversion) {
    const std::string cases[] = {
        Original,
        "just some text\nwith LF line ends\n",
        "\xEF\xBB\xBFsome text with a mark\r\n",
        WithLf(Original).substr(0, 17) + Original.substr(18), // CR LF after the first line
        "",
    };
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        WriteBytes(Path, bytes);
        EXPECT_FALSE(DetectFileConversion(Path).Any());
        EXPECT_EQ(ConversionProblem(Path, DetectFileConversion(Path)), "");
        EXPECT_EQ(RepairConvertedFile(Path, "secret"), TRepairResult::NotConverted);
        EXPECT_EQ(ReadBytes(Path), bytes);
    }
    EXPECT_FALSE(DetectFileConversion(Folder.File("missing.kvf")).Any());
}

} // namespace
