#pragma once

// The application object. Every exception that escapes an event handler ends up here and is
// shown by the error display; the window stays usable.

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
