#include "platform/TextFile.h"
#include "TempFiles.h"
#include "platform/PlatformErrors.h"
#include "platform/PlatformServices.h"
#include "platform/RecordList.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace {

// Reads as the data file is read: the first line always, then lines until the end.
std::vector<std::string> ReadLines(const std::string& path) {
    TTextFile file;
    file.OpenTextForReading(path);
    std::vector<std::string> lines{file.ReadTextLine()};
    while (!file.TextAtEnd())
        lines.push_back(file.ReadTextLine());
    file.CloseTextFile();
    return lines;
}

void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
    TTextFile file;
    file.OpenTextForWriting(path);
    for (const auto& line : lines)
        file.WriteTextLine(line);
    file.CloseTextFile();
}

template <typename Action> int ErrorCodeOf(Action action) {
    try {
        action();
    } catch (const EInOutError& error) {
        return error.ErrorCode();
    }
    return 0;
}

class TextFileTest : public testing::Test {
protected:
    std::string Path(const char* name) const { return PathIn(FDir, name); }
    QStringList Entries() const { return FolderEntries(FDir); }

    QTemporaryDir FDir;
};

TEST_F(TextFileTest, WritesCrLfAfterEveryLineAndNothingElse) {
    WriteLines(Path("ab.kvf"), {"A", "B"});
    EXPECT_EQ(ReadFileBytes(Path("ab.kvf")), "A\r\nB\r\n");

    WriteLines(Path("blank.kvf"), {"", ""});
    EXPECT_EQ(ReadFileBytes(Path("blank.kvf")), "\r\n\r\n");

    WriteLines(Path("none.kvf"), {});
    EXPECT_EQ(ReadFileBytes(Path("none.kvf")), "");
}

TEST_F(TextFileTest, ReadsLinesByTheDataFileConventions) {
    struct Case {
        std::string Bytes;
        std::vector<std::string> Lines;
    };
    const std::vector<Case> cases = {
        {"A\nB\n", {"A\nB\n"}},           // a lone LF is part of the line
        {"A\rB\r\n", {"A", "B"}},         // a lone CR ends a line
        {"A\r\nB", {"A", "B"}},           // the last line needs no terminator
        {"A\r\n\r\n", {"A", ""}},         // a blank last line is a line
        {"", {""}},                       // an empty file reads one empty line
        {"\x1A", {""}},                   // so does one that starts with Ctrl-Z
        {"A\r\r\nB\r\n", {"A", "", "B"}}, // CR CR LF: a line, then a blank one
        {"A\n\rB", {"A\n", "B"}},         // LF CR: the LF stays in the line
        // Ctrl-Z bytes that nothing follows end the file...
        {"A\r\nB\x1A\x1A", {"A", "B"}},
        {"A\r\n\x1A\x1A", {"A"}},
        // ...but one with data after it is part of its line, and the lines after it are read.
        {"A\r\n\x1A"
         "B\r\nC\r\n",
         {"A",
          "\x1A"
          "B",
          "C"}},
        {"A\x1A\x1A\r\nB", {"A\x1A\x1A", "B"}},
        {"\x1A\r\n", {"\x1A"}},
        {"A\x1A\rB\x1A", {"A\x1A", "B"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.Bytes));
        WriteFileBytes(Path("in.kvf"), c.Bytes);
        EXPECT_EQ(ReadLines(Path("in.kvf")), c.Lines);
        EXPECT_EQ(ReadFirstTextLine(Path("in.kvf"), 100), c.Lines.front());
        // What was read comes back whole when it is written again.
        WriteLines(Path("again.kvf"), c.Lines);
        EXPECT_EQ(ReadLines(Path("again.kvf")), c.Lines);
    }
}

