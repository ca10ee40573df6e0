#include "CipherTestData.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

std::string FromHex(std::string_view hex) {
    if (hex == "-")
        return {};
    EXPECT_EQ(hex.size() % 2, 0u) << hex;
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    return bytes;
}

std::string ToHex(std::string_view bytes) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string hex;
    for (const char ch : bytes) {
        const auto byte = static_cast<unsigned char>(ch);
        hex += Digits[byte >> 4];
        hex += Digits[byte & 15];
    }
    return hex;
}

std::vector<std::string> ReadSection(const std::string& fileName, const std::string& section) {
    std::ifstream in(std::string(KESTOVAR_TEST_DATA_DIR) + "/" + fileName);
    EXPECT_TRUE(in.good()) << "cannot read " << fileName;
    std::vector<std::string> lines;
    bool inside = false;
    bool found = false;
    std::string line;
    while (std::getline(in, line)) {
        const auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#')
            continue;
        const auto last = line.find_last_not_of(" \t\r");
        line = line.substr(first, last - first + 1);
        if (line.front() == '[') {
            inside = line == "[" + section + "]";
            found = found || inside;
        } else if (inside) {
            lines.push_back(line);
        }
    }
    EXPECT_TRUE(found) << "no section [" << section << "] in " << fileName;
    return lines;
}

std::vector<std::string> SplitWords(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    std::string word;
    while (in >> word)
        words.push_back(word);
    return words;
}
