#pragma once

// The items of the account selector: the account names in the selector's order (the user's
// locale, case-insensitive), each with the index of the record line it came from, so that every
// item shows, edits and deletes its own line even when two accounts share a name.

#include <QAbstractListModel>
#include <QCollator>

#include <string>
#include <utility>
#include <vector>

class TAccountListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit TAccountListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Refills the list from (name, line) pairs in any order; sorts once.
    void Fill(const std::vector<std::pair<std::string, int>>& accounts);
    void Clear();
    // Inserts after any equal names and returns the row.
    int InsertSorted(const std::string& name, int line);
    void RemoveRow(int row);

    int LineOf(int row) const { return FLines.at(static_cast<std::size_t>(row)); }
    // The record lines were reordered: old line i is now newIndexOfOld[i].
    void RemapLines(const std::vector<int>& newIndexOfOld);
    // A record line was inserted at this index: the later ones moved down.
    void LineInserted(int line);
    // A record line was removed: the later ones moved up.
    void LineRemoved(int line);

private:
    std::vector<QString> FNames;
    std::vector<int> FLines;
    QCollator FCollator;
};
