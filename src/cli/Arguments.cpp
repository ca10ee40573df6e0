#include "cli/Arguments.h"

#include "base/Version.h"
#include "cli/CliErrors.h"
#include "cli/CommandTable.h"
#include "cli/Console.h"
#include "platform/FileSystem.h"
#include "vault/MasterPassword.h"
#include "vault/PasswordGenerator.h"

#include <QCommandLineParser>

#include <algorithm>
#include <array>

namespace {

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
    for (const TCommand& entry : CliCommands())
        text += QStringLiteral("  %1%2\n").arg(QLatin1String(entry.Name), -11).arg(entry.Summary);
    text += QStringLiteral("\nRun kestovar-cli COMMAND --help for a command's arguments and "
                           "options.\n");
    return text;
}

[[noreturn]] void Usage(const QString& problem, const QString& command) {
    const QString hint = command.isEmpty() ? QStringLiteral("kestovar-cli --help")
                                           : QStringLiteral("kestovar-cli %1 --help").arg(command);
    throw EUsageError(QStringLiteral("%1 (see %2)").arg(problem, hint).toStdString());
}

int BoundedValue(const QString& value, int min, int max, const QString& problem,
                 const QString& command) {
    bool number = false;
    const int result = value.toInt(&number);
    if (!number || result < min || result > max)
        Usage(problem, command);
    return result;
}

int GenerateLength(const QString& value, const QString& command) {
    return BoundedValue(value, 1, static_cast<int>(MaxMasterPasswordLength),
                        QStringLiteral("--generate takes a length of 1 to 48"), command);
}

TShownField ShownField(const QString& value, const QString& command) {
    if (value == u"login")
        return TShownField::Login;
    if (value == u"password")
        return TShownField::Password;
    if (value == u"notes")
        return TShownField::Notes;
    if (value == u"url")
        return TShownField::Url;
    Usage(QStringLiteral("--field takes login, password, notes or url"), command);
}

TClipField ClipField(const QString& value, const QString& command) {
    if (value == u"login")
        return TClipField::Login;
    if (value == u"password")
        return TClipField::Password;
    if (value == u"totp")
        return TClipField::Totp;
    Usage(QStringLiteral("--field takes login, password or totp"), command);
}

