#pragma once

// Writing a vault's file while holding the file's write lock (platform/FileWriteLock.h): the
// check for a change made by another program runs under the lock, right before the file is
// replaced, so that no writer reports a change as done that another then overwrites, and none
// overwrites a change it never saw.
//
// Asking the user belongs to the caller: it takes the consent to overwrite the file as it is at
// the question, and hands it to the write; a change made between the question and the write is
// still caught.

#include "base/Errors.h"
#include "platform/FileStamp.h"
#include "platform/FileWriteLock.h"
#include "vault/Vault.h"

#include <optional>
#include <string>

// The file was changed by another program since the vault read or wrote it, or since the user
// agreed to overwrite it. Nothing was written.
class EChangedElsewhere : public Exception {
public:
    explicit EChangedElsewhere(const std::string& path);
    const std::string& Path() const noexcept { return FPath; }

private:
    std::string FPath;
};

// The user's agreement to overwrite the file at a path as it was when they were asked.
struct TOverwriteConsent {
    std::string Path;
    TFileStamp Stamp;
};

// The consent for the file at path as it is now: taken when the user says yes to the question.
// Nothing when the file cannot be read, which tells a write nothing either.
std::optional<TOverwriteConsent> ConsentToOverwrite(const std::string& path);

// Under the lock: raises EChangedElsewhere unless the file at path is as the vault last read or
// wrote it, or, with a consent for path, exactly as it was when the user agreed.
void RequireUnchanged(const TVault& vault, const std::string& path,
                      const std::optional<TOverwriteConsent>& consent);

// Runs `write` (a save, a password change) while holding the write lock of the file at path,
// after RequireUnchanged; returns what it returns. EFileBusy when another program holds the lock
// for too long.
template <typename TWrite>
decltype(auto) WriteUnderLock(const TVault& vault, const std::string& path,
                              const std::optional<TOverwriteConsent>& consent, TWrite&& write) {
    const TFileWriteLock lock(path);
    RequireUnchanged(vault, path, consent);
    return write();
}

// Writes the vault to path under the lock: its own file (TVault::Save) or another one that
// becomes its file (TVault::SaveAs).
void SaveUnderLock(TVault& vault, const std::string& path,
                   const std::optional<TOverwriteConsent>& consent = std::nullopt);
