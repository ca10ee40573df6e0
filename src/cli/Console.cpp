#include "cli/Console.h"

#include "base/SecureWipe.h"
#include "cli/CliErrors.h"
#include "platform/Codepage.h"
#include "vault/FieldText.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <unistd.h>

namespace {

constexpr std::size_t OutputChunk = 64 * 1024;

// Unbuffered, so that no copy of a shown password stays in a stdio buffer.
bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

void WriteOut(std::string_view bytes) {
    if (!WriteAll(STDOUT_FILENO, bytes))
        throw EUserError("Standard output could not be written");
}

void WriteErr(std::string_view bytes) {
    WriteAll(STDERR_FILENO, bytes); // nowhere left to report a failure
}

std::string AnsiToTerminal(const std::string& ansi) {
    return AnsiToUtf8(ansi);
}

bool IsShownAsQuestionMark(unsigned char byte) noexcept {
    return IsControlByte(byte);
}

std::string AnsiToTerminalShown(const std::string& ansi) {
    std::string shown = ansi;
    for (char& byte : shown) {
        if (IsShownAsQuestionMark(static_cast<unsigned char>(byte)))
            byte = '?';
    }
    std::string result = AnsiToTerminal(shown);
    WipeString(shown);
    return result;
}

std::string ToAnsi(const QString& text, const std::string& what) {
    // A byte of the command line that is not UTF-8 comes as one of these (see PathToQString).
    if (std::any_of(text.cbegin(), text.cend(),
                    [](QChar ch) { return ch.unicode() >= 0xDC80 && ch.unicode() <= 0xDCFF; }))
        throw EUserError(what + " is not UTF-8 text");
    try {
        return QStringToAnsi(text);
    } catch (const EConvertError& error) {
        throw EUserError(what + ": " + error.Message());
    }
}

TOutputBuffer::TOutputBuffer(TMode mode) : FMode(mode) {
    FBuffer.reserve(OutputChunk);
}

TOutputBuffer::~TOutputBuffer() {
    WipeAll();
}

void TOutputBuffer::Append(std::string_view bytes) {
    if (FBuffer.size() + bytes.size() > FBuffer.capacity())
        ChunkFull();
    if (bytes.size() > FBuffer.capacity()) {
        if (FMode == TMode::Hold)
            FHeld.emplace_back(bytes);
        else
            WriteOut(bytes);
        return;
    }
    FBuffer.append(bytes);
}

void TOutputBuffer::ChunkFull() {
    if (FMode == TMode::Write) {
        Flush();
        return;
    }
    // The chunk's bytes move into the list, not copied: the new chunk is allocated apart.
    FHeld.push_back(std::move(FBuffer));
    FBuffer = std::string();
    FBuffer.reserve(OutputChunk);
}

void TOutputBuffer::WipeAll() noexcept {
    for (std::string& chunk : FHeld)
        WipeBytes(chunk);
    FHeld.clear();
    WipeBytes(FBuffer); // keeps the capacity, so no reallocation leaves a copy behind
}

void TOutputBuffer::AppendShown(std::string_view ansi, bool lineEnd) {
    // What each byte shows as in UTF-8: one to three bytes, or "?" for a control.
    struct TShownBytes {
        std::array<std::array<char, 3>, 256> Bytes{};
        std::array<std::uint8_t, 256> Count{};
    };
    static const TShownBytes shownBytes = [] {
        TShownBytes table;
        for (int byte = 0; byte < 256; ++byte) {
            const char ch = static_cast<char>(byte);
            const std::string utf8 = IsShownAsQuestionMark(static_cast<unsigned char>(byte))
                                         ? std::string("?")
                                         : AnsiToUtf8(std::string_view(&ch, 1));
            std::copy(utf8.begin(), utf8.end(),
                      table.Bytes[static_cast<std::size_t>(byte)].begin());
            table.Count[static_cast<std::size_t>(byte)] = static_cast<std::uint8_t>(utf8.size());
        }
        return table;
    }();
    constexpr std::size_t MostPerByte = 3;
    const std::size_t most = MostPerByte * ansi.size() + (lineEnd ? 1 : 0);
    if (FBuffer.size() + most > FBuffer.capacity())
        ChunkFull();
    if (most > FBuffer.capacity()) {
        std::string shown = AnsiToTerminalShown(std::string(ansi));
        TWipeGuard wipeShown(shown);
        Append(shown);
        if (lineEnd)
            Append("\n");
        return;
    }
    // Printable ASCII, as most names are, goes as it is; without an early exit, the check runs
    // over many bytes at a time.
    bool plain = true;
    for (const char ch : ansi)
        plain &= ch >= ' ' && ch <= '~';
    // Within the capacity, as checked above: no copy is left behind.
    if (plain) {
        FBuffer.append(ansi);
    } else {
        std::size_t length = 0;
        for (const char ch : ansi)
            length += shownBytes.Count[static_cast<unsigned char>(ch)];
        const std::size_t at = FBuffer.size();
        FBuffer.resize(at + length);
        char* out = FBuffer.data() + at;
        for (const char ch : ansi) {
            const auto byte = static_cast<unsigned char>(ch);
            out = std::copy_n(shownBytes.Bytes[byte].data(), shownBytes.Count[byte], out);
        }
    }
    if (lineEnd)
        FBuffer.push_back('\n');
}

void TOutputBuffer::Flush() {
    try {
        for (const std::string& chunk : FHeld)
            WriteOut(chunk);
        WriteOut(FBuffer);
    } catch (...) {
        WipeAll();
        throw;
    }
    WipeAll();
}
