#include "platform/RecordList.h"

#include "base/Containers.h"
#include "platform/PlatformErrors.h"
#include "platform/TextCompare.h"

#include <string>

void TRecordList::Add(std::string line) {
    Own();
    FLines.push_back(std::move(line));
}

void TRecordList::Insert(int index, std::string line) {
    // Inserting at Count() appends.
    if (index != Count())
        CheckIndex(index);
    Own();
    FLines.insert(FLines.begin() + index, std::move(line));
}

void TRecordList::Put(int index, std::string line) {
    CheckIndex(index);
    Own();
    FLines[static_cast<std::size_t>(index)] = std::move(line);
}

void TRecordList::Delete(int index) {
    CheckIndex(index);
    Own();
    FLines.erase(FLines.begin() + index);
}

const std::string& TRecordList::Get(int index) const {
    CheckIndex(index);
    Own();
    return FLines[static_cast<std::size_t>(index)];
}

std::string_view TRecordList::View(int index) const {
    CheckIndex(index);
    return Span()[static_cast<std::size_t>(index)];
}

void TRecordList::Clear() noexcept {
    FLines.clear();
    FBlock = {};
}

std::vector<std::string> TRecordList::Take() {
    Own();
    return std::exchange(FLines, {});
}

void TRecordList::Assign(std::vector<std::string> lines) noexcept {
    Clear();
    FLines = std::move(lines);
}

void TRecordList::Assign(TLineBlock block) noexcept {
    Clear();
    if (!block.empty()) // else its bytes are wiped as it goes
        FBlock = std::move(block);
}

const std::vector<std::string>& TRecordList::Lines() const {
    Own();
    return FLines;
}

void TRecordList::Own() const {
    if (InBlock())
        FLines = FBlock.TakeStrings(AddHeadroom(FBlock.size()));
}

void TRecordList::Sort() {
    Own();
    const std::vector<int> order = SortedOrder(FLines);
    std::vector<std::string> sorted;
    sorted.reserve(FLines.size());
    for (const int index : order)
        sorted.push_back(std::move(FLines[static_cast<std::size_t>(index)]));
    FLines = std::move(sorted);
}

void TRecordList::CheckIndex(int index) const {
    if (index >= 0 && index < Count())
        return;
    throw EStringListError(
        TErrorMessage(TErrorCode::ListIndexOutOfBounds, {std::to_string(index)}));
}
