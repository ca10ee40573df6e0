// Taking a block's lines as strings gives back its pages as it passes them; should memory run out
// halfway, the lines given back are restored from their copies. This binary replaces operator
// new, so that an allocation can be made to fail.

#include "TempFiles.h"
#include "platform/TextFile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

namespace {

// The allocation that fails, counted from when it is set; -1 for none.
std::atomic<long> AllocationsBeforeFailure{-1};

} // namespace

void* operator new(std::size_t size) {
    if (AllocationsBeforeFailure.load() >= 0 && AllocationsBeforeFailure.fetch_sub(1) == 0)
        throw std::bad_alloc();
    if (void* block = std::malloc(size == 0 ? 1 : size))
        return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace {

TEST(LineBlockTest, ATakeThatRunsOutOfMemoryLeavesEveryLineInItsBlock) {
    QTemporaryDir dir;
    const std::string path = PathIn(dir, "big.kvf");
    // Large enough to be read into mapped pages, which can be given back, and to be taken on
    // both cores.
    std::string bytes = "check\r\n";
    for (int i = 0; bytes.size() < (std::size_t{6} << 20); ++i)
        bytes += std::to_string(i) + std::string(150, 'x') + "\r\n";
    WriteFileBytes(path, bytes);
    TTextFile file;
    file.OpenTextForReading(path);
    file.ReadTextLine();
    TLineBlock block = file.ReadRemainingLineBlock();
    const std::vector<std::string> expected(block.Views().begin(), block.Views().end());
    // Well past the pages of the first steps of both halves.
    for (const long failing :
         {static_cast<long>(expected.size() / 4), 3 * static_cast<long>(expected.size() / 8)}) {
        AllocationsBeforeFailure = failing;
        EXPECT_THROW(block.TakeStrings(0), std::bad_alloc);
        AllocationsBeforeFailure = -1;
        ASSERT_EQ(block.size(), expected.size());
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), block.Views().begin()));
    }
    EXPECT_EQ(block.TakeStrings(0), expected);
}

} // namespace
