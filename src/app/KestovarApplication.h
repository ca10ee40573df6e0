#pragma once

// The application object. An exception that escapes an event handler is shown by the error
// display and the window stays usable. The window's own handlers catch theirs before Qt's frames
// (Qt does not unwind its own code), through the same error display; this is the last resort.
//
// SIGTERM, SIGHUP and SIGINT (the desktop's log-out, a shutdown, kill, Ctrl+C in the terminal
// that started the program) reach the event loop as TerminationRequested, so that the window
// ends through its normal exit path; where nothing is connected to it, the program quits. A
// second such signal ends the program at once. The session manager's request to save before the
// session ends is QGuiApplication::commitDataRequest.

#include <QApplication>

class QSocketNotifier;
class TPlatformServices;

class TKestovarApplication : public QApplication {
    Q_OBJECT
public:
    TKestovarApplication(int& argc, char** argv);
    ~TKestovarApplication() override;

    void SetErrorDisplay(TPlatformServices* platform) noexcept { FErrorDisplay = platform; }
    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the message of the exception being handled.
    void ShowCurrentException() const;

signals:
    // The program is asked to end now, and nobody may be there to answer a question: the
    // changes not yet saved are to be kept rather than lost.
    void TerminationRequested();

private:
    void TerminationArrived();

    TPlatformServices* FErrorDisplay = nullptr;
    QSocketNotifier* FTermination = nullptr;
};
