// The notes' one line convention, read by every caller through the same functions: the lines, the
// tail after the last ";", and the stored field made back from the lines.

#include "vault/NotesLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TNotesCase {
    std::string Notes;
    std::vector<std::string> Lines; // as the window shows them
    std::string Tail;               // what no line holds
};

const std::vector<TNotesCase> NotesCases = {
    {"", {}, ""},
    {"one;", {"one"}, ""},
    {"one;two;", {"one", "two"}, ""},
    {";;", {"", ""}, ""},
    {"a b;\t;", {"a b", "\t"}, ""},
    {"no line end", {}, "no line end"},
    {"x;tail", {"x"}, "tail"},
    {"x;;tail", {"x", ""}, "tail"},
    {"\r\n;", {"\r\n"}, ""},
};

TEST(NotesLinesTest, EveryReaderSeesTheSameLinesAndTail) {
    for (const TNotesCase& c : NotesCases) {
        SCOPED_TRACE(c.Notes);
        EXPECT_EQ(NotesToLines(c.Notes), c.Lines);
        const std::vector<std::string_view> views = NotesLineViews(c.Notes);
        EXPECT_EQ(std::vector<std::string>(views.begin(), views.end()), c.Lines);
        EXPECT_EQ(NotesTail(c.Notes), c.Tail);
        // Output keeps the tail as one more line, so that nothing is lost.
        std::vector<std::string> output = c.Lines;
        if (!c.Tail.empty())
            output.push_back(c.Tail);
        EXPECT_EQ(NotesLines(c.Notes), output);
        // The lines give the stored field back whole exactly when there is no tail.
        EXPECT_EQ(NotesFromLines(c.Lines) == c.Notes, c.Tail.empty());
        EXPECT_EQ(NotesFromLines(c.Lines) + c.Tail, c.Notes);
    }
}

TEST(NotesLinesTest, EveryLineEndsWithTheOneLineEnd) {
    EXPECT_EQ(NotesLineEnd, ';');
    EXPECT_EQ(NotesFromLines({"a", "", "b"}), "a;;b;");
    // A ";" inside a line becomes a line end: the callers refuse or break such lines first.
    EXPECT_EQ(NotesToLines(NotesFromLines({"a;b"})), (std::vector<std::string>{"a", "b"}));
}

} // namespace