TEST_F(TextFileTest, ALargeFileIsCutAsLineByLineAndTakenAsStringsWhereverItsPagesFall) {
    // A file read into mapped pages, its lines taken as strings in two halves, each giving back
    // the pages it has passed: each added byte moves every line a byte over the pages, and the
    // repeated piece puts a CR LF, a lone LF, CR CR and a Ctrl-Z within a line at every place. A
    // line longer than a step of giving pages back comes near the end.
    const std::string piece = "ab\r\n\ncd\r\r\x1A";
    std::string pieces;
    while (pieces.size() < (std::size_t{17} << 18))
        pieces += piece;
    for (std::size_t added = 0; added <= 2 * piece.size() + 2; ++added) {
        SCOPED_TRACE(added);
        WriteFileBytes(Path("large.kvf"), "check\r\n" + std::string(added, 'x') + pieces +
                                              std::string(std::size_t{600} << 10, 'z') + "\r\n" +
                                              piece + std::string(added % 3, 'y') + "\x1A\x1A");
        const std::vector<std::string> expected = ReadLines(Path("large.kvf"));
        TTextFile file;
        file.OpenTextForReading(Path("large.kvf"));
        std::vector<std::string> lines{file.ReadTextLine()};
        TLineBlock block = file.ReadRemainingLineBlock();
        lines.insert(lines.end(), block.Views().begin(), block.Views().end());
        EXPECT_EQ(lines, expected);
        const std::vector<std::string> rest = block.TakeStrings(0);
        EXPECT_TRUE(block.empty());
        EXPECT_TRUE(std::equal(rest.begin(), rest.end(), expected.begin() + 1, expected.end()));
    }
}

TEST_F(TextFileTest, ARecordListReadsItsBlockInPlaceUntilAChangeTakesTheLinesAsStrings) {
    WriteFileBytes(Path("v.kvf"), "check\r\nab\r\n\r\ncd\ref\r\n");
    TTextFile file;
    file.OpenTextForReading(Path("v.kvf"));
    file.ReadTextLine();
    TRecordList list;
    list.Assign(file.ReadRemainingLineBlock());
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.View(2), "cd");
    EXPECT_EQ(list.Span()[3], "ef");
    EXPECT_TRUE(list.InBlock()) << "reading in place keeps the block";
    list.Put(1, "x");
    EXPECT_FALSE(list.InBlock());
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"ab", "x", "cd", "ef"}));
    EXPECT_GE(list.Lines().capacity(), 12u) << "room kept for the lines to come";
}

TEST_F(TextFileTest, TheFirstLineAloneIsReadAsFarAsAComparisonNeeds) {
    struct Case {
        std::string Bytes;
        std::size_t MaxLength;
        std::string Line;
    };
    const std::vector<Case> cases = {
        {"ABCDEF\r\nG", 3, "ABCD"},                // longer: one byte more than the limit
        {"ABC\r\nG", 3, "ABC"},                    // as long as the limit
        {"AB\x1A\x1A\x1A\x1A\r", 3, "AB\x1A\x1A"}, // Ctrl-Z bytes with data after them count
        {"AB\x1A\x1A\x1A\x1A", 3, "AB"},           // at the end they do not
        {"AB\x1A\x1A" + std::string(5000, '\x1A') + "C", 3, "AB\x1A\x1A"},
        {std::string(5000, 'x'), 16, std::string(17, 'x')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.Bytes.substr(0, 20)));
        WriteFileBytes(Path("first.kvf"), c.Bytes);
        EXPECT_EQ(ReadFirstTextLine(Path("first.kvf"), c.MaxLength), c.Line);
    }
    EXPECT_EQ(ErrorCodeOf([&] { ReadFirstTextLine(Path("missing.kvf"), 16); }), 2);
}

TEST_F(TextFileTest, StaysAtTheEnd) {
    WriteFileBytes(Path("z.kvf"), std::string("A\r\nB\x1A\x1A", 6));
    TTextFile file;
    file.OpenTextForReading(Path("z.kvf"));
    EXPECT_EQ(file.ReadTextLine(), "A");
    EXPECT_FALSE(file.TextAtEnd());
    EXPECT_EQ(file.ReadTextLine(), "B");
    EXPECT_TRUE(file.TextAtEnd());
    EXPECT_EQ(file.ReadTextLine(), "");
    EXPECT_EQ(file.ReadTextLine(), "");
    EXPECT_TRUE(file.TextAtEnd());
}

TEST_F(TextFileTest, PassesEveryOtherByteThroughAndHasNoLineLimit) {
    std::string allBytes;
    for (int byte = 0; byte < 256; ++byte) {
        if (byte != '\r' && byte != 0x1A)
            allBytes.push_back(static_cast<char>(byte));
    }
    // Longer than any buffer on the way, and of a length that does not divide evenly.
    std::string longLine;
    for (int i = 0; longLine.size() < 3 * 1024 * 1024; ++i)
        longLine += std::to_string(i) + ';';
    const std::vector<std::string> lines = {allBytes, longLine, "", "tail"};

    WriteLines(Path("bytes.kvf"), lines);
    EXPECT_EQ(ReadLines(Path("bytes.kvf")), lines);
}

