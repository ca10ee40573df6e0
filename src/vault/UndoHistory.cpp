#include "vault/UndoHistory.h"

#include "base/Containers.h"
#include "base/SecureWipe.h"

#include <utility>

namespace {

void WipeStep(TUndoStep& step) noexcept {
    WipeString(step.Before);
    WipeString(step.After);
}

} // namespace

void TUndoHistory::Added(std::string line, TLineOrder orderBefore) {
    TUndoStep step;
    step.Kind = TUndoKind::Add;
    step.After = std::move(line);
    step.Order = orderBefore;
    Push(std::move(step));
}

void TUndoHistory::Deleted(std::string line, TLineSpot spot) {
    TUndoStep step;
    step.Kind = TUndoKind::Delete;
    step.Before = std::move(line);
    step.Spot = spot;
    Push(std::move(step));
}

void TUndoHistory::Edited(std::string TPassRecord::*field, std::string before, std::string after) {
    DropRedo();
    if (field && CanUndo() && !AtSaved() && FOpenGroup == 0) {
        TUndoStep& last = FSteps[FDone - 1];
        if (last.Kind == TUndoKind::Edit && last.Field == field && last.After == before) {
            WipeString(before);
            last.After.swap(after);
            WipeString(after);
            if (last.After == last.Before) {
                WipeStep(last);
                FSteps.pop_back();
                --FDone;
            }
            return;
        }
    }
    TUndoStep step;
    step.Before = std::move(before);
    step.After = std::move(after);
    step.Field = field;
    Push(std::move(step));
}

void TUndoHistory::Push(TUndoStep step) {
    DropRedo();
    step.Group = FOpenGroup;
    ReserveOneMore(FSteps);
    FSteps.push_back(std::move(step));
    ++FDone;
}

void TUndoHistory::DropRedo() noexcept {
    if (FSaved > static_cast<std::ptrdiff_t>(FDone))
        FSaved = -1; // the saved state was one of the steps undone
    while (FSteps.size() > FDone) {
        WipeStep(FSteps.back());
        FSteps.pop_back();
    }
}

void TUndoHistory::Undone() noexcept {
    if (CanUndo())
        --FDone;
}

void TUndoHistory::Redone() noexcept {
    if (CanRedo())
        ++FDone;
}

void TUndoHistory::Clear() noexcept {
    FSaved = AtSaved() ? 0 : -1;
    for (TUndoStep& step : FSteps)
        WipeStep(step);
    FSteps.clear();
    FDone = 0;
}
