#pragma once

// The command line: `kestovar [FILE]`, with --help and --version as Qt programs have them.

#include <QStringList>

#include <string>

class QCoreApplication;

// The data file named on the command line as an absolute path, or empty. --help, --version and a
// wrong command line print their answer and end the program, as Qt's parser does.
std::string ProcessCommandLine(const QCoreApplication& application);
// The same without ending the program: empty also for a wrong command line. For tests.
std::string DataFileArgument(const QStringList& arguments);
