// analyze: the vault's health report, weak, shared, empty and breached passwords.

#include "cli/CliErrors.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/VaultAccess.h"
#include "platform/PlatformErrors.h"
#include "vault/HealthReport.h"

#include <cmath>
#include <optional>

namespace {

class TReportWriter {
public:
    TReportWriter(TVault& vault, bool showPasswords)
        : FVault(vault), FShowPasswords(showPasswords) {}

    void Heading(const std::string& title, std::size_t count) {
        FOut.Append(title + ": " + std::to_string(count) + "\n");
    }
    void Line(const std::string& text) { FOut.Append("  " + text + "\n"); }
    void Text(const std::string& text) { FOut.Append(text + "\n"); }
    // The password of the row, on a line of its own, only when asked for.
    void Password(int row) {
        if (!FShowPasswords)
            return;
        std::string password = AccountPassword(FVault, row);
        std::string shown = AnsiToTerminalShown(password);
        WipeString(password);
        FOut.Append("    password: ");
        FOut.Append(shown);
        FOut.Append("\n");
        WipeString(shown);
    }
    void Flush() { FOut.Flush(); }

private:
    TVault& FVault;
    bool FShowPasswords;
    TOutputBuffer FOut;
};

std::string Name(const THealthEntry& entry) {
    return AnsiToTerminalShown(entry.Name);
}

std::string Strength(const THealthEntry& entry) {
    return std::to_string(static_cast<long>(std::floor(entry.Strength.Bits))) + " bits, " +
           StrengthWord(entry.Strength.Level);
}

} // namespace

void RunAnalyze(const TArguments& args, TPasswordInput& input) {
    // Opened first, so that a wrong path costs no typing.
    std::optional<TBreachList> breaches;
    if (args.BreachFile) {
        try {
            breaches.emplace(*args.BreachFile);
        } catch (const EInOutError& error) {
            throw EUserError(*args.BreachFile + ": " + error.Message());
        }
    }
    TVault vault;
    vault.LearnLineOrderBeside(false); // only read: no change needs the order
    OpenVault(vault, args.File, input);
    THealthOptions options;
    options.Breaches = breaches ? &*breaches : nullptr;
    const THealthReport report = CheckVaultHealth(vault, options);

    TReportWriter out(vault, args.ShowPassword);
    out.Text(args.File + ": " + std::to_string(report.Accounts) + " accounts");
    out.Heading("Weak passwords (below " + std::to_string(static_cast<int>(GoodFromBits)) +
                    " bits as zxcvbn estimates them)",
                report.Weak.size());
    for (const THealthEntry& entry : report.Weak) {
        out.Line(Name(entry) + ": " + Strength(entry));
        out.Password(entry.Row);
    }
    out.Heading("Passwords that more than one account uses", report.Shared.size());
    for (const std::vector<THealthEntry>& group : report.Shared) {
        std::string names;
        for (const THealthEntry& entry : group)
            names += (names.empty() ? "" : ", ") + Name(entry);
        out.Line(std::to_string(group.size()) + " accounts: " + names);
        out.Password(group.front().Row);
    }
    out.Heading("Empty passwords", report.Empty.size());
    for (const THealthEntry& entry : report.Empty)
        out.Line(Name(entry));
    if (report.BreachesChecked) {
        out.Heading("Passwords found in " + *args.BreachFile, report.Breached.size());
        for (const THealthEntry& entry : report.Breached) {
            out.Line(Name(entry) + ": seen " + std::to_string(entry.TimesSeen) + " times");
            out.Password(entry.Row);
        }
    } else {
        out.Text("Breached passwords: not looked up (give --hibp HIBPFILE)");
    }
    out.Flush();
}