TEST_F(TextFileTest, ManyLinesCrossingTheWriteBufferComeOutExact) {
    std::vector<std::string> lines;
    std::string expected;
    for (int i = 0; i < 20000; ++i) {
        lines.push_back(std::string(static_cast<std::size_t>(i % 97), 'a' + i % 26));
        expected += lines.back() + "\r\n";
    }
    WriteLines(Path("many.kvf"), lines);
    EXPECT_EQ(ReadFileBytes(Path("many.kvf")), expected);
}

TEST_F(TextFileTest, ReportsMissingFilesAndFoldersWithTheirCodes) {
    TTextFile file;
    try {
        file.OpenTextForReading(Path("missing.kvf"));
        FAIL() << "a missing file opened";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), 2);
        // The code's own words, after the file's name.
        EXPECT_EQ(error.what(), Path("missing.kvf") + ": File not found");
        EXPECT_EQ(error.Path(), Path("missing.kvf"));
        EXPECT_EQ(TPlatformServices::ErrorDisplayText(error.what()),
                  Path("missing.kvf") + ": File not found.");
    }
    try {
        file.OpenTextForReading(Path("nofolder/missing.kvf"));
        FAIL() << "a file in a missing folder opened";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), 3);
        EXPECT_EQ(error.what(), Path("nofolder/missing.kvf") + ": Invalid filename");
    }
    EXPECT_EQ(ErrorCodeOf([&] { file.OpenTextForReading(""); }), 3);
    EXPECT_EQ(ErrorCodeOf([&] { file.OpenTextForReading(FDir.path().toStdString()); }), 5);

    WriteFileBytes(Path("plain"), "x");
    EXPECT_EQ(ErrorCodeOf([&] { file.OpenTextForReading(Path("plain/below.kvf")); }), 3);

    EXPECT_EQ(ErrorCodeOf([&] { file.OpenTextForWriting(Path("nofolder/new.kvf")); }), 3);
    EXPECT_EQ(ErrorCodeOf([&] { file.OpenTextForWriting(""); }), 3);
    EXPECT_EQ(Entries(), QStringList{"plain"});
}

TEST_F(TextFileTest, NeverReplacesAFolderOrAReadOnlyFile) {
    ASSERT_TRUE(QDir(FDir.path()).mkdir("folder"));
    TTextFile file;
    EXPECT_EQ(ErrorCodeOf([&] { file.OpenTextForWriting(Path("folder")); }), 5);
    EXPECT_TRUE(QFileInfo(QString::fromStdString(Path("folder"))).isDir());

    // Refused to the superuser too, as the read-only attribute is on Windows.
    WriteFileBytes(Path("locked.kvf"), "old\r\n");
    ASSERT_EQ(::chmod(Path("locked.kvf").c_str(), 0444), 0);
    try {
        file.OpenTextForWriting(Path("locked.kvf"));
        FAIL() << "a read-only file opened for writing";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), 5);
        EXPECT_EQ(error.what(), Path("locked.kvf") + ": File access denied");
    }
    EXPECT_EQ(ReadFileBytes(Path("locked.kvf")), "old\r\n");
    EXPECT_EQ(Entries(), (QStringList{"folder", "locked.kvf"}));
}

TEST_F(TextFileTest, RefusesAFileTheUserMayNotWrite) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser may write any file that has a write permission";
    WriteFileBytes(Path("others.kvf"), "old\r\n");
    ASSERT_EQ(::chmod(Path("others.kvf").c_str(), 0464), 0);
    TTextFile file;
    EXPECT_EQ(ErrorCodeOf([&] { file.OpenTextForWriting(Path("others.kvf")); }), 5);
    EXPECT_EQ(ReadFileBytes(Path("others.kvf")), "old\r\n");
}

TEST_F(TextFileTest, LeavesTheOldFileUntilEveryByteIsWritten) {
    WriteFileBytes(Path("vault.kvf"), "old\r\n");
    {
        TTextFile file;
        file.OpenTextForWriting(Path("vault.kvf"));
        file.WriteTextLine("new");
        EXPECT_EQ(ReadFileBytes(Path("vault.kvf")), "old\r\n");
        // Destroyed without CloseTextFile: the new file is discarded.
    }
    EXPECT_EQ(ReadFileBytes(Path("vault.kvf")), "old\r\n");
    {
        TTextFile file;
        file.OpenTextForWriting(Path("fresh.kvf"));
        file.WriteTextLine("new");
    }
    EXPECT_EQ(Entries(), QStringList{"vault.kvf"});
}

