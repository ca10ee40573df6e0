#include "platform/FileSystem.h"
#include "TempFiles.h"
#include "platform/FileStamp.h"
#include "platform/IoErrorCodes.h"
#include "platform/PlatformErrors.h"
#include "platform/RegularFile.h"
#include "platform/TextFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace {

class FileSystemTest : public testing::Test {
protected:
    std::string Path(const char* name) const { return PathIn(FDir, name); }

    QTemporaryDir FDir;
};

TEST_F(FileSystemTest, AFolderIsNoFile) {
    WriteFileBytes(Path("file.kvf"), "x");
    ASSERT_TRUE(QDir(FDir.path()).mkdir("folder.kvf"));
    EXPECT_TRUE(FilePresent(Path("file.kvf")));
    EXPECT_FALSE(FilePresent(Path("folder.kvf")));
    EXPECT_FALSE(FilePresent(Path("missing.kvf")));
    EXPECT_FALSE(FilePresent(""));
    EXPECT_FALSE(EraseFile(Path("folder.kvf")));
    EXPECT_TRUE(QFileInfo(QString::fromStdString(Path("folder.kvf"))).isDir());
}

TEST_F(FileSystemTest, EraseAndMove) {
    WriteFileBytes(Path("vault.kvf"), "data");
    WriteFileBytes(Path("vault.kvf.bak"), "backup");

    EXPECT_FALSE(MoveFileTo(Path("vault.kvf"), Path("vault.kvf.bak")));
    EXPECT_EQ(ReadFileBytes(Path("vault.kvf")), "data");
    EXPECT_EQ(ReadFileBytes(Path("vault.kvf.bak")), "backup");

    EXPECT_TRUE(EraseFile(Path("vault.kvf.bak")));
    EXPECT_FALSE(EraseFile(Path("vault.kvf.bak")));
    EXPECT_TRUE(MoveFileTo(Path("vault.kvf"), Path("vault.kvf.bak")));
    EXPECT_FALSE(FilePresent(Path("vault.kvf")));
    EXPECT_EQ(ReadFileBytes(Path("vault.kvf.bak")), "data");
    EXPECT_FALSE(MoveFileTo(Path("vault.kvf"), Path("other.kvf")));
}

TEST_F(FileSystemTest, PathsKeepTheirBytes) {
    const std::string path =
        Path("caf\xC3\xA9 \xE2\x82\xAC.kvf"); // UTF-8, the file-system encoding
    EXPECT_EQ(PathFromQString(PathToQString(path)), path);
    WriteFileBytes(path, "x");
    EXPECT_TRUE(FilePresent(path));
}

template <typename Action> int ErrorCodeOf(Action action) {
    try {
        action();
    } catch (const EInOutError& error) {
        return error.ErrorCode();
    }
    return 0;
}

