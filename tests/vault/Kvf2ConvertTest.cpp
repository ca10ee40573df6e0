// Both ways between the formats, saves that change nothing, locking, and password changes.

#include "vault/Kvf2Convert.h"
#include "Kvf2TestSupport.h"
#include "base/TwoCores.h"
#include "cipher/Blowfish.h"
#include "cipher/TextForm.h"
#include "vault/DataFile.h"
#include "vault/Kvf2File.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

const std::string Password = "Correct Horse";

class Kvf2Convert : public testing::Test {
protected:
    // An older-format file as the program writes it, with a line that is no record at all and
    // one enciphered under another password among the accounts.
    void WriteOlderFile() {
        TRecordCipher codec(FCipher, Password);
        for (const TPassRecord& record : SampleAccounts)
            FOlderLines.push_back(codec.Encode(record));
        FOlderLines.insert(FOlderLines.begin() + 1, "not;a;record;line!");
        FOlderLines.insert(FOlderLines.begin() + 3,
                           EncodeRecord(FCipher, {"Other", "x", "y", "z;"}, "another password"));
        WriteDataFile(FCipher, FOlderPath, Password, FOlderLines);
        FOlderBytes = ReadBytes(FOlderPath);
    }

    // The older lines converted where they stand, as the vault converts them.
    std::vector<std::string> Upgraded(std::vector<std::string> lines, const TKvf2Session& session,
                                      std::vector<int>* kept = nullptr) {
        TKvf2Upgrade upgrade(lines, Password, session);
        upgrade.Run();
        if (kept)
            *kept = upgrade.Kept();
        return lines;
    }

    TTempFolder FFolder;
    std::string FOlderPath = FFolder.File("older.kvf");
    std::string FPath = FFolder.File("hardened.kvf");
    std::vector<std::string> FOlderLines;
    std::string FOlderBytes;
    TBlowfish FCipher;
};

TEST_F(Kvf2Convert, OlderToHardenedAndBackGivesTheSameBytesDamagedLinesIncluded) {
    WriteOlderFile();
    const TKvf2Session session = MakeSession(Password);
    std::vector<int> kept;
    const std::vector<std::string> lines = Upgraded(ReadDataFile(FOlderPath), session, &kept);
    EXPECT_EQ(kept, (std::vector<int>{1, 3}));
    ASSERT_EQ(lines.size(), FOlderLines.size());
    WriteKvf2File(FPath, session, lines);

    const TKvf2OpenedFile file = OpenKvf2File(FPath, Password);
    ASSERT_EQ(file.Result, TKvf2OpenResult::Opened);
    EXPECT_TRUE(file.Seal.Intact);
    EXPECT_EQ(file.Scan.Kept, (std::vector<int>{1, 3}));
    EXPECT_TRUE(file.Scan.Damaged.empty());
    EXPECT_EQ(AccountsOf(file), SampleAccounts); // line i stays line i

    const TKvf1Copy copy = DowngradeLines(file.Session, file.Text.Lines, Password, false);
    EXPECT_FALSE(copy.Refused);
    EXPECT_EQ(copy.Lines, FOlderLines);
    const std::string back = FFolder.File("back.kvf");
    WriteDataFile(FCipher, back, Password, copy.Lines);
    EXPECT_EQ(ReadBytes(back), FOlderBytes);
}

