#pragma once

// Writers of one file take turns. Each holds this lock for the whole of its check and write, so
// that no two of them (a second Kestovar, kestovar-cli, another command) read the same file and
// then both replace it. The lock is a file beside the one written (its name with ".lock"
// appended; for a symbolic link, beside the link's target), removed again when the lock is let
// go. A lock left by a program that ended without letting it go is taken over at once: the
// system drops an advisory lock with its holder.
//
// A folder in which no file may be made cannot take a lock, nor a new data file: the write that
// follows fails with its own error.

#include <chrono>
#include <memory>
#include <string>

class QLockFile;

class TFileWriteLock {
public:
    static constexpr std::chrono::milliseconds DefaultWait{5000};

    // Waits up to `wait` for the lock of the file at path; raises EFileBusy when another program
    // holds it that long, and EInOutError when the lock file cannot be opened (a link or a folder
    // in its place).
    explicit TFileWriteLock(const std::string& path, std::chrono::milliseconds wait = DefaultWait);
    ~TFileWriteLock();
    TFileWriteLock(const TFileWriteLock&) = delete;
    TFileWriteLock& operator=(const TFileWriteLock&) = delete;

    // The lock file of a file at path.
    static std::string LockPathOf(const std::string& path);

private:
    std::string FLockPath;
    int FHandle = -1;
    std::unique_ptr<QLockFile> FQtLock; // where the system has no advisory locks (Windows)
};
