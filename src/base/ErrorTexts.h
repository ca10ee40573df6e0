#pragma once

// The English texts of the messages that carry names or numbers, by code. The window translates
// each by its code from the same text (context "Messages"); %1, %2 ... stand for the message's
// arguments in order.

#include "base/ErrorCode.h"

#include <array>

// lupdate finds the texts by this marker; without Qt it is the text itself, as Qt defines it.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

struct TErrorText {
    TErrorCode Code;
    const char* Template; // without a final full stop
    bool FullStop;        // whether the English message ends with one
};

inline constexpr std::array ErrorTexts = {
    // Files.
    TErrorText{TErrorCode::FileNotFound, QT_TRANSLATE_NOOP("Messages", "File not found"), false},
    TErrorText{TErrorCode::InvalidFileName, QT_TRANSLATE_NOOP("Messages", "Invalid filename"),
               false},
    TErrorText{TErrorCode::TooManyOpenFiles, QT_TRANSLATE_NOOP("Messages", "Too many open files"),
               false},
    TErrorText{TErrorCode::FileAccessDenied, QT_TRANSLATE_NOOP("Messages", "File access denied"),
               false},
    TErrorText{TErrorCode::ReadBeyondEndOfFile,
               QT_TRANSLATE_NOOP("Messages", "Read beyond end of file"), false},
    TErrorText{TErrorCode::DiskFull, QT_TRANSLATE_NOOP("Messages", "Disk full"), false},
    TErrorText{TErrorCode::InvalidNumericInput,
               QT_TRANSLATE_NOOP("Messages", "Invalid numeric input"), false},
    TErrorText{TErrorCode::NotARegularFile,
               QT_TRANSLATE_NOOP("Messages", "Not a file but a device, pipe or socket"), false},
    TErrorText{TErrorCode::FileChangedWhileRead,
               QT_TRANSLATE_NOOP("Messages", "The file changed while it was read"), false},
    TErrorText{TErrorCode::IoErrorNumber, QT_TRANSLATE_NOOP("Messages", "I/O error %1"), false},
    // The settings store, the record list and the code page.
    TErrorText{TErrorCode::SettingOfWrongType,
               QT_TRANSLATE_NOOP("Messages", "Invalid data type for '%1'"), false},
    TErrorText{TErrorCode::SettingNotStored,
               QT_TRANSLATE_NOOP("Messages", "Failed to set data for '%1'"), false},
    TErrorText{TErrorCode::ListIndexOutOfBounds,
               QT_TRANSLATE_NOOP("Messages", "List index out of bounds (%1)"), false},
    TErrorText{TErrorCode::CharacterNotInWindows1252,
               QT_TRANSLATE_NOOP("Messages", "Character U+%1 cannot be held in Windows-1252"),
               false},
    // Writers of one file, files that another program converted, backup names.
    TErrorText{TErrorCode::FileBeingWritten,
               QT_TRANSLATE_NOOP("Messages", "%1 is being written by another program. "
                                             "Nothing was written"),
               true},
    TErrorText{TErrorCode::FileChangedSinceRead,
               QT_TRANSLATE_NOOP("Messages", "%1 was changed by another program since it "
                                             "was read. Nothing was written"),
               true},
    TErrorText{
        TErrorCode::LfLineEnds,
        QT_TRANSLATE_NOOP("Messages", "%1 has LF line ends: it was converted by another program"),
        false},
    TErrorText{TErrorCode::ByteOrderMark,
               QT_TRANSLATE_NOOP("Messages", "%1 starts with a UTF-8 byte-order mark: it was "
                                             "converted by another program"),
               false},
    TErrorText{TErrorCode::LfLineEndsAndByteOrderMark,
               QT_TRANSLATE_NOOP("Messages", "%1 has LF line ends and starts with a UTF-8 "
                                             "byte-order mark: it was converted by another "
                                             "program"),
               false},
    TErrorText{
        TErrorCode::BackupNotWritable,
        QT_TRANSLATE_NOOP("Messages", "%1 is read-only or may not be written, and is not replaced"),
        false},
    TErrorText{TErrorCode::BackupIsFolder,
               QT_TRANSLATE_NOOP("Messages", "%1 is a folder, and is not replaced"), false},
    TErrorText{TErrorCode::BackupNotAFile,
               QT_TRANSLATE_NOOP("Messages", "%1 is not a file but a device, pipe or socket, "
                                             "and is not replaced"),
               false},
    // A new master password.
    TErrorText{TErrorCode::MasterPasswordLength,
               QT_TRANSLATE_NOOP("Messages", "The password must have 1 to 48 characters. The data "
                                             "file was not created or changed"),
               true},
    TErrorText{TErrorCode::PasswordsNotTheSame,
               QT_TRANSLATE_NOOP("Messages", "The passwords were not the same. The data file was "
                                             "not created or changed"),
               true},
};

// The entry of code; nullptr for a sentence, whose text is its own.
constexpr const TErrorText* ErrorTextOf(TErrorCode code) noexcept {
    for (const TErrorText& text : ErrorTexts) {
        if (text.Code == code)
            return &text;
    }
    return nullptr;
}
