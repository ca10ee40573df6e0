#pragma once

// Failed file operations are reported with Windows system error numbers on every platform, so that
// the messages of EInOutError read the same everywhere. These helpers turn the system's record of
// a failure (errno, or GetLastError on Windows) into such a number. The record is cleared right
// before the failing call and read right after it; when the call leaves none, the state of the path
// decides, and when that explains nothing, the caller's fallback.

#include <string>

namespace IoErrorCodes {

inline constexpr int FileNotFound = 2;        // ERROR_FILE_NOT_FOUND
inline constexpr int PathNotFound = 3;        // ERROR_PATH_NOT_FOUND
inline constexpr int TooManyOpenFiles = 4;    // ERROR_TOO_MANY_OPEN_FILES
inline constexpr int AccessDenied = 5;        // ERROR_ACCESS_DENIED
inline constexpr int InvalidHandle = 6;       // ERROR_INVALID_HANDLE: the file is not open
inline constexpr int WriteFault = 29;         // ERROR_WRITE_FAULT
inline constexpr int ReadFault = 30;          // ERROR_READ_FAULT
inline constexpr int GeneralFailure = 31;     // ERROR_GEN_FAILURE
inline constexpr int SharingViolation = 32;   // ERROR_SHARING_VIOLATION
inline constexpr int UnexpectedNetError = 59; // ERROR_UNEXP_NET_ERR
inline constexpr int FileExists = 80;         // ERROR_FILE_EXISTS
inline constexpr int BrokenPipe = 109;        // ERROR_BROKEN_PIPE
inline constexpr int DiskFull = 112;          // ERROR_DISK_FULL
inline constexpr int FileTooLarge = 223;      // ERROR_FILE_TOO_LARGE
inline constexpr int OperationAborted = 995;  // ERROR_OPERATION_ABORTED
inline constexpr int DeviceError = 1117;      // ERROR_IO_DEVICE

// Windows leaves the numbers with bit 29 set to applications, so no system error takes them. A
// POSIX error without a Windows counterpart becomes SystemErrorBase plus its errno value; the
// program's own failures lie above every such number.
inline constexpr int ApplicationErrorBit = 0x20000000;
inline constexpr int SystemErrorBase = ApplicationErrorBit;
inline constexpr int SystemErrorLimit = ApplicationErrorBit | 0xFFFF;
inline constexpr int NotARegularFile = ApplicationErrorBit | 0x10000; // a pipe, device or socket
inline constexpr int FileChangedWhileRead = ApplicationErrorBit | 0x10001;

void ClearSystemError() noexcept;
int LastSystemError() noexcept;

#ifndef _WIN32
// The Windows number for a POSIX errno value. ENOENT gives "file not found" (CodeForFailure tells
// a missing folder apart). A number without a Windows counterpart becomes SystemErrorBase + err,
// so that it can never be read as another failure.
int FromErrno(int err) noexcept;
#endif

// The Windows number for an error record of this platform (FromErrno, or the record itself on
// Windows); 0 gives fallback.
int FromSystemError(int err, int fallback) noexcept;

// Why a path cannot be opened, judged from its present state: 3 when its folder is missing or is
// not a folder, 5 when it names a folder or cannot be reached, 2 when only the file is missing,
// 0 when the path names an existing file.
int CodeForPath(const std::string& path);

// The code for a failed call on path, from the error record err that the call left (0 for none).
int CodeForFailure(int err, const std::string& path, int fallback);

} // namespace IoErrorCodes
