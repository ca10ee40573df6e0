// A hardened file changed outside the program, one table: each change gives what the format
// promises (a damaged line, a broken seal with both counts, a damaged first line with or without a
// key derivation), and the next save loses no account and no line.

#include "Kvf2TestSupport.h"
#include "vault/Base64Url.h"
#include "vault/Kvf2File.h"

#include <sodium.h>

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace {

const std::string Password = "Correct Horse";

using TLines = std::vector<std::string>; // the file's lines, the first line included

std::string Joined(const TLines& lines) {
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

TLines SplitFile(const std::string& bytes) {
    TLines lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    return lines;
}

// Another character of the alphabet at the place, so that the text stays canonical base64url
// (away from a last character).
void Flip(std::string& text, std::size_t at) {
    text[at] = text[at] == 'A' ? 'B' : 'A';
}

// Where column c of a record line starts (0 is R).
std::size_t ColumnStart(const std::string& line, int column) {
    std::size_t at = line[0] == '~' ? 1 : 0;
    for (int c = 0; c < column; ++c)
        at = line.find(';', at) + 1;
    return at;
}

std::string Column(const std::string& line, int column) {
    const std::size_t start = ColumnStart(line, column);
    return line.substr(start, line.find(';', start) - start);
}

void ReplaceColumn(std::string& line, int column, const std::string& text) {
    const std::size_t start = ColumnStart(line, column);
    const std::size_t end = line.find(';', start);
    line.replace(start, (end == std::string::npos ? line.size() : end) - start, text);
}

std::vector<std::string> Tokens(const std::string& header) {
    std::vector<std::string> tokens;
    std::size_t start = 0;
    for (std::size_t space; (space = header.find(' ', start)) != std::string::npos;
         start = space + 1)
        tokens.push_back(header.substr(start, space - start));
    tokens.push_back(header.substr(start));
    return tokens;
}

void EditToken(std::string& header, std::size_t token,
               const std::function<void(std::string&)>& edit) {
    std::vector<std::string> tokens = Tokens(header);
    edit(tokens[token]);
    header.clear();
    for (const std::string& text : tokens)
        header += (header.empty() ? "" : " ") + text;
}

// SUM made again over the tokens before it, as anyone can.
void RedoSum(std::string& header) {
    const std::string sealed = header.substr(0, header.rfind(' '));
    unsigned char sum[16];
    crypto_generichash(sum, sizeof sum, reinterpret_cast<const unsigned char*>(sealed.data()),
                       sealed.size(), nullptr, 0);
    header = sealed + " " + Base64UrlEncode(std::string(reinterpret_cast<char*>(sum), 16));
}

enum class TOutcome {
    Opens,
    DamagedBeforeDerivation, // refused from the first line alone
    DamagedAfterCheck,       // the key derived, CHECK not matching a changed first line
    WrongPassword, // SUM made again: a changed ID or SALT then looks like another password
};

struct TTamper {
    const char* What;
    std::function<void(TLines& lines, std::string& bytes, const TLines& other)> Change;
    TOutcome Outcome;
    bool SealIntact = false;
    std::set<int> DamagedAtOpen = {};
    std::set<int> FailWhenShown = {};
    std::optional<std::uint32_t> Declared = 5;
    std::size_t Lines = 5;
};

class Kvf2Tamper : public testing::Test {
protected:
    void SetUp() override {
        const TKvf2Session session = MakeSession(Password);
        FLines = EncodeAccounts(session, {SampleAccounts.begin(), SampleAccounts.begin() + 4});
        FLines.push_back(
            TKvf2Codec(session.Keys(), session.Header().Id).EncodeKept("older;line;kept"));
        WriteKvf2File(FPath, session, FLines);
        FBytes = ReadBytes(FPath);

        // The same password and accounts in a file of its own ID.
        const TKvf2Session other = MakeSession(Password);
        const std::string otherPath = FFolder.File("other.kvf");
        WriteKvf2File(otherPath, other, EncodeAccounts(other, SampleAccounts));
        FOther = SplitFile(ReadBytes(otherPath));
    }

    TTempFolder FFolder;
    std::string FPath = FFolder.File("vault.kvf");
    std::vector<std::string> FLines; // record lines
    std::string FBytes;
    TLines FOther;
};

TEST_F(Kvf2Tamper, EveryChangeIsToldAsTheFormatSaysAndTheNextSaveLosesNothing) {
    // File line 0 is the first line; record line i is file line i + 1.
    const TTamper cases[] = {
        {"nothing changed", [](TLines&, std::string&, const TLines&) {}, TOutcome::Opens, true},
        {"a byte of R",
         [](TLines& l, std::string&, const TLines&) { Flip(l[1], 3); },
         TOutcome::Opens,
         false,
         {0}},
        {"a byte of NAME",
         [](TLines& l, std::string&, const TLines&) { Flip(l[2], ColumnStart(l[2], 1) + 5); },
         TOutcome::Opens,
         false,
         {1}},
        {"a byte of BODY",
         [](TLines& l, std::string&, const TLines&) { Flip(l[3], ColumnStart(l[3], 2) + 5); },
         TOutcome::Opens,
         false,
         {},
         {2}},
        {"a byte of KEPT",
         [](TLines& l, std::string&, const TLines&) { Flip(l[5], ColumnStart(l[5], 1) + 5); },
         TOutcome::Opens,
         false,
         {4}},
        {"NAME columns swapped between two lines",
         [](TLines& l, std::string&, const TLines&) {
             const std::string first = Column(l[1], 1);
             ReplaceColumn(l[1], 1, Column(l[2], 1));
             ReplaceColumn(l[2], 1, first);
         },
         TOutcome::Opens,
         false,
         {0, 1}},
        {"BODY columns swapped between two lines",
         [](TLines& l, std::string&, const TLines&) {
             const std::string first = Column(l[3], 2);
             ReplaceColumn(l[3], 2, Column(l[4], 2));
             ReplaceColumn(l[4], 2, first);
         },
         TOutcome::Opens,
         false,
         {},
         {2, 3}},
        {"NAME and BODY swapped within a line",
         [](TLines& l, std::string&, const TLines&) {
             const std::string name = Column(l[1], 1);
             ReplaceColumn(l[1], 1, Column(l[1], 2));
             ReplaceColumn(l[1], 2, name);
         },
         TOutcome::Opens,
         false,
         {0}},
        {"a line of another file (another ID) in place of one",
         [](TLines& l, std::string&, const TLines& other) { l[2] = other[2]; },
         TOutcome::Opens,
         false,
         {1}},
        {"a line of another file added",
         [](TLines& l, std::string&, const TLines& other) { l.push_back(other[1]); },
         TOutcome::Opens,
         false,
         {5},
         {},
         5,
         6},
        {"two lines reordered",
         [](TLines& l, std::string&, const TLines&) { std::swap(l[1], l[2]); }, TOutcome::Opens},
        {"a line dropped",
         [](TLines& l, std::string&, const TLines&) { l.erase(l.begin() + 3); },
         TOutcome::Opens,
         false,
         {},
         {},
         5,
         4},
        {"a line repeated",
         [](TLines& l, std::string&, const TLines&) { l.insert(l.begin() + 4, l[4]); },
         TOutcome::Opens,
         false,
         {},
         {},
         5,
         6},
        {"the file cut within its last line",
         [](TLines&, std::string& bytes, const TLines&) { bytes.resize(bytes.size() - 20); },
         TOutcome::Opens,
         false,
         {4}},
        {"the file cut after a whole line",
         [](TLines& l, std::string&, const TLines&) { l.pop_back(); },
         TOutcome::Opens,
         false,
         {},
         {},
         5,
         4},
        {"the file cut within its first line",
         [](TLines&, std::string& bytes, const TLines&) { bytes.resize(100); },
         TOutcome::DamagedBeforeDerivation},
        {"T edited",
         [](TLines& l, std::string&, const TLines&) {
             EditToken(l[0], 2, [](std::string& t) { t = "2"; });
         },
         TOutcome::DamagedAfterCheck},
        {"M edited",
         [](TLines& l, std::string&, const TLines&) {
             EditToken(l[0], 3, [](std::string& t) { t = "9216"; });
         },
         TOutcome::DamagedAfterCheck},
        {"M edited off its rule",
         [](TLines& l, std::string&, const TLines&) {
             EditToken(l[0], 3, [](std::string& t) { t = "8193"; });
         },
         TOutcome::DamagedBeforeDerivation},
        {"SALT edited",
         [](TLines& l, std::string&, const TLines&) {
             EditToken(l[0], 4, [](std::string& t) { Flip(t, 3); });
         },
         TOutcome::DamagedAfterCheck},
        {"ID edited",
         [](TLines& l, std::string&, const TLines&) {
             EditToken(l[0], 5, [](std::string& t) { Flip(t, 3); });
         },
         TOutcome::DamagedAfterCheck},
        {"ID edited with its SUM made again",
         [](TLines& l, std::string&, const TLines&) {
             EditToken(l[0], 5, [](std::string& t) { Flip(t, 3); });
             RedoSum(l[0]);
         },
         TOutcome::WrongPassword},
        {"CHECK edited",
         [](TLines& l, std::string&, const TLines&) {
             EditToken(l[0], 6, [](std::string& t) { Flip(t, 3); });
         },
         TOutcome::DamagedAfterCheck},
        {"N edited",
         [](TLines& l, std::string&, const TLines&) {
             EditToken(l[0], 7, [](std::string& t) { t = "4"; });
         },
         TOutcome::Opens,
         false,
         {},
         {},
         4},
        {"N edited with its SUM made again",
         [](TLines& l, std::string&, const TLines&) {
             EditToken(l[0], 7, [](std::string& t) { t = "4"; });
             RedoSum(l[0]);
         },
         TOutcome::Opens,
         false,
         {},
         {},
         4},
        {"N edited off its rule",
         [](TLines& l, std::string&, const TLines&) {
             EditToken(l[0], 7, [](std::string& t) { t = "05"; });
         },
         TOutcome::Opens,
         false,
         {},
         {},
         std::nullopt},
        {"SEAL edited",
         [](TLines& l, std::string&, const TLines&) {
             EditToken(l[0], 8, [](std::string& t) { Flip(t, 3); });
             RedoSum(l[0]);
         },
         TOutcome::Opens},
        {"a wrong SUM",
         [](TLines& l, std::string&, const TLines&) {
             EditToken(l[0], 9, [](std::string& t) { Flip(t, 3); });
         },
         TOutcome::Opens},
        {"a character of SUM that is not canonical",
         [](TLines& l, std::string&, const TLines&) {
             EditToken(l[0], 9, [](std::string& t) { t.back() = 'B'; });
         },
         TOutcome::Opens},
        {"a character of SALT that is not canonical",
         [](TLines& l, std::string&, const TLines&) {
             EditToken(l[0], 4, [](std::string& t) { t.back() = 'B'; });
         },
         TOutcome::DamagedBeforeDerivation},
        {"a character of NAME that is not canonical",
         [](TLines& l, std::string&, const TLines&) {
             const std::string name = Column(l[1], 1);
             ReplaceColumn(l[1], 1, name.substr(0, name.size() - 1) + "B");
         },
         TOutcome::Opens,
         false,
         {0}},
        {"a character of BODY outside the alphabet",
         [](TLines& l, std::string&, const TLines&) { l[2][ColumnStart(l[2], 2) + 2] = '+'; },
         TOutcome::Opens,
         false,
         {1}},
    };
    std::string before = FBytes;
    for (const TTamper& c : cases) {
        SCOPED_TRACE(c.What);
        TLines lines = SplitFile(FBytes);
        std::string bytes = FBytes; // changed whole only by a cut; else made of the lines
        c.Change(lines, bytes, FOther);
        if (bytes == FBytes)
            bytes = Joined(lines);
        WriteBytes(FPath, bytes);

        if (c.Outcome == TOutcome::DamagedBeforeDerivation) {
            EXPECT_EQ(ReadKvf2FirstLineOf(FPath).Kind, TFirstLineKind::DamagedHeader);
            try {
                OpenKvf2File(FPath, Password);
                ADD_FAILURE() << "opened";
            } catch (const EKvf2Refusal& refusal) {
                EXPECT_EQ(refusal.Message(), Kvf2DamagedHeaderMessage());
            }
            EXPECT_EQ(ReadBytes(FPath), bytes);
            continue;
        }
        TKvf2OpenedFile file = OpenKvf2File(FPath, Password);
        if (c.Outcome != TOutcome::Opens) {
            const bool damaged = c.Outcome == TOutcome::DamagedAfterCheck;
            EXPECT_EQ(file.Header.Kind, TFirstLineKind::Format2);
            EXPECT_EQ(file.Header.TailIntact, !damaged);
            EXPECT_EQ(file.Result,
                      damaged ? TKvf2OpenResult::DamagedHeader : TKvf2OpenResult::WrongPassword);
            EXPECT_TRUE(file.Session.Empty());
            EXPECT_EQ(ReadBytes(FPath), bytes);
            continue;
        }
        ASSERT_EQ(file.Result, TKvf2OpenResult::Opened);
        EXPECT_EQ(file.Seal.Intact, c.SealIntact);
        EXPECT_EQ(file.Seal.DeclaredLines, c.Declared);
        EXPECT_EQ(file.Seal.Lines, c.Lines);
        if (!c.SealIntact) {
            const std::string message = Kvf2BrokenSealMessage(file.Seal);
            EXPECT_NE(message.find("the file has " + std::to_string(c.Lines)), std::string::npos)
                << message;
            if (c.Declared) {
                EXPECT_NE(message.find("counts " + std::to_string(*c.Declared)), std::string::npos)
                    << message;
            }
        }
        EXPECT_EQ(std::set<int>(file.Scan.Damaged.begin(), file.Scan.Damaged.end()),
                  c.DamagedAtOpen);
        std::set<int> failed;
        for (const TAccountEntry& entry : file.Scan.Accounts) {
            const auto record = file.Session.DecodeAccount(file.Text.Lines[entry.Line]);
            if (!record) {
                failed.insert(entry.Line);
                continue;
            }
            // Whatever shows is one of the accounts written, whole.
            EXPECT_NE(std::find(SampleAccounts.begin(), SampleAccounts.end(), *record),
                      SampleAccounts.end());
        }
        EXPECT_EQ(failed, c.FailWhenShown);

        // The next save writes every line as read, under a new seal.
        WriteKvf2File(FPath, file.Session, file.Text.Lines);
        const TKvf2OpenedFile saved = OpenKvf2File(FPath, Password);
        ASSERT_EQ(saved.Result, TKvf2OpenResult::Opened);
        EXPECT_TRUE(saved.Seal.Intact);
        EXPECT_EQ(saved.Text.Lines, file.Text.Lines);
        EXPECT_EQ(saved.Scan.Damaged, file.Scan.Damaged);
        EXPECT_EQ(AccountsOf(saved), AccountsOf(file));
        EXPECT_EQ(saved.Header.Header.Id, file.Header.Header.Id);
        EXPECT_EQ(saved.Header.Header.Salt, file.Header.Header.Salt);
    }
    EXPECT_EQ(before, FBytes);
}

TEST_F(Kvf2Tamper, AWrongPasswordIsNotADamagedFile) {
    const TKvf2OpenedFile file = OpenKvf2File(FPath, "correct horse");
    EXPECT_EQ(file.Result, TKvf2OpenResult::WrongPassword);
    EXPECT_TRUE(file.Session.Empty());
    EXPECT_EQ(ReadBytes(FPath), FBytes);
}

} // namespace
