#include "platform/FileStamp.h"

#include "base/SecureWipe.h"
#include "platform/FileSystem.h"
#include "platform/PlatformErrors.h"
#include "platform/RegularFile.h"

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
    try {
        // Something other than a file that took the name since, or a file that grows while it
        // is read, cannot be compared: the reader refuses both rather than wait or read on.
        TRegularFileReader file(path);
        stamp.Present = true;
        stamp.ModifiedMs = ModifiedMsOf(QFileInfo(PathToQString(path)));
        TContentHash content;
        std::string buffer(64 * 1024, '\0'); // holds the check line
        TWipeGuard bufferGuard(buffer);
        while (const std::size_t count = file.Read(buffer.data(), buffer.size()))
            content.Add(std::string_view(buffer.data(), count));
        stamp.Content = content.Digest();
    } catch (const EInOutError&) {
        return std::nullopt;
    }
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
