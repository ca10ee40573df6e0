#include "app/KestovarApplication.h"

#include "base/Version.h"
#include "platform/PlatformServices.h"

#include <QMetaMethod>
#include <QSocketNotifier>

#ifndef Q_OS_WIN
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

#ifndef Q_OS_WIN

constexpr int TerminationSignals[] = {SIGTERM, SIGHUP, SIGINT};

// The pipe from the signal handler to the event loop. A signal handler can reach nothing else: it
// may only write to a descriptor it knows.
int TerminationPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
    // The second signal ends the program the usual way, should the first hang.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    for (const int signal : TerminationSignals)
        ::sigaction(signal, &fallback, nullptr);
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(TerminationPipe[1], &byte, 1);
    errno = saved;
}

#endif

} // namespace

TKestovarApplication::TKestovarApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QString::fromLatin1(ApplicationTitle));
    setApplicationVersion(QString::fromLatin1(KestovarVersion));
#ifndef Q_OS_WIN
    if (TerminationPipe[0] < 0 && ::pipe2(TerminationPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // the signals keep their default: the program ends as it always did
    FTermination = new QSocketNotifier(TerminationPipe[0], QSocketNotifier::Read, this);
    connect(FTermination, &QSocketNotifier::activated, this,
            &TKestovarApplication::TerminationArrived);
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : TerminationSignals)
        ::sigaction(signal, &action, nullptr);
#endif
}

TKestovarApplication::~TKestovarApplication() {
#ifndef Q_OS_WIN
    if (FTermination) {
        struct sigaction fallback {};
        fallback.sa_handler = SIG_DFL;
        for (const int signal : TerminationSignals)
            ::sigaction(signal, &fallback, nullptr);
    }
#endif
}

void TKestovarApplication::TerminationArrived() {
#ifndef Q_OS_WIN
    char bytes[16];
    while (::read(TerminationPipe[0], bytes, sizeof bytes) > 0) {
    }
#endif
    if (isSignalConnected(QMetaMethod::fromSignal(&TKestovarApplication::TerminationRequested)))
        emit TerminationRequested();
    else
        quit();
}

bool TKestovarApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowCurrentException();
        return false;
    }
}

void TKestovarApplication::ShowCurrentException() const {
    if (FErrorDisplay)
        FErrorDisplay->ShowCurrentException();
}
