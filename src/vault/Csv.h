#pragma once

// CSV as RFC 4180 has it: fields separated by ",", records ended by CR LF, a field that holds a
// comma, a quote or a line break enclosed in quotes, a quote inside doubled.

#include <QString>
#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

// Appends one field, quoted when it must be, after a "," unless it is the row's first.
void AppendCsvField(std::string& row, std::string_view utf8, bool first);

struct TCsvRecord {
    int Line = 0; // where the record starts in the file, from 1
    QStringList Fields;
};

// Every record of the text; empty lines between records are skipped. Bad quoting raises
// EImportError naming `source` and the line.
std::vector<TCsvRecord> ParseCsv(const QString& text, const std::string& source);

// Overwrites every field: the records hold passwords.
void WipeCsv(std::vector<TCsvRecord>& records) noexcept;
