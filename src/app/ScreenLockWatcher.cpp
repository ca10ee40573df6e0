#include "app/ScreenLockWatcher.h"

#ifdef KESTOVAR_HAVE_DBUS
#include <QDBusConnection>
#endif

TScreenLockWatcher::TScreenLockWatcher(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("ScreenLockWatcher"));
#ifdef KESTOVAR_HAVE_DBUS
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    // Any sender: the service that owns the name differs between desktops.
    for (const auto& [path, interface] :
         {std::pair{"/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver"},
          std::pair{"/ScreenSaver", "org.freedesktop.ScreenSaver"},
          std::pair{"/org/gnome/ScreenSaver", "org.gnome.ScreenSaver"}})
        bus.connect(QString(), QLatin1String(path), QLatin1String(interface),
                    QStringLiteral("ActiveChanged"), this, SLOT(ActiveChanged(bool)));
#endif
}

void TScreenLockWatcher::ActiveChanged(bool active) {
    if (active)
        emit ScreenLocked();
}
