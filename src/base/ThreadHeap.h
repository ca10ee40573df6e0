#pragma once

// Room made ahead on the heap of a thread about to allocate many small blocks: the lines of half
// a large file, the names of half its accounts.
//
// glibc grows the heap of any thread but the first only as far as each allocation needs, a page
// at a time with one mprotect call each: thousands for the lines of a large vault, every one of
// them holding the process's memory map against the page faults of the other thread. Blocks just
// below the size that malloc maps on its own grow the heap about a hundred kilobytes at a time;
// once freed, they leave that room to the blocks to come.

#include <cstddef>
#include <memory>
#include <vector>

// What a name takes on the heap, about: its bytes and malloc's own.
inline constexpr std::size_t NameHeapBytes = 40;

inline void ReserveThreadHeap(std::size_t bytes) {
    constexpr std::size_t Step = 120 * 1024; // below the 128 KiB from which malloc maps a block
    std::vector<std::unique_ptr<char[]>> blocks;
    blocks.reserve(bytes / Step + 1);
    for (std::size_t made = 0; made < bytes; made += Step)
        blocks.push_back(std::make_unique_for_overwrite<char[]>(Step));
}
