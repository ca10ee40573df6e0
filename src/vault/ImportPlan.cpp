#include "vault/ImportPlan.h"

#include "base/SecureWipe.h"
#include "platform/Codepage.h"
#include "platform/FileSystem.h"
#include "platform/IoErrorCodes.h"
#include "platform/PlatformErrors.h"
#include "platform/WipeQString.h"
#include "vault/FieldText.h"
#include "vault/ImportError.h"
#include "vault/NotesLines.h"
#include "vault/Vault.h"
#include "vault/WipeGuard.h"

#include <QRegularExpression>
#include <QScopeGuard>
#include <QUrl>
#include <QUrlQuery>

#include <stdexcept>
#include <unordered_set>

namespace {

template <typename TWork> auto NothingImportedOnRefusal(TWork&& work) {
    try {
        return work();
    } catch (const EImportError& error) {
        throw EImportError(error.Message() + ". Nothing was imported.");
    }
}

// The secret as an otpauth:// URI, which authenticator apps and the window read. An URI of any
// scheme (otpauth://, Bitwarden's steam://) stays as it is; KeePass's "key=SECRET&step=30&size=6"
// keeps its period and digits.
QString OneTimeCodeLine(const QString& code, const QString& name) {
    if (code.isEmpty() || code.contains(QLatin1String("://")))
        return code;
    QString secret = code;
    QString period;
    QString digits;
    if (code.contains(u'=')) {
        const QUrlQuery query(code);
        secret = query.queryItemValue(QStringLiteral("key"));
        if (secret.isEmpty())
            secret = query.queryItemValue(QStringLiteral("secret"));
        period = query.queryItemValue(QStringLiteral("step"));
        digits = query.queryItemValue(QStringLiteral("size"));
    }
    secret.remove(u' ');
    QString line = QStringLiteral("otpauth://totp/") +
                   QString::fromLatin1(QUrl::toPercentEncoding(name)) + QStringLiteral("?secret=") +
                   secret.toUpper();
    WipeQString(secret);
    if (!period.isEmpty() && period != u"30")
        line += QStringLiteral("&period=") + period;
    if (!digits.isEmpty() && digits != u"6")
        line += QStringLiteral("&digits=") + digits;
    return line;
}

QString NameOf(const TForeignAccount& account) {
    if (!account.Name.trimmed().isEmpty())
        return account.Name;
    for (const QString& address : account.Addresses) {
        const QString host = QUrl(address).host();
        if (!host.isEmpty())
            return host;
    }
    if (!account.Addresses.isEmpty())
        return account.Addresses.front();
    if (!account.Login.trimmed().isEmpty())
        return account.Login;
    return QStringLiteral("Imported account");
}

// The notes' lines of one account, each converted where it is added.
class TNotesLines {
public:
    explicit TNotesLines(const std::string& where) : FWhere(where) {}
    ~TNotesLines() {
        for (std::string& line : FLines)
            WipeString(line);
    }
    TNotesLines(const TNotesLines&) = delete;
    TNotesLines& operator=(const TNotesLines&) = delete;

