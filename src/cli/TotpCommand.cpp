// totp: the current one-time code of an account, alone on standard output for scripts.

#include "base/SecureWipe.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/NotesFields.h"
#include "cli/VaultAccess.h"
#include "vault/FieldText.h"

void RunTotp(const TArguments& args, TPasswordInput& input) {
    const std::string name = AccountNameText(args.Name, "The account name");
    TVault vault;
    vault.LearnLineOrderBeside(false); // only read: no change needs the order
    OpenVault(vault, args.File, input);
    SelectAccount(vault, name);
    std::string code = AccountOneTimeCode(vault.Current());
    TWipeGuard wipeCode(code);
    TOutputBuffer out;
    out.Append(code);
    out.Append("\n");
    out.Flush();
}
