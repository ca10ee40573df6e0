#include "vault/BrowserCsv.h"

#include "base/SecureWipe.h"
#include "vault/FieldText.h"
#include "vault/NotesLines.h"

#include <vector>

namespace {

bool IsWebAddress(const std::string& line) {
    const auto startsWith = [&line](const char* scheme) {
        const std::string_view prefix(scheme);
        if (line.size() <= prefix.size())
            return false;
        for (std::size_t i = 0; i < prefix.size(); ++i) {
            const char ch = line[i];
            if ((ch >= 'A' && ch <= 'Z' ? ch + ('a' - 'A') : ch) != prefix[i])
                return false;
        }
        return true;
    };
    return (startsWith("https://") || startsWith("http://")) &&
           line.find_first_of(" \t") == std::string::npos;
}

} // namespace

std::array<std::string, 5> BrowserCsvRow(const TPassRecord& record) {
    std::array<std::string, 5> row;
    row[0] = record.Account;
    row[2] = record.Login;
    row[3] = record.Password;
    std::vector<std::string> lines = NotesLines(record.Notes);
    std::size_t size = 0;
    for (const std::string& line : lines)
        size += line.size() + 1;
    std::string& note = row[4];
    note.reserve(size); // made once, so that growing it leaves no copy behind
    bool addressTaken = false;
    bool firstNoteLine = true;
    for (std::string& line : lines) {
        if (!addressTaken && IsWebAddress(line)) {
            row[1] = line;
            addressTaken = true;
        } else {
            if (!firstNoteLine)
                note += '\n';
            note += line;
            firstNoteLine = false;
        }
        WipeString(line);
    }
    return row;
}
