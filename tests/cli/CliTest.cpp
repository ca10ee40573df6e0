// Every command run as a user runs it, on vaults that the window's model wrote and reads back.

#include "cipher/Blowfish.h"
#include "platform/Codepage.h"
#include "vault/BreachList.h"
#include "vault/DataFile.h"
#include "vault/Kvf2File.h"
#include "vault/PasswordGenerator.h"
#include "vault/RecordCodec.h"
#include "vault/Totp.h"
#include "vault/Vault.h"

#include "PassphraseWords.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

std::ostream& operator<<(std::ostream& out, const TPassRecord& r) {
    return out << '{' << r.Account << '|' << r.Login << '|' << r.Password << '|' << r.Notes << '}';
}

namespace {

struct TRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

std::string Latin1(const char* utf8) {
    return QStringToAnsi(QString::fromUtf8(utf8));
}

std::string ReadFirstLineBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::getline(in, line, '\r');
    return line;
}

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class cli : public testing::Test {
protected:
    std::string File(const char* name) const {
        return FDir.filePath(QString::fromUtf8(name)).toStdString();
    }

    static TRun Run(const QStringList& args, const QByteArray& input = "pw\n") {
        QProcess process;
        process.start(QStringLiteral(KESTOVAR_CLI), args);
        process.write(input);
        process.closeWriteChannel();
        process.waitForFinished(60000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(),
                process.readAllStandardError().toStdString()};
    }
    TRun Run(const char* command, const std::string& path, QStringList rest = {},
             const QByteArray& input = "pw\n") const {
        rest.prepend(QString::fromStdString(path));
        rest.prepend(QString::fromUtf8(command));
        return Run(rest, input);
    }

    // As the window writes a vault: a new file, accounts added and typed into, a save.
    static void WriteVault(const std::string& path, const std::vector<TPassRecord>& records,
                           const std::string& password = "pw") {
        TVault vault;
        vault.Create(path, password);
        for (const TPassRecord& record : records) {
            ASSERT_TRUE(vault.Add(record.Account));
            vault.StoreField(&TPassRecord::Login, record.Login);
            vault.StoreField(&TPassRecord::Password, record.Password);
            vault.StoreField(&TPassRecord::Notes, record.Notes);
        }
        vault.Save();
    }
    // The accounts as the window shows them, in the selector's order.
    static std::vector<TPassRecord> ReadVault(const std::string& path,
                                              const std::string& password = "pw") {
        TVault vault;
        EXPECT_EQ(vault.Open(path, password), TOpenResult::Opened);
        std::vector<TPassRecord> records;
        for (int row = 0; row < vault.AccountCount(); ++row) {
            vault.Select(row);
            records.push_back(vault.Current());
        }
        return records;
    }

    QTemporaryDir FDir;
};

TEST_F(cli, ListsAndShowsAVaultTheWindowWrote) {
    const std::string vault = File("v.kvf");
    WriteVault(vault, {{"gamma", "", "", ""},
                       {Latin1("Café"), "me", "s3cret", "first;second;"},
                       {"Alpha", "", "", ""},
                       {"beta", "", "", ""}});
    TRun run = Run("ls", vault);
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "Alpha\nbeta\nCafé\ngamma\n");

    run = Run("show", vault, {QStringLiteral("Café")});
    EXPECT_EQ(run.Out, "Name: Café\nLogin: me\nPassword: PROTECTED\nNotes:\n  first\n  second\n");
    EXPECT_EQ(run.Err.find("s3cret"), std::string::npos);
    EXPECT_NE(Run("show", vault, {QStringLiteral("Café"), QStringLiteral("--show-password")})
                  .Out.find("Password: s3cret\n"),
              std::string::npos);
    EXPECT_EQ(Run("show", vault,
                  {QStringLiteral("Café"), QStringLiteral("--field"), QStringLiteral("password")})
                  .Out,
              "s3cret\n");
    EXPECT_EQ(Run("show", vault,
                  {QStringLiteral("Café"), QStringLiteral("--field"), QStringLiteral("notes")})
                  .Out,
              "first\nsecond\n");
}

TEST_F(cli, AddEditAndRemoveAreWhatTheWindowReads) {
    const std::string vault = File("v.kvf");
    const std::string notes = File("notes.txt");
    WriteVault(vault, {{"keep", "k", "kp", "kn;"}});
    std::ofstream(notes) << "line one\r\nline two\n";
    EXPECT_EQ(Run("add", vault,
                  {QStringLiteral("mail"), QStringLiteral("--login"), QStringLiteral("ann"),
                   QStringLiteral("--notes-file"), QString::fromStdString(notes),
                   QStringLiteral("--password-prompt")},
                  "pw\nacc pass\n")
                  .Status,
              0);
    EXPECT_EQ(Run("add", vault,
                  {QStringLiteral("gen"), QStringLiteral("--generate"), QStringLiteral("24")})
                  .Status,
              0);
    EXPECT_EQ(Run("edit", vault,
                  {QStringLiteral("mail"), QStringLiteral("--login"), QStringLiteral("bob")})
                  .Status,
              0);
    EXPECT_EQ(Run("rm", vault, {QStringLiteral("keep")}).Status, 0);

    const std::vector<TPassRecord> records = ReadVault(vault);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Account, "gen");
    EXPECT_EQ(records[0].Password.size(), 24u);
    EXPECT_EQ(records[1], (TPassRecord{"mail", "bob", "acc pass", "line one;line two;"}));
}

TEST_F(cli, CreateAndPasswdKeepTheWindowsBackup) {
    const std::string vault = File("v.kvf");
    EXPECT_EQ(Run("create", vault, {}, "new\nnew\n").Status, 0);
    EXPECT_TRUE(ReadVault(vault, "new").empty());
    const TRun again = Run("create", vault, {}, "other\nother\n");
    EXPECT_EQ(again.Status, 1);
    EXPECT_NE(again.Err.find("exists already"), std::string::npos);

    WriteVault(vault, {{"a", "l", "p", "n;"}}, "old");
    const std::string before = Bytes(vault);
    EXPECT_EQ(Run("passwd", vault, {}, "old\nnext\nnxet\n").Status, 1);
    EXPECT_EQ(Bytes(vault), before);
    EXPECT_EQ(Run("passwd", vault, {}, "old\nnext\nnext\n").Status, 0);
    EXPECT_EQ(Bytes(BackupPath(vault)), before);
    EXPECT_EQ(ReadVault(vault, "next"), (std::vector<TPassRecord>{{"a", "l", "p", "n;"}}));
}

