#include "FileStamp.h"

#include "FileSystem.h"

#include <QFile>
#include <QFileInfo>

#include <functional>
#include <string_view>

std::optional<TFileStamp> StampFile(const std::string& path) {
    TFileStamp stamp;
    if (!FilePresent(path))
        return stamp;
    stamp.Present = true;
    QFile file(PathToQString(path));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QFileInfo info(file);
    stamp.ModifiedMs = info.lastModified().toMSecsSinceEpoch();
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    stamp.Size = content.size();
    // The content is enciphered: a fast hash is enough to see a change.
    stamp.Hash = std::hash<std::string_view>{}(
        std::string_view(content.constData(), static_cast<std::size_t>(content.size())));
    return stamp;
}
