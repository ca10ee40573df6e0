// The data file: writing and reopening, the password check, the line conventions as the vault
// sees them, failed writes, damaged files, the backup step and the master-password rule.

#include "vault/DataFile.h"
#include "VaultTestSupport.h"
#include "platform/PlatformErrors.h"
#include "vault/RecordCodec.h"

#include <gtest/gtest.h>

#include <cctype>
#include <csignal>
#include <filesystem>
#include <functional>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

const std::string Master = "Correct Horse";

const std::vector<TPassRecord> SomeRecords = {
    {"Bank", "jdoe", "pw", "x;y;"},
    {"Mail", "", "hunter2", ""},
    {},
    {"Caf\xE9", "me@example.org", std::string(40, '*'), "line one;;last;"},
};

std::vector<std::string> EncodeAll(TBlowfish& cipher, const std::vector<TPassRecord>& records,
                                   const std::string& master) {
    std::vector<std::string> lines;
    for (const auto& record : records)
        lines.push_back(EncodeRecord(cipher, record, master));
    return lines;
}

void ExpectRecords(TBlowfish& cipher, const std::vector<TPassRecord>& expected,
                   const std::vector<std::string>& lines, const std::string& master) {
    ASSERT_EQ(expected.size(), lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(i);
        const TPassRecord record = DecodeRecord(cipher, lines[i], master);
        EXPECT_EQ(expected[i].Account, record.Account);
        EXPECT_EQ(expected[i].Login, record.Login);
        EXPECT_EQ(expected[i].Password, record.Password);
        EXPECT_EQ(expected[i].Notes, record.Notes);
    }
}

class DataFile : public testing::Test {
protected:
    // A file of the check line and the given record lines, written by hand.
    std::string HandWritten(const std::string& recordPart) {
        return MakeCheckLine(FCipher, Master) + "\r\n" + recordPart;
    }

    TTempFolder FFolder;
    std::string FPath = FFolder.File("PassData.kvf");
    TBlowfish FCipher;
};

TEST_F(DataFile, WrittenVaultReopensUnderItsPassword) {
    const auto lines = EncodeAll(FCipher, SomeRecords, Master);
    WriteDataFile(FCipher, FPath, Master, lines);

    EXPECT_TRUE(CheckPassword(FCipher, FPath, Master));
    EXPECT_FALSE(CheckPassword(FCipher, FPath, "correct horse"));
    EXPECT_FALSE(CheckPassword(FCipher, FPath, Master + " "));
    const auto read = ReadDataFile(FPath);
    EXPECT_EQ(lines, read);
    ExpectRecords(FCipher, SomeRecords, read, Master);
}

TEST_F(DataFile, SameVaultTwiceGivesIdenticalBytes) {
    const auto lines = EncodeAll(FCipher, SomeRecords, Master);
    WriteDataFile(FCipher, FPath, Master, lines);
    const std::string first = ReadBytes(FPath);
    WriteDataFile(FCipher, FPath, Master, EncodeAll(FCipher, SomeRecords, Master));
    EXPECT_EQ(first, ReadBytes(FPath));
    EXPECT_EQ(HandWritten(lines[0] + "\r\n" + lines[1] + "\r\n;;;\r\n" + lines[3] + "\r\n"), first);
}

TEST_F(DataFile, EmptyVaultIsTheCheckLineAlone) {
    WriteDataFile(FCipher, FPath, Master, {});
    const std::string bytes = ReadBytes(FPath);
    ASSERT_EQ(18u, bytes.size());
    EXPECT_EQ("\r\n", bytes.substr(16));
    EXPECT_EQ(std::string::npos, bytes.substr(0, 16).find_first_not_of("0123456789ABCDEF"));
    EXPECT_TRUE(CheckPassword(FCipher, FPath, Master));
    EXPECT_TRUE(ReadDataFile(FPath).empty());
}

