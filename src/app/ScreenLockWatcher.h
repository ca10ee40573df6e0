#pragma once

// Tells when the desktop locks the screen, where the desktop says so on the session bus
// (org.freedesktop.ScreenSaver or org.gnome.ScreenSaver, signal ActiveChanged). Without a
// session bus, such a service or Qt's D-Bus module it simply never tells.

#include <QObject>

class TScreenLockWatcher : public QObject {
    Q_OBJECT
public:
    explicit TScreenLockWatcher(QObject* parent = nullptr);

signals:
    void ScreenLocked();

public slots:
    // What the screen saver announces: true when it became active (the screen locked).
    void ActiveChanged(bool active);
};
