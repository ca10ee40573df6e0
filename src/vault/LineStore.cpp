#include "vault/LineStore.h"

#include "base/Containers.h"

#include <algorithm>
#include <chrono>
#include <numeric>
#include <utility>

void TLineStore::Assign(std::vector<std::string> lines) {
    DropPendingOrder();
    lines.reserve(lines.size() + AddHeadroom(lines.size()));
    FLines.Assign(std::move(lines));
    AdoptOrder({});
}

void TLineStore::Assign(TLineBlock block) {
    DropPendingOrder();
    FLines.Assign(std::move(block));
    AdoptOrder({});
}

void TLineStore::KeepFileOrder(bool keep) noexcept {
    FKeepFileOrder = keep;
}

void TLineStore::AdoptOrder(TTextOrder order) {
    DropPendingOrder();
    if (FKeepFileOrder)
        order = {};
    FLinesSorted = order.Sorted;
    FOrderInIndex = false;
    if (order.Sorted) {
        // The room is kept for the index of the next Add.
        FLineOrder.clear();
        FLinePlace.clear();
        return;
    }
    FLineOrder = std::move(order.Order);
    FLinePlace.assign(FLineOrder.size(), 0);
    for (std::size_t place = 0; place < FLineOrder.size(); ++place)
        FLinePlace[static_cast<std::size_t>(FLineOrder[place])] = static_cast<int>(place);
}

void TLineStore::LearnOrderLater(bool beside) {
    AdoptOrder({});
    if (FKeepFileOrder || FLines.Empty())
        return;
    // Read where the lines are held: nothing takes them as strings before it is done.
    FPendingOrder = std::async(beside ? std::launch::async : std::launch::deferred,
                               [this] { return TextOrderWithoutCollator(FLines.Span()); });
}

void TLineStore::SettleOrder() {
    if (!FPendingOrder.valid())
        return;
    std::optional<TTextOrder> found = FPendingOrder.get();
    if (!found)
        found = TextOrder(FLines.Lines());
    AdoptOrder(std::move(*found));
}

void TLineStore::WaitForLearner() const noexcept {
    // A deferred order is never learnt; one learnt beside is waited for.
    if (FPendingOrder.valid() &&
        FPendingOrder.wait_for(std::chrono::seconds(0)) != std::future_status::deferred)
        FPendingOrder.wait();
}

void TLineStore::AwaitLearner() const noexcept {
    // Lines held as strings stay where they are; only those in the bytes read move.
    if (FLines.InBlock())
        WaitForLearner();
}

void TLineStore::DropPendingOrder() noexcept {
    WaitForLearner(); // what it raised goes with it
    FPendingOrder = {};
}

void TLineStore::Clear() noexcept {
    DropPendingOrder();
    FLines.Clear();
    FLinesSorted = true;
    FOrderInIndex = false;
    // Given back: at 100,000 lines the index takes 800 KB.
    std::vector<int>().swap(FLineOrder);
    std::vector<int>().swap(FLinePlace);
}

std::vector<std::string> TLineStore::Take() {
    // An order not learnt yet had no Add: the lines are in file order already.
    DropPendingOrder();
    InFileOrder([](const auto&) {});
    std::vector<std::string> lines = FLines.Take();
    Clear();
    return lines;
}

int TLineStore::Add(std::string line) {
    SettleOrder();
    if (FKeepFileOrder) {
        FLines.Add(std::move(line));
        return FLines.Count() - 1;
    }
    // The lines stay where they are; the new one goes last, and its place in the order of the
    // file into the index. From now on the file's order is the index's. Inserting among the lines
    // instead would move half of them and renumber every account.
    if (FLinesSorted)
        IndexLinesInOrder();
    const int index = FLines.Count();
    const auto place =
        static_cast<int>(std::upper_bound(FLineOrder.begin(), FLineOrder.end(), line,
                                          [this](const std::string& text, int other) {
                                              return CompareTextLocale(text, FLines[other]) < 0;
                                          }) -
                         FLineOrder.begin());
    ReserveOneMore(FLineOrder);
    ReserveOneMore(FLinePlace);
    FLines.Add(std::move(line));
    FLineOrder.insert(FLineOrder.begin() + place, index);
    // Every line at or after the place moves one on: one pass in line order, which the compiler
    // vectorises, rather than a jump to each such line through the order.
    for (int& other : FLinePlace)
        other += other >= place ? 1 : 0;
    FLinePlace.push_back(place);
    FOrderInIndex = true;
    return index;
}

void TLineStore::IndexLinesInOrder() {
    const std::size_t count = FLines.Lines().size();
    const std::size_t room = count + AddHeadroom(count);
    FLineOrder.reserve(room);
    FLinePlace.reserve(room);
    FLineOrder.resize(count);
    std::iota(FLineOrder.begin(), FLineOrder.end(), 0);
    FLinePlace = FLineOrder;
    FLinesSorted = false;
}

void TLineStore::PutLinesInOrder() {
    if (FLinesSorted)
        return;
    // In place, cycle by cycle, with one string aside: new memory would cost a page fault for
    // every few lines, more than the moves themselves. The order marks the places done.
    std::vector<std::string> lines = FLines.Take();
    const auto count = static_cast<int>(FLineOrder.size());
    for (int start = 0; start < count; ++start) {
        if (FLineOrder[static_cast<std::size_t>(start)] < 0)
            continue;
        std::string aside = std::move(lines[static_cast<std::size_t>(start)]);
        for (int place = start;;) {
            const int from = std::exchange(FLineOrder[static_cast<std::size_t>(place)], -1);
            if (from == start) {
                lines[static_cast<std::size_t>(place)] = std::move(aside);
                break;
            }
            lines[static_cast<std::size_t>(place)] =
                std::move(lines[static_cast<std::size_t>(from)]);
            place = from;
        }
    }
    FLines.Assign(std::move(lines));
}

