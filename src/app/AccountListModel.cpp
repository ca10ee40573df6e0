#include "app/AccountListModel.h"

#include "platform/Codepage.h"
#include "vault/Vault.h"

TAccountListModel::TAccountListModel(const TVault& vault, QObject* parent)
    : QAbstractListModel(parent), FVault(vault) {}

int TAccountListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FRows;
}

QVariant TAccountListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::AccessibleTextRole)
        return AnsiToQString(FVault.Account(index.row()).Name);
    return {};
}

void TAccountListModel::Reset() {
    beginResetModel();
    FRows = FVault.AccountCount();
    endResetModel();
}

void TAccountListModel::RowInserted(int row) {
    beginInsertRows(QModelIndex(), row, row);
    FRows = FVault.AccountCount();
    endInsertRows();
}

void TAccountListModel::RowRemoved(int row) {
    beginRemoveRows(QModelIndex(), row, row);
    FRows = FVault.AccountCount();
    endRemoveRows();
}
