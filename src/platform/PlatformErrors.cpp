#include "platform/PlatformErrors.h"

#include "platform/IoErrorCodes.h"

#include <cstdio>

EInOutError::EInOutError(int code, const std::string& path)
    : Exception(path.empty() ? MessageForCode(code) : path + ": " + MessageForCode(code)),
      FErrorCode(code), FPath(path) {}

EInOutError EInOutError::AfterReplacing(int code, const std::string& path) {
    EInOutError error(code, path);
    error.FFileReplaced = true;
    return error;
}

EFileBusy::EFileBusy(const std::string& path)
    : Exception(path + " is being written by another program. Nothing was written.") {}

std::string EInOutError::MessageForCode(int code) {
    switch (code) {
    case 2:
        return "File not found";
    case 3:
        return "Invalid filename";
    case 4:
        return "Too many open files";
    case 5:
        return "File access denied";
    case 100:
        return "Read beyond end of file";
    case 101:
        return "Disk full";
    case 106:
        return "Invalid numeric input";
    case IoErrorCodes::NotARegularFile:
        return "Not a file but a device, pipe or socket";
    case IoErrorCodes::FileChangedWhileRead:
        return "The file changed while it was read";
    default: {
        char text[32];
        std::snprintf(text, sizeof text, "I/O error %d", code);
        return text;
    }
    }
}
