// export as CSV (name,login,password,notes, the notes' lines joined by line breaks, or the
// browsers' layout) and import of that CSV.

#include "cli/CliErrors.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/VaultAccess.h"
#include "vault/BrowserCsv.h"
#include "vault/Csv.h"
#include "vault/FieldText.h"
#include "vault/ImportError.h"
#include "vault/WipeGuard.h"

#include <QScopeGuard>

#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace {

constexpr std::array<const char*, 4> Columns = {"name", "login", "password", "notes"};

// One row of UTF-8 fields; every field is wiped here.
void AppendRow(TOutputBuffer& out, std::vector<std::string>& fields) {
    const auto wipeFields = qScopeGuard([&fields] {
        for (std::string& field : fields)
            WipeString(field);
    });
    std::string row;
    TWipeGuard wipeRow(row);
    // Three bytes of UTF-8 at most for a character (a doubled quote takes two), and the quotes and
    // commas around the fields: made in room reserved for the longest, so that no copy is left
    // where it grew.
    std::size_t size = 16;
    for (const std::string& field : fields)
        size += 3 * field.size() + 3;
    row.reserve(size);
    bool first = true;
    for (std::string& field : fields) {
        std::string text = AnsiToTerminal(field);
        AppendCsvField(row, text, first);
        WipeString(text);
        first = false;
    }
    row += "\r\n";
    out.Append(row);
}

void AppendRecord(TOutputBuffer& out, const TPassRecord& record) {
    // Made in room reserved for its longest, so that no copy is left where it grew.
    std::string notes;
    TWipeGuard wipeNotes(notes); // what a short text leaves in the string itself after the move
    notes.reserve(record.Notes.size() + 1);
    std::vector<std::string> lines = NotesLines(record.Notes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            notes += '\n';
        notes += lines[i];
        WipeString(lines[i]);
    }
    std::vector<std::string> fields;
    fields.reserve(4);
    fields.push_back(record.Account);
    fields.push_back(record.Login);
    fields.push_back(record.Password);
    fields.push_back(std::move(notes));
    AppendRow(out, fields);
}

void AppendBrowserRecord(TOutputBuffer& out, const TPassRecord& record) {
    std::array<std::string, 5> row = BrowserCsvRow(record);
    std::vector<std::string> fields;
    fields.reserve(row.size());
    for (std::string& field : row) {
        fields.push_back(std::move(field));
        WipeString(field);
    }
    AppendRow(out, fields);
}

// Every row converted and checked before the vault is asked for; the first row that cannot be
// stored stops the import with nothing changed.
std::vector<TPassRecord> RecordsFromCsv(const std::vector<TCsvRecord>& csv,
                                        const std::string& source, std::vector<int>& lines) {
    const auto where = [&](const TCsvRecord& row) {
        return source + " line " + std::to_string(row.Line);
    };
    if (csv.empty() || csv.front().Fields.size() != 4 ||
        !std::equal(Columns.begin(), Columns.end(), csv.front().Fields.begin(),
                    [](const char* column, const QString& field) {
                        return field.trimmed().compare(QLatin1String(column),
                                                       Qt::CaseInsensitive) == 0;
                    }))
        throw EUserError(source +
                         " line 1: the header must be name,login,password,notes. Nothing was "
                         "imported.");
    std::vector<TPassRecord> records;
    records.reserve(csv.size() - 1);
    // Views of the names in records, which never moves them: its room is reserved.
    std::unordered_map<std::string_view, int> lineOfName;
    try {
        for (std::size_t i = 1; i < csv.size(); ++i) {
            const TCsvRecord& row = csv[i];
            if (row.Fields.size() != 4)
                throw EUserError(where(row) + ": " + std::to_string(row.Fields.size()) +
                                 " columns, where name,login,password,notes are 4");
            TPassRecord record;
            TRecordWipeGuard wipeRecord(record);
            record.Account = AccountNameText(row.Fields[0], where(row) + ": the name");
            record.Login = OneLineText(row.Fields[1], where(row) + ": the login");
            record.Password = OneLineText(row.Fields[2], where(row) + ": the password");
            record.Notes = NotesText(row.Fields[3], where(row) + ": the notes");
            records.push_back(std::exchange(record, {}));
            lines.push_back(row.Line);
            const std::string& name = records.back().Account;
            const auto [seen, fresh] = lineOfName.emplace(name, row.Line);
            if (!fresh)
                throw EUserError(where(row) + ": the name " + AnsiToTerminalShown(name) +
                                 " is also on line " + std::to_string(seen->second));
        }
    } catch (const Exception& error) {
        for (TPassRecord& record : records)
            WipeRecord(record);
        throw EUserError(error.Message() + ". Nothing was imported.");
    }
    return records;
}

} // namespace

