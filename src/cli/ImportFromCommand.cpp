// import --from: another password manager's export, planned whole before anything is added.

#include "cli/CliErrors.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/VaultAccess.h"
#include "platform/WipeQString.h"
#include "vault/FieldText.h"
#include "vault/ImportPlan.h"

#include <QScopeGuard>

namespace {

void AppendPlan(TOutputBuffer& out, const TImportPlan& plan, bool dryRun) {
    for (const TPlannedAccount& account : plan.Accounts) {
        std::string line =
            (dryRun ? "would add: " : "added: ") + AnsiToTerminalShown(account.Record.Account);
        if (!account.SourceName.empty())
            line += " (renamed from " + AnsiToTerminalShown(account.SourceName) + ", " +
                    account.Where + ")";
        if (account.NotesBroken)
            line += " (a \";\" of its notes is a line break now)";
        out.Append(line + "\n");
    }
}

} // namespace

void RunImportFrom(const TArguments& args, TPasswordInput& input) {
    const TImportFormat format = *args.ImportFrom;
    QString text = ReadUtf8File(args.Source);
    const auto wipeText = qScopeGuard([&text] { WipeQString(text); });
    // Checked before the master password is asked for, so that a refused row costs no typing;
    // the names are settled once the vault's are known.
    PlanImport(format, text, args.Source, [](const std::string&) { return false; });
    TVault vault;
    OpenVault(vault, args.File, input);
    if (!args.DryRun)
        RequireResealAllowed(vault, args.Reseal);
    const TImportPlan plan =
        PlanImport(format, text, args.Source,
                   [&vault](const std::string& name) { return vault.FindAccount(name) >= 0; });
    TOutputBuffer out;
    AppendPlan(out, plan, args.DryRun);
    std::size_t renamed = 0;
    for (const TPlannedAccount& account : plan.Accounts)
        renamed += account.SourceName.empty() ? 0 : 1;
    const std::string counts = std::to_string(plan.Accounts.size()) + " accounts from " +
                               args.Source + " into " + args.File + ", " + std::to_string(renamed) +
                               " renamed";
    if (args.DryRun) {
        out.Append("Would import " + counts + "; nothing was written.\n");
    } else {
        if (!plan.Accounts.empty()) {
            CarryOutImport(vault, plan);
            SaveVault(vault, args.Reseal);
        }
        out.Append("Imported " + counts + ".\n");
    }
    out.Flush();
}