// A link at FILE.bak (to another file of the user's, or to the vault itself) is replaced by the
// backup and what it points at stays; a read-only backup is not replaced, and the password stays.
TEST_F(cli, PasswdNeverWritesThroughALinkedBackupAndKeepsAReadOnlyOne) {
    const std::string vault = File("v.kvf");
    const std::string backup = BackupPath(vault);
    const std::string other = File("bashrc");
    for (const std::string& target : {other, vault}) {
        SCOPED_TRACE(target);
        WriteVault(vault, {{"a", "l", "p", "n;"}}, "old");
        std::ofstream(other, std::ios::binary) << "export PATH\n";
        QFile::remove(QString::fromStdString(backup));
        ASSERT_TRUE(QFile::link(QString::fromStdString(target), QString::fromStdString(backup)));
        const std::string before = Bytes(vault);
        const TRun run = Run("passwd", vault, {}, "old\nnext\nnext\n");
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_FALSE(QFileInfo(QString::fromStdString(backup)).isSymLink());
        EXPECT_EQ(Bytes(backup), before);
        EXPECT_EQ(Bytes(other), "export PATH\n");
        EXPECT_EQ(ReadVault(vault, "next"), (std::vector<TPassRecord>{{"a", "l", "p", "n;"}}));
    }
    WriteVault(vault, {{"a", "", "", ""}}, "old");
    std::ofstream(backup, std::ios::binary | std::ios::trunc) << "older backup";
    ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(backup), QFileDevice::ReadOwner));
    const std::string before = Bytes(vault);
    const TRun refused = Run("passwd", vault, {}, "old\nnext\nnext\n");
    EXPECT_EQ(refused.Status, 1);
    EXPECT_NE(refused.Err.find("The backup file could not be made: " + backup +
                               " is read-only or may not be written, and is not replaced. The "
                               "password for the data file was not changed."),
              std::string::npos)
        << refused.Err;
    EXPECT_EQ(Bytes(vault), before);
    EXPECT_EQ(Bytes(backup), "older backup");
}

TEST_F(cli, UserErrorsSayWhyExitOneAndWriteNothing) {
    const std::string vault = File("v.kvf");
    WriteVault(vault, {{"a", "", "", ""}});
    const std::string before = Bytes(vault);
    struct TCase {
        QStringList Args;
        QByteArray Input;
        const char* Said;
    };
    const std::string blocked = File("plain") + "/v.kvf";
    std::ofstream(File("plain")) << "a file, not a folder";
    const TCase cases[] = {
        {{"ls", "V"}, "wrong\n", "password was not correct"},
        {{"ls", "V"}, "", "standard input has ended"},
        {{"ls", QString::fromStdString(File("none.kvf"))}, "pw\n", "no such file"},
        {{"show", "V", "b"}, "pw\n", "No account named b"},
        {{"rm", "V", "b"}, "pw\n", "No account named b"},
        {{"add", "V", "a"}, "pw\n", "exists already"},
        {{"add", "V", "snow\u2603"}, "pw\n", "U+2603"},
        {{"add", "V", "x", "--login", "\u20ac\U0001F600"}, "pw\n", "U+1F600"},
        {{"create", QString::fromStdString(blocked)}, "pw\npw\n", "kestovar-cli: "},
        {{"create", QString::fromStdString(File("long.kvf"))},
         QByteArray(49, 'x') + '\n' + QByteArray(49, 'x') + '\n',
         "1 to 48 characters"},
    };
    for (const TCase& c : cases) {
        QStringList args = c.Args;
        // Only the argument "V": a temporary folder's name may hold the letter.
        for (QString& arg : args) {
            if (arg == u"V")
                arg = QString::fromStdString(vault);
        }
        const TRun run = Run(args, c.Input);
        SCOPED_TRACE(args.join(u' ').toStdString());
        EXPECT_EQ(run.Status, 1);
        const std::string last = run.Err.substr(run.Err.rfind("kestovar-cli: "));
        EXPECT_NE(last.find(c.Said), std::string::npos) << run.Err;
        EXPECT_EQ(std::count(last.begin(), last.end(), '\n'), 1);
        EXPECT_EQ(Bytes(vault), before);
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(File("long.kvf"))));
}

// Each refusal names the file or the line and, for a command that writes, says that nothing was.
TEST_F(cli, RefusalsNameTheFileOrLineAndSayThatNothingWasWritten) {
    const std::string vault = File("v.kvf");
    WriteVault(vault, {{"a", "", "", ""}});
    std::ofstream(File("latin1.csv"), std::ios::binary)
        << "name,login,password,notes\nok,,,\nCaf\xE9,,,\n";
    std::ofstream(File("latin1.txt"), std::ios::binary) << "fine\nna\xEFve\n";
    const std::string locked = File("locked.kvf");
    WriteVault(locked, {{"a", "", "", ""}});
    ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(locked), QFileDevice::ReadOwner));
    const QString v = QString::fromStdString(vault);
    const struct {
        QStringList Args;
        QByteArray Input;
        std::string Said;
    } cases[] = {
        {{"create", QString::fromStdString(File("missing/new.kvf"))},
         "pw\npw\n",
         "kestovar-cli: The folder of " + File("missing/new.kvf") +
             " does not exist. Nothing was written.\n"},
        {{"import", v, "--csv", QString::fromStdString(File("latin1.csv"))},
         "pw\n",
         "kestovar-cli: " + File("latin1.csv") +
             " line 3 is not UTF-8 text. Nothing was imported.\n"},
        {{"add", v, "x", "--notes-file", QString::fromStdString(File("latin1.txt"))},
         "pw\n",
         "kestovar-cli: " + File("latin1.txt") +
             " line 2 is not UTF-8 text. Nothing was written.\n"},
        {{"add", v, "x"},
         "p\xFFw\n",
         "kestovar-cli: The password is not UTF-8 text. Nothing was written.\n"},
        {{"ls", v}, "p\xFFw\n", "kestovar-cli: The password is not UTF-8 text\n"},
        {{"add", v, "x"},
         "\xE2\x98\x83\n",
         "kestovar-cli: The password holds a character that Windows-1252 cannot hold. Nothing was "
         "written.\n"},
        {{"add", v, "snow\u2603"},
         "pw\n",
         "kestovar-cli: The account name: Character U+2603 cannot be held in Windows-1252. Nothing "
         "was written.\n"},
        {{"add", QString::fromStdString(locked), "x"},
         "pw\n",
         "kestovar-cli: " + locked + ": File access denied. Nothing was written.\n"},
        {{"rm", v, "b"},
         "pw\n",
         "kestovar-cli: No account named b in " + vault + ". Nothing was written.\n"},
    };
    const std::string before = Bytes(vault);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Args.join(u' ').toStdString());
        const TRun run = Run(c.Args, c.Input);
        EXPECT_EQ(run.Status, 1);
        ASSERT_NE(run.Err.rfind("kestovar-cli: "), std::string::npos) << run.Err;
        EXPECT_EQ(run.Err.substr(run.Err.rfind("kestovar-cli: ")), c.Said);
    }
    EXPECT_EQ(Bytes(vault), before);
}

