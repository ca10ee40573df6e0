#include "vault/NotesLines.h"

#include <algorithm>

namespace {

constexpr std::string_view Blanks = " \t\r\n";

char LowerAscii(char ch) noexcept {
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

} // namespace

std::vector<std::string_view> NotesLineViews(std::string_view notes) {
    std::vector<std::string_view> lines;
    lines.reserve(static_cast<std::size_t>(std::count(notes.begin(), notes.end(), NotesLineEnd)));
    for (std::size_t end = notes.find(NotesLineEnd); end != std::string_view::npos;
         end = notes.find(NotesLineEnd)) {
        lines.push_back(notes.substr(0, end));
        notes.remove_prefix(end + 1);
    }
    return lines;
}

std::vector<std::string> NotesToLines(const std::string& notes) {
    const std::vector<std::string_view> views = NotesLineViews(notes);
    // Reserved whole, so that no reallocation moves the lines and leaves copies behind.
    std::vector<std::string> lines;
    lines.reserve(views.size());
    for (const std::string_view line : views)
        lines.emplace_back(line);
    return lines;
}

std::string NotesFromLines(const std::vector<std::string>& lines) {
    std::size_t length = 0;
    for (const auto& line : lines)
        length += line.size() + 1;
    // Reserved whole, so that no reallocation leaves a copy of the notes behind unwiped.
    std::string notes;
    notes.reserve(length);
    for (const auto& line : lines) {
        notes += line;
        notes += NotesLineEnd;
    }
    return notes;
}

std::string_view NotesTail(std::string_view notes) noexcept {
    const std::size_t end = notes.rfind(NotesLineEnd);
    return end == std::string_view::npos ? notes : notes.substr(end + 1);
}

std::vector<std::string> NotesLines(const std::string& notes) {
    std::vector<std::string> lines = NotesToLines(notes);
    const std::string_view tail = NotesTail(notes);
    if (!tail.empty())
        lines.emplace_back(tail);
    return lines;
}

std::string_view TrimmedLine(std::string_view line) noexcept {
    const std::size_t first = line.find_first_not_of(Blanks);
    if (first == std::string_view::npos)
        return {};
    return line.substr(first, line.find_last_not_of(Blanks) - first + 1);
}

bool StartsWithNoCase(std::string_view line, std::string_view prefix) noexcept {
    return line.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), line.begin(),
                      [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
}

bool AfterLabel(std::string_view line, std::string_view label, std::string_view& rest) noexcept {
    if (!StartsWithNoCase(line, label) || line.size() == label.size() || line[label.size()] != ':')
        return false;
    rest = TrimmedLine(line.substr(label.size() + 1));
    return true;
}
