#pragma once

// The record lines of an open vault and the order of the file they are written to.
//
// A file read in CompareTextLocale order stays in it: an edit moves its line back into place. A
// file read in another order is written back as it was read until the first Add, which puts every
// line in order. Lines stay where they were stored, and while their order differs from where they
// stand it is kept in an index, so that neither an Add nor an edit moves half the lines; they move
// into their order only when they are read whole.
//
// A store told to keep the file's order (a hardened file, whose lines are not sorted) keeps no
// index: an Add appends, an edit stays in place, and the stored order is the file's.
//
// Whoever holds line indices (the accounts, the damaged lines) hears of every renumbering through
// a `renumber` argument, called once with a map from an old index to the new one.

#include "base/Containers.h"
#include "platform/RecordList.h"
#include "platform/TextCompare.h"

#include <algorithm>
#include <future>
#include <optional>
#include <string>
#include <vector>

// How the file's order stands: the lines stored in CompareTextLocale order; the lines stored in
// the order of a file read in another; or CompareTextLocale order kept in the index, after an Add.
enum class TLineOrder { Sorted, AsRead, Indexed };

// Where a line stands: its index, and its place in CompareTextLocale order.
struct TLineSpot {
    int Index = 0;
    int Place = 0;
};

class TLineStore {
public:
    int Count() const noexcept { return FLines.Count(); }
    bool Empty() const noexcept { return FLines.Empty(); }
    // The line stored at an index; a bad index raises the record list's error.
    const std::string& operator[](int index) const {
        AwaitLearner();
        return FLines[index];
    }
    // The lines as they are stored, by index: the file's order only when InFileOrder says so.
    const std::vector<std::string>& Stored() const {
        AwaitLearner();
        return FLines.Lines();
    }
    // The same, still where the file's bytes were read when nothing has needed them as strings.
    TLineSpan StoredSpan() const noexcept { return FLines.Span(); }
    std::string_view View(int index) const { return FLines.View(index); }
    // Whether the lines are still where the file's bytes were read.
    bool HeldAsRead() const noexcept { return FLines.InBlock(); }

    // Whether the lines stay in the order they were stored in, whatever they hold; a Clear keeps
    // this choice.
    void KeepFileOrder(bool keep) noexcept;
    bool KeepsFileOrder() const noexcept { return FKeepFileOrder; }

    // The lines of a file in its order, with room kept for the Adds to come. Their order under
    // CompareTextLocale is told by AdoptOrder before the next change, unless the store keeps the
    // file's order.
    void Assign(std::vector<std::string> lines);
    // The same with the lines left in the bytes read until something needs them as strings.
    void Assign(TLineBlock block);
    // How the lines stored now stand in CompareTextLocale order; they stay where they are.
    void AdoptOrder(TTextOrder order);
    // The same, learnt only when something first needs it: by the other core from now on
    // (`beside`), or by the caller then. Reading the lines needs no order, so a vault that is only
    // read never waits for it, nor, when it is learnt beside, makes its reader wait.
    void LearnOrderLater(bool beside);
    // Every line goes, and the room of the index with it.
    void Clear() noexcept;
    // Hands the lines over in file order and leaves the store empty; indices held elsewhere are
    // then meaningless.
    std::vector<std::string> Take();

    // The lines in the order of the file, moved into it first if needed.
    template <typename TRenumber> const TRecordList& InFileOrder(TRenumber renumber) {
        // An order still to be learnt had no Add since: the lines stand in the file's order.
        if (FOrderInIndex) {
            PutLinesInOrder();
            renumber([this](int old) { return FLinePlace[static_cast<std::size_t>(old)]; });
            AdoptOrder({});
        }
        AwaitLearner(); // its caller may read the lines as strings
        return FLines;
    }
    // A new line in its place of the order; returns its index, the next one. No line moves.
    int Add(std::string line);
    // Replaces the line at the index and keeps the order.
    template <typename TRenumber> void Put(int index, std::string line, TRenumber renumber) {
        SettleOrder();
        FLines.Put(index, std::move(line));
        if (FKeepFileOrder)
            return;
        if (const std::optional<TRotation> moved = KeepInOrder(index))
            renumber([rotation = *moved](int old) { return rotation.Map(old); });
    }
    // Removes the line at the index; the later lines move up by one.
    template <typename TRenumber> void Erase(int index, TRenumber renumber) {
        SettleOrder();
        EraseFromOrder(index);
        FLines.Delete(index);
        renumber([index](int old) { return old > index ? old - 1 : old; });
    }

    // What takes an Erase or an Add back exactly, so that the file is written as it was before.
    TLineOrder Order();
    TLineSpot SpotOf(int index);
    // Puts an erased line back at the spot it had, the later lines moving down by one; returns its
    // index. A place where the line no longer sorts (the order changed meanwhile) gives way to the
    // place it sorts to.
    template <typename TRenumber>
    int Restore(TLineSpot spot, std::string line, TRenumber renumber) {
        SettleOrder();
        const int index = InsertAt(spot, std::move(line));
        renumber([index](int old) { return old >= index ? old + 1 : old; });
        return index;
    }
    // The order as it stood before an Add whose line was erased again. False when that order is
    // lost: the lines were moved into CompareTextLocale order since, and a file read in another
    // order is now written in this one.
    bool ReturnToOrder(TLineOrder before);

private:
    // Takes the order learnt later, once it is needed.
    void SettleOrder();
    // Forgets an order still to be learnt, waiting for the other core to let go of the lines.
    void DropPendingOrder() noexcept;
    // Waits for an order learnt on the other core, which reads the lines where they are held, so
    // that they can be taken as strings.
    void AwaitLearner() const noexcept;
    void WaitForLearner() const noexcept;

    // Lines whose places from..to were rotated so that the line at `from` went to `to`.
    struct TRotation {
        int From = 0;
        int To = 0;
        int Map(int old) const noexcept {
            if (old == From)
                return To;
            const int step = To < From ? 1 : -1;
            const bool between = old >= std::min(From, To) && old <= std::max(From, To);
            return between ? old + step : old;
        }
    };

    // The place in the order of the line just stored at the index, if it left it; the lines
    // themselves move only where they are stored in order.
    std::optional<TRotation> KeepInOrder(int index);
    void EraseFromOrder(int index);
    int InsertAt(TLineSpot spot, std::string line);
    // The line at a place of CompareTextLocale order.
    const std::string& LineAtPlace(int place) const;
    // Indexes lines that are in order, so that the next ones can be appended.
    void IndexLinesInOrder();
    // Moves the lines into the order of the index; FLinePlace still maps the old indices after.
    void PutLinesInOrder();

    TRecordList FLines;
    bool FLinesSorted = true; // FLines is in CompareTextLocale order
    // While FLinesSorted is false: FLineOrder[place] is the line at that place of the
    // CompareTextLocale order, FLinePlace[line] the place of the line.
    std::vector<int> FLineOrder;
    std::vector<int> FLinePlace;
    // After an Add: the file's order is FLineOrder, and new lines are appended to FLines.
    bool FOrderInIndex = false;
    bool FKeepFileOrder = false;
    // The order still to be learnt (see LearnOrderLater): nothing without a collator, or a
    // collator needed. Last, so that it lets go of the lines before they go.
    std::future<std::optional<TTextOrder>> FPendingOrder;
};
