#include "vault/ForeignAccounts.h"

#include "platform/WipeQString.h"
#include "vault/Csv.h"
#include "vault/ImportError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QScopeGuard>

#include <array>

namespace {

struct TFormatName {
    TImportFormat Format;
    const char* Name;
};

constexpr std::array<TFormatName, 4> FormatNames = {{
    {TImportFormat::KeePassXC, "keepassxc"},
    {TImportFormat::Firefox, "firefox"},
    {TImportFormat::Chrome, "chrome"},
    {TImportFormat::Bitwarden, "bitwarden"},
}};

// Where a CSV column goes.
enum class TColumn { Name, Login, Password, Address, OneTimeCode, Notes };

struct TColumnSpec {
    const char* Header; // as the manager writes it; matched regardless of letter case
    TColumn Column;
    bool Required;
};

// The columns each manager writes that hold account data; the others (KeePassXC's group, icon
// and times, Firefox's realm, form origin, guid and times) are left out.
std::vector<TColumnSpec> CsvColumns(TImportFormat format) {
    switch (format) {
    case TImportFormat::KeePassXC:
        return {{"Title", TColumn::Name, true},        {"Username", TColumn::Login, true},
                {"Password", TColumn::Password, true}, {"URL", TColumn::Address, false},
                {"Notes", TColumn::Notes, false},      {"TOTP", TColumn::OneTimeCode, false}};
    case TImportFormat::Firefox:
        return {{"url", TColumn::Address, true},
                {"username", TColumn::Login, true},
                {"password", TColumn::Password, true}};
    case TImportFormat::Chrome:
        // "note" came later; older exports have four columns.
        return {{"name", TColumn::Name, true},
                {"url", TColumn::Address, true},
                {"username", TColumn::Login, true},
                {"password", TColumn::Password, true},
                {"note", TColumn::Notes, false}};
    case TImportFormat::Bitwarden:
        break;
    }
    return {};
}

void Store(TForeignAccount& account, TColumn column, const QString& value) {
    switch (column) {
    case TColumn::Name:
        account.Name = value;
        break;
    case TColumn::Login:
        account.Login = value;
        break;
    case TColumn::Password:
        account.Password = value;
        break;
    case TColumn::Address:
        if (!value.trimmed().isEmpty())
            account.Addresses.push_back(value.trimmed());
        break;
    case TColumn::OneTimeCode:
        account.OneTimeCode = value.trimmed();
        break;
    case TColumn::Notes:
        account.Notes = value;
        break;
    }
}

std::vector<TForeignAccount> FromCsv(TImportFormat format, const QString& text,
                                     const std::string& source) {
    std::vector<TCsvRecord> rows = ParseCsv(text, source);
    const auto wipeRows = qScopeGuard([&rows] { WipeCsv(rows); });
    const std::vector<TColumnSpec> specs = CsvColumns(format);
    const auto refuse = [&](int line, const std::string& problem) {
        return EImportError(source + " line " + std::to_string(line) + ": " + problem);
    };
    if (rows.empty())
        throw refuse(1, "no header line");
    // Where each expected column stands in the header, or -1.
    std::vector<qsizetype> at(specs.size(), -1);
    const QStringList& header = rows.front().Fields;
    for (std::size_t i = 0; i < specs.size(); ++i) {
        for (qsizetype c = 0; c < header.size(); ++c) {
            if (header[c].trimmed().compare(QLatin1String(specs[i].Header), Qt::CaseInsensitive) ==
                0) {
                at[i] = c;
                break;
            }
        }
        if (at[i] < 0 && specs[i].Required)
            throw refuse(rows.front().Line, std::string("the header has no column \"") +
                                                specs[i].Header + "\": is this an export of " +
                                                ImportFormatName(format) + "?");
    }
    std::vector<TForeignAccount> accounts;
    accounts.reserve(rows.size() - 1);
    try {
        for (std::size_t r = 1; r < rows.size(); ++r) {
            const TCsvRecord& row = rows[r];
            if (row.Fields.size() != header.size())
                throw refuse(row.Line, std::to_string(row.Fields.size()) +
                                           " columns, where the header has " +
                                           std::to_string(header.size()));
            TForeignAccount& account = accounts.emplace_back();
            account.Where = source + " line " + std::to_string(row.Line);
            for (std::size_t i = 0; i < specs.size(); ++i) {
                if (at[i] >= 0)
                    Store(account, specs[i].Column, row.Fields[at[i]]);
            }
        }
    } catch (...) {
        WipeForeignAccounts(accounts);
        throw;
    }
    return accounts;
}

QString JsonText(const QJsonValue& value) {
    if (value.isString())
        return value.toString();
    if (value.isDouble())
        return QString::number(value.toDouble());
    if (value.isBool())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return {};
}

// A card, an identity or an SSH key: each field of it that has a value, as "label: value".
void AddObjectFields(TForeignAccount& account, const QJsonObject& object) {
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString value = JsonText(it.value());
        if (!value.isEmpty())
            account.Fields.push_back(it.key() + QStringLiteral(": ") + value);
    }
}

