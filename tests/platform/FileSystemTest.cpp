#include "platform/FileSystem.h"
#include "TempFiles.h"

#include <gtest/gtest.h>

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

} // namespace
