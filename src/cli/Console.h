#pragma once

// Standard output and error, and the crossing between the vault's Windows-1252 bytes and the
// terminal's encoding (UTF-8 on Linux).

#include "platform/WipeQString.h"

#include <QString>

#include <string>
#include <string_view>
#include <vector>

// Raises EUserError when standard output cannot take the text (a full disk, a closed pipe).
void WriteOut(std::string_view bytes);
void WriteErr(std::string_view bytes);

// Account data for the terminal; the intermediate copies are wiped, since the text may be a
// password the user asked to see.
std::string AnsiToTerminal(const std::string& ansi);
// The same for text shown among other output: control characters, which a file written elsewhere
// may hold in a name and which the terminal would obey, are shown as "?", as ls shows them.
std::string AnsiToTerminalShown(const std::string& ansi);
// Whether AnsiToTerminalShown shows this byte as "?".
bool IsShownAsQuestionMark(unsigned char byte) noexcept;
// Text from the user (argument, CSV) for the vault. Text that is not UTF-8, or a character that
// Windows-1252 cannot hold, raises EUserError naming it and what it was part of ("the login").
std::string ToAnsi(const QString& text, const std::string& what);

// Collects output so that a long listing costs few system calls; the buffer is wiped whenever it
// is written out, since it may hold passwords.
class TOutputBuffer {
public:
    // Hold: nothing is written until Flush, so that another thread may fill the buffer while this
    // one writes output of its own.
    enum class TMode { Write, Hold };
    explicit TOutputBuffer(TMode mode = TMode::Write);
    ~TOutputBuffer();
    TOutputBuffer(const TOutputBuffer&) = delete;
    TOutputBuffer& operator=(const TOutputBuffer&) = delete;

    void Append(std::string_view bytes);
    // Windows-1252 text as AnsiToTerminalShown shows it, converted into the buffer itself; with
    // lineEnd, a line of its own.
    void AppendShown(std::string_view ansi, bool lineEnd = false);
    void Flush();

private:
    TMode FMode;
    std::string FBuffer;
    std::vector<std::string> FHeld; // a held buffer's full chunks, in order

    void ChunkFull();
    void WipeAll() noexcept;
};
