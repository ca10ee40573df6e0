#include "platform/TextFile.h"

#include "base/SecureWipe.h"
#include "base/TwoCores.h"
#include "platform/FileSystem.h"
#include "platform/IoErrorCodes.h"
#include "platform/PlatformErrors.h"
#include "platform/RegularFile.h"
#include "platform/ReplacingFile.h"

#include <QFileInfo>

#include <algorithm>
#include <array>
#include <string_view>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace IoErrorCodes;

namespace {

constexpr char CarriageReturn = '\r';
constexpr char CtrlZ = '\x1A';
constexpr std::size_t WriteBufferSize = 64 * 1024;
constexpr std::size_t FirstLineChunkSize = 256;

// One buffer of the size the file had when it was opened: the file holds check lines, so no
// growing leaves a copy behind in freed memory, and a file that grows meanwhile is an error.
TPageBuffer ReadWholeFile(TRegularFileReader& reader) {
    if (reader.Size() >= std::string().max_size())
        throw EInOutError(FileTooLarge, reader.Path());
    const auto size = static_cast<std::size_t>(reader.Size());
    if (size < TwoCoreBytes) {
        TPageBuffer data(size);
        std::size_t used = 0;
        while (const std::size_t count = reader.Read(data.data() + used, data.size() - used))
            used += count;
        return data;
    }
    // A large file is read in two halves, one on each core, each faulting in its own pages
    // first: that costs as much as the copy.
    TPageBuffer data(size, TPageBuffer::TPages::Later);
    const auto readPart = [&](std::size_t begin, std::size_t end) {
        data.Prefault(begin, end);
        reader.ReadPartAt(begin, data.data() + begin, end - begin);
    };
    OnTwoCores(size, size / 2, readPart, readPart);
    reader.RequireEndAtSize();
    return data;
}

// Where the text ends: a run of Ctrl-Z bytes with nothing after it ends the file, as it always
// has; a Ctrl-Z with data after it is part of its line, since dropping that data would lose it at
// the next save.
std::size_t TextEnd(std::string_view data) {
    const std::size_t last = data.find_last_not_of(CtrlZ);
    return last == std::string_view::npos ? 0 : last + 1;
}

// The line that starts at `at`, which then moves past its end: its CR, and the LF after that.
std::string_view NextLine(std::string_view text, std::size_t& at) noexcept {
    const std::size_t end = std::min(text.find(CarriageReturn, at), text.size());
    const std::string_view line = text.substr(at, end - at);
    at = end;
    if (at < text.size()) {
        ++at;
        if (at < text.size() && text[at] == '\n')
            ++at;
    }
    return line;
}

// How many lines NextLine finds in text.
std::size_t CountLines(std::string_view text) noexcept {
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); ++count)
        NextLine(text, at);
    return count;
}

// The lines of text as NextLine cuts them, counted first so that they take no more room than they
// need. A large text is cut on two cores, split where a line begins.
std::vector<std::string_view> CutLines(std::string_view text) {
    std::vector<std::string_view> lines;
    if (text.size() < TwoCoreBytes) {
        lines.reserve(CountLines(text));
        for (std::size_t at = 0; at < text.size();)
            lines.push_back(NextLine(text, at));
        return lines;
    }
    std::size_t split = text.size() / 2;
    NextLine(text, split);               // to the start of the line after the middle
    std::array<std::size_t, 2> counts{}; // of the first half and of the second
    const auto countPart = [&](std::size_t begin, std::size_t end) {
        counts[begin == 0 ? 0 : 1] = CountLines(text.substr(begin, end - begin));
    };
    OnTwoCores(text.size(), split, countPart, countPart);
    lines.resize(counts[0] + counts[1]);
    const auto cutPart = [&](std::size_t begin, std::size_t end) {
        const std::string_view part = text.substr(begin, end - begin);
        std::size_t index = begin == 0 ? 0 : counts[0];
        for (std::size_t at = 0; at < part.size();)
            lines[index++] = NextLine(part, at);
    };
    OnTwoCores(text.size(), split, cutPart, cutPart);
    return lines;
}