// Makes writes beyond a size fail with EFBIG, which stops the superuser too.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes) {
        FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &FOldLimit);
        rlimit limit = FOldLimit;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &FOldLimit);
        std::signal(SIGXFSZ, FOldHandler);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    rlimit FOldLimit{};
    void (*FOldHandler)(int);
};

TEST_F(TextFileTest, AFailedWriteLeavesTheOldFileByteForByte) {
    const std::string old = "0123456789ABCDEF\r\nrecord;line\r\n";
    WriteFileBytes(Path("vault.kvf"), old);
    const std::vector<std::string> lines(200, std::string(100, 'x'));

    // Fails in CloseTextFile, where the buffered lines are written.
    {
        TFileSizeLimit limit(4096);
        EXPECT_EQ(ErrorCodeOf([&] { WriteLines(Path("vault.kvf"), lines); }), 223);
    }
    EXPECT_EQ(ReadFileBytes(Path("vault.kvf")), old);
    EXPECT_EQ(Entries(), QStringList{"vault.kvf"});

    // Fails in WriteTextLine, with a line longer than the buffer; the file is then closed.
    TTextFile file;
    file.OpenTextForWriting(Path("vault.kvf"));
    {
        TFileSizeLimit limit(4096);
        EXPECT_EQ(ErrorCodeOf([&] { file.WriteTextLine(std::string(1 << 20, 'y')); }), 223);
    }
    EXPECT_NO_THROW(file.CloseTextFile());
    EXPECT_EQ(ReadFileBytes(Path("vault.kvf")), old);
    EXPECT_EQ(Entries(), QStringList{"vault.kvf"});
}

TEST_F(TextFileTest, AFailedReplacementIsReportedAndLeavesNoNewFile) {
    WriteFileBytes(Path("vault.kvf"), "old\r\n");
    TTextFile file;
    file.OpenTextForWriting(Path("vault.kvf"));
    file.WriteTextLine("new");
    // Something else takes the name meanwhile, so the final rename fails.
    ASSERT_TRUE(QFile::remove(QString::fromStdString(Path("vault.kvf"))));
    ASSERT_TRUE(QDir(FDir.path()).mkpath("vault.kvf/inside"));
    EXPECT_EQ(ErrorCodeOf([&] { file.CloseTextFile(); }), 5);
    EXPECT_TRUE(QFileInfo(QString::fromStdString(Path("vault.kvf/inside"))).isDir());
    EXPECT_EQ(Entries(), QStringList{"vault.kvf"});
}

TEST_F(TextFileTest, ANewFileIsForItsOwnerAloneAndAReplacedOneKeepsItsMode) {
    {
        const TUmask permissive(0);
        WriteLines(Path("new.kvf"), {"new"});
        WriteFileBytes(Path("old.kvf"), "old\r\n");
        ASSERT_EQ(::chmod(Path("old.kvf").c_str(), 0600), 0);
        WriteLines(Path("old.kvf"), {"new"});
    }
    for (const char* name : {"new.kvf", "old.kvf"}) {
        struct stat status {};
        ASSERT_EQ(::stat(Path(name).c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, 0600u) << name;
    }
}

TEST_F(TextFileTest, KeepsPermissionsOwnerAndLinkOfTheReplacedFile) {
    WriteFileBytes(Path("vault.kvf"), "old\r\n");
    ASSERT_EQ(::chmod(Path("vault.kvf").c_str(), 0640), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(Path("vault.kvf").c_str(), 4321, 4322), 0);
    }
    // The link lies in a folder where no file may be made; its target does not.
    ASSERT_TRUE(QDir(FDir.path()).mkdir("links"));
    ASSERT_EQ(::symlink("../vault.kvf", Path("links/link.kvf").c_str()), 0);
    ASSERT_EQ(::chmod(Path("links").c_str(), 0555), 0);

    WriteLines(Path("links/link.kvf"), {"new"});

    struct stat status {};
    ASSERT_EQ(::stat(Path("vault.kvf").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(status.st_uid, 4321u);
        EXPECT_EQ(status.st_gid, 4322u);
    }
    EXPECT_EQ(ReadFileBytes(Path("vault.kvf")), "new\r\n");
    EXPECT_TRUE(QFileInfo(QString::fromStdString(Path("links/link.kvf"))).isSymLink());
    EXPECT_EQ(Entries(), (QStringList{"links", "vault.kvf"}));
    ::chmod(Path("links").c_str(), 0755);
}

} // namespace
