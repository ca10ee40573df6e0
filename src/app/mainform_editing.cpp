// Account editing: every change of a field re-enciphers the shown account into its line at once;
// Add and Delete create and remove accounts.

#include "mainform.h"

#include "AccountListModel.h"
#include "Codepage.h"
#include "NotesEdit.h"
#include "TextCompare.h"
#include "WipeGuard.h"

#include <QComboBox>
#include <QLineEdit>

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
    if (index >= 0)
        FRecords.Put(index, std::move(line));
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

void TfrmMain::edtLoginChange() { FieldChanged(&TPassRecord::Login); }

void TfrmMain::edtPasswordChange() { FieldChanged(&TPassRecord::Password); }

void TfrmMain::mmoNotesChange() { FieldChanged(&TPassRecord::Notes); }

void TfrmMain::spdAddClick() {
    const std::string name = FPlatform.AskNewAccountName();
    if (name.empty()) {
        // Cancelled: the vault stays as it is and the first account is shown again.
        ShowFirstAccount();
        UpdateButtons();
        return;
    }

    std::string line;
    {
        TRecordCipher codec(Blowfish1, FMasterPassword);
        const std::string column = codec.EncodeAccountName(name);
        for (const std::string& existing : FRecords.Lines()) {
            if (AccountColumn(existing) == column) {
                // A second account of one name could not be told apart from the first.
                FPlatform.ShowMessageBox("An account named " + AnsiToDisplay(name) +
                                             " exists already.",
                                         TMessageKind::mkPlain, TMessageButtons::mbOK);
                return;
            }
        }
        line = codec.Encode(TPassRecord{name, {}, {}, {}});
    }

    FRecords.Add(std::move(line));
    const int added = FRecords.Count() - 1;
    // The lines are kept sorted after every Add.
    const std::vector<int> order = SortedOrder(FRecords.Lines());
    std::vector<std::string> sorted;
    sorted.reserve(order.size());
    std::vector<int> newIndexOfOld(order.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        const auto old = static_cast<std::size_t>(order[k]);
        sorted.push_back(FRecords.Lines()[old]);
        newIndexOfOld[old] = static_cast<int>(k);
    }
    FRecords.Assign(std::move(sorted));
    SetModified(true);

    FCurrentLine = -1;
    FAccounts->RemapLines(newIndexOfOld);
    const int row = FAccounts->InsertSorted(name, newIndexOfOld[static_cast<std::size_t>(added)]);
    SetPanel(0, QString::number(FRecords.Count()));
    SelectAccountRow(row);
    UpdateButtons();
    if (edtLogin->isEnabled())
        edtLogin->setFocus();
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
