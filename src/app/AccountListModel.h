#pragma once

// The items of the account selector: the vault's accounts in its order (the user's locale,
// case-insensitive). The vault keeps the names; this only shows them and tells the selector
// what changed.

#include <QAbstractListModel>

class TVault;

class TAccountListModel : public QAbstractListModel {
    Q_OBJECT
public:
    TAccountListModel(const TVault& vault, QObject* parent);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // What the vault did to its accounts.
    void Reset();
    void RowInserted(int row);
    void RowRemoved(int row);

private:
    const TVault& FVault;
    int FRows = 0; // as the views last heard
};
