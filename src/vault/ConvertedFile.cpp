#include "vault/ConvertedFile.h"

#include "base/SecureWipe.h"
#include "platform/FileWriteLock.h"
#include "platform/PlatformErrors.h"
#include "platform/RegularFile.h"
#include "vault/DataFile.h"
#include "vault/WipeGuard.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t CheckLineLength = 16;

// The whole file, or its first bytes up to most, in room sized once: it holds the check line.
std::string ReadAll(const std::string& path,
                    std::size_t most = std::numeric_limits<std::size_t>::max()) {
    TRegularFileReader reader(path);
    std::string bytes(std::min(static_cast<std::size_t>(reader.Size()), most), '\0');
    std::size_t used = 0;
    try {
        while (const std::size_t count = reader.Read(bytes.data() + used, bytes.size() - used))
            used += count;
    } catch (...) {
        WipeBytes(bytes);
        throw;
    }
    return bytes;
}

bool StartsWithCheckLine(std::string_view text) {
    return text.size() >= CheckLineLength &&
           std::all_of(text.begin(), text.begin() + CheckLineLength, [](char ch) {
               return (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F') ||
                      (ch >= 'a' && ch <= 'f');
           });
}

TFileConversion ConversionOf(std::string_view bytes) {
    TFileConversion conversion;
    std::string_view text = bytes;
    if (text.starts_with(ByteOrderMark)) {
        conversion.ByteOrderMark = true;
        text.remove_prefix(ByteOrderMark.size());
    }
    if (!StartsWithCheckLine(text))
        return {};
    const char after = text.size() > CheckLineLength ? text[CheckLineLength] : '\r';
    conversion.LfLineEnds = after == '\n' && text.find('\r') == std::string_view::npos;
    if (after != '\r' && !conversion.LfLineEnds)
        return {}; // a longer first line: no check line at all
    return conversion;
}

// The lines as they were before the conversion: split at LF where the line ends were turned into
// LF, otherwise by the reading rule (CR LF or a lone CR); Ctrl-Z bytes at the end end the text.
std::vector<std::string> RestoredLines(std::string_view text, const TFileConversion& conversion) {
    if (conversion.ByteOrderMark)
        text.remove_prefix(ByteOrderMark.size());
    const std::size_t last = text.find_last_not_of('\x1A');
    text = text.substr(0, last == std::string_view::npos ? 0 : last + 1);
    const char end = conversion.LfLineEnds ? '\n' : '\r';
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t stop = std::min(text.find(end), text.size());
        lines.emplace_back(text.substr(0, stop));
        text.remove_prefix(std::min(stop + 1, text.size()));
        if (!conversion.LfLineEnds && text.starts_with('\n'))
            text.remove_prefix(1);
    }
    return lines;
}

} // namespace

TFileConversion DetectFileConversion(const std::string& path) {
    try {
        // The first line tells, but for a file whose check line ends in LF alone: only then is
        // the whole file read, to look for a CR. Opening a large file reads it once more only
        // then.
        const std::size_t head = ByteOrderMark.size() + CheckLineLength + 1;
        std::string bytes = ReadAll(path, head);
        TFileConversion conversion = ConversionOf(bytes);
        if (conversion.LfLineEnds && bytes.size() == head) {
            WipeBytes(bytes);
            bytes = ReadAll(path);
            conversion = ConversionOf(bytes);
        }
        WipeBytes(bytes);
        return conversion;
    } catch (const EInOutError&) {
        return {};
    }
}

std::optional<TErrorMessage> ConversionError(const std::string& path,
                                             const TFileConversion& conversion) {
    if (!conversion.Any())
        return std::nullopt;
    const TErrorCode code = !conversion.ByteOrderMark ? TErrorCode::LfLineEnds
                            : !conversion.LfLineEnds  ? TErrorCode::ByteOrderMark
                                                      : TErrorCode::LfLineEndsAndByteOrderMark;
    return TErrorMessage(code, {path});
}

std::string ConversionProblem(const std::string& path, const TFileConversion& conversion) {
    const std::optional<TErrorMessage> error = ConversionError(path, conversion);
    return error ? error->Text() : std::string();
}

TRepairResult RepairConvertedFile(const std::string& path, const std::string& password) {
    const TFileWriteLock lock(path);
    std::string bytes = ReadAll(path);
    TWipeGuard wipeBytes(bytes);
    const TFileConversion conversion = ConversionOf(bytes);
    if (!conversion.Any())
        return TRepairResult::NotConverted;
    std::vector<std::string> lines = RestoredLines(bytes, conversion);
    const auto wipeLines = [&lines] {
        for (std::string& line : lines)
            WipeString(line);
    };
    // A password that cannot be a key is no file's password.
    TBlowfish cipher;
    std::string checkLine;
    TWipeGuard wipeCheckLine(checkLine);
    if (TBlowfish::KeyLengthValid(password.size()))
        checkLine = MakeCheckLine(cipher, password);
    if (checkLine.empty() || lines.empty() || lines.front() != checkLine) {
        wipeLines();
        return TRepairResult::WrongPassword;
    }
    WipeString(lines.front());
    lines.erase(lines.begin());
    try {
        WriteDataFileWithCheckLine(path, checkLine, lines);
    } catch (...) {
        wipeLines();
        throw;
    }
    wipeLines();
    return TRepairResult::Repaired;
}