    void Add(const QString& text, const char* what) {
        static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
        QStringList lines = text.split(lineBreak);
        const auto wipe = qScopeGuard([&lines] {
            for (QString& line : lines)
                WipeQString(line);
        });
        if (!lines.isEmpty() && lines.back().isEmpty())
            lines.removeLast();
        for (const QString& line : lines) {
            QStringList pieces = line.split(QLatin1Char(NotesLineEnd));
            const auto wipePieces = qScopeGuard([&pieces] {
                for (QString& piece : pieces)
                    WipeQString(piece);
            });
            FBroken = FBroken || pieces.size() > 1;
            for (const QString& piece : pieces)
                FLines.push_back(AnsiText(piece, FWhere + ": " + what));
        }
    }
    bool Broken() const noexcept { return FBroken; }
    std::string Notes() const { return NotesFromLines(FLines); }

private:
    const std::string& FWhere;
    std::vector<std::string> FLines;
    bool FBroken = false;
};

TPlannedAccount PlanAccount(const TForeignAccount& account, const QString& name) {
    TPlannedAccount planned;
    TRecordWipeGuard wipe(planned.Record);
    planned.Where = account.Where;
    const std::string& where = account.Where;
    planned.Record.Account = AccountNameText(name, where + ": the name");
    planned.Record.Login = OneLineText(account.Login, where + ": the login");
    planned.Record.Password = OneLineText(account.Password, where + ": the password");
    TNotesLines notes(where);
    for (const QString& address : account.Addresses)
        notes.Add(address, "the web address");
    QString code = OneTimeCodeLine(account.OneTimeCode, name);
    const auto wipeCode = qScopeGuard([&code] { WipeQString(code); });
    notes.Add(code, "the one-time code");
    notes.Add(account.Notes, "the notes");
    for (const QString& field : account.Fields)
        notes.Add(field, "a further field");
    planned.Record.Notes = notes.Notes();
    planned.NotesBroken = notes.Broken();
    TPlannedAccount result = std::move(planned); // the guard wipes what the move leaves
    return result;
}

// Gives every account a name that neither the vault nor another account of the export has.
void MakeNamesUnique(std::vector<TPlannedAccount>& accounts,
                     const std::function<bool(const std::string&)>& nameTaken) {
    std::unordered_set<std::string> given;
    for (const TPlannedAccount& account : accounts)
        given.insert(account.Record.Account);
    std::unordered_set<std::string> used;
    for (TPlannedAccount& account : accounts) {
        std::string& name = account.Record.Account;
        if (used.count(name) > 0 || nameTaken(name)) {
            std::string free;
            for (int suffix = 2;; ++suffix) {
                free = name + " (" + std::to_string(suffix) + ")";
                if (used.count(free) == 0 && given.count(free) == 0 && !nameTaken(free))
                    break;
            }
            account.SourceName = std::exchange(name, free);
        }
        used.insert(name);
    }
}

} // namespace

TImportPlan::~TImportPlan() {
    for (TPlannedAccount& account : Accounts)
        WipeRecord(account.Record);
}

TImportPlan& TImportPlan::operator=(TImportPlan&& other) noexcept {
    if (this != &other) {
        for (TPlannedAccount& account : Accounts)
            WipeRecord(account.Record);
        Accounts = std::move(other.Accounts);
        other.Accounts.clear();
    }
    return *this;
}

TImportPlan PlanImport(TImportFormat format, const QString& text, const std::string& source,
                       const std::function<bool(const std::string&)>& nameTaken) {
    return NothingImportedOnRefusal([&] {
        std::vector<TForeignAccount> foreign = ReadForeignAccounts(format, text, source);
        const auto wipeForeign = qScopeGuard([&foreign] { WipeForeignAccounts(foreign); });
        TImportPlan plan;
        plan.Accounts.reserve(foreign.size());
        for (const TForeignAccount& account : foreign)
            plan.Accounts.push_back(PlanAccount(account, NameOf(account)));
        MakeNamesUnique(plan.Accounts, nameTaken);
        return plan;
    });
}

TImportPlan PlanImportFile(TImportFormat format, const std::string& path, const TVault& vault) {
    QString text = NothingImportedOnRefusal([&] {
        // A pipe chosen in the file dialog would hold the window until something wrote to it.
        if (NamePresent(path) && !FilePresent(path))
            throw EImportError(EInOutError(IoErrorCodes::NotARegularFile, path).Error());
        return ReadUtf8File(path);
    });
    const auto wipeText = qScopeGuard([&text] { WipeQString(text); });
    return PlanImport(format, text, path,
                      [&vault](const std::string& name) { return vault.FindAccount(name) >= 0; });
}

void CarryOutImport(TVault& vault, const TImportPlan& plan) {
    for (const TPlannedAccount& account : plan.Accounts) {
        if (vault.FindAccount(account.Record.Account) >= 0)
            throw EImportError("The vault has an account named " +
                               AnsiToDisplay(account.Record.Account) +
                               " since the import was planned. Nothing was imported.");
    }
    const TVault::TUndoGroup oneStep(vault);
    for (const TPlannedAccount& account : plan.Accounts) {
        if (!vault.Add(account.Record))
            throw std::logic_error("An account of a planned name could not be added");
    }
}
