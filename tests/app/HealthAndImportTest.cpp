// The health report and the import in the window: both on the window's menu and keys, the report
// naming accounts (never a password) and showing the one chosen, the import shown before it adds
// anything, carried out only on OK, taken back by Undo, and refused whole for a character the vault
// cannot hold.

#include "MainFormFixture.h"

#include "dialogs/StrengthText.h"
#include "vault/BreachList.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>

#include <algorithm>

namespace {

const std::string Pw = "secret";
const char* const BreachQuestion =
    "Look the passwords up in a list of breached passwords too? The list is the file of SHA-1 "
    "hashes that Have I Been Pwned offers for download; nothing is sent anywhere.";

std::string HexOf(const TSha1Digest& digest) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (const unsigned char byte : digest)
        hex += {digits[byte >> 4], digits[byte & 15]};
    return hex;
}

class HealthAndImportTest : public MainFormTest {
protected:
    TfrmMain& Open(const std::vector<TPassRecord>& records) {
        WriteVault(Path("vault.kvf"), Pw, records);
        TfrmMain& form = StartWithVault(Path("vault.kvf"), Pw);
        QApplication::setActiveWindow(&form);
        return form;
    }
    QAction* Action(const char* name) const {
        auto* action = Form->findChild<QAction*>(QLatin1String(name));
        EXPECT_NE(action, nullptr) << name;
        return action;
    }
    void Key(Qt::Key key,
             Qt::KeyboardModifiers modifiers = Qt::ControlModifier | Qt::ShiftModifier) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : Form.get(), key, modifiers);
    }
    static std::string Weak(const char* name, const std::string& password) {
        return std::string("  ") + name + ": " +
               StrengthText(EstimateStrength(password, {name})).toStdString() + " [account " +
               name + "]";
    }
    QString Message() const { return Control<QLabel>("lblMessage")->text(); }
};

TEST_F(HealthAndImportTest, TheReportNamesWeakSharedEmptyAndBreachedAccountsAndShowsTheOneChosen) {
    const std::string strong = "vanilla-Orbit-7-gravel-Tundra";
    TfrmMain& form = Open({Record("Bank", "b", strong), Record("Mail", "m", "password"),
                           Record("Shop", "s", "password"), Record("Forum", "f", ""),
                           Record("Kite", "k", "kite2024")});
    // The menu holds both commands, each with its key.
    auto* menu = Form->findChild<QMenu*>("mnuWindow");
    ASSERT_NE(menu, nullptr);
    for (const char* name : {"actHealthReport", "actImport"}) {
        EXPECT_TRUE(menu->actions().contains(Action(name))) << name;
        EXPECT_TRUE(Action(name)->isEnabled()) << name;
    }
    EXPECT_EQ(Action("actHealthReport")->shortcut().toString(), "Ctrl+Shift+R");

    // The list: the hashes of "password" and of the first line's password, sorted, the first and
    // last lines among them.
    std::vector<std::string> lines = {HexOf(BreachHashOf("password")) + ":3861493",
                                      HexOf(BreachHashOf("kite2024")) + ":1",
                                      std::string(40, '0') + ":7", std::string(40, 'F') + ":2"};
    std::sort(lines.begin(), lines.end());
    std::string list;
    for (const std::string& line : lines)
        list += line + "\r\n";
    PutFileBytes(Path("pwned.txt"), list);

    const std::string summary = Path("vault.kvf");
    const std::vector<std::string> common = {
        "5 accounts in " + summary +
            ". No password is shown here; choose an account to show it in the window.",
        "Weak passwords, below 48 bits as zxcvbn estimates them: 3",
        // Weakest first; "password" gives the same figure for both.
        Weak("Mail", "password"), Weak("Shop", "password"), Weak("Kite", "kite2024"),
        "Passwords that more than one account uses: 1", "  2 accounts share one password",
        "    Mail [account Mail]", "    Shop [account Shop]", "Empty passwords: 1",
        "  Forum [account Forum]"};

    // Without the list: the breach check is left out and said so; closed without a choice.
    Platform.ExpectMessageBox(BreachQuestion, TMessageKind::mkConfirmation,
                              TMessageButtons::mbYesNo, idNo);
    std::vector<std::string> shown = common;
    shown.push_back("Breached passwords: not looked up");
    Platform.ExpectReport("Health report", shown);
    Key(Qt::Key_R);
    ASSERT_TRUE(Platform.Done());
    EXPECT_EQ(Selector()->currentText(), "Bank");

    // With it, from the menu; Kite's account is then chosen and shown.
    Platform.ExpectMessageBox(BreachQuestion, TMessageKind::mkConfirmation,
                              TMessageButtons::mbYesNo, idYes);
    Platform.ExpectFileDialog(TFileDialogKind::fdOpen, "Choose the list of breached passwords",
                              Path("pwned.txt"));
    shown = common;
    shown.insert(shown.end(),
                 {"Passwords found in " + Path("pwned.txt") + ": 3",
                  "  Mail: seen 3861493 times [account Mail]",
                  "  Shop: seen 3861493 times [account Shop]", "  Kite: seen once [account Kite]"});
    Platform.ExpectReport("Health report", shown, "Kite");
    Action("actHealthReport")->trigger();
    ASSERT_TRUE(Platform.Done());
    EXPECT_EQ(Selector()->currentText(), "Kite");
    EXPECT_EQ(Login()->text(), "k");
    EXPECT_EQ(form.PanelText(1), "") << "reading the passwords changes nothing";
    for (const auto& call : Platform.Calls())
        for (const std::string& line : call.Lines)
            for (const std::string& password : {strong, std::string("kite2024")})
                EXPECT_EQ(line.find(password), std::string::npos) << line;

    // Locked, neither command runs.
    Platform.ExpectPassword("Please enter the password to unlock", ""); // stays locked
    Key(Qt::Key_L, Qt::ControlModifier);
    ASSERT_TRUE(form.Locked());
    EXPECT_FALSE(Action("actHealthReport")->isEnabled());
    EXPECT_FALSE(Action("actImport")->isEnabled());
}

