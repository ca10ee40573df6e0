#pragma once

// What went wrong, as a code that the window translates by (base/ErrorTexts.h holds the English).

enum class TErrorCode {
    Sentence, // a fixed English sentence, its own text
    // A failed file operation (EInOutError).
    FileNotFound,
    InvalidFileName,
    TooManyOpenFiles,
    FileAccessDenied,
    ReadBeyondEndOfFile,
    DiskFull,
    InvalidNumericInput,
    NotARegularFile,
    FileChangedWhileRead,
    IoErrorNumber,              // %1: the number of a failure without a text of its own
    SettingOfWrongType,         // %1: the setting's name
    SettingNotStored,           // %1: the setting's name
    ListIndexOutOfBounds,       // %1: the index
    CharacterNotInWindows1252,  // %1: the character's code point, four or more hex digits
    FileBeingWritten,           // %1: the file
    FileChangedSinceRead,       // %1: the file
    LfLineEnds,                 // %1: the file
    ByteOrderMark,              // %1: the file
    LfLineEndsAndByteOrderMark, // %1: the file
    BackupNotWritable,          // %1: the backup file
    BackupIsFolder,             // %1: the backup file
    BackupNotAFile,             // %1: the backup file
    MasterPasswordLength,       // a new master password that is empty or too long
    PasswordsNotTheSame,        // the new password and its repeat differ
};
