#include "platform/Settings.h"
#include "platform/PlatformErrors.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Every test has its own settings folder, never the user's.
class SettingsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FUserDir.isValid());
        ASSERT_TRUE(FSystemDir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, FUserDir.path());
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, FSystemDir.path());
    }

    QString UserFile() const { return FUserDir.filePath("OmbrelInc/Durnhold.conf"); }

    // A value stored by some other program, of any type.
    void StoreRaw(const QVariant& value, QSettings::Scope scope = QSettings::UserScope) {
        QSettings settings(QSettings::NativeFormat, scope, "OmbrelInc", "Durnhold");
        settings.setValue(SettingsDataFileValue, value);
        settings.sync();
        ASSERT_EQ(settings.status(), QSettings::NoError);
    }

    QTemporaryDir FUserDir;
    QTemporaryDir FSystemDir;
};

TEST_F(SettingsTest, AMissingKeyDoesNotOpenWithoutCreate) {
    TSettingsStore store;
    EXPECT_FALSE(store.OpenSettingsKey(SettingsKeyPath, false));
    EXPECT_FALSE(QFileInfo::exists(UserFile()));
    EXPECT_EQ(store.ReadSettingsString(SettingsDataFileValue), "");
}

TEST_F(SettingsTest, CreateMakesTheKeyAndAMissingValueReadsEmpty) {
    TSettingsStore store;
    EXPECT_TRUE(store.OpenSettingsKey(SettingsKeyPath, true));
    EXPECT_EQ(store.ReadSettingsString(SettingsDataFileValue), "");

    TSettingsStore later;
    EXPECT_TRUE(later.OpenSettingsKey(SettingsKeyPath, false));
    EXPECT_EQ(later.ReadSettingsString(SettingsDataFileValue), "");
}

TEST_F(SettingsTest, AWrittenPathReadsBackInTheUsersFile) {
    const std::string path = "/home/u/Caf\xC3\xA9, docs/PassData.kvf"; // file-system bytes
    {
        TSettingsStore store;
        store.OpenSettingsKey(SettingsKeyPath, true);
        store.WriteSettingsString(SettingsDataFileValue, path);
    }
    EXPECT_TRUE(QFileInfo(UserFile()).isFile());
    TSettingsStore store;
    ASSERT_TRUE(store.OpenSettingsKey(SettingsKeyPath, false));
    EXPECT_EQ(store.ReadSettingsString(SettingsDataFileValue), path);

    // A name that is not UTF-8 comes back as its bytes, for the next start to open.
    const std::string latin1 = "/home/u/Caf\xE9.kvf";
    store.WriteSettingsString(SettingsDataFileValue, latin1);
    TSettingsStore reread;
    ASSERT_TRUE(reread.OpenSettingsKey(SettingsKeyPath, false));
    EXPECT_EQ(reread.ReadSettingsString(SettingsDataFileValue), latin1);

    store.WriteSettingsString(SettingsDataFileValue, "");
    TSettingsStore cleared;
    ASSERT_TRUE(cleared.OpenSettingsKey(SettingsKeyPath, false));
    EXPECT_EQ(cleared.ReadSettingsString(SettingsDataFileValue), "");
}

TEST_F(SettingsTest, AValueThatIsNotTextIsRefused) {
    for (const QVariant& value :
         {QVariant(QByteArray("\x01\x02", 2)), QVariant(QStringList{"a", "b"})}) {
        StoreRaw(value);
        TSettingsStore store;
        ASSERT_TRUE(store.OpenSettingsKey(SettingsKeyPath, false));
        try {
            store.ReadSettingsString(SettingsDataFileValue);
            FAIL() << "read a value of type " << value.typeName();
        } catch (const ERegistryException& error) {
            EXPECT_STREQ(error.what(), "Invalid data type for 'Datafile'");
        }
    }
}

TEST_F(SettingsTest, OnlyTheUsersOwnKeyCounts) {
    StoreRaw(QStringLiteral("/etc/shared.kvf"), QSettings::SystemScope);
    TSettingsStore store;
    EXPECT_FALSE(store.OpenSettingsKey(SettingsKeyPath, false));
    ASSERT_TRUE(store.OpenSettingsKey(SettingsKeyPath, true));
    EXPECT_EQ(store.ReadSettingsString(SettingsDataFileValue), "");
}

TEST_F(SettingsTest, AFailedWriteRaises) {
    // A folder where the settings file belongs cannot be written by anybody.
    ASSERT_TRUE(QDir().mkpath(UserFile()));
    TSettingsStore store;
    EXPECT_FALSE(store.OpenSettingsKey(SettingsKeyPath, false));
    store.OpenSettingsKey(SettingsKeyPath, true);
    try {
        store.WriteSettingsString(SettingsDataFileValue, "/tmp/x.kvf");
        FAIL() << "the write did not fail";
    } catch (const ERegistryException& error) {
        EXPECT_STREQ(error.what(), "Failed to set data for 'Datafile'");
    }

    TSettingsStore unopened;
    EXPECT_THROW(unopened.WriteSettingsString(SettingsDataFileValue, "/tmp/x.kvf"),
                 ERegistryException);
}

TEST_F(SettingsTest, PreferencesKeepTheirDefaultsWithoutTheKeyAndForValuesThatMakeNoSense) {
    const TUserPreferences defaults = ReadUserPreferences();
    EXPECT_EQ(defaults.ClipboardClearSeconds, 10);
    EXPECT_EQ(defaults.LockAfterIdleMinutes, 0);
    EXPECT_TRUE(defaults.LockOnScreenLock);
    EXPECT_FALSE(defaults.HidePassword);

    const struct {
        QVariant Clear, Idle, ScreenLock, Hide;
        int WantClear, WantIdle;
        bool WantScreenLock, WantHide;
    } cases[] = {
        {0, 5, false, true, 0, 5, false, true},
        {QStringLiteral(" 30 "), QStringLiteral("1"), QStringLiteral("off"), QStringLiteral("YES"),
         30, 1, false, true},
        {-3, QStringLiteral("soon"), QStringLiteral("maybe"), 2, 10, 0, true, false},
        {QStringLiteral("99999999999"), 100000, QStringList{"a", "b"}, QString(), 10, 0, true,
         false},
    };
    for (const auto& c : cases) {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "OmbrelInc", "Durnhold");
        settings.setValue(SettingsClipboardClearValue, c.Clear);
        settings.setValue(SettingsLockAfterIdleValue, c.Idle);
        settings.setValue(SettingsLockOnScreenLockValue, c.ScreenLock);
        settings.setValue(SettingsHidePasswordValue, c.Hide);
        settings.sync();
        const TUserPreferences read = ReadUserPreferences();
        const std::string shown = c.Clear.toString().toStdString();
        EXPECT_EQ(read.ClipboardClearSeconds, c.WantClear) << shown;
        EXPECT_EQ(read.LockAfterIdleMinutes, c.WantIdle) << shown;
        EXPECT_EQ(read.LockOnScreenLock, c.WantScreenLock) << shown;
        EXPECT_EQ(read.HidePassword, c.WantHide) << shown;
    }
}

} // namespace
