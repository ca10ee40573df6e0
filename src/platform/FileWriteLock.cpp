#include "platform/FileWriteLock.h"

#include "platform/FileSystem.h"
#include "platform/IoErrorCodes.h"
#include "platform/PlatformErrors.h"
#include "platform/ReplacingFile.h"

#include <QLockFile>

#include <thread>

#ifndef Q_OS_WIN
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace IoErrorCodes;

namespace {

// Between two tries; a write of the data file takes about this long.
constexpr std::chrono::milliseconds RetryPause{20};

} // namespace

std::string TFileWriteLock::LockPathOf(const std::string& path) {
    return FollowedPath(path) + ".lock";
}

#ifndef Q_OS_WIN

TFileWriteLock::TFileWriteLock(const std::string& path, std::chrono::milliseconds wait)
    : FLockPath(LockPathOf(path)) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        ClearSystemError();
        // Read-only is enough for an advisory lock, also on a lock file another user made.
        const int handle = ::open(FLockPath.c_str(),
                                  O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        const int err = LastSystemError();
        if (handle < 0) {
            // No file can be made there, so no other writer can replace the file either.
            if (err == EACCES || err == EPERM || err == EROFS)
                return;
            // A link or a folder at the lock's name is named: it stops every writer.
            if (err == ELOOP || err == EISDIR)
                throw EInOutError(err == ELOOP ? NotARegularFile
                                               : CodeForFailure(err, FLockPath, AccessDenied),
                                  FLockPath);
            // Named as the data file: the lock beside it is the program's, not the user's.
            throw EInOutError(CodeForFailure(err, path, AccessDenied), path);
        }
        struct stat held {};
        if (::fstat(handle, &held) != 0 || !S_ISREG(held.st_mode)) {
            ::close(handle);
            throw EInOutError(NotARegularFile, FLockPath);
        }
        if (::flock(handle, LOCK_EX | LOCK_NB) == 0) {
            // The holder before may have removed the file after it was opened here: only the
            // file that still has the name counts.
            struct stat named {};
            if (::lstat(FLockPath.c_str(), &named) == 0 && named.st_dev == held.st_dev &&
                named.st_ino == held.st_ino) {
                FHandle = handle;
                return;
            }
            ::close(handle);
            continue;
        }
        const int lockErr = errno;
        ::close(handle);
        // A file system without advisory locks: the write goes on without one, as it always has.
        if (lockErr != EWOULDBLOCK && lockErr != EINTR)
            return;
        if (std::chrono::steady_clock::now() >= deadline)
            throw EFileBusy(path);
        std::this_thread::sleep_for(RetryPause);
    }
}

TFileWriteLock::~TFileWriteLock() {
    if (FHandle < 0)
        return;
    // Removed while it is still held, so that nobody takes the lock on a file without a name. A
    // file of that name that is not empty was not made by a lock: it stays.
    struct stat held {};
    if (::fstat(FHandle, &held) == 0 && held.st_size == 0)
        ::unlink(FLockPath.c_str());
    ::close(FHandle);
}

#else

TFileWriteLock::TFileWriteLock(const std::string& path, std::chrono::milliseconds wait)
    : FLockPath(LockPathOf(path)), FQtLock(std::make_unique<QLockFile>(PathToQString(FLockPath))) {
    if (FQtLock->tryLock(wait))
        return;
    if (FQtLock->error() == QLockFile::LockFailedError)
        throw EFileBusy(path);
    FQtLock.reset(); // no lock file can be made there
}

TFileWriteLock::~TFileWriteLock() = default;

#endif
