#include "platform/ReplacingFile.h"

#include "platform/FileSystem.h"
#include "platform/IoErrorCodes.h"
#include "platform/PlatformErrors.h"

#include <QRandomGenerator>

#ifdef Q_OS_WIN
#include <QFileInfo>
#include <QSaveFile>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <utility>

using namespace IoErrorCodes;

std::string FolderOfPath(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

#ifndef Q_OS_WIN

namespace {

// As many links as the system itself follows before it gives up with ELOOP.
constexpr int MaxLinkHops = 40;

// A name beside the target that nothing else uses: tried with O_EXCL until one is free.
std::string TemporaryName(const std::string& target) {
    static constexpr char Letters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string name = target + ".";
    for (int i = 0; i < 6; ++i)
        name += Letters[QRandomGenerator::system()->bounded(static_cast<int>(sizeof Letters - 1))];
    return name;
}

// 0, or the code of a failed sync of the folder that holds path. A folder that cannot be opened or
// synced at all (some file systems) is left alone.
int SyncFolderOf(const std::string& path) noexcept {
    const int folder = ::open(FolderOfPath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return 0;
    ClearSystemError();
    const int synced = ::fsync(folder);
    const int err = LastSystemError();
    ::close(folder);
    if (synced == 0 || err == EINVAL || err == EROFS)
        return 0;
    return FromSystemError(err, WriteFault);
}

} // namespace

std::string FollowedPath(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < MaxLinkHops; ++hop) {
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return current;
        std::string target(static_cast<std::size_t>(status.st_size > 0 ? status.st_size : 256) + 1,
                           '\0');
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<std::size_t>(length) >= target.size())
            return current; // changed meanwhile: the open that follows reports it
        target.resize(static_cast<std::size_t>(length));
        current = target.front() == '/' ? target : FolderOfPath(current) + "/" + target;
    }
    throw EInOutError(PathNotFound, path);
}

struct TReplacingFile::TState {
    std::string Temporary;
    int Handle = -1;
};

TReplacingFile::TReplacingFile(const std::string& path, TLinkAtName link)
    : FPath(path), FTarget(link == TLinkAtName::Follow ? FollowedPath(path) : path),
      FState(std::make_unique<TState>()) {
    if (path.empty())
        throw EInOutError(PathNotFound, path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temporary = TemporaryName(FTarget);
        ClearSystemError();
        // A new file of its own, never another file or a link that took the name.
        const int handle =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        const int err = LastSystemError();
        if (handle >= 0) {
            FState->Temporary = std::move(temporary);
            FState->Handle = handle;
            return;
        }
        if (err != EEXIST)
            throw EInOutError(CodeForFailure(err, FTarget, AccessDenied), path);
    }
    throw EInOutError(FileExists, path);
}

TReplacingFile::~TReplacingFile() {
    Cancel();
}

int TReplacingFile::Handle() const noexcept {
    return FState->Handle;
}

void TReplacingFile::Write(std::string_view bytes) {
    if (FState->Handle < 0)
        throw EInOutError(InvalidHandle, FPath);
    while (!bytes.empty()) {
        ClearSystemError();
        const ssize_t written = ::write(FState->Handle, bytes.data(), bytes.size());
        const int err = LastSystemError();
        if (written < 0 && err == EINTR)
            continue;
        if (written <= 0) {
            // A write that takes nothing and says nothing has met a full disk.
            Cancel();
            throw EInOutError(FromSystemError(err, DiskFull), FPath);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void TReplacingFile::Commit() {
    if (FState->Handle < 0)
        throw EInOutError(InvalidHandle, FPath);
    // A file that may not be on the disk must not replace the old one.
    ClearSystemError();
    if (::fsync(FState->Handle) != 0) {
        const int err = LastSystemError();
        if (err != EINVAL) { // a file system that cannot sync
            Cancel();
            throw EInOutError(FromSystemError(err, WriteFault), FPath);
        }
    }
    ClearSystemError();
    const int closed = ::close(std::exchange(FState->Handle, -1));
    int err = LastSystemError();
    if (closed != 0 && err != EINTR) {
        Cancel();
        throw EInOutError(FromSystemError(err, WriteFault), FPath);
    }
    ClearSystemError();
    if (::rename(FState->Temporary.c_str(), FTarget.c_str()) != 0) {
        err = LastSystemError();
        Cancel();
        throw EInOutError(CodeForFailure(err, FTarget, WriteFault), FPath);
    }
    FState->Temporary.clear();
    // The new file is in place; a failure to make that durable is still reported, so that the
    // vault stays marked as not saved.
    if (const int code = SyncFolderOf(FTarget))
        throw EInOutError::AfterReplacing(code, FPath);
}

void TReplacingFile::Cancel() noexcept {
    if (FState->Handle >= 0)
        ::close(std::exchange(FState->Handle, -1));
    if (!FState->Temporary.empty()) {
        ::unlink(FState->Temporary.c_str());
        FState->Temporary.clear();
    }
}

#else

std::string FollowedPath(const std::string& path) {
    const QFileInfo info(PathToQString(path));
    return info.isSymLink() ? PathFromQString(info.symLinkTarget()) : path;
}

struct TReplacingFile::TState {
    QSaveFile File;
    bool Open = false;
};

TReplacingFile::TReplacingFile(const std::string& path, TLinkAtName link)
    : FPath(path), FTarget(link == TLinkAtName::Follow ? FollowedPath(path) : path),
      FState(std::make_unique<TState>()) {
    FState->File.setFileName(PathToQString(FTarget));
    FState->File.setDirectWriteFallback(false);
    ClearSystemError();
    if (!FState->File.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw EInOutError(CodeForFailure(LastSystemError(), FTarget, AccessDenied), path);
    FState->Open = true;
}

TReplacingFile::~TReplacingFile() {
    Cancel();
}

int TReplacingFile::Handle() const noexcept {
    return FState->File.handle();
}

void TReplacingFile::Write(std::string_view bytes) {
    ClearSystemError();
    const auto size = static_cast<qint64>(bytes.size());
    if (!FState->Open || FState->File.write(bytes.data(), size) != size) {
        const int err = LastSystemError();
        Cancel();
        throw EInOutError(FromSystemError(err, WriteFault), FPath);
    }
}

void TReplacingFile::Commit() {
    ClearSystemError();
    const bool committed = FState->Open && FState->File.commit();
    FState->Open = false;
    if (!committed)
        throw EInOutError(CodeForFailure(LastSystemError(), FTarget, WriteFault), FPath);
}

void TReplacingFile::Cancel() noexcept {
    if (FState->Open)
        FState->File.cancelWriting();
    FState->Open = false;
}

#endif
