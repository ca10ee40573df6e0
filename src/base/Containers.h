#pragma once

// Room made ahead of a change, so that the change itself cannot fail halfway.

#include <cstddef>
#include <vector>

// Room for this many more lines or accounts is kept in the lists that Add grows, so that the next
// Adds move no list to a new place (at 100,000 lines that alone costs milliseconds).
inline std::size_t AddHeadroom(std::size_t count) noexcept {
    return count / 16 + 16;
}

// Room for one more element, grown by half as much again when full: a call before every insertion
// costs amortised constant time, where reserve(size() + 1) would move every element each time.
template <typename T> void ReserveOneMore(std::vector<T>& items) {
    if (items.size() == items.capacity())
        items.reserve(items.size() + items.size() / 2 + 1);
}

// The first of the places 0..count-1 for which before(place) is false, where it is true of every
// place before that one and of none after: a binary search over places rather than iterators.
template <typename TBefore> int PartitionPlace(int count, TBefore before) {
    int low = 0;
    int high = count;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (before(middle))
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}
