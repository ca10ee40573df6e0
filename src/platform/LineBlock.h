#pragma once

// The record lines of a file as it was read: its bytes in one block, and a view of each line in
// it. Lines that are only read (the names of a vault that is listed) are never copied one by one;
// they become strings of their own only when they are to change.

#include "platform/PageBuffer.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class TLineBlock {
public:
    TLineBlock() = default;
    // Views into bytes; the first `wiped` bytes (lines read before these) are wiped when the
    // block goes.
    TLineBlock(TPageBuffer bytes, std::size_t wiped, std::vector<std::string_view> lines) noexcept;
    ~TLineBlock();
    TLineBlock(TLineBlock&& other) noexcept;
    TLineBlock& operator=(TLineBlock&& other) noexcept;
    TLineBlock(const TLineBlock&) = delete;
    TLineBlock& operator=(const TLineBlock&) = delete;

    std::size_t size() const noexcept { return FLines.size(); }
    bool empty() const noexcept { return FLines.empty(); }
    std::string_view operator[](std::size_t index) const noexcept { return FLines[index]; }
    const std::vector<std::string_view>& Views() const noexcept { return FLines; }

    // The lines as strings, with room for `room` more, and the block left empty. Many lines are
    // copied on both cores, and each gives back the pages it has passed as it goes, so that the
    // file is not held twice.
    std::vector<std::string> TakeStrings(std::size_t room);

private:
    void Release() noexcept;

    TPageBuffer FBytes;
    std::size_t FWiped = 0;
    std::vector<std::string_view> FLines;
};
