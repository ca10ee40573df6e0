// The open vault without a window: edits reach their own line and nothing else, whatever the
// file holds; closing and failed opens leave nothing to save.

#include "VaultTestSupport.h"

#include "cipher/BlowCore.h"
#include "cipher/TextForm.h"
#include "platform/TextCompare.h"
#include "vault/DataFile.h"
#include "vault/Vault.h"

#include <fstream>
#include <functional>
#include <future>
#include <system_error>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>

namespace {

struct VaultTest : ::testing::Test {
    TTempFolder Folder;
    TBlowfish Cipher;
    const std::string Path = Folder.File("vault.kvf");

    void Write(const std::vector<std::string>& lines, const std::string& password = "secret") {
        WriteDataFile(Cipher, Path, password, lines);
    }
    std::string Line(const TPassRecord& record) { return EncodeRecord(Cipher, record, "secret"); }
    TPassRecord Decode(const std::string& line) { return DecodeRecord(Cipher, line, "secret"); }
};

// The last character of a one-block field carries two bits that decoding ignores.
std::string WithLowBitsSet(std::string line) {
    const std::size_t end = line.find(';');
    char& last = line[end - 1];
    last = TextFormTable[TextFormValue(last) | 3];
    return line;
}

} // namespace

TEST_F(VaultTest, AnEditReachesTheShownAccountsOwnLineAndKeepsTheOtherFieldsByteForByte) {
    // Fields that no window could give back: a login past an edit's length limit, notes with
    // line breaks inside a piece and text after the last ";".
    const TPassRecord odd{"Odd", std::string(40000, 'L'), "pw", "a\r\nb;tail without end"};
    const std::string oddLine = Line(odd);
    // A name column that is not what enciphering its name gives, as another program may write.
    const std::string foreignLine = WithLowBitsSet(Line({"Foreign", "f", "", ""}));
    ASSERT_NE(foreignLine, Line({"Foreign", "f", "", ""}));
    ASSERT_EQ(Decode(foreignLine).Account, "Foreign");
    Write({foreignLine, oddLine});

    TVault vault;
    ASSERT_EQ(vault.Open(Path, "secret"), TOpenResult::Opened);
    struct Edit {
        const char* account;
        std::string TPassRecord::*field;
        std::string value;
    };
    for (const Edit& edit : {Edit{"Odd", &TPassRecord::Password, "new"},
                             Edit{"Foreign", &TPassRecord::Login, "changed"}}) {
        SCOPED_TRACE(edit.account);
        vault.Select(vault.FindAccount(edit.account));
        vault.StoreField(edit.field, edit.value);
        EXPECT_TRUE(vault.Modified());
        EXPECT_EQ(vault.Current().*edit.field, edit.value);
    }
    vault.Save();
    const std::vector<std::string> saved = ReadDataFile(Path);
    ASSERT_EQ(saved.size(), 2u);
    const TPassRecord foreign = Decode(saved[0]);
    EXPECT_EQ(foreign.Account, "Foreign");
    EXPECT_EQ(foreign.Login, "changed");
    const TPassRecord stored = Decode(saved[1]);
    EXPECT_EQ(stored.Login, odd.Login);
    EXPECT_EQ(stored.Password, "new");
    EXPECT_EQ(stored.Notes, odd.Notes);
}

TEST_F(VaultTest, AFailedOrRefusedOpenAndACloseLeaveNothingToSave) {
    Write({Line({"Bank", "me", "", ""})});
    for (const std::string& password :
         {std::string(), std::string("wrong"), std::string(57, 'x'), std::string("secret")}) {
        SCOPED_TRACE(password);
        TVault vault;
        ASSERT_EQ(vault.Open(Path, "secret"), TOpenResult::Opened);
        vault.StoreField(&TPassRecord::Login, "edited");
        if (password == "secret")
            vault.Close();
        else
            EXPECT_EQ(vault.Open(Path, password), TOpenResult::WrongPassword);
        EXPECT_FALSE(vault.Modified());
        EXPECT_FALSE(vault.HasMasterPassword());
        EXPECT_TRUE(vault.Path().empty());
        EXPECT_EQ(vault.AccountCount(), 0);
        EXPECT_THROW(vault.Save(), std::logic_error);
    }
}