TEST_F(DataFile, CheckPasswordRefusalsReadNothing) {
    // An empty password cannot make a check line: the answer comes before any attempt.
    WriteBytes(FPath, HandWritten(""));
    EXPECT_FALSE(CheckPassword(FCipher, FPath, ""));
    EXPECT_FALSE(CheckPassword(FCipher, FFolder.File("missing.kvf"), Master));
    EXPECT_FALSE(CheckPassword(FCipher, FFolder.Path(), Master)) << "a folder is no file";
}

TEST_F(DataFile, CheckPasswordComparesTheWholeFirstLineExactly) {
    const std::string checkLine = MakeCheckLine(FCipher, Master);
    std::string lowerCase = checkLine;
    for (auto& ch : lowerCase)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    ASSERT_NE(checkLine, lowerCase) << "pick a password whose check line has a letter";
    for (const std::string& firstLine :
         {lowerCase, checkLine + " ", checkLine.substr(1), std::string()}) {
        SCOPED_TRACE(firstLine);
        WriteBytes(FPath, firstLine + "\r\n");
        EXPECT_FALSE(CheckPassword(FCipher, FPath, Master));
    }
    WriteBytes(FPath, checkLine);
    EXPECT_TRUE(CheckPassword(FCipher, FPath, Master)) << "a lone line needs no terminator";
}

TEST_F(DataFile, DecodableRecordsDoNotOpenUnderAnotherCheckLine) {
    const auto lines = EncodeAll(FCipher, SomeRecords, Master);
    WriteDataFile(FCipher, FPath, "another password", lines);
    EXPECT_FALSE(CheckPassword(FCipher, FPath, Master));
}

TEST_F(DataFile, PasswordTooLongForAKeyRaisesTheKeyError) {
    WriteBytes(FPath, HandWritten(""));
    EXPECT_THROW(CheckPassword(FCipher, FPath, std::string(57, 'k')), EKeyError);
    EXPECT_TRUE(CheckPassword(FCipher, FPath, Master)) << "the cipher must still be usable";
}

TEST_F(DataFile, LoneLineFeedsMakeOneLineThatNoPasswordOpens) {
    const auto lines = EncodeAll(FCipher, SomeRecords, Master);
    WriteBytes(FPath, MakeCheckLine(FCipher, Master) + "\n" + lines[0] + "\n" + lines[1] + "\n");
    EXPECT_FALSE(CheckPassword(FCipher, FPath, Master));
    EXPECT_TRUE(ReadDataFile(FPath).empty());
}

TEST_F(DataFile, LineEndsAsTheReaderSeesThem) {
    const auto lines = EncodeAll(FCipher, SomeRecords, Master);
    // No terminator after the last line: it is still a record.
    WriteBytes(FPath, HandWritten(lines[0] + "\r\n" + lines[1]));
    EXPECT_EQ((std::vector<std::string>{lines[0], lines[1]}), ReadDataFile(FPath));
    // An empty line at the end is one more, empty, record.
    WriteBytes(FPath, HandWritten(lines[0] + "\r\n\r\n"));
    const auto withEmpty = ReadDataFile(FPath);
    EXPECT_EQ((std::vector<std::string>{lines[0], ""}), withEmpty);
    ExpectRecords(FCipher, {SomeRecords[0], {}}, withEmpty, Master);
}

// A Ctrl-Z once ended the file wherever it stood, and the next save dropped every later record.
TEST_F(DataFile, ACtrlZWithDataAfterItLosesNoRecord) {
    const auto lines = EncodeAll(FCipher, SomeRecords, Master);
    const std::string damaged = lines[0] + "\x1A" + lines[1];
    WriteBytes(FPath, HandWritten(damaged + "\r\n" + lines[2] + "\r\n\x1A\x1A"));
    ASSERT_TRUE(CheckPassword(FCipher, FPath, Master));
    const auto read = ReadDataFile(FPath);
    EXPECT_EQ((std::vector<std::string>{damaged, lines[2]}), read);
    WriteDataFile(FCipher, FPath, Master, read);
    EXPECT_EQ(read, ReadDataFile(FPath));

    // The check line is read by the same rule.
    const std::string checkLine = MakeCheckLine(FCipher, Master);
    for (const auto& [bytes, opens] : std::vector<std::pair<std::string, bool>>{
             {checkLine + "\x1A\x1A", true},
             {checkLine + "\x1A\r\n", false},
             {checkLine + "\x1A" + lines[0], false},
         }) {
        WriteBytes(FPath, bytes);
        EXPECT_EQ(opens, CheckPassword(FCipher, FPath, Master)) << testing::PrintToString(bytes);
    }
}

