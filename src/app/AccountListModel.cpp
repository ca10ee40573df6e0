#include "app/AccountListModel.h"

#include "platform/Codepage.h"
#include "vault/Vault.h"

TAccountListModel::TAccountListModel(TVault& vault, QObject* parent)
    : QAbstractListModel(parent), FVault(vault) {
    FVault.AddObserver(*this);
}

TAccountListModel::~TAccountListModel() {
    FVault.RemoveObserver(*this);
}

int TAccountListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FVault.AccountCount();
}

QVariant TAccountListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::AccessibleTextRole)
        return AnsiToQString(FVault.Account(index.row()).Name);
    return {};
}

void TAccountListModel::RowsAboutToBeInserted(int first, int last) {
    beginInsertRows(QModelIndex(), first, last);
}

void TAccountListModel::RowsInserted(int, int) {
    endInsertRows();
}

void TAccountListModel::RowsAboutToBeRemoved(int first, int last) {
    beginRemoveRows(QModelIndex(), first, last);
}

void TAccountListModel::RowsRemoved(int, int) {
    endRemoveRows();
}

void TAccountListModel::AboutToReset() {
    beginResetModel();
}

void TAccountListModel::ResetDone() {
    endResetModel();
}
