#pragma once

// A data file that another program converted: an editor, git or a sync tool may turn its CR LF
// line ends into LF or put a UTF-8 byte-order mark before the check line. The reading rule stays
// as it is (such a file opens under no password); these tell the user what happened instead of
// "wrong password", and give the file its own form back.

#include "base/ErrorMessage.h"

#include <optional>
#include <string>

struct TFileConversion {
    bool LfLineEnds = false;    // no CR at all, and LF after the check line
    bool ByteOrderMark = false; // EF BB BF before the check line

    bool Any() const noexcept { return LfLineEnds || ByteOrderMark; }
};

// How the file at path was converted; nothing when it is no converted data file (its first line,
// as the conversion left it, is not 16 hexadecimal digits) or cannot be read.
TFileConversion DetectFileConversion(const std::string& path);

// What to tell the user: "PATH has LF line ends: it was converted by another program", or the
// same for the byte-order mark or both; nothing for no conversion. And its English text, or the
// empty string.
std::optional<TErrorMessage> ConversionError(const std::string& path,
                                             const TFileConversion& conversion);
std::string ConversionProblem(const std::string& path, const TFileConversion& conversion);

enum class TRepairResult { Repaired, NotConverted, WrongPassword };

// Writes the file again in its own form (the mark removed, every LF made CR LF) when its check
// line is that of the password, under the file's write lock; the file keeps its permissions and
// is replaced whole (see TTextFile). Nothing is written for a file that is not converted or not
// under this password. I/O failures raise EInOutError.
TRepairResult RepairConvertedFile(const std::string& path, const std::string& password);