TEST_F(Kvf2Convert, TheCheckOfEachNewLineCatchesALineThatDiffers) {
    WriteOlderFile();
    const TKvf2Session session = MakeSession(Password);
    const std::vector<std::string> lines = Upgraded(FOlderLines, session);
    TKvf2Codec codec(session.Keys(), session.Header().Id);
    TRecordCipher older(FCipher, Password);
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(UpgradedLineMatches(older, codec, FOlderLines[i], lines[i])) << i;
    const struct {
        const char* What;
        std::size_t Line;
        std::string Written;
    } cases[] = {
        {"an account's field", 0, session.EncodeAccount({"Bank", "jdoe", "pw", "x;"})},
        {"an account in place of a kept line", 1, lines[0]},
        {"a kept line of other bytes", 3, codec.EncodeKept("not;a;record;line!")},
        {"another account's line", 2, lines[0]},
        {"a damaged line", 0, "damaged"},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(UpgradedLineMatches(older, codec, FOlderLines[c.Line], c.Written)) << c.What;
}

// Every line turned back as it was, also one that the program would have written otherwise and
// so is kept aside, in a vault large enough to take both cores.
TEST_F(Kvf2Convert, GiveBackTurnsEveryLineBackByteForByte) {
    WriteOlderFile();
    std::string variant = FOlderLines[0];
    const std::size_t last = variant.find(';') - 1;
    TRecordCipher older(FCipher, Password);
    for (char ch : TextFormTable) {
        variant[last] = ch;
        if (ch != FOlderLines[0][last] && older.Decode(variant) == SampleAccounts[0] &&
            older.LastDecodeWhole())
            break;
    }
    ASSERT_NE(variant, FOlderLines[0]);
    std::vector<std::string> original;
    while (original.size() < 2 * TwoCoreItems) {
        original.insert(original.end(), FOlderLines.begin(), FOlderLines.end());
        original.push_back(variant);
    }
    const TKvf2Session session = MakeSession(Password);
    std::vector<std::string> lines = original;
    TKvf2Upgrade upgrade(lines, Password, session);
    upgrade.Run();
    EXPECT_EQ(session.DecodeAccount(lines.back()), SampleAccounts[0]);
    upgrade.GiveBack();
    EXPECT_TRUE(lines == original);
}

TEST_F(Kvf2Convert, AnUpgradeUnderANewPasswordGoesBackUnderTheNewOne) {
    WriteOlderFile();
    const std::string fresh = "new password";
    const TKvf2Session session = MakeSession(fresh);
    WriteKvf2File(FPath, session, Upgraded(FOlderLines, session));
    EXPECT_EQ(OpenKvf2File(FPath, Password).Result, TKvf2OpenResult::WrongPassword);
    const TKvf2OpenedFile file = OpenKvf2File(FPath, fresh);
    ASSERT_EQ(file.Result, TKvf2OpenResult::Opened);
    EXPECT_EQ(AccountsOf(file), SampleAccounts);

    const TKvf1Copy copy = DowngradeLines(file.Session, file.Text.Lines, fresh, false);
    ASSERT_FALSE(copy.Refused);
    TRecordCipher codec(FCipher, fresh);
    for (std::size_t i = 0; i < copy.Lines.size(); ++i) {
        SCOPED_TRACE(i);
        if (i == 1 || i == 3) {
            EXPECT_EQ(copy.Lines[i], FOlderLines[i]); // kept as they were
            continue;
        }
        EXPECT_EQ(codec.Decode(copy.Lines[i]), SampleAccounts[i < 3 ? i - (i > 1) : i - 2]);
    }
}

TEST_F(Kvf2Convert, ADowngradeWaitsForLeaveToDropDamagedLines) {
    const TKvf2Session session = MakeSession(Password);
    std::vector<std::string> lines = EncodeAccounts(session, SampleAccounts);
    lines[1] = "damaged";
    lines[3].back() = lines[3].back() == 'A' ? 'B' : 'A'; // BODY fails: seen only on decoding
    const TKvf1Copy refused = DowngradeLines(session, lines, Password, false);
    EXPECT_TRUE(refused.Refused);
    EXPECT_TRUE(refused.Lines.empty());
    EXPECT_EQ(refused.Damaged, (std::vector<int>{1, 3}));

    const TKvf1Copy dropped = DowngradeLines(session, lines, Password, true);
    EXPECT_FALSE(dropped.Refused);
    EXPECT_EQ(dropped.Damaged, (std::vector<int>{1, 3}));
    TRecordCipher codec(FCipher, Password);
    ASSERT_EQ(dropped.Lines.size(), 3u);
    EXPECT_EQ(codec.Decode(dropped.Lines[0]), SampleAccounts[0]);
    EXPECT_EQ(codec.Decode(dropped.Lines[1]), SampleAccounts[2]);
    EXPECT_EQ(codec.Decode(dropped.Lines[2]), SampleAccounts[4]);

    EXPECT_THROW(DowngradeLines(session, lines, std::string(49, 'x'), true), EKeyError);
}

TEST_F(Kvf2Convert, ASaveWithNoChangeWritesTheSameBytesAlsoWhileLocked) {
    TKvf2Session session = MakeSession(Password);
    std::vector<std::string> lines = EncodeAccounts(session, SampleAccounts);
    WriteKvf2File(FPath, session, lines);
    const std::string written = ReadBytes(FPath);

    TKvf2OpenedFile file = OpenKvf2File(FPath, Password);
    ASSERT_EQ(file.Result, TKvf2OpenResult::Opened);
    WriteKvf2File(FPath, file.Session, file.Text.Lines);
    EXPECT_EQ(ReadBytes(FPath), written);

    file.Session.Lock(file.Text.Lines);
    EXPECT_TRUE(file.Session.Locked());
    EXPECT_THROW(file.Session.DecodeAccount(file.Text.Lines[0]), std::logic_error);
    WriteKvf2File(FPath, file.Session, file.Text.Lines);
    EXPECT_EQ(ReadBytes(FPath), written);

    EXPECT_FALSE(file.Session.Unlock(DeriveKvf2Keys("wrong", SmallParams, file.Session.Salt())));
    EXPECT_TRUE(file.Session.Locked());
    EXPECT_TRUE(file.Session.Unlock(
        DeriveKvf2Keys(Password, file.Session.KeyParams(), file.Session.Salt())));
    EXPECT_EQ(file.Session.DecodeAccount(file.Text.Lines[3]), SampleAccounts[3]);

    // An edit gives its line a new R; the others are written as they were.
    std::vector<std::string> edited = file.Text.Lines;
    edited[2] = file.Session.EncodeAccount({"", "login", "", ""});
    WriteKvf2File(FPath, file.Session, edited);
    const TKvf2OpenedFile reread = OpenKvf2File(FPath, Password);
    EXPECT_TRUE(reread.Seal.Intact);
    EXPECT_EQ(reread.Text.Lines, edited);
    EXPECT_EQ(reread.Header.Header.Salt, file.Header.Header.Salt);
    EXPECT_EQ(reread.Header.Header.Id, file.Header.Header.Id);
    EXPECT_EQ(reread.Header.Header.Check, file.Header.Header.Check);
}

TEST(Kvf2PasswordChange, NeverLowersTheParameters) {
    const struct {
        TKvf2Params Current, Asked, Floor, Result;
    } cases[] = {
        {{1, 8192}, {}, Kvf2DefaultParams, Kvf2DefaultParams},
        {{5, 8192}, {}, Kvf2DefaultParams, {5, 524288}},
        {{1, 1048576}, {}, Kvf2DefaultParams, {3, 1048576}},
        {{4, 786432}, {3, 524288}, Kvf2DefaultParams, {4, 786432}},
        {{3, 524288}, {6, 655360}, Kvf2DefaultParams, {6, 655360}},
        {{2, 16384}, {1, 8192}, SmallParams, {2, 16384}},
        {{1, 8192}, {1, 9216}, SmallParams, {1, 9216}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.Current.Passes) + " " + std::to_string(c.Current.MemoryKiB));
        EXPECT_EQ(PasswordChangeParams(c.Current, c.Asked, c.Floor), c.Result);
    }
    EXPECT_EQ(PasswordChangeParams({1, 8192}), Kvf2DefaultParams);
}

