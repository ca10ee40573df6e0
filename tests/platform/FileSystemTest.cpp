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

#include <filesystem>
#include <fstream>
#include <random>

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
        if (std::string(name) == "pipe.kvf") {
            EXPECT_FALSE(CopyFileReplacing(Path("vault.kvf"), path));
        }
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

// In order with Read, or in parts with ReadPartAt (as a large file is read on two cores) and then
// RequireEndAtSize.
TEST_F(FileSystemTest, ReadingStopsAtTheSizeSeenAtOpening) {
    for (const bool inParts : {false, true}) {
        for (const char* change : {"grows", "shrinks", "stays"}) {
            SCOPED_TRACE(std::string(inParts ? "in parts, " : "in order, ") + change);
            WriteFileBytes(Path("vault.kvf"), "0123456789");
            TRegularFileReader reader(Path("vault.kvf"));
            ASSERT_EQ(reader.Size(), 10u);
            char buffer[64];
            ASSERT_EQ(reader.Read(buffer, 4), 4u);
            if (change == std::string("grows")) {
                std::ofstream(Path("vault.kvf"), std::ios::binary | std::ios::app) << "more";
            } else if (change == std::string("shrinks")) {
                ASSERT_EQ(::truncate(Path("vault.kvf").c_str(), 6), 0);
            }
            const auto readToTheEnd = [&] {
                if (inParts) {
                    reader.ReadPartAt(5, buffer + 5, 5);
                    reader.ReadPartAt(0, buffer, 5);
                    reader.RequireEndAtSize();
                    return;
                }
                while (reader.Read(buffer, sizeof buffer) != 0) {
                }
            };
            EXPECT_EQ(ErrorCodeOf(readToTheEnd),
                      change == std::string("stays") ? 0 : IoErrorCodes::FileChangedWhileRead);
        }
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

namespace {

// Every byte string, UTF-8 or not, comes back from Qt's strings as it went in.
TEST(PathBytes, EveryByteStringSurvivesTheRoundTripThroughQt) {
    const std::vector<std::string> samples = {"plain.kvf",
                                              "caf\xC3\xA9.kvf",
                                              "bad\xFF.kvf",
                                              "bad\xFE.kvf",
                                              "\xC3",
                                              "\xED\xB2\x80",
                                              "\xF4\x90\x80\x80",
                                              "\xC0\xAF",
                                              "\xF0\x9F\x98\x80",
                                              "\xE2\x82",
                                              std::string("\x80\xBF", 2)};
    for (const std::string& path : samples) {
        SCOPED_TRACE(testing::PrintToString(path));
        EXPECT_EQ(PathFromQString(PathToQString(path)), path);
    }
    // Two names that differ in a byte that is not UTF-8 stay two names.
    EXPECT_NE(PathToQString("bad\xFF.kvf"), PathToQString("bad\xFE.kvf"));
    std::mt19937 random(19);
    for (int round = 0; round < 2000; ++round) {
        std::string path(random() % 12, '\0');
        for (char& byte : path)
            byte = static_cast<char>(random() % 255 + 1);
        ASSERT_EQ(PathFromQString(PathToQString(path)), path) << testing::PrintToString(path);
    }
    const char* const argv[] = {"kestovar-cli", "ls", "bad\xFF.kvf"};
    EXPECT_EQ(PathFromQString(ArgumentsFromCommandLine(3, argv).at(2)), "bad\xFF.kvf");
}

TEST_F(FileSystemTest, NamesThatAreNotUtf8AreWrittenReadAndStampedAsThemselves) {
    // The folder's name as bytes, then the file's bytes as they are.
    const auto Raw = [this](const char* name) { return FDir.path().toStdString() + "/" + name; };
    const std::string first = Raw("bad\xFF.kvf");
    const std::string second = Raw("bad\xFE.kvf");
    for (const std::string& path : {first, second}) {
        TTextFile file;
        file.OpenTextForWriting(path);
        file.WriteTextLine(path.substr(path.size() - 8));
        file.CloseTextFile();
    }
    EXPECT_EQ(ReadFileBytes(first), "bad\xFF.kvf\r\n");
    EXPECT_EQ(ReadFileBytes(second), "bad\xFE.kvf\r\n");
    EXPECT_EQ(ReadFirstTextLine(first, 16), "bad\xFF.kvf");
    const std::optional<TFileStamp> stamp = StampFile(first);
    ASSERT_TRUE(stamp);
    EXPECT_TRUE(stamp->Present);
    EXPECT_NE(stamp->ModifiedMs, 0);
    EXPECT_TRUE(CopyFileReplacing(first, Raw("copy\xFF.kvf")));
    EXPECT_EQ(ReadFileBytes(Raw("copy\xFF.kvf")), "bad\xFF.kvf\r\n");
    EXPECT_TRUE(EraseFile(Raw("copy\xFF.kvf")));
    EXPECT_TRUE(MoveFileTo(second, Raw("moved\xFE.kvf")));
    EXPECT_FALSE(MoveFileTo(first, Raw("moved\xFE.kvf")));
    EXPECT_TRUE(FilePresent(first));
    EXPECT_TRUE(FilePresent(Raw("moved\xFE.kvf")));
    // Qt's own folder listing cannot name these files: gone by their bytes, for QTemporaryDir.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Raw("")),
                            std::filesystem::directory_iterator()),
              2);
    EXPECT_TRUE(EraseFile(first));
    EXPECT_TRUE(EraseFile(Raw("moved\xFE.kvf")));
}

// A link at the copy's name (a backup name pointing at another file of the user's, or at the
// vault itself) is replaced by the copy; what it pointed at is never written.
TEST_F(FileSystemTest, ACopyReplacesALinkAtItsNameAndNeverWritesThroughIt) {
    WriteFileBytes(Path("vault.kvf"), "vault");
    WriteFileBytes(Path("victim"), "the user's other file");
    const struct {
        const char* Link;
        const char* Target;
    } links[] = {{"to-victim.bak", "victim"},
                 {"to-vault.bak", "vault.kvf"},
                 {"dangling.bak", "nowhere/else"},
                 {"to-zero.bak", "/dev/zero"}};
    for (const auto& link : links) {
        SCOPED_TRACE(link.Link);
        ASSERT_EQ(::symlink(link.Target, Path(link.Link).c_str()), 0);
        EXPECT_EQ(CopyFileOnto(Path("vault.kvf"), Path(link.Link)),
                  DigestOfOwnFile(Path("vault.kvf")));
        struct stat status {};
        ASSERT_EQ(::lstat(Path(link.Link).c_str(), &status), 0);
        EXPECT_TRUE(S_ISREG(status.st_mode));
        EXPECT_EQ(ReadFileBytes(Path(link.Link)), "vault");
    }
    EXPECT_EQ(ReadFileBytes(Path("victim")), "the user's other file");
    EXPECT_EQ(ReadFileBytes(Path("vault.kvf")), "vault");
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(Path("nowhere"))));
}

