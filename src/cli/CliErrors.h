#pragma once

// The two ways a command ends without doing its work. Both carry the one line shown on standard
// error; the exit status tells scripts which side must change: the input (1) or the call (2).

#include "base/Errors.h"

// Whether a refusal's message says already what became of the files ("Nothing was written.");
// for a command that writes, the others are followed by that sentence.
enum class TOutcome { Unsaid, Said };

// Wrong password, no such account, bad CSV, a file changed elsewhere: exit status 1.
class EUserError : public Exception {
public:
    explicit EUserError(std::string message, TOutcome outcome = TOutcome::Unsaid)
        : Exception(std::move(message)), FOutcome(outcome) {}
    TOutcome Outcome() const noexcept { return FOutcome; }

private:
    TOutcome FOutcome;
};

// Unknown command or option, missing or extra arguments, a bad option value: exit status 2.
class EUsageError : public Exception {
public:
    using Exception::Exception;
};
