#pragma once

// The notes' lines as the window shows them (each piece that ends at ";"), read in place: the
// conventions that other tools keep in notes (a one-time key, a web address) are found without
// copying the notes.

#include <string_view>
#include <vector>

// Every line of the notes, as views into them; text after the last ";" is not a line.
std::vector<std::string_view> NotesLineViews(std::string_view notes);
// The line without the spaces, tabs and line breaks around it.
std::string_view TrimmedLine(std::string_view line) noexcept;
// Whether the line starts with the ASCII prefix, whatever the letter case.
bool StartsWithNoCase(std::string_view line, std::string_view prefix) noexcept;
// The text after a "label:" at the start of the line (any letter case), without the spaces after
// the colon; nothing when the line has another start.
bool AfterLabel(std::string_view line, std::string_view label, std::string_view& rest) noexcept;
