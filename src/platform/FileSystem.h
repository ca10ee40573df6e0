#pragma once

// File-system operations on paths held as byte strings in the file system's encoding.

#include <QString>

#include <string>

QString PathToQString(const std::string& path);
std::string PathFromQString(const QString& path);

// True exactly when a file (not a folder) of that name exists.
bool FilePresent(const std::string& path);
bool EraseFile(const std::string& path);
// Renames a file; fails when newPath exists already.
bool MoveFileTo(const std::string& oldPath, const std::string& newPath);
// Copies a file whole. An existing target is replaced only once the copy is complete and on the
// disk; on any failure it stays as it was.
bool CopyFileReplacing(const std::string& from, const std::string& to);
