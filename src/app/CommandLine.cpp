#include "app/CommandLine.h"

#include "platform/FileSystem.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

namespace {

void Describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(QCoreApplication::translate(
        "CommandLine", "A password vault. Opens FILE, or else the data file used last."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QCoreApplication::translate("CommandLine", "The data file to open (*.kvf)."),
        QStringLiteral("[FILE]"));
}

std::string FileOf(const QCommandLineParser& parser) {
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return {};
    // Remembered for the next start, which may run in another folder.
    return PathFromQString(QFileInfo(files.front()).absoluteFilePath());
}

} // namespace

std::string ProcessCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    Describe(parser);
    parser.process(arguments);
    if (parser.positionalArguments().size() > 1) {
        std::fputs(qPrintable(QCoreApplication::translate("CommandLine",
                                                          "Only one data file can be opened.\n")),
                   stderr);
        parser.showHelp(1);
    }
    return FileOf(parser);
}

std::string DataFileArgument(const QStringList& arguments) {
    QCommandLineParser parser;
    Describe(parser);
    if (!parser.parse(arguments) || parser.positionalArguments().size() > 1)
        return {};
    return FileOf(parser);
}
