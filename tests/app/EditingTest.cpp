// Editing accounts in place, adding and deleting them.

#include "MainFormFixture.h"

#include "platform/TextCompare.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QToolTip>

#include <algorithm>
#include <map>

namespace {
const char* const SaveQuestion = "You have changed your data. Do you want to save your changes?";
}

TEST_F(MainFormTest, EveryChangeOfAFieldIsStoredAtOnceAndUndoingItRestoresTheLine) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank", "me", "pw", "a;")});
    const std::string original = FileBytes(path);
    TfrmMain& form = StartWithVault(path, "secret");
    const std::string line = form.Records()[0];

    TypeInto(Login(), "x");
    EXPECT_EQ(form.PanelText(1), "MOD");
    EXPECT_NE(form.Records()[0], line);
    EXPECT_EQ(DecodeRecord(Cipher, form.Records()[0], "secret").Login, "mex");

    QTest::keyClick(Login(), Qt::Key_Backspace);
    EXPECT_EQ(form.Records()[0], line) << "the earlier login enciphers to the earlier line";
    EXPECT_TRUE(form.Modified());
    Click("spdSave");
    EXPECT_EQ(FileBytes(path), original);
    EXPECT_EQ(form.PanelText(1), "");

    TypeInto(Password(), "!");
    Notes()->moveCursor(QTextCursor::End);
    TypeInto(Notes(), "\nsecond line");
    const TPassRecord stored = DecodeRecord(Cipher, form.Records()[0], "secret");
    EXPECT_TRUE(SameRecord(stored, Record("Bank", "me", "pw!", "a;second line;")));
}

TEST_F(MainFormTest, LongNotesLinesAreStoredAsTyped) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank")});
    TfrmMain& form = StartWithVault(path, "secret");
    const std::string longLine(300, 'w');
    TypeInto(Notes(), QString::fromStdString(longLine));
    EXPECT_EQ(DecodeRecord(Cipher, form.Records()[0], "secret").Notes, longLine + ";");
}

TEST_F(MainFormTest, CharactersOutsideWindows1252AreRefusedWhereTyped) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank")});
    TfrmMain& form = StartWithVault(path, "secret");
    TypeInto(Login(), QString::fromUtf8("a\u20ac\u0416b")); // euro sign kept, Cyrillic refused
    TypeInto(Notes(), QString::fromUtf8("\u00e9\u4e2d"));   // e acute kept, CJK refused
    const TPassRecord stored = DecodeRecord(Cipher, form.Records()[0], "secret");
    EXPECT_EQ(stored.Login, "a\x80"
                            "b");
    EXPECT_EQ(stored.Notes, "\xe9;");
    // The user is told why the last character did not arrive.
    EXPECT_TRUE(QToolTip::text().contains("U+4E2D")) << QToolTip::text().toStdString();
}

TEST_F(MainFormTest, AFieldTheWindowCannotShowWholeIsReadOnlyAndSurvivesOtherEdits) {
    const std::string path = Path("vault.kvf");
    const TPassRecord odd = Record("Odd", std::string(40000, 'L'), "pw", "x;after the last");
    WriteVault(path, "secret", {odd});
    TfrmMain& form = StartWithVault(path, "secret");
    for (QWidget* field : std::initializer_list<QWidget*>{Login(), Notes()})
        EXPECT_FALSE(field->toolTip().isEmpty()) << field->objectName().toStdString();
    EXPECT_TRUE(Login()->isReadOnly());
    EXPECT_TRUE(Notes()->isReadOnly());
    EXPECT_FALSE(Password()->isReadOnly());
    TypeInto(Password(), "!");
    Click("spdSave");
    const TPassRecord saved = ReadVault(path, "secret")[0];
    EXPECT_EQ(saved.Login, odd.Login);
    EXPECT_EQ(saved.Notes, odd.Notes);
    EXPECT_EQ(saved.Password, "pw!");
    EXPECT_FALSE(form.Modified());
}

// Enter typed at the end of the notes leaves an empty last line: shown again, such notes are whole
// and can be edited, and an edit keeps the empty line.
TEST_F(MainFormTest, NotesEndingInAnEmptyLineAreShownWholeAndStayEditable) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("a", "l", "p", "abc;;"), Record("b", "l", "p", ";")});
    TfrmMain& form = StartWithVault(path, "secret");
    for (const char* account : {"b", "a"}) {
        Choose(QString::fromLatin1(account));
        EXPECT_FALSE(Notes()->isReadOnly()) << account;
    }
    TypeInto(Password(), "!");
    EXPECT_EQ(DecodeRecord(Cipher, form.Records()[0], "secret").Notes, "abc;;");
}

