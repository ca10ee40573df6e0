#pragma once

// Lines to be read, whether each is a string of its own or a view into the bytes of the file they
// were read from: what reads lines without keeping them takes either.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class TLineSpan {
public:
    TLineSpan() = default;
    // Either kind converts on its own, so that a caller passes its lines as they are.
    TLineSpan(const std::vector<std::string>& lines) noexcept
        : FStrings(lines.data()), FSize(lines.size()) {}
    TLineSpan(const std::vector<std::string_view>& lines) noexcept
        : FViews(lines.data()), FSize(lines.size()) {}

    std::size_t size() const noexcept { return FSize; }
    bool empty() const noexcept { return FSize == 0; }
    std::string_view operator[](std::size_t index) const noexcept {
        return FStrings ? std::string_view(FStrings[index]) : FViews[index];
    }

private:
    const std::string* FStrings = nullptr;
    const std::string_view* FViews = nullptr;
    std::size_t FSize = 0;
};
