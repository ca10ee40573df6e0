#pragma once

// The ordered list of record lines that holds the vault. Indices outside 0..Count()-1 raise
// EStringListError "List index out of bounds (%d)".

#include <string>
#include <utility>
#include <vector>

class TRecordList {
public:
    void Add(std::string line);
    void Insert(int index, std::string line);
    void Put(int index, std::string line);
    void Delete(int index);
    const std::string& Get(int index) const;
    const std::string& operator[](int index) const { return Get(index); }
    int Count() const noexcept { return static_cast<int>(FLines.size()); }
    bool Empty() const noexcept { return FLines.empty(); }
    void Clear() noexcept { FLines.clear(); }
    // Hands the lines over and leaves the list empty.
    std::vector<std::string> Take() noexcept { return std::exchange(FLines, {}); }
    // Replaces the whole list at once.
    void Assign(std::vector<std::string> lines) noexcept { FLines = std::move(lines); }
    // Orders the lines ascending by CompareTextLocale.
    void Sort();

    const std::vector<std::string>& Lines() const noexcept { return FLines; }

private:
    void CheckIndex(int index) const;

    std::vector<std::string> FLines;
};
