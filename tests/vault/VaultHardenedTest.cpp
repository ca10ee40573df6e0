// The open vault on a hardened file, as the window and kestovar-cli use it: the shared vectors,
// edits that keep the file's order, saves that change nothing, the lock, password changes, both
// conversions, a broken seal, and tampering that never costs an account on the next save.

#include "Kvf2TestSupport.h"
#include "platform/Codepage.h"
#include "vault/DataFile.h"
#include "vault/HealthReport.h"
#include "vault/RecoveryFile.h"
#include "vault/Vault.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <thread>

namespace {

const std::string Password = "Correct Horse";
const std::string VectorFolder = std::string(KESTOVAR_TEST_DATA_DIR) + "/kvf2/";

using TLines = std::vector<std::string>; // a file's lines, the first line included

TLines SplitFile(const std::string& bytes) {
    TLines lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    return lines;
}

std::string Joined(const TLines& lines) {
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    return bytes;
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

// Every account of the vault, in the selector's order, read whole by showing it. A row whose line
// fails then goes, and the next one takes its place.
std::vector<TPassRecord> ShownAccounts(TVault& vault) {
    std::vector<TPassRecord> accounts;
    for (int row = 0; row < vault.AccountCount();) {
        vault.Select(row);
        if (vault.CurrentRow() == row) {
            accounts.push_back(vault.Current());
            ++row;
        }
    }
    return accounts;
}

std::vector<TPassRecord> Sorted(std::vector<TPassRecord> records) {
    std::sort(records.begin(), records.end(),
              [](const TPassRecord& a, const TPassRecord& b) { return a.Account < b.Account; });
    return records;
}

// What a vault tells its views, in order, for the announcements these tests look at.
class TRecorder : public TVaultObserver {
public:
    std::vector<std::string> Heard;
    void RowsAboutToBeRemoved(int first, int) override {
        Heard.push_back("remove " + std::to_string(first));
    }
    void FormatChanged() override { Heard.push_back("format"); }
};

class VaultHardened : public testing::Test {
protected:
    // A hardened file of the sample accounts, written through the vault in that order.
    void WriteSample() {
        TVault vault;
        vault.CreateHardened(Path, Password, SmallParams);
        for (const TPassRecord& record : SampleAccounts)
            ASSERT_TRUE(vault.Add(record));
        vault.Save();
    }
    std::string Bytes() const { return ReadBytes(Path); }

    TTempFolder Folder;
    const std::string Path = Folder.File("hardened.kvf");
};

TEST(VaultHardenedVectors, TheSharedFilesOpenWithTheirAccountsAndSaveUnchangedToTheSameBytes) {
    QFile json(QString::fromStdString(VectorFolder + "expected.json"));
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    const QJsonObject expected = QJsonDocument::fromJson(json.readAll()).object();
    const std::string password =
        QByteArray::fromHex(expected[u"password_windows1252_hex"].toString().toLatin1())
            .toStdString();
    TTempFolder folder;
    for (const char* name : {"three-accounts.kvf", "empty.kvf", "two-passes-16mib.kvf"}) {
        SCOPED_TRACE(name);
        const QJsonObject file = expected[QLatin1String(name)].toObject();
        std::vector<TPassRecord> accounts;
        for (const QJsonValue& account : file[u"accounts"].toArray()) {
            const QJsonArray fields = account.toArray();
            accounts.push_back(
                {QStringToAnsi(fields[0].toString()), QStringToAnsi(fields[1].toString()),
                 QStringToAnsi(fields[2].toString()), QStringToAnsi(fields[3].toString())});
        }
        const std::string copy = folder.File(name);
        WriteBytes(copy, ReadBytes(VectorFolder + name));

        TVault vault;
        ASSERT_EQ(vault.Open(copy, password), TOpenResult::Opened);
        EXPECT_EQ(vault.Format(), TDataFormat::Hardened);
        EXPECT_FALSE(vault.SealBroken());
        EXPECT_TRUE(vault.DamagedLines().empty());
        EXPECT_EQ(Sorted(ShownAccounts(vault)), Sorted(accounts));
        // The kept line counts as a line and is no account.
        EXPECT_EQ(vault.LineCount(),
                  static_cast<int>(accounts.size() + file[u"kept_lines_hex"].toArray().size()));
        vault.Save();
        EXPECT_EQ(ReadBytes(copy), ReadBytes(VectorFolder + name));
        vault.Close();
        EXPECT_EQ(vault.Open(copy, password + "x"), TOpenResult::WrongPassword);
    }
}

TEST_F(VaultHardened, AddAppendsEditsStayInPlaceAndADeleteTakesOnlyItsLine) {
    TVault vault;
    vault.CreateHardened(Path, Password, SmallParams);
    EXPECT_EQ(vault.Format(), TDataFormat::Hardened);
    EXPECT_EQ(SplitFile(Bytes()).size(), 1u);
    for (const char* name : {"mail", "Bank", "zoo", "apple"})
        ASSERT_TRUE(vault.Add(std::string(name)));
    EXPECT_FALSE(vault.Add(std::string("Bank"))) << "a name in the vault already";
    vault.Save();
    const TLines first = SplitFile(Bytes());
    ASSERT_EQ(first.size(), 5u);

    // The selector sorts the names; the file keeps the order they came in.
    std::vector<std::string> names;
    for (int row = 0; row < vault.AccountCount(); ++row)
        names.push_back(vault.Account(row).Name);
    EXPECT_EQ(names, (std::vector<std::string>{"apple", "Bank", "mail", "zoo"}));
    const std::vector<int> linesOf = {vault.Account(vault.FindAccount("mail")).Line,
                                      vault.Account(vault.FindAccount("Bank")).Line,
                                      vault.Account(vault.FindAccount("zoo")).Line,
                                      vault.Account(vault.FindAccount("apple")).Line};
    EXPECT_EQ(linesOf, (std::vector<int>{0, 1, 2, 3}));

    // An edit gives its own line a new R and leaves every other byte as it was.
    vault.Select(vault.FindAccount("zoo"));
    vault.StoreField(&TPassRecord::Password, "keeper");
    vault.Save();
    const TLines edited = SplitFile(Bytes());
    ASSERT_EQ(edited.size(), 5u);
    for (std::size_t i : {1u, 2u, 4u})
        EXPECT_EQ(edited[i], first[i]) << i;
    EXPECT_NE(edited[3], first[3]);
    EXPECT_NE(edited[3].substr(0, 22), first[3].substr(0, 22)) << "a new R";

    vault.Select(vault.FindAccount("Bank"));
    vault.DeleteCurrent();
    vault.Save();
    const TLines deleted = SplitFile(Bytes());
    EXPECT_EQ(deleted, (TLines{deleted[0], edited[1], edited[3], edited[4]}));

    TVault again;
    ASSERT_EQ(again.Open(Path, Password), TOpenResult::Opened);
    EXPECT_EQ(ShownAccounts(again),
              (std::vector<TPassRecord>{
                  {"apple", "", "", ""}, {"mail", "", "", ""}, {"zoo", "", "keeper", ""}}));
}

TEST_F(VaultHardened, UndoTakesBackEveryStepToTheSavedBytesAndRedoKeepsTheFileOrder) {
    WriteSample();
    const std::string written = Bytes();
    TVault vault;
    ASSERT_EQ(vault.Open(Path, Password), TOpenResult::Opened);
    vault.Select(vault.FindAccount("Mail"));
    vault.StoreField(&TPassRecord::Login, "edited");
    ASSERT_TRUE(vault.Add(std::string("Zoo")));
    vault.Select(vault.FindAccount("Bank"));
    vault.DeleteCurrent();
    for (const TUndoKind kind : {TUndoKind::Delete, TUndoKind::Add, TUndoKind::Edit})
        EXPECT_EQ(vault.Undo(), kind);
    EXPECT_FALSE(vault.Modified());
    const TLines lines = SplitFile(written);
    EXPECT_EQ(vault.Records().Lines(), TLines(lines.begin() + 1, lines.end()))
        << "every line back in its place, byte for byte";

    EXPECT_EQ(vault.Redo(), TUndoKind::Edit);
    EXPECT_EQ(vault.Redo(), TUndoKind::Add);
    EXPECT_EQ(vault.Account(vault.FindAccount("Zoo")).Line, static_cast<int>(SampleAccounts.size()))
        << "an Add done again is appended";
    vault.Select(vault.FindAccount("Mail"));
    EXPECT_EQ(vault.Current().Login, "edited");
    EXPECT_EQ(vault.Undo(), TUndoKind::Add);
    EXPECT_EQ(vault.Undo(), TUndoKind::Edit);
    vault.Save();
    EXPECT_EQ(Bytes(), written);
}

TEST_F(VaultHardened, ARecoveryCopyIsAHardenedFileUnderTheSamePassword) {
    WriteSample();
    TVault vault;
    ASSERT_EQ(vault.Open(Path, Password), TOpenResult::Opened);
    ASSERT_TRUE(vault.Add(std::string("Zoo")));
    ASSERT_TRUE(vault.Lock()); // an end that cannot ask may come while locked
    vault.WriteRecoveryCopy();
    TVault recovered;
    ASSERT_EQ(recovered.Open(RecoveryPath(Path), Password), TOpenResult::Opened);
    EXPECT_EQ(recovered.Format(), TDataFormat::Hardened);
    EXPECT_FALSE(recovered.SealBroken());
    EXPECT_EQ(recovered.AccountCount(), static_cast<int>(SampleAccounts.size()) + 1);
    EXPECT_EQ(ReadKvf2FirstLineOf(RecoveryPath(Path)).Header.Id,
              ReadKvf2FirstLineOf(Path).Header.Id);
}

TEST_F(VaultHardened, ASaveThatChangesNothingWritesTheSameBytesAlsoWhileLocked) {
    WriteSample();
    const std::string written = Bytes();
    TVault vault;
    ASSERT_EQ(vault.Open(Path, Password), TOpenResult::Opened);
    EXPECT_EQ(ShownAccounts(vault), Sorted(SampleAccounts));
    vault.Save();
    EXPECT_EQ(Bytes(), written);
    ASSERT_TRUE(vault.Lock());
    vault.Save();
    EXPECT_EQ(Bytes(), written);
    const std::string copy = Folder.File("copy.kvf");
    vault.SaveAs(copy);
    EXPECT_EQ(ReadBytes(copy), written) << "Save as keeps SALT, ID and every line";
}

TEST_F(VaultHardened, ALockWipesTheKeysAndOnlyTheRightPasswordUnlocksInEitherStep) {
    WriteSample();
    TVault vault;
    ASSERT_EQ(vault.Open(Path, Password), TOpenResult::Opened);
    vault.Select(vault.FindAccount("Mail"));
    vault.StoreField(&TPassRecord::Login, "changed");
    EXPECT_FALSE(vault.UnlockHeader()) << "only a locked vault asks for keys";

    ASSERT_TRUE(vault.Lock());
    EXPECT_FALSE(vault.HasMasterPassword());
    EXPECT_EQ(vault.AccountCount(), 0);
    EXPECT_THROW(vault.Reader(), std::logic_error);
    const std::optional<TKvf2Header> header = vault.UnlockHeader();
    ASSERT_TRUE(header);
    EXPECT_EQ(header->Params, SmallParams);

    EXPECT_FALSE(vault.Unlock("Correct horse"));
    EXPECT_FALSE(vault.Unlock(std::string(49, 'p'))) << "no key is derived for it";
    EXPECT_TRUE(vault.Locked());
    // The derivation on a thread of its own, the vault's step on this one.
    std::future<TKvf2Keys> keys = StartKvf2Derivation(Password, header->Params, header->Salt);
    ASSERT_TRUE(vault.Unlock(Password, keys.get()));
    EXPECT_TRUE(vault.Modified());
    EXPECT_EQ(vault.Current().Account, "Mail");
    EXPECT_EQ(vault.Current().Login, "changed");
}

TEST_F(VaultHardened, OpeningInTwoStepsLeavesTheOpenVaultAloneUntilTheLastStep) {
    WriteSample();
    const std::string older = Folder.File("older.kvf");
    TVault vault;
    vault.Create(older, "older");
    ASSERT_TRUE(vault.Add(std::string("kept")));

    TVaultOpening opening = TVault::ReadForOpening(Path);
    ASSERT_EQ(opening.Kind(), TFirstLineKind::Format2);
    EXPECT_EQ(opening.Refusal(), "");
    TKvf2Keys keys;
    std::thread([&] { keys = DeriveKeysFor(Password, opening.KeyHeader()); }).join();
    EXPECT_EQ(vault.Path(), older);
    EXPECT_EQ(vault.AccountCount(), 1);
    ASSERT_EQ(vault.Open(std::move(opening), Password, std::move(keys)), TOpenResult::Opened);
    EXPECT_EQ(vault.Path(), Path);
    EXPECT_EQ(vault.AccountCount(), static_cast<int>(SampleAccounts.size()));
}

TEST_F(VaultHardened, AWrongPasswordADamagedFirstLineAndAnotherVersionAreToldApart) {
    WriteSample();
    const TLines lines = SplitFile(Bytes());
    const auto withHeader = [&](const std::function<void(std::vector<std::string>&)>& edit) {
        std::vector<std::string> tokens = Tokens(lines[0]);
        edit(tokens);
        TLines changed = lines;
        changed[0].clear();
        for (const std::string& token : tokens)
            changed[0] += (changed[0].empty() ? "" : " ") + token;
        WriteBytes(Path, Joined(changed));
    };
    TVault vault;
    EXPECT_EQ(vault.Open(Path, "wrong"), TOpenResult::WrongPassword);

    withHeader([](auto& tokens) { tokens[2] = "11"; }); // T out of its range
    EXPECT_EQ(TVault::ReadForOpening(Path).Kind(), TFirstLineKind::DamagedHeader);
    try {
        vault.Open(Path, Password);
        ADD_FAILURE() << "a damaged first line opened";
    } catch (const EKvf2Refusal& refusal) {
        EXPECT_EQ(refusal.Message(), Kvf2DamagedHeaderMessage());
    }
    EXPECT_TRUE(vault.Path().empty());

    withHeader([](auto& tokens) { tokens[0] = "KVF3"; });
    EXPECT_EQ(TVault::ReadForOpening(Path).Kind(), TFirstLineKind::OtherVersion);
    EXPECT_THROW(vault.Open(Path, Password), EKvf2Refusal);

    // Only SUM changed: the right password opens it with a broken seal, a wrong one finds the
    // first line damaged rather than the password wrong.
    withHeader([](auto& tokens) { tokens[9][3] = tokens[9][3] == 'A' ? 'B' : 'A'; });
    EXPECT_EQ(vault.Open(Path, "wrong"), TOpenResult::DamagedHeader);
    ASSERT_EQ(vault.Open(Path, Password), TOpenResult::Opened);
    EXPECT_TRUE(vault.SealBroken());
    EXPECT_EQ(vault.AccountCount(), static_cast<int>(SampleAccounts.size()));
}

TEST_F(VaultHardened, ABrokenSealIsWrittenAnewOnlyWhenTheUserAgrees) {
    WriteSample();
    TLines lines = SplitFile(Bytes());
    std::swap(lines[1], lines[2]); // reordered outside the program
    const std::string tampered = Joined(lines);
    WriteBytes(Path, tampered);

    TVault vault;
    TRecorder recorder;
    vault.AddObserver(recorder);
    ASSERT_EQ(vault.Open(Path, Password), TOpenResult::Opened);
    ASSERT_TRUE(vault.SealBroken());
    EXPECT_EQ(vault.SealVerdict().Lines, SampleAccounts.size());
    EXPECT_EQ(vault.SealVerdict().DeclaredLines, SampleAccounts.size());
    EXPECT_NE(std::find(recorder.Heard.begin(), recorder.Heard.end(), "format"),
              recorder.Heard.end());
    EXPECT_EQ(ShownAccounts(vault), Sorted(SampleAccounts)) << "every line passes its own check";

    EXPECT_THROW(vault.Save(), std::logic_error);
    EXPECT_THROW(vault.ChangePassword("new one", [](const auto&) { return true; }),
                 std::logic_error);
    EXPECT_EQ(Bytes(), tampered);
    EXPECT_TRUE(vault.SealBroken());

    vault.AgreeToNewSeal();
    recorder.Heard.clear();
    vault.Save();
    EXPECT_FALSE(vault.SealBroken());
    EXPECT_EQ(recorder.Heard, (std::vector<std::string>{"format"}));
    TVault again;
    ASSERT_EQ(again.Open(Path, Password), TOpenResult::Opened);
    EXPECT_FALSE(again.SealBroken());
    EXPECT_EQ(SplitFile(Bytes()).size(), lines.size());
    vault.RemoveObserver(recorder);
}

// One tampering each; after the next save (agreed to where the seal broke) every account whose
// line passes is still there and every other line is kept byte for byte.
TEST_F(VaultHardened, TamperingNeverCostsAnAccountOnTheNextSave) {
    struct TCase {
        const char* What;
        std::function<void(TLines&)> Edit;
        bool SealBreaks;
        std::size_t DamagedWhenShown; // accounts that fail only when their body is read
    };
    const auto flip = [](std::string& line, std::size_t column) {
        std::size_t at = 0;
        for (std::size_t c = 0; c < column; ++c)
            at = line.find(';', at) + 1;
        line[at + 3] = line[at + 3] == 'A' ? 'B' : 'A';
    };
    const std::vector<TCase> cases = {
        {"a flipped byte in a NAME", [&](TLines& l) { flip(l[1], 1); }, true, 0},
        {"a flipped byte in a BODY", [&](TLines& l) { flip(l[2], 2); }, true, 1},
        {"a flipped byte in R", [&](TLines& l) { flip(l[3], 0); }, true, 0},
        {"two BODY columns swapped",
         [](TLines& l) {
             const std::size_t a = l[1].rfind(';');
             const std::size_t b = l[2].rfind(';');
             const std::string bodyA = l[1].substr(a);
             l[1] = l[1].substr(0, a) + l[2].substr(b);
             l[2] = l[2].substr(0, b) + bodyA;
         },
         true, 2},
        {"a line duplicated", [](TLines& l) { l.push_back(l[1]); }, true, 0},
        {"a line dropped", [](TLines& l) { l.erase(l.begin() + 2); }, true, 0},
        {"a line that is no record", [](TLines& l) { l.push_back("garbage;line"); }, true, 0},
    };
    for (const TCase& tampering : cases) {
        SCOPED_TRACE(tampering.What);
        WriteSample();
        TLines lines = SplitFile(Bytes());
        tampering.Edit(lines);
        WriteBytes(Path, Joined(lines));

        TVault vault;
        ASSERT_EQ(vault.Open(Path, Password), TOpenResult::Opened);
        EXPECT_EQ(vault.SealBroken(), tampering.SealBreaks);
        const int listed = vault.AccountCount();
        const std::vector<TPassRecord> shown = ShownAccounts(vault);
        EXPECT_EQ(shown.size() + tampering.DamagedWhenShown, static_cast<std::size_t>(listed));
        EXPECT_EQ(vault.AccountCount(), static_cast<int>(shown.size()));
        EXPECT_EQ(vault.LineCount() - static_cast<int>(vault.DamagedLines().size()),
                  vault.AccountCount());
        for (const TPassRecord& record : shown)
            EXPECT_NE(std::find(SampleAccounts.begin(), SampleAccounts.end(), record),
                      SampleAccounts.end());

        vault.AgreeToNewSeal();
        vault.Save();
        const TLines saved = SplitFile(Bytes());
        EXPECT_EQ(TLines(saved.begin() + 1, saved.end()), TLines(lines.begin() + 1, lines.end()))
            << "every line written back as it was read";
        TVault again;
        ASSERT_EQ(again.Open(Path, Password), TOpenResult::Opened);
        EXPECT_FALSE(again.SealBroken());
        EXPECT_EQ(ShownAccounts(again), shown);
        EXPECT_EQ(again.DamagedLines(), vault.DamagedLines());
    }
}

TEST_F(VaultHardened, ABodyThatFailsWhenShownIsAnnouncedAsARowThatGoes) {
    WriteSample();
    TLines lines = SplitFile(Bytes());
    const std::size_t body = lines[2].rfind(';') + 3; // "Mail"
    lines[2][body] = lines[2][body] == 'A' ? 'B' : 'A';
    WriteBytes(Path, Joined(lines));
    TVault vault;
    ASSERT_EQ(vault.Open(Path, Password), TOpenResult::Opened);
    TRecorder recorder;
    vault.AddObserver(recorder);
    const int row = vault.FindAccount("Mail");
    ASSERT_GE(row, 0);
    vault.Select(row);
    EXPECT_EQ(recorder.Heard, (std::vector<std::string>{"remove " + std::to_string(row)}));
    EXPECT_EQ(vault.CurrentRow(), -1);
    EXPECT_EQ(vault.FindAccount("Mail"), -1);
    EXPECT_EQ(vault.DamagedLines(), (std::vector<int>{1}));
    EXPECT_THROW(vault.StoreField(&TPassRecord::Login, "x"), std::logic_error);
    vault.RemoveObserver(recorder);
}

TEST_F(VaultHardened, TheHealthReportReadsEveryPassingAccountAndLeavesTheRowsWhereTheyWere) {
    WriteSample();
    TLines lines = SplitFile(Bytes());
    const std::size_t body = lines[1].rfind(';') + 3; // "Bank", whose password is weak
    lines[1][body] = lines[1][body] == 'A' ? 'B' : 'A';
    WriteBytes(Path, Joined(lines));
    TVault vault;
    ASSERT_EQ(vault.Open(Path, Password), TOpenResult::Opened);
    const int rows = vault.AccountCount();
    const THealthReport report = CheckVaultHealth(vault);
    EXPECT_EQ(report.Accounts, rows);
    EXPECT_EQ(vault.AccountCount(), rows);
    std::vector<std::string> empty;
    for (const THealthEntry& entry : report.Empty)
        empty.push_back(entry.Name);
    EXPECT_EQ(empty, (std::vector<std::string>{""})) << "the failing line is not an empty password";
    for (const THealthEntry& entry : report.Weak)
        EXPECT_NE(entry.Name, "Bank");
    EXPECT_EQ(AccountPassword(vault, vault.FindAccount("Mail")), "hunter2");
}

TEST_F(VaultHardened, APasswordChangeKeepsIdMakesANewSaltAndNeverLowersTheCost) {
    WriteSample();
    const std::string before = Bytes();
    const std::vector<std::string> oldTokens = Tokens(SplitFile(before)[0]);
    TVault vault;
    ASSERT_EQ(vault.Open(Path, Password), TOpenResult::Opened);
    vault.Select(vault.FindAccount("Bank"));

    const TKvf2Params floor{2, 16384};
    TNewKeys keys{vault.PasswordChangeHeader(floor), {}};
    EXPECT_EQ(keys.Header.Params, floor);
    EXPECT_EQ(vault.PasswordChangeHeader(SmallParams).Params, SmallParams);
    keys.Keys = DeriveKeysFor("New Horse", keys.Header);
    ASSERT_EQ(vault.ChangePassword(
                  "New Horse", [](const auto&) { return false; }, std::move(keys)),
              TPasswordChange::Changed);
    EXPECT_EQ(ReadBytes(BackupPath(Path)), before);
    EXPECT_EQ(vault.Current().Account, "Bank");
    EXPECT_FALSE(vault.Modified());

    const std::vector<std::string> tokens = Tokens(SplitFile(Bytes())[0]);
    EXPECT_EQ(tokens[2], "2");
    EXPECT_EQ(tokens[3], "16384");
    EXPECT_NE(tokens[4], oldTokens[4]) << "a new SALT";
    EXPECT_EQ(tokens[5], oldTokens[5]) << "the same ID";
    const TLines lines = SplitFile(Bytes());
    const TLines oldLines = SplitFile(before);
    for (std::size_t i = 1; i < lines.size(); ++i)
        EXPECT_NE(lines[i].substr(0, 22), oldLines[i].substr(0, 22)) << "a new R on line " << i;

    TVault again;
    EXPECT_EQ(again.Open(Path, Password), TOpenResult::WrongPassword);
    ASSERT_EQ(again.Open(Path, "New Horse"), TOpenResult::Opened);
    EXPECT_EQ(ShownAccounts(again), Sorted(SampleAccounts));
    EXPECT_TRUE(again.PasswordOpensDataFile("New Horse"));
    EXPECT_FALSE(again.PasswordOpensDataFile(Password));
    EXPECT_TRUE(again.MasterPasswordOpens(Path));
}

TEST_F(VaultHardened, AFailedPasswordChangeLeavesTheVaultUnderTheOldPassword) {
    WriteSample();
    TVault vault;
    ASSERT_EQ(vault.Open(Path, Password), TOpenResult::Opened);
    const std::vector<std::string> lines = vault.Records().Lines();
    // The folder goes away: the backup cannot be made.
    const std::string moved = Folder.Path() + "-away";
    ASSERT_EQ(std::rename(Folder.Path().c_str(), moved.c_str()), 0);
    TNewKeys keys{vault.PasswordChangeHeader(SmallParams), {}};
    keys.Keys = DeriveKeysFor("New Horse", keys.Header);
    EXPECT_EQ(vault.ChangePassword(
                  "New Horse", [](const auto&) { return true; }, std::move(keys)),
              TPasswordChange::NoBackup);
    ASSERT_EQ(std::rename(moved.c_str(), Folder.Path().c_str()), 0);
    EXPECT_EQ(vault.Records().Lines(), lines);
    EXPECT_TRUE(vault.PasswordOpensDataFile(Password));
    vault.Save();
    TVault again;
    EXPECT_EQ(again.Open(Path, Password), TOpenResult::Opened);
}

TEST_F(VaultHardened, UpgradeAndACopyBackGiveTheOlderFileByteForByteDamagedLinesIncluded) {
    TBlowfish cipher;
    std::vector<std::string> older;
    for (const TPassRecord& record : SampleAccounts)
        older.push_back(EncodeRecord(cipher, record, Password));
    older.insert(older.begin() + 2, "not;a;record;line!");
    older.insert(older.begin() + 4, EncodeRecord(cipher, {"Other", "x", "y", "z;"}, "another"));
    WriteDataFile(cipher, Path, Password, older);
    const std::string olderBytes = Bytes();

    TVault vault;
    TRecorder recorder;
    vault.AddObserver(recorder);
    ASSERT_EQ(vault.Open(Path, Password), TOpenResult::Opened);
    EXPECT_EQ(vault.Format(), TDataFormat::Classic);
    EXPECT_THROW(vault.SaveOlderCopy(Folder.File("x.kvf"), true), std::logic_error);
    const std::vector<TPassRecord> accounts = ShownAccounts(vault);
    vault.Select(vault.FindAccount("Bank"));
    recorder.Heard.clear();

    ASSERT_EQ(vault.Upgrade(Password, SmallParams), TUpgradeResult::Upgraded);
    EXPECT_EQ(recorder.Heard, (std::vector<std::string>{"format"}));
    EXPECT_EQ(vault.Format(), TDataFormat::Hardened);
    EXPECT_FALSE(vault.Modified());
    EXPECT_EQ(vault.Current().Account, "Bank");
    EXPECT_EQ(ReadBytes(BackupPath(Path)), olderBytes);
    EXPECT_EQ(ReadKvf2FirstLineOf(Path).Kind, TFirstLineKind::Format2);
    EXPECT_EQ(vault.LineCount(), static_cast<int>(older.size()));
    EXPECT_EQ(ShownAccounts(vault), accounts);
    EXPECT_THROW(vault.Upgrade(Password, SmallParams), std::logic_error);

    TVault reopened;
    ASSERT_EQ(reopened.Open(Path, Password), TOpenResult::Opened);
    EXPECT_EQ(ShownAccounts(reopened), accounts);
    EXPECT_TRUE(reopened.DamagedLines().empty()) << "unreadable older lines are kept lines";

    const std::string copy = Folder.File("back.kvf");
    EXPECT_THROW(reopened.SaveOlderCopy(Path, false), std::invalid_argument);
    const TKvf1Copy back = reopened.SaveOlderCopy(copy, false);
    EXPECT_FALSE(back.Refused);
    EXPECT_EQ(ReadBytes(copy), olderBytes);
    EXPECT_EQ(ReadKvf2FirstLineOf(Path).Kind, TFirstLineKind::Format2) << "never over the file";
    vault.RemoveObserver(recorder);
}

TEST_F(VaultHardened, UpgradeUnderANewPasswordLeavesTheOldOneOnlyInTheBackup) {
    TVault vault;
    vault.Create(Path, Password);
    ASSERT_TRUE(vault.Add(TPassRecord{"mail", "me", "pw", ""}));
    ASSERT_EQ(vault.Upgrade("Brand New", SmallParams), TUpgradeResult::Upgraded);
    EXPECT_TRUE(vault.PasswordOpensDataFile("Brand New"));
    TVault again;
    EXPECT_EQ(again.Open(Path, Password), TOpenResult::WrongPassword);
    ASSERT_EQ(again.Open(Path, "Brand New"), TOpenResult::Opened);
    EXPECT_EQ(ShownAccounts(again), (std::vector<TPassRecord>{{"mail", "me", "pw", ""}}));
    TBlowfish cipher;
    EXPECT_TRUE(CheckPassword(cipher, BackupPath(Path), Password));
}

TEST_F(VaultHardened, ACopyForOlderVersionsIsRefusedWithDamagedLinesUnlessTheyMayGo) {
    WriteSample();
    TLines lines = SplitFile(Bytes());
    lines.insert(lines.begin() + 2, "damaged;line");
    WriteBytes(Path, Joined(lines));
    TVault vault;
    ASSERT_EQ(vault.Open(Path, Password), TOpenResult::Opened);
    EXPECT_EQ(vault.DamagedLines(), (std::vector<int>{1}));
    const std::string copy = Folder.File("older.kvf");
    const TKvf1Copy refused = vault.SaveOlderCopy(copy, false);
    EXPECT_TRUE(refused.Refused);
    EXPECT_EQ(refused.Damaged, (std::vector<int>{1}));
    EXPECT_FALSE(std::filesystem::exists(copy));
    EXPECT_FALSE(vault.SaveOlderCopy(copy, true).Refused);
    TVault older;
    ASSERT_EQ(older.Open(copy, Password), TOpenResult::Opened);
    EXPECT_EQ(older.Format(), TDataFormat::Classic);
    EXPECT_EQ(Sorted(ShownAccounts(older)), Sorted(SampleAccounts));
    EXPECT_TRUE(older.DamagedLines().empty());
}

TEST_F(VaultHardened, PasswordsOfOtherHardenedFilesAreTestedAgainstTheirOwnHeaders) {
    WriteSample();
    TVault vault;
    vault.Create(Folder.File("older.kvf"), "older");
    EXPECT_TRUE(vault.PasswordOpens(Path, Password));
    EXPECT_FALSE(vault.PasswordOpens(Path, "older"));
    EXPECT_FALSE(vault.PasswordOpens(Path, std::string(49, 'x')));
    EXPECT_FALSE(vault.MasterPasswordOpens(Path));
}

} // namespace
