#include "vault/AccountList.h"

#include "base/Containers.h"
#include "base/Prefetch.h"
#include "base/SecureWipe.h"

#include <numeric>
#include <stdexcept>
#include <utility>

void WipeNames(std::vector<TAccountEntry>& entries) noexcept {
    // The names lie on the heap in the order they were deciphered, not in this one.
    for (std::size_t at = 0; at < entries.size(); ++at) {
        if (at + PrefetchDistance < entries.size())
            PrefetchForWrite(entries[at + PrefetchDistance].Name.data());
        WipeString(entries[at].Name);
    }
}

const TAccountEntry& TAccountList::operator[](int row) const {
    return FSlots[static_cast<std::size_t>(FRows.at(static_cast<std::size_t>(row)))];
}

void TAccountList::Assign(std::vector<TAccountEntry> entries) {
    Clear();
    FSlots = std::move(entries);
    FRows.reserve(FSlots.capacity());
    FRows.resize(FSlots.size());
    std::iota(FRows.begin(), FRows.end(), 0);
}

void TAccountList::Insert(int row, TAccountEntry entry) {
    if (row < 0 || row > Count())
        throw std::out_of_range("Account row out of range");
    // Room for the row first, so that a failure leaves no slot without a row.
    ReserveOneMore(FRows);
    int slot = 0;
    if (FFree.empty()) {
        GrowSlots();
        slot = static_cast<int>(FSlots.size());
        FSlots.push_back(std::move(entry));
    } else {
        slot = FFree.back();
        FSlots[static_cast<std::size_t>(slot)] = std::move(entry);
        FFree.pop_back();
    }
    FRows.insert(FRows.begin() + row, slot);
}

void TAccountList::GrowSlots() {
    if (FSlots.size() < FSlots.capacity())
        return;
    // By hand: a short name lives inside its string, and a move leaves its bytes behind there.
    std::vector<TAccountEntry> larger;
    larger.reserve(FSlots.size() + FSlots.size() / 2 + 1);
    for (TAccountEntry& entry : FSlots) {
        larger.push_back(std::move(entry));
        WipeString(entry.Name);
    }
    FSlots.swap(larger);
}

void TAccountList::Erase(int row) {
    const int slot = FRows.at(static_cast<std::size_t>(row));
    ReserveOneMore(FFree);
    TAccountEntry& entry = FSlots[static_cast<std::size_t>(slot)];
    WipeString(entry.Name);
    entry.Line = -1;
    FRows.erase(FRows.begin() + row);
    FFree.push_back(slot);
}

void TAccountList::Clear() noexcept {
    WipeNames(FSlots);
    std::vector<TAccountEntry>().swap(FSlots);
    std::vector<int>().swap(FRows);
    FFree.clear();
}

std::vector<TAccountEntry> TAccountList::Take() noexcept {
    FRows.clear();
    FFree.clear();
    return std::exchange(FSlots, {});
}
