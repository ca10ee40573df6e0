#include "cli/AccountCsv.h"

#include "base/SecureWipe.h"
#include "cli/CliErrors.h"
#include "cli/Console.h"
#include "vault/FieldText.h"
#include "vault/ImportError.h"
#include "vault/NotesLines.h"
#include "vault/WipeGuard.h"

#include <algorithm>

namespace {

bool SameRecord(const TPassRecord& a, const TPassRecord& b) {
    return a.Account == b.Account && a.Login == b.Login && a.Password == b.Password &&
           a.Notes == b.Notes;
}

// The notes as CSV text, in room reserved once: the notes may hold secrets.
std::string NotesToCsvText(const std::string& notes) {
    std::vector<std::string> lines = NotesToLines(notes);
    const bool lastLineEmpty = !lines.empty() && lines.back().empty();
    std::string ansi;
    ansi.reserve(notes.size() + 1);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            ansi += '\n';
        ansi += lines[i];
        WipeString(lines[i]);
    }
    if (lastLineEmpty)
        ansi += '\n';
    std::string text = AnsiToTerminal(ansi);
    WipeString(ansi);
    return text;
}

} // namespace

std::array<std::string, 4> AccountToCsvFields(const TPassRecord& record) {
    return {AnsiToTerminal(record.Account), AnsiToTerminal(record.Login),
            AnsiToTerminal(record.Password), NotesToCsvText(record.Notes)};
}

TPassRecord AccountFromCsvFields(const QStringList& fields, const std::string& where) {
    const auto what = [&](const char* field) {
        return where.empty() ? std::string(field) : where + ": " + field;
    };
    TPassRecord record;
    TRecordWipeGuard wipeRecord(record);
    record.Account = NewAccountNameText(fields.value(0), what("the name"));
    record.Login = OneLineText(fields.value(1), what("the login"));
    record.Password = OneLineText(fields.value(2), what("the password"));
    record.Notes = NotesText(fields.value(3), what("the notes"));
    TPassRecord taken = std::move(record);
    return taken;
}

std::string CsvRoundTripProblem(const TPassRecord& record) {
    // Told apart here for a message that says what to change; the round trip below decides.
    if (!NotesTail(record.Notes).empty())
        return "the notes have text after their last line break, which CSV cannot tell from a "
               "line";
    if (record.Notes.find_first_of("\r\n") != std::string::npos)
        return "the notes hold a line break inside a line";
    std::array<std::string, 4> fields = AccountToCsvFields(record);
    QStringList texts;
    for (std::string& field : fields) {
        texts.append(QString::fromUtf8(field.data(), static_cast<qsizetype>(field.size())));
        WipeString(field);
    }
    std::string problem;
    try {
        TPassRecord back = AccountFromCsvFields(texts, {});
        if (!SameRecord(back, record))
            problem = "it would not read back as it is";
        WipeRecord(back);
    } catch (const EImportError& error) {
        problem = error.Message();
    }
    for (QString& text : texts)
        WipeQString(text);
    return problem;
}
