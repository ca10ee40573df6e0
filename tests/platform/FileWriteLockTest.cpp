// Writers of one file take turns: a second lock waits and gives up naming the file, a lock whose
// holder died is taken over at once, and nothing but a plain file beside the data file is used.

#include "platform/FileWriteLock.h"
#include "TempFiles.h"
#include "platform/IoErrorCodes.h"
#include "platform/PlatformErrors.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

class FileWriteLockTest : public testing::Test {
protected:
    std::string Path(const char* name) const { return PathIn(FDir, name); }

    QTemporaryDir FDir;
};

// A process that holds the lock of path until it is killed.
class THolder {
public:
    explicit THolder(const std::string& path) {
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        FChild = ::fork();
        if (FChild == 0) {
            ::close(ready[0]);
            const TFileWriteLock lock(path);
            const char byte = 1;
            if (::write(ready[1], &byte, 1) == 1)
                ::pause();
            ::_exit(0);
        }
        ::close(ready[1]);
        char byte = 0;
        FHolding = FChild > 0 && ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
    }
    ~THolder() { Kill(); }

    bool Holding() const { return FHolding; }
    // Ends the holder without letting the lock go, as a crash or kill -9 does.
    void Kill() {
        if (FChild <= 0)
            return;
        ::kill(FChild, SIGKILL);
        ::waitpid(FChild, nullptr, 0);
        FChild = -1;
    }

private:
    pid_t FChild = -1;
    bool FHolding = false;
};

TEST_F(FileWriteLockTest, ASecondWriterWaitsThenGivesUpNamingTheFile) {
    const std::string path = Path("v.kvf");
    THolder holder(path);
    ASSERT_TRUE(holder.Holding());
    EXPECT_TRUE(QFile::exists(QString::fromStdString(path + ".lock")));
    try {
        const TFileWriteLock lock(path, 100ms);
        ADD_FAILURE() << "two writers held the lock at once";
    } catch (const EFileBusy& error) {
        EXPECT_EQ(error.Message(),
                  path + " is being written by another program. Nothing was written.");
    }
    // A holder that dies without letting go leaves the file, and its lock is taken over.
    holder.Kill();
    EXPECT_TRUE(QFile::exists(QString::fromStdString(path + ".lock")));
    { const TFileWriteLock lock(path, 100ms); }
    EXPECT_EQ(FolderEntries(FDir), QStringList{});
}

TEST_F(FileWriteLockTest, WritersInOneProcessTakeTurnsToo) {
    const std::string path = Path("v.kvf");
    {
        const TFileWriteLock first(path);
        EXPECT_THROW(TFileWriteLock(path, 50ms), EFileBusy);
    }
    const TFileWriteLock again(path, 50ms);
    EXPECT_EQ(FolderEntries(FDir), QStringList{"v.kvf.lock"});
}

// A link at the lock's name is not followed: the file it points at is neither made nor removed.
TEST_F(FileWriteLockTest, ALinkOrAFolderAtTheLockNameIsRefused) {
    WriteFileBytes(Path("victim"), "kept");
    ASSERT_EQ(::symlink("victim", Path("v.kvf.lock").c_str()), 0);
    ASSERT_EQ(::symlink("missing", Path("w.kvf.lock").c_str()), 0);
    ASSERT_TRUE(QDir(FDir.path()).mkdir("x.kvf.lock"));
    for (const char* name : {"v.kvf", "w.kvf", "x.kvf"}) {
        SCOPED_TRACE(name);
        try {
            const TFileWriteLock lock(Path(name), 50ms);
            ADD_FAILURE() << "locked";
        } catch (const EInOutError& error) {
            EXPECT_EQ(error.Path(), Path(name) + ".lock");
        }
    }
    EXPECT_EQ(ReadFileBytes(Path("victim")), "kept");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("missing"))));
}

// A data file reached through a link is written beside its target: so is its lock, which the
// link's own name and the target's name then share.
TEST_F(FileWriteLockTest, TheLockOfALinkedFileIsBesideItsTarget) {
    ASSERT_TRUE(QDir(FDir.path()).mkdir("real"));
    WriteFileBytes(Path("real/v.kvf"), "vault");
    ASSERT_EQ(::symlink("real/v.kvf", Path("link.kvf").c_str()), 0);
    EXPECT_EQ(TFileWriteLock::LockPathOf(Path("link.kvf")), Path("real/v.kvf") + ".lock");
    const TFileWriteLock lock(Path("link.kvf"));
    EXPECT_THROW(TFileWriteLock(Path("real/v.kvf"), 50ms), EFileBusy);
}

// A plain file of the user's at the lock's name serves as the lock and is not removed with it.
TEST_F(FileWriteLockTest, AFileOfTheUsersAtTheLockNameStays) {
    WriteFileBytes(Path("v.kvf.lock"), "the user's notes");
    { const TFileWriteLock lock(Path("v.kvf")); }
    EXPECT_EQ(ReadFileBytes(Path("v.kvf.lock")), "the user's notes");
}

} // namespace
