#pragma once

// Text files read and written line by line, in the data file's conventions: every line is written
// followed by CR LF; on reading, CR LF or a lone CR ends a line, a lone LF is an ordinary byte, and
// a Ctrl-Z that only further Ctrl-Z bytes follow ends the file (a Ctrl-Z with data after it is an
// ordinary byte, so that reading drops nothing that a later save would lose). Bytes pass through
// untranslated. Only regular files are read (RegularFile.h). Failures raise EInOutError.
//
// Writing never leaves a file short: the lines go to a new file beside the target, which replaces
// the target only when CloseTextFile has written and flushed every byte. A file that is destroyed
// while open for writing is discarded and the target stays as it was.

#include "platform/ContentHash.h"
#include "platform/LineBlock.h"
#include "platform/PageBuffer.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TReplacingFile;

class TTextFile {
public:
    TTextFile();
    ~TTextFile();
    TTextFile(const TTextFile&) = delete;
    TTextFile& operator=(const TTextFile&) = delete;

    void OpenTextForReading(const std::string& path);
    void OpenTextForWriting(const std::string& path);
    std::string ReadTextLine();
    // The lines from the next one to the end, as ReadTextLine would give them: views into the
    // file's bytes, which they take with them, and the file is closed. They are record lines,
    // kept unwiped, so only the bytes of the lines read before them are wiped when they go.
    TLineBlock ReadRemainingLineBlock();
    bool TextAtEnd() const;
    void WriteTextLine(const std::string& text);
    void CloseTextFile();

    // The bytes of the file: while it is open for reading, those read; after a write has been
    // closed, those written. Lets the caller tell later whether another program changed the file.
    TContentDigest Digest() const noexcept;
    // The bytes of a file open for reading; they stay where they are when a line block takes them.
    std::string_view ReadBytes() const noexcept { return FText; }
    // The size of the file open for reading; 0 otherwise.
    std::size_t Size() const noexcept { return FMode == TMode::tmReading ? FText.size() : 0; }

private:
    enum class TMode { tmClosed, tmReading, tmWriting };

    void RequireMode(TMode mode) const;
    void WriteBytes(const char* data, std::size_t size);
    void FlushWriteBuffer();
    void DiscardWriter() noexcept;
    void ReleaseReadData() noexcept;
    void CloseCurrent() noexcept;

    TPageBuffer FData;      // the whole file while reading
    std::string_view FText; // its bytes
    std::size_t FPosition = 0;
    std::size_t FEnd = 0; // where the text ends: before the Ctrl-Z bytes that end the file
    std::unique_ptr<TReplacingFile> FWriter;
    std::string FWriteBuffer; // fixed capacity, so that no stale copy of a line is left on the heap
    TContentHash FWritten;
    TMode FMode = TMode::tmClosed;
};

// The first line of a file as ReadTextLine gives it, reading no further than the line needs; a
// line longer than maxLength bytes comes back as its first maxLength + 1 bytes, which tells it
// apart from every text of maxLength bytes or fewer. The caller wipes the result.
std::string ReadFirstTextLine(const std::string& path, std::size_t maxLength);
