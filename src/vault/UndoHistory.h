#pragma once

// What Undo takes back and Redo does again in an open vault: each Add, Delete and field edit as the
// record lines before and after it, enciphered as the file holds them, never a deciphered field.
// It also knows which of its states the data file holds, so that the vault can tell when it is back
// where it was saved.

#include "vault/LineStore.h"
#include "vault/RecordCodec.h"

#include <cstddef>
#include <string>
#include <vector>

enum class TUndoKind { Add, Delete, Edit };

struct TUndoStep {
    TUndoKind Kind = TUndoKind::Edit;
    std::string Before;                    // the line before the change (Delete, Edit)
    std::string After;                     // the line after it (Add, Edit)
    TLineSpot Spot;                        // Delete: where the line stood
    TLineOrder Order = TLineOrder::Sorted; // Add: how the file's order stood before
    // Edit: the field edited, so that the keystrokes of one edit are one step; none for an edit of
    // the whole account.
    std::string TPassRecord::*Field = nullptr;
    // Steps of one command (an import's Adds) share a number and are taken back together; 0 for
    // a step of its own.
    unsigned Group = 0;
};

class TUndoHistory {
public:
    TUndoHistory() = default;
    ~TUndoHistory() { Clear(); }
    TUndoHistory(const TUndoHistory&) = delete;
    TUndoHistory& operator=(const TUndoHistory&) = delete;

    bool CanUndo() const noexcept { return FDone > 0; }
    bool CanRedo() const noexcept { return FDone < FSteps.size(); }
    // The vault stands where its data file was last read or written.
    bool AtSaved() const noexcept { return FSaved == static_cast<std::ptrdiff_t>(FDone); }

    // A change done: the steps undone before it cannot be redone any more.
    void Added(std::string line, TLineOrder orderBefore);
    void Deleted(std::string line, TLineSpot spot);
    // An edit of the field that the last step edited in the same line (the next keystroke) joins
    // that step, unless the file holds the state after it; a step that comes back to the line it
    // started from goes.
    void Edited(std::string TPassRecord::*field, std::string before, std::string after);

    // The steps pushed between the two are one group, which Undo and Redo take whole.
    void BeginGroup() noexcept { FOpenGroup = ++FLastGroup; }
    void EndGroup() noexcept { FOpenGroup = 0; }

    // The step that Undo takes back, or Redo does again, or null; after it was applied (and the
    // vault may record where it went), Undone or Redone moves past it.
    TUndoStep* NextUndo() noexcept { return CanUndo() ? &FSteps[FDone - 1] : nullptr; }
    TUndoStep* NextRedo() noexcept { return CanRedo() ? &FSteps[FDone] : nullptr; }
    void Undone() noexcept;
    void Redone() noexcept;

    // The data file holds the present state, or none of the history's.
    void MarkSaved() noexcept { FSaved = static_cast<std::ptrdiff_t>(FDone); }
    void ForgetSaved() noexcept { FSaved = -1; }
    // Every step wiped; the present stays the saved state if it was.
    void Clear() noexcept;

private:
    void Push(TUndoStep step);
    void DropRedo() noexcept;

    std::vector<TUndoStep> FSteps;
    std::size_t FDone = 0;     // the steps before it are done, the rest undone
    std::ptrdiff_t FSaved = 0; // the state the data file holds, by FDone; -1 for none
    unsigned FLastGroup = 0;
    unsigned FOpenGroup = 0; // the group that steps pushed now join, or 0
};
