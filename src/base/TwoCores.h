#pragma once

// Work over many items (the lines of a large vault, the names to sort), shared between this
// thread and one other.

#include <cstddef>
#include <future>

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
