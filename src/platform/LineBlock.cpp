#include "platform/LineBlock.h"

#include "base/ThreadHeap.h"
#include "base/TwoCores.h"

#include <algorithm>
#include <utility>

namespace {

// How far copying goes before the pages it passed are given back.
constexpr std::size_t DiscardStep = std::size_t{256} << 10;

} // namespace

TLineBlock::TLineBlock(TPageBuffer bytes, std::size_t wiped,
                       std::vector<std::string_view> lines) noexcept
    : FBytes(std::move(bytes)), FWiped(wiped), FLines(std::move(lines)) {}

TLineBlock::~TLineBlock() {
    Release();
}

TLineBlock::TLineBlock(TLineBlock&& other) noexcept
    : FBytes(std::move(other.FBytes)), FWiped(std::exchange(other.FWiped, 0)),
      FLines(std::exchange(other.FLines, {})) {}

TLineBlock& TLineBlock::operator=(TLineBlock&& other) noexcept {
    if (this != &other) {
        Release();
        FBytes = std::move(other.FBytes);
        FWiped = std::exchange(other.FWiped, 0);
        FLines = std::exchange(other.FLines, {});
    }
    return *this;
}

void TLineBlock::Release() noexcept {
    FLines.clear();
    FBytes.Release(FWiped);
    FWiped = 0;
}

std::vector<std::string> TLineBlock::TakeStrings(std::size_t room) {
    std::vector<std::string> lines;
    lines.reserve(FLines.size() + room);
    lines.resize(FLines.size());
    char* const base = FBytes.data();
    const auto offset = [base](const char* at) { return static_cast<std::size_t>(at - base); };
    const std::size_t count = FLines.size();
    const std::size_t split = count / 2;
    // How far each part has copied: should the other fail, its lines go back where they were.
    std::size_t copied[2] = {0, split};
    // Each part gives back only whole pages between its own first and last byte: a page shared
    // with the other part, or with the lines read before, stays until the block goes.
    const auto copy = [&](std::size_t begin, std::size_t end, std::size_t& done) {
        if (begin == end)
            return;
        std::size_t given = offset(FLines[begin].data());
        for (done = begin; done < end; ++done) {
            lines[done].assign(FLines[done]);
            const std::size_t passed = offset(FLines[done].data() + FLines[done].size());
            if (passed - given >= DiscardStep)
                given = FBytes.Discard(given, passed);
        }
    };
    try {
        OnTwoCores(
            count, split, [&](std::size_t begin, std::size_t end) { copy(begin, end, copied[0]); },
            [&](std::size_t begin, std::size_t end) {
                if (count >= TwoCoreItems && begin < end) // a line takes more than its bytes
                    ReserveThreadHeap((offset(FLines[end - 1].data() + FLines[end - 1].size()) -
                                       offset(FLines[begin].data())) *
                                      5 / 4);
                copy(begin, end, copied[1]);
            });
    } catch (...) {
        // Out of memory: the pages given back read as zeros now, and the copies restore them.
        const auto restore = [&](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i)
                std::copy(lines[i].begin(), lines[i].end(), base + offset(FLines[i].data()));
        };
        restore(0, copied[0]);
        restore(split, copied[1]);
        throw;
    }
    Release();
    return lines;
}
