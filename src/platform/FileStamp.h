#pragma once

// What a file was when this program last read or wrote it, to tell whether another program has
// changed it since.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

struct TFileStamp {
    bool Present = false;
    std::int64_t Size = 0;
    std::int64_t ModifiedMs = 0; // modification time, milliseconds since the epoch
    std::size_t Hash = 0;        // of the whole content

    bool operator==(const TFileStamp&) const = default;
};

// Reads the file whole. Nothing when the file is there but cannot be read: then nobody can tell
// whether it changed.
std::optional<TFileStamp> StampFile(const std::string& path);