// A pipe would block whoever opens or reads it, and /dev/zero never ends: every way in refuses
// them at once. An alarm ends the test program instead of letting it hang.
TEST_F(FileSystemTest, PipesAndDevicesAreRefusedWithoutWaiting) {
    ASSERT_EQ(::mkfifo(Path("pipe.kvf").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", Path("zero.kvf").c_str()), 0);
    WriteFileBytes(Path("vault.kvf"), "0123456789ABCDEF\r\n");
    ::alarm(60);
    for (const char* name : {"pipe.kvf", "zero.kvf"}) {
        SCOPED_TRACE(name);
        const std::string path = Path(name);
        EXPECT_FALSE(FilePresent(path));
        TTextFile file;
        EXPECT_EQ(ErrorCodeOf([&] { file.OpenTextForReading(path); }),
                  IoErrorCodes::NotARegularFile);
        EXPECT_EQ(ErrorCodeOf([&] { ReadFirstTextLine(path, 16); }), IoErrorCodes::NotARegularFile);
        EXPECT_EQ(ErrorCodeOf([&] { file.OpenTextForWriting(path); }),
                  IoErrorCodes::NotARegularFile);
        EXPECT_EQ(StampFile(path), TFileStamp{});
        EXPECT_FALSE(CopyFileReplacing(path, Path("copy.kvf")));
        EXPECT_FALSE(CopyFileReplacing(Path("vault.kvf"), path));
    }
    ::alarm(0);
    struct stat status {};
    ASSERT_EQ(::lstat(Path("pipe.kvf").c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    ASSERT_EQ(::lstat(Path("zero.kvf").c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode));
    EXPECT_EQ(FolderEntries(FDir), (QStringList{"pipe.kvf", "vault.kvf", "zero.kvf"}));
    EXPECT_STREQ(EInOutError(IoErrorCodes::NotARegularFile).what(),
                 "Not a file but a device, pipe or socket");
}

TEST_F(FileSystemTest, ReadingStopsAtTheSizeSeenAtOpening) {
    for (const bool grow : {true, false}) {
        SCOPED_TRACE(grow ? "grows" : "shrinks");
        WriteFileBytes(Path("vault.kvf"), "0123456789");
        TRegularFileReader reader(Path("vault.kvf"));
        ASSERT_EQ(reader.Size(), 10u);
        char buffer[64];
        ASSERT_EQ(reader.Read(buffer, 4), 4u);
        if (grow) {
            std::ofstream(Path("vault.kvf"), std::ios::binary | std::ios::app) << "more";
        } else {
            ASSERT_EQ(::truncate(Path("vault.kvf").c_str(), 6), 0);
        }
        const auto readToTheEnd = [&] {
            while (reader.Read(buffer, sizeof buffer) != 0) {
            }
        };
        EXPECT_EQ(ErrorCodeOf(readToTheEnd), IoErrorCodes::FileChangedWhileRead);
    }
}

// A search that jumps about a large file reads where it asks, apart from the reading position,
// and is told when the file has become shorter than it was.
TEST_F(FileSystemTest, ReadsAtAnyPlaceUpToTheSizeItWasOpenedWith) {
    WriteFileBytes(Path("list.txt"), "0123456789");
    TRegularFileReader reader(Path("list.txt"));
    char buffer[16] = {};
    const std::pair<std::uint64_t, std::string> cases[] = {
        {0, "0123456789"}, {7, "789"}, {9, "9"}, {10, ""}, {42, ""}};
    for (const auto& [offset, expected] : cases) {
        SCOPED_TRACE(offset);
        const std::size_t got = reader.ReadAt(offset, buffer, sizeof buffer);
        EXPECT_EQ(std::string(buffer, got), expected);
    }
    ASSERT_EQ(reader.Read(buffer, 3), 3u);
    EXPECT_EQ(reader.ReadAt(5, buffer, 2), 2u);
    EXPECT_EQ(std::string(buffer, 2), "56");
    ASSERT_EQ(reader.Read(buffer, 3), 3u); // the reading position is where Read left it
    EXPECT_EQ(std::string(buffer, 3), "345");
    ASSERT_EQ(::truncate(Path("list.txt").c_str(), 4), 0);
    EXPECT_EQ(ErrorCodeOf([&] { reader.ReadAt(2, buffer, 8); }),
              IoErrorCodes::FileChangedWhileRead);
}

// A copy of a vault is no easier to read than the vault, whatever the umask and an older copy.
TEST_F(FileSystemTest, ACopyTakesThePermissionsAndOwnerOfItsOriginal) {
    const TUmask permissive(0);
    WriteFileBytes(Path("vault.kvf"), "data");
    ASSERT_EQ(::chmod(Path("vault.kvf").c_str(), 0600), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(Path("vault.kvf").c_str(), 4321, 4322), 0);
    }
    for (const bool olderCopy : {false, true}) {
        SCOPED_TRACE(olderCopy ? "over an older copy" : "new");
        if (olderCopy) {
            WriteFileBytes(Path("vault.kvf.bak"), "older");
            ASSERT_EQ(::chmod(Path("vault.kvf.bak").c_str(), 0666), 0);
        }
        EXPECT_TRUE(CopyFileReplacing(Path("vault.kvf"), Path("vault.kvf.bak")));
        struct stat status {};
        ASSERT_EQ(::stat(Path("vault.kvf.bak").c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, 0600u);
        if (root) {
            EXPECT_EQ(status.st_uid, 4321u);
            EXPECT_EQ(status.st_gid, 4322u);
        }
        EXPECT_EQ(ReadFileBytes(Path("vault.kvf.bak")), "data");
    }
}

} // namespace