TEST_F(VaultTest, AddRefusesANameInTheVaultAndShowsTheNewAccount) {
    Write({Line({"Mail", "m", "", ""}), Line({"Bank", "b", "", ""})});
    TVault vault;
    ASSERT_EQ(vault.Open(Path, "secret"), TOpenResult::Opened);
    EXPECT_FALSE(vault.Add("Bank"));
    EXPECT_FALSE(vault.Modified());
    const std::optional<int> row = vault.Add("kite");
    ASSERT_TRUE(row);
    EXPECT_EQ(*row, 1);
    EXPECT_EQ(vault.Current().Account, "kite");
    vault.StoreField(&TPassRecord::Login, "k");
    for (const auto& [name, login] : {std::pair{"Bank", "b"}, {"kite", "k"}, {"Mail", "m"}}) {
        vault.Select(vault.FindAccount(name));
        EXPECT_EQ(vault.Current().Login, login) << name;
    }
    vault.DeleteCurrent();
    EXPECT_EQ(vault.AccountCount(), 2);
    EXPECT_EQ(vault.Current().Account, "Bank") << "the first account left is shown";
}

TEST_F(VaultTest, ALockWipesThePlainCopiesKeepsTheChangesAndOnlyTheRightPasswordUnlocks) {
    Write({Line({"Mail", "m", "pm", ""}), Line({"Bank", "b", "pb", ""}),
           Line({"Kite", "k", "", ""})});
    TVault vault;
    ASSERT_EQ(vault.Open(Path, "secret"), TOpenResult::Opened);
    vault.Select(vault.FindAccount("Mail"));
    vault.StoreField(&TPassRecord::Password, "changed");
    const std::vector<std::string> lines = vault.Records().Lines();

    ASSERT_TRUE(vault.Lock());
    EXPECT_FALSE(vault.Lock()); // once is enough
    EXPECT_TRUE(vault.Locked());
    EXPECT_FALSE(vault.HasMasterPassword());
    EXPECT_EQ(vault.CurrentRow(), -1);
    for (const std::string& field : {vault.Current().Account, vault.Current().Login,
                                     vault.Current().Password, vault.Current().Notes})
        EXPECT_TRUE(field.empty()) << field;
    EXPECT_EQ(vault.AccountCount(), 0);
    EXPECT_TRUE(vault.Modified());
    EXPECT_EQ(vault.Records().Lines(), lines);
    EXPECT_THROW(vault.Select(0), std::logic_error);
    EXPECT_THROW(vault.StoreField(&TPassRecord::Login, "x"), std::logic_error);
    EXPECT_THROW(vault.Add("New"), std::logic_error);

    for (const std::string& wrong : {std::string(), std::string("Secret"), std::string(57, 's')}) {
        EXPECT_FALSE(vault.Unlock(wrong)) << wrong;
        EXPECT_TRUE(vault.Locked());
    }
    ASSERT_TRUE(vault.Unlock("secret"));
    EXPECT_FALSE(vault.Locked());
    EXPECT_TRUE(vault.HasMasterPassword());
    EXPECT_TRUE(vault.Modified());
    EXPECT_EQ(vault.AccountCount(), 3);
    EXPECT_EQ(vault.Current().Account, "Mail");
    EXPECT_EQ(vault.Current().Password, "changed");
}

