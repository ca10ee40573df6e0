// kestovar-cli on hardened files, as a user runs it: every command keeps the file's format, the
// ways between the formats, merges across them, a file changed outside Kestovar, and the three
// refusals of a file that does not open.

#include "vault/DataFile.h"
#include "vault/Kvf2File.h"
#include "vault/Vault.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

struct TRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

const QStringList Small = {QStringLiteral("--kdf-passes"), QStringLiteral("1"),
                           QStringLiteral("--kdf-memory"), QStringLiteral("8")};

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void PutBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::vector<std::string> FileLines(const std::string& path) {
    const std::string bytes = Bytes(path);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

// Tokens 1 to 6 of a hardened first line, and the ID alone.
std::string KeyText(const std::string& path) {
    const std::string first = FileLines(path).at(0);
    std::size_t at = 0;
    for (int token = 0; token < 6; ++token)
        at = first.find(' ', at) + 1;
    return first.substr(0, at - 1);
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class cliHardened : public testing::Test {
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
    static TRun Run(const char* command, const std::string& path, QStringList rest = {},
                    const QByteArray& input = "pw\n") {
        rest.prepend(QString::fromStdString(path));
        rest.prepend(QString::fromUtf8(command));
        return Run(rest, input);
    }

    // Every account read whole, in the selector's order, and the file's format.
    static std::vector<TPassRecord> ReadVault(const std::string& path, TDataFormat format,
                                              const std::string& password = "pw") {
        TVault vault;
        EXPECT_EQ(vault.Open(path, password), TOpenResult::Opened) << path;
        EXPECT_EQ(vault.Format(), format) << path;
        std::vector<TPassRecord> records;
        for (int row = 0; row < vault.AccountCount(); ++row) {
            vault.Select(row);
            records.push_back(vault.Current());
        }
        return records;
    }
    void CreateHardened(const std::string& path, const std::vector<TPassRecord>& records) {
        TVault vault;
        vault.CreateHardened(path, "pw", {1, 8192});
        for (const TPassRecord& record : records)
            ASSERT_TRUE(vault.Add(record));
        vault.Save();
    }

    QTemporaryDir FDir;
};

TEST_F(cliHardened, EveryCommandWorksOnAHardenedFileAndKeepsItsFormat) {
    const std::string vault = File("h.kvf");
    ASSERT_EQ(Run("create", vault, QStringList{"--format", "2"} + Small, "pw\npw\n").Status, 0);
    EXPECT_TRUE(Contains(Bytes(vault), "KVF2 argon2id 1 8192 "));
    const std::string keys = KeyText(vault);
    const std::string notes = File("notes.txt");
    std::ofstream(notes) << "totp: JBSWY3DPEHPK3PXP\nhttps://mail.example.org\n";
    const std::string csv = File("in.csv");
    std::ofstream(csv) << "name,login,password,notes\r\nshop,sam,s1,\r\n";

    const struct {
        const char* Command;
        QStringList Rest;
        QByteArray Input;
        const char* Out;
    } steps[] = {
        {"add",
         {"mail", "--login", "ann", "--password-prompt", "--notes-file",
          QString::fromStdString(notes)},
         "pw\nhunter2\n",
         "Added mail.\n"},
        {"add", {"bank"}, "pw\n", "Added bank.\n"},
        {"edit", {"bank", "--login", "bob"}, "pw\n", "Changed bank.\n"},
        {"import", {"--csv", QString::fromStdString(csv)}, "pw\n", "Imported 1 accounts"},
        {"ls", {}, "pw\n", "bank\nmail\nshop\n"},
        {"show", {"mail", "--field", "password"}, "pw\n", "hunter2\n"},
        {"show", {"mail", "--field", "url"}, "pw\n", "https://mail.example.org\n"},
        {"totp", {"mail"}, "pw\n", ""},
        {"export", {"--csv"}, "pw\n", "bank,bob,,\r\n"},
        {"analyze", {}, "pw\n", "3 accounts"},
        {"rm", {"shop"}, "pw\n", "Removed shop.\n"},
        {"info", {}, "", "Format: 2"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.Command);
        const TRun run = Run(step.Command, vault, step.Rest, step.Input);
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_TRUE(Contains(run.Out, step.Out)) << run.Out;
        EXPECT_EQ(KeyText(vault), keys) << "the same format, parameters, SALT and ID";
    }
    EXPECT_EQ(ReadVault(vault, TDataFormat::Hardened),
              (std::vector<TPassRecord>{
                  {"bank", "bob", "", ""},
                  {"mail", "ann", "hunter2", "totp: JBSWY3DPEHPK3PXP;https://mail.example.org;"}}));
}

TEST_F(cliHardened, UpgradeAndDowngradeGoBothWaysByteForByte) {
    const std::string older = File("older.kvf");
    {
        TVault vault;
        vault.Create(older, "pw");
        for (const char* name : {"mail", "bank", "shop"})
            ASSERT_TRUE(vault.Add(TPassRecord{name, "me", "secret", "a;b;"}));
        vault.Save();
    }
    // A line of another password, which only its own password can read: kept both ways.
    TBlowfish cipher;
    std::vector<std::string> lines = FileLines(older);
    lines.insert(lines.begin() + 2, EncodeRecord(cipher, {"other", "", "", ""}, "else"));
    PutBytes(older, Joined(lines));
    const std::string olderBytes = Bytes(older);
    const std::vector<TPassRecord> accounts = ReadVault(older, TDataFormat::Classic);

    const TRun upgrade = Run("upgrade", older, Small);
    ASSERT_EQ(upgrade.Status, 0) << upgrade.Err;
    EXPECT_TRUE(Contains(upgrade.Out, "older.kvf.bak")) << upgrade.Out;
    EXPECT_TRUE(Contains(upgrade.Err, "still hold the vault in the older format, under the same "
                                      "password"))
        << upgrade.Err;
    EXPECT_EQ(Bytes(BackupPath(older)), olderBytes);
    EXPECT_EQ(ReadVault(older, TDataFormat::Hardened), accounts);
    EXPECT_EQ(Run("upgrade", older, Small).Status, 1) << "hardened already";

    const std::string copy = File("copy.kvf");
    const TRun downgrade = Run("downgrade", older, {"--output", QString::fromStdString(copy)});
    ASSERT_EQ(downgrade.Status, 0) << downgrade.Err;
    EXPECT_TRUE(Contains(downgrade.Err, "tens of thousands of times faster")) << downgrade.Err;
    EXPECT_EQ(Bytes(copy), olderBytes);

    const std::string hardened = Bytes(older);
    const TRun over = Run("downgrade", older, {"--output", QString::fromStdString(older)});
    EXPECT_EQ(over.Status, 1);
    EXPECT_TRUE(Contains(over.Err, "exists already")) << over.Err;
    EXPECT_EQ(Bytes(older), hardened);
    EXPECT_EQ(Run("downgrade", copy, {"--output", QString::fromStdString(File("x.kvf"))}).Status, 1)
        << "an older file has no way down";
}

TEST_F(cliHardened, UpgradeUnderANewPasswordAndPasswdRaiseTheCostToTheDefaults) {
    const std::string vault = File("v.kvf");
    {
        TVault older;
        older.Create(vault, "old");
        ASSERT_TRUE(older.Add(TPassRecord{"mail", "me", "secret", ""}));
        older.Save();
    }
    const TRun upgrade =
        Run("upgrade", vault, QStringList{"--new-password"} + Small, "old\nnew\nnew\n");
    ASSERT_EQ(upgrade.Status, 0) << upgrade.Err;
    EXPECT_TRUE(Contains(upgrade.Err, "under the old password")) << upgrade.Err;
    EXPECT_EQ(ReadVault(vault, TDataFormat::Hardened, "new"),
              (std::vector<TPassRecord>{{"mail", "me", "secret", ""}}));
    TBlowfish cipher;
    EXPECT_TRUE(CheckPassword(cipher, BackupPath(vault), "old"));

    // The one derivation at the defaults (512 MiB): a password change never stays below them.
    const std::string before = Bytes(vault);
    const TKvf2HeaderRead old = ReadKvf2FirstLineOf(vault);
    const TRun passwd = Run("passwd", vault, {}, "new\nnewer\nnewer\n");
    ASSERT_EQ(passwd.Status, 0) << passwd.Err;
    EXPECT_EQ(Bytes(BackupPath(vault)), before);
    const TKvf2HeaderRead changed = ReadKvf2FirstLineOf(vault);
    EXPECT_EQ(changed.Header.Params, Kvf2DefaultParams);
    EXPECT_EQ(changed.Header.Id, old.Header.Id);
    EXPECT_NE(changed.Header.Salt, old.Header.Salt);
    EXPECT_EQ(ReadVault(vault, TDataFormat::Hardened, "newer"),
              (std::vector<TPassRecord>{{"mail", "me", "secret", ""}}));
}

TEST_F(cliHardened, ACopyForOlderVersionsLeavesDamagedLinesOutOnlyWhenAsked) {
    const std::string vault = File("h.kvf");
    CreateHardened(vault, {{"mail", "me", "pw1", ""}, {"bank", "", "pw2", ""}});
    std::vector<std::string> lines = FileLines(vault);
    lines.push_back("not a line of any kind");
    PutBytes(vault, Joined(lines));
    const std::string copy = File("older.kvf");
    const TRun refused = Run("downgrade", vault, {"--output", QString::fromStdString(copy)});
    EXPECT_EQ(refused.Status, 1);
    EXPECT_TRUE(Contains(refused.Err, "--drop-damaged")) << refused.Err;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(copy)));
    const TRun dropped =
        Run("downgrade", vault, {"--output", QString::fromStdString(copy), "--drop-damaged"});
    ASSERT_EQ(dropped.Status, 0) << dropped.Err;
    EXPECT_TRUE(Contains(dropped.Err, "left out")) << dropped.Err;
    EXPECT_EQ(ReadVault(copy, TDataFormat::Classic),
              (std::vector<TPassRecord>{{"bank", "", "pw2", ""}, {"mail", "me", "pw1", ""}}));
}

