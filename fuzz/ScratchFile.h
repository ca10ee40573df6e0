#pragma once

// The file through which the file-reading targets hand their input to the code under test: one
// fixed path in a folder of this process's own, made at the first use and removed at exit.

#include <cstddef>
#include <cstdint>
#include <string>

// Replaces the scratch file's content with the bytes and returns its path.
const std::string& WriteScratchFile(const std::uint8_t* data, std::size_t size);