// File names pass through as bytes: Qt's argument list would turn both of these into one name.
TEST_F(cli, FileNamesThatAreNotUtf8AreUsedAsTheyAre) {
    const auto shell = [&](const QString& script) {
        QProcess process;
        process.setWorkingDirectory(FDir.path());
        process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
        process.closeWriteChannel();
        process.waitForFinished(60000);
        return TRun{process.exitCode(), process.readAllStandardOutput().toStdString(),
                    process.readAllStandardError().toStdString()};
    };
    const QString cli = QStringLiteral(KESTOVAR_CLI);
    const QString script =
        QStringLiteral("a=$(printf 'bad\\377.kvf'); b=$(printf 'bad\\376.kvf'); "
                       "printf 'pw\\npw\\n' | '%1' create \"$a\" && "
                       "printf 'qq\\nqq\\n' | '%1' create \"$b\" && "
                       "printf 'pw\\n' | '%1' add \"$a\" one && "
                       "printf 'qq\\n' | '%1' add \"$b\" two && "
                       "printf 'pw\\n' | '%1' ls \"$a\" && printf 'qq\\n' | '%1' ls \"$b\"")
            .arg(cli);
    const TRun run = shell(script);
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out,
              "Created bad\xFF.kvf.\nCreated bad\xFE.kvf.\nAdded one.\nAdded two.\none\ntwo\n");
    const TRun missing =
        shell(QStringLiteral("printf 'pw\\n' | '%1' ls \"$(printf 'bad\\375.kvf')\"").arg(cli));
    EXPECT_EQ(missing.Status, 1);
    EXPECT_NE(missing.Err.find("bad\xFD.kvf: no such file"), std::string::npos) << missing.Err;
    // Gone by their bytes, which QTemporaryDir cannot name.
    EXPECT_EQ(shell(QStringLiteral("rm \"$(printf 'bad\\377.kvf')\" \"$(printf 'bad\\376.kvf')\""))
                  .Status,
              0);
}

TEST_F(cli, UsageErrorsExitTwoAndHelpExitsZero) {
    const QString v = QString::fromStdString(File("v.kvf"));
    const QStringList cases[] = {
        {},
        {"frobnicate", v},
        {"show", v},
        {"ls", v, "--bogus"},
        {"add", v, "x", "--generate", "49"},
        {"add", v, "x", "--generate", "8", "--password-prompt"},
        {"edit", v, "x"},
        {"export", v},
        {"import", v},
        {"show", v, "x", "--field", "cvv"},
        {"totp", v},
        {"generate", v},
        {"generate", "--length", "49"},
        {"generate", "--length", "0"},
        {"generate", "--words", "2"},
        {"generate", "--words", "21"},
        {"generate", "--length", "8", "--words", "4"},
        {"clip", v, "x", "--field", "notes"},
        {"clip", v, "x", "--timeout", "0"},
        {"clip", v, "x", "--timeout", "3601"},
        {"merge", v, v, "--prefer", "mine"},
    };
    for (const QStringList& args : cases) {
        const TRun run = Run(args);
        EXPECT_EQ(run.Status, 2) << args.join(u' ').toStdString();
        EXPECT_NE(run.Err.find("--help"), std::string::npos);
    }
    EXPECT_EQ(Run({"--help"}).Status, 0);
    const TRun generateHelp = Run({"generate", "--help"});
    EXPECT_EQ(generateHelp.Status, 0);
    EXPECT_NE(generateHelp.Out.find("generate [options]"), std::string::npos) << generateHelp.Out;
    const TRun help = Run({"import", "--help"});
    EXPECT_EQ(help.Status, 0);
    EXPECT_NE(help.Out.find("--csv <csvfile>"), std::string::npos);
}

TEST_F(cli, ExportThenImportGivesTheSameAccounts) {
    const std::string vault = File("v.kvf");
    const std::vector<TPassRecord> records = {
        {"comma, and \"quotes\"", "l,1", "p\"w", "one;two, three;"},
        {Latin1("Zoë"), "", Latin1("€uro"), ""},
        {"empty lines", std::string("nul\0", 4), "", ";;middle;;"},
    };
    WriteVault(vault, records);
    const TRun exported = Run("export", vault, {QStringLiteral("--csv")});
    ASSERT_EQ(exported.Status, 0);
    EXPECT_EQ(exported.Out,
              "name,login,password,notes\r\n"
              "\"comma, and \"\"quotes\"\"\",\"l,1\",\"p\"\"w\",\"one\ntwo, three\"\r\n"
              "empty lines,nul" +
                  std::string(1, '\0') +
                  ",,\"\n\nmiddle\n\n\"\r\n"
                  "Zoë,,€uro,\r\n");
    const std::string csv = File("e.csv");
    std::ofstream(csv, std::ios::binary) << exported.Out;
    const std::string copy = File("copy.kvf");
    ASSERT_EQ(Run("create", copy, {}, "pw\npw\n").Status, 0);
    EXPECT_EQ(Run("import", copy, {QStringLiteral("--csv"), QString::fromStdString(csv)}).Status,
              0);
    EXPECT_EQ(ReadVault(copy), ReadVault(vault));
}

// An account that CSV cannot carry as it is is named, and nothing is exported: text after the
// last line break of the notes, a line break in a password, an account whose notes decipher as
// noise under the master password.
TEST_F(cli, ExportNamesTheAccountItCannotWriteExactlyAndWritesNothing) {
    const std::string vault = File("v.kvf");
    TBlowfish cipher;
    // The notes column of a line made under another password, after the name, login and
    // password of a line made under this one: the notes decipher as noise.
    const std::string clean = EncodeRecord(cipher, {"noisy", "l", "p", "kept;"}, "pw");
    const std::string other = EncodeRecord(cipher, {"noisy", "l", "p", "kept;"}, "other");
    const std::string noisy =
        clean.substr(0, clean.rfind(';') + 1) + other.substr(other.rfind(';') + 1);
    {
        TRecordCipher codec(cipher, "pw");
        codec.Decode(noisy);
        ASSERT_FALSE(codec.LastDecodeWhole());
    }
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{EncodeRecord(cipher, {"ok", "", "", ""}, "pw"),
          EncodeRecord(cipher, {"tail", "", "", "one;two"}, "pw")},
         "The account tail cannot be exported as CSV and read back as it is: the notes have text "
         "after their last line break, which CSV cannot tell from a line. Nothing was exported.\n"},
        {{EncodeRecord(cipher, {"cr", "", "p\rw", ""}, "pw")},
         "The account cr cannot be exported as CSV and read back as it is: the password holds a "
         "line break. Nothing was exported.\n"},
        {{EncodeRecord(cipher, {"esc\x1B", "", "", ""}, "pw")},
         "The account esc? cannot be exported as CSV and read back as it is: the name holds a "
         "control character. Nothing was exported.\n"},
        {{noisy},
         "The account noisy does not decipher whole under the master password, and would be "
         "exported as noise. Nothing was exported.\n"},
    };
    for (const auto& [lines, said] : cases) {
        SCOPED_TRACE(said);
        WriteDataFile(cipher, vault, "pw", lines);
        const TRun run = Run("export", vault, {QStringLiteral("--csv")});
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(run.Out, "");
        EXPECT_EQ(run.Err.substr(run.Err.rfind("kestovar-cli: ")), "kestovar-cli: " + said);
    }
}