TEST_F(cliHardened, MergeTakesAccountsAcrossTheFormats) {
    const std::string hardened = File("h.kvf");
    const std::string older = File("o.kvf");
    CreateHardened(hardened, {{"mail", "me", "one", ""}, {"bank", "b", "x", ""}});
    {
        TVault vault;
        vault.Create(older, "pw");
        ASSERT_TRUE(vault.Add(TPassRecord{"mail", "me", "two", ""}));
        ASSERT_TRUE(vault.Add(TPassRecord{"shop", "s", "y", ""}));
        vault.Save();
    }
    const TRun intoOlder = Run("merge", older, {QString::fromStdString(hardened)});
    ASSERT_EQ(intoOlder.Status, 0) << intoOlder.Err;
    EXPECT_TRUE(Contains(intoOlder.Out, "added: bank\n"));
    EXPECT_TRUE(Contains(intoOlder.Out, "differs: mail\n"));
    EXPECT_EQ(ReadVault(older, TDataFormat::Classic),
              (std::vector<TPassRecord>{
                  {"bank", "b", "x", ""}, {"mail", "me", "two", ""}, {"shop", "s", "y", ""}}));

    const TRun intoHardened =
        Run("merge", hardened, {QString::fromStdString(older), "--prefer", "other"});
    ASSERT_EQ(intoHardened.Status, 0) << intoHardened.Err;
    EXPECT_EQ(ReadVault(hardened, TDataFormat::Hardened),
              (std::vector<TPassRecord>{
                  {"bank", "b", "x", ""}, {"mail", "me", "two", ""}, {"shop", "s", "y", ""}}));
}