void RunExport(const TArguments& args, TPasswordInput& input) {
    TVault vault;
    OpenVault(vault, args.File, input);
    if (!vault.DamagedLines().empty())
        WriteErr("warning: the lines that could not be read are not in the export.\n");
    TOutputBuffer out;
    std::string header;
    if (args.BrowserCsv) {
        for (const char* column : BrowserCsvColumns)
            AppendCsvField(header, column, header.empty());
    } else {
        for (const char* column : Columns)
            AppendCsvField(header, column, header.empty());
    }
    out.Append(header + "\r\n");
    // One key set-up for every account, as the window's open has.
    TVault::TAccountReader reader = vault.Reader();
    int unread = 0;
    for (int row = 0; row < vault.AccountCount(); ++row) {
        TPassRecord record = reader.Read(row);
        TRecordWipeGuard wipeRecord(record);
        if (!reader.LastWhole()) {
            ++unread; // noise, or a hardened line that failed its check: nothing to export
            continue;
        }
        if (args.BrowserCsv)
            AppendBrowserRecord(out, record);
        else
            AppendRecord(out, record);
    }
    out.Flush();
    if (unread > 0)
        WriteErr("warning: " + std::to_string(unread) +
                 " accounts whose lines do not read whole are not in the export.\n");
}

void RunImport(const TArguments& args, TPasswordInput& input) {
    if (args.ImportFrom) {
        RunImportFrom(args, input);
        return;
    }
    std::vector<TPassRecord> records;
    std::vector<int> lines;
    {
        QString text = ReadUtf8File(args.CsvFile);
        std::vector<TCsvRecord> csv;
        try {
            try {
                csv = ParseCsv(text, args.CsvFile);
            } catch (const EImportError& error) {
                throw EUserError(error.Message() + ". Nothing was imported.");
            }
            records = RecordsFromCsv(csv, args.CsvFile, lines);
        } catch (...) {
            WipeQString(text);
            WipeCsv(csv);
            throw;
        }
        WipeQString(text);
        WipeCsv(csv);
    }
    const auto wipeRecords = qScopeGuard([&] {
        for (TPassRecord& record : records)
            WipeRecord(record);
    });
    TVault vault;
    OpenVault(vault, args.File, input);
    if (!args.DryRun)
        RequireResealAllowed(vault, args.Reseal);
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (vault.FindAccount(records[i].Account) >= 0)
            throw EUserError(args.CsvFile + " line " + std::to_string(lines[i]) +
                             ": an account named " + AnsiToTerminalShown(records[i].Account) +
                             " is in " + args.File + " already. Nothing was imported.");
    }
    if (args.DryRun) {
        WriteOut("Would import " + std::to_string(records.size()) + " accounts into " + args.File +
                 "; nothing was written.\n");
        return;
    }
    for (const TPassRecord& record : records)
        vault.Add(record);
    SaveVault(vault, args.Reseal);
    WriteOut("Imported " + std::to_string(records.size()) + " accounts into " + args.File + ".\n");
}
