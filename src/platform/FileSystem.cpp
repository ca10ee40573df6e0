#include "platform/FileSystem.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifndef Q_OS_WIN
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
    const QFileInfo info(PathToQString(path));
    return info.exists() && !info.isDir();
}

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

bool CopyFileReplacing(const std::string& from, const std::string& to) {
    if (from.empty() || to.empty())
        return false;
    QFile source(PathToQString(from));
    if (!source.open(QIODevice::ReadOnly))
        return false;
    QSaveFile target(PathToQString(to));
    target.setDirectWriteFallback(false);
    if (!target.open(QIODevice::WriteOnly))
        return false;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 count = source.read(buffer, sizeof buffer);
        if (count < 0 || (count > 0 && target.write(buffer, count) != count)) {
            target.cancelWriting();
            return false;
        }
        if (count == 0)
            break;
    }
#ifndef Q_OS_WIN
    // As for the data file: a copy that may not be on the disk must not replace anything.
    if (!target.flush() || ::fsync(target.handle()) != 0) {
        target.cancelWriting();
        return false;
    }
#endif
    return target.commit();
}
