#pragma once

// Drives a modal dialog from inside its event loop: the action runs once the dialog is the active
// modal widget.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

template <typename Dialog> void WhenModal(std::function<void(Dialog*)> action) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        action(dialog);
    });
    timer->start();
}