TEST_F(DataFile, DamagedRecordLinesEndInTheCipherErrors) {
    const std::string valid = EncodeRecord(FCipher, SomeRecords[0], Master);
    WriteBytes(FPath, HandWritten(valid + "\r\n" + "Bank!;;;\r\n" + valid.substr(0, 5) + ";;;\r\n" +
                                  AccountColumn(valid) + "A;;;\r\n" + "\r\n" +
                                  AccountColumn(valid) + "\r\n"));
    ASSERT_TRUE(CheckPassword(FCipher, FPath, Master));
    const auto lines = ReadDataFile(FPath);
    ASSERT_EQ(6u, lines.size());
    EXPECT_EQ("Bank", DecodeRecord(FCipher, lines[0], Master).Account);
    EXPECT_THROW(DecodeRecord(FCipher, lines[1], Master), EConvertError);
    EXPECT_THROW(DecodeRecord(FCipher, lines[2], Master), EInputError);
    EXPECT_THROW(DecodeRecord(FCipher, lines[3], Master), EInputError);
    EXPECT_EQ("", DecodeRecord(FCipher, lines[4], Master).Account);
    // Without ";" the whole line is the notes text; here it deciphers under the record IV.
    const TPassRecord noSeparator = DecodeRecord(FCipher, lines[5], Master);
    EXPECT_EQ("", noSeparator.Account);
    EXPECT_EQ("Bank", noSeparator.Notes);
}

TEST_F(DataFile, RandomBytesEndInAnErrorOrGarbageButNeverOpen) {
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        std::string bytes(random() % 3000, '\0');
        for (auto& byte : bytes)
            byte = static_cast<char>(random() % 256);
        WriteBytes(FPath, bytes);
        EXPECT_FALSE(CheckPassword(FCipher, FPath, Master));
        for (const auto& line : ReadDataFile(FPath)) {
            try {
                TPassRecord record = DecodeRecord(FCipher, line, Master);
                WipeRecord(record);
            } catch (const Exception& error) {
                EXPECT_TRUE(IsDamagedFieldError(error)) << error.what();
            }
        }
    }
}

TEST_F(DataFile, WriteIntoAMissingFolderFailsAndCreatesNothing) {
    const std::string path = FFolder.File("no such folder/PassData.kvf");
    EXPECT_THROW(WriteDataFile(FCipher, path, Master, EncodeAll(FCipher, SomeRecords, Master)),
                 EInOutError);
    EXPECT_FALSE(std::filesystem::exists(FFolder.File("no such folder")));
}

TEST_F(DataFile, WriteOntoAFolderFailsAndLeavesIt) {
    const std::string folder = FFolder.File("folder.kvf");
    std::filesystem::create_directory(folder);
    WriteBytes(folder + "/inside", "kept");
    EXPECT_THROW(WriteDataFile(FCipher, folder, Master, {}), EInOutError);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ("kept", ReadBytes(folder + "/inside"));
}