TEST(Kvf2PasswordChange, KeepsIdMakesANewSaltAndEnciphersEveryReadableLineAnew) {
    TTempFolder folder;
    const std::string path = folder.File("vault.kvf");
    const TKvf2Session old = MakeSession(Password, {2, 16384});
    std::vector<std::string> lines = EncodeAccounts(old, SampleAccounts);
    lines.insert(lines.begin() + 2,
                 TKvf2Codec(old.Keys(), old.Header().Id).EncodeKept("kept;older;line"));
    lines.insert(lines.begin() + 4, "damaged line");
    std::string failingBody = old.EncodeAccount({"body fails", "l", "p", ""});
    failingBody[failingBody.size() - 3] = failingBody[failingBody.size() - 3] == 'A' ? 'B' : 'A';
    lines.push_back(failingBody);
    WriteKvf2File(path, old, lines);

    const std::string fresh = "a new one";
    const TKvf2Params params = PasswordChangeParams(old.KeyParams(), SmallParams, SmallParams);
    EXPECT_EQ(params, (TKvf2Params{2, 16384}));
    TKvf2Header header = TKvf2Session::NewHeader(params, old.Header().Id);
    TKvf2Keys keys = DeriveKvf2Keys(fresh, params, header.Salt);
    const TKvf2Session changed = TKvf2Session::Made(header, std::move(keys));
    const std::vector<std::string> anew = ReencipherLines(old, changed, lines);
    ASSERT_EQ(anew.size(), lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(i);
        if (i == 4 || i == 7)
            EXPECT_EQ(anew[i], lines[i]);
        else
            EXPECT_NE(anew[i].substr(0, 23), lines[i].substr(0, 23)); // a new R
    }
    WriteKvf2File(path, changed, anew);

    EXPECT_EQ(OpenKvf2File(path, Password).Result, TKvf2OpenResult::WrongPassword);
    const TKvf2OpenedFile file = OpenKvf2File(path, fresh);
    ASSERT_EQ(file.Result, TKvf2OpenResult::Opened);
    EXPECT_TRUE(file.Seal.Intact);
    EXPECT_EQ(file.Header.Header.Id, old.Header().Id);
    EXPECT_NE(file.Header.Header.Salt, old.Header().Salt);
    EXPECT_EQ(file.Session.KeyParams(), (TKvf2Params{2, 16384}));
    EXPECT_EQ(AccountsOf(file), SampleAccounts);
    EXPECT_EQ(file.Scan.Kept, (std::vector<int>{2}));
    EXPECT_EQ(file.Scan.Damaged, (std::vector<int>{4, 7})); // a line that failed stays so
    EXPECT_EQ(
        TKvf2Codec(file.Session.Keys(), file.Session.Header().Id).DecodeKept(file.Text.Lines[2]),
        "kept;older;line");
}

} // namespace