TEST_F(cliHardened, AFileChangedOutsideIsReadWithAWarningAndWrittenOnlyWithReseal) {
    const std::string vault = File("h.kvf");
    CreateHardened(vault, {{"mail", "me", "one", ""}, {"bank", "b", "x", ""}});
    std::vector<std::string> lines = FileLines(vault);
    std::swap(lines[1], lines[2]);
    PutBytes(vault, Joined(lines));
    const std::string tampered = Bytes(vault);

    const TRun ls = Run("ls", vault);
    EXPECT_EQ(ls.Status, 0);
    EXPECT_EQ(ls.Out, "bank\nmail\n");
    EXPECT_TRUE(Contains(ls.Err, "changed outside Kestovar")) << ls.Err;
    EXPECT_TRUE(Contains(ls.Err, "counts 2 record lines, the file has 2")) << ls.Err;

    for (const QStringList& write :
         {QStringList{"add", "shop"}, QStringList{"rm", "mail"},
          QStringList{"edit", "mail", "--login", "x"}, QStringList{"passwd"}}) {
        SCOPED_TRACE(write.join(u' ').toStdString());
        QStringList args = write;
        args.insert(1, QString::fromStdString(vault));
        const TRun run = Run(args, "pw\nnew\nnew\n");
        EXPECT_EQ(run.Status, 1);
        EXPECT_TRUE(Contains(run.Err, "--reseal")) << run.Err;
        EXPECT_EQ(Bytes(vault), tampered);
    }
    const TRun resealed = Run("add", vault, {"shop", "--reseal"});
    ASSERT_EQ(resealed.Status, 0) << resealed.Err;
    const TRun after = Run("ls", vault);
    EXPECT_EQ(after.Out, "bank\nmail\nshop\n");
    EXPECT_FALSE(Contains(after.Err, "changed outside")) << after.Err;
}