TEST_F(FileSystemTest, ACopyNeverReplacesAFolderAPipeOrAReadOnlyFile) {
    WriteFileBytes(Path("vault.kvf"), "vault");
    ASSERT_TRUE(QDir(FDir.path()).mkdir("folder.bak"));
    ASSERT_EQ(::mkfifo(Path("pipe.bak").c_str(), 0600), 0);
    WriteFileBytes(Path("locked.bak"), "kept");
    ASSERT_EQ(::chmod(Path("locked.bak").c_str(), 0444), 0);
    const std::pair<const char*, int> cases[] = {
        {"folder.bak", IoErrorCodes::AccessDenied},
        {"pipe.bak", IoErrorCodes::NotARegularFile},
        {"locked.bak", IoErrorCodes::AccessDenied},
    };
    for (const auto& [name, code] : cases) {
        SCOPED_TRACE(name);
        try {
            CopyFileOnto(Path("vault.kvf"), Path(name));
            ADD_FAILURE() << "replaced";
        } catch (const EInOutError& error) {
            EXPECT_EQ(error.ErrorCode(), code);
            EXPECT_EQ(error.Path(), Path(name));
        }
    }
    EXPECT_EQ(ReadFileBytes(Path("locked.bak")), "kept");
    EXPECT_EQ(FolderEntries(FDir),
              (QStringList{"folder.bak", "locked.bak", "pipe.bak", "vault.kvf"}));
    // Reading a file of the program's own refuses a link in its place.
    ASSERT_EQ(::symlink("vault.kvf", Path("link.bak").c_str()), 0);
    EXPECT_EQ(ErrorCodeOf([&] { DigestOfOwnFile(Path("link.bak")); }),
              IoErrorCodes::NotARegularFile);
}

} // namespace
