#pragma once

// The accounts in the selector's order. Each account stays where it was first stored while rows
// come and go: an Add or a Delete moves row numbers, not names, so that at 100,000 accounts
// neither has to move every name.

#include <string>
#include <vector>

// One entry of the account selector: a deciphered name and the record line it came from.
struct TAccountEntry {
    std::string Name;
    int Line = -1;
};

// Wipes the names of entries that lie in any order, as the rows leave them.
void WipeNames(std::vector<TAccountEntry>& entries) noexcept;

class TAccountList {
public:
    TAccountList() = default;
    ~TAccountList() { Clear(); }
    TAccountList(const TAccountList&) = delete;
    TAccountList& operator=(const TAccountList&) = delete;

    int Count() const noexcept { return static_cast<int>(FRows.size()); }
    bool Empty() const noexcept { return FRows.empty(); }
    // Raises std::out_of_range for a row outside 0..Count()-1.
    const TAccountEntry& operator[](int row) const;

    // The entries, already in the selector's order; the room they have is kept for Inserts.
    void Assign(std::vector<TAccountEntry> entries);
    void Insert(int row, TAccountEntry entry);
    // The row's name is wiped.
    void Erase(int row);
    // Every name wiped, and nothing kept.
    void Clear() noexcept;
    // Hands the entries over in no particular order (wiped names of erased rows among them) and
    // leaves the list empty: for a caller that wipes and frees them elsewhere.
    std::vector<TAccountEntry> Take() noexcept;

    // Renumbers the record line of every account.
    template <typename TMap> void MapLines(TMap map) {
        for (const int slot : FRows)
            FSlots[static_cast<std::size_t>(slot)].Line =
                map(FSlots[static_cast<std::size_t>(slot)].Line);
    }

private:
    // Room for one more slot, the names moved out of the old room wiped.
    void GrowSlots();

    std::vector<TAccountEntry> FSlots; // the entries where they were stored
    std::vector<int> FRows;            // the slot of each row
    std::vector<int> FFree;            // slots of erased rows, for the next Insert
};
