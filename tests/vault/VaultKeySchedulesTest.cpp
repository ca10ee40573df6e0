// The older format through the vault's format seam: each action keys Blowfish exactly as often as
// it always has, so that neither a guess nor an edit got dearer or cheaper.

#include "VaultTestSupport.h"

#include "cipher/BlowCore.h"
#include "vault/DataFile.h"
#include "vault/Vault.h"

#include <functional>

namespace {

TEST(VaultKeySchedules, EachActionOnTheOlderFormatKeysTheCipherAsOftenAsBefore) {
    TTempFolder folder;
    const std::string path = folder.File("vault.kvf");
    {
        TVault vault;
        vault.Create(path, "secret");
        for (const char* name : {"Bank", "Mail", "Shop"})
            ASSERT_TRUE(vault.Add(std::string(name)));
        vault.Save();
    }
    TVault vault;
    const auto keep = [](const std::vector<TStrandedLine>&) { return true; };
    const struct {
        const char* Action;
        std::function<void()> Run;
        std::uint64_t Schedules;
    } actions[] = {
        {"Open", [&] { ASSERT_EQ(vault.Open(path, "secret"), TOpenResult::Opened); }, 2},
        {"Choose", [&] { vault.Select(1); }, 1},
        {"Keystroke", [&] { vault.StoreField(&TPassRecord::Login, "x"); }, 1},
        {"Add", [&] { ASSERT_TRUE(vault.Add(std::string("Zoo"))); }, 1},
        {"Delete", [&] { vault.DeleteCurrent(); }, 1},
        {"Save", [&] { vault.Save(); }, 0},
        {"Old password checked", [&] { EXPECT_TRUE(vault.PasswordOpensDataFile("secret")); }, 0},
        {"Change password",
         [&] { ASSERT_EQ(vault.ChangePassword("fresh", keep), TPasswordChange::Changed); }, 3},
        {"Lock", [&] { EXPECT_TRUE(vault.Lock()); }, 0},
        {"Unlock", [&] { EXPECT_TRUE(vault.Unlock("fresh")); }, 3},
    };
    for (const auto& action : actions) {
        SCOPED_TRACE(action.Action);
        const std::uint64_t before = KeyScheduleCount();
        action.Run();
        EXPECT_EQ(KeyScheduleCount() - before, action.Schedules);
    }
    EXPECT_EQ(vault.Format(), TDataFormat::Classic);
    EXPECT_EQ(ReadDataFile(path).size(), 3u);
}

} // namespace
