#pragma once

// The notes' line convention, for every reader and writer of notes (the record codec, the window's
// notes box, the finder, kestovar-cli and CSV): in the stored field ";" ends each line, so that
// every line is followed by ";". Text after the last ";" is no line: the window does not show it,
// and it is kept as it is. A line cannot hold ";".

#include <string>
#include <string_view>
#include <vector>

inline constexpr char NotesLineEnd = ';';

// Every line of the notes, as views into them (read in place: the conventions that other tools
// keep in notes, a one-time key or a web address, are found without copying the notes).
std::vector<std::string_view> NotesLineViews(std::string_view notes);
// The same as strings, in room reserved once so that no copy of the notes is left behind.
std::vector<std::string> NotesToLines(const std::string& notes);
// The stored field of these lines: each followed by ";".
std::string NotesFromLines(const std::vector<std::string>& lines);
// The text after the last ";", which is no line; empty in notes that end with a line.
std::string_view NotesTail(std::string_view notes) noexcept;
// The notes as lines for output: NotesToLines, and the tail as one more line when there is one, so
// that nothing is lost.
std::vector<std::string> NotesLines(const std::string& notes);

// The line without the spaces, tabs and line breaks around it.
std::string_view TrimmedLine(std::string_view line) noexcept;
// Whether the line starts with the ASCII prefix, whatever the letter case.
bool StartsWithNoCase(std::string_view line, std::string_view prefix) noexcept;
// The text after a "label:" at the start of the line (any letter case), without the spaces after
// the colon; nothing when the line has another start.
bool AfterLabel(std::string_view line, std::string_view label, std::string_view& rest) noexcept;