TEST_F(VaultTest, ALockedVaultIsSavedWithoutItsMasterPassword) {
    Write({Line({"Bank", "b", "", ""})});
    TVault vault;
    ASSERT_EQ(vault.Open(Path, "secret"), TOpenResult::Opened);
    vault.StoreField(&TPassRecord::Login, "edited");
    ASSERT_TRUE(vault.Lock());
    vault.Save();
    EXPECT_FALSE(vault.Modified());
    EXPECT_TRUE(vault.Locked());
    const std::vector<std::string> saved = ReadDataFile(Path);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(Decode(saved[0]).Login, "edited");
    EXPECT_TRUE(CheckPassword(Cipher, Path, "secret"));

    vault.Close();
    EXPECT_FALSE(vault.Locked());
    EXPECT_FALSE(vault.Lock()); // nothing open
}

// The order learnt at open is kept through edits, deletes and adds: the selector lists the names
// as a fresh sort does, and the lines end in CompareTextLocale order, names that compare equal
// without being the same bytes included. A save before any add writes the file order unchanged.
TEST_F(VaultTest, TheOrderLearntAtOpenHoldsThroughEditsDeletesAndAdds) {
    const std::vector<std::string> names = {"zeta", "a",    "\xC9t\xE9", "Alpha", "\xE9t\xE9",
                                            "beta", "\x8A", "\x9A",      "Zeta",  "\xDF"};
    std::vector<std::string> lines;
    for (const std::string& name : names)
        lines.push_back(Line({name, "l", "", ""}));
    const std::string damaged = "Bank;not a field!";
    lines.insert(lines.begin() + 3, damaged);
    Write(lines);
    TVault vault;
    ASSERT_EQ(vault.Open(Path, "secret"), TOpenResult::Opened);
    vault.Save();
    EXPECT_EQ(ReadDataFile(Path), lines) << "a save without an add keeps the file order";

    vault.Select(vault.FindAccount("beta"));
    vault.StoreField(&TPassRecord::Login, "a longer login that re-enciphers the line");
    vault.Select(vault.FindAccount("zeta"));
    vault.DeleteCurrent();
    std::vector<std::string> expected(names.begin(), names.end());
    expected.erase(expected.begin());
    for (const std::string name : {"A", "\xFF", "\x9F", "b", "\x9C", "\x8C", "\xB5", "ss"}) {
        ASSERT_TRUE(vault.Add(name)) << name;
        expected.push_back(name);
    }

    std::vector<std::string> listed;
    for (int row = 0; row < vault.AccountCount(); ++row)
        listed.push_back(vault.Account(row).Name);
    std::vector<std::string> fresh = expected;
    const std::vector<int> order = SortedOrder(fresh);
    ASSERT_EQ(listed.size(), fresh.size());
    for (std::size_t i = 0; i < listed.size(); ++i)
        EXPECT_EQ(CompareTextLocale(listed[i], fresh[static_cast<std::size_t>(order[i])]), 0)
            << i << ": " << listed[i];
    // Each name is found at its own row, among the names equal to it under the locale, and an
    // Add of any of them is refused.
    for (int row = 0; row < vault.AccountCount(); ++row) {
        EXPECT_EQ(vault.FindAccount(listed[static_cast<std::size_t>(row)]), row) << row;
        EXPECT_FALSE(vault.Add(listed[static_cast<std::size_t>(row)])) << row;
    }
    EXPECT_EQ(vault.FindAccount("ALPHA"), -1);
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected);

    // Lines added to a file that was out of order stay where they are until the lines are
    // written or read whole: an edit and a delete then, and the file saved holds every line
    // in order.
    vault.Select(vault.FindAccount("Alpha"));
    vault.StoreField(&TPassRecord::Notes, "moved along;");
    vault.Select(vault.FindAccount("ss"));
    vault.DeleteCurrent();
    expected.erase(std::find(expected.begin(), expected.end(), "ss"));
    vault.Save();
    const std::vector<std::string> saved = ReadDataFile(Path);
    EXPECT_TRUE(InTextLocaleOrder(saved));
    std::vector<std::string> savedNames;
    for (const std::string& line : saved)
        if (line != damaged)
            savedNames.push_back(Decode(line).Account);
    std::sort(savedNames.begin(), savedNames.end());
    EXPECT_EQ(savedNames, expected);

    const auto expectLinesInOrder = [&](const char* when) {
        const std::vector<std::string>& stored = vault.Records().Lines();
        EXPECT_TRUE(InTextLocaleOrder(stored)) << when;
        ASSERT_EQ(vault.DamagedLines().size(), 1u) << when;
        EXPECT_EQ(stored[static_cast<std::size_t>(vault.DamagedLines()[0])], damaged) << when;
        for (int row = 0; row < vault.AccountCount(); ++row) {
            const TAccountEntry& entry = vault.Account(row);
            EXPECT_EQ(Decode(stored[static_cast<std::size_t>(entry.Line)]).Account, entry.Name)
                << when;
        }
    };
    expectLinesInOrder("after the save");
    vault.Select(vault.FindAccount("beta"));
    EXPECT_EQ(vault.Current().Login, "a longer login that re-enciphers the line");

    // Adds into lines that are in order, between edits and deletes.
    for (const std::string name : {"beta 2", "0", "à la"}) {
        ASSERT_TRUE(vault.Add(name)) << name;
        vault.StoreField(&TPassRecord::Password, "p " + name);
    }
    vault.Select(vault.FindAccount("b"));
    vault.DeleteCurrent();
    ASSERT_TRUE(vault.Add("zz"));
    expectLinesInOrder("after more adds");
    vault.Select(vault.FindAccount("à la"));
    EXPECT_EQ(vault.Current().Password, "p à la");
}

