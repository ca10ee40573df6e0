#include "platform/RegularFile.h"

#include "platform/FileSystem.h"
#include "platform/IoErrorCodes.h"
#include "platform/PlatformErrors.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>

#ifndef Q_OS_WIN
#include <cerrno>
#endif

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace IoErrorCodes;

#ifndef Q_OS_WIN
int RefusalOfType(mode_t mode) noexcept {
    if (S_ISREG(mode))
        return 0;
    return S_ISDIR(mode) ? AccessDenied : NotARegularFile;
}
#endif

TRegularFileReader::TRegularFileReader(const std::string& path, TLinkAtReading link)
    : FFile(std::make_unique<QFile>()), FPath(path) {
    if (path.empty())
        throw EInOutError(PathNotFound, path);
#ifndef Q_OS_WIN
    // Looked at before opening, so that no device is opened at all; the descriptor is checked
    // again, since something else may take the name in between.
    const bool follow = link == TLinkAtReading::Follow;
    struct stat status {};
    if ((follow ? ::stat(path.c_str(), &status) : ::lstat(path.c_str(), &status)) == 0) {
        if (!follow && S_ISLNK(status.st_mode))
            throw EInOutError(NotARegularFile, path);
        if (const int refusal = RefusalOfType(status.st_mode))
            throw EInOutError(refusal, path);
    }
    ClearSystemError();
    const int handle = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC |
                                                (follow ? 0 : O_NOFOLLOW));
    const int err = LastSystemError();
    if (handle < 0)
        throw EInOutError(err == ELOOP && !follow ? NotARegularFile
                                                  : CodeForFailure(err, path, AccessDenied),
                          path);
    ClearSystemError();
    const bool described = ::fstat(handle, &status) == 0;
    const int refusal =
        described ? RefusalOfType(status.st_mode) : FromSystemError(LastSystemError(), ReadFault);
    if (refusal != 0) {
        ::close(handle);
        throw EInOutError(refusal, path);
    }
    if (!FFile->open(handle, QIODevice::ReadOnly | QIODevice::Unbuffered,
                     QFileDevice::AutoCloseHandle)) {
        ::close(handle);
        throw EInOutError(ReadFault, path);
    }
    FSize = static_cast<std::uint64_t>(status.st_size);
#else
    (void)link;
    FFile->setFileName(PathToQString(path));
    const QFileInfo info(FFile->fileName());
    if (info.exists() && !info.isFile())
        throw EInOutError(info.isDir() ? AccessDenied : NotARegularFile, path);
    ClearSystemError();
    const bool opened = FFile->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    const int err = LastSystemError();
    if (!opened)
        throw EInOutError(CodeForFailure(err, path, AccessDenied), path);
    FSize = static_cast<std::uint64_t>(FFile->size());
#endif
}

TRegularFileReader::~TRegularFileReader() = default;

int TRegularFileReader::Handle() const noexcept {
    return FFile->handle();
}

std::size_t TRegularFileReader::ReadSomeAt(std::uint64_t offset, char* buffer, std::size_t count,
                                           const std::string& path) {
    for (;;) {
        ClearSystemError();
#ifndef Q_OS_WIN
        const ssize_t got = ::pread(FFile->handle(), buffer, count, static_cast<off_t>(offset));
#else
        const qint64 got = FFile->seek(static_cast<qint64>(offset))
                               ? FFile->read(buffer, static_cast<qint64>(count))
                               : -1;
#endif
        const int err = LastSystemError();
        if (got >= 0)
            return static_cast<std::size_t>(got);
#ifndef Q_OS_WIN
        if (err == EINTR)
            continue;
#endif
        throw EInOutError(FromSystemError(err, ReadFault), path);
    }
}

void TRegularFileReader::ReadAllAt(std::uint64_t offset, char* buffer, std::size_t count,
                                   const std::string& path) {
    for (std::size_t done = 0; done < count;) {
        const std::size_t got = ReadSomeAt(offset + done, buffer + done, count - done, path);
        if (got == 0)
            throw EInOutError(FileChangedWhileRead, path);
        done += got;
    }
}

std::size_t TRegularFileReader::ReadAt(std::uint64_t offset, char* buffer, std::size_t count) {
    if (offset >= FSize)
        return 0;
    const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(count, FSize - offset));
    ReadAllAt(offset, buffer, wanted, {});
    return wanted;
}

void TRegularFileReader::ReadPartAt(std::uint64_t offset, char* buffer, std::size_t count) {
    ReadAllAt(offset, buffer, count, FPath);
}

void TRegularFileReader::RequireEndAtSize() {
    char probe = 0;
    if (ReadSomeAt(FSize, &probe, 1, FPath) != 0)
        throw EInOutError(FileChangedWhileRead, FPath);
}

std::size_t TRegularFileReader::Read(char* buffer, std::size_t count) {
    char probe = 0;
    const bool atSize = FRead >= FSize;
    // At the size seen at open one more byte is asked for: there must be none.
    const std::size_t wanted =
        atSize ? 1 : static_cast<std::size_t>(std::min<std::uint64_t>(count, FSize - FRead));
    if (wanted == 0)
        return 0;
    ClearSystemError();
    const qint64 got = FFile->read(atSize ? &probe : buffer, static_cast<qint64>(wanted));
    const int err = LastSystemError();
    if (got < 0)
        throw EInOutError(FromSystemError(err, ReadFault), FPath);
    if (atSize ? got != 0 : got == 0)
        throw EInOutError(FileChangedWhileRead, FPath);
    if (atSize)
        return 0;
    FRead += static_cast<std::uint64_t>(got);
    return static_cast<std::size_t>(got);
}
