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

TEST(LineStoreTest, AnOrderLearntLaterServesTheFirstChangeAndAStoreOnlyReadNeverNeedsIt) {
    for (const bool beside : {true, false}) {
        SCOPED_TRACE(beside ? "beside" : "when needed");
        TLineStore store;
        store.Assign({"c", "a", "b"});
        store.LearnOrderLater(beside);
        EXPECT_EQ(store.InFileOrder([](const auto&) {}).Lines(),
                  (std::vector<std::string>{"c", "a", "b"}));
        std::vector<int> held{0, 1, 2};
        const auto renumber = [&held](const auto& map) {
            for (int& index : held)
                index = map(index);
        };
        EXPECT_EQ(store.Order(), TLineOrder::AsRead);
        held.push_back(store.Add("ab"));
        EXPECT_EQ(store.InFileOrder(renumber).Lines(),
                  (std::vector<std::string>{"a", "ab", "b", "c"}));
        EXPECT_EQ(held, (std::vector<int>{3, 0, 2, 1}));

        // Taken or replaced before anything needed it, the order is never learnt.
        store.Assign({"z", "y"});
        store.LearnOrderLater(beside);
        EXPECT_EQ(store.Take(), (std::vector<std::string>{"z", "y"}));
        store.Assign({"z", "y"});
        store.LearnOrderLater(beside);
        store.Assign({"y", "x"});
        EXPECT_EQ(store.Order(), TLineOrder::Sorted) << "Assign takes no order of the lines before";
    }
}

} // namespace

namespace {

// Taking steps back: after any steps, the last of them taken back (an Add by its Erase and the
// order before it, an edit by the line before it, an Erase by its Restore) give back the lines of
// the file as they were, byte for byte and in the file's order, with every holder told where its
// line went. A read of the lines in file order between the steps, which moves them into their
// order for good, loses only the order of a file read out of order.
class TStepsBack {
    // Tells every holder where its line went.
    auto Renumberer() {
        return [this](const auto& map) {
            for (int& index : FIndexOf)
                if (index >= 0)
                    index = map(index);
        };
    }

public:
    explicit TStepsBack(std::mt19937& random) : FRandom(random) {}

    std::string Run() {
        std::vector<std::string> initial;
        for (int count = Below(8); count > 0; --count)
            initial.push_back(NewLine());
        if (Below(2) == 0)
            std::sort(initial.begin(), initial.end());
        for (const std::string& line : initial) {
            FIndexOf.push_back(static_cast<int>(FIndexOf.size()));
            FLines.push_back(line);
            FModel.push_back(line);
        }
        FModelSorted = std::is_sorted(FModel.begin(), FModel.end(), Before);
        FStore.Assign(initial);
        FStore.AdoptOrder(TextOrder(FStore.Stored()));

        const int steps = 1 + Below(10);
        const int settleAfter = Below(3) == 0 ? Below(steps) : -1;
        std::vector<std::vector<std::string>> files{FModel};
        for (int step = 0; step < steps; ++step) {
            Step();
            files.push_back(FModel);
            if (step == settleAfter)
                FStore.InFileOrder(Renumberer());
        }
        const int back = Below(steps + 1);
        bool orderLost = false;
        for (int step = 0; step < back; ++step) {
            orderLost = !TakeBack() || orderLost;
            if (std::string problem = CheckHolders(); !problem.empty())
                return "back " + std::to_string(step) + ": " + problem;
        }
        if (orderLost && settleAfter < 0)
            return "the order was lost without a read in file order";
        std::vector<std::string> expected = files[static_cast<std::size_t>(steps - back)];
        if (orderLost)
            std::sort(expected.begin(), expected.end(), Before);
        if (FStore.InFileOrder(Renumberer()).Lines() != expected)
            return "the file's lines differ after " + std::to_string(back) + " of " +
                   std::to_string(steps) + " steps back";
        return CheckHolders();
    }

private:
    struct TTaken {
        enum { Add, Put, Erase } Kind;
        int Id;
        std::string Line; // Put: the line before; Erase: the line erased
        TLineOrder Order = TLineOrder::Sorted;
        TLineSpot Spot;
    };

