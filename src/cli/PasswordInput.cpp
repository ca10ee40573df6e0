#include "cli/PasswordInput.h"

#include "base/SecureWipe.h"
#include "cli/CliErrors.h"
#include "cli/Console.h"
#include "platform/Codepage.h"

#include <cerrno>
#include <termios.h>
#include <unistd.h>

namespace {

// Echo is off while the guard lives, and restored also when an error ends the read.
class TEchoOff {
public:
    TEchoOff() {
        if (::tcgetattr(STDIN_FILENO, &FSaved) != 0)
            return;
        termios quiet = FSaved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        FActive = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    }
    ~TEchoOff() {
        if (FActive)
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &FSaved);
    }
    TEchoOff(const TEchoOff&) = delete;
    TEchoOff& operator=(const TEchoOff&) = delete;

private:
    termios FSaved{};
    bool FActive = false;
};

// A password longer than this is not a password but the wrong file on standard input.
constexpr std::size_t MaxLineBytes = 4096;

} // namespace

TPasswordInput::TPasswordInput() : FTerminal(::isatty(STDIN_FILENO) == 1) {}

std::string TPasswordInput::Read(const std::string& prompt) {
    std::string line;
    TWipeGuard wipeLine(line);
    if (FTerminal) {
        // Asked only of someone at a terminal: with passwords through a pipe, standard error
        // holds nothing but what went wrong.
        WriteErr(prompt);
        const TEchoOff echoOff;
        line = ReadLine();
    } else {
        line = ReadLine();
    }
    // Bytes to bytes: a QString would leave a copy of the password in freed memory.
    try {
        return Utf8ToAnsi(line);
    } catch (const ENotUtf8&) {
        throw EUserError("The password is not UTF-8 text");
    } catch (const EConvertError&) {
        // The character is not named: it is part of a password.
        throw EUserError("The password holds a character that Windows-1252 cannot hold");
    }
}

std::string TPasswordInput::ReadLine() {
    // One byte at a time: nothing of the following lines (the next passwords) is taken from
    // standard input, and no buffer but this one ever holds the password.
    std::string line;
    line.reserve(MaxLineBytes);
    bool any = false;
    for (;;) {
        char byte = 0;
        const ssize_t got = ::read(STDIN_FILENO, &byte, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (!any) {
                WipeString(line);
                throw EUserError("No password was given: standard input has ended");
            }
            break;
        }
        any = true;
        if (byte == '\n')
            break;
        if (line.size() == MaxLineBytes) {
            WipeString(line);
            throw EUserError("The password line is longer than 4096 bytes");
        }
        line.push_back(byte);
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}
