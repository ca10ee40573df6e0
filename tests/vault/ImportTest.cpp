// Imports from other password managers: each manager's export, as a small file written by hand
// after its published columns, planned row by row; refusals that stop the whole import; and the
// browsers' layout that an export writes for the way out.

#include "VaultTestSupport.h"

#include "platform/Codepage.h"
#include "vault/BrowserCsv.h"
#include "vault/FieldText.h"
#include "vault/ImportError.h"
#include "vault/ImportPlan.h"
#include "vault/Vault.h"

#include <gmock/gmock.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include <set>

namespace {

const std::set<std::string> TakenNames = {"Taken", "Visa"};

bool NameTaken(const std::string& name) {
    return TakenNames.count(name) > 0;
}

std::string Sample(const char* name) {
    return std::string(KESTOVAR_TEST_DATA_DIR) + "/import/" + name;
}

TImportPlan PlanSample(TImportFormat format, const char* name) {
    const std::string path = Sample(name);
    return PlanImport(format, ReadUtf8File(path), name, NameTaken);
}

struct TExpectedRow {
    const char* Where;
    const char* Name;
    const char* Login;
    const char* Password;
    const char* Notes;
    const char* SourceName;
    bool NotesBroken;
};

void ExpectRows(const TImportPlan& plan, const std::vector<TExpectedRow>& expected) {
    ASSERT_EQ(plan.Accounts.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const TPlannedAccount& got = plan.Accounts[i];
        const TExpectedRow& want = expected[i];
        SCOPED_TRACE(want.Where);
        EXPECT_EQ(got.Where, want.Where);
        EXPECT_EQ(got.Record.Account, want.Name);
        EXPECT_EQ(got.Record.Login, want.Login);
        EXPECT_EQ(got.Record.Password, want.Password);
        EXPECT_EQ(got.Record.Notes, want.Notes);
        EXPECT_EQ(got.SourceName, want.SourceName);
        EXPECT_EQ(got.NotesBroken, want.NotesBroken);
    }
}

TEST(ImportPlan, KeePassXCsDefaultColumns) {
    ExpectRows(
        PlanSample(TImportFormat::KeePassXC, "keepassxc.csv"),
        {
            {"keepassxc.csv line 2", "Mail, personal", "ann@example.org", "p,w\"1",
             "https://mail.example.org;"
             "otpauth://totp/Mail:ann?secret=JBSWY3DPEHPK3PXP&issuer=Mail;first line;second line;",
             "", false},
            {"keepassxc.csv line 4", "Shop", "", "", "", "", false},
            {"keepassxc.csv line 5", "Shop (2)", "bob", "pw2",
             "shop.example.com;otpauth://totp/Shop?secret=GEZDGNBV&period=60&digits=8;size; "
             "colour;",
             "Shop", true},
            {"keepassxc.csv line 6", "bank.example.com", "carl", "pw3",
             "https://bank.example.com/login;", "", false},
            {"keepassxc.csv line 7", "Taken (2)", "dora", "pw4",
             "otpauth://totp/Taken?secret=JBSWY3DPEHPK3PXP;Caf\xE9 \x80"
             "5;",
             "Taken", false},
        });
}

TEST(ImportPlan, FirefoxsPasswordCsv) {
    ExpectRows(PlanSample(TImportFormat::Firefox, "firefox.csv"),
               {
                   {"firefox.csv line 2", "accounts.example.com", "ann", "s3cr,et",
                    "https://accounts.example.com;", "", false},
                   {"firefox.csv line 3", "accounts.example.com (2)", "", "only \"pw\"",
                    "https://accounts.example.com;", "accounts.example.com", false},
                   {"firefox.csv line 4", "intranet.example.net", "bob", "pw",
                    "http://intranet.example.net:8080;", "", false},
                   {"firefox.csv line 6", "firefoxaccounts", "carl@example.org", "pw4",
                    "chrome://FirefoxAccounts;", "", false},
               });
}

TEST(ImportPlan, ChromiumsPasswordCsv) {
    ExpectRows(
        PlanSample(TImportFormat::Chrome, "chrome.csv"),
        {
            {"chrome.csv line 2", "Example", "ann", "pa,ss",
             "https://example.com/;line one;line two;", "", false},
            {"chrome.csv line 4", "example.com", "", "pw", "https://example.com/login;", "", false},
            {"chrome.csv line 5", "empty-name.example.org", "bob", "pw3",
             "https://empty-name.example.org/;otpauth://totp/Bob?secret=JBSWY3DPEHPK3PXP;", "",
             false},
            {"chrome.csv line 6", "Example (2)", "carl", "pw4", "https://other.example.com/;",
             "Example", false},
            {"chrome.csv line 7", "Taken (2)", "dora", "", "android://hash@com.example.app/;",
             "Taken", false},
        });
}

TEST(ImportPlan, BitwardensUnencryptedJson) {
    ExpectRows(PlanSample(TImportFormat::Bitwarden, "bitwarden.json"),
               {
                   {"bitwarden.json item 1", "Mail, work", "ann", "p\"w,1",
                    "https://mail.example.com;https://webmail.example.com;"
                    "otpauth://totp/Mail%2C%20work?secret=JBSWY3DPEHPK3PXP;"
                    "first line;second line;PIN: 1234;",
                    "", false},
                   {"bitwarden.json item 2", "Alarm code", "", "",
                    "Front door: 1234; back door: 5678;", "", true},
                   {"bitwarden.json item 3", "Visa (2)", "", "",
                    "brand: Visa;cardholderName: Ann Example;code: 123;expMonth: 12;"
                    "expYear: 2030;number: 4111111111111111;",
                    "Visa", false},
                   {"bitwarden.json item 4", "Mail, work (2)", "bob", "",
                    "otpauth://totp/Work:bob?secret=GEZDGNBV&issuer=Work;", "Mail, work", false},
               });
}

// A suffix never takes a name that the vault or a later account of the export has.
TEST(ImportPlan, SuffixesSkipNamesTakenAnywhere) {
    const QString text = QStringLiteral("name,url,username,password\n"
                                        "Taken,,,\nTaken,,,\nTaken (3),,,\nTaken (2),,,\n");
    const auto taken = [](const std::string& name) {
        return name == "Taken" || name == "Taken (4)";
    };
    const TImportPlan plan = PlanImport(TImportFormat::Chrome, text, "c.csv", taken);
    std::vector<std::string> names;
    for (const TPlannedAccount& account : plan.Accounts)
        names.push_back(account.Record.Account);
    // "Taken (2)" and "Taken (3)" belong to rows of their own; "Taken (4)" to the vault.
    EXPECT_EQ(names,
              (std::vector<std::string>{"Taken (5)", "Taken (6)", "Taken (3)", "Taken (2)"}));
}

TEST(ImportPlan, RefusalsNameTheRowAndStopEverything) {
    struct TCase {
        TImportFormat Format;
        QString Text;
        const char* Said;
    };
    const QString chrome = QStringLiteral("name,url,username,password,note\n");
    const TCase cases[] = {
        {TImportFormat::Chrome, chrome + QStringLiteral("ok,,a,b,\nx,,\u2603,b,\n"),
         "c line 3: the login: Character U+2603 cannot be held in Windows-1252"},
        {TImportFormat::Chrome, chrome + QStringLiteral("ok,,a,b,\nx,,a,\"two\nlines\",\n"),
         "c line 3: the password holds a line break"},
        {TImportFormat::Chrome, chrome + QStringLiteral("x,,a,b,\"fine\nnot \U0001F600\"\n"),
         "c line 2: the notes: Character U+1F600"},
        {TImportFormat::Chrome, chrome + QStringLiteral("x,https://ex\u0101mple.org,a,b,\n"),
         "c line 2: the web address: Character U+0101"},
        {TImportFormat::Chrome, chrome + QStringLiteral("x,,a,b\n"),
         "c line 2: 4 columns, where the header has 5"},
        {TImportFormat::Chrome, chrome + QStringLiteral("x,\"open,a,b,\n"),
         "c line 2: a quoted field is not closed"},
        {TImportFormat::Chrome, QStringLiteral("url,username,password\n"),
         "c line 1: the header has no column \"name\""},
        {TImportFormat::Firefox, QString(), "c line 1: no header line"},
        {TImportFormat::KeePassXC,
         QStringLiteral("\"Title\",\"Username\",\"Password\"\n\"a\nb\",\"\",\"\"\n"),
         "c line 2: the name holds a line break"},
        {TImportFormat::Bitwarden, QStringLiteral("{\"items\": ["), "c is not JSON"},
        {TImportFormat::Bitwarden, QStringLiteral("{\"encrypted\": true, \"items\": []}"),
         "c is an encrypted export"},
        {TImportFormat::Bitwarden, QStringLiteral("[]"), "c has no \"items\""},
        {TImportFormat::Bitwarden,
         QStringLiteral("{\"items\": [{\"name\": \"a\"}, {\"name\": \"\u0416\"}]}"),
         "c item 2: the name: Character U+0416"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Said);
        try {
            PlanImport(c.Format, c.Text, "c", NameTaken);
            ADD_FAILURE() << "not refused";
        } catch (const EImportError& error) {
            EXPECT_NE(error.Message().find(c.Said), std::string::npos) << error.Message();
            EXPECT_TRUE(error.Message().ends_with(". Nothing was imported.")) << error.Message();
        }
    }
}

TEST(ImportPlan, CarriesOutIntoTheVaultOrNotAtAll) {
    TTempFolder folder;
    const std::string path = folder.File("v.kvf");
    TVault vault;
    vault.Create(path, "pw");
    ASSERT_TRUE(vault.Add("Taken"));
    TImportPlan plan = PlanImportFile(TImportFormat::Chrome, Sample("chrome.csv"), vault);
    ASSERT_EQ(plan.Accounts.back().Record.Account, "Taken (2)");

    // A name taken between the plan and the import: nothing is added.
    ASSERT_TRUE(vault.Add("Example (2)"));
    EXPECT_THROW(CarryOutImport(vault, plan), EImportError);
    EXPECT_EQ(vault.AccountCount(), 2);

    plan = PlanImportFile(TImportFormat::Chrome, Sample("chrome.csv"), vault);
    CarryOutImport(vault, plan);
    EXPECT_EQ(vault.AccountCount(), 7);
    // The import is one step for Undo, apart from an Add after it.
    ASSERT_TRUE(vault.Add("Later"));
    vault.Undo();
    EXPECT_EQ(vault.AccountCount(), 7);
    vault.Undo();
    EXPECT_EQ(vault.AccountCount(), 2);
    vault.Redo();
    EXPECT_EQ(vault.AccountCount(), 7);
    const int row = vault.FindAccount("Example (3)");
    ASSERT_GE(row, 0);
    vault.Select(row);
    EXPECT_EQ(vault.Current().Login, "carl");
    EXPECT_EQ(vault.Current().Notes, "https://other.example.com/;");

    // The name in the refusal reads as the user typed it, not as its Windows-1252 bytes.
    TImportPlan accented;
    accented.Accounts.emplace_back().Record.Account = "Cr\xE9"
                                                      "dit";
    ASSERT_TRUE(vault.Add("Cr\xE9"
                          "dit"));
    try {
        CarryOutImport(vault, accented);
        ADD_FAILURE() << "a taken name was imported";
    } catch (const EImportError& error) {
        EXPECT_THAT(error.what(), testing::HasSubstr("named Cr\xC3\xA9"
                                                     "dit since"));
    }
}

TEST(ImportPlan, AMissingFileOrAPipeIsARefusal) {
    TTempFolder folder;
    TVault vault;
    vault.Create(folder.File("v.kvf"), "pw");
    EXPECT_THROW(PlanImportFile(TImportFormat::Firefox, folder.File("none.csv"), vault),
                 EImportError);
    // A pipe that nothing writes to is refused unopened; should it be opened, the test writes to
    // it to let the import go on.
    const std::string pipe = folder.File("pipe.csv");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::future<bool> refused = std::async(std::launch::async, [&] {
        try {
            PlanImportFile(TImportFormat::Firefox, pipe, vault);
        } catch (const EImportError&) {
            return true;
        }
        return false;
    });
    if (refused.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
        ADD_FAILURE() << "the import opened the pipe";
        ::close(::open(pipe.c_str(), O_WRONLY));
    }
    EXPECT_TRUE(refused.get());
}

TEST(ImportFormats, AreNamedAsTheCommandLineTakesThem) {
    for (const TImportFormat format : {TImportFormat::KeePassXC, TImportFormat::Firefox,
                                       TImportFormat::Chrome, TImportFormat::Bitwarden}) {
        const QString name = QString::fromLatin1(ImportFormatName(format));
        EXPECT_EQ(ImportFormatNamed(name), format);
        EXPECT_EQ(ImportFormatNamed(name.toUpper()), format);
        EXPECT_TRUE(QString::fromLatin1(ImportFormatNames()).split(u'|').contains(name));
    }
    EXPECT_FALSE(ImportFormatNamed(QStringLiteral("lastpass")));
}

TEST(BrowserCsv, TheFirstWebAddressOfTheNotesIsTheUrl) {
    struct TCase {
        TPassRecord Record;
        std::array<std::string, 5> Row;
    };
    const TCase cases[] = {
        {{"Mail", "ann", "pw", "https://mail.example.org;otpauth://x;note;"},
         {"Mail", "https://mail.example.org", "ann", "pw", "otpauth://x\nnote"}},
        {{"Shop", "", "", "first;HTTP://shop.example;http://second.example;tail"},
         {"Shop", "HTTP://shop.example", "", "", "first\nhttp://second.example\ntail"}},
        {{"No address", "l", "p", "https:// is not enough;;"},
         {"No address", "", "l", "p", "https:// is not enough\n"}},
        {{"Empty", "", "", ""}, {"Empty", "", "", "", ""}},
        {{"Only address", "", "", "https://a.example;"},
         {"Only address", "https://a.example", "", "", ""}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Record.Account);
        EXPECT_EQ(BrowserCsvRow(c.Record), c.Row);
    }
    EXPECT_EQ(BrowserCsvColumns[1], std::string("url"));
}

} // namespace
