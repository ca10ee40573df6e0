#pragma once

// Turning a vault's lines into the other format, and re-enciphering them under a new password.
// Line i of the result comes from line i of the input, so that both ways keep the order and a file
// that goes to the hardened format and back is the same file.

#include "vault/Kvf2Record.h"
#include "vault/Kvf2Session.h"
#include "vault/RecordCodec.h"

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Older-format lines under their master password turned into lines of the target session where
// they stand, so that a large vault never holds both sets whole: a line that deciphers whole
// becomes an account line, any other a kept line holding it byte for byte. Each new line is
// checked before its older one goes, and an older line that the new one would not give back byte
// for byte is kept aside, so that GiveBack can undo any part of the work.
class TKvf2Upgrade {
public:
    TKvf2Upgrade(std::vector<std::string>& lines, const std::string& olderPassword,
                 const TKvf2Session& target);

    // Converts every line, a large vault on two cores; raises std::runtime_error at a new line
    // that does not hold what its older line held, the lines converted until then staying so.
    void Run();
    // The lines that could not be read, by index, once Run is done.
    std::vector<int> Kept() const;
    // Every line converted so far back to its older bytes.
    void GiveBack();

private:
    struct TPart {
        std::size_t Begin = 0;
        std::size_t Next = 0; // the first line not converted
        std::size_t End = 0;
        std::vector<std::pair<std::size_t, std::string>> Aside; // older lines, by index
        std::vector<int> Kept;
    };
    void Convert(TPart& part);
    void GiveBack(TPart& part);

    std::vector<std::string>& FLines;
    const std::string& FOlderPassword;
    const TKvf2Session& FTarget;
    std::array<TPart, 2> FParts;
};

// Whether a hardened line holds what the older line holds: every account field for field, or,
// for an older line that does not decipher whole, its bytes in a kept line.
bool UpgradedLineMatches(TRecordCipher& older, TKvf2Codec& target, const std::string& olderLine,
                         std::string_view written);

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