namespace {

// A line enciphered under another password is noise under this one: it is no account, like a
// damaged line, and a new master password keeps both byte for byte rather than turning them into
// noise under the new one. A failed Save As leaves the vault with its own file.
TEST_F(VaultTest, LinesOfAnotherPasswordAreKeptAsTheyAre) {
    const std::string foreign = EncodeRecord(Cipher, {"Elsewhere", "login", "pw", "n;"}, "other");
    const std::string damaged = "Bank;not a field!";
    Write({Line({"Mail", "me", "pw", ""}), foreign, damaged});
    TVault vault;
    ASSERT_EQ(vault.Open(Path, "secret"), TOpenResult::Opened);
    EXPECT_EQ(vault.AccountCount(), 1);
    EXPECT_EQ(vault.DamagedLines(), (std::vector<int>{1, 2}));
    EXPECT_THROW(vault.SaveAs(Folder.File("missing folder/copy.kvf")), std::exception);
    EXPECT_EQ(vault.Path(), Path);
    std::vector<int> toldOf;
    ASSERT_EQ(vault.ChangePassword("fresh",
                                   [&toldOf](const std::vector<TStrandedLine>& stranded) {
                                       for (const TStrandedLine& line : stranded)
                                           toldOf.push_back(line.LineNumber);
                                       return true;
                                   }),
              TPasswordChange::Changed);
    EXPECT_EQ(toldOf, (std::vector<int>{3, 4}));
    const std::vector<std::string> lines = ReadDataFile(Path);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), foreign), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), damaged), 1);
    const auto mail = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line != foreign && line != damaged;
    });
    ASSERT_NE(mail, lines.end());
    EXPECT_EQ(DecodeRecord(Cipher, *mail, "fresh").Login, "me");
}

} // namespace

