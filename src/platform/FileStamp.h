#pragma once

// What a file was when this program last read or wrote it, to tell whether another program has
// changed it since.

#include "platform/ContentHash.h"

#include <cstdint>
#include <optional>
#include <string>

struct TFileStamp {
    bool Present = false;
    std::int64_t ModifiedMs = 0; // modification time, milliseconds since the epoch
    TContentDigest Content;

    bool operator==(const TFileStamp&) const = default;
};

// Reads the file through. Nothing when the file is there but cannot be read: then nobody can tell
// whether it changed.
std::optional<TFileStamp> StampFile(const std::string& path);
// The stamp of a file whose content was just read or written whole; only its time is looked up.
std::optional<TFileStamp> StampFile(const std::string& path, const TContentDigest& content);
