#pragma once

// Work over many items (the lines of a large vault, the names to sort), shared between this
// thread and one other.

#include <algorithm>
#include <cstddef>
#include <future>
#include <iterator>
#include <mutex>
#include <vector>

// Below this many items, or bytes of a file, a second thread costs more than it saves.
inline constexpr std::size_t TwoCoreItems = 4096;
inline constexpr std::size_t TwoCoreBytes = std::size_t{1} << 20;

// Runs here(0, split) on this thread and there(split, count) on another one when count is large
// enough, else both here; returns when both are done, raising the first error of either.
template <typename THere, typename TThere>
void OnTwoCores(std::size_t count, std::size_t split, THere here, TThere there) {
    if (count < TwoCoreItems) {
        here(std::size_t{0}, split);
        there(split, count);
        return;
    }
    std::future<void> other = std::async(std::launch::async, [&] { there(split, count); });
    try {
        here(std::size_t{0}, split);
    } catch (...) {
        other.wait(); // its work refers to what the caller is about to unwind
        throw;
    }
    other.get();
}

// Items are taken from both ends in chunks of this many: few enough to share them at little cost,
// small enough that the two threads end close together.
inline constexpr std::size_t TwoCoreChunk = 512;

// Chunks of the items [0, count) taken from the front by one thread and from the back by another
// until they meet. Neither waits while work is left: the thread with more to do first, or slowed
// by the rest of the machine, simply takes fewer chunks. The back's items come in descending
// order, so that what it found, read backwards, follows the front's in item order.
class TChunksFromBothEnds {
public:
    TChunksFromBothEnds(std::size_t count, std::size_t chunk) noexcept
        : FFront(0), FBack(count), FChunk(chunk > 0 ? chunk : 1) {}

    // each(i) for the items of the chunks taken from the front, ascending, until none is left.
    template <typename TEach> void EachFromFront(TEach each) {
        for (std::size_t begin = 0, end = 0; Take(true, begin, end);)
            for (std::size_t i = begin; i < end; ++i)
                each(i);
    }

    // each(i) for the items of the chunks taken from the back, descending, until none is left.
    template <typename TEach> void EachFromBack(TEach each) {
        for (std::size_t begin = 0, end = 0; Take(false, begin, end);)
            for (std::size_t i = end; i-- > begin;)
                each(i);
    }

    // Appends what the back's thread found to what the front's found, in item order.
    template <typename T>
    static void AppendFromBack(std::vector<T>& fromFront, std::vector<T>& fromBack) {
        fromFront.insert(fromFront.end(), std::make_move_iterator(fromBack.rbegin()),
                         std::make_move_iterator(fromBack.rend()));
    }

private:
    bool Take(bool front, std::size_t& begin, std::size_t& end) {
        const std::lock_guard lock(FMutex);
        const std::size_t size = std::min(FChunk, FBack - FFront);
        if (size == 0)
            return false;
        if (front) {
            begin = FFront;
            FFront += size;
            end = FFront;
        } else {
            end = FBack;
            FBack -= size;
            begin = FBack;
        }
        return true;
    }

    std::mutex FMutex;
    std::size_t FFront;
    std::size_t FBack;
    const std::size_t FChunk;
};

// Runs here(chunks) on this thread and there(chunks) on another one, as OnTwoCores does, over the
// chunks of [0, count) taken from both ends: each takes its items with EachFromFront or
// EachFromBack, after any work of its own.
template <typename THere, typename TThere>
void OnTwoCoresFromBothEnds(std::size_t count, THere here, TThere there) {
    TChunksFromBothEnds chunks(count, TwoCoreChunk);
    OnTwoCores(
        count, 0, [&](std::size_t, std::size_t) { here(chunks); },
        [&](std::size_t, std::size_t) { there(chunks); });
}