namespace {

// Past the size where a second core joins in, every line keeps its index and its place.
TEST(Kvf2LargeVault, IsReadAndEncipheredAnewInFileOrderOnTwoCores) {
    const TKvf2Session session = MakeSession(Password);
    TKvf2Codec codec(session.Keys(), session.Header().Id);
    std::vector<std::string> lines;
    std::vector<int> kept, damaged;
    for (int i = 0; i < 6000; ++i) {
        if (i % 997 == 5) {
            kept.push_back(i);
            lines.push_back(codec.EncodeKept("older " + std::to_string(i)));
        } else if (i % 1499 == 7 || i == 5999) {
            damaged.push_back(i);
            lines.push_back("damaged " + std::to_string(i));
        } else {
            lines.push_back(codec.EncodeAccount({std::to_string(i), "l", "p", "n;"}));
        }
    }
    TKvf2HeaderRead read = ReadKvf2FirstLine(session.HeaderLine(lines));
    TKvf2SealVerdict verdict;
    const TKvf2Scan both = session.ScanAndVerifySeal(read, lines, verdict);
    const TKvf2Scan scan = session.Scan(lines);
    EXPECT_TRUE(verdict.Intact);
    for (const TKvf2Scan* s : {&both, &scan}) {
        EXPECT_EQ(s->Kept, kept);
        EXPECT_EQ(s->Damaged, damaged);
        ASSERT_EQ(s->Accounts.size(), lines.size() - kept.size() - damaged.size());
        for (const TAccountEntry& entry : s->Accounts)
            ASSERT_EQ(entry.Name, std::to_string(entry.Line));
        EXPECT_TRUE(std::is_sorted(s->Accounts.begin(), s->Accounts.end(),
                                   [](const auto& a, const auto& b) { return a.Line < b.Line; }));
    }
    std::swap(lines[10], lines[11]);
    session.ScanAndVerifySeal(read, lines, verdict);
    EXPECT_FALSE(verdict.Intact);

    const TKvf2Session changed = MakeSession("other");
    const std::vector<std::string> anew = ReencipherLines(session, changed, lines);
    const TKvf2Scan after = changed.Scan(anew);
    EXPECT_EQ(after.Kept, kept);
    EXPECT_EQ(after.Damaged, damaged);
    for (const int line : damaged)
        EXPECT_EQ(anew[static_cast<std::size_t>(line)], lines[static_cast<std::size_t>(line)]);
    for (const TAccountEntry& entry : after.Accounts)
        ASSERT_EQ(changed.DecodeAccount(anew[static_cast<std::size_t>(entry.Line)]),
                  session.DecodeAccount(lines[static_cast<std::size_t>(entry.Line)]));
}

} // namespace
