#include "KestovarApplication.h"

#include "PlatformServices.h"

#include <exception>

TKestovarApplication::TKestovarApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QString::fromLatin1(ApplicationTitle));
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
    std::string message;
    try {
        throw;
    } catch (const std::exception& error) {
        message = error.what();
    } catch (...) {
        message = "Unknown error";
    }
    if (FErrorDisplay)
        FErrorDisplay->ShowErrorBox(message);
}
