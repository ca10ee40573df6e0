// Undo and Redo of the open vault: every step taken back gives the file's lines back byte for byte
// and in their order, the views hear it as any change, and the history goes with a save, a close
// and a lock.

#include "VaultTestSupport.h"

#include "vault/DataFile.h"
#include "vault/Vault.h"

#include <functional>

namespace {

struct VaultUndoTest : ::testing::Test {
    TTempFolder Folder;
    TBlowfish Cipher;
    const std::string Path = Folder.File("vault.kvf");

    std::string Line(const TPassRecord& record) { return EncodeRecord(Cipher, record, "secret"); }
    void Open(TVault& vault, const std::vector<std::string>& lines) {
        WriteDataFile(Cipher, Path, "secret", lines);
        ASSERT_EQ(vault.Open(Path, "secret"), TOpenResult::Opened);
    }
    // An Add, keystrokes into two fields of two accounts, a Delete, and an edit of the new account.
    static void Steps(TVault& vault) {
        ASSERT_TRUE(vault.Add("Kite"));
        vault.Select(vault.FindAccount("Mail"));
        for (const char* login : {"m2", "m23", "m234"})
            vault.StoreField(&TPassRecord::Login, login);
        vault.StoreField(&TPassRecord::Notes, "url: mail.example;");
        vault.Select(vault.FindAccount("Bank"));
        vault.DeleteCurrent();
        vault.Select(vault.FindAccount("Kite"));
        vault.StoreField(&TPassRecord::Password, "kp");
    }
    static constexpr int StepCount = 5; // Add, login, notes, Delete, password
};

// Rows as a view keeps them from the announcements alone, checked against the vault after each:
// an item model's view reads the rows only between them.
class TRowMirror : public TVaultObserver {
public:
    explicit TRowMirror(TVault& vault) : FVault(vault) {
        FVault.AddObserver(*this);
        ResetDone();
    }
    ~TRowMirror() override { FVault.RemoveObserver(*this); }

    std::vector<std::string> Names;
    std::vector<std::string> Problems;
    int Current = -1;
    bool Modified = false;

private:
    void RowsAboutToBeInserted(int first, int last) override {
        Expect(FVault.AccountCount() == static_cast<int>(Names.size()), "insert announced late");
        FPending = {first, last};
    }
    void RowsInserted(int first, int last) override {
        Expect(FPending == std::pair{first, last}, "inserted rows differ from those announced");
        for (int row = first; row <= last; ++row)
            Names.insert(Names.begin() + row, FVault.Account(row).Name);
        Compare();
    }
    void RowsAboutToBeRemoved(int first, int last) override {
        Expect(FVault.AccountCount() == static_cast<int>(Names.size()), "removal announced late");
        Names.erase(Names.begin() + first, Names.begin() + last + 1);
    }
    void RowsRemoved(int, int) override { Compare(); }
    void ResetDone() override {
        Names.clear();
        for (int row = 0; row < FVault.AccountCount(); ++row)
            Names.push_back(FVault.Account(row).Name);
    }
    void CurrentChanged() override { Current = FVault.CurrentRow(); }
    void ModifiedChanged(bool modified) override { Modified = modified; }

    void Compare() {
        std::vector<std::string> rows;
        for (int row = 0; row < FVault.AccountCount(); ++row)
            rows.push_back(FVault.Account(row).Name);
        Expect(rows == Names, "the rows heard differ from the vault's");
    }
    void Expect(bool condition, const char* problem) {
        if (!condition)
            Problems.emplace_back(problem);
    }

