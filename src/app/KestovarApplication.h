#pragma once

// The application object. An exception that escapes an event handler is shown by the error
// display and the window stays usable. The window's own handlers catch theirs before Qt's frames
// (Qt does not unwind its own code), through the same error display; this is the last resort.

#include <QApplication>

class TPlatformServices;

class TKestovarApplication : public QApplication {
    Q_OBJECT
public:
    TKestovarApplication(int& argc, char** argv);

    void SetErrorDisplay(TPlatformServices* platform) noexcept { FErrorDisplay = platform; }
    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the message of the exception being handled.
    void ShowCurrentException() const;

private:
    TPlatformServices* FErrorDisplay = nullptr;
};
