// Messages made from a code and its arguments: the English text every caller sees, the file named
// before the message, and the error display's full stop.

#include "base/ErrorTexts.h"
#include "base/Errors.h"
#include "platform/MessageCatalog.h"
#include "platform/PlatformErrors.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct TTextCase {
    TErrorMessage Message;
    std::string English;
    std::string Displayed; // with the error display's full stop
};

TEST(ErrorMessageTest, TheEnglishTextIsMadeFromTheCodeAndItsArguments) {
    const std::vector<TTextCase> cases = {
        {TErrorMessage("A sentence"), "A sentence", "A sentence."},
        {TErrorMessage("Ends with its stop."), "Ends with its stop.", "Ends with its stop."},
        {TErrorMessage(TErrorCode::FileNotFound, {}, "a.kvf"), "a.kvf: File not found",
         "a.kvf: File not found."},
        {TErrorMessage(TErrorCode::IoErrorNumber, {"1117"}), "I/O error 1117", "I/O error 1117."},
        // An argument's own "%1" or "%2" is not filled again.
        {TErrorMessage(TErrorCode::SettingNotStored, {"%2%1"}), "Failed to set data for '%2%1'",
         "Failed to set data for '%2%1'"}, // "'" sorts before "." too
        {TErrorMessage(TErrorCode::FileBeingWritten, {"v.kvf"}),
         "v.kvf is being written by another program. Nothing was written.",
         "v.kvf is being written by another program. Nothing was written."},
        {TErrorMessage(TErrorCode::ListIndexOutOfBounds, {"-1"}), "List index out of bounds (-1)",
         "List index out of bounds (-1)"}, // ")" sorts before "."
        {TErrorMessage(TErrorCode::CharacterNotInWindows1252, {"0100"}).After("The login"),
         "The login: Character U+0100 cannot be held in Windows-1252",
         "The login: Character U+0100 cannot be held in Windows-1252."},
        {EInOutError(5, "b.kvf").Error().After("notes.txt"), "notes.txt: b.kvf: File access denied",
         "notes.txt: b.kvf: File access denied."},
    };
    for (const TTextCase& c : cases) {
        SCOPED_TRACE(c.English);
        EXPECT_EQ(c.Message.Text(), c.English);
        EXPECT_EQ(c.Message.ForDisplay().Text(), c.Displayed);
        // No translation is loaded: the window shows the English.
        EXPECT_EQ(TranslatedMessage(c.Message.ForDisplay()).toStdString(), c.Displayed);
        EXPECT_EQ(Exception(c.Message).what(), c.English);
    }
}

TEST(ErrorMessageTest, EveryCodeHasOneTextAndKeepsItsCodeThroughAnException) {
    std::set<TErrorCode> codes;
    for (const TErrorText& text : ErrorTexts) {
        EXPECT_TRUE(codes.insert(text.Code).second) << text.Template;
        EXPECT_NE(std::string(text.Template).back(), '.') << text.Template;
    }
    EXPECT_EQ(ErrorTextOf(TErrorCode::Sentence), nullptr);

    const EInOutError disk(112, "v.kvf");
    EXPECT_EQ(ErrorMessageOf(disk).Code(), TErrorCode::DiskFull);
    EXPECT_EQ(ErrorMessageOf(disk).Subject(), "v.kvf");
    const std::runtime_error other("from elsewhere");
    EXPECT_EQ(ErrorMessageOf(other).Code(), TErrorCode::Sentence);
    EXPECT_EQ(ErrorMessageOf(other).Text(), "from elsewhere");
}

} // namespace
