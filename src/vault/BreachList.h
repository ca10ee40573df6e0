#pragma once

// The offline list of breached passwords that Have I Been Pwned offers for download: one line per
// password, its SHA-1 in hexadecimal, ":" and how often it was seen ("HASH:count"), sorted by
// hash, tens of gigabytes. It is never read whole: SHA-1 spreads hashes evenly, so a hash's value
// tells closely where its line must stand. A lookup reads one line there and then the few
// kilobytes where the lines around it say the hash must be; where the guesses gain too little
// (a list that is not spread evenly), it halves instead.

#include "base/Errors.h"
#include "platform/RegularFile.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
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
    // The same for many hashes at once, in their order. They are looked up in the order of the
    // list, the middle one first and then each half between the lines found already, so that
    // each search starts from bounds close around its hash (a megabyte apart for a thousand
    // hashes in a gigabyte, against the whole file alone): fewer and smaller reads.
    std::vector<std::uint64_t> TimesSeenEach(const std::vector<TSha1Digest>& hashes);

    // The bytes read from the file so far, and the reads (the benchmark reports them).
    std::uint64_t BytesRead() const noexcept { return FBytesRead; }
    std::uint64_t Reads() const noexcept { return FReads; }

private:
    struct TLine;
    // A place in the file that a search starts or ended at, with where the hash of the line there
    // falls among all hashes (0 to 1).
    struct TBound {
        std::uint64_t Offset = 0;
        double Key = 0;
    };
    struct TFound {
        std::uint64_t Count = 0;
        TBound Before; // where the hash's line starts, or would
        TBound After;  // where the next larger hash's line starts
    };
    TFound Search(const TSha1Digest& hash, TBound lo, TBound hi);
    [[noreturn]] void Refuse(std::uint64_t offset, const char* problem) const;
    // Up to count bytes from offset, fewer at the end: from the bytes read last where they hold
    // them, else read. Valid until the next call.
    std::string_view Bytes(std::uint64_t offset, std::size_t count);
    // The first line that starts in [at, hi), or else the line that holds at; lo starts a line.
    std::uint64_t LineStartNear(std::uint64_t at, std::uint64_t lo, std::uint64_t hi);
    TLine LineAt(std::uint64_t start);

    std::string FPath;
    TRegularFileReader FFile;
    std::vector<char> FBuffer;       // the bytes read last
    std::uint64_t FBufferOffset = 0; // where they start in the file
    std::size_t FBufferSize = 0;
    std::uint64_t FBytesRead = 0;
    std::uint64_t FReads = 0;
};
