// The record line store: after every Add, edit, Delete and read in file order, each line is where
// its holder was told, and the file's order is that of a plain model which sorts a vector again
// whenever the order must hold.

#include "../../fuzz/LineStoreSequence.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(LineStoreTest, EverySequenceOfStepsAgreesWithThePlainModel) {
    // The fuzz target's steps, from a fixed stream of bytes, so that every run tries the same.
    std::mt19937 random(20261207);
    for (int sequence = 0; sequence < 3000; ++sequence) {
        std::vector<std::uint8_t> bytes(random() % 160);
        for (std::uint8_t& byte : bytes)
            byte = static_cast<std::uint8_t>(random());
        TFuzzInput input(bytes.data(), bytes.size());
        const std::string problem = reference::TLineStoreSequence().Run(input);
        ASSERT_EQ(problem, "") << "sequence " << sequence;
    }
}

TEST(LineStoreTest, AFileOutOfOrderIsWrittenAsReadUntilAnAddPutsItInOrder) {
    TLineStore store;
    store.Assign({"c", "a", "b"});
    store.AdoptOrder(TextOrder(store.Stored()));
    std::vector<int> held{0, 1, 2};
    const auto renumber = [&held](const auto& map) {
        for (int& index : held)
            index = map(index);
    };
    store.Put(1, "d", renumber); // an edit keeps the file's order
    EXPECT_EQ(store.InFileOrder(renumber).Lines(), (std::vector<std::string>{"c", "d", "b"}));
    held.push_back(store.Add("a"));
    EXPECT_EQ(store.InFileOrder(renumber).Lines(), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(held, (std::vector<int>{2, 3, 1, 0}));
    store.Erase(held[2], renumber);
    EXPECT_EQ(store.InFileOrder(renumber).Lines(), (std::vector<std::string>{"a", "c", "d"}));
    EXPECT_EQ(held, (std::vector<int>{1, 2, 1, 0}));
}

} // namespace
