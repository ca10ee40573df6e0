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

private:
    std::unique_ptr<QSettings> FSettings;
};
