#pragma once

// File-system operations on paths held as byte strings in the file system's encoding.

#include "platform/ContentHash.h"
#include "platform/RegularFile.h"

#include <QString>
#include <QStringList>

#include <string>

#ifndef _WIN32
#include <sys/types.h>
#endif

// A path for Qt and back. Qt 6 takes every file name for UTF-8 and turns other bytes into U+FFFD,
// so that two such names would become one; here each byte that is not part of UTF-8 stands for
// itself as U+DC80 to U+DCFF, and PathFromQString(PathToQString(path)) == path for every path.
// Qt's own file classes cannot open such a name: files are opened by their bytes below.
QString PathToQString(const std::string& path);
std::string PathFromQString(const QString& path);
// The arguments of the program, each as PathToQString gives it: a file name on the command line
// comes through with its bytes.
QStringList ArgumentsFromCommandLine(int argc, const char* const* argv);

// True exactly when a regular file of that name exists, after symbolic links. A folder, a pipe, a
// device or a socket counts as absent: none of them can hold a vault, and opening a pipe would
// block. So Open treats such a name as a missing file, and reading or writing it directly is
// refused with an error.
bool FilePresent(const std::string& path);
// True when anything has the name, a link whose target is missing included.
bool NamePresent(const std::string& path);
// True when a folder itself (not a link to one) has the name.
bool FolderPresent(const std::string& path);
bool EraseFile(const std::string& path);
// Renames a file; fails when newPath exists already.
bool MoveFileTo(const std::string& oldPath, const std::string& newPath);
// Copies a regular file whole, with its permissions and, where the process may, its owner and
// group, and returns the digest of what it copied. The target's name is replaced only once the
// copy is complete and on the disk; on any failure it stays as it was. A symbolic link at the
// target's name is replaced by the copy, never written through; a target that is no regular file
// or link, or a file without any write permission (read-only), is never replaced. Failures raise
// EInOutError naming the file.
TContentDigest CopyFileOnto(const std::string& from, const std::string& to);
// Why CopyFileOnto would not replace what has the name `to` (AccessDenied for a folder or a
// read-only file, NotARegularFile for a pipe, device or socket), or 0.
int ReplacementRefusal(const std::string& to);
// The same, false on any failure.
bool CopyFileReplacing(const std::string& from, const std::string& to);
// Whether two paths name one existing file, through links and other spellings of the path.
bool SameFile(const std::string& first, const std::string& second);
// The digest of a regular file's bytes, read a piece at a time (EInOutError when it cannot be).
TContentDigest DigestOfFile(const std::string& path, TLinkAtReading link);
// The same of a file of the program's own: a symbolic link is refused.
TContentDigest DigestOfOwnFile(const std::string& path);

#ifndef _WIN32
// A new vault file is for its owner alone, whatever the umask.
inline constexpr mode_t NewFileMode = 0600;

// Gives the open new file at handle the permission bits of the file it copies or replaces, never
// wider: where the process may, it also takes that file's owner and group, and when the group
// stays another, the group gets no permissions. False, with errno set, when the permissions
// cannot be set.
bool TakeOverAccess(int handle, mode_t mode, uid_t owner, gid_t group);
#endif
