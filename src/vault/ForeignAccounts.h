#pragma once

// The accounts of another password manager's export, read as that manager writes it: KeePassXC's
// CSV export (its default columns), the password CSV of Firefox and of Chromium's browsers
// (Chrome, Edge, Brave, ...), and Bitwarden's unencrypted JSON export. The text stays Unicode
// here; the import plan turns it into accounts the vault can hold.

#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

enum class TImportFormat { KeePassXC, Firefox, Chrome, Bitwarden };

// "keepassxc", "firefox", "chrome" or "bitwarden", as the command line and the window name them.
std::optional<TImportFormat> ImportFormatNamed(const QString& name);
const char* ImportFormatName(TImportFormat format) noexcept;
// The names joined by "|", for help texts.
const char* ImportFormatNames() noexcept;

// One account of the export.
struct TForeignAccount {
    std::string Where; // for messages: "export.csv line 4", "export.json item 3"
    QString Name;      // may be empty: the plan names the account then
    QString Login;
    QString Password;
    QStringList Addresses; // web addresses
    QString OneTimeCode;   // an otpauth:// URI, or a bare secret
    QString Notes;
    QStringList Fields; // further fields, each "label: value"
};

void WipeForeignAccounts(std::vector<TForeignAccount>& accounts) noexcept;

// Every account of the export's text. An export that is not of the format (its columns, its JSON)
// raises EImportError naming `source` and, where there is one, the line or item.
std::vector<TForeignAccount> ReadForeignAccounts(TImportFormat format, const QString& text,
                                                 const std::string& source);
