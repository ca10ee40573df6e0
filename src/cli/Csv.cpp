#include "cli/Csv.h"

#include "cli/CliErrors.h"
#include "cli/Console.h"

void AppendCsvField(std::string& row, std::string_view utf8, bool first) {
    if (!first)
        row += ',';
    if (utf8.find_first_of(",\"\r\n") == std::string_view::npos) {
        row += utf8;
        return;
    }
    row += '"';
    for (const char ch : utf8) {
        if (ch == '"')
            row += '"';
        row += ch;
    }
    row += '"';
}

namespace {

class TCsvReader {
public:
    TCsvReader(const QString& text, const std::string& source) : FText(text), FSource(source) {}

    std::vector<TCsvRecord> Records() {
        std::vector<TCsvRecord> records;
        try {
            Read(records);
        } catch (...) {
            WipeCsv(records);
            throw;
        }
        return records;
    }

private:
    void Read(std::vector<TCsvRecord>& records) {
        while (FAt < FText.size()) {
            if (SkipLineEnd())
                continue; // an empty line
            TCsvRecord record;
            record.Line = FLine;
            do
                record.Fields.push_back(Field(record.Line));
            while (Take(u','));
            SkipLineEnd();
            records.push_back(std::move(record));
        }
    }

    [[noreturn]] void Refuse(int line, const char* problem) const {
        throw EUserError(FSource + " line " + std::to_string(line) + ": " + problem +
                             ". Nothing was imported.",
                         TOutcome::Said);
    }

    bool Take(char16_t ch) {
        if (FAt < FText.size() && FText[FAt] == ch) {
            ++FAt;
            return true;
        }
        return false;
    }

    bool AtLineEnd() const {
        return FAt < FText.size() && (FText[FAt] == u'\r' || FText[FAt] == u'\n');
    }

    // CR LF, LF or a lone CR.
    bool SkipLineEnd() {
        if (Take(u'\r')) {
            Take(u'\n');
        } else if (!Take(u'\n')) {
            return false;
        }
        ++FLine;
        return true;
    }

    // Each field is sized once, so that growing it leaves no copy of a password behind.
    QString Field(int recordLine) {
        if (Take(u'"')) {
            qsizetype end = FAt;
            for (;; ++end) {
                if (end >= FText.size())
                    Refuse(recordLine, "a quoted field is not closed");
                if (FText[end] == u'"' && (end + 1 == FText.size() || FText[end + 1] != u'"'))
                    break;
                if (FText[end] == u'"')
                    ++end; // a doubled quote
            }
            QString field;
            field.reserve(end - FAt);
            for (; FAt < end; ++FAt) {
                if (FText[FAt] == u'"')
                    ++FAt;
                else if (FText[FAt] == u'\n')
                    ++FLine;
                field += FText[FAt];
            }
            ++FAt; // the closing quote
            if (FAt < FText.size() && FText[FAt] != u',' && !AtLineEnd())
                Refuse(FLine, "text follows a closing quote");
            return field;
        }
        const qsizetype start = FAt;
        while (FAt < FText.size() && FText[FAt] != u',' && !AtLineEnd()) {
            if (FText[FAt] == u'"')
                Refuse(FLine, "a quote inside a field that does not start with one");
            ++FAt;
        }
        return FText.mid(start, FAt - start);
    }

    const QString& FText;
    const std::string& FSource;
    qsizetype FAt = 0;
    int FLine = 1;
};

} // namespace

std::vector<TCsvRecord> ParseCsv(const QString& text, const std::string& source) {
    return TCsvReader(text, source).Records();
}

void WipeCsv(std::vector<TCsvRecord>& records) noexcept {
    for (TCsvRecord& record : records) {
        for (QString& field : record.Fields)
            WipeQString(field);
    }
    records.clear();
}