    int Below(int count) { return static_cast<int>(FRandom() % static_cast<unsigned>(count)); }
    // Lines that never compare equal: lower-case letters, each line once.
    std::string NewLine() {
        for (;;) {
            std::string line;
            for (int length = 1 + Below(3); length > 0; --length)
                line += static_cast<char>('a' + Below(6));
            if (std::find(FLines.begin(), FLines.end(), line) == FLines.end() &&
                std::find(FUsed.begin(), FUsed.end(), line) == FUsed.end()) {
                FUsed.push_back(line);
                return line;
            }
        }
    }
    static bool Before(const std::string& a, const std::string& b) {
        return CompareTextLocale(a, b) < 0;
    }
    std::vector<int> Live() const {
        std::vector<int> ids;
        for (std::size_t id = 0; id < FIndexOf.size(); ++id)
            if (FIndexOf[id] >= 0)
                ids.push_back(static_cast<int>(id));
        return ids;
    }
    void PlaceInModel(const std::string& line) {
        FModel.insert(std::upper_bound(FModel.begin(), FModel.end(), line, Before), line);
    }

    void Step() {
        const std::vector<int> live = Live();
        const int op = live.empty() ? 0 : Below(3);
        if (op == 0) {
            const std::string line = NewLine();
            TTaken taken{TTaken::Add, static_cast<int>(FIndexOf.size()), line, FStore.Order(), {}};
            if (!FModelSorted)
                std::stable_sort(FModel.begin(), FModel.end(), Before);
            FModelSorted = true;
            PlaceInModel(line);
            FIndexOf.push_back(FStore.Add(line));
            FLines.push_back(line);
            FTaken.push_back(taken);
            return;
        }
        const int id = live[static_cast<std::size_t>(Below(static_cast<int>(live.size())))];
        const int index = FIndexOf[static_cast<std::size_t>(id)];
        std::string& line = FLines[static_cast<std::size_t>(id)];
        const auto inModel = std::find(FModel.begin(), FModel.end(), line);
        if (op == 1) {
            FTaken.push_back({TTaken::Put, id, line, {}, {}});
            line = NewLine();
            FModel.erase(inModel);
            if (FModelSorted)
                PlaceInModel(line);
            else
                FModel.insert(FModel.begin() + (inModel - FModel.begin()), line);
            FStore.Put(index, line, Renumberer());
        } else {
            FTaken.push_back({TTaken::Erase, id, line, {}, FStore.SpotOf(index)});
            FModel.erase(inModel);
            FIndexOf[static_cast<std::size_t>(id)] = -1;
            FStore.Erase(index, Renumberer());
        }
    }

    // False when the order of the file was lost.
    bool TakeBack() {
        const TTaken taken = FTaken.back();
        FTaken.pop_back();
        int& index = FIndexOf[static_cast<std::size_t>(taken.Id)];
        std::string& line = FLines[static_cast<std::size_t>(taken.Id)];
        switch (taken.Kind) {
        case TTaken::Add:
            FStore.Erase(std::exchange(index, -1), Renumberer());
            return FStore.ReturnToOrder(taken.Order);
        case TTaken::Put:
            line = taken.Line;
            FStore.Put(index, line, Renumberer());
            return true;
        case TTaken::Erase:
            index = FStore.Restore(taken.Spot, taken.Line, Renumberer());
            return true;
        }
        return true;
    }

    std::string CheckHolders() const {
        if (FStore.Count() != static_cast<int>(Live().size()))
            return "count " + std::to_string(FStore.Count());
        for (const int id : Live())
            if (FStore[FIndexOf[static_cast<std::size_t>(id)]] !=
                FLines[static_cast<std::size_t>(id)])
                return "line " + FLines[static_cast<std::size_t>(id)] + " lost its index";
        return {};
    }

    std::mt19937& FRandom;
    TLineStore FStore;
    std::vector<int> FIndexOf;       // by id: the store's index of the line, -1 when erased
    std::vector<std::string> FLines; // by id: the line
    std::vector<std::string> FUsed;  // every line ever made, so that none comes twice
    std::vector<std::string> FModel; // the lines in the file's order
    bool FModelSorted = true;
    std::vector<TTaken> FTaken;
};

TEST(LineStoreTest, StepsTakenBackGiveBackTheFileAsItWasByteForByteAndInItsOrder) {
    std::mt19937 random(20260311);
    for (int sequence = 0; sequence < 3000; ++sequence) {
        const std::string problem = TStepsBack(random).Run();
        ASSERT_EQ(problem, "") << "sequence " << sequence;
    }
}

} // namespace
