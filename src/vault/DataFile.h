#pragma once

// The data file: a check line of 16 hexadecimal digits made from the master password, then one
// record line per account, each line followed by CR LF.

#include "base/ErrorMessage.h"
#include "cipher/Blowfish.h"
#include "platform/ContentHash.h"
#include "platform/LineBlock.h"
#include "vault/MasterPassword.h"

#include <optional>
#include <string>
#include <vector>

// The CBC-MAC of the password enciphered under itself, as 16 upper-case hexadecimal digits.
std::string MakeCheckLine(TBlowfish& cipher, const std::string& password);
// True when the password is not empty, the file exists and its first line is the password's
// check line.
bool CheckPassword(TBlowfish& cipher, const std::string& path, const std::string& password);
// True when the file exists and its first line is this check line.
bool FileHasCheckLine(const std::string& path, const std::string& checkLine);
// Whether the file's first line is that of a data file: a check line of 16 hexadecimal digits,
// or the header of a numbered format.
bool LooksLikeDataFile(const std::string& path);
// Every line after the first, in file order.
std::vector<std::string> ReadDataFile(const std::string& path);
// The same, and what the file held, to tell later whether another program changed it.
std::vector<std::string> ReadDataFile(const std::string& path, TContentDigest& content);
// The same, and the check line read from the same bytes; the caller wipes it.
std::vector<std::string> ReadDataFile(const std::string& path, TContentDigest& content,
                                      std::string& checkLine);
// The same lines, left in the bytes read until they are taken as strings.
TLineBlock ReadDataFileBlock(const std::string& path, TContentDigest& content,
                             std::string& checkLine);
// Writes the check line of the master password and the lines. The old file is replaced only once
// the new one is complete; on any failure it stays as it was. An I/O failure raises EInOutError; a
// master password that cannot be a key raises EKeyError before any file is touched.
void WriteDataFile(TBlowfish& cipher, const std::string& path, const std::string& masterPassword,
                   const std::vector<std::string>& lines);

// The name of the backup that a password change keeps: the path with ".bak" appended.
std::string BackupPath(const std::string& path);
// Copies the data file to the backup name, replacing an old backup only once the copy is complete,
// so that at every moment the data file is in place and the backup is whole, and reads the backup
// back: true only when it holds the bytes read from the data file. The backup is a new file of
// its own: a symbolic link at its name is replaced, never written through; a folder, pipe or
// device there, or a read-only file, is left alone and the backup is not made. False on failure,
// with the reason (a sentence naming the backup file) in `problem` when it is asked for.
bool MakeBackup(const std::string& path, std::string* problem = nullptr);
// Why the backup name of the data file at path cannot take a new backup (a sentence naming it:
// a folder, pipe or device, or a read-only file is there), or nothing; and its English text, or the
// empty string.
std::optional<TErrorMessage> BackupNameError(const std::string& path);
std::string BackupNameProblem(const std::string& path);

// The same with a check line already made from the master password; returns what was written.
TContentDigest WriteDataFileWithCheckLine(const std::string& path, const std::string& checkLine,
                                          const std::vector<std::string>& lines);