TEST_F(cliHardened, AWrongPasswordADamagedFirstLineAndAnotherVersionSayDifferentThings) {
    const std::string vault = File("h.kvf");
    CreateHardened(vault, {{"mail", "", "", ""}});
    const std::vector<std::string> lines = FileLines(vault);
    const auto withFirstLine = [&](const std::string& first) {
        std::vector<std::string> changed = lines;
        changed[0] = first;
        PutBytes(vault, Joined(changed));
    };
    const std::string header = lines[0];
    const struct {
        std::string First;
        const char* Said;
    } cases[] = {
        {header, "The password was not correct"},
        {"KVF2 argon2id 0" + header.substr(header.find(' ', 14)), "first line of the data file "
                                                                  "is damaged"},
        {"KVF3 " + header.substr(5), "format that this version of Kestovar cannot read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Said);
        withFirstLine(c.First);
        const TRun run = Run("ls", vault, {}, "wrong\n");
        EXPECT_EQ(run.Status, 1);
        EXPECT_TRUE(Contains(run.Err, c.Said)) << run.Err;
    }
}

TEST_F(cliHardened, NewOptionsAreCheckedAsUsage) {
    const QString v = QString::fromStdString(File("v.kvf"));
    const QStringList cases[] = {
        {"create", v, "--format", "3"},
        {"create", v, "--kdf-passes", "2"},
        {"create", v, "--format", "2", "--kdf-passes", "11"},
        {"create", v, "--format", "2", "--kdf-memory", "7"},
        {"create", v, "--format", "2", "--kdf-memory", "1025"},
        {"downgrade", v},
        {"upgrade", v, "--output", v},
        {"ls", v, "--reseal"},
    };
    for (const QStringList& args : cases) {
        const TRun run = Run(args);
        EXPECT_EQ(run.Status, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(Contains(run.Err, "--help")) << run.Err;
    }
    const TRun help = Run({"downgrade", "--help"});
    EXPECT_EQ(help.Status, 0);
    EXPECT_TRUE(Contains(help.Out, "--drop-damaged")) << help.Out;
}

} // namespace