#ifndef Q_OS_WIN

// Why the file cannot be replaced, before anything is written: 0 when it can. A file without any
// write permission is read-only for everybody, as the read-only attribute is on Windows, and is
// refused even to the superuser; a folder, a pipe or a device is never replaced by a file.
int RefusalToWrite(const std::string& path, struct stat& existing, bool& exists) {
    exists = false;
    if (path.empty())
        return PathNotFound;
    if (::stat(path.c_str(), &existing) == 0) {
        exists = true;
        if (const int refusal = RefusalOfType(existing.st_mode))
            return refusal;
        if ((existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return AccessDenied;
        ClearSystemError();
        if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
            return FromSystemError(LastSystemError(), AccessDenied);
    } else {
        const int err = LastSystemError();
        if (err != ENOENT)
            return FromErrno(err);
    }
    // The new file is made in the folder of the file that is replaced, which for a link is
    // the folder of its target.
    const std::string folder = FolderOfPath(FollowedPath(path));
    struct stat folderStatus {};
    if (::stat(folder.c_str(), &folderStatus) != 0 || !S_ISDIR(folderStatus.st_mode))
        return PathNotFound;
    ClearSystemError();
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        return FromSystemError(LastSystemError(), AccessDenied);
    return 0;
}

#else

int RefusalToWrite(const std::string& path) {
    if (path.empty())
        return PathNotFound;
    const QFileInfo info(PathToQString(path));
    if (info.exists() && (info.isDir() || !info.isWritable()))
        return AccessDenied;
    if (!info.exists() && !QFileInfo(info.absolutePath()).isDir())
        return PathNotFound;
    return 0;
}

#endif

} // namespace

TTextFile::TTextFile() = default;

TTextFile::~TTextFile() {
    CloseCurrent();
}

void TTextFile::OpenTextForReading(const std::string& path) {
    CloseCurrent();
    TRegularFileReader reader(path);
    FData = ReadWholeFile(reader);
    FText = std::string_view(FData.data(), FData.size());
    FEnd = TextEnd(FText);
    FPosition = 0;
    FMode = TMode::tmReading;
}

void TTextFile::OpenTextForWriting(const std::string& path) {
    CloseCurrent();
#ifndef Q_OS_WIN
    struct stat existing {};
    bool exists = false;
    if (const int refusal = RefusalToWrite(path, existing, exists))
        throw EInOutError(refusal, path);
#else
    if (const int refusal = RefusalToWrite(path))
        throw EInOutError(refusal, path);
#endif
    // Writing in place would bring back the truncated file that this class exists to prevent.
    auto writer = std::make_unique<TReplacingFile>(path, TLinkAtName::Follow);
#ifndef Q_OS_WIN
    // The new file takes the place of the old one, so it keeps its permissions and, where that is
    // allowed, its owner: a vault that nobody else may read must not become readable by saving
    // it. A new vault is for its owner alone, whatever the umask.
    ClearSystemError();
    const bool restricted = exists ? TakeOverAccess(writer->Handle(), existing.st_mode,
                                                    existing.st_uid, existing.st_gid)
                                   : ::fchmod(writer->Handle(), NewFileMode) == 0;
    if (!restricted) {
        const int failure = LastSystemError();
        writer->Cancel();
        throw EInOutError(FromSystemError(failure, AccessDenied), path);
    }
#endif
    FWriter = std::move(writer);
    FWritten = {};
    FWriteBuffer.reserve(WriteBufferSize);
    FMode = TMode::tmWriting;
}

std::string TTextFile::ReadTextLine() {
    RequireMode(TMode::tmReading);
    return std::string(NextLine(FText.substr(0, FEnd), FPosition));
}

TLineBlock TTextFile::ReadRemainingLineBlock() {
    RequireMode(TMode::tmReading);
    TLineBlock block(std::move(FData), FPosition,
                     CutLines(FText.substr(FPosition, FEnd - FPosition)));
    ReleaseReadData();
    FMode = TMode::tmClosed;
    return block;
}

bool TTextFile::TextAtEnd() const {
    RequireMode(TMode::tmReading);
    return FPosition >= FEnd;
}

void TTextFile::WriteTextLine(const std::string& text) {
    RequireMode(TMode::tmWriting);
    static constexpr char LineEnd[] = {'\r', '\n'};
    if (FWriteBuffer.size() + text.size() + sizeof LineEnd > FWriteBuffer.capacity())
        FlushWriteBuffer();
    if (text.size() + sizeof LineEnd > FWriteBuffer.capacity()) {
        WriteBytes(text.data(), text.size());
        WriteBytes(LineEnd, sizeof LineEnd);
        return;
    }
    FWriteBuffer.append(text);
    FWriteBuffer.append(LineEnd, sizeof LineEnd);
}

void TTextFile::CloseTextFile() {
    if (FMode == TMode::tmReading) {
        ReleaseReadData();
        FMode = TMode::tmClosed;
        return;
    }
    if (FMode != TMode::tmWriting)
        return;
    FlushWriteBuffer();
    // The writer is gone whatever the outcome: a failed commit has removed the new file.
    const std::unique_ptr<TReplacingFile> writer = std::move(FWriter);
    FMode = TMode::tmClosed;
    writer->Commit();
}

void TTextFile::RequireMode(TMode mode) const {
    if (FMode != mode)
        throw EInOutError(InvalidHandle);
}

TContentDigest TTextFile::Digest() const noexcept {
    return FMode == TMode::tmReading ? TContentHash::Of(FText) : FWritten.Digest();
}

void TTextFile::WriteBytes(const char* data, std::size_t size) {
    FWritten.Add(std::string_view(data, size));
    try {
        FWriter->Write(std::string_view(data, size));
    } catch (...) {
        DiscardWriter();
        throw;
    }
}

void TTextFile::FlushWriteBuffer() {
    if (FWriteBuffer.empty())
        return;
    WriteBytes(FWriteBuffer.data(), FWriteBuffer.size());
    WipeBytes(FWriteBuffer);
}

void TTextFile::DiscardWriter() noexcept {
    if (FWriter) {
        // The new file goes; the old one is untouched.
        FWriter->Cancel();
        FWriter.reset();
    }
    WipeBytes(FWriteBuffer);
    FMode = TMode::tmClosed;
}

void TTextFile::ReleaseReadData() noexcept {
    FData.Release();
    FText = {};
    FPosition = 0;
    FEnd = 0;
}

std::string ReadFirstTextLine(const std::string& path, std::size_t maxLength) {
    TRegularFileReader reader(path);
    std::string line;
    line.reserve(maxLength + 1); // no partial copy of a check line is left behind by growing
    std::string chunk(FirstLineChunkSize, '\0');
    TWipeGuard chunkGuard(chunk);
    // Ctrl-Z bytes seen but not yet placed: they belong to the line only if data follows them.
    std::size_t pendingCtrlZ = 0;
    try {
        while (line.size() <= maxLength) {
            const std::size_t count = reader.Read(chunk.data(), chunk.size());
            if (count == 0)
                break;
            for (std::size_t i = 0; i < count && line.size() <= maxLength; ++i) {
                if (chunk[i] == CtrlZ) {
                    ++pendingCtrlZ;
                    continue;
                }
                line.append(std::min(pendingCtrlZ, maxLength + 1 - line.size()), CtrlZ);
                pendingCtrlZ = 0;
                if (chunk[i] == CarriageReturn)
                    return line;
                if (line.size() <= maxLength)
                    line.push_back(chunk[i]);
            }
        }
    } catch (...) {
        WipeString(line);
        throw;
    }
    return line;
}

void TTextFile::CloseCurrent() noexcept {
    DiscardWriter();
    ReleaseReadData();
    FMode = TMode::tmClosed;
}
