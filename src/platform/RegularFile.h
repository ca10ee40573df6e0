#pragma once

// Reading a file that has to be an ordinary file. A pipe, a device or a socket in its place would
// block the program or feed it without end, so opening refuses them without waiting on them, and
// reading stops at the size the file had when it was opened.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#ifndef _WIN32
#include <sys/types.h>
#endif

class QFile;

#ifndef _WIN32
// Why a file of this mode (from stat) is not taken as an ordinary file: 0 when it is,
// AccessDenied for a folder, NotARegularFile for a pipe, a device or a socket.
int RefusalOfType(mode_t mode) noexcept;
#endif

enum class TLinkAtReading {
    Follow, // a symbolic link is read through
    Refuse, // a symbolic link is no regular file: a file of the program's own, such as its backup
};

class TRegularFileReader {
public:
    // Raises EInOutError naming the path: the code of the failed open, AccessDenied for a folder,
    // NotARegularFile for anything else that is no file.
    explicit TRegularFileReader(const std::string& path,
                                TLinkAtReading link = TLinkAtReading::Follow);
    ~TRegularFileReader();
    TRegularFileReader(const TRegularFileReader&) = delete;
    TRegularFileReader& operator=(const TRegularFileReader&) = delete;

    const std::string& Path() const noexcept { return FPath; }
    // The size at the moment of opening.
    std::uint64_t Size() const noexcept { return FSize; }
    // The open file's descriptor, to look up its mode and owner.
    int Handle() const noexcept;
    // Up to count bytes of the file; 0 once Size() bytes are read and the file indeed ends there.
    // A file that has grown or shrunk meanwhile raises EInOutError(FileChangedWhileRead).
    std::size_t Read(char* buffer, std::size_t count);
    // Up to count bytes from offset, apart from Read's position, for a search that jumps about a
    // large file: fewer only where the file ends. A file shorter than its size at opening raises
    // EInOutError(FileChangedWhileRead).
    std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t count);
    // Exactly bytes [offset, offset + count), apart from Read's position, for a file read in
    // parts; two threads may read two parts at once. A file shorter than that raises
    // EInOutError(FileChangedWhileRead), naming the path as Read does.
    void ReadPartAt(std::uint64_t offset, char* buffer, std::size_t count);
    // After reading Size() bytes in parts: raises EInOutError(FileChangedWhileRead) when the file
    // has grown meanwhile, as Read does.
    void RequireEndAtSize();

private:
    // Up to count bytes from offset, fewer where the file ends; a failure names the path given.
    std::size_t ReadSomeAt(std::uint64_t offset, char* buffer, std::size_t count,
                           const std::string& path);
    // All count bytes from offset; a file that ends before raises, naming the path given.
    void ReadAllAt(std::uint64_t offset, char* buffer, std::size_t count, const std::string& path);

    std::unique_ptr<QFile> FFile;
    std::string FPath;
    std::uint64_t FSize = 0;
    std::uint64_t FRead = 0;
};
