#pragma once

// Passwords are never taken from the command line, where other users see them in the process
// list. From a terminal they are typed without echo; otherwise each is the next line of standard
// input, so that scripts can feed several in a fixed order.

#include <string>

class TPasswordInput {
public:
    TPasswordInput();

    // The next password in Windows-1252, the prompt shown on standard error. Raises EUserError
    // when standard input has ended or the text has a character Windows-1252 cannot hold.
    std::string Read(const std::string& prompt);

private:
    std::string ReadLine();

    bool FTerminal;
};
