#pragma once

// The one place where text crosses between Qt's strings and the program's byte strings. User data
// (account fields, master passwords) is held in Windows-1252, the character set of the files this
// program has always written; a character that Windows-1252 cannot hold is refused where it is
// typed (see AnsiValidator), so the conversion to bytes never has to replace one.

#include "base/Errors.h"

#include <QString>

#include <string>
#include <string_view>

QString AnsiToQString(const std::string& bytes);
// The character that a byte stands for: every byte stands for exactly one.
char16_t AnsiByteCharacter(unsigned char byte) noexcept;
// Every character of text must be representable (IsAnsiText); others raise EConvertError.
std::string QStringToAnsi(const QString& text);
bool IsAnsiChar(QChar ch);
// A byte that stands for a control character in Windows-1252: C0 controls, DEL, and the bytes that
// stand for C1 controls.
bool IsControlByte(unsigned char byte) noexcept;
bool IsAnsiText(const QString& text);
// The first character of text that Windows-1252 cannot hold (both halves of a surrogate pair),
// or the empty string.
QString FirstNonAnsiCharacter(const QString& text);

// Bytes that are not UTF-8 where UTF-8 text was expected.
class ENotUtf8 : public EConvertError {
public:
    ENotUtf8() : EConvertError("The text is not UTF-8") {}
};

// UTF-8 (the terminal's text on Linux) to Windows-1252 and back, without a QString in between, so
// that a password leaves no UTF-16 copy in freed memory. The result is made in room sized once.
// Utf8ToAnsi raises ENotUtf8, or EConvertError as QStringToAnsi does for a character that
// Windows-1252 cannot hold; nothing of the text is left in a partial result.
std::string Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(std::string_view ansi);

// Texts for message boxes and error displays: program messages and paths, in the local 8-bit
// encoding (UTF-8 on Linux). An account name goes into a message through AnsiToDisplay.
QString DisplayToQString(const std::string& text);
// A translated text for a message box or an error display; DisplayToQString reads it back.
std::string QStringToDisplay(const QString& text);
std::string AnsiToDisplay(const std::string& bytes);