// To a terminal a name's escape sequence is shown as "?", as ls shows it; to a pipe it is exact.
TEST_F(cli, ExportShowsControlCharactersToATerminalOnly) {
    const std::string vault = File("v.kvf");
    WriteVault(vault, {{"ok", "\x1B]0;pwned\x07", "", "line;"}});
    const TRun piped = Run("export", vault, {QStringLiteral("--csv")});
    EXPECT_NE(piped.Out.find(",\x1B]0;pwned\x07,"), std::string::npos) << piped.Out;
    if (QStandardPaths::findExecutable(QStringLiteral("script")).isEmpty())
        GTEST_SKIP() << "no script(1) to give the command a terminal";
    std::ofstream(File("pw.txt")) << "pw\n";
    QProcess process;
    process.start(QStringLiteral("script"),
                  {"-qec",
                   QStringLiteral("'%1' export '%2' --csv < '%3'")
                       .arg(QStringLiteral(KESTOVAR_CLI), QString::fromStdString(vault),
                            QString::fromStdString(File("pw.txt"))),
                   "/dev/null"});
    process.closeWriteChannel();
    process.waitForFinished(60000);
    const QByteArray shown = process.readAllStandardOutput();
    EXPECT_TRUE(shown.contains(",?]0;pwned?,")) << shown.toStdString();
    EXPECT_FALSE(shown.contains('\x1B'));
}

TEST_F(cli, ImportRefusesTheWholeFileForOneBadRow) {
    const std::string vault = File("v.kvf");
    WriteVault(vault, {{"taken", "", "", ""}});
    const std::string before = Bytes(vault);
    const std::string header = "name,login,password,notes\n";
    const std::pair<std::string, const char*> cases[] = {
        {"nam,login,password,notes\nx,,,\n", "line 1: the header"},
        {header + "ok,,,\ntaken,,,\n", "line 3: an account named taken"},
        {header + "x,,,\nok,,,\"multi\nline\"\nx,,,\n", "line 5: the name x is also on line 2"},
        {header + "ok,,,\n,,,\n", "line 3: the name is empty"},
        {header + "ok,\"unclosed,,\n", "line 2: a quoted field is not closed"},
        {header + "o\"k,,,\n", "line 2: a quote inside"},
        {header + "\"ok\"x,,,\n", "line 2: text follows a closing quote"},
        {header + "ok,,\n", "line 2: 3 columns"},
        {header + "ok,,,a;b\n", "line 2: the notes line 1 holds \";\""},
        {header + "ok,\u2603,,\n", "line 2: the login: Character U+2603"},
        {header + "ok,,\"two\nlines\",\n", "line 2: the password holds a line break"},
        {header + std::string("nul\0,,,\n", 8), "line 2: the name holds a control character"},
        {header + "\"esc\x1B[2J\",,,\n", "line 2: the name holds a control character"},
    };
    for (const auto& [text, said] : cases) {
        const std::string csv = File("in.csv");
        std::ofstream(csv, std::ios::binary) << text;
        const TRun run =
            Run("import", vault, {QStringLiteral("--csv"), QString::fromStdString(csv)});
        EXPECT_EQ(run.Status, 1) << text;
        EXPECT_NE(run.Err.find(said), std::string::npos) << run.Err;
        EXPECT_NE(run.Err.find("Nothing was imported."), std::string::npos) << run.Err;
        EXPECT_EQ(Bytes(vault), before);
    }
}

// An account of the other copy that shares its name with one before it cannot be merged: it is
// named, so that the copy is not thrown away with it.
TEST_F(cli, MergeNamesTheAccountsItCannotTake) {
    const std::string vault = File("v.kvf");
    const std::string other = File("v (conflict).kvf");
    WriteVault(vault, {{"Mail", "bob", "", ""}});
    TBlowfish cipher;
    WriteDataFile(cipher, other, "pw",
                  {EncodeRecord(cipher, {"Mail", "bob", "", ""}, "pw"),
                   EncodeRecord(cipher, {"Mail", "carol", "", ""}, "pw")});
    const TRun run = Run("merge", vault, {QString::fromStdString(other)}, "pw\n");
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "skipped: Mail\n0 added, 0 replaced, 0 differ and were left alone\n");
    EXPECT_NE(run.Err.find("1 accounts of"), std::string::npos) << run.Err;
}

// An account of the other copy whose notes decipher as noise is not taken as clean notes; and
// what a merge reports as added is only said once it is written.
TEST_F(cli, MergeTakesOnlyWholeAccountsAndReportsOnlyWhatItWrote) {
    const std::string vault = File("v.kvf");
    const std::string other = File("v (conflict).kvf");
    WriteVault(vault, {{"local", "", "", ""}});
    TBlowfish cipher;
    const std::string clean = EncodeRecord(cipher, {"noisy", "l", "p", "kept;"}, "pw");
    const std::string foreign = EncodeRecord(cipher, {"noisy", "l", "p", "kept;"}, "other");
    WriteDataFile(cipher, other, "pw",
                  {EncodeRecord(cipher, {"fresh", "f", "", ""}, "pw"),
                   clean.substr(0, clean.rfind(';') + 1) + foreign.substr(foreign.rfind(';') + 1)});
    const std::string before = Bytes(vault);
    ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(vault), QFileDevice::ReadOwner));
    TRun run = Run("merge", vault, {QString::fromStdString(other)}, "pw\n");
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out, "");
    EXPECT_NE(run.Err.find("File access denied. Nothing was written."), std::string::npos)
        << run.Err;
    EXPECT_EQ(Bytes(vault), before);

    ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(vault),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    run = Run("merge", vault, {QString::fromStdString(other)}, "pw\n");
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "not whole, skipped: noisy\nadded: fresh\n1 added, 0 replaced, 0 differ and "
                       "were left alone\n");
    EXPECT_NE(run.Err.find("1 accounts do not decipher whole"), std::string::npos) << run.Err;
    EXPECT_EQ(ReadVault(vault),
              (std::vector<TPassRecord>{{"fresh", "f", "", ""}, {"local", "", "", ""}}));
}

TEST_F(cli, MergeAddsNewAccountsAndReplacesOnlyWhenAsked) {
    const std::string vault = File("v.kvf");
    const std::string other = File("v (conflict).kvf");
    WriteVault(vault, {{"same", "s", "", ""}, {"changed", "mine", "", ""}, {"local", "", "", ""}});
    WriteVault(other,
               {{"same", "s", "", ""}, {"changed", "theirs", "", ""}, {"new", "n", "np", "x;"}},
               "otherpw");
    const std::string before = Bytes(vault);
    TRun run = Run("merge", vault, {QString::fromStdString(other)}, "pw\nwrong\n");
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(Bytes(vault), before);

    run = Run("merge", vault, {QString::fromStdString(other)}, "pw\notherpw\n");
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out,
              "differs: changed\nadded: new\n1 added, 0 replaced, 1 differ and were left alone\n");
    run = Run("merge", vault,
              {QString::fromStdString(other), QStringLiteral("--prefer"), QStringLiteral("other")},
              "pw\notherpw\n");
    EXPECT_NE(run.Out.find("0 added, 1 replaced, 0 differ"), std::string::npos) << run.Out;
    const std::string merged = Bytes(vault);
    EXPECT_NE(Run("merge", vault, {QString::fromStdString(other)}, "pw\notherpw\n")
                  .Out.find("0 added, 0 replaced, 0 differ"),
              std::string::npos);
    EXPECT_EQ(Bytes(vault), merged);
    EXPECT_EQ(ReadVault(vault), (std::vector<TPassRecord>{{"changed", "theirs", "", ""},
                                                          {"local", "", "", ""},
                                                          {"new", "n", "np", "x;"},
                                                          {"same", "s", "", ""}}));
}

