#pragma once

// The per-user settings store: one key with named text values. On Windows the key lives under
// HKEY_CURRENT_USER in the registry; elsewhere it is the user's configuration file for the
// organisation and application that the key path names. Failures raise ERegistryException.

#include <memory>
#include <string>

class QSettings;

// The program's one key and its one value.
inline constexpr const char* SettingsKeyPath = "Software\\OmbrelInc\\Durnhold";
inline constexpr const char* SettingsDataFileValue = "Datafile";

// The user's choices for daily use, beside the data file's path in the same key. A missing or
// unreadable value keeps its default: a preference never stops the program from starting.
struct TUserPreferences {
    int ClipboardClearSeconds = 10; // 0: a copied secret stays on the clipboard
    int LockAfterIdleMinutes = 0;   // 0: no lock for idleness
    bool LockOnScreenLock = true;
    bool HidePassword = false;
    // New makes format 1 unless this is 2 (the hardened format).
    int NewFileFormat = 1;
    // The hardened format's key derivation for new keys: passes and MiB, 0 for the format's own
    // defaults. The window checks them against the format's rules.
    int KdfPasses = 0;
    int KdfMemoryMiB = 0;
};

inline constexpr const char* SettingsClipboardClearValue = "ClipboardClearSeconds";
inline constexpr const char* SettingsLockAfterIdleValue = "LockAfterIdleMinutes";
inline constexpr const char* SettingsLockOnScreenLockValue = "LockOnScreenLock";
inline constexpr const char* SettingsHidePasswordValue = "HidePassword";
inline constexpr const char* SettingsNewFileFormatValue = "NewFileFormat";
inline constexpr const char* SettingsKdfPassesValue = "KdfPasses";
inline constexpr const char* SettingsKdfMemoryValue = "KdfMemoryMiB";

class TSettingsStore {
public:
    TSettingsStore();
    ~TSettingsStore();
    TSettingsStore(const TSettingsStore&) = delete;
    TSettingsStore& operator=(const TSettingsStore&) = delete;

    // Without create: true exactly when the key exists and can be read and written.
    // With create: the key is made when missing.
    bool OpenSettingsKey(const std::string& keyPath, bool create);
    // A missing value gives the empty text; a value that is not text raises.
    std::string ReadSettingsString(const std::string& name);
    void WriteSettingsString(const std::string& name, const std::string& value);
    // A whole number from 0 to maximum, or true/false (also 1/0, yes/no, on/off); anything
    // else, or a missing value, gives the fallback.
    int ReadSettingsInteger(const std::string& name, int fallback, int maximum);
    bool ReadSettingsBool(const std::string& name, bool fallback);

private:
    std::unique_ptr<QSettings> FSettings;
};

// Reads the preferences once, at start; without the key every default holds.
TUserPreferences ReadUserPreferences();
