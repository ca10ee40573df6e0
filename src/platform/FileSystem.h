#pragma once

// File-system operations on paths held as byte strings in the file system's encoding.

#include <QString>

#include <string>

#ifndef _WIN32
#include <sys/types.h>
#endif

QString PathToQString(const std::string& path);
std::string PathFromQString(const QString& path);

// True exactly when a regular file of that name exists, after symbolic links. A folder, a pipe, a
// device or a socket counts as absent: none of them can hold a vault, and opening a pipe would
// block. So Open treats such a name as a missing file, and reading or writing it directly is
// refused with an error.
bool FilePresent(const std::string& path);
bool EraseFile(const std::string& path);
// Renames a file; fails when newPath exists already.
bool MoveFileTo(const std::string& oldPath, const std::string& newPath);
// Copies a regular file whole, with its permissions and, where the process may, its owner and
// group. An existing target is replaced only once the copy is complete and on the disk; on any
// failure it stays as it was. A target that exists but is no regular file is never replaced.
bool CopyFileReplacing(const std::string& from, const std::string& to);
// Whether two paths name one existing file, through links and other spellings of the path.
bool SameFile(const std::string& first, const std::string& second);

#ifndef _WIN32
// A new vault file is for its owner alone, whatever the umask.
inline constexpr mode_t NewFileMode = 0600;

// Gives the open new file at handle the permission bits of the file it copies or replaces, never
// wider: where the process may, it also takes that file's owner and group, and when the group
// stays another, the group gets no permissions. False, with errno set, when the permissions
// cannot be set.
bool TakeOverAccess(int handle, mode_t mode, uid_t owner, gid_t group);
#endif
