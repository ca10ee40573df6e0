// The health report: which accounts it names under which finding, how it groups shared
// passwords, and that it leaves the vault showing what it showed. zxcvbn's own figures are its
// business; the ranges built on them are tested here.

#include "VaultTestSupport.h"

#include "vault/HealthReport.h"
#include "vault/Vault.h"

#include <map>

namespace {

std::vector<std::string> Names(const std::vector<THealthEntry>& entries) {
    std::vector<std::string> names;
    for (const THealthEntry& entry : entries)
        names.push_back(entry.Name);
    return names;
}

TEST(PasswordStrength, TheRangesAndTheirWords) {
    const std::pair<double, TStrengthLevel> cases[] = {
        {0, TStrengthLevel::Poor},       {31.99, TStrengthLevel::Poor},
        {32, TStrengthLevel::Weak},      {47.99, TStrengthLevel::Weak},
        {48, TStrengthLevel::Good},      {63.99, TStrengthLevel::Good},
        {64, TStrengthLevel::Excellent}, {500, TStrengthLevel::Excellent},
    };
    for (const auto& [bits, level] : cases)
        EXPECT_EQ(StrengthLevelOf(bits), level) << bits;
    EXPECT_STREQ(StrengthWord(TStrengthLevel::Poor), "poor");
    EXPECT_STREQ(StrengthWord(TStrengthLevel::Weak), "weak");
    EXPECT_STREQ(StrengthWord(TStrengthLevel::Good), "good");
    EXPECT_STREQ(StrengthWord(TStrengthLevel::Excellent), "excellent");
}

TEST(PasswordStrength, EstimatesCarryTheirRangeAndOwnWordsCount) {
    for (const std::string password :
         {"", "password", "Tr0ub4dor&3", "correct horse battery staple", "Qm9#xT4!pL2@vN7&Zr5$",
          "Caf\xE9 cr\xE8me \x80"}) {
        SCOPED_TRACE(password);
        const TPasswordStrength strength = EstimateStrength(password);
        EXPECT_GE(strength.Bits, 0);
        EXPECT_EQ(strength.Level, StrengthLevelOf(strength.Bits));
    }
    EXPECT_EQ(EstimateStrength("").Bits, 0);
    EXPECT_EQ(EstimateStrength("password").Level, TStrengthLevel::Poor);
    EXPECT_EQ(EstimateStrength("Qm9#xT4!pL2@vN7&Zr5$").Level, TStrengthLevel::Excellent);
    // A password made of the account's own name is cheaper to guess than zxcvbn alone thinks.
    EXPECT_LT(EstimateStrength("Zorvexbank77", {"Zorvexbank"}).Bits,
              EstimateStrength("Zorvexbank77").Bits);
}

class HealthReport : public testing::Test {
protected:
    void SetUp() override {
        FVault.Create(FFolder.File("v.kvf"), "master");
        for (const auto& [name, password] : FPasswords) {
            ASSERT_TRUE(FVault.Add(TPassRecord{name, "login of " + name, password, "n;"}));
        }
    }
    int Row(const std::string& name) const { return FVault.FindAccount(name); }

