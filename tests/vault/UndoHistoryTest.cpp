// The undo history on its own: which steps it keeps, how the keystrokes of one edit make one step,
// and which of its states the data file holds.

#include "vault/UndoHistory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The lines the history would take the vault through, undone to the start: each step's line
// before (or "-" for an Add's).
std::vector<std::string> UndoAll(TUndoHistory& history) {
    std::vector<std::string> lines;
    while (TUndoStep* step = history.NextUndo()) {
        lines.push_back(step->Kind == TUndoKind::Add ? "-" : step->Before);
        history.Undone();
    }
    return lines;
}

TEST(UndoHistoryTest, KeystrokesInOneFieldOfOneLineAreOneStepAndAnythingElseStartsAnother) {
    const auto login = &TPassRecord::Login;
    const auto notes = &TPassRecord::Notes;
    const struct {
        const char* what;
        std::string TPassRecord::*secondField;
        std::string secondBefore;
        std::vector<std::string> undone; // the lines before each step, last step first
    } cases[] = {
        {"the same field goes on", login, "A1", {"A0"}},
        {"another field", notes, "A1", {"A1", "A0"}},
        {"another account's line", login, "B0", {"B0", "A0"}},
        {"an edit of the whole account", nullptr, "A1", {"A1", "A0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TUndoHistory history;
        history.Edited(login, "A0", "A1");
        history.Edited(c.secondField, c.secondBefore, c.secondBefore == "A1" ? "A2" : "B1");
        EXPECT_EQ(UndoAll(history), c.undone);
        EXPECT_FALSE(history.CanUndo());
        EXPECT_TRUE(history.CanRedo());
    }
}

TEST(UndoHistoryTest, AnEditTypedBackToItsStartIsNoStepAndTheSavedStateIsSavedAgain) {
    TUndoHistory history;
    history.Added("N", TLineOrder::AsRead);
    history.Edited(&TPassRecord::Password, "A0", "A1");
    EXPECT_FALSE(history.AtSaved());
    history.Edited(&TPassRecord::Password, "A1", "A0");
    EXPECT_EQ(UndoAll(history), std::vector<std::string>{"-"});

    TUndoHistory edited;
    edited.Edited(&TPassRecord::Password, "A0", "A1");
    edited.Edited(&TPassRecord::Password, "A1", "A0");
    EXPECT_TRUE(edited.AtSaved());
    EXPECT_FALSE(edited.CanUndo());
}

TEST(UndoHistoryTest, TheSavedStateIsFoundAgainByUndoAndRedoUntilANewChangeReplacesIt) {
    TUndoHistory history;
    history.Deleted("D", {3, 1});
    history.Added("N", TLineOrder::Sorted);
    history.Edited(&TPassRecord::Login, "N", "N1");
    history.MarkSaved(); // a save here (the vault clears the history then; here it stays)
    // Not joined to the edit before the save: the saved state stays one to come back to.
    history.Edited(&TPassRecord::Login, "N1", "N2");
    const struct {
        bool undo;
        bool atSaved;
    } walk[] = {{true, true}, {true, false}, {false, true}, {false, false}};
    for (const auto& step : walk) {
        if (step.undo) {
            ASSERT_NE(history.NextUndo(), nullptr);
            history.Undone();
        } else {
            ASSERT_NE(history.NextRedo(), nullptr);
            history.Redone();
        }
        EXPECT_EQ(history.AtSaved(), step.atSaved);
    }
    EXPECT_EQ(history.NextRedo(), nullptr);

    // Three steps back, past the saved state, a new change drops the steps ahead and the state with
    // them: none is the file's any more.
    for (int i = 0; i < 3; ++i)
        history.Undone();
    ASSERT_EQ(history.NextUndo()->Kind, TUndoKind::Delete);
    EXPECT_EQ(history.NextUndo()->Spot.Index, 3);
    history.Deleted("E", {0, 0});
    EXPECT_FALSE(history.CanRedo());
    while (history.CanUndo()) {
        EXPECT_FALSE(history.AtSaved());
        history.Undone();
    }
    EXPECT_FALSE(history.AtSaved());
}

TEST(UndoHistoryTest, ClearingKeepsWhetherThePresentIsTheSavedState) {
    for (const bool saved : {true, false}) {
        SCOPED_TRACE(saved);
        TUndoHistory history;
        history.Added("N", TLineOrder::Sorted);
        if (saved)
            history.MarkSaved();
        history.Clear();
        EXPECT_FALSE(history.CanUndo());
        EXPECT_FALSE(history.CanRedo());
        EXPECT_EQ(history.AtSaved(), saved);
        history.Added("M", TLineOrder::Sorted);
        history.Undone();
        EXPECT_EQ(history.AtSaved(), saved);
    }
}

} // namespace
