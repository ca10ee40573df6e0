#include "platform/FileSystem.h"

#include "base/SecureWipe.h"
#include "base/Utf8.h"
#include "platform/IoErrorCodes.h"
#include "platform/PlatformErrors.h"
#include "platform/RegularFile.h"
#include "platform/ReplacingFile.h"

#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace IoErrorCodes;

namespace {

// The bytes that are not UTF-8 in a path, as one character each.
constexpr char16_t EscapedByteBase = 0xDC00;
constexpr char16_t FirstEscapedByte = 0xDC80;
constexpr char16_t LastEscapedByte = 0xDCFF;

} // namespace

QString PathToQString(const std::string& path) {
#ifdef Q_OS_WIN
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
#else
    QString text;
    text.reserve(static_cast<qsizetype>(path.size()));
    for (std::size_t at = 0; at < path.size();) {
        char32_t code = 0;
        const std::size_t length = DecodeUtf8At(path, at, code);
        if (length == 0) {
            text += QChar(
                static_cast<char16_t>(EscapedByteBase + static_cast<unsigned char>(path[at])));
            ++at;
            continue;
        }
        if (QChar::requiresSurrogates(code)) {
            text += QChar(QChar::highSurrogate(code));
            text += QChar(QChar::lowSurrogate(code));
        } else {
            text += QChar(static_cast<char16_t>(code));
        }
        at += length;
    }
    return text;
#endif
}

std::string PathFromQString(const QString& path) {
#ifdef Q_OS_WIN
    return QFile::encodeName(path).toStdString();
#else
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(path.size()));
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < path.size() && path[i + 1].isLowSurrogate()) {
            AppendUtf8(bytes, QChar::surrogateToUcs4(unit, path[i + 1].unicode()));
            ++i;
        } else if (unit >= FirstEscapedByte && unit <= LastEscapedByte) {
            bytes.push_back(static_cast<char>(unit - EscapedByteBase));
        } else {
            // A lone surrogate names no byte; it cannot come from a path.
            AppendUtf8(bytes, QChar::isSurrogate(unit) ? char32_t{0xFFFD} : char32_t{unit});
        }
    }
    return bytes;
#endif
}

QStringList ArgumentsFromCommandLine(int argc, const char* const* argv) {
    QStringList arguments;
    arguments.reserve(argc);
    for (int i = 0; i < argc; ++i)
        arguments.append(PathToQString(argv[i]));
    return arguments;
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

bool NamePresent(const std::string& path) {
    if (path.empty())
        return false;
#ifndef Q_OS_WIN
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
#else
    const QFileInfo info(PathToQString(path));
    return info.exists() || info.isSymLink();
#endif
}

bool FolderPresent(const std::string& path) {
    if (path.empty())
        return false;
#ifndef Q_OS_WIN
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
#else
    const QFileInfo info(PathToQString(path));
    return info.isDir() && !info.isSymLink();
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
    if (path.empty())
        return false;
#ifndef Q_OS_WIN
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode) &&
           ::unlink(path.c_str()) == 0;
#else
    if (QFileInfo(PathToQString(path)).isDir())
        return false;
    return QFile::remove(PathToQString(path));
#endif
}

bool MoveFileTo(const std::string& oldPath, const std::string& newPath) {
    if (oldPath.empty() || newPath.empty())
        return false;
#ifndef Q_OS_WIN
    // Atomic, and never onto an existing name.
    return ::renameat2(AT_FDCWD, oldPath.c_str(), AT_FDCWD, newPath.c_str(), RENAME_NOREPLACE) == 0;
#else
    return QFile::rename(PathToQString(oldPath), PathToQString(newPath));
#endif
}

TContentDigest CopyFileOnto(const std::string& from, const std::string& to) {
    if (from.empty())
        throw EInOutError(PathNotFound, from);
    if (to.empty())
        throw EInOutError(PathNotFound, to);
    if (const int refusal = ReplacementRefusal(to))
        throw EInOutError(refusal, to);
    TRegularFileReader source(from);
    TReplacingFile target(to, TLinkAtName::Replace);
#ifndef Q_OS_WIN
    // The copy of a vault must be no easier to read than the vault.
    struct stat original {};
    ClearSystemError();
    if (::fstat(source.Handle(), &original) != 0 ||
        !TakeOverAccess(target.Handle(), original.st_mode, original.st_uid, original.st_gid))
        throw EInOutError(FromSystemError(LastSystemError(), AccessDenied), to);
#endif
    TContentHash copied;
    // The file holds the check line.
    std::string buffer(64 * 1024, '\0');
    TWipeGuard bufferGuard(buffer);
    while (const std::size_t count = source.Read(buffer.data(), buffer.size())) {
        const std::string_view piece(buffer.data(), count);
        copied.Add(piece);
        target.Write(piece);
    }
    target.Commit();
    return copied.Digest();
}

int ReplacementRefusal(const std::string& to) {
#ifndef Q_OS_WIN
    struct stat existing {};
    if (::lstat(to.c_str(), &existing) != 0 || S_ISLNK(existing.st_mode))
        return 0;
    if (const int refusal = RefusalOfType(existing.st_mode))
        return refusal;
    return (existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ? AccessDenied : 0;
#else
    const QFileInfo info(PathToQString(to));
    return info.exists() && (info.isDir() || !info.isWritable()) ? AccessDenied : 0;
#endif
}

bool SameFile(const std::string& first, const std::string& second) {
    const QString one = QFileInfo(PathToQString(first)).canonicalFilePath();
    return !one.isEmpty() && one == QFileInfo(PathToQString(second)).canonicalFilePath();
}

bool CopyFileReplacing(const std::string& from, const std::string& to) {
    try {
        CopyFileOnto(from, to);
        return true;
    } catch (const EInOutError&) {
        return false;
    }
}

TContentDigest DigestOfOwnFile(const std::string& path) {
    return DigestOfFile(path, TLinkAtReading::Refuse);
}

TContentDigest DigestOfFile(const std::string& path, TLinkAtReading link) {
    TRegularFileReader file(path, link);
    TContentHash content;
    std::string buffer(64 * 1024, '\0'); // holds the check line
    TWipeGuard bufferGuard(buffer);
    while (const std::size_t count = file.Read(buffer.data(), buffer.size()))
        content.Add(std::string_view(buffer.data(), count));
    return content.Digest();
}
