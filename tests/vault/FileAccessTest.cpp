// Who may read the files that a vault leaves on disk, and what the data-file operations do when
// the name holds no file but a pipe or a device.

#include "FaultInjection.h"
#include "VaultTestSupport.h"
#include "platform/IoErrorCodes.h"
#include "platform/PlatformErrors.h"
#include "vault/DataFile.h"
#include "vault/Vault.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <optional>

namespace {

using namespace FaultInjection;

const std::string Master = "Correct Horse";

mode_t ModeOf(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

class FileAccess : public testing::Test {
protected:
    void SetUp() override { FOldMask = ::umask(0); }
    void TearDown() override { ::umask(FOldMask); }

    TTempFolder FFolder;
    std::string FPath = FFolder.File("PassData.kvf");
    TBlowfish FCipher;
    mode_t FOldMask = 0;
};

TEST_F(FileAccess, NewVaultsAndBackupsAreForTheOwnerAlone) {
    WriteDataFile(FCipher, FPath, Master, {});
    EXPECT_EQ(ModeOf(FPath), 0600u) << "a new vault";
    ASSERT_TRUE(MakeBackup(FPath));
    EXPECT_EQ(ModeOf(BackupPath(FPath)), 0600u) << "a new backup";
    ASSERT_EQ(::chmod(BackupPath(FPath).c_str(), 0644), 0);
    ASSERT_TRUE(MakeBackup(FPath));
    EXPECT_EQ(ModeOf(BackupPath(FPath)), 0600u) << "a backup over a readable one";
    ASSERT_EQ(::chmod(FPath.c_str(), 0640), 0);
    WriteDataFile(FCipher, FPath, Master, {});
    EXPECT_EQ(ModeOf(FPath), 0640u) << "a saved vault keeps its mode";
}

// Whichever attempt to set the permissions of the new file fails, the file that results is for
// the owner alone, or else the write fails, leaves nothing behind and the old file stays.
TEST_F(FileAccess, PermissionsThatCannotBeSetLeaveNoFile) {
    WriteDataFile(FCipher, FPath, Master, {});
    const std::string data = ReadBytes(FPath);
    const std::vector<std::pair<std::string, std::function<bool()>>> writers = {
        {BackupPath(FPath), [&] { return MakeBackup(FPath); }},
        {FPath,
         [&] {
             try {
                 WriteDataFile(FCipher, FPath, Master, {"new line"});
                 return true;
             } catch (const EInOutError&) {
                 return false;
             }
         }},
    };
    for (const auto& [target, write] : writers) {
        SCOPED_TRACE(target);
        const auto reset = [&] {
            WriteDataFile(FCipher, FPath, Master, {});
            WriteBytes(BackupPath(FPath), "older backup");
            ::chmod(BackupPath(FPath).c_str(), 0666);
        };
        reset();
        std::vector<int> fchmodCalls;
        {
            const TFaultInjector counter(FFolder.Path(), {});
            ASSERT_TRUE(write());
            const auto calls = counter.Calls();
            for (std::size_t i = 0; i < calls.size(); ++i)
                if (calls[i].Function == "fchmod")
                    fchmodCalls.push_back(static_cast<int>(i) + 1);
        }
        ASSERT_FALSE(fchmodCalls.empty()) << "the permissions were never set";
        bool refused = false;
        for (const int failAt : fchmodCalls) {
            reset();
            const std::string before = ReadBytes(target);
            TFaultPlan plan;
            plan.FailAt = failAt;
            bool written = false;
            {
                const TFaultInjector injector(FFolder.Path(), plan);
                written = write();
            }
            refused = refused || !written;
            if (written) {
                EXPECT_EQ(ModeOf(target), 0600u) << failAt;
                continue;
            }
            EXPECT_EQ(ReadBytes(target), before) << failAt;
            EXPECT_EQ(ReadBytes(FPath), data) << failAt;
            std::size_t entries = 0;
            for ([[maybe_unused]] const auto& entry :
                 std::filesystem::directory_iterator(FFolder.Path()))
                ++entries;
            EXPECT_EQ(entries, 2u) << "a new file was left behind";
        }
        EXPECT_TRUE(refused) << "a failure to set the permissions went unnoticed";
    }
}

TEST_F(FileAccess, APipeOrADeviceIsNoDataFile) {
    const std::string pipe = FFolder.File("pipe.kvf");
    const std::string zero = FFolder.File("zero.kvf");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
    ::alarm(60); // ends the program rather than letting it hang
    for (const std::string& path : {pipe, zero}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(CheckPassword(FCipher, path, Master));
        EXPECT_FALSE(FileHasCheckLine(path, MakeCheckLine(FCipher, Master)));
        EXPECT_FALSE(MakeBackup(path));
        try {
            ReadDataFile(path);
            ADD_FAILURE() << "read";
        } catch (const EInOutError& error) {
            EXPECT_EQ(error.ErrorCode(), IoErrorCodes::NotARegularFile);
        }
        try {
            WriteDataFile(FCipher, path, Master, {});
            ADD_FAILURE() << "written";
        } catch (const EInOutError& error) {
            EXPECT_EQ(error.ErrorCode(), IoErrorCodes::NotARegularFile);
        }
    }
    ::alarm(0);
}

} // namespace

namespace {

// A password change that fails at any call it makes leaves the vault as it was, in memory and on
// disk: the file's password still opens it and unlocks it, and nothing is reported as changed.
TEST_F(FileAccess, APasswordChangeThatFailsAnywhereLeavesTheVaultAsItWas) {
    WriteDataFile(FCipher, FPath, Master,
                  {EncodeRecord(FCipher, {"bank", "b", "pw", ""}, Master),
                   EncodeRecord(FCipher, {"mail", "m", "pw", ""}, Master)});
    const std::string fileBytes = ReadBytes(FPath);
    const auto keepAll = [](const std::vector<TStrandedLine>&) { return true; };
    std::size_t calls = 0;
    {
        TVault vault;
        ASSERT_EQ(vault.Open(FPath, Master), TOpenResult::Opened);
        TFaultInjector counter(FFolder.Path(), {});
        ASSERT_EQ(vault.ChangePassword("fresh", keepAll), TPasswordChange::Changed);
        calls = counter.Calls().size();
    }
    ASSERT_GT(calls, 4u);
    for (std::size_t k = 1; k <= calls; ++k) {
        SCOPED_TRACE("failure at call " + std::to_string(k));
        WriteBytes(FPath, fileBytes);
        TVault vault;
        ASSERT_EQ(vault.Open(FPath, Master), TOpenResult::Opened);
        vault.Select(vault.FindAccount("mail"));
        vault.StoreField(&TPassRecord::Login, "changed");
        const std::vector<std::string> lines = vault.Records().Lines();
        std::optional<TPasswordChange> result;
        {
            TFaultPlan plan;
            plan.FailAt = static_cast<int>(k);
            TFaultInjector injector(FFolder.Path(), plan);
            try {
                result = vault.ChangePassword("fresh", keepAll);
            } catch (const std::exception&) {
            }
        }
        if (result == TPasswordChange::Changed || ReadBytes(FPath) != fileBytes) {
            // Failed after the file was replaced: the vault follows the file.
            EXPECT_TRUE(vault.PasswordOpens(FPath, "fresh"));
            ASSERT_TRUE(vault.Lock());
            EXPECT_TRUE(vault.Unlock("fresh")) << "the file's password no longer opens the vault";
            continue;
        }
        EXPECT_EQ(vault.Records().Lines(), lines);
        EXPECT_TRUE(vault.Modified());
        EXPECT_EQ(ReadBytes(FPath), fileBytes);
        ASSERT_TRUE(vault.Lock());
        EXPECT_TRUE(vault.Unlock(Master)) << "the file's password no longer opens the vault";
        EXPECT_EQ(vault.Current().Login, "changed");
    }
}

// A line whose name reads but whose other fields do not is named before anything changes; a
// cancel keeps everything, and going on lists it as damaged rather than as an account.
TEST_F(FileAccess, APasswordChangeNamesTheAccountsItCannotReachFirst) {
    std::string half = EncodeRecord(FCipher, {"half", "h", "pw", "notes;"}, Master);
    const std::string other = EncodeRecord(FCipher, {"half", "h", "pw", "notes;"}, "other");
    half = half.substr(0, half.rfind(';')) + other.substr(other.rfind(';'));
    WriteDataFile(FCipher, FPath, Master,
                  {EncodeRecord(FCipher, {"bank", "b", "pw", ""}, Master), half});
    const std::string fileBytes = ReadBytes(FPath);
    TVault vault;
    ASSERT_EQ(vault.Open(FPath, Master), TOpenResult::Opened);
    ASSERT_EQ(vault.AccountCount(), 2);
    std::vector<std::string> told;
    const auto answer = [&told](bool keep) {
        return [&told, keep](const std::vector<TStrandedLine>& stranded) {
            told.push_back(StrandedLinesList(stranded));
            return keep;
        };
    };
    EXPECT_EQ(vault.ChangePassword("fresh", answer(false)), TPasswordChange::Cancelled);
    EXPECT_EQ(told, std::vector<std::string>{"\"half\""});
    EXPECT_EQ(ReadBytes(FPath), fileBytes);
    EXPECT_TRUE(vault.PasswordOpensDataFile(Master));
    EXPECT_FALSE(vault.Modified());

    EXPECT_EQ(vault.ChangePassword("fresh", answer(true)), TPasswordChange::Changed);
    EXPECT_EQ(vault.AccountCount(), 1);
    EXPECT_EQ(vault.DamagedLines(), std::vector<int>{1});
    EXPECT_EQ(ReadDataFile(FPath)[1], half);
}

} // namespace
