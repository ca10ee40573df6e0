#include "app/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>

bool TTranslations::Install(const QLocale& locale, const QStringList& folders) {
    for (const QString& folder : folders) {
        if (FProgram.load(locale, QStringLiteral("kestovar"), QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(&FProgram);
            if (FQt.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
                QCoreApplication::installTranslator(&FQt);
            return true;
        }
    }
    return false;
}

QStringList TTranslations::Folders() {
    const QDir program(QCoreApplication::applicationDirPath());
    return {program.filePath(QStringLiteral("translations")),
            QDir::cleanPath(program.filePath(QStringLiteral(KESTOVAR_TRANSLATIONS_FROM_BINDIR))),
            QStringLiteral(KESTOVAR_INSTALLED_TRANSLATIONS)};
}
