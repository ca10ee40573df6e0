#pragma once

// Helpers for driving the dialogs the way a user does: keys and clicks through Qt Test.

#include <QAccessible>
#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QString>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

// The child named `name`, or null; callers assert that it exists.
template <class T> T* Child(const QWidget& form, const char* name) {
    return form.findChild<T*>(QString::fromLatin1(name));
}

// Types text that Qt Test's keyClicks cannot (it passes only Latin-1).
inline void TypeUnicode(QWidget* widget, const QString& text) {
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

inline QString AccessibleName(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible != nullptr ? accessible->text(QAccessible::Name) : QString();
}

// Where a window of this frame size stands when centred on the primary screen.
inline QPoint ScreenCentredPosition(const QWidget& window) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QSize frame = window.frameGeometry().size();
    return {screen.x() + (screen.width() - frame.width()) / 2,
            screen.y() + (screen.height() - frame.height()) / 2};
}

struct TModalRun {
    int Result = -1;
    bool ClosedByUser = false; // false: the actions left it open and the test had to close it
};

// Runs dialog.exec() and, inside its modal loop, performs the user's actions. A dialog that the
// actions leave open is rejected so that a failing test cannot hang.
inline TModalRun RunModal(QDialog& dialog, const std::function<void()>& actions) {
    TModalRun run;
    QTimer::singleShot(0, &dialog, [&] {
        actions();
        run.ClosedByUser = !dialog.isVisible();
        if (dialog.isVisible())
            dialog.done(QDialog::Rejected);
    });
    run.Result = dialog.exec();
    return run;
}
