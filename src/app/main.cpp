// Kestovar: a password vault in one small window.

#include "app/CommandLine.h"
#include "app/DesktopPlatform.h"
#include "app/KestovarApplication.h"
#include "app/Translations.h"
#include "app/mainform.h"
#include "platform/FileSystem.h"
#include "platform/ProcessHardening.h"

#include <QLocale>
#include <QSessionManager>

int main(int argc, char** argv) {
#ifdef NDEBUG
    // Release builds; a debug build keeps its core dumps for the developer.
    HardenProcess();
#endif
    TKestovarApplication application(argc, argv);
    TTranslations translations;
    translations.Install(QLocale(), TTranslations::Folders());
    // From argv itself, which the application has cleared of Qt's own options: Qt's list has lost
    // the bytes of a file name that is not UTF-8.
    const std::string dataFile = ProcessCommandLine(ArgumentsFromCommandLine(argc, argv));
    TDesktopPlatform platform;
    application.SetErrorDisplay(&platform);

    TfrmMain form(platform);
    // The program's end by a signal or by the desktop's log-out goes through the window's exit.
    QObject::connect(&application, &TKestovarApplication::TerminationRequested, &form,
                     &TfrmMain::EndWithoutAsking);
    QObject::connect(
        &application, &QGuiApplication::commitDataRequest, &form,
        [&form](QSessionManager& manager) {
            if (form.CommitData(manager.allowsInteraction()))
                manager.release();
            else
                manager.cancel();
        },
        Qt::DirectConnection);
    try {
        form.FormCreate(dataFile);
    } catch (...) {
        // Shown like any other error; the window still opens.
        application.ShowCurrentException();
    }
    form.show();
    return application.exec();
}
