#pragma once

// The one place where text crosses between Qt's strings and the program's byte strings. User data
// (account fields, master passwords) is held in Windows-1252, the character set of the files this
// program has always written; a character that Windows-1252 cannot hold is refused where it is
// typed (see AnsiValidator), so the conversion to bytes never has to replace one.

#include <QString>

#include <string>

QString AnsiToQString(const std::string& bytes);
// Every character of text must be representable (IsAnsiText); others raise EConvertError.
std::string QStringToAnsi(const QString& text);
// The same text as UTF-8 bytes, made without any intermediate copy (the text may be a password):
// what published lists of passwords hash and what other programs read.
std::string AnsiToUtf8(const std::string& bytes);
bool IsAnsiChar(QChar ch);
bool IsAnsiText(const QString& text);
// The first character of text that Windows-1252 cannot hold (both halves of a surrogate pair),
// or the empty string.
QString FirstNonAnsiCharacter(const QString& text);

// Texts for message boxes and error displays: program messages and paths, in the local 8-bit
// encoding (UTF-8 on Linux). An account name goes into a message through AnsiToDisplay.
QString DisplayToQString(const std::string& text);
// A translated text for a message box or an error display; DisplayToQString reads it back.
std::string QStringToDisplay(const QString& text);
std::string AnsiToDisplay(const std::string& bytes);
