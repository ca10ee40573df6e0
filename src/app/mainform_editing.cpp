// Account editing: every change of a field re-enciphers the shown account into its line at once;
// Add and Delete create and remove accounts.

#include "app/mainform.h"

#include "app/AccountListModel.h"
#include "app/NotesEdit.h"
#include "platform/Codepage.h"
#include "platform/TextCompare.h"
#include "vault/WipeGuard.h"

#include <QComboBox>
#include <QLineEdit>

#include <algorithm>

TPassRecord TfrmMain::GatherRecord() const {
    TPassRecord record;
    record.Account = QStringToAnsi(cboAccount->currentText());
    record.Login = QStringToAnsi(edtLogin->text());
    record.Password = QStringToAnsi(edtPassword->text());
    std::vector<std::string> lines = mmoNotes->Lines();
    record.Notes = NotesFromLines(lines);
    for (std::string& line : lines)
        WipeString(line);
    return record;
}

int TfrmMain::FindRecordIndex(const std::string& recordLine) const {
    // Equal names give equal first columns under one master password. The line of the shown
    // account is the only candidate: another line of the same name is another account.
    if (FCurrentLine < 0 || FCurrentLine >= FRecords.Count())
        return -1;
    return AccountColumn(FRecords[FCurrentLine]) == AccountColumn(recordLine) ? FCurrentLine : -1;
}

void TfrmMain::StoreRecord(const TPassRecord& record) {
    if (FRecords.Empty())
        return;
    std::string line = EncodeRecord(Blowfish1, record, FMasterPassword);
    const int index = FindRecordIndex(line);
    if (index < 0)
        return;
    FRecords.Put(index, std::move(line));
    // A changed line may have left its place in the order; its neighbours tell.
    if (FLinesSorted) {
        const std::string& stored = FRecords[index];
        FLinesSorted =
            (index == 0 || CompareTextLocale(FRecords[index - 1], stored) <= 0) &&
            (index + 1 == FRecords.Count() || CompareTextLocale(stored, FRecords[index + 1]) <= 0);
    }
}

void TfrmMain::FieldChanged(std::string TPassRecord::*field) {
    if (FLoading)
        return;
    TPassRecord record = GatherRecord();
    TRecordWipeGuard wipeRecord(record);
    if (record.*field != FCurrent.*field) {
        StoreRecord(record);
        WipeRecord(FCurrent);
        FCurrent = record;
        SetModified(true);
    }
}

void TfrmMain::edtLoginChange() {
    FieldChanged(&TPassRecord::Login);
}

void TfrmMain::edtPasswordChange() {
    FieldChanged(&TPassRecord::Password);
}

void TfrmMain::mmoNotesChange() {
    FieldChanged(&TPassRecord::Notes);
}

void TfrmMain::spdAddClick() {
    const std::string name = FPlatform.AskNewAccountName();
    if (name.empty()) {
        // Cancelled: the vault stays as it is and the first account is shown again.
        ShowFirstAccount();
        UpdateButtons();
        return;
    }

    TRecordCipher codec(Blowfish1, FMasterPassword);
    const std::string column = codec.EncodeAccountName(name);
    for (const std::string& existing : FRecords.Lines()) {
        if (AccountColumn(existing) == column) {
            // A second account of one name could not be told apart from the first.
            FPlatform.ShowMessageBox("An account named " + AnsiToDisplay(name) + " exists already.",
                                     TMessageKind::mkPlain, TMessageButtons::mbOK);
            return;
        }
    }
    const int added = InsertSorted(codec.Encode(TPassRecord{name, {}, {}, {}}));
    SetModified(true);

    const int row = FAccounts->InsertSorted(name, added);
    SetPanel(0, QString::number(FRecords.Count()));
    SelectAccountRow(row, &codec);
    UpdateButtons();
    if (edtLogin->isEnabled())
        edtLogin->setFocus();
}

int TfrmMain::InsertSorted(std::string line) {
    FCurrentLine = -1;
    if (FLinesSorted) {
        const auto& lines = FRecords.Lines();
        const auto place = std::upper_bound(
            lines.begin(), lines.end(), line,
            [](const std::string& a, const std::string& b) { return CompareTextLocale(a, b) < 0; });
        const int index = static_cast<int>(place - lines.begin());
        FRecords.Insert(index, std::move(line));
        FAccounts->LineInserted(index);
        return index;
    }
    // The lines are sorted whole once; from then on each Add only finds its place.
    std::vector<std::string> lines = FRecords.Take();
    lines.push_back(std::move(line));
    const std::vector<int> order = SortedOrder(lines);
    std::vector<std::string> sorted;
    sorted.reserve(order.size());
    std::vector<int> newIndexOfOld(order.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        const auto old = static_cast<std::size_t>(order[k]);
        sorted.push_back(std::move(lines[old]));
        newIndexOfOld[old] = static_cast<int>(k);
    }
    FRecords.Assign(std::move(sorted));
    FLinesSorted = true;
    FAccounts->RemapLines(newIndexOfOld);
    return newIndexOfOld.back();
}

void TfrmMain::spdDeleteClick() {
    const int row = cboAccount->currentIndex();
    if (row >= 0) {
        const int line = FAccounts->LineOf(row);
        FCurrentLine = -1;
        FRecords.Delete(line);
        FAccounts->RemoveRow(row);
        FAccounts->LineRemoved(line);
    }
    SetPanel(0, QString::number(FRecords.Count()));
    ShowFirstAccount();
    SetModified(true);
    UpdateButtons();
}
