// Chunks taken from both ends by two threads: every item is taken once, each end in its order,
// whatever the count and the chunk.

#include "base/TwoCores.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

TEST(ChunksFromBothEnds, EveryItemIsTakenOnceFromTheFrontAscendingAndTheBackDescending) {
    const struct {
        std::size_t Count;
        std::size_t Chunk;
    } cases[] = {{0, 8},
                 {1, 8},
                 {7, 8},
                 {8, 8},
                 {9, 8},
                 {3 * TwoCoreItems + 5, 512},
                 {2 * TwoCoreItems, 1},
                 {TwoCoreItems + 1, 3 * TwoCoreItems}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Count << " items in chunks of " << c.Chunk);
        TChunksFromBothEnds chunks(c.Count, c.Chunk);
        std::vector<std::size_t> front;
        std::vector<std::size_t> back;
        OnTwoCores(
            c.Count, 0,
            [&](std::size_t, std::size_t) {
                chunks.EachFromFront([&](std::size_t i) { front.push_back(i); });
            },
            [&](std::size_t, std::size_t) {
                chunks.EachFromBack([&](std::size_t i) { back.push_back(i); });
            });
        EXPECT_TRUE(std::is_sorted(front.begin(), front.end()));
        EXPECT_TRUE(std::is_sorted(back.rbegin(), back.rend()));
        TChunksFromBothEnds::AppendFromBack(front, back);
        std::vector<std::size_t> all(c.Count);
        for (std::size_t i = 0; i < c.Count; ++i)
            all[i] = i;
        EXPECT_EQ(front, all);
    }
}

} // namespace