std::optional<TLineStore::TRotation> TLineStore::KeepInOrder(int index) {
    const std::vector<std::string>& lines = FLines.Lines();
    const auto lineAt = [&](int place) -> const std::string& {
        return lines[static_cast<std::size_t>(
            FLinesSorted ? place : FLineOrder[static_cast<std::size_t>(place)])];
    };
    const int count = FLines.Count();
    const int place = FLinesSorted ? index : FLinePlace[static_cast<std::size_t>(index)];
    const std::string& stored = lines[static_cast<std::size_t>(index)];
    const bool belowBefore = place > 0 && CompareTextLocale(lineAt(place - 1), stored) > 0;
    const bool aboveAfter = place + 1 < count && CompareTextLocale(stored, lineAt(place + 1)) > 0;
    if (!belowBefore && !aboveAfter)
        return std::nullopt;
    // The first place in [low, high) whose line sorts after the stored one.
    const auto firstAfter = [&](int low, int high) {
        return low + PartitionPlace(high - low, [&](int offset) {
                   return CompareTextLocale(stored, lineAt(low + offset)) >= 0;
               });
    };
    const int target = belowBefore ? firstAfter(0, place) : firstAfter(place + 1, count) - 1;
    const auto rotate = [&](auto begin) {
        if (target < place)
            std::rotate(begin + target, begin + place, begin + place + 1);
        else
            std::rotate(begin + place, begin + place + 1, begin + target + 1);
    };
    if (FLinesSorted) {
        std::vector<std::string> taken = FLines.Take();
        rotate(taken.begin());
        FLines.Assign(std::move(taken));
        return TRotation{place, target};
    }
    // Only the order moves; the lines stay where they are stored.
    rotate(FLineOrder.begin());
    for (int k = std::min(place, target); k <= std::max(place, target); ++k)
        FLinePlace[static_cast<std::size_t>(FLineOrder[static_cast<std::size_t>(k)])] = k;
    return std::nullopt;
}

void TLineStore::EraseFromOrder(int index) {
    static_cast<void>(FLines.Get(index)); // a bad index raises before anything changes
    if (FLinesSorted)
        return;
    FLineOrder.erase(FLineOrder.begin() + FLinePlace[static_cast<std::size_t>(index)]);
    for (int& old : FLineOrder)
        if (old > index)
            --old;
    const bool orderInIndex = FOrderInIndex;
    AdoptOrder({false, std::move(FLineOrder)});
    FOrderInIndex = orderInIndex;
}

TLineOrder TLineStore::Order() {
    SettleOrder();
    if (FLinesSorted)
        return TLineOrder::Sorted;
    return FOrderInIndex ? TLineOrder::Indexed : TLineOrder::AsRead;
}

TLineSpot TLineStore::SpotOf(int index) {
    SettleOrder();
    static_cast<void>(FLines.Get(index)); // a bad index raises
    return {index, FLinesSorted ? index : FLinePlace[static_cast<std::size_t>(index)]};
}

const std::string& TLineStore::LineAtPlace(int place) const {
    const auto at = static_cast<std::size_t>(place);
    return FLines.Lines()[FLinesSorted ? at : static_cast<std::size_t>(FLineOrder[at])];
}

int TLineStore::InsertAt(TLineSpot spot, std::string line) {
    const int count = FLines.Count();
    if (FKeepFileOrder) {
        // The file's order is the stored one: the line goes back where it stood.
        const int index = std::clamp(spot.Index, 0, count);
        FLines.Insert(index, std::move(line));
        return index;
    }
    int place = std::clamp(spot.Place, 0, count);
    const bool fits = (place == 0 || CompareTextLocale(LineAtPlace(place - 1), line) <= 0) &&
                      (place == count || CompareTextLocale(line, LineAtPlace(place)) <= 0);
    if (!fits)
        place = PartitionPlace(
            count, [&](int other) { return CompareTextLocale(line, LineAtPlace(other)) >= 0; });
    // Lines stored in order stay so; otherwise the line goes back where it was stored, which is
    // its place in the file while the file keeps the order it was read in.
    const int index = FLinesSorted ? place : std::clamp(spot.Index, 0, count);
    if (!FLinesSorted) {
        // Room first, so that a failure leaves the index as it was.
        ReserveOneMore(FLineOrder);
        ReserveOneMore(FLinePlace);
    }
    FLines.Insert(index, std::move(line));
    if (FLinesSorted)
        return index;
    for (int& other : FLineOrder)
        other += other >= index ? 1 : 0;
    FLineOrder.insert(FLineOrder.begin() + place, index);
    FLinePlace.resize(FLineOrder.size());
    for (std::size_t at = 0; at < FLineOrder.size(); ++at)
        FLinePlace[static_cast<std::size_t>(FLineOrder[at])] = static_cast<int>(at);
    return index;
}

bool TLineStore::ReturnToOrder(TLineOrder before) {
    SettleOrder();
    if (Order() != TLineOrder::Indexed)
        // Moved into order since: a sorted file stays sorted, the order a file was read in is lost.
        return before != TLineOrder::AsRead || Order() == TLineOrder::AsRead;
    switch (before) {
    case TLineOrder::Indexed:
        break;
    case TLineOrder::AsRead:
        // The lines are still stored as read, the added ones gone again.
        FOrderInIndex = false;
        break;
    case TLineOrder::Sorted:
        // Stored in order still, unless an edit moved a line past one that compares equal.
        for (std::size_t at = 0; at < FLineOrder.size(); ++at)
            if (FLineOrder[at] != static_cast<int>(at))
                return true;
        AdoptOrder({});
        break;
    }
    return true;
}
