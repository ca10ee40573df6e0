#pragma once

// The items of the account selector: the vault's accounts in its order (the user's locale,
// case-insensitive). The vault keeps the names; this only shows them and passes on to the views
// what the vault announces, before and after each change.

#include "vault/VaultObserver.h"

#include <QAbstractListModel>

class TVault;

class TAccountListModel : public QAbstractListModel, private TVaultObserver {
    Q_OBJECT
public:
    // The model hears the vault until it goes, which must be before the vault.
    TAccountListModel(TVault& vault, QObject* parent);
    ~TAccountListModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    void RowsAboutToBeInserted(int first, int last) override;
    void RowsInserted(int first, int last) override;
    void RowsAboutToBeRemoved(int first, int last) override;
    void RowsRemoved(int first, int last) override;
    void AboutToReset() override;
    void ResetDone() override;

    TVault& FVault;
};
