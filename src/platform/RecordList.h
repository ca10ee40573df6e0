#pragma once

// The ordered list of record lines that holds the vault. Indices outside 0..Count()-1 raise
// EStringListError "List index out of bounds (%d)".
//
// Lines assigned as the block of a file read stay there, views into its bytes, for as long as
// they are only read through View and Span; anything else takes them as strings of their own
// first. Those are the only calls that may come from two threads at once.

#include "base/LineSpan.h"
#include "platform/LineBlock.h"

#include <string>
#include <string_view>
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
    // The line at an index, wherever it is held.
    std::string_view View(int index) const;
    int Count() const noexcept {
        return static_cast<int>(InBlock() ? FBlock.size() : FLines.size());
    }
    bool Empty() const noexcept { return Count() == 0; }
    // Whether the lines are still in the block they were assigned as.
    bool InBlock() const noexcept { return !FBlock.empty(); }
    void Clear() noexcept;
    // Hands the lines over and leaves the list empty.
    std::vector<std::string> Take();
    // Replaces the whole list at once.
    void Assign(std::vector<std::string> lines) noexcept;
    // The same with the lines of a file as read; once they are strings, with room for the Adds to
    // come.
    void Assign(TLineBlock block) noexcept;
    // Orders the lines ascending by CompareTextLocale.
    void Sort();

    const std::vector<std::string>& Lines() const;
    // Every line, wherever they are held.
    TLineSpan Span() const noexcept {
        return InBlock() ? TLineSpan(FBlock.Views()) : TLineSpan(FLines);
    }

private:
    void CheckIndex(int index) const;
    // Takes the lines of the block as strings: a list that is read whole, or changed, holds them.
    void Own() const;

    // While FBlock holds lines, they are the list's and FLines is empty. Taking them as strings
    // changes how they are held, not what they are, so even a const call may.
    mutable std::vector<std::string> FLines;
    mutable TLineBlock FBlock;
};
