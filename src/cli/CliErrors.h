#pragma once

// The two ways a command ends without doing its work. Both carry the one line shown on standard
// error; the exit status tells scripts which side must change: the input (1) or the call (2).

#include "base/Errors.h"

// Wrong password, no such account, bad CSV, a file changed elsewhere: exit status 1.
class EUserError : public Exception {
public:
    using Exception::Exception;
};

// Unknown command or option, missing or extra arguments, a bad option value: exit status 2.
class EUsageError : public Exception {
public:
    using Exception::Exception;
};
