#include "vault/NotesLines.h"

#include <algorithm>

namespace {

constexpr char LineEnd = ';';
constexpr std::string_view Blanks = " \t\r\n";

char LowerAscii(char ch) noexcept {
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

} // namespace

std::vector<std::string_view> NotesLineViews(std::string_view notes) {
    std::vector<std::string_view> lines;
    lines.reserve(static_cast<std::size_t>(std::count(notes.begin(), notes.end(), LineEnd)));
    for (std::size_t end = notes.find(LineEnd); end != std::string_view::npos;
         end = notes.find(LineEnd)) {
        lines.push_back(notes.substr(0, end));
        notes.remove_prefix(end + 1);
    }
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
