// ls, show, add, edit and rm.

#include "base/Prefetch.h"
#include "base/TwoCores.h"
#include "cli/CliErrors.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/NotesFields.h"
#include "cli/VaultAccess.h"
#include "vault/FieldText.h"
#include "vault/NotesLines.h"
#include "vault/PasswordGenerator.h"
#include "vault/WipeGuard.h"

#include <optional>

namespace {

// The fields an add or edit sets; what is not given stays.
struct TFieldChanges {
    std::optional<std::string> Login;
    std::optional<std::string> Notes;
    std::optional<std::string> Password;

    TFieldChanges() = default;
    TFieldChanges(const TFieldChanges&) = delete;
    TFieldChanges& operator=(const TFieldChanges&) = delete;
    ~TFieldChanges() {
        for (auto* field : {&Login, &Notes, &Password}) {
            if (*field)
                WipeString(**field);
        }
    }
};

// Login and notes are checked before the master password is asked for, so that a refused
// character costs no typing.
void ReadGivenFields(const TArguments& args, TFieldChanges& changes) {
    if (args.Login)
        changes.Login = OneLineText(*args.Login, "The login");
    if (args.NotesFile) {
        QString text = ReadUtf8File(*args.NotesFile);
        try {
            changes.Notes = NotesText(text, *args.NotesFile);
        } catch (...) {
            WipeQString(text);
            throw;
        }
        WipeQString(text);
    }
    if (args.GenerateLength) {
        TPasswordRules rules;
        rules.Length = *args.GenerateLength;
        changes.Password = GeneratePassword(rules);
    }
}

// The account's password is read after the master password: that is the order of the lines.
void StoreChanges(TVault& vault, const TArguments& args, TPasswordInput& input,
                  TFieldChanges& changes, const std::string& name) {
    if (args.PasswordPrompt) {
        changes.Password = input.Read("Password for account " + AnsiToTerminalShown(name) + ": ");
        if (changes.Password->find_first_of("\r\n") != std::string::npos)
            throw EUserError("The account's password holds a line break");
    }
    if (changes.Login)
        vault.StoreField(&TPassRecord::Login, *changes.Login);
    if (changes.Password)
        vault.StoreField(&TPassRecord::Password, *changes.Password);
    if (changes.Notes)
        vault.StoreField(&TPassRecord::Notes, *changes.Notes);
}

// A field asked for alone goes out as it is, for scripts; among other output it is shown safely.
void AppendLine(TOutputBuffer& out, const std::string& label, const std::string& ansi,
                bool alone = false) {
    out.Append(label);
    if (alone) {
        std::string text = AnsiToTerminal(ansi);
        out.Append(text);
        WipeString(text);
        out.Append("\n");
    } else {
        out.AppendShown(ansi, true);
    }
}

} // namespace

void RunList(const TArguments& args, TPasswordInput& input) {
    TVault vault;
    vault.LearnLineOrderBeside(false); // only read: no change needs the order
    OpenVault(vault, args.File, input);
    const auto show = [&vault](TOutputBuffer& out, std::size_t begin, std::size_t end) {
        for (std::size_t row = begin; row < end; ++row) {
            if (row + PrefetchDistance < end)
                PrefetchForRead(
                    vault.Account(static_cast<int>(row + PrefetchDistance)).Name.data());
            out.AppendShown(vault.Account(static_cast<int>(row)).Name, true);
        }
    };
    // Many names are shown on both cores: this one writes the first half as it goes, while the
    // other holds the second half for it.
    TOutputBuffer first;
    TOutputBuffer second(TOutputBuffer::TMode::Hold);
    const auto count = static_cast<std::size_t>(vault.AccountCount());
    OnTwoCores(
        count, count / 2,
        [&](std::size_t begin, std::size_t end) {
            show(first, begin, end);
            first.Flush();
        },
        [&](std::size_t begin, std::size_t end) { show(second, begin, end); });
    second.Flush();
}

void RunShow(const TArguments& args, TPasswordInput& input) {
    const std::string name = AccountNameText(args.Name, "The account name");
    TVault vault;
    vault.LearnLineOrderBeside(false); // only read: no change needs the order
    OpenVault(vault, args.File, input);
    SelectAccount(vault, name);
    const TPassRecord& record = vault.Current();
    TOutputBuffer out;
    const auto notes = [&](const std::string& indent) {
        std::vector<std::string> lines = NotesLines(record.Notes);
        for (std::string& line : lines) {
            AppendLine(out, indent, line);
            WipeString(line);
        }
    };
    switch (args.Field) {
    case TShownField::Login:
        AppendLine(out, {}, record.Login, true);
        break;
    case TShownField::Password:
        AppendLine(out, {}, record.Password, true);
        break;
    case TShownField::Notes:
        notes({});
        break;
    case TShownField::Url: {
        std::string address = AccountWebAddress(record);
        AppendLine(out, {}, address, true);
        WipeString(address);
        break;
    }
    case TShownField::All:
        AppendLine(out, "Name: ", record.Account);
        AppendLine(out, "Login: ", record.Login);
        if (args.ShowPassword)
            AppendLine(out, "Password: ", record.Password);
        else
            out.Append("Password: PROTECTED\n");
        out.Append("Notes:\n");
        notes("  ");
        break;
    }
    out.Flush();
}

void RunAdd(const TArguments& args, TPasswordInput& input) {
    const std::string name = NewAccountNameText(args.Name, "The account name");
    TFieldChanges changes;
    ReadGivenFields(args, changes);
    TVault vault;
    OpenVault(vault, args.File, input);
    RequireResealAllowed(vault, args.Reseal);
    if (!vault.Add(name))
        throw EUserError("An account named " + AnsiToTerminalShown(name) + " exists already in " +
                             args.File + ". Nothing was written.",
                         TOutcome::Said);
    StoreChanges(vault, args, input, changes, name);
    SaveVault(vault, args.Reseal);
    WriteOut("Added " + AnsiToTerminalShown(name) + ".\n");
}

void RunEdit(const TArguments& args, TPasswordInput& input) {
    const std::string name = AccountNameText(args.Name, "The account name");
    TFieldChanges changes;
    ReadGivenFields(args, changes);
    TVault vault;
    OpenVault(vault, args.File, input);
    RequireResealAllowed(vault, args.Reseal);
    SelectAccount(vault, name);
    StoreChanges(vault, args, input, changes, name);
    SaveVault(vault, args.Reseal);
    WriteOut("Changed " + AnsiToTerminalShown(name) + ".\n");
}

void RunRemove(const TArguments& args, TPasswordInput& input) {
    const std::string name = AccountNameText(args.Name, "The account name");
    TVault vault;
    OpenVault(vault, args.File, input);
    RequireResealAllowed(vault, args.Reseal);
    SelectAccount(vault, name);
    vault.DeleteCurrent();
    SaveVault(vault, args.Reseal);
    WriteOut("Removed " + AnsiToTerminalShown(name) + ".\n");
}
