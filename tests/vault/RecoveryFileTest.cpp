// Changes kept beside the data file when nobody can answer the save question: a data file of its
// own that opens under the master password, no easier to read than the data file, never written
// through a link.

#include "VaultTestSupport.h"

#include "platform/FileSystem.h"
#include "platform/PlatformErrors.h"
#include "vault/DataFile.h"
#include "vault/RecoveryFile.h"
#include "vault/Vault.h"

#include <sys/stat.h>

namespace {

struct RecoveryFileTest : ::testing::Test {
    TTempFolder Folder;
    TBlowfish Cipher;
    const std::string Path = Folder.File("vault.kvf");

    mode_t ModeOf(const std::string& path) {
        struct stat status {};
        EXPECT_EQ(::lstat(path.c_str(), &status), 0);
        return status.st_mode & 07777;
    }
};

TEST_F(RecoveryFileTest, KeptChangesOpenUnderThePasswordWithTheDataFilesMode) {
    WriteDataFile(Cipher, Path, "secret", {});
    TVault vault;
    ASSERT_EQ(vault.Open(Path, "secret"), TOpenResult::Opened);
    ASSERT_TRUE(vault.Add("unsaved"));
    vault.StoreField(&TPassRecord::Notes, "kept;");
    for (const mode_t mode : {0600u, 0640u, 0400u}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(::chmod(Path.c_str(), mode), 0);
        WriteRecoveryFile(Path, MakeCheckLine(Cipher, "secret"), vault.Records().Lines());
        EXPECT_EQ(ModeOf(RecoveryPath(Path)), mode);
        EXPECT_TRUE(RecoveryFileTime(Path));
        TVault kept;
        ASSERT_EQ(kept.Open(RecoveryPath(Path), "secret"), TOpenResult::Opened);
        ASSERT_EQ(kept.AccountCount(), 1);
        kept.Select(0);
        EXPECT_EQ(kept.Current().Notes, "kept;");
    }
    EXPECT_TRUE(DiscardRecoveryFile(Path));
    EXPECT_FALSE(RecoveryFileTime(Path));
    EXPECT_TRUE(DiscardRecoveryFile(Path));
    // Without a data file (it was moved away), for the owner alone.
    std::filesystem::remove(Path);
    WriteRecoveryFile(Path, MakeCheckLine(Cipher, "secret"), {});
    EXPECT_EQ(ModeOf(RecoveryPath(Path)), 0600u);
}

TEST_F(RecoveryFileTest, ALinkAtTheNameIsReplacedAndAFolderRefused) {
    WriteDataFile(Cipher, Path, "secret", {});
    const std::string other = Folder.File("bashrc");
    WriteBytes(other, "the user's file");
    std::filesystem::create_symlink(other, RecoveryPath(Path));
    EXPECT_FALSE(RecoveryFileTime(Path)) << "a link is no recovery file to offer";
    WriteRecoveryFile(Path, MakeCheckLine(Cipher, "secret"), {});
    EXPECT_EQ(ReadBytes(other), "the user's file");
    EXPECT_TRUE(
        std::filesystem::is_regular_file(std::filesystem::symlink_status(RecoveryPath(Path))));

    std::filesystem::remove(RecoveryPath(Path));
    std::filesystem::create_directory(RecoveryPath(Path));
    EXPECT_THROW(WriteRecoveryFile(Path, MakeCheckLine(Cipher, "secret"), {}), EInOutError);
    EXPECT_FALSE(DiscardRecoveryFile(Path));
    EXPECT_TRUE(std::filesystem::is_directory(RecoveryPath(Path)));
}

} // namespace