namespace {

// Writes down every announcement with the rows the vault held when it came.
class TAnnouncements : public TVaultObserver {
public:
    explicit TAnnouncements(TVault& vault) : FVault(vault) { vault.AddObserver(*this); }
    ~TAnnouncements() override { FVault.RemoveObserver(*this); }
    std::vector<std::string> Heard;

private:
    void Note(const std::string& what) {
        Heard.push_back(what + " " + std::to_string(FVault.AccountCount()));
    }
    void RowsAboutToBeInserted(int first, int) override { Note("insert@" + std::to_string(first)); }
    void RowsInserted(int first, int) override { Note("inserted@" + std::to_string(first)); }
    void RowsAboutToBeRemoved(int first, int) override { Note("remove@" + std::to_string(first)); }
    void RowsRemoved(int first, int) override { Note("removed@" + std::to_string(first)); }
    void AboutToReset() override { Note("reset"); }
    void ResetDone() override { Note("reset done"); }
    void CurrentChanged() override { Note("current=" + std::to_string(FVault.CurrentRow())); }
    void ModifiedChanged(bool modified) override { Note(modified ? "MOD" : "saved"); }
    void LockedChanged(bool locked) override { Note(locked ? "locked" : "unlocked"); }
    void FileChanged() override { Note(FVault.Path().empty() ? "no file" : "file"); }
    void LineCountChanged() override { Note("lines=" + std::to_string(FVault.LineCount())); }

    TVault& FVault;
};

} // namespace

TEST_F(VaultTest, EveryChangeIsAnnouncedWhileTheRowsStillReadAsBeforeAndAgainAfter) {
    Write({Line({"b", "", "", ""}), Line({"d", "", "", ""})});
    TVault vault;
    TAnnouncements heard(vault);
    const struct {
        const char* what;
        std::function<void()> act;
        std::vector<std::string> expected;
    } steps[] = {
        {"open",
         [&] { vault.Open(Path, "secret"); },
         {"reset 0", "reset done 0", "lines=0 0", "no file 0", "reset 0", "reset done 2",
          "lines=2 2", "current=0 2", "file 2"}},
        {"add",
         [&] { vault.Add("c"); },
         {"insert@1 2", "inserted@1 3", "lines=3 3", "current=1 3", "MOD 3"}},
        {"delete",
         [&] { vault.DeleteCurrent(); },
         {"remove@1 3", "removed@1 2", "lines=2 2", "current=0 2"}},
        {"save", [&] { vault.Save(); }, {"saved 2"}},
        {"lock", [&] { vault.Lock(); }, {"reset 2", "reset done 0", "current=-1 0", "locked 0"}},
        {"unlock",
         [&] { vault.Unlock("secret"); },
         {"reset 0", "reset done 2", "lines=2 2", "current=0 2", "current=0 2", "unlocked 2"}},
        {"close",
         [&] { vault.Close(); },
         {"reset 2", "reset done 0", "lines=0 0", "current=-1 0", "no file 0"}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        heard.Heard.clear();
        step.act();
        EXPECT_EQ(heard.Heard, step.expected);
    }
}

TEST_F(VaultTest, ABlankLineIsKeptButIsNoAccountAndAnEmptyNameIsOne) {
    // An editor's empty last line, and an account whose name is empty.
    Write({Line({"bank", "b", "", ""}), Line({"", "nameless", "", ""}), ""});
    TVault vault;
    ASSERT_EQ(vault.Open(Path, "secret"), TOpenResult::Opened);
    EXPECT_EQ(vault.AccountCount(), 2);
    EXPECT_EQ(vault.LineCount(), 2);
    EXPECT_TRUE(vault.DamagedLines().empty());
    vault.Select(vault.FindAccount(""));
    vault.StoreField(&TPassRecord::Login, "named at last");
    vault.Save();
    std::vector<std::string> lines = ReadDataFile(Path);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), ""), 1);

    // A new password asks about nothing and leaves the blank line blank.
    ASSERT_EQ(vault.ChangePassword("fresh",
                                   [](const std::vector<TStrandedLine>&) {
                                       ADD_FAILURE() << "asked about a blank line";
                                       return false;
                                   }),
              TPasswordChange::Changed);
    lines = ReadDataFile(Path);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), ""), 1);
    vault.Select(vault.FindAccount(""));
    EXPECT_EQ(vault.Current().Login, "named at last");
    vault.DeleteCurrent();
    EXPECT_EQ(vault.AccountCount(), 1);
}

