// A hardening whose write fails once the lines are converted: the vault goes on in the older
// format with its lines as they were.

#include "FaultInjection.h"
#include "Kvf2TestSupport.h"
#include "platform/PlatformErrors.h"
#include "vault/DataFile.h"
#include "vault/Vault.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace FaultInjection;

const std::string Master = "Correct Horse";

std::vector<std::string> Names(const TVault& vault) {
    std::vector<std::string> names;
    for (int row = 0; row < vault.AccountCount(); ++row)
        names.push_back(vault.Account(row).Name);
    return names;
}

TEST(UpgradeFault, AWriteThatFailsLeavesTheOlderLinesAsTheyWere) {
    TTempFolder folder;
    const std::string path = folder.File("PassData.kvf");
    TBlowfish cipher;
    std::vector<std::string> older;
    for (const TPassRecord& record : SampleAccounts)
        older.push_back(EncodeRecord(cipher, record, Master));
    older.insert(older.begin() + 2, "not;a;record;line!");
    WriteDataFile(cipher, path, Master, older);
    const std::string olderBytes = ReadBytes(path);
    TVault vault;
    ASSERT_EQ(vault.Open(path, Master), TOpenResult::Opened);
    const std::vector<std::string> names = Names(vault);

    {
        TFaultPlan plan;
        plan.DiskSpace = olderBytes.size() + 16; // room for the backup, not the hardened file
        const TFaultInjector injector(folder.Path(), plan);
        EXPECT_THROW(vault.Upgrade(Master, SmallParams), EInOutError);
        EXPECT_TRUE(injector.Injected());
    }
    EXPECT_EQ(vault.Format(), TDataFormat::Classic);
    EXPECT_EQ(Names(vault), names);
    EXPECT_EQ(ReadBytes(path), olderBytes);
    ASSERT_TRUE(vault.Add(TPassRecord{"zz new", "me", "pw", ""}));
    vault.Select(vault.FindAccount("zz new"));
    vault.DeleteCurrent();
    vault.Save(); // in the order of the names now, after an Add
    std::vector<std::string> saved = ReadDataFile(path);
    std::sort(saved.begin(), saved.end());
    std::sort(older.begin(), older.end());
    EXPECT_EQ(saved, older);
}

} // namespace
