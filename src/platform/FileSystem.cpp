#include "platform/FileSystem.h"

#include "base/SecureWipe.h"
#include "platform/PlatformErrors.h"
#include "platform/RegularFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

QString PathToQString(const std::string& path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string PathFromQString(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

bool FilePresent(const std::string& path) {
    if (path.empty())
        return false;
#ifndef Q_OS_WIN
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
#else
    return QFileInfo(PathToQString(path)).isFile();
#endif
}

#ifndef Q_OS_WIN
bool TakeOverAccess(int handle, mode_t mode, uid_t owner, gid_t group) {
    struct stat now {};
    if (::fstat(handle, &now) != 0)
        return false;
    if (now.st_uid != owner || now.st_gid != group) {
        // An ordinary user may not give a file away, but may hand it to a group of their own.
        if (::fchown(handle, owner, group) != 0 && ::fchown(handle, now.st_uid, group) != 0) {
            // Neither is permitted: the file keeps the writer's owner and group.
        }
        if (::fstat(handle, &now) != 0)
            return false;
    }
    mode_t bits = mode & (S_IRWXU | S_IRWXG | S_IRWXO);
    if (now.st_gid != group)
        bits &= static_cast<mode_t>(~S_IRWXG);
    return ::fchmod(handle, bits) == 0;
}
#endif

bool EraseFile(const std::string& path) {
    if (path.empty() || QFileInfo(PathToQString(path)).isDir())
        return false;
    return QFile::remove(PathToQString(path));
}

bool MoveFileTo(const std::string& oldPath, const std::string& newPath) {
    if (oldPath.empty() || newPath.empty())
        return false;
    // QFile::rename refuses an existing target, and on Linux the refusal is atomic.
    return QFile::rename(PathToQString(oldPath), PathToQString(newPath));
}

bool SameFile(const std::string& first, const std::string& second) {
    const QString one = QFileInfo(PathToQString(first)).canonicalFilePath();
    return !one.isEmpty() && one == QFileInfo(PathToQString(second)).canonicalFilePath();
}

bool CopyFileReplacing(const std::string& from, const std::string& to) {
    if (from.empty() || to.empty())
        return false;
#ifndef Q_OS_WIN
    struct stat existing {};
    if (::stat(to.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode))
        return false;
#endif
    try {
        TRegularFileReader source(from);
        QSaveFile target(PathToQString(to));
        target.setDirectWriteFallback(false);
        if (!target.open(QIODevice::WriteOnly))
            return false;
#ifndef Q_OS_WIN
        // QSaveFile gives the copy the old backup's permissions, or the umask's, and ignores a
        // failure to set them; the copy of a vault must be no easier to read than the vault.
        struct stat original {};
        if (::fstat(source.Handle(), &original) != 0 ||
            !TakeOverAccess(target.handle(), original.st_mode, original.st_uid, original.st_gid)) {
            target.cancelWriting();
            return false;
        }
#endif
        // The file holds the check line.
        std::string buffer(64 * 1024, '\0');
        TWipeGuard bufferGuard(buffer);
        while (const std::size_t count = source.Read(buffer.data(), buffer.size())) {
            if (target.write(buffer.data(), static_cast<qint64>(count)) !=
                static_cast<qint64>(count)) {
                target.cancelWriting();
                return false;
            }
        }
#ifndef Q_OS_WIN
        // As for the data file: a copy that may not be on the disk must not replace anything.
        if (!target.flush() || ::fsync(target.handle()) != 0) {
            target.cancelWriting();
            return false;
        }
#endif
        return target.commit();
    } catch (const EInOutError&) {
        return false;
    }
}