TEST_F(DataFile, PasswordThatCannotBeAKeyLeavesTheOldFile) {
    WriteDataFile(FCipher, FPath, Master, EncodeAll(FCipher, SomeRecords, Master));
    const std::string before = ReadBytes(FPath);
    for (const std::string& password : {std::string(), std::string(57, 'k')}) {
        try {
            WriteDataFile(FCipher, FPath, password, {});
            ADD_FAILURE() << "a check line was made of " << password.size() << " bytes";
        } catch (const EKeyError& error) {
            EXPECT_STREQ("Blowfish: Key must be between 1 and 56 bytes", error.what());
        }
        EXPECT_EQ(before, ReadBytes(FPath));
    }
    EXPECT_FALSE(std::filesystem::exists(FFolder.File("missing.kvf")));
    EXPECT_THROW(WriteDataFile(FCipher, FFolder.File("missing.kvf"), "", {}), EKeyError);
    EXPECT_FALSE(std::filesystem::exists(FFolder.File("missing.kvf")));
}

// Lowers the file-size limit for the process, so that writing fails part way even for root.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &FOld);
        FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = FOld;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~TFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &FOld);
        std::signal(SIGXFSZ, FOldHandler);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    rlimit FOld{};
    void (*FOldHandler)(int) = nullptr;
};

TEST_F(DataFile, WriteThatFailsPartWayLeavesTheOldFile) {
    WriteDataFile(FCipher, FPath, Master, EncodeAll(FCipher, SomeRecords, Master));
    const std::string before = ReadBytes(FPath);
    std::vector<std::string> many;
    for (int i = 0; i < 2000; ++i)
        many.push_back(EncodeRecord(FCipher, {"Account " + std::to_string(i), "", "", ""}, Master));
    {
        TFileSizeLimit limit(before.size() + 1000);
        EXPECT_THROW(WriteDataFile(FCipher, FPath, Master, many), EInOutError);
    }
    EXPECT_EQ(before, ReadBytes(FPath));
    for (const auto& entry : std::filesystem::directory_iterator(FFolder.Path()))
        EXPECT_EQ("PassData.kvf", entry.path().filename().string()) << "a partial file was left";
}

TEST_F(DataFile, BackupCopiesTheFileAndReplacesAnOldBackup) {
    EXPECT_EQ(FPath + ".bak", BackupPath(FPath));
    WriteBytes(FPath, "current\r\n\x1a after the end");
    WriteBytes(BackupPath(FPath), "older backup, longer than the file");
    EXPECT_TRUE(MakeBackup(FPath));
    EXPECT_EQ("current\r\n\x1a after the end", ReadBytes(FPath)) << "the data file stays";
    EXPECT_EQ("current\r\n\x1a after the end", ReadBytes(BackupPath(FPath)));
}

TEST_F(DataFile, AFailedBackupSaysSoAndChangesNothing) {
    EXPECT_FALSE(MakeBackup(FFolder.File("missing.kvf")));
    // A folder in the backup's place cannot be replaced; the data file stays where it was.
    WriteBytes(FPath, "current");
    std::filesystem::create_directory(BackupPath(FPath));
    WriteBytes(BackupPath(FPath) + "/inside", "kept");
    EXPECT_FALSE(MakeBackup(FPath));
    EXPECT_EQ("current", ReadBytes(FPath));
    EXPECT_EQ("kept", ReadBytes(BackupPath(FPath) + "/inside"));
    for (const auto& entry : std::filesystem::directory_iterator(FFolder.Path()))
        EXPECT_NE(entry.path().filename().string().find("PassData.kvf"), std::string::npos)
            << "a partial copy was left: " << entry.path();
}

// A link at the backup's name would make a password change write the old vault over whatever it
// points at (or over the vault itself): the link is replaced by a backup file of its own.
TEST_F(DataFile, ALinkAtTheBackupNameIsReplacedAndNeverWrittenThrough) {
    WriteBytes(FPath, "the vault");
    const std::string other = FFolder.File("bashrc");
    WriteBytes(other, "the user's other file");
    for (const std::string& target : {other, FPath, FFolder.File("gone")}) {
        SCOPED_TRACE(target);
        std::filesystem::remove(BackupPath(FPath));
        std::filesystem::create_symlink(target, BackupPath(FPath));
        std::string problem;
        EXPECT_TRUE(MakeBackup(FPath, &problem)) << problem;
        EXPECT_TRUE(
            std::filesystem::is_regular_file(std::filesystem::symlink_status(BackupPath(FPath))));
        EXPECT_EQ(ReadBytes(BackupPath(FPath)), "the vault");
        EXPECT_EQ(ReadBytes(FPath), "the vault");
        EXPECT_EQ(ReadBytes(other), "the user's other file");
    }
    EXPECT_FALSE(std::filesystem::exists(FFolder.File("gone")));
}

