#include "cli/Arguments.h"

#include "base/Version.h"
#include "cli/CliErrors.h"
#include "cli/Console.h"
#include "platform/FileSystem.h"

#include <QCommandLineParser>

#include <algorithm>
#include <array>

namespace {

enum TOption : unsigned {
    OptField = 1,
    OptShowPassword = 2,
    OptEditFields = 4, // --login, --notes-file, --password-prompt, --generate
    OptCsvFlag = 8,
    OptCsvFile = 16,
    OptPreferOther = 32,
};

struct TCommandEntry {
    const char* Name;
    const char* Summary;
    std::array<const char*, 2> Extra; // positional arguments after FILE
    unsigned Options;
};

constexpr std::array<TCommandEntry, 11> Commands = {{
    {"ls", "List the account names, in the window's order.", {}, 0},
    {"show",
     "Show an account; the password only when asked for.",
     {"name"},
     OptField | OptShowPassword},
    {"add", "Add an account.", {"name"}, OptEditFields},
    {"edit", "Change the given fields of an account; the others stay.", {"name"}, OptEditFields},
    {"rm", "Remove an account.", {"name"}, 0},
    {"passwd", "Change the master password; the previous file is kept as FILE.bak.", {}, 0},
    {"create", "Create a new vault of no accounts (FILE must not exist).", {}, 0},
    {"export", "Write every account to standard output as CSV.", {}, OptCsvFlag},
    {"import",
     "Add every account of a CSV file, or none when a row cannot be stored.",
     {},
     OptCsvFile},
    {"merge",
     "Take the accounts of another copy of the vault (one a file-sync tool left).",
     {"other"},
     OptPreferOther},
    {"repair",
     "Give a data file that another program converted (LF line ends, a byte-order mark) its "
     "own form back.",
     {},
     0},
}};

const char* PositionalHelp(const QString& name) {
    if (name == u"name")
        return "The account's name.";
    return "The other copy's data file.";
}

QString ToolHelp() {
    QString text = QStringLiteral("Usage: kestovar-cli COMMAND FILE [ARGUMENTS] [OPTIONS]\n\n"
                                  "The command-line companion of Kestovar. Master passwords are "
                                  "typed without echo, or read from standard input one line "
                                  "each.\n\nCommands:\n");
    for (const TCommandEntry& entry : Commands)
        text += QStringLiteral("  %1%2\n").arg(QLatin1String(entry.Name), -9).arg(entry.Summary);
    text += QStringLiteral("\nRun kestovar-cli COMMAND --help for a command's arguments and "
                           "options.\n");
    return text;
}

[[noreturn]] void Usage(const QString& problem, const QString& command) {
    const QString hint = command.isEmpty() ? QStringLiteral("kestovar-cli --help")
                                           : QStringLiteral("kestovar-cli %1 --help").arg(command);
    throw EUsageError(QStringLiteral("%1 (see %2)").arg(problem, hint).toStdString());
}

int GenerateLength(const QString& value, const QString& command) {
    bool number = false;
    const int length = value.toInt(&number);
    if (!number || length < 1 || length > 48)
        Usage(QStringLiteral("--generate takes a length of 1 to 48"), command);
    return length;
}

TShownField ShownField(const QString& value, const QString& command) {
    if (value == u"login")
        return TShownField::Login;
    if (value == u"password")
        return TShownField::Password;
    if (value == u"notes")
        return TShownField::Notes;
    Usage(QStringLiteral("--field takes login, password or notes"), command);
}

TArguments ParseCommand(const TCommandEntry& entry, const QStringList& arguments, bool& helpShown) {
    const QString command = QLatin1String(entry.Name);
    QCommandLineParser parser;
    parser.setApplicationDescription(QLatin1String(entry.Summary));
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The vault's data file."));
    for (const char* extra : entry.Extra) {
        if (extra)
            parser.addPositionalArgument(QLatin1String(extra),
                                         PositionalHelp(QLatin1String(extra)));
    }
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption field(QStringLiteral("field"),
                                   QStringLiteral("Only this field's value, the password too."),
                                   QStringLiteral("login|password|notes"));
    const QCommandLineOption showPassword(QStringLiteral("show-password"),
                                          QStringLiteral("Show the password itself."));
    const QCommandLineOption login(QStringLiteral("login"), QStringLiteral("The login ID."),
                                   QStringLiteral("login"));
    const QCommandLineOption notesFile(
        QStringLiteral("notes-file"),
        QStringLiteral("The notes: the lines of this UTF-8 text file (no \";\", which the vault "
                       "keeps as a line break)."),
        QStringLiteral("file"));
    const QCommandLineOption passwordPrompt(
        QStringLiteral("password-prompt"),
        QStringLiteral("Read the account's password after the master password."));
    const QCommandLineOption generate(
        QStringLiteral("generate"),
        QStringLiteral("A new random password of this length (1 to 48), from letters, digits "
                       "and symbols."),
        QStringLiteral("length"));
    const QCommandLineOption csvFlag(QStringLiteral("csv"),
                                     QStringLiteral("CSV with the header name,login,password,"
                                                    "notes (the only format)."));
    const QCommandLineOption csvFile(QStringLiteral("csv"),
                                     QStringLiteral("The CSV file to import, in UTF-8, with the "
                                                    "header name,login,password,notes."),
                                     QStringLiteral("csvfile"));
    const QCommandLineOption prefer(
        QStringLiteral("prefer"),
        QStringLiteral("\"other\": an account that differs takes the other copy's fields."),
        QStringLiteral("other"));
    parser.addOption(help);
    if (entry.Options & OptField)
        parser.addOption(field);
    if (entry.Options & OptShowPassword)
        parser.addOption(showPassword);
    if (entry.Options & OptEditFields)
        parser.addOptions({login, notesFile, passwordPrompt, generate});
    if (entry.Options & OptCsvFlag)
        parser.addOption(csvFlag);
    if (entry.Options & OptCsvFile)
        parser.addOption(csvFile);
    if (entry.Options & OptPreferOther)
        parser.addOption(prefer);

    if (!parser.parse(arguments))
        Usage(parser.errorText(), command);
    if (parser.isSet(help)) {
        QString text = parser.helpText();
        text.replace(QStringLiteral("[options] file"),
                     QStringLiteral("%1 [options] file").arg(command));
        WriteOut(text.toLocal8Bit().toStdString());
        helpShown = true;
        return {};
    }
    const QStringList positional = parser.positionalArguments();
    const auto wanted =
        static_cast<qsizetype>(1 + std::count_if(entry.Extra.begin(), entry.Extra.end(),
                                                 [](const char* extra) { return extra; }));
    if (positional.size() != wanted)
        Usage(QStringLiteral("%1 takes %2 argument(s), not %3")
                  .arg(command)
                  .arg(wanted)
                  .arg(positional.size()),
              command);

    TArguments result;
    result.Command = command;
    result.File = PathFromQString(positional[0]);
    if (entry.Extra[0] && QLatin1String(entry.Extra[0]) == u"name")
        result.Name = positional[1];
    if (entry.Extra[0] && QLatin1String(entry.Extra[0]) == u"other")
        result.Other = PathFromQString(positional[1]);
    if (entry.Options & OptField && parser.isSet(field))
        result.Field = ShownField(parser.value(field), command);
    result.ShowPassword = entry.Options & OptShowPassword && parser.isSet(showPassword);
    if (entry.Options & OptEditFields) {
        if (parser.isSet(login))
            result.Login = parser.value(login);
        if (parser.isSet(notesFile))
            result.NotesFile = PathFromQString(parser.value(notesFile));
        result.PasswordPrompt = parser.isSet(passwordPrompt);
        if (parser.isSet(generate))
            result.GenerateLength = GenerateLength(parser.value(generate), command);
        if (result.PasswordPrompt && result.GenerateLength)
            Usage(QStringLiteral("--password-prompt and --generate exclude each other"), command);
        if (command == u"edit" && !result.Login && !result.NotesFile && !result.PasswordPrompt &&
            !result.GenerateLength)
            Usage(QStringLiteral("edit needs a field to change"), command);
    }
    if (entry.Options & OptCsvFlag) {
        result.Csv = parser.isSet(csvFlag);
        if (!result.Csv)
            Usage(QStringLiteral("export needs --csv, the only format"), command);
    }
    if (entry.Options & OptCsvFile) {
        if (!parser.isSet(csvFile))
            Usage(QStringLiteral("import needs --csv CSVFILE"), command);
        result.CsvFile = PathFromQString(parser.value(csvFile));
    }
    if (entry.Options & OptPreferOther && parser.isSet(prefer)) {
        if (parser.value(prefer) != u"other")
            Usage(QStringLiteral("--prefer takes only \"other\""), command);
        result.PreferOther = true;
    }
    return result;
}

} // namespace

std::optional<TArguments> ParseArguments(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOptions({help, version});
    if (!parser.parse(arguments))
        Usage(parser.errorText(), {});
    if (parser.isSet(help)) {
        WriteOut(ToolHelp().toLocal8Bit().toStdString());
        return std::nullopt;
    }
    if (parser.isSet(version)) {
        WriteOut(std::string("kestovar-cli ") + KestovarVersion + "\n");
        return std::nullopt;
    }
    const QStringList rest = parser.positionalArguments();
    if (rest.isEmpty())
        Usage(QStringLiteral("No command was given"), {});
    const auto entry = std::find_if(Commands.begin(), Commands.end(), [&](const TCommandEntry& s) {
        return rest[0] == QLatin1String(s.Name);
    });
    if (entry == Commands.end())
        Usage(QStringLiteral("Unknown command \"%1\"").arg(rest[0]), {});
    // The command's own parser sees its name where a program name would stand.
    bool helpShown = false;
    TArguments parsed = ParseCommand(*entry, rest, helpShown);
    if (helpShown)
        return std::nullopt;
    return parsed;
}
