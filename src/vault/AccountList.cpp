#include "vault/AccountList.h"

#include "base/Containers.h"
#include "base/SecureWipe.h"

#include <numeric>
#include <stdexcept>
#include <utility>

const TAccountEntry& TAccountList::operator[](int row) const {
    return FSlots[static_cast<std::size_t>(FRows.at(static_cast<std::size_t>(row)))];
}

void TAccountList::Assign(std::vector<TAccountEntry> entries, std::size_t headroom) {
    Clear();
    FSlots = std::move(entries);
    FSlots.reserve(FSlots.size() + headroom);
    FRows.reserve(FSlots.size() + headroom);
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
        slot = static_cast<int>(FSlots.size());
        FSlots.push_back(std::move(entry));
    } else {
        slot = FFree.back();
        FSlots[static_cast<std::size_t>(slot)] = std::move(entry);
        FFree.pop_back();
    }
    FRows.insert(FRows.begin() + row, slot);
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
    for (TAccountEntry& entry : FSlots)
        WipeString(entry.Name);
    FSlots.clear();
    FRows.clear();
    FFree.clear();
}

std::vector<TAccountEntry> TAccountList::Take() noexcept {
    FRows.clear();
    FFree.clear();
    return std::exchange(FSlots, {});
}
