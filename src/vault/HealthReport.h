#pragma once

// What is wrong with the vault's passwords: weak ones, ones that several accounts share, empty
// ones, and, given the offline breach list, ones that a published breach holds. Passwords are
// deciphered one at a time and wiped; the report itself holds account names and figures, never a
// password, so that showing one is a separate, deliberate read (AccountPassword).

#include "vault/BreachList.h"
#include "vault/PasswordStrength.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TVault;

// One account in the report, by its row in the selector's order when the report was made.
struct THealthEntry {
    int Row = -1;
    std::string Name; // Windows-1252
    TPasswordStrength Strength;
    std::uint64_t TimesSeen = 0; // in the breach list
};

struct THealthReport {
    int Accounts = 0;
    bool BreachesChecked = false;
    // Below GoodFromBits (poor or weak), weakest first.
    std::vector<THealthEntry> Weak;
    // Accounts that share one password, a group for each such password: the largest groups
    // first, each in the selector's order.
    std::vector<std::vector<THealthEntry>> Shared;
    std::vector<THealthEntry> Empty;
    // Found in the breach list, the most often seen first.
    std::vector<THealthEntry> Breached;
};

struct THealthOptions {
    TBreachList* Breaches = nullptr; // none: the breach check is left out
    // Called after each account, e.g. to keep a window responsive or show how far it is.
    std::function<void(int done, int total)> Progress;
};

// Reads every account's password in turn, under one key set-up, and leaves the vault as it was. The
// vault must be unlocked. An account whose line does not read whole is left out.
THealthReport CheckVaultHealth(TVault& vault, const THealthOptions& options = {});

// The password of the account in this row, for a report that was asked to show them. The one
// place where the report reads an account; the caller wipes the result.
std::string AccountPassword(TVault& vault, int row);
