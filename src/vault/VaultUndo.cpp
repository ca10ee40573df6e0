// Undo and Redo of the open vault: the steps of its history applied to the record lines and the
// rows, with the same announcements as the changes they take back.

#include "vault/Vault.h"

#include "base/SecureWipe.h"
#include "platform/TextCompare.h"

#include <stdexcept>

std::optional<TUndoKind> TVault::Undo() {
    return ApplyNextSteps(false);
}

std::optional<TUndoKind> TVault::Redo() {
    return ApplyNextSteps(true);
}

std::optional<TUndoKind> TVault::ApplyNextSteps(bool forward) {
    RequireUnlocked();
    const auto next = [this, forward] { return forward ? FUndo.NextRedo() : FUndo.NextUndo(); };
    TUndoStep* step = next();
    if (!step)
        return std::nullopt;
    const TUndoKind kind = step->Kind;
    const unsigned group = step->Group;
    do {
        ApplyStep(*step, forward);
        if (forward)
            FUndo.Redone();
        else
            FUndo.Undone();
        step = next();
    } while (group != 0 && step && step->Group == group);
    SetModified(!FUndo.AtSaved());
    return kind;
}

void TVault::ApplyStep(TUndoStep& step, bool forward) {
    try {
        const std::unique_ptr<TAccountCodec> codec = FFormat->Codec();
        const bool adds = (step.Kind == TUndoKind::Add) == forward;
        int shown = 0;
        if (step.Kind == TUndoKind::Edit) {
            const std::string& from = forward ? step.Before : step.After;
            const std::string& to = forward ? step.After : step.Before;
            shown = RowOfLine(*codec, from);
            FLines.Put(Account(shown).Line, to, Renumberer());
        } else if (adds) {
            // An Add done again goes where Add puts it; a Delete taken back, where it was.
            const std::string& line = forward ? step.After : step.Before;
            std::string name = codec->DecodeName(line);
            TWipeGuard wipeName(name);
            if (forward)
                step.Order = FLines.Order();
            shown = InsertRow(name, forward ? FLines.Add(line)
                                            : FLines.Restore(step.Spot, line, Renumberer()));
        } else {
            const TLineSpot spot = RemoveRow(RowOfLine(*codec, forward ? step.Before : step.After));
            if (forward)
                step.Spot = spot;
            else if (!FLines.ReturnToOrder(step.Order))
                FUndo.ForgetSaved(); // the file's order as read is gone: no state is the file's
            shown = AccountCount() > 0 ? 0 : -1;
        }
        if (shown >= 0)
            ShowRow(shown, *codec);
        else
            ForgetCurrent();
        Notify([](TVaultObserver& observer) { observer.CurrentChanged(); });
    } catch (const std::logic_error&) {
        // A history that no longer matches the lines is no way back; the lines stay as they are.
        FUndo.Clear();
        FUndo.ForgetSaved();
        throw;
    }
}

int TVault::RowOfLine(TAccountCodec& codec, const std::string& line) const {
    std::string name = codec.DecodeName(line);
    TWipeGuard wipeName(name);
    const int found = FindAccount(name);
    // Rows of equal names lie together; a file may hold one name twice.
    for (int row = found;
         row >= 0 && row < AccountCount() && CompareTextLocale(Account(row).Name, name) == 0; ++row)
        if (Account(row).Name == name && LineOf(row) == line)
            return row;
    throw std::logic_error("The undo history no longer matches the vault; it was cleared");
}
