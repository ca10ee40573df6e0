#include "FileSystem.h"

#include <QFile>
#include <QFileInfo>

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
