#include "vault/HealthReport.h"

#include "base/SecureWipe.h"
#include "vault/Vault.h"

#include <QScopeGuard>

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace {

// Every read of an account by the report goes through here. Nothing comes of a line that does not
// read whole: noise under another password, or a hardened line that failed its check. The reader
// changes nothing, so that the rows stay where the report found them.
std::optional<std::string> ReadPassword(TVault::TAccountReader& reader, int row) {
    TPassRecord record = reader.Read(row);
    std::optional<std::string> password;
    if (reader.LastWhole())
        password = record.Password;
    WipeRecord(record);
    return password;
}

struct THashedEntry {
    TSha1Digest Hash;
    std::size_t Entry;
};

std::vector<std::vector<THealthEntry>> SharedGroups(std::vector<THashedEntry>& hashed,
                                                    const std::vector<THealthEntry>& entries) {
    std::sort(hashed.begin(), hashed.end(), [](const THashedEntry& a, const THashedEntry& b) {
        return a.Hash != b.Hash ? a.Hash < b.Hash : a.Entry < b.Entry;
    });
    std::vector<std::vector<THealthEntry>> groups;
    for (std::size_t first = 0; first < hashed.size();) {
        std::size_t last = first + 1;
        while (last < hashed.size() && hashed[last].Hash == hashed[first].Hash)
            ++last;
        if (last - first > 1) {
            std::vector<THealthEntry>& group = groups.emplace_back();
            for (std::size_t i = first; i < last; ++i)
                group.push_back(entries[hashed[i].Entry]);
        }
        first = last;
    }
    std::stable_sort(groups.begin(), groups.end(), [](const auto& a, const auto& b) {
        return a.size() != b.size() ? a.size() > b.size() : a.front().Row < b.front().Row;
    });
    return groups;
}

} // namespace

std::string AccountPassword(TVault& vault, int row) {
    TVault::TAccountReader reader = vault.Reader();
    std::optional<std::string> password = ReadPassword(reader, row);
    std::string result = password ? *password : std::string();
    if (password)
        WipeString(*password);
    return result;
}

THealthReport CheckVaultHealth(TVault& vault, const THealthOptions& options) {
    // A locked vault has no names to go through: an empty report would claim a healthy one.
    if (vault.Locked())
        throw std::logic_error("The vault is locked; its passwords were not checked");
    THealthReport report;
    report.Accounts = vault.AccountCount();
    report.BreachesChecked = options.Breaches != nullptr;
    std::vector<THealthEntry> entries;
    entries.reserve(static_cast<std::size_t>(report.Accounts));
    // The hashes stand for passwords: a guesser could test them as fast as the breach list's own.
    std::vector<THashedEntry> hashed;
    hashed.reserve(entries.capacity());
    const auto wipeHashes = qScopeGuard([&] {
        if (!hashed.empty())
            SecureZero(hashed.data(), hashed.size() * sizeof(THashedEntry));
    });
    TVault::TAccountReader reader = vault.Reader();

    for (int row = 0; row < report.Accounts; ++row) {
        THealthEntry entry;
        entry.Row = row;
        entry.Name = vault.Account(row).Name;
        std::optional<std::string> read = ReadPassword(reader, row);
        if (!read) {
            if (options.Progress)
                options.Progress(row + 1, report.Accounts);
            continue;
        }
        std::string password = std::move(*read);
        WipeString(*read);
        TWipeGuard wipePassword(password);
        if (password.empty()) {
            report.Empty.push_back(entry);
        } else {
            entry.Strength = EstimateStrength(password, {entry.Name});
            hashed.push_back({BreachHashOf(password), entries.size()});
            entries.push_back(entry);
        }
        if (options.Progress)
            options.Progress(row + 1, report.Accounts);
    }

    if (options.Breaches != nullptr) {
        // All at once, which the list looks up in its own order, far faster than one by one.
        std::vector<TSha1Digest> hashes(hashed.size());
        const auto wipeCopies = qScopeGuard([&] {
            if (!hashes.empty())
                SecureZero(hashes.data(), hashes.size() * sizeof(TSha1Digest));
        });
        for (std::size_t i = 0; i < hashed.size(); ++i)
            hashes[i] = hashed[i].Hash;
        const std::vector<std::uint64_t> counts = options.Breaches->TimesSeenEach(hashes);
        for (std::size_t i = 0; i < hashed.size(); ++i)
            entries[hashed[i].Entry].TimesSeen = counts[i];
    }
    for (const THealthEntry& entry : entries) {
        if (entry.Strength.Bits < GoodFromBits)
            report.Weak.push_back(entry);
        if (entry.TimesSeen > 0)
            report.Breached.push_back(entry);
    }
    std::stable_sort(report.Weak.begin(), report.Weak.end(), [](const auto& a, const auto& b) {
        return a.Strength.Bits < b.Strength.Bits;
    });
    std::stable_sort(report.Breached.begin(), report.Breached.end(),
                     [](const auto& a, const auto& b) { return a.TimesSeen > b.TimesSeen; });
    report.Shared = SharedGroups(hashed, entries);
    return report;
}
