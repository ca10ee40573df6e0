#pragma once

// Reading the vector files of tests/data and the hexadecimal notation they use.

#include <string>
#include <string_view>
#include <vector>

// Bytes from hexadecimal digits; "-" stands for the empty string.
std::string FromHex(std::string_view hex);
std::string ToHex(std::string_view bytes);

// The lines of one "[section]" of a file in the test data folder, without comments, blank lines
// and surrounding blanks. Fails the running test if the file or the section cannot be read.
std::vector<std::string> ReadSection(const std::string& fileName, const std::string& section);

// A line split at runs of blanks.
std::vector<std::string> SplitWords(const std::string& line);
