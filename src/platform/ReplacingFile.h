#pragma once

// A new file written beside the name it is to take, and put in its place in one step once every
// byte is on the disk: at every moment the name holds the old file or the whole new one. Paths are
// bytes, so that a name that is not UTF-8 is written as it is.
//
// Failures raise EInOutError naming the path; a failure before the new file takes the name
// removes it and leaves the name as it was.

#include <memory>
#include <string>
#include <string_view>

enum class TLinkAtName {
    Follow,  // the link's target is replaced and the link stays (the data file)
    Replace, // the link itself is replaced by the new file, and its target is never touched
};

class TReplacingFile {
public:
    TReplacingFile(const std::string& path, TLinkAtName link);
    // Without a Commit the new file is removed.
    ~TReplacingFile();
    TReplacingFile(const TReplacingFile&) = delete;
    TReplacingFile& operator=(const TReplacingFile&) = delete;

    // The new file's descriptor, to set its permissions.
    int Handle() const noexcept;
    // The name that Commit replaces: the path, or for a followed link its final target.
    const std::string& Target() const noexcept { return FTarget; }
    void Write(std::string_view bytes);
    // Syncs the new file, renames it onto the target and syncs the folder. A failure of the last
    // step comes after the name was replaced: its error says so (EInOutError::FileReplaced).
    void Commit();
    // Removes the new file; the name stays as it was.
    void Cancel() noexcept;

private:
    struct TState;
    std::string FPath;
    std::string FTarget;
    std::unique_ptr<TState> FState;
};

// The file that a write through this name replaces: the name itself, or the final target of the
// symbolic links at it (which need not exist yet).
std::string FollowedPath(const std::string& path);
// The folder part of a path: "." for a bare name, "/" for a name in the root.
std::string FolderOfPath(const std::string& path);
