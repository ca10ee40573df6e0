#pragma once

// One account as a CSV row of name, login, password and notes, and back. The two directions are
// one rule, so that every account that export writes, import reads back byte for byte; an
// account that cannot be written so is named and refused before anything is written.

#include "vault/RecordCodec.h"

#include <QStringList>

#include <array>
#include <string>

// The four fields in UTF-8. The notes are their lines joined by line breaks, and one more line
// break where the last line is empty, since a line break at the end of the field ends the last
// line and starts none.
std::array<std::string, 4> AccountToCsvFields(const TPassRecord& record);
// The account of a row's four fields; EUserError naming `where` ("data.csv line 4", or nothing)
// and the field for what the vault cannot hold as given.
TPassRecord AccountFromCsvFields(const QStringList& fields, const std::string& where);
// Why the account cannot be written as CSV and read back as it is ("the notes have text after
// their last line break"), or the empty string.
std::string CsvRoundTripProblem(const TPassRecord& record);
