#include "cli/DesktopClipboard.h"

#include "cli/CliErrors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace {

// The module beside the program (a build folder), else where an installation puts it. The
// program's own folder is asked of the system: no application may exist yet.
const TClipboardModule* LoadModule(QString& error) {
    const QDir program =
        QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).dir();
    const QString name = QStringLiteral("kestovar-clipboard");
    for (const QString& path :
         {program.filePath(name), QDir::cleanPath(program.filePath(
                                      QStringLiteral(KESTOVAR_MODULES_FROM_BINDIR "/") + name))}) {
        QLibrary library(path);
        // Loaded once, the module stays for the rest of the process.
        using TEntry = const TClipboardModule* (*)();
        if (const auto entry = reinterpret_cast<TEntry>(library.resolve("KestovarClipboardModule")))
            return entry();
        error = library.errorString();
    }
    return nullptr;
}

} // namespace

std::unique_ptr<QCoreApplication> MakeDesktopApplication(int& argc, char** argv) {
    QString error;
    const TClipboardModule* module = LoadModule(error);
    return module ? module->MakeApplication(argc, argv) : nullptr;
}

std::unique_ptr<IDesktopClipboard> OpenDesktopClipboard() {
    QString error;
    const TClipboardModule* module = LoadModule(error);
    if (!module)
        throw EUserError("clip needs its clipboard module, kestovar-clipboard, which could not be "
                         "loaded (" +
                         error.toStdString() + ")");
    if (!QCoreApplication::instance()->inherits("QGuiApplication"))
        throw EUserError("clip needs the desktop's clipboard through an X11 display, and DISPLAY "
                         "is not set (on Wayland, XWayland sets it)");
    return module->OpenClipboard();
}