// What is at the backup's name and may not be replaced is named, and the data file stays.
TEST_F(DataFile, ABackupNameThatMayNotBeReplacedIsNamedInTheRefusal) {
    WriteBytes(FPath, "the vault");
    const std::string backup = BackupPath(FPath);
    const struct {
        const char* What;
        std::function<void()> Make;
        const char* Said;
    } cases[] = {
        {"read-only",
         [&] {
             WriteBytes(backup, "older");
             std::filesystem::permissions(backup, std::filesystem::perms::owner_read);
         },
         " is read-only or may not be written, and is not replaced"},
        {"folder", [&] { std::filesystem::create_directory(backup); },
         " is a folder, and is not replaced"},
        {"pipe", [&] { ASSERT_EQ(::mkfifo(backup.c_str(), 0600), 0); },
         " is not a file but a device, pipe or socket, and is not replaced"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        std::filesystem::remove(backup);
        c.Make();
        const auto before = std::filesystem::symlink_status(backup).type();
        std::string problem;
        EXPECT_FALSE(MakeBackup(FPath, &problem));
        EXPECT_EQ(problem, backup + c.Said);
        EXPECT_EQ(std::filesystem::symlink_status(backup).type(), before);
        EXPECT_EQ(ReadBytes(FPath), "the vault");
    }
    std::filesystem::remove(backup);
    WriteBytes(backup, "older");
    std::filesystem::permissions(backup, std::filesystem::perms::owner_read);
    EXPECT_FALSE(MakeBackup(FPath));
    EXPECT_EQ(ReadBytes(backup), "older");
}

TEST_F(DataFile, PasswordChangeKeepsTheOldFileAsBackup) {
    const auto oldLines = EncodeAll(FCipher, SomeRecords, Master);
    WriteDataFile(FCipher, FPath, Master, oldLines);
    const std::string oldBytes = ReadBytes(FPath);

    const std::string newMaster = "new master";
    ASSERT_TRUE(CheckPassword(FCipher, FPath, Master));
    ASSERT_EQ("", NewMasterPasswordProblem(newMaster));
    ASSERT_TRUE(MakeBackup(FPath));
    std::vector<std::string> newLines;
    for (const auto& line : oldLines) {
        TPassRecord record = DecodeRecord(FCipher, line, Master);
        newLines.push_back(EncodeRecord(FCipher, record, newMaster));
        WipeRecord(record);
    }
    WriteDataFile(FCipher, FPath, newMaster, newLines);

    EXPECT_EQ(oldBytes, ReadBytes(BackupPath(FPath)));
    EXPECT_FALSE(CheckPassword(FCipher, FPath, Master));
    EXPECT_TRUE(CheckPassword(FCipher, FPath, newMaster));
    ExpectRecords(FCipher, SomeRecords, ReadDataFile(FPath), newMaster);
}

TEST(NewMasterPassword, MustHaveOneTo48Bytes) {
    const std::string problem =
        "The password must have 1 to 48 characters. The data file was not created or changed.";
    EXPECT_EQ(problem, NewMasterPasswordProblem(""));
    EXPECT_EQ("", NewMasterPasswordProblem("a"));
    EXPECT_EQ("", NewMasterPasswordProblem(" "));
    EXPECT_EQ("", NewMasterPasswordProblem(std::string(48, '\xE9')));
    EXPECT_EQ(problem, NewMasterPasswordProblem(std::string(49, 'a')));
    EXPECT_EQ(problem, NewMasterPasswordProblem(std::string(56, 'a')));
}

} // namespace