TEST_F(cli, RefusesToOverwriteAChangeMadeWhileItWaited) {
    const std::string vault = File("v.kvf");
    WriteVault(vault, {{"a", "", "", ""}});
    QProcess process;
    process.setReadChannel(QProcess::StandardError);
    process.start(QStringLiteral(KESTOVAR_CLI),
                  {"add", QString::fromStdString(vault), "b", "--password-prompt"});
    process.write("pw\n");
    // The command has read the vault once it asks for the account's password.
    QByteArray err;
    while (!err.contains("Password for account") && process.waitForReadyRead(30000))
        err += process.readAllStandardError();
    WriteVault(vault, {{"a", "", "", ""}, {"elsewhere", "", "", ""}});
    const std::string outside = Bytes(vault);
    process.write("x\n");
    process.closeWriteChannel();
    process.waitForFinished(30000);
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(process.readAllStandardError().contains("changed by another program"));
    EXPECT_EQ(Bytes(vault), outside);
}

// Two writers at once: every change a command reports as done is in the file afterwards, and a
// password change reported as done left the file under the new password. Without the write lock
// some of these rounds lose an account that was reported as added.
TEST_F(cli, WritersThatRaceNeverReportAChangeThatIsLost) {
    const std::string vault = File("v.kvf");
    const QStringList addArgs = {"add", QString::fromStdString(vault)};
    // Standard input from files, so that each process has its passwords at once and all run
    // together (a pipe is only fed while this process waits on that one process).
    const auto inputFile = [&](const char* name, const char* text) {
        const std::string path = File(name);
        std::ofstream(path, std::ios::binary) << text;
        return QString::fromStdString(path);
    };
    const QString addInput = inputFile("add.txt", "pw\n");
    const QString changeInput = inputFile("passwd.txt", "pw\nnew\nnew\n");
    const auto start = [](QProcess& process, QStringList args, const QString& input) {
        process.setStandardInputFile(input);
        process.start(QStringLiteral(KESTOVAR_CLI), args);
    };
    const auto finish = [](QProcess& process) {
        process.waitForFinished(60000);
        return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    };
    constexpr int Rounds = 25;
    for (int round = 0; round < Rounds; ++round) {
        SCOPED_TRACE(round);
        WriteVault(vault, {{"first", "", "", ""}});
        QProcess a;
        QProcess b;
        QProcess change;
        const QString nameA = QStringLiteral("a%1").arg(round);
        const QString nameB = QStringLiteral("b%1").arg(round);
        start(a, addArgs + QStringList{nameA}, addInput);
        start(b, addArgs + QStringList{nameB}, addInput);
        start(change, {"passwd", QString::fromStdString(vault)}, changeInput);
        const bool addedA = finish(a);
        const bool addedB = finish(b);
        const bool changed = finish(change);
        for (QProcess* refused : {&a, &b, &change}) {
            const QByteArray err = refused->readAllStandardError();
            // An add that opens the file after the password changed finds the old one wrong.
            if (refused->exitCode() != 0) {
                EXPECT_TRUE(err.contains("changed by another program") ||
                            (refused != &change && changed && err.contains("was not correct")))
                    << err.toStdString();
            }
        }
        TVault reread;
        ASSERT_EQ(reread.Open(vault, changed ? "new" : "pw"), TOpenResult::Opened)
            << "a password change reported as done is not in the file";
        EXPECT_EQ(reread.FindAccount(nameA.toStdString()) >= 0, addedA);
        EXPECT_EQ(reread.FindAccount(nameB.toStdString()) >= 0, addedB);
        EXPECT_GE(reread.FindAccount("first"), 0);
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(vault + ".lock")));
}

// A vault that another program converted is named as such, not refused as a wrong password, and
// repair gives it its own form back.
TEST_F(cli, AConvertedFileIsNamedAndRepairGivesItsFormBack) {
    const std::string vault = File("v.kvf");
    WriteVault(vault, {{"a", "l", "p", "n;"}});
    const std::string original = Bytes(vault);
    std::string converted = original;
    for (std::size_t at = 0; (at = converted.find("\r\n", at)) != std::string::npos;)
        converted.erase(at, 1);
    std::ofstream(vault, std::ios::binary | std::ios::trunc) << converted;
    TRun run = Run("ls", vault, {}, "");
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "kestovar-cli: " + vault +
                           " has LF line ends: it was converted by another program. kestovar-cli "
                           "repair " +
                           vault + " gives it its own form back\n");
    run = Run("repair", vault, {}, "wrong\n");
    EXPECT_EQ(run.Status, 1);
    // Passwords through a pipe: no prompt, and the refusal is the one line on standard error.
    EXPECT_EQ(run.Err,
              "kestovar-cli: The password was not correct. " + vault + " was not changed.\n");
    EXPECT_EQ(Bytes(vault), converted);
    run = Run("repair", vault);
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "Repaired " + vault + ": its lines end in CR LF again.\n");
    EXPECT_EQ(Bytes(vault), original);
    EXPECT_EQ(Run("ls", vault).Out, "a\n");
    run = Run("repair", vault, {}, "");
    EXPECT_EQ(run.Status, 0);
    EXPECT_NE(run.Out.find("needs no repair"), std::string::npos);
}

// ls shows each name as UTF-8 with controls as "?": plain ASCII, accented letters and signs of
// one to three UTF-8 bytes, escapes and C1 bytes, and a name too long for the output buffer's
// own conversion.
TEST_F(cli, ListShowsEveryKindOfNameSafely) {
    const std::string vault = File("v.kvf");
    const std::string longName = "z" + std::string(30000, 'y') + "\xE9\x1B";
    WriteVault(vault, {{"a plain name", "", "", ""},
                       {"b caf\xE9 \x80 \x9C", "", "", ""},
                       {"c \x1B]0;x\x07 \x81", "", "", ""},
                       {longName, "", "", ""}});
    const TRun run = Run("ls", vault);
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "a plain name\nb caf\u00E9 \u20AC \u0153\nc ?]0;x? ?\nz" +
                           std::string(30000, 'y') + "\u00E9?\n");
}

// Many names are shown on both cores, the second half held while the first is written: every
// name once and in order, also those too long for a chunk of the output.
TEST_F(cli, ListOfManyNamesIsWholeAndInOrder) {
    const std::string vault = File("v.kvf");
    WriteVault(vault, {});
    std::vector<std::string> names;
    for (int i = 0; i < 6000; ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "%05d", i);
        names.push_back("n" + std::string(number) +
                        (i % 1000 == 999 ? std::string(30000, 'x') : ""));
    }
    {
        TBlowfish cipher;
        TRecordCipher codec(cipher, "pw");
        std::ofstream out(vault, std::ios::binary | std::ios::app);
        for (auto name = names.rbegin(); name != names.rend(); ++name)
            out << codec.Encode({*name, "", "", ""}) << "\r\n";
    }
    const TRun run = Run("ls", vault);
    EXPECT_EQ(run.Status, 0);
    std::string expected;
    for (const std::string& name : names)
        expected += name + "\n";
    EXPECT_TRUE(run.Out == expected) << run.Out.size() << " bytes listed of " << expected.size();
}