    TTempFolder FFolder;
    TVault FVault;
    const std::map<std::string, std::string> FPasswords = {
        {"mail", "password"},   {"Shop", "password"},
        {"forum", "password"},  {"bank", "k3j9x2m7q1"},
        {"work", "k3j9x2m7q1"}, {"wifi", ""},
        {"Router", ""},         {"strong", "Qm9#xT4!pL2@vN7&Zr5$"},
        {"pin", "1234"},
    };
};

TEST_F(HealthReport, GroupsSharedPasswordsAndListsEmptyOnes) {
    const THealthReport report = CheckVaultHealth(FVault);
    EXPECT_EQ(report.Accounts, 9);
    EXPECT_FALSE(report.BreachesChecked);
    ASSERT_EQ(report.Shared.size(), 2u);
    // The larger group first, each in the selector's order.
    EXPECT_EQ(Names(report.Shared[0]), (std::vector<std::string>{"forum", "mail", "Shop"}));
    EXPECT_EQ(Names(report.Shared[1]), (std::vector<std::string>{"bank", "work"}));
    EXPECT_EQ(Names(report.Empty), (std::vector<std::string>{"Router", "wifi"}));
    EXPECT_TRUE(report.Breached.empty());
    for (const auto& group : report.Shared) {
        for (const THealthEntry& entry : group)
            EXPECT_EQ(FVault.Account(entry.Row).Name, entry.Name);
    }
}

// Weak is below the good range by the estimate with the account's name as its own word: every
// account that is so, weakest first, and no empty one.
TEST_F(HealthReport, NamesEveryWeakPasswordWeakestFirst) {
    const THealthReport report = CheckVaultHealth(FVault);
    std::vector<std::string> expected;
    for (const auto& [name, password] : FPasswords) {
        if (!password.empty() && EstimateStrength(password, {name}).Bits < GoodFromBits)
            expected.push_back(name);
    }
    std::vector<std::string> weak = Names(report.Weak);
    EXPECT_TRUE(std::is_sorted(report.Weak.begin(), report.Weak.end(),
                               [](const THealthEntry& a, const THealthEntry& b) {
                                   return a.Strength.Bits < b.Strength.Bits;
                               }));
    for (const THealthEntry& entry : report.Weak) {
        EXPECT_LT(entry.Strength.Bits, GoodFromBits);
        EXPECT_NE(entry.Strength.Level, TStrengthLevel::Good);
    }
    std::sort(weak.begin(), weak.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(weak, expected);
    EXPECT_NE(std::find(weak.begin(), weak.end(), "mail"), weak.end());
    EXPECT_EQ(std::find(weak.begin(), weak.end(), "strong"), weak.end());
}

TEST_F(HealthReport, LooksPasswordsUpInTheBreachList) {
    // SHA-1 of "1234" and of "password", sorted.
    WriteBytes(FFolder.File("list.txt"), "0000000000000000000000000000000000000001:5\r\n"
                                         "5BAA61E4C9B93F3F0682250B6CF8331B7EE68FD8:10\r\n"
                                         "7110EDA4D09E062AA5E4A390B0A572AC0D2C0220:99\r\n");
    TBreachList list(FFolder.File("list.txt"));
    THealthOptions options;
    options.Breaches = &list;
    std::vector<std::pair<int, int>> progress;
    options.Progress = [&progress](int done, int total) { progress.emplace_back(done, total); };
    const THealthReport report = CheckVaultHealth(FVault, options);
    EXPECT_TRUE(report.BreachesChecked);
    // The most often seen first; equal counts in the selector's order.
    EXPECT_EQ(Names(report.Breached), (std::vector<std::string>{"pin", "forum", "mail", "Shop"}));
    EXPECT_EQ(report.Breached.front().TimesSeen, 99u);
    EXPECT_EQ(report.Breached.back().TimesSeen, 10u);
    ASSERT_EQ(progress.size(), 9u);
    EXPECT_EQ(progress.back(), std::make_pair(9, 9));
}

TEST_F(HealthReport, LeavesTheShownAccountShownAndTheVaultUnchanged) {
    FVault.Save();
    FVault.Select(Row("strong"));
    const THealthReport report = CheckVaultHealth(FVault);
    EXPECT_FALSE(FVault.Modified());
    EXPECT_EQ(FVault.CurrentRow(), Row("strong"));
    EXPECT_EQ(FVault.Current().Password, "Qm9#xT4!pL2@vN7&Zr5$");
    EXPECT_EQ(AccountPassword(FVault, report.Shared[1].front().Row), "k3j9x2m7q1");
    EXPECT_EQ(FVault.CurrentRow(), Row("strong"));
}

TEST_F(HealthReport, ALockedVaultIsNotRead) {
    ASSERT_TRUE(FVault.Lock());
    EXPECT_THROW(CheckVaultHealth(FVault), std::logic_error);
    EXPECT_TRUE(FVault.Locked());
}

} // namespace
