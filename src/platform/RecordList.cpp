#include "platform/RecordList.h"

#include "platform/PlatformErrors.h"
#include "platform/TextCompare.h"

#include <string>

void TRecordList::Add(std::string line) {
    FLines.push_back(std::move(line));
}

void TRecordList::Insert(int index, std::string line) {
    // Inserting at Count() appends.
    if (index != Count())
        CheckIndex(index);
    FLines.insert(FLines.begin() + index, std::move(line));
}

void TRecordList::Put(int index, std::string line) {
    CheckIndex(index);
    FLines[static_cast<std::size_t>(index)] = std::move(line);
}

void TRecordList::Delete(int index) {
    CheckIndex(index);
    FLines.erase(FLines.begin() + index);
}

const std::string& TRecordList::Get(int index) const {
    CheckIndex(index);
    return FLines[static_cast<std::size_t>(index)];
}

void TRecordList::Sort() {
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