TEST_F(cli, KeepsDamagedLinesAndSaysSo) {
    const std::string vault = File("v.kvf");
    WriteVault(vault, {{"a", "", "", ""}});
    std::ofstream(vault, std::ios::binary | std::ios::app) << "not a record!\r\n";
    const TRun listed = Run("ls", vault);
    EXPECT_EQ(listed.Out, "a\n");
    EXPECT_NE(listed.Err.find("1 line of " + vault + " could not be read (line 3)"),
              std::string::npos);
    ASSERT_EQ(Run("add", vault, {QStringLiteral("b")}).Status, 0);
    EXPECT_NE(Bytes(vault).find("\r\nnot a record!\r\n"), std::string::npos);
}

// The RFC 6238 seed of SHA-1 in base32, and the accounts that keep a key and an address in
// their notes, or a malformed key, or neither.
constexpr const char* OtpSeed = "GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQ";

std::vector<TPassRecord> NotesAccounts() {
    return {{"mail", "ann", "pw1",
             std::string("user ann;otpauth://totp/Mail:ann?secret=") + OtpSeed +
                 "&digits=8;https://mail.example/login;"},
            {"bank", "", "", std::string("url: bank.example;TOTP: ") + OtpSeed + ";"},
            {"broken", "bob", "", "totp: 1234;"},
            {"plain", "", "", "nothing here;"}};
}

TEST_F(cli, TotpAndUrlComeFromTheNotes) {
    const std::string vault = File("v.kvf");
    WriteVault(vault, NotesAccounts());
    const struct {
        const char* name;
        std::size_t digits;
    } codes[] = {{"mail", 8}, {"bank", 6}};
    for (const auto& c : codes) {
        SCOPED_TRACE(c.name);
        const std::string notes = NotesAccounts()[std::string(c.name) == "mail" ? 0 : 1].Notes;
        // The code of the second before or after the run: a period may end in between.
        const TOtpReading before = ReadOtp(notes);
        const TRun run = Run("totp", vault, {QString::fromLatin1(c.name)});
        const TOtpReading after = ReadOtp(notes);
        EXPECT_EQ(run.Status, 0) << run.Err;
        ASSERT_EQ(run.Out.size(), c.digits + 1) << run.Out;
        const std::string code = run.Out.substr(0, c.digits);
        EXPECT_TRUE(code == before.Code || code == after.Code) << code;
    }
    EXPECT_EQ(Run("show", vault, {"mail", "--field", "url"}).Out, "https://mail.example/login\n");
    EXPECT_EQ(Run("show", vault, {"bank", "--field", "url"}).Out, "https://bank.example\n");

    const struct {
        const char* command;
        QStringList args;
        const char* said;
    } refused[] = {
        {"totp", {"plain"}, "The notes of plain hold no one-time key"},
        {"totp", {"broken"}, "The notes of broken: The one-time key's secret is not base32"},
        {"show", {"plain", "--field", "url"}, "The notes of plain hold no web address"},
        {"totp", {"none"}, "No account named none"},
    };
    for (const auto& r : refused) {
        const TRun run = Run(r.command, vault, r.args);
        SCOPED_TRACE(r.said);
        EXPECT_EQ(run.Status, 1);
        EXPECT_TRUE(run.Out.empty()) << run.Out;
        EXPECT_NE(run.Err.find(r.said), std::string::npos) << run.Err;
    }
}

TEST_F(cli, GenerateMakesPasswordsAndPassphrasesWithoutAVault) {
    const TRun standard = Run({"generate"});
    EXPECT_EQ(standard.Status, 0);
    EXPECT_EQ(standard.Out.size(), 21u) << standard.Out;
    EXPECT_EQ(Run({"generate", "--length", "8"}).Out.size(), 9u);
    EXPECT_NE(Run({"generate"}).Out, standard.Out);

    const TRun phrase = Run({"generate", "--words", "5"});
    EXPECT_EQ(phrase.Status, 0);
    ASSERT_FALSE(phrase.Out.empty());
    EXPECT_EQ(phrase.Out.back(), '\n');
    EXPECT_TRUE(JoinsWords(phrase.Out.substr(0, phrase.Out.size() - 1), 5)) << phrase.Out;
    EXPECT_TRUE(QDir(FDir.path()).isEmpty()) << "no file is read or written";
}

class cliClip : public cli {
protected:
    // The command with this environment instead of the test's.
    static TRun RunWith(const QProcessEnvironment& environment, const QStringList& args,
                        const QString& program = QStringLiteral(KESTOVAR_CLI)) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, args);
        process.write("pw\n");
        process.closeWriteChannel();
        process.waitForFinished(60000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(),
                process.readAllStandardError().toStdString()};
    }
    static QProcessEnvironment Offscreen() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return environment;
    }
};

TEST_F(cliClip, CopiesTheChosenFieldAndClearsItWhenTheTimeIsUp) {
    const std::string vault = File("v.kvf");
    WriteVault(vault, NotesAccounts());
    const QString v = QString::fromStdString(vault);
    for (const char* field : {"password", "login", "totp"}) {
        SCOPED_TRACE(field);
        const TRun run =
            RunWith(Offscreen(), {"clip", v, "mail", "--field", field, "--timeout", "1"});
        EXPECT_EQ(run.Status, 0) << run.Err;
        const std::string named = std::string(field) == "totp" ? "one-time code" : field;
        EXPECT_EQ(run.Out, "The " + named +
                               " of mail is on the clipboard; it is cleared in 1 second (Ctrl+C "
                               "clears it now).\nThe clipboard is cleared.\n");
    }

    QProcessEnvironment noDesktop = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        noDesktop.remove(QString::fromLatin1(variable));
    // The program alone, without the module that brings the clipboard.
    const QString alone = QString::fromStdString(File("kestovar-cli"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KESTOVAR_CLI), alone));
    const QString cli = QStringLiteral(KESTOVAR_CLI);
    const struct {
        QProcessEnvironment environment;
        QStringList args;
        const char* said;
        QString program;
    } refused[] = {
        {noDesktop, {"clip", v, "mail"}, "clip needs the desktop's clipboard", cli},
        {Offscreen(), {"clip", v, "mail"}, "clip needs its clipboard module", alone},
        {Offscreen(), {"clip", v, "bank", "--field", "login"}, "The login of bank is empty", cli},
        {Offscreen(), {"clip", v, "broken", "--field", "totp"}, "is not base32", cli},
        {Offscreen(), {"clip", v, "nobody"}, "No account named nobody", cli},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.said);
        const TRun run = RunWith(r.environment, r.args, r.program);
        EXPECT_EQ(run.Status, 1);
        EXPECT_NE(run.Err.find(r.said), std::string::npos) << run.Err;
        EXPECT_EQ(run.Out.find("on the clipboard"), std::string::npos);
    }
}

