#include "platform/FileStamp.h"

#include "platform/FileSystem.h"

#include <QFile>
#include <QFileInfo>

namespace {

std::int64_t ModifiedMsOf(const QFileInfo& info) {
    return info.lastModified().toMSecsSinceEpoch();
}

} // namespace

std::optional<TFileStamp> StampFile(const std::string& path) {
    TFileStamp stamp;
    if (!FilePresent(path))
        return stamp;
    QFile file(PathToQString(path));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    stamp.Present = true;
    stamp.ModifiedMs = ModifiedMsOf(QFileInfo(file));
    TContentHash content;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 count = file.read(buffer, sizeof buffer);
        if (count < 0)
            return std::nullopt;
        if (count == 0)
            break;
        content.Add(std::string_view(buffer, static_cast<std::size_t>(count)));
    }
    stamp.Content = content.Digest();
    return stamp;
}

std::optional<TFileStamp> StampFile(const std::string& path, const TContentDigest& content) {
    if (!FilePresent(path))
        return std::nullopt;
    TFileStamp stamp;
    stamp.Present = true;
    stamp.ModifiedMs = ModifiedMsOf(QFileInfo(PathToQString(path)));
    stamp.Content = content;
    return stamp;
}
