#pragma once

// The program's translation for the user's language, with Qt's own (the file dialog, the message
// boxes' buttons) in the same language.

#include <QStringList>
#include <QTranslator>

class QLocale;

class TTranslations {
public:
    // Installs the program's translation for the locale from the first folder that has one, and
    // then Qt's; true when the program's was found. Without it Qt's stays out too, so that a
    // window in English never has buttons in another language.
    bool Install(const QLocale& locale, const QStringList& folders);

    // Where the program's translations are: beside the program in a build tree, under the
    // installation's data folder as seen from the program (wherever the package put it), and
    // where this build installs them.
    static QStringList Folders();

private:
    // Removed from the application when destroyed.
    QTranslator FProgram;
    QTranslator FQt;
};