TEST_F(MainFormTest, ClosingTheVaultTakesBackOnlyWhatItsFieldsPutOnTheClipboard) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank", "me", "pw")});
    QClipboard* clipboard = QApplication::clipboard();
    for (const bool copiedElsewhere : {false, true}) {
        StartWithVault(path, "secret");
        QApplication::setActiveWindow(Form.get());
        Password()->setFocus();
        Password()->selectAll();
        Password()->copy();
        ASSERT_EQ(clipboard->text(), "pw");
        if (copiedElsewhere) {
            Selector()->setFocus();
            clipboard->setText("someone else's");
        }
        Click("spdClose");
        EXPECT_EQ(clipboard->text(), copiedElsewhere ? "someone else's" : "");
    }
}

TEST_F(MainFormTest, AddToAnEmptyVaultSelectsTheNewAccount) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {});
    TfrmMain& form = StartWithVault(path, "secret");
    EXPECT_FALSE(Enabled("spdDelete"));

    Platform.ExpectNewAccount("Bank");
    Click("spdAdd");
    EXPECT_EQ(SelectorItems(), QStringList({"Bank"}));
    EXPECT_EQ(Selector()->currentText(), "Bank");
    EXPECT_EQ(Login()->text(), "");
    EXPECT_TRUE(Login()->isEnabled());
    EXPECT_EQ(form.focusWidget(), Login());
    EXPECT_EQ(form.PanelText(0), "1");
    EXPECT_EQ(form.PanelText(1), "MOD");
    EXPECT_TRUE(Enabled("spdDelete"));
}

TEST_F(MainFormTest, AddKeepsTheLinesSortedAndEachAccountOnItsOwnLine) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Mail", "m"), Record("Bank", "b")});
    TfrmMain& form = StartWithVault(path, "secret");
    for (const char* name : {"zoo", "Alpha", "kite"}) {
        Platform.ExpectNewAccount(name);
        Click("spdAdd");
        EXPECT_EQ(Selector()->currentText(), name);
        TypeInto(Login(), QString::fromLatin1(name) + "-login");
    }
    EXPECT_EQ(SelectorItems(), QStringList({"Alpha", "Bank", "kite", "Mail", "zoo"}));
    std::vector<std::string> lines = form.Records().Lines();
    EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end(), [](const auto& a, const auto& b) {
        return CompareTextLocale(a, b) < 0;
    }));
    const std::map<QString, QString> logins{{"Mail", "m"},
                                            {"Bank", "b"},
                                            {"zoo", "zoo-login"},
                                            {"Alpha", "Alpha-login"},
                                            {"kite", "kite-login"}};
    for (const auto& [name, login] : logins) {
        Choose(name);
        EXPECT_EQ(Login()->text(), login) << name.toStdString();
    }
}

TEST_F(MainFormTest, CancelledAddShowsTheFirstAccountAgainAndChangesNothing) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("b", "1"), Record("a", "2")});
    TfrmMain& form = StartWithVault(path, "secret");
    Choose("b");
    const std::vector<std::string> before = form.Records().Lines();
    Platform.ExpectNewAccount("");
    Click("spdAdd");
    EXPECT_EQ(form.Records().Lines(), before);
    EXPECT_EQ(Selector()->currentText(), "a");
    EXPECT_FALSE(form.Modified());
}

TEST_F(MainFormTest, CancelledAddSelectsAnAccountWithAnEmptyNameWithItsFieldsUsable) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("b", "1"), Record("", "hidden")});
    TfrmMain& form = StartWithVault(path, "secret");
    Platform.ExpectNewAccount("");
    Click("spdAdd");
    EXPECT_EQ(Selector()->currentIndex(), 0);
    EXPECT_EQ(Selector()->currentText(), "");
    // An account like any other, though its name is empty.
    EXPECT_TRUE(Login()->isEnabled());
    EXPECT_EQ(Login()->text(), "hidden");
    EXPECT_TRUE(Platform.Done());
    EXPECT_FALSE(form.Modified());
}

