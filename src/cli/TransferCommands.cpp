// export as CSV (name,login,password,notes, the notes' lines joined by line breaks, or the
// browsers' layout) and import of that CSV (cli/AccountCsv.h).

#include "cli/AccountCsv.h"
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

#include <unistd.h>

namespace {

constexpr std::array<const char*, 4> Columns = {"name", "login", "password", "notes"};

// To a terminal, control characters are shown as ls shows them; to a file or a pipe, the
// account goes out exactly.
TPassRecord ShownRecord(const TPassRecord& record, bool terminal) {
    TPassRecord shown = record;
    if (terminal) {
        for (std::string* field : {&shown.Account, &shown.Login, &shown.Password, &shown.Notes})
            std::replace_if(
                field->begin(), field->end(),
                [](char byte) { return IsShownAsQuestionMark(static_cast<unsigned char>(byte)); },
                '?');
    }
    return shown;
}

// One row of UTF-8 fields; every field is wiped here.
template <typename TFields> void AppendRow(TOutputBuffer& out, TFields& fields) {
    const auto wipeFields = qScopeGuard([&fields] {
        for (std::string& field : fields)
            WipeString(field);
    });
    std::size_t length = 16;
    for (const std::string& field : fields)
        length += 2 * field.size() + 3; // a doubled quote takes two
    // Made in room reserved for its longest, so that no copy is left where it grew.
    std::string row;
    TWipeGuard wipeRow(row);
    row.reserve(length);
    bool first = true;
    for (const std::string& field : fields) {
        AppendCsvField(row, field, first);
        first = false;
    }
    row += "\r\n";
    out.Append(row);
}

void AppendRecord(TOutputBuffer& out, const TPassRecord& record, bool terminal) {
    TPassRecord shown = ShownRecord(record, terminal);
    TRecordWipeGuard wipeShown(shown);
    std::array<std::string, 4> fields = AccountToCsvFields(shown);
    AppendRow(out, fields);
}

void AppendBrowserRecord(TOutputBuffer& out, const TPassRecord& record, bool terminal) {
    TPassRecord shown = ShownRecord(record, terminal);
    TRecordWipeGuard wipeShown(shown);
    std::array<std::string, 5> fields = BrowserCsvRow(shown);
    for (std::string& field : fields) {
        std::string text = AnsiToTerminal(field);
        field.swap(text);
        WipeString(text);
    }
    AppendRow(out, fields);
}

// Why the vault cannot be exported so that import gives back every account as it is: the first
// account that would not come back, named, and why; or the empty string.
std::string ExportProblem(const TVault& vault, TVault::TAccountReader& reader) {
    for (int row = 0; row < vault.AccountCount(); ++row) {
        const std::string& name = vault.Account(row).Name;
        const std::string named = "The account " + AnsiToTerminalShown(name);
        if (vault.FindAccount(name) != row)
            return named + " is there twice; import would take only one of them";
        TPassRecord record = reader.Read(row);
        TRecordWipeGuard wipeRecord(record);
        if (!reader.LastWhole())
            return named + " does not decipher whole under the master password, and would be "
                           "exported as noise";
        const std::string problem = CsvRoundTripProblem(record);
        if (!problem.empty())
            return named + " cannot be exported as CSV and read back as it is: " + problem;
    }
    return {};
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
                             "imported.",
                         TOutcome::Said);
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
            TPassRecord record = AccountFromCsvFields(row.Fields, where(row));
            TRecordWipeGuard wipeRecord(record);
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
        throw EUserError(error.Message() + ". Nothing was imported.", TOutcome::Said);
    }
    return records;
}

} // namespace

void RunExport(const TArguments& args, TPasswordInput& input) {
    TVault vault;
    vault.LearnLineOrderBeside(false); // only read: no change needs the order
    OpenVault(vault, args.File, input);
    // One key schedule for every account, as the window's open has.
    TVault::TAccountReader reader = vault.Reader();
    // Every account is checked before the first is written: a refusal leaves no partial CSV.
    const std::string problem = ExportProblem(vault, reader);
    if (!problem.empty())
        throw EUserError(problem + ". Nothing was exported.");
    if (!vault.DamagedLines().empty())
        WriteErr("warning: the lines that could not be read are not in the export.\n");
    const bool terminal = ::isatty(STDOUT_FILENO) == 1;
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
    for (int row = 0; row < vault.AccountCount(); ++row) {
        TPassRecord record = reader.Read(row);
        TRecordWipeGuard wipeRecord(record);
        if (args.BrowserCsv)
            AppendBrowserRecord(out, record, terminal);
        else
            AppendRecord(out, record, terminal);
    }
    out.Flush();
}

void RunImport(const TArguments& args, TPasswordInput& input) {
    if (args.ImportFrom) {
        RunImportFrom(args, input);
        return;
    }
    std::vector<TPassRecord> records;
    std::vector<int> lines;
    {
        QString text;
        try {
            text = ReadUtf8File(args.CsvFile);
        } catch (const EImportError& error) {
            throw EUserError(error.Message() + ". Nothing was imported.", TOutcome::Said);
        }
        std::vector<TCsvRecord> csv;
        try {
            try {
                csv = ParseCsv(text, args.CsvFile);
            } catch (const EImportError& error) {
                throw EUserError(error.Message() + ". Nothing was imported.", TOutcome::Said);
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
                                 " is in " + args.File + " already. Nothing was imported.",
                             TOutcome::Said);
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