TArguments ParseCommand(const TCommand& entry, const QStringList& arguments, bool& helpShown) {
    const QString command = QLatin1String(entry.Name);
    QCommandLineParser parser;
    parser.setApplicationDescription(QLatin1String(entry.Summary));
    if (!(entry.Options & OptNoFile))
        parser.addPositionalArgument(QStringLiteral("file"),
                                     QStringLiteral("The vault's data file."));
    for (const char* extra : entry.Extra) {
        if (extra)
            parser.addPositionalArgument(QLatin1String(extra),
                                         PositionalHelp(QLatin1String(extra)));
    }
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption field(
        QStringLiteral("field"),
        QStringLiteral("Only this field's value, the password too; url is the web address in the "
                       "notes."),
        QStringLiteral("login|password|notes|url"));
    const QCommandLineOption clipField(
        QStringLiteral("field"),
        QStringLiteral("The field to copy (the password unless given); totp is the current "
                       "one-time code."),
        QStringLiteral("login|password|totp"));
    const QCommandLineOption timeout(
        QStringLiteral("timeout"),
        QStringLiteral("Clear the clipboard after this many seconds (1 to 3600; 10 unless "
                       "given)."),
        QStringLiteral("seconds"));
    const QCommandLineOption length(
        QStringLiteral("length"),
        QStringLiteral("A password of this many characters (1 to 48; 20 unless given), from "
                       "letters, digits and symbols."),
        QStringLiteral("length"));
    const QCommandLineOption words(
        QStringLiteral("words"),
        QStringLiteral("A passphrase of this many words (3 to 20) from the EFF's long word list, "
                       "joined by \"-\"."),
        QStringLiteral("count"));
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
                                                    "notes."));
    const QCommandLineOption browserCsv(
        QStringLiteral("browser-csv"),
        QStringLiteral("The password CSV of Chrome and Firefox: name,url,username,password,note "
                       "(the first web address of the notes is the url)."));
    const QCommandLineOption from(
        QStringLiteral("from"),
        QStringLiteral("Import SOURCE, an export of this password manager (keepassxc, firefox, "
                       "chrome: their CSV; bitwarden: its JSON without a password)."),
        QString::fromLatin1(ImportFormatNames()));
    const QCommandLineOption dryRun(
        QStringLiteral("dry-run"),
        QStringLiteral("Show what would be imported, and write nothing."));
    const QCommandLineOption hibp(
        QStringLiteral("hibp"),
        QStringLiteral("Also look every password up in this offline Have I Been Pwned list "
                       "(SHA-1, \"HASH:count\" lines sorted by hash)."),
        QStringLiteral("hibpfile"));
    const QCommandLineOption csvFile(QStringLiteral("csv"),
                                     QStringLiteral("The CSV file to import, in UTF-8, with the "
                                                    "header name,login,password,notes."),
                                     QStringLiteral("csvfile"));
    const QCommandLineOption prefer(
        QStringLiteral("prefer"),
        QStringLiteral("\"other\": an account that differs takes the other copy's fields."),
        QStringLiteral("other"));
    const QCommandLineOption format(
        QStringLiteral("format"),
        QStringLiteral("1: the older format, which every version of Kestovar opens (unless "
                       "given); 2: the hardened format."),
        QStringLiteral("1|2"));
    const QCommandLineOption kdfPasses(
        QStringLiteral("kdf-passes"),
        QStringLiteral("Argon2id passes of a hardened file's key derivation (1 to 10; 3 unless "
                       "given)."),
        QStringLiteral("passes"));
    const QCommandLineOption kdfMemory(
        QStringLiteral("kdf-memory"),
        QStringLiteral("Memory of a hardened file's key derivation in MiB (8 to 1024; 512 unless "
                       "given)."),
        QStringLiteral("mib"));
    const QCommandLineOption reseal(
        QStringLiteral("reseal"),
        QStringLiteral("Write a hardened file that was changed outside Kestovar, with a new seal "
                       "over its lines as they are."));
    const QCommandLineOption newPassword(
        QStringLiteral("new-password"),
        QStringLiteral("Choose a new master password for the hardened file (the backup keeps the "
                       "old one)."));
    const QCommandLineOption output(QStringLiteral("output"),
                                    QStringLiteral("The new file for the copy; it must not exist."),
                                    QStringLiteral("new"));
    const QCommandLineOption dropDamaged(
        QStringLiteral("drop-damaged"),
        QStringLiteral("Leave out the lines that could not be read, rather than refuse."));
    parser.addOption(help);
    if (entry.Options & OptFormat)
        parser.addOption(format);
    if (entry.Options & OptKdf)
        parser.addOptions({kdfPasses, kdfMemory});
    if (entry.Options & OptNewPassword)
        parser.addOption(newPassword);
    if (entry.Options & OptOutput)
        parser.addOptions({output, dropDamaged});
    if (entry.Options & OptReseal)
        parser.addOption(reseal);
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
    if (entry.Options & OptClip)
        parser.addOptions({clipField, timeout});
    if (entry.Options & OptLengthWords)
        parser.addOptions({length, words});
    if (entry.Options & OptBrowserCsv)
        parser.addOption(browserCsv);
    if (entry.Options & OptImportFrom) {
        parser.addOptions({from, dryRun});
        parser.addPositionalArgument(QStringLiteral("source"),
                                     QStringLiteral("With --from: the export to import."),
                                     QStringLiteral("[source]"));
    }
    if (entry.Options & OptBreachList)
        parser.addOption(hibp);

    if (!parser.parse(arguments))
        Usage(parser.errorText(), command);
    if (parser.isSet(help)) {
        QString text = parser.helpText();
        text.replace(QStringLiteral("[options]"), QStringLiteral("%1 [options]").arg(command));
        WriteOut(text.toLocal8Bit().toStdString());
        helpShown = true;
        return {};
    }
    const QStringList positional = parser.positionalArguments();
    const bool importFrom = entry.Options & OptImportFrom && parser.isSet(from);
    const auto wanted =
        static_cast<qsizetype>((entry.Options & OptNoFile ? 0 : 1) +
                               std::count_if(entry.Extra.begin(), entry.Extra.end(),
                                             [](const char* extra) { return extra; }) +
                               (importFrom ? 1 : 0));
    if (positional.size() != wanted)
        Usage(QStringLiteral("%1 takes %2 argument(s), not %3")
                  .arg(command)
                  .arg(wanted)
                  .arg(positional.size()),
              command);

    TArguments result;
    result.Command = command;
    if (!(entry.Options & OptNoFile))
        result.File = PathFromQString(positional[0]);
    const qsizetype extraAt = entry.Options & OptNoFile ? 0 : 1;
    if (entry.Extra[0] && QLatin1String(entry.Extra[0]) == u"name")
        result.Name = positional[extraAt];
    if (entry.Extra[0] && QLatin1String(entry.Extra[0]) == u"other")
        result.Other = PathFromQString(positional[extraAt]);
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
        result.BrowserCsv = entry.Options & OptBrowserCsv && parser.isSet(browserCsv);
        if (result.Csv == result.BrowserCsv)
            Usage(QStringLiteral("export needs one of --csv and --browser-csv"), command);
    }
    if (entry.Options & OptCsvFile) {
        if (parser.isSet(csvFile) == importFrom)
            Usage(QStringLiteral("import needs one of --csv CSVFILE and --from FORMAT SOURCE"),
                  command);
        if (importFrom) {
            result.ImportFrom = ImportFormatNamed(parser.value(from));
            if (!result.ImportFrom)
                Usage(QStringLiteral("--from takes %1").arg(QLatin1String(ImportFormatNames())),
                      command);
            result.Source = PathFromQString(positional[1]);
        } else {
            result.CsvFile = PathFromQString(parser.value(csvFile));
        }
        result.DryRun = parser.isSet(dryRun);
    }
    if (entry.Options & OptClip) {
        if (parser.isSet(clipField))
            result.ClipField = ClipField(parser.value(clipField), command);
        if (parser.isSet(timeout))
            result.ClipSeconds =
                BoundedValue(parser.value(timeout), 1, 3600,
                             QStringLiteral("--timeout takes 1 to 3600 seconds"), command);
    }
    if (entry.Options & OptLengthWords) {
        if (parser.isSet(length) && parser.isSet(words))
            Usage(QStringLiteral("--length and --words exclude each other"), command);
        if (parser.isSet(length))
            result.Length =
                BoundedValue(parser.value(length), 1, static_cast<int>(MaxMasterPasswordLength),
                             QStringLiteral("--length takes 1 to 48"), command);
        if (parser.isSet(words))
            result.Words = BoundedValue(parser.value(words), MinPassphraseWords, MaxPassphraseWords,
                                        QStringLiteral("--words takes 3 to 20"), command);
    }
    if (entry.Options & OptBreachList && parser.isSet(hibp))
        result.BreachFile = PathFromQString(parser.value(hibp));
    if (entry.Options & OptFormat && parser.isSet(format)) {
        if (parser.value(format) != u"1" && parser.value(format) != u"2")
            Usage(QStringLiteral("--format takes 1 or 2"), command);
        result.Format = parser.value(format).toInt();
    }
    if (entry.Options & OptKdf) {
        if (parser.isSet(kdfPasses))
            result.KdfPasses = BoundedValue(parser.value(kdfPasses), 1, 10,
                                            QStringLiteral("--kdf-passes takes 1 to 10"), command);
        if (parser.isSet(kdfMemory))
            result.KdfMemoryMiB =
                BoundedValue(parser.value(kdfMemory), 8, 1024,
                             QStringLiteral("--kdf-memory takes 8 to 1024 MiB"), command);
        if (entry.Options & OptFormat && result.Format != 2 &&
            (result.KdfPasses || result.KdfMemoryMiB))
            Usage(QStringLiteral("--kdf-passes and --kdf-memory are for --format 2"), command);
    }
    result.NewPassword = entry.Options & OptNewPassword && parser.isSet(newPassword);
    if (entry.Options & OptOutput) {
        if (!parser.isSet(output) || parser.value(output).isEmpty())
            Usage(QStringLiteral("downgrade needs --output NEW"), command);
        result.Output = PathFromQString(parser.value(output));
        result.DropDamaged = parser.isSet(dropDamaged);
    }
    result.Reseal = entry.Options & OptReseal && parser.isSet(reseal);
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
    const TCommand* entry = FindCommand(rest[0]);
    if (entry == nullptr)
        Usage(QStringLiteral("Unknown command \"%1\"").arg(rest[0]), {});
    // The command's own parser sees its name where a program name would stand.
    bool helpShown = false;
    TArguments parsed = ParseCommand(*entry, rest, helpShown);
    if (helpShown)
        return std::nullopt;
    return parsed;
}