TForeignAccount FromBitwardenItem(const QJsonObject& item, const std::string& where) {
    TForeignAccount account;
    account.Where = where;
    account.Name = JsonText(item.value(QLatin1String("name")));
    account.Notes = JsonText(item.value(QLatin1String("notes")));
    const QJsonObject login = item.value(QLatin1String("login")).toObject();
    account.Login = JsonText(login.value(QLatin1String("username")));
    account.Password = JsonText(login.value(QLatin1String("password")));
    account.OneTimeCode = JsonText(login.value(QLatin1String("totp"))).trimmed();
    for (const QJsonValue uri : login.value(QLatin1String("uris")).toArray()) {
        const QString address = JsonText(uri.toObject().value(QLatin1String("uri"))).trimmed();
        if (!address.isEmpty())
            account.Addresses.push_back(address);
    }
    for (const char* kind : {"card", "identity", "sshKey"})
        AddObjectFields(account, item.value(QLatin1String(kind)).toObject());
    for (const QJsonValue field : item.value(QLatin1String("fields")).toArray()) {
        const QJsonObject object = field.toObject();
        const QString value = JsonText(object.value(QLatin1String("value")));
        if (!value.isEmpty())
            account.Fields.push_back(JsonText(object.value(QLatin1String("name"))) +
                                     QStringLiteral(": ") + value);
    }
    return account;
}

std::vector<TForeignAccount> FromBitwarden(const QString& text, const std::string& source) {
    QByteArray utf8 = text.toUtf8();
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(utf8, &error);
    WipeQByteArray(utf8);
    if (error.error != QJsonParseError::NoError)
        throw EImportError(source + " is not JSON: " + error.errorString().toStdString() +
                           " at character " + std::to_string(error.offset + 1));
    const QJsonObject root = document.object();
    if (root.value(QLatin1String("encrypted")).toBool())
        throw EImportError(source + " is an encrypted export: export the vault again as "
                                    "\".json\", without a password");
    if (!root.value(QLatin1String("items")).isArray())
        throw EImportError(source + " has no \"items\": is this an export of bitwarden?");
    const QJsonArray items = root.value(QLatin1String("items")).toArray();
    std::vector<TForeignAccount> accounts;
    accounts.reserve(static_cast<std::size_t>(items.size()));
    for (qsizetype i = 0; i < items.size(); ++i)
        accounts.push_back(
            FromBitwardenItem(items[i].toObject(), source + " item " + std::to_string(i + 1)));
    return accounts;
}

} // namespace

std::optional<TImportFormat> ImportFormatNamed(const QString& name) {
    for (const TFormatName& entry : FormatNames) {
        if (name.compare(QLatin1String(entry.Name), Qt::CaseInsensitive) == 0)
            return entry.Format;
    }
    return std::nullopt;
}

const char* ImportFormatName(TImportFormat format) noexcept {
    for (const TFormatName& entry : FormatNames) {
        if (entry.Format == format)
            return entry.Name;
    }
    return "";
}

const char* ImportFormatNames() noexcept {
    return "keepassxc|firefox|chrome|bitwarden";
}

void WipeForeignAccounts(std::vector<TForeignAccount>& accounts) noexcept {
    for (TForeignAccount& account : accounts) {
        for (QString* text : {&account.Name, &account.Login, &account.Password,
                              &account.OneTimeCode, &account.Notes})
            WipeQString(*text);
        for (QStringList* list : {&account.Addresses, &account.Fields}) {
            for (QString& text : *list)
                WipeQString(text);
            list->clear();
        }
    }
    accounts.clear();
}

std::vector<TForeignAccount> ReadForeignAccounts(TImportFormat format, const QString& text,
                                                 const std::string& source) {
    if (format == TImportFormat::Bitwarden)
        return FromBitwarden(text, source);
    return FromCsv(format, text, source);
}