TEST_F(HealthAndImportTest, AnImportIsShownFirstAddedOnlyOnOkAndTakenBackByUndo) {
    TfrmMain& form = Open({Record("Mail", "m", "pm")});
    const std::string saved = FileBytes(Path("vault.kvf"));
    PutFileBytes(Path("keepassxc.csv"),
                 "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"TOTP\","
                 "\"Icon\",\"Last Modified\",\"Created\"\r\n"
                 "\"Root\",\"Mail\",\"ann\",\"p1\",\"https://mail.example.org\",\"a; b\",\"\","
                 "\"0\",\"\",\"\"\r\n"
                 "\"Root\",\"Shop\",\"bob\",\"p2\",\"\",\"\",\"\",\"0\",\"\",\"\"\r\n");
    const std::string title = "Import from another password manager";
    const std::vector<std::string> plan = {
        "2 accounts from " + Path("keepassxc.csv") +
            " will be added to this vault, 1 of them renamed. No password is shown here. OK adds "
            "them; one Undo takes them all back.",
        "Accounts to add: 2",
        "  Mail (2) (a \";\" of its notes becomes a line break)",
        "  Shop",
        "Renamed, as the vault or the export has the name already: 1",
        "  Mail (" + Path("keepassxc.csv") + " line 2) becomes Mail (2)"};

    // Cancel adds nothing.
    Platform.ExpectFileDialog(TFileDialogKind::fdOpen, title, Path("keepassxc.csv"), 1);
    Platform.ExpectReportConfirmation("Import from KeePassXC", plan, false);
    Key(Qt::Key_I);
    ASSERT_TRUE(Platform.Done());
    EXPECT_EQ(SelectorItems(), (QStringList{"Mail"}));
    EXPECT_FALSE(form.Modified());
    EXPECT_EQ(Platform.Calls()[1].Lines,
              (std::vector<std::string>{
                  "KeePassXC export (CSV)|*.csv|Firefox passwords (CSV)|*.csv|Chrome, Edge or "
                  "Brave passwords (CSV)|*.csv|Bitwarden export, not encrypted (JSON)|*.json"}));

    // OK adds both, the vault modified; one Undo takes both back, to the saved file, and one Redo
    // adds them again.
    Platform.ExpectFileDialog(TFileDialogKind::fdOpen, title, Path("keepassxc.csv"));
    Platform.ExpectReportConfirmation("Import from KeePassXC", plan, true);
    Action("actImport")->trigger();
    ASSERT_TRUE(Platform.Done());
    EXPECT_EQ(SelectorItems(), (QStringList{"Mail", "Mail (2)", "Shop"}));
    EXPECT_EQ(form.PanelText(1), "MOD");
    EXPECT_EQ(Message(), "2 accounts imported.");
    Choose("Mail (2)");
    EXPECT_EQ(Password()->text(), "p1");
    EXPECT_EQ(Notes()->toPlainText(), "https://mail.example.org\na\n b");
    Selector()->setFocus();
    QTest::keyClick(Selector(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(SelectorItems(), (QStringList{"Mail"}));
    EXPECT_FALSE(form.Modified());
    QTest::keyClick(Selector(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(SelectorItems(), (QStringList{"Mail", "Mail (2)", "Shop"}));
    QTest::keyClick(Selector(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(form.Modified());

    // A character that Windows-1252 lacks stops it before anything is shown or added; the chosen
    // filter stays the format.
    PutFileBytes(Path("firefox.csv"),
                 "url,username,password,httpRealm,formActionOrigin,guid,timeCreated,"
                 "timeLastUsed,timePasswordChanged\r\n"
                 "https://a.example.com,ann,pw,,,{1},1,1,1\r\n"
                 "https://b.example.com,\xCE\xA9mega,pw,,,{2},1,1,1\r\n");
    Platform.ExpectFileDialog(TFileDialogKind::fdOpen, title, Path("firefox.csv"), 2);
    Platform.ExpectErrorBox(Path("firefox.csv") +
                            " line 3: the login: Character U+03A9 cannot be held in "
                            "Windows-1252. Nothing was imported.");
    Key(Qt::Key_I);
    ASSERT_TRUE(Platform.Done());
    EXPECT_EQ(SelectorItems(), (QStringList{"Mail"}));
    EXPECT_EQ(FileBytes(Path("vault.kvf")), saved);
}

} // namespace
