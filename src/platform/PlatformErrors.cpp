#include "platform/PlatformErrors.h"

#include "platform/IoErrorCodes.h"

#include <string>
#include <vector>

namespace {

TErrorCode TextCode(int code) {
    switch (code) {
    case IoErrorCodes::FileNotFound:
        return TErrorCode::FileNotFound;
    case IoErrorCodes::PathNotFound:
        return TErrorCode::InvalidFileName;
    case IoErrorCodes::TooManyOpenFiles:
        return TErrorCode::TooManyOpenFiles;
    case IoErrorCodes::AccessDenied:
        return TErrorCode::FileAccessDenied;
    case 100:
        return TErrorCode::ReadBeyondEndOfFile;
    // 101 is the runtime's own number for a full disk, 112 the system's.
    case 101:
    case IoErrorCodes::DiskFull:
        return TErrorCode::DiskFull;
    case 106:
        return TErrorCode::InvalidNumericInput;
    case IoErrorCodes::NotARegularFile:
        return TErrorCode::NotARegularFile;
    case IoErrorCodes::FileChangedWhileRead:
        return TErrorCode::FileChangedWhileRead;
    default:
        return TErrorCode::IoErrorNumber;
    }
}

} // namespace

TErrorMessage EInOutError::ErrorMessageForCode(int code, const std::string& path) {
    const TErrorCode text = TextCode(code);
    return {text,
            text == TErrorCode::IoErrorNumber ? std::vector{std::to_string(code)}
                                              : std::vector<std::string>{},
            path};
}

std::string EInOutError::MessageForCode(int code) {
    return ErrorMessageForCode(code).Text();
}

EInOutError::EInOutError(int code, const std::string& path)
    : Exception(ErrorMessageForCode(code, path)), FErrorCode(code), FPath(path) {}

EInOutError EInOutError::AfterReplacing(int code, const std::string& path) {
    EInOutError error(code, path);
    error.FFileReplaced = true;
    return error;
}

EFileBusy::EFileBusy(const std::string& path)
    : Exception(TErrorMessage(TErrorCode::FileBeingWritten, {path})) {}
