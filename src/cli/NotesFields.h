#pragma once

// What an account keeps in its notes by convention, for the commands that show or copy it: the
// current one-time code and the web address. Each raises EUserError, naming the account, when the
// notes hold none or a malformed one.

#include "vault/RecordCodec.h"

#include <string>

// The caller wipes the code.
std::string AccountOneTimeCode(const TPassRecord& record);
std::string AccountWebAddress(const TPassRecord& record);