TEST_F(VaultTest, ALargeVaultReadOnBothCoresListsEveryNameAndKeepsItsOrderForTheFirstAdd) {
    // Enough lines for the second core, with a blank, a damaged and a foreign line in each half,
    // so that what each half found is put together by its own line numbers.
    constexpr int Count = 6000;
    std::vector<std::string> lines;
    {
        TBlowfish cipher;
        TRecordCipher codec(cipher, "secret");
        for (int i = Count; i > 0; --i)
            lines.push_back(codec.Encode({"n" + std::to_string(i * 7919 % 10007), "", "", ""}));
    }
    const std::string foreign = EncodeRecord(Cipher, {"Elsewhere", "", "", ""}, "other");
    for (const int at : {10, 4000}) {
        lines[static_cast<std::size_t>(at)] = "";
        lines[static_cast<std::size_t>(at + 1)] = "Bank;not a field!";
        lines[static_cast<std::size_t>(at + 2)] = foreign;
    }
    Write(lines);
    for (const bool beside : {true, false}) {
        SCOPED_TRACE(beside ? "order learnt beside" : "order learnt when needed");
        TVault vault;
        vault.LearnLineOrderBeside(beside);
        const std::uint64_t schedulesBefore = KeyScheduleCount();
        ASSERT_EQ(vault.Open(Path, "secret"), TOpenResult::Opened);
        EXPECT_EQ(KeyScheduleCount() - schedulesBefore, 2u) << "the second core copies the key";
        EXPECT_EQ(vault.DamagedLines(), (std::vector<int>{11, 12, 4001, 4002}));
        ASSERT_EQ(vault.AccountCount(), Count - 6);
        std::vector<std::string> names;
        for (int row = 0; row < vault.AccountCount(); ++row)
            names.push_back(vault.Account(row).Name);
        EXPECT_TRUE(InTextLocaleOrder(names));

        vault.Save();
        EXPECT_EQ(ReadDataFile(Path), lines) << "read only, the file keeps its order";
        ASSERT_TRUE(vault.Add("n5000-new"));
        vault.Save();
        const std::vector<std::string> saved = ReadDataFile(Path);
        EXPECT_EQ(saved.size(), lines.size() + 1);
        EXPECT_TRUE(InTextLocaleOrder(saved)) << "the first Add puts the file in order";
        Write(lines);
    }
}

TEST_F(VaultTest, ALargeVaultStillClosesWhenNoOtherThreadCanStart) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizer's shadow memory leaves no address space to limit";
#else
    std::vector<std::string> lines;
    for (int i = 0; i < 5000; ++i)
        lines.push_back(Line({"n" + std::to_string(i), "", "", ""}));
    Write(lines);
    // In a child: the address space is capped where it stands, and threads parked on the stacks
    // that earlier threads left behind until none is left to start another.
    EXPECT_EXIT(
        {
            TVault vault;
            vault.LearnLineOrderBeside(false); // no thread of its own left running
            if (vault.Open(Path, "secret") != TOpenResult::Opened || vault.AccountCount() != 5000)
                std::_Exit(3);
            std::vector<std::thread> parked(1000);
            std::promise<void> never;
            const std::shared_future<void> parking = never.get_future().share();
            long pages = 0;
            std::ifstream("/proc/self/statm") >> pages;
            rlimit capped{};
            ::getrlimit(RLIMIT_AS, &capped);
            capped.rlim_cur = static_cast<rlim_t>(pages * ::sysconf(_SC_PAGESIZE) + (1 << 20));
            if (pages == 0 || ::setrlimit(RLIMIT_AS, &capped) != 0)
                std::_Exit(4);
            try {
                for (std::thread& thread : parked)
                    thread = std::thread([parking] { parking.wait(); });
                std::_Exit(5); // threads still start: nothing is tested
            } catch (const std::system_error&) {
            }
            try {
                vault.Close();
            } catch (...) {
                std::_Exit(2);
            }
            std::_Exit(vault.AccountCount() == 0 && vault.Path().empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
#endif
}
