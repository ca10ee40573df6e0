#pragma once

// The command line: `kestovar [FILE]`, with --help and --version as Qt programs have them.

#include <QStringList>

#include <string>

// The data file named on the command line (the arguments as ArgumentsFromCommandLine gives them,
// so that a name that is not UTF-8 keeps its bytes) as an absolute path, or empty. --help,
// --version and a wrong command line print their answer and end the program, as Qt's parser does.
std::string ProcessCommandLine(const QStringList& arguments);
// The same without ending the program: empty also for a wrong command line. For tests.
std::string DataFileArgument(const QStringList& arguments);