// The real thing on an X server: another program reads the password and the secret's mark while
// the command holds them, and nothing after it.
TEST_F(cliClip, ServesTheX11ClipboardMarkedAsASecretUntilItClearsIt) {
    const QString xvfbRun = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    const QString xclip = QStandardPaths::findExecutable(QStringLiteral("xclip"));
    if (xvfbRun.isEmpty() || xclip.isEmpty())
        GTEST_SKIP() << "needs xvfb-run and xclip (tools/dev.sh installs them)";
    const std::string vault = File("v.kvf");
    WriteVault(vault, NotesAccounts());
    const std::string out = File("clip.out");
    // Waits (at most 60 s) for the copy to be announced, reads the clipboard, waits for the end.
    const QString script = QStringLiteral(
        "printf 'pw\\n' | \"$0\" clip \"$1\" mail --timeout 2 > \"$2\" 2>&1 &\n"
        "i=0; while ! grep -q 'on the clipboard' \"$2\" && [ $i -lt 600 ]; do\n"
        "  sleep 0.1; i=$((i + 1)); done\n"
        "echo \"during: $(xclip -o -selection clipboard)\"\n"
        "xclip -o -selection clipboard -t TARGETS | grep -x x-kde-passwordManagerHint\n"
        "echo \"hint: $(xclip -o -selection clipboard -t x-kde-passwordManagerHint)\"\n"
        "wait\n"
        "echo \"after: $(xclip -o -selection clipboard 2>/dev/null)\"\n");
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM")); // the X server's, not offscreen
    process.setProcessEnvironment(environment);
    process.start(xvfbRun, {"-a", "sh", "-c", script, QStringLiteral(KESTOVAR_CLI),
                            QString::fromStdString(vault), QString::fromStdString(out)});
    ASSERT_TRUE(process.waitForFinished(120000));
    const std::string shown = process.readAllStandardOutput().toStdString();
    EXPECT_EQ(shown, "during: pw1\nx-kde-passwordManagerHint\nhint: secret\nafter: \n")
        << process.readAllStandardError().toStdString();
    EXPECT_NE(Bytes(out).find("The clipboard is cleared."), std::string::npos) << Bytes(out);
}

// info reads no password and shows what anyone holding the file can see.
TEST_F(cli, InfoTellsTheFormatParametersAndLinesWithoutAPassword) {
    const std::string older = File("older.kvf");
    WriteVault(older, {{"a", "", "", ""}, {"b", "", "", ""}, {"c", "", "", ""}});
    TRun run = Run("info", older, {}, "");
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("Format: 1 "), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("Record lines: 3\n"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("one Blowfish key schedule"), std::string::npos) << run.Out;
    EXPECT_EQ(run.Out.find(ReadFirstLineBytes(older)), std::string::npos); // no check line

    const std::string hardened = File("hardened.kvf");
    TKvf2Header header = TKvf2Session::NewHeader({2, 16384});
    TKvf2Keys keys = DeriveKvf2Keys("pw", header.Params, header.Salt);
    const TKvf2Session session = TKvf2Session::Made(header, std::move(keys));
    std::vector<std::string> lines = {session.EncodeAccount({"a", "l", "p", ""}),
                                      session.EncodeAccount({"b", "", "", ""})};
    WriteKvf2File(hardened, session, lines);
    const std::string before = Bytes(hardened);
    run = Run("info", hardened, {}, "");
    EXPECT_EQ(run.Status, 0) << run.Err;
    for (const char* shown : {"Format: 2 ", "Argon2id, 2 passes, 16384 KiB\n", "Record lines: 2\n",
                              "2 passes over 16 MiB of memory, 32 MiB of memory work",
                              "Below the defaults (3 passes over 512 MiB)"})
        EXPECT_NE(run.Out.find(shown), std::string::npos) << shown << "\n" << run.Out;
    EXPECT_EQ(run.Out.find("changed outside"), std::string::npos) << run.Out;
    EXPECT_EQ(Bytes(hardened), before);

    // A line added outside the program shows in the counts.
    std::ofstream(hardened, std::ios::app) << lines[0] << "\r\n";
    run = Run("info", hardened, {}, "");
    EXPECT_EQ(run.Status, 0);
    EXPECT_NE(run.Out.find("Record lines: 3 (the first line counts 2"), std::string::npos)
        << run.Out;
}

TEST_F(cli, InfoRefusesADamagedFirstLineAndAnotherVersion) {
    const struct {
        const char* FirstLine;
        const char* Said;
    } cases[] = {
        {"KVF2 argon2id 0 8192", "first line of the data file is damaged"},
        {"KVF3 whatever", "\"KVF3\""},
        {"KVF2 scrypt 1 2 3", "\"KVF2 scrypt\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.FirstLine);
        const std::string path = File("odd.kvf");
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.FirstLine << "\r\n";
        const TRun run = Run("info", path, {}, "");
        EXPECT_EQ(run.Status, 1);
        EXPECT_NE(run.Err.find(c.Said), std::string::npos) << run.Err;
        EXPECT_EQ(run.Out, "");
    }
    EXPECT_EQ(Run("info", File("none.kvf"), {}, "").Status, 1);
    EXPECT_EQ(Run({"info"}).Status, 2);
}

} // namespace

