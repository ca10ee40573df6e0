#include "platform/Settings.h"

#include "platform/FileSystem.h"
#include "platform/PlatformErrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

namespace {

struct TKeyName {
    QString Organization;
    QString Application;
};

// "Software\<organisation>\<application>": the form in which QSettings names a key under
// HKEY_CURRENT_USER, and on other systems a configuration file.
bool ParseKeyPath(const std::string& keyPath, TKeyName& name) {
    const QStringList parts =
        QString::fromLatin1(keyPath.data(), static_cast<qsizetype>(keyPath.size()))
            .split(QLatin1Char('\\'));
    if (parts.size() != 3 ||
        parts[0].compare(QLatin1String("Software"), Qt::CaseInsensitive) != 0 ||
        parts[1].isEmpty() || parts[2].isEmpty())
        return false;
    name = {parts[1], parts[2]};
    return true;
}

#ifdef Q_OS_WIN

bool KeyExists(const QSettings&, const TKeyName& name) {
    const QSettings organization(QLatin1String("HKEY_CURRENT_USER\\Software\\") + name.Organization,
                                 QSettings::NativeFormat);
    return organization.childGroups().contains(name.Application, Qt::CaseInsensitive);
}

bool CreateKey(QSettings&) {
    // The registry key is made by the first write.
    return true;
}

#else

bool KeyExists(const QSettings& settings, const TKeyName&) {
    return QFileInfo(settings.fileName()).isFile();
}

// An empty configuration file is the empty key.
bool CreateKey(QSettings& settings) {
    const QFileInfo file(settings.fileName());
    if (file.isFile())
        return true;
    if (!QDir().mkpath(file.absolutePath()))
        return false;
    QFile created(file.absoluteFilePath());
    return created.open(QIODevice::WriteOnly | QIODevice::NewOnly);
}

#endif

} // namespace

TSettingsStore::TSettingsStore() = default;

TSettingsStore::~TSettingsStore() = default;

bool TSettingsStore::OpenSettingsKey(const std::string& keyPath, bool create) {
    FSettings.reset();
    TKeyName name;
    if (!ParseKeyPath(keyPath, name))
        return false;
    auto settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                name.Organization, name.Application);
    // Only the user's own key counts, as under HKEY_CURRENT_USER: no system-wide or
    // organisation-wide defaults.
    settings->setFallbacksEnabled(false);
    bool opened = false;
    if (create)
        opened = CreateKey(*settings) && settings->isWritable();
    else
        opened = KeyExists(*settings, name) && settings->isWritable();
    // With create the key is kept even when making it failed, so that the write reports it.
    if (opened || create)
        FSettings = std::move(settings);
    return opened;
}

std::string TSettingsStore::ReadSettingsString(const std::string& name) {
    if (!FSettings)
        return {};
    const QVariant value = FSettings->value(QString::fromStdString(name));
    if (!value.isValid())
        return {};
    if (value.typeId() != QMetaType::QString)
        throw ERegistryException(TErrorMessage(TErrorCode::SettingOfWrongType, {name}));
    std::string text = PathFromQString(value.toString());
    // A registry string ends at its first NUL.
    if (const auto nul = text.find('\0'); nul != std::string::npos)
        text.resize(nul);
    return text;
}

void TSettingsStore::WriteSettingsString(const std::string& name, const std::string& value) {
    const TErrorMessage failure(TErrorCode::SettingNotStored, {name});
    if (!FSettings || !FSettings->isWritable())
        throw ERegistryException(failure);
    FSettings->setValue(QString::fromStdString(name), PathToQString(value));
    FSettings->sync();
    if (FSettings->status() != QSettings::NoError)
        throw ERegistryException(failure);
}

int TSettingsStore::ReadSettingsInteger(const std::string& name, int fallback, int maximum) {
    if (!FSettings)
        return fallback;
    const QVariant value = FSettings->value(QString::fromStdString(name));
    bool ok = false;
    const qlonglong number = value.toString().trimmed().toLongLong(&ok);
    if (!ok || number < 0 || number > maximum)
        return fallback;
    return static_cast<int>(number);
}

bool TSettingsStore::ReadSettingsBool(const std::string& name, bool fallback) {
    if (!FSettings)
        return fallback;
    const QString text =
        FSettings->value(QString::fromStdString(name)).toString().trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("1") ||
        text == QLatin1String("yes") || text == QLatin1String("on"))
        return true;
    if (text == QLatin1String("false") || text == QLatin1String("0") ||
        text == QLatin1String("no") || text == QLatin1String("off"))
        return false;
    return fallback;
}

TUserPreferences ReadUserPreferences() {
    TUserPreferences preferences;
    TSettingsStore settings;
    if (!settings.OpenSettingsKey(SettingsKeyPath, false))
        return preferences;
    // A day at most: longer delays would overflow the timers and mean "never" anyway.
    constexpr int MaxSeconds = 24 * 60 * 60;
    constexpr int MaxMinutes = 24 * 60;
    preferences.ClipboardClearSeconds = settings.ReadSettingsInteger(
        SettingsClipboardClearValue, preferences.ClipboardClearSeconds, MaxSeconds);
    preferences.LockAfterIdleMinutes = settings.ReadSettingsInteger(
        SettingsLockAfterIdleValue, preferences.LockAfterIdleMinutes, MaxMinutes);
    preferences.LockOnScreenLock =
        settings.ReadSettingsBool(SettingsLockOnScreenLockValue, preferences.LockOnScreenLock);
    preferences.HidePassword =
        settings.ReadSettingsBool(SettingsHidePasswordValue, preferences.HidePassword);
    if (settings.ReadSettingsInteger(SettingsNewFileFormatValue, 1, 2) == 2)
        preferences.NewFileFormat = 2;
    preferences.KdfPasses = settings.ReadSettingsInteger(SettingsKdfPassesValue, 0, 10);
    preferences.KdfMemoryMiB = settings.ReadSettingsInteger(SettingsKdfMemoryValue, 0, 1024);
    return preferences;
}
