#pragma once

// Text from outside (a file to import, a notes file, a typed field) that the vault cannot take as
// given: a file it cannot read, a row it cannot parse, a character Windows-1252 cannot hold. The
// message names the place ("data.csv line 4: the login"). Raised before anything is changed.

#include "base/Errors.h"

class EImportError : public Exception {
public:
    using Exception::Exception;
};
