#pragma once

// Error kinds of the platform services: file I/O, the settings store and the record list.

#include "base/Errors.h"

#include <string>

// A failed file operation. The code is the Windows system error number on every platform, so that
// users see the same messages everywhere (2 file not found, 3 path not found, 5 access denied,
// 112 a full disk, ...). The message is the code's text, after the file's name when one is known
// ("/home/ann/PassData.kvf: File access denied"); a number without a text of its own is shown
// ("I/O error 1117").
class EInOutError : public Exception {
public:
    explicit EInOutError(int code, const std::string& path = {});
    // A failure that came after a new file had taken the name (the sync of its folder).
    static EInOutError AfterReplacing(int code, const std::string& path);

    int ErrorCode() const noexcept { return FErrorCode; }
    // The file concerned, or empty.
    const std::string& Path() const noexcept { return FPath; }
    // Whether the file was written before the failure.
    bool FileReplaced() const noexcept { return FFileReplaced; }

    // The message of a failure with this code (on the file at path, when one is given), and its
    // English text.
    static TErrorMessage ErrorMessageForCode(int code, const std::string& path = {});
    static std::string MessageForCode(int code);

private:
    int FErrorCode;
    std::string FPath;
    bool FFileReplaced = false;
};

// Another program holds the file's write lock for longer than a writer waits for it.
class EFileBusy : public Exception {
public:
    explicit EFileBusy(const std::string& path);
};

// A failed read or write of the per-user settings store.
class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

// An index outside the record list.
class EStringListError : public Exception {
public:
    using Exception::Exception;
};
