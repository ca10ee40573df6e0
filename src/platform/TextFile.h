#pragma once

// Text files read and written line by line, in the data file's conventions: every line is written
// followed by CR LF; on reading, CR LF or a lone CR ends a line, a lone LF is an ordinary byte, and
// Ctrl-Z ends the file. Bytes pass through untranslated. Failures raise EInOutError.
//
// Writing never leaves a file short: the lines go to a new file beside the target, which replaces
// the target only when CloseTextFile has written and flushed every byte. A file that is destroyed
// while open for writing is discarded and the target stays as it was.

#include "platform/ContentHash.h"

#include <cstddef>
#include <memory>
#include <string>

class QSaveFile;

class TTextFile {
public:
    TTextFile();
    ~TTextFile();
    TTextFile(const TTextFile&) = delete;
    TTextFile& operator=(const TTextFile&) = delete;

    void OpenTextForReading(const std::string& path);
    void OpenTextForWriting(const std::string& path);
    std::string ReadTextLine();
    bool TextAtEnd() const;
    void WriteTextLine(const std::string& text);
    void CloseTextFile();

    // The bytes of the file: while it is open for reading, those read; after a write has been
    // closed, those written. Lets the caller tell later whether another program changed the file.
    TContentDigest Digest() const noexcept;

private:
    enum class TMode { tmClosed, tmReading, tmWriting };

    void RequireMode(TMode mode) const;
    void WriteBytes(const char* data, std::size_t size);
    void FlushWriteBuffer();
    [[noreturn]] void FailWriting(int code);
    void DiscardWriter() noexcept;
    void ReleaseReadData() noexcept;
    void CloseCurrent() noexcept;

    std::string FData; // the whole file while reading
    std::size_t FPosition = 0;
    std::unique_ptr<QSaveFile> FWriter;
    std::string FWriteBuffer; // fixed capacity, so that no stale copy of a line is left on the heap
    std::string FWritePath;
    TContentHash FWritten;
    TMode FMode = TMode::tmClosed;
};