namespace {

std::string ImportSample(const char* name) {
    return std::string(KESTOVAR_TEST_DATA_DIR) + "/import/" + name;
}

std::string HashLine(const std::string& password, int count) {
    const TSha1Digest digest = BreachHashOf(password);
    std::string line;
    char pair[3];
    for (const unsigned char byte : digest) {
        std::snprintf(pair, sizeof pair, "%02X", byte);
        line += pair;
    }
    return line + ":" + std::to_string(count) + "\r\n";
}

TEST_F(cli, AnalyzeNamesTheAccountsAndShowsPasswordsOnlyWhenAsked) {
    const std::string vault = File("v.kvf");
    WriteVault(vault, {{"mail", "", "dragon123", ""},
                       {"shop", "", "dragon123", ""},
                       {"wifi", "", "", ""},
                       {"strong", "", "Qm9#xT4!pL2@vN7&Zr5$", ""}});
    std::vector<std::string> lines = {HashLine("dragon123", 4242), HashLine("123456", 7),
                                      "0000000000000000000000000000000000000001:1\r\n"};
    std::sort(lines.begin(), lines.end());
    const std::string list = File("pwned.txt");
    std::ofstream(list, std::ios::binary) << lines[0] << lines[1] << lines[2];

    const TRun hidden =
        Run("analyze", vault, {QStringLiteral("--hibp"), QString::fromStdString(list)});
    EXPECT_EQ(hidden.Status, 0) << hidden.Err;
    EXPECT_EQ(hidden.Out.find("dragon123"), std::string::npos);
    for (const std::string& said :
         {vault + ": 4 accounts\n", std::string("  mail: "), std::string("  shop: "),
          std::string("Passwords that more than one account uses: 1\n  2 accounts: mail, shop\n"),
          std::string("Empty passwords: 1\n  wifi\n"),
          "Passwords found in " + list + ": 2\n  mail: seen 4242 times\n  shop: seen 4242 times\n"})
        EXPECT_NE(hidden.Out.find(said), std::string::npos) << said << "\n" << hidden.Out;
    EXPECT_EQ(hidden.Out.find("  strong"), std::string::npos) << hidden.Out;

    const TRun shown = Run("analyze", vault, {QStringLiteral("--show-password")});
    EXPECT_EQ(shown.Status, 0);
    EXPECT_NE(shown.Out.find("  2 accounts: mail, shop\n    password: dragon123\n"),
              std::string::npos)
        << shown.Out;
    EXPECT_NE(shown.Out.find("Breached passwords: not looked up"), std::string::npos);

    // A list that is not there stops the command before the master password is asked for.
    const TRun missing =
        Run("analyze", vault, {QStringLiteral("--hibp"), QString::fromStdString(File("none"))}, "");
    EXPECT_EQ(missing.Status, 1);
    EXPECT_EQ(missing.Err.find("Master password"), std::string::npos) << missing.Err;
}

TEST_F(cli, ImportsEachManagersExportWithSuffixesForTakenNames) {
    struct TCase {
        const char* Format;
        const char* File;
        std::size_t Accounts;
        TPassRecord Sample;
    };
    const TCase cases[] = {
        {"keepassxc",
         "keepassxc.csv",
         5,
         {"Taken (2)", "dora", "pw4",
          Latin1("otpauth://totp/Taken?secret=JBSWY3DPEHPK3PXP;Café €5;")}},
        {"firefox",
         "firefox.csv",
         4,
         {"accounts.example.com (2)", "", "only \"pw\"", "https://accounts.example.com;"}},
        {"chrome",
         "chrome.csv",
         5,
         {"Example", "ann", "pa,ss", "https://example.com/;line one;line two;"}},
        {"bitwarden",
         "bitwarden.json",
         4,
         {"Mail, work (2)", "bob", "", "otpauth://totp/Work:bob?secret=GEZDGNBV&issuer=Work;"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Format);
        const std::string vault = File("v.kvf");
        QFile::remove(QString::fromStdString(vault));
        WriteVault(vault, {{"Taken", "", "", ""}});
        const QStringList args = {QStringLiteral("--from"), QString::fromLatin1(c.Format),
                                  QString::fromStdString(ImportSample(c.File))};
        const std::string before = Bytes(vault);
        const TRun dry = Run("import", vault, args + QStringList{QStringLiteral("--dry-run")});
        EXPECT_EQ(dry.Status, 0) << dry.Err;
        EXPECT_NE(dry.Out.find("nothing was written"), std::string::npos) << dry.Out;
        EXPECT_EQ(Bytes(vault), before);

        const TRun run = Run("import", vault, args);
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_NE(run.Out.find("Imported " + std::to_string(c.Accounts) + " accounts"),
                  std::string::npos)
            << run.Out;
        EXPECT_NE(run.Out.find("renamed from"), std::string::npos) << run.Out;
        const std::vector<TPassRecord> records = ReadVault(vault);
        EXPECT_EQ(records.size(), c.Accounts + 1);
        EXPECT_NE(std::find(records.begin(), records.end(), c.Sample), records.end());
    }
}

TEST_F(cli, ImportFromRefusesTheWholeExportForOneBadRow) {
    const std::string vault = File("v.kvf");
    WriteVault(vault, {{"a", "", "", ""}});
    const std::string before = Bytes(vault);
    const std::string csv = File("chrome.csv");
    std::ofstream(csv, std::ios::binary) << "name,url,username,password,note\n"
                                            "ok,https://ok.example,a,b,\n"
                                            "bad,https://bad.example,snow\u2603,b,\n";
    const TRun run =
        Run("import", vault,
            {QStringLiteral("--from"), QStringLiteral("chrome"), QString::fromStdString(csv)}, "");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find(csv + " line 3: the login: Character U+2603"), std::string::npos)
        << run.Err;
    EXPECT_NE(run.Err.find("Nothing was imported."), std::string::npos);
    // Refused before the master password is asked for.
    EXPECT_EQ(run.Err.find("Master password"), std::string::npos) << run.Err;
    EXPECT_EQ(Bytes(vault), before);
}

TEST_F(cli, BrowserCsvTakesTheAccountsToABrowserAndBack) {
    const std::string vault = File("v.kvf");
    const std::vector<TPassRecord> records = {
        {"Mail", "ann", "p,w", "https://mail.example.org;otpauth://totp/Mail?secret=ABC;note;"},
        {"Shop", "bob", "x\"y", "https://shop.example;"},
        {Latin1("Zoë"), "", Latin1("€uro"), ""},
    };
    WriteVault(vault, records);
    const TRun exported = Run("export", vault, {QStringLiteral("--browser-csv")});
    ASSERT_EQ(exported.Status, 0);
    EXPECT_EQ(exported.Out, "name,url,username,password,note\r\n"
                            "Mail,https://mail.example.org,ann,\"p,w\",\"otpauth://totp/"
                            "Mail?secret=ABC\nnote\"\r\n"
                            "Shop,https://shop.example,bob,\"x\"\"y\",\r\n"
                            "Zoë,,,€uro,\r\n");
    const std::string csv = File("browser.csv");
    std::ofstream(csv, std::ios::binary) << exported.Out;
    const std::string copy = File("copy.kvf");
    ASSERT_EQ(Run("create", copy, {}, "pw\npw\n").Status, 0);
    ASSERT_EQ(Run("import", copy,
                  {QStringLiteral("--from"), QStringLiteral("chrome"), QString::fromStdString(csv)})
                  .Status,
              0);
    EXPECT_EQ(ReadVault(copy), ReadVault(vault));
}

TEST_F(cli, ACsvImportCanBeTriedWithoutWriting) {
    const std::string vault = File("v.kvf");
    WriteVault(vault, {{"a", "", "", ""}});
    const std::string before = Bytes(vault);
    const std::string csv = File("in.csv");
    std::ofstream(csv, std::ios::binary) << "name,login,password,notes\nb,,,\nc,,,\n";
    const TRun run =
        Run("import", vault,
            {QStringLiteral("--csv"), QString::fromStdString(csv), QStringLiteral("--dry-run")});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "Would import 2 accounts into " + vault + "; nothing was written.\n");
    EXPECT_EQ(Bytes(vault), before);
}

TEST_F(cli, NewOptionsAreCheckedAsUsage) {
    const QString v = QString::fromStdString(File("v.kvf"));
    const QStringList cases[] = {
        {"import", v, "--from", "chrome"},
        {"import", v, "--csv", "a.csv", "--from", "chrome", "b.csv"},
        {"import", v, "--from", "lastpass", "b.csv"},
        {"import", v, "a.csv"},
        {"export", v, "--csv", "--browser-csv"},
        {"analyze", v, "extra"},
        {"analyze", v, "--hibp"},
    };
    for (const QStringList& args : cases) {
        const TRun run = Run(args);
        EXPECT_EQ(run.Status, 2) << args.join(u' ').toStdString();
        EXPECT_NE(run.Err.find("--help"), std::string::npos) << run.Err;
    }
    EXPECT_NE(Run({"analyze", "--help"}).Out.find("--hibp <hibpfile>"), std::string::npos);
}

} // namespace
