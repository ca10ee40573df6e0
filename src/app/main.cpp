// Kestovar: a password vault in one small window.

#include "app/DesktopPlatform.h"
#include "app/KestovarApplication.h"
#include "app/ProcessHardening.h"
#include "app/mainform.h"
#include "platform/FileSystem.h"
#include "platform/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace {

// A data file named on the command line (the desktop passes the file the user opened) becomes the
// remembered one, which start-up then opens after the password prompt, as Open would have.
void RememberDataFileArgument(const QStringList& arguments) {
    if (arguments.size() < 2 || arguments.at(1).startsWith(u'-'))
        return;
    const QString path = QDir::toNativeSeparators(QFileInfo(arguments.at(1)).absoluteFilePath());
    TSettingsStore settings;
    settings.OpenSettingsKey(SettingsKeyPath, true);
    settings.WriteSettingsString(SettingsDataFileValue, PathFromQString(path));
}

} // namespace

int main(int argc, char** argv) {
#ifdef NDEBUG
    // Release builds; a debug build keeps its core dumps for the developer.
    HardenProcess();
#endif
    TKestovarApplication application(argc, argv);
    TDesktopPlatform platform;
    application.SetErrorDisplay(&platform);

    try {
        RememberDataFileArgument(application.arguments());
    } catch (...) {
        application.ShowCurrentException();
    }

    TfrmMain form(platform);
    try {
        form.FormCreate();
    } catch (...) {
        // Shown like any other error; the window still opens.
        application.ShowCurrentException();
    }
    form.show();
    return application.exec();
}
