#pragma once

// What an import from another password manager will add, worked out before anything is added, so
// that the window can show it and the command line can print it (`--dry-run`) or carry it out.
//
// Web addresses and one-time-code secrets go into the notes as lines of their own, before the
// notes themselves: each address as it was given ("https://..."), the secret as an otpauth:// URI
// (a bare secret becomes otpauth://totp/NAME?secret=SECRET). A name that the vault or an earlier
// account of the export has already gets the first free suffix " (2)", " (3)", ...; an account
// without a name is named after its web address, else its login. A ";" in the notes, which the
// vault keeps as a line break, becomes one. Text that the vault cannot hold (a character that
// Windows-1252 lacks, a line break in a name, login or password) stops the whole import, naming
// the row.

#include "vault/ForeignAccounts.h"
#include "vault/RecordCodec.h"

#include <functional>
#include <string>
#include <vector>

class TVault;

struct TPlannedAccount {
    TPassRecord Record;       // as it will be added
    std::string Where;        // the export's line or item
    std::string SourceName;   // the name it had, when a suffix was added; else empty
    bool NotesBroken = false; // a ";" of its notes became a line break
};

class TImportPlan {
public:
    TImportPlan() = default;
    ~TImportPlan();
    TImportPlan(TImportPlan&& other) noexcept = default;
    TImportPlan& operator=(TImportPlan&& other) noexcept;
    TImportPlan(const TImportPlan&) = delete;
    TImportPlan& operator=(const TImportPlan&) = delete;

    // In the export's order.
    std::vector<TPlannedAccount> Accounts;
};

// nameTaken tells whether the vault has an account of exactly this name (Windows-1252).
// Refusals raise EImportError; their message ends "Nothing was imported."
TImportPlan PlanImport(TImportFormat format, const QString& text, const std::string& source,
                       const std::function<bool(const std::string&)>& nameTaken);
// The export read from its file, the names checked against the open vault.
TImportPlan PlanImportFile(TImportFormat format, const std::string& path, const TVault& vault);
// Adds every planned account. Raises EImportError, adding nothing, when one of the names has
// been taken since the plan was made.
void CarryOutImport(TVault& vault, const TImportPlan& plan);
