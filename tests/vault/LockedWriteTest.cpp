// Saves and password changes under the file's write lock: a file changed by another program is
// never overwritten unless the user agreed to overwrite it as it is, and a backup name that may
// not be replaced stops a password change before anything changes.

#include "VaultTestSupport.h"

#include "platform/FileSystem.h"
#include "platform/PlatformErrors.h"
#include "vault/DataFile.h"
#include "vault/LockedWrite.h"
#include "vault/Vault.h"

#include <sys/stat.h>

namespace {

// Lines a new password cannot reach stay under the old one: these files have none.
bool KeepStranded(const std::vector<TStrandedLine>&) {
    return true;
}

struct LockedWriteTest : ::testing::Test {
    TTempFolder Folder;
    TBlowfish Cipher;
    const std::string Path = Folder.File("vault.kvf");

    void SetUp() override {
        WriteDataFile(Cipher, Path, "secret",
                      {EncodeRecord(Cipher, {"Bank", "", "", ""}, "secret")});
    }
    // Another program's change of the data file.
    void ChangeElsewhere(const std::string& name) {
        TVault other;
        ASSERT_EQ(other.Open(Path, "secret"), TOpenResult::Opened);
        ASSERT_TRUE(other.Add(name));
        other.Save();
    }
    bool Holds(const std::string& name, const std::string& password = "secret") {
        TVault reread;
        EXPECT_EQ(reread.Open(Path, password), TOpenResult::Opened);
        return reread.FindAccount(name) >= 0;
    }
};

TEST_F(LockedWriteTest, AChangeElsewhereIsOverwrittenOnlyAsTheUserAgreedToIt) {
    TVault vault;
    ASSERT_EQ(vault.Open(Path, "secret"), TOpenResult::Opened);
    ASSERT_TRUE(vault.Add("mine"));
    SaveUnderLock(vault, Path);
    EXPECT_TRUE(Holds("mine"));

    ASSERT_TRUE(vault.Add("second"));
    ChangeElsewhere("theirs");
    std::string before = ReadBytes(Path);
    EXPECT_THROW(SaveUnderLock(vault, Path), EChangedElsewhere);
    EXPECT_EQ(ReadBytes(Path), before);
    EXPECT_TRUE(vault.Modified());

    // Agreed to as it was; changed again before the write: still caught.
    const std::optional<TOverwriteConsent> consent = ConsentToOverwrite(Path);
    ASSERT_TRUE(consent);
    ChangeElsewhere("later");
    before = ReadBytes(Path);
    try {
        SaveUnderLock(vault, Path, consent);
        ADD_FAILURE() << "overwrote a change made after the question";
    } catch (const EChangedElsewhere& error) {
        EXPECT_EQ(error.Path(), Path);
        EXPECT_EQ(error.Message(),
                  Path + " was changed by another program since it was read. Nothing was written.");
    }
    EXPECT_EQ(ReadBytes(Path), before);

    SaveUnderLock(vault, Path, ConsentToOverwrite(Path));
    EXPECT_TRUE(Holds("second"));
    EXPECT_FALSE(Holds("later"));
    EXPECT_FALSE(vault.Modified());
    EXPECT_FALSE(NamePresent(Path + ".lock"));
}

// Save as onto a file the user agreed to replace: a file that appears or changes meanwhile is
// not replaced.
TEST_F(LockedWriteTest, SaveAsKeepsToTheFileTheUserAgreedToReplace) {
    const std::string other = Folder.File("other.kvf");
    TVault vault;
    ASSERT_EQ(vault.Open(Path, "secret"), TOpenResult::Opened);
    const std::optional<TOverwriteConsent> absent = ConsentToOverwrite(other);
    ASSERT_TRUE(absent);
    WriteBytes(other, "made meanwhile");
    EXPECT_THROW(SaveUnderLock(vault, other, absent), EChangedElsewhere);
    EXPECT_EQ(ReadBytes(other), "made meanwhile");
    EXPECT_EQ(vault.Path(), Path);

    SaveUnderLock(vault, other, ConsentToOverwrite(other));
    EXPECT_EQ(vault.Path(), other);
    EXPECT_EQ(ReadBytes(other), ReadBytes(Path));
}

TEST_F(LockedWriteTest, APasswordChangeStopsAtABackupNameThatMayNotBeReplaced) {
    const std::string backup = BackupPath(Path);
    WriteBytes(backup, "older backup");
    ASSERT_EQ(::chmod(backup.c_str(), 0400), 0);
    TVault vault;
    ASSERT_EQ(vault.Open(Path, "secret"), TOpenResult::Opened);
    const std::string before = ReadBytes(Path);
    const auto change = [&] {
        return WriteUnderLock(vault, Path, std::nullopt, [&] {
            return BackupNameProblem(Path).empty() &&
                   vault.ChangePassword("new", KeepStranded) == TPasswordChange::Changed;
        });
    };
    EXPECT_EQ(BackupNameProblem(Path),
              backup + " is read-only or may not be written, and is not replaced");
    EXPECT_FALSE(change());
    EXPECT_EQ(ReadBytes(Path), before);
    EXPECT_EQ(ReadBytes(backup), "older backup");
    EXPECT_FALSE(vault.Modified());

    ASSERT_EQ(::chmod(backup.c_str(), 0600), 0);
    EXPECT_TRUE(change());
    EXPECT_EQ(ReadBytes(backup), before);
    EXPECT_TRUE(Holds("Bank", "new"));
}

TEST_F(LockedWriteTest, APasswordChangeOverAChangeElsewhereMakesNoBackup) {
    TVault vault;
    ASSERT_EQ(vault.Open(Path, "secret"), TOpenResult::Opened);
    ChangeElsewhere("theirs");
    const std::string before = ReadBytes(Path);
    EXPECT_THROW(WriteUnderLock(vault, Path, std::nullopt,
                                [&] { return vault.ChangePassword("new", KeepStranded); }),
                 EChangedElsewhere);
    EXPECT_EQ(ReadBytes(Path), before);
    EXPECT_FALSE(NamePresent(BackupPath(Path)));
}

} // namespace
