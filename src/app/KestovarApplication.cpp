#include "app/KestovarApplication.h"

#include "base/Version.h"
#include "platform/PlatformServices.h"

TKestovarApplication::TKestovarApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QString::fromLatin1(ApplicationTitle));
    setApplicationVersion(QString::fromLatin1(KestovarVersion));
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
