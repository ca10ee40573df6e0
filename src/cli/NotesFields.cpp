#include "cli/NotesFields.h"

#include "cli/CliErrors.h"
#include "cli/Console.h"
#include "vault/NotesAddress.h"
#include "vault/Totp.h"

std::string AccountOneTimeCode(const TPassRecord& record) {
    TOtpReading reading = ReadOtp(record.Notes);
    const std::string name = AnsiToTerminalShown(record.Account);
    if (!reading.HasKeyLine)
        throw EUserError("The notes of " + name +
                         " hold no one-time key (a line otpauth://totp/... or totp: SECRET)");
    if (!reading.Problem.empty())
        throw EUserError("The notes of " + name + ": " + reading.Problem + ". No code was made.");
    std::string code;
    code.swap(reading.Code);
    return code;
}

std::string AccountWebAddress(const TPassRecord& record) {
    std::string address = NotesWebAddress(record.Notes);
    if (address.empty())
        throw EUserError("The notes of " + AnsiToTerminalShown(record.Account) +
                         " hold no web address (a line https://... or url: ...)");
    return address;
}
