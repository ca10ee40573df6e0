// Who may read the files that a vault leaves on disk, and what the data-file operations do when
// the name holds no file but a pipe or a device.

#include "FaultInjection.h"
#include "VaultTestSupport.h"
#include "platform/IoErrorCodes.h"
#include "platform/PlatformErrors.h"
#include "vault/DataFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>

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
