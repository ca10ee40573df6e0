#pragma once

// The offline list of breached passwords that Have I Been Pwned offers for download: one line per
// password, its SHA-1 in hexadecimal, ":" and how often it was seen ("HASH:count"), sorted by
// hash, tens of gigabytes. It is never read whole: a password is found by a search that reads a
// few pages of the file where the hash must stand.

#include "base/Errors.h"
#include "platform/RegularFile.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// A file that is not such a list: a line that is not "HASH:count", or hashes out of order.
class EBreachListError : public Exception {
public:
    using Exception::Exception;
};

using TSha1Digest = std::array<unsigned char, 20>;

// The SHA-1 of a Windows-1252 password as the list has it: of its UTF-8 form.
TSha1Digest BreachHashOf(const std::string& password);

class TBreachList {
public:
    // Raises EInOutError when the file cannot be opened or is no regular file.
    explicit TBreachList(const std::string& path);

    // How often the list saw the password with this hash; 0 when it is not there. Raises
    // EBreachListError where the lines it reads are not a sorted list.
    std::uint64_t TimesSeen(const TSha1Digest& hash);

    // The bytes read from the file so far (the benchmark reports them).
    std::uint64_t BytesRead() const noexcept { return FBytesRead; }

private:
    struct TLine;
    // The lines of the page that starts at offset; whole lines only, the first one starting at
    // offset itself only when lineStart says so.
    std::vector<TLine> LinesAt(std::uint64_t offset, bool lineStart);
    [[noreturn]] void Refuse(std::uint64_t offset, const char* problem) const;

    std::string FPath;
    TRegularFileReader FFile;
    std::vector<char> FPage;
    std::uint64_t FBytesRead = 0;
};
