// export and import as CSV: name,login,password,notes, the notes' lines joined by line breaks.

#include "cli/AccountText.h"
#include "cli/CliErrors.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/Csv.h"
#include "cli/VaultAccess.h"
#include "vault/WipeGuard.h"

#include <QScopeGuard>

#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace {

constexpr std::array<const char*, 4> Columns = {"name", "login", "password", "notes"};

void AppendRecord(TOutputBuffer& out, const TPassRecord& record) {
    // Both made in room reserved for their longest, so that no copy is left where they grew.
    std::string notes;
    TWipeGuard wipeNotes(notes);
    notes.reserve(record.Notes.size() + 1);
    std::vector<std::string> lines = NotesLines(record.Notes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            notes += '\n';
        notes += lines[i];
        WipeString(lines[i]);
    }
    std::string row;
    TWipeGuard wipeRow(row);
    // Three bytes of UTF-8 at most for a character (a doubled quote takes two), and the quotes and
    // commas around the fields.
    row.reserve(
        3 * (record.Account.size() + record.Login.size() + record.Password.size() + notes.size()) +
        16);
    bool first = true;
    for (const std::string* field : std::array<const std::string*, 4>{
             &record.Account, &record.Login, &record.Password, &notes}) {
        std::string text = AnsiToTerminal(*field);
        AppendCsvField(row, text, first);
        WipeString(text);
        first = false;
    }
    row += "\r\n";
    out.Append(row);
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
    } catch (const EUserError& error) {
        for (TPassRecord& record : records)
            WipeRecord(record);
        throw EUserError(error.Message() + ". Nothing was imported.", TOutcome::Said);
    }
    return records;
}

} // namespace

void RunExport(const TArguments& args, TPasswordInput& input) {
    TVault vault;
    std::string password;
    TWipeGuard wipePassword(password);
    OpenVault(vault, args.File, input, &password);
    if (!vault.DamagedLines().empty())
        WriteErr("warning: the lines that could not be read are not in the export.\n");
    TOutputBuffer out;
    std::string header;
    for (const char* column : Columns)
        AppendCsvField(header, column, header.empty());
    out.Append(header + "\r\n");
    // One key schedule for every account, as the window's open has.
    TBlowfish cipher;
    TRecordCipher codec(cipher, password);
    for (int row = 0; row < vault.AccountCount(); ++row) {
        TPassRecord record = codec.Decode(vault.LineOf(row));
        TRecordWipeGuard wipeRecord(record);
        AppendRecord(out, record);
    }
    out.Flush();
}

void RunImport(const TArguments& args, TPasswordInput& input) {
    std::vector<TPassRecord> records;
    std::vector<int> lines;
    {
        QString text;
        try {
            text = ReadUtf8File(args.CsvFile);
        } catch (const EUserError& error) {
            throw EUserError(error.Message() + ". Nothing was imported.", TOutcome::Said);
        }
        std::vector<TCsvRecord> csv;
        try {
            csv = ParseCsv(text, args.CsvFile);
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
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (vault.FindAccount(records[i].Account) >= 0)
            throw EUserError(args.CsvFile + " line " + std::to_string(lines[i]) +
                                 ": an account named " + AnsiToTerminalShown(records[i].Account) +
                                 " is in " + args.File + " already. Nothing was imported.",
                             TOutcome::Said);
    }
    for (const TPassRecord& record : records)
        vault.Add(record);
    SaveVault(vault);
    WriteOut("Imported " + std::to_string(records.size()) + " accounts into " + args.File + ".\n");
}
