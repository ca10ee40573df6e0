#include "cli/Console.h"

#include "base/SecureWipe.h"
#include "cli/CliErrors.h"
#include "platform/Codepage.h"
#include "vault/FieldText.h"

#include <QStringEncoder>

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
    QString text = AnsiToQString(ansi);
    // Into room made once for the longest result: toLocal8Bit would shrink its own room
    // afterwards and leave the text behind in the memory it gives up.
    QStringEncoder encoder(QStringEncoder::System);
    std::string result(static_cast<std::size_t>(encoder.requiredSpace(text.size())), '\0');
    char* const end = encoder.appendToBuffer(result.data(), text);
    WipeQString(text);
    result.resize(static_cast<std::size_t>(end - result.data()));
    return result;
}

std::string AnsiToTerminalShown(const std::string& ansi) {
    std::string shown = ansi;
    for (char& byte : shown) {
        const auto code = static_cast<unsigned char>(byte);
        // C0 controls, DEL, and the bytes that stand for C1 controls.
        if (code < 0x20 || code == 0x7F || code == 0x81 || code == 0x8D || code == 0x8F ||
            code == 0x90 || code == 0x9D)
            byte = '?';
    }
    std::string result = AnsiToTerminal(shown);
    WipeString(shown);
    return result;
}

std::string TerminalToAnsi(const std::string& bytes, const std::string& what) {
    QString text = QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
    std::string result;
    try {
        result = AnsiText(text, what);
    } catch (...) {
        WipeQString(text);
        throw;
    }
    WipeQString(text);
    return result;
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
