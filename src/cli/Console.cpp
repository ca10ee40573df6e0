#include "cli/Console.h"

#include "base/SecureWipe.h"
#include "cli/CliErrors.h"
#include "platform/Codepage.h"
#include "vault/FieldText.h"

#include <algorithm>
#include <cerrno>
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

TOutputBuffer::TOutputBuffer() {
    FBuffer.reserve(OutputChunk);
}

TOutputBuffer::~TOutputBuffer() {
    WipeBytes(FBuffer);
}

void TOutputBuffer::Append(std::string_view bytes) {
    if (FBuffer.size() + bytes.size() > FBuffer.capacity())
        Flush();
    if (bytes.size() > FBuffer.capacity()) {
        WriteOut(bytes);
        return;
    }
    FBuffer.append(bytes);
}

void TOutputBuffer::Flush() {
    const std::string_view pending = FBuffer;
    try {
        WriteOut(pending);
    } catch (...) {
        WipeBytes(FBuffer);
        throw;
    }
    WipeBytes(FBuffer); // keeps the capacity, so no reallocation leaves a copy behind
}
