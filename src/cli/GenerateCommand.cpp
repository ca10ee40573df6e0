// generate: a new password or passphrase on standard output, without any vault.

#include "base/SecureWipe.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "vault/PasswordGenerator.h"

void RunGenerate(const TArguments& args, TPasswordInput& /*input*/) {
    std::string secret;
    TWipeGuard wipeSecret(secret);
    if (args.Words) {
        TPassphraseRules rules;
        rules.Words = *args.Words;
        secret = GeneratePassphrase(rules);
    } else {
        TPasswordRules rules;
        rules.Length = args.Length.value_or(rules.Length);
        secret = GeneratePassword(rules);
    }
    TOutputBuffer out;
    out.Append(secret);
    out.Append("\n");
    out.Flush();
}
