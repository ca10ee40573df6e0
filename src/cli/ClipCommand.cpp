// clip: a field of an account on the desktop clipboard, cleared after a while. The command waits
// for that time, serving the clipboard as a desktop program does; ended early (Ctrl+C), it takes
// the text away with it, as the clipboard's owner is gone.

#include "base/SecureWipe.h"
#include "cli/CliErrors.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/DesktopClipboard.h"
#include "cli/NotesFields.h"
#include "cli/VaultAccess.h"
#include "platform/Codepage.h"
#include "vault/FieldText.h"

namespace {

const char* FieldName(TClipField field) {
    switch (field) {
    case TClipField::Login:
        return "login";
    case TClipField::Totp:
        return "one-time code";
    case TClipField::Password:
        break;
    }
    return "password";
}

std::string FieldValue(const TPassRecord& record, TClipField field) {
    switch (field) {
    case TClipField::Login:
        return record.Login;
    case TClipField::Totp:
        return AccountOneTimeCode(record);
    case TClipField::Password:
        break;
    }
    return record.Password;
}

} // namespace

void RunClip(const TArguments& args, TPasswordInput& input) {
    const std::unique_ptr<IDesktopClipboard> clipboard = OpenDesktopClipboard();
    const std::string name = AccountNameText(args.Name, "The account name");
    TVault vault;
    vault.LearnLineOrderBeside(false); // only read: no change needs the order
    OpenVault(vault, args.File, input);
    SelectAccount(vault, name);
    std::string value = FieldValue(vault.Current(), args.ClipField);
    TWipeGuard wipeValue(value);
    const std::string what =
        std::string("The ") + FieldName(args.ClipField) + " of " + AnsiToTerminalShown(name);
    if (value.empty())
        throw EUserError(what + " is empty; nothing was copied.");
    QString text = AnsiToQString(value);
    const bool copied = clipboard->Copy(text);
    WipeQString(text);
    WipeString(value);
    // Nothing of the vault is needed while the clipboard is served.
    vault.Close();
    if (!copied)
        throw EUserError("The desktop clipboard did not take the " +
                         std::string(FieldName(args.ClipField)) + ".");
    const std::string seconds = args.ClipSeconds == 1
                                    ? std::string("1 second")
                                    : std::to_string(args.ClipSeconds) + " seconds";
    WriteOut(what + " is on the clipboard; it is cleared in " + seconds +
             " (Ctrl+C clears it now).\n");
    if (clipboard->HoldThenClear(std::chrono::seconds(args.ClipSeconds)))
        WriteOut("The clipboard is cleared.\n");
    else
        WriteOut("Something else was copied meanwhile; the clipboard is left as it is.\n");
}
