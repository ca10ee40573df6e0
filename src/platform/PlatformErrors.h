#pragma once

// Error kinds of the platform services: file I/O, the settings store and the record list.

#include "base/Errors.h"

#include <string>

// A failed file operation. The code is the Windows system error number on every platform, so that
// users see the same messages everywhere (2 file not found, 3 path not found, 5 access denied,
// ...).
class EInOutError : public Exception {
public:
    explicit EInOutError(int code);
    int ErrorCode() const noexcept { return FErrorCode; }

    static std::string MessageForCode(int code);

private:
    int FErrorCode;
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
