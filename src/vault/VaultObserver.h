#pragma once

// What a view of the vault hears: every change is announced before it happens, while the vault
// still reads as it did, and after it happened. A view that reads the vault between the two (an
// item model's view, an accessibility client) sees the old state, never half of the new one.

class TVaultObserver {
public:
    virtual ~TVaultObserver() = default;

    // Rows of the accounts in the selector's order.
    virtual void RowsAboutToBeInserted(int /*first*/, int /*last*/) {}
    virtual void RowsInserted(int /*first*/, int /*last*/) {}
    virtual void RowsAboutToBeRemoved(int /*first*/, int /*last*/) {}
    virtual void RowsRemoved(int /*first*/, int /*last*/) {}
    // Every row may change: an open, a close, a lock or an unlock.
    virtual void AboutToReset() {}
    virtual void ResetDone() {}

    // The shown account is another one, or none (after the change).
    virtual void CurrentChanged() {}
    // The count of record lines changed (after the change).
    virtual void LineCountChanged() {}
    virtual void ModifiedChanged(bool /*modified*/) {}
    virtual void LockedChanged(bool /*locked*/) {}
    // The vault's data file is another one, or none.
    virtual void FileChanged() {}
    // The file's format, or the verdict of its seal, changed (after the change).
    virtual void FormatChanged() {}
};
