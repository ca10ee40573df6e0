#include "platform/FileStamp.h"

#include "platform/FileSystem.h"
#include "platform/PlatformErrors.h"

#include <QDateTime>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace {

// Looked up by the path's bytes: Qt's file classes would take another name for one that is not
// UTF-8.
std::int64_t ModifiedMsOf(const std::string& path) {
#ifndef Q_OS_WIN
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return 0;
    return static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000 +
           status.st_mtim.tv_nsec / 1000000;
#else
    return QFileInfo(PathToQString(path)).lastModified().toMSecsSinceEpoch();
#endif
}

} // namespace

std::optional<TFileStamp> StampFile(const std::string& path) {
    TFileStamp stamp;
    if (!FilePresent(path))
        return stamp;
    try {
        // Something other than a file that took the name since, or a file that grows while it
        // is read, cannot be compared: the reader refuses both rather than wait or read on.
        stamp.ModifiedMs = ModifiedMsOf(path);
        stamp.Content = DigestOfFile(path, TLinkAtReading::Follow);
        stamp.Present = true;
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
    stamp.ModifiedMs = ModifiedMsOf(path);
    stamp.Content = content;
    return stamp;
}