    TVault& FVault;
    std::pair<int, int> FPending{-1, -1};
};

TEST_F(VaultUndoTest, EveryStepTakenBackGivesTheFileBackByteForByteAndRedoDoesEachAgain) {
    const std::string damaged = "Bank;not a field!";
    const std::vector<std::string> inOrder = {Line({"Bank", "b", "pb", ""}),
                                              Line({"Mail", "m", "pm", "note;"}),
                                              Line({"Zoo", "z", "", ""})};
    const struct {
        const char* what;
        std::vector<std::string> lines;
    } files[] = {
        {"in order", inOrder},
        // An Add puts such a file in order; taken back, the file is as read again.
        {"out of order, a damaged line among them", {inOrder[2], damaged, inOrder[0], inOrder[1]}},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.what);
        // What the steps leave, from a vault that takes none back.
        TVault straight;
        Open(straight, file.lines);
        Steps(straight);
        const std::vector<std::string> after = straight.Records().Lines();
        const std::string savedBytes = ReadBytes(Path);

        TVault vault;
        Open(vault, file.lines);
        TRowMirror mirror(vault);
        Steps(vault);
        for (int step = 0; step < StepCount; ++step) {
            ASSERT_TRUE(vault.Undo()) << step;
            EXPECT_EQ(vault.Modified(), step + 1 < StepCount) << step;
            EXPECT_EQ(mirror.Current, vault.CurrentRow());
        }
        EXPECT_FALSE(vault.Undo());
        EXPECT_FALSE(mirror.Modified);
        EXPECT_EQ(vault.LineCount(), static_cast<int>(file.lines.size()));
        EXPECT_EQ(vault.Current().Account, "Bank") << "the account of the last step taken back";

        for (int step = 0; step < StepCount; ++step)
            ASSERT_TRUE(vault.Redo()) << step;
        EXPECT_FALSE(vault.Redo());
        EXPECT_TRUE(vault.Modified());
        EXPECT_EQ(vault.Current().Password, "kp");
        EXPECT_EQ(vault.Records().Lines(), after);

        // Undone after the read in file order, the Add leaves the lines in order: the file read
        // out of order is not the vault's any more.
        while (vault.Undo()) {
        }
        EXPECT_EQ(vault.Modified(), file.lines != inOrder);
        vault.Save();
        if (file.lines == inOrder) {
            EXPECT_EQ(ReadBytes(Path), savedBytes);
        }
        std::vector<std::string> sortedFile = file.lines;
        std::vector<std::string> written = ReadDataFile(Path);
        std::sort(sortedFile.begin(), sortedFile.end());
        std::sort(written.begin(), written.end());
        EXPECT_EQ(written, sortedFile);
        EXPECT_TRUE(mirror.Problems.empty()) << mirror.Problems.front();
    }
}

TEST_F(VaultUndoTest, AStepTakenBackWithoutAReadInFileOrderLeavesAFileReadOutOfOrderAsItWas) {
    const std::vector<std::string> lines = {Line({"Zoo", "z", "", ""}), Line({"Bank", "b", "", ""}),
                                            Line({"Mail", "m", "", ""})};
    TVault vault;
    Open(vault, lines);
    const std::string savedBytes = ReadBytes(Path);
    Steps(vault);
    while (vault.Undo()) {
    }
    EXPECT_FALSE(vault.Modified());
    EXPECT_EQ(vault.Records().Lines(), lines);
    vault.Save();
    EXPECT_EQ(ReadBytes(Path), savedBytes);
}

TEST_F(VaultUndoTest, ASaveACloseAndALockWipeTheHistoryAndAnEditTypedBackIsNoStep) {
    const std::vector<std::string> lines = {Line({"Bank", "b", "", ""}),
                                            Line({"Mail", "m", "", ""})};
    const struct {
        const char* what;
        std::function<void(TVault&)> action;
        bool modified;
    } cases[] = {
        {"save", [](TVault& vault) { vault.Save(); }, false},
        {"close", [](TVault& vault) { vault.Close(); }, false},
        {"lock", [](TVault& vault) { ASSERT_TRUE(vault.Lock() && vault.Unlock("secret")); }, true},
        {"a new change after an undo",
         [](TVault& vault) {
             ASSERT_TRUE(vault.Undo());
             vault.StoreField(&TPassRecord::Notes, "n;");
             EXPECT_FALSE(vault.CanRedo());
             ASSERT_TRUE(vault.Undo());
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TVault vault;
        Open(vault, lines);
        vault.StoreField(&TPassRecord::Login, "b2");
        ASSERT_TRUE(vault.CanUndo());
        c.action(vault);
        EXPECT_FALSE(vault.CanUndo());
        EXPECT_FALSE(vault.Undo());
        EXPECT_EQ(vault.Modified(), c.modified);
        if (vault.AccountCount() == 0)
            continue;
        // After a lock the history starts afresh, but the file still holds the login before it.
        vault.Select(0);
        vault.StoreField(&TPassRecord::Login, "b3");
        ASSERT_TRUE(vault.Undo());
        EXPECT_EQ(vault.Modified(), c.modified);
    }

    // Typed back to what the file holds, an edit is no step to take back; every edit marks the
    // vault modified all the same.
    TVault vault;
    Open(vault, lines);
    vault.StoreField(&TPassRecord::Login, "bx");
    vault.StoreField(&TPassRecord::Login, "b");
    EXPECT_TRUE(vault.Modified());
    EXPECT_FALSE(vault.CanUndo());
}

} // namespace