TEST_F(MainFormTest, AddRefusesANameThatIsAlreadyInTheVault) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank", "me")});
    TfrmMain& form = StartWithVault(path, "secret");
    const std::vector<std::string> before = form.Records().Lines();
    Platform.ExpectNewAccount("Bank");
    Platform.ExpectMessageBox("An account named Bank exists already.", TMessageKind::mkPlain,
                              TMessageButtons::mbOK, idOK);
    Click("spdAdd");
    EXPECT_EQ(form.Records().Lines(), before);
    EXPECT_FALSE(form.Modified());

    Platform.ExpectNewAccount("bank"); // another name: letter case counts
    Click("spdAdd");
    EXPECT_EQ(form.Records().Count(), 2);
}

TEST_F(MainFormTest, TwoAccountsOfOneNameInAFileEachKeepTheirOwnLine) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Mail", "first"), Record("Mail", "second")});
    TfrmMain& form = StartWithVault(path, "secret");
    ASSERT_EQ(SelectorItems(), QStringList({"Mail", "Mail"}));

    // Each entry shows its own line.
    std::vector<std::string> logins;
    for (int row = 0; row < 2; ++row) {
        Selector()->setCurrentIndex(row);
        emit Selector()->activated(row);
        logins.push_back(Login()->text().toStdString());
    }
    std::sort(logins.begin(), logins.end());
    EXPECT_EQ(logins, (std::vector<std::string>{"first", "second"}));

    // Editing the shown entry changes its line only.
    const std::string shownLogin = Login()->text().toStdString();
    TypeInto(Login(), "+");
    std::vector<std::string> stored;
    for (const std::string& line : form.Records().Lines())
        stored.push_back(DecodeRecord(Cipher, line, "secret").Login);
    std::sort(stored.begin(), stored.end());
    const std::string other = shownLogin == "first" ? "second" : "first";
    std::vector<std::string> expected{shownLogin + "+", other};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(stored, expected);

    // Deleting the shown entry removes its line, and the other account stays.
    Click("spdDelete");
    ASSERT_EQ(form.Records().Count(), 1);
    EXPECT_EQ(DecodeRecord(Cipher, form.Records()[0], "secret").Login, other);
    EXPECT_EQ(Login()->text().toStdString(), other);
}

TEST_F(MainFormTest, DeletingTheOnlyAccountEmptiesTheWindow) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("Bank", "me", "pw", "n;")});
    TfrmMain& form = StartWithVault(path, "secret");
    Click("spdDelete");
    EXPECT_EQ(SelectorItems(), QStringList());
    EXPECT_EQ(Selector()->currentText(), "");
    EXPECT_EQ(Login()->text(), "");
    EXPECT_EQ(Password()->text(), "");
    EXPECT_EQ(Notes()->toPlainText(), "");
    EXPECT_FALSE(Login()->isEnabled());
    EXPECT_FALSE(Enabled("spdDelete"));
    EXPECT_EQ(form.PanelText(0), "0");
    EXPECT_EQ(form.PanelText(1), "MOD");
    EXPECT_TRUE(form.Records().Empty());
}

TEST_F(MainFormTest, DeleteShowsTheFirstRemainingAccount) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("c", "3"), Record("a", "1"), Record("b", "2")});
    TfrmMain& form = StartWithVault(path, "secret");
    Choose("b");
    Click("spdDelete");
    EXPECT_EQ(SelectorItems(), QStringList({"a", "c"}));
    EXPECT_EQ(Login()->text(), "1");
    Choose("c");
    EXPECT_EQ(Login()->text(), "3");
    EXPECT_EQ(form.Records().Count(), 2);
    Platform.ExpectMessageBox(SaveQuestion, TMessageKind::mkConfirmation, TMessageButtons::mbYesNo,
                              idYes);
    Click("spdClose");
    std::vector<std::string> names;
    for (const TPassRecord& record : ReadVault(path, "secret"))
        names.push_back(record.Account);
    EXPECT_EQ(names, (std::vector<std::string>{"c", "a"})) << "file order is kept";
}

TEST_F(MainFormTest, AnAccountWithAnEmptyNameCanBeShownEditedAndDeleted) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("", "nameless"), Record("bank", "b")});
    TfrmMain& form = StartWithVault(path, "secret");
    EXPECT_EQ(form.PanelText(0), "2");
    Selector()->setCurrentIndex(0);
    emit Selector()->activated(0);
    EXPECT_EQ(Login()->text(), "nameless");
    EXPECT_TRUE(Login()->isEnabled());
    TypeInto(Login(), "!");
    EXPECT_TRUE(Enabled("spdDelete"));
    Click("spdDelete");
    Click("spdSave");
    const std::vector<TPassRecord> saved = ReadVault(path, "secret");
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].Account, "bank");
}
