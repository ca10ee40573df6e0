#include "platform/IoErrorCodes.h"

#include <QtGlobal>

#include <cerrno>

#ifdef Q_OS_WIN
#include "platform/FileSystem.h"
#include <QFileInfo>
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace IoErrorCodes {

#ifdef Q_OS_WIN

void ClearSystemError() noexcept {
    SetLastError(0);
}
int LastSystemError() noexcept {
    return static_cast<int>(GetLastError());
}

#else

void ClearSystemError() noexcept {
    errno = 0;
}
int LastSystemError() noexcept {
    return errno;
}

int FromErrno(int err) noexcept {
    switch (err) {
    case ENOENT:
        return FileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return PathNotFound;
    case EMFILE:
    case ENFILE:
        return TooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return AccessDenied;
    case ETXTBSY:
    case EBUSY:
        return SharingViolation;
    case ENOSPC:
    case EDQUOT:
        return DiskFull;
    case EFBIG:
        return FileTooLarge;
    case EEXIST:
        return FileExists;
    case EIO:
        return DeviceError;
    case EPIPE:
        return BrokenPipe;
    case EINTR:
        return OperationAborted;
    case ENETDOWN:
    case ENETUNREACH:
    case ENETRESET:
    case ECONNABORTED:
    case ECONNRESET:
    case ENOTCONN:
    case ETIMEDOUT:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ESTALE:
    case EISCONN:
        return UnexpectedNetError;
    default:
        break;
    }
    if (err <= 0 || err > SystemErrorLimit - SystemErrorBase)
        return GeneralFailure;
    return SystemErrorBase + err;
}

#endif

int FromSystemError(int err, int fallback) noexcept {
    if (err == 0)
        return fallback;
#ifdef Q_OS_WIN
    return err;
#else
    return FromErrno(err);
#endif
}

#ifdef Q_OS_WIN

int CodeForPath(const std::string& path) {
    if (path.empty())
        return PathNotFound;
    const QFileInfo info(PathToQString(path));
    if (info.exists())
        return info.isDir() ? AccessDenied : 0;
    return QFileInfo(info.absolutePath()).isDir() ? FileNotFound : PathNotFound;
}

int CodeForFailure(int err, const std::string& path, int fallback) {
    if (err != 0)
        return err;
    const int code = CodeForPath(path);
    return code != 0 ? code : fallback;
}

#else

namespace {

std::string ParentFolder(const std::string& path) {
    std::string parent = path;
    while (parent.size() > 1 && parent.back() == '/')
        parent.pop_back();
    const auto slash = parent.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return parent.substr(0, slash);
}

} // namespace

int CodeForPath(const std::string& path) {
    if (path.empty())
        return PathNotFound;
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0)
        return S_ISDIR(status.st_mode) ? AccessDenied : 0;
    const int err = errno;
    if (err != ENOENT)
        return FromErrno(err);
    struct stat folder {};
    if (::stat(ParentFolder(path).c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode))
        return PathNotFound;
    return FileNotFound;
}

int CodeForFailure(int err, const std::string& path, int fallback) {
    if (err == ENOENT || err == 0) {
        // ENOENT does not say which part of the path is missing.
        const int code = CodeForPath(path);
        if (code != 0)
            return code;
        return err == 0 ? fallback : FileNotFound;
    }
    return FromErrno(err);
}

#endif

} // namespace IoErrorCodes
