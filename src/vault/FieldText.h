#pragma once

// Account fields from text that comes from outside (a file to import, a notes file, the
// terminal), checked where they enter: what the vault cannot hold as given is refused with the
// reason and the place, as EImportError, never changed silently.

#include <QString>

#include <string>
#include <vector>

// `what` names the text in messages, e.g. "The login" or "data.csv line 4: the login".
// A character that Windows-1252 cannot hold is refused, naming it.
std::string AnsiText(const QString& text, const std::string& what);
// A name must not be empty; no name, login or password may hold a line break, which the window's
// one-line fields could not show.
std::string AccountNameText(const QString& text, const std::string& what);
// The name of an account to be made: no control character either (a NUL, an escape sequence),
// which no command could name again and a terminal would obey.
std::string NewAccountNameText(const QString& text, const std::string& what);
std::string OneLineText(const QString& text, const std::string& what);
// Notes from text lines (LF or CR LF; a final line break ends the last line and starts none), in
// the form of vault/NotesLines.h. A ";" inside a line is refused: the vault would keep it as a
// line break.
std::string NotesText(const QString& text, const std::string& what);
// A UTF-8 text file, whole, without a byte-order mark; refused when it cannot be read, is larger
// than 256 MiB or is not UTF-8.
QString ReadUtf8File(const std::string& path);
