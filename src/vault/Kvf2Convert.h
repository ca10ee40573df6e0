#pragma once

// Turning a vault's lines into the other format, and re-enciphering them under a new password.
// Pure functions over lines: line i of the result comes from line i of the input, so that both
// ways keep the order and a file that goes to the hardened format and back is the same file.

#include "vault/Kvf2Session.h"

#include <string>
#include <vector>

// Older-format lines under their master password into lines of the target session: a line that
// deciphers whole becomes an account line, any other a kept line holding it byte for byte.
struct TKvf2Upgrade {
    std::vector<std::string> Lines;
    std::vector<int> Kept; // the lines that could not be read, by index
};
TKvf2Upgrade UpgradeLines(const std::vector<std::string>& olderLines,
                          const std::string& olderPassword, const TKvf2Session& target);

// Whether the hardened lines hold exactly what the older lines hold: every account field for
// field, every kept line byte for byte. Run on the file read back before the old one is replaced.
bool UpgradeMatches(const std::vector<std::string>& olderLines, const std::string& olderPassword,
                    const TKvf2Session& target, const std::vector<std::string>& written);

// Hardened lines into older-format lines under the master password (1 to 48 bytes): accounts
// enciphered in the older way, kept lines given back byte for byte. While there are damaged
// lines, nothing is converted unless they may be left out.
struct TKvf1Copy {
    bool Refused = false;           // damaged lines, and leaving them out was not allowed
    std::vector<std::string> Lines; // the older format's record lines, in file order
    std::vector<int> Damaged;       // the hardened file's damaged lines, by index
};
TKvf1Copy DowngradeLines(const TKvf2Session& source, const std::vector<std::string>& lines,
                         const std::string& password, bool dropDamaged);

// The parameters of a password change: never below the file's own nor the floor (the defaults),
// and higher where asked.
TKvf2Params PasswordChangeParams(const TKvf2Params& current, const TKvf2Params& asked = {},
                                 const TKvf2Params& floor = Kvf2DefaultParams);

// Every account line and kept line of the source re-enciphered under the target's keys, each
// with a new R; damaged lines stay as they are.
std::vector<std::string> ReencipherLines(const TKvf2Session& source, const TKvf2Session& target,
                                         const std::vector<std::string>& lines);
