#include "vault/RecoveryFile.h"

#include "base/SecureWipe.h"
#include "platform/FileSystem.h"
#include "platform/IoErrorCodes.h"
#include "platform/PlatformErrors.h"
#include "platform/RegularFile.h"
#include "platform/ReplacingFile.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace IoErrorCodes;

namespace {

constexpr std::size_t WriteBufferSize = 64 * 1024;

} // namespace

std::string RecoveryPath(const std::string& path) {
    return path + ".recovery";
}

void WriteRecoveryFile(const std::string& path, const std::string& checkLine,
                       const std::vector<std::string>& lines) {
    const std::string recovery = RecoveryPath(path);
#ifndef _WIN32
    // A recovery file of its own is replaced even when read-only, as it has the data file's mode.
    struct stat existing {};
    if (::lstat(recovery.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
        if (const int refusal = RefusalOfType(existing.st_mode))
            throw EInOutError(refusal, recovery);
    }
#endif
    TReplacingFile file(recovery, TLinkAtName::Replace);
#ifndef _WIN32
    struct stat data {};
    ClearSystemError();
    const bool restricted =
        ::stat(path.c_str(), &data) == 0 && S_ISREG(data.st_mode)
            ? TakeOverAccess(file.Handle(), data.st_mode, data.st_uid, data.st_gid)
            : ::fchmod(file.Handle(), NewFileMode) == 0;
    if (!restricted)
        throw EInOutError(FromSystemError(LastSystemError(), AccessDenied), recovery);
#endif
    // Holds the check line: room made once, wiped after.
    std::string buffer;
    TWipeGuard wipeBuffer(buffer);
    buffer.reserve(WriteBufferSize);
    const auto put = [&](const std::string& line) {
        if (buffer.size() + line.size() + 2 > buffer.capacity()) {
            file.Write(buffer);
            WipeBytes(buffer);
        }
        if (line.size() + 2 > buffer.capacity()) {
            file.Write(line);
            file.Write("\r\n");
            return;
        }
        buffer.append(line).append("\r\n");
    };
    put(checkLine);
    for (const std::string& line : lines)
        put(line);
    file.Write(buffer);
    file.Commit();
}

std::optional<std::int64_t> RecoveryFileTime(const std::string& path) {
    const std::string recovery = RecoveryPath(path);
#ifndef _WIN32
    struct stat status {};
    if (::lstat(recovery.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000 +
           status.st_mtim.tv_nsec / 1000000;
#else
    if (!FilePresent(recovery))
        return std::nullopt;
    return 0;
#endif
}

bool DiscardRecoveryFile(const std::string& path) {
    const std::string recovery = RecoveryPath(path);
    if (!NamePresent(recovery))
        return true;
    return !FolderPresent(recovery) && EraseFile(recovery);
}
