#pragma once

// Room made ahead of a change, so that the change itself cannot fail halfway.

#include <vector>

// Room for one more element, grown by half as much again when full: a call before every insertion
// costs amortised constant time, where reserve(size() + 1) would move every element each time.
template <typename T> void ReserveOneMore(std::vector<T>& items) {
    if (items.size() == items.capacity())
        items.reserve(items.size() + items.size() / 2 + 1);
}
