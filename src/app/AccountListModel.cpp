#include "app/AccountListModel.h"

#include "platform/Codepage.h"
#include "platform/TextCompare.h"

#include <algorithm>

TAccountListModel::TAccountListModel(QObject* parent)
    : QAbstractListModel(parent), FCollator(TextLocaleCollator()) {}

int TAccountListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(FNames.size());
}

QVariant TAccountListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::AccessibleTextRole)
        return FNames[static_cast<std::size_t>(index.row())];
    return {};
}

void TAccountListModel::Fill(const std::vector<std::pair<std::string, int>>& accounts) {
    // Each name is converted once, for sorting and for showing.
    std::vector<QString> names;
    names.reserve(accounts.size());
    for (const auto& account : accounts)
        names.push_back(AnsiToQString(account.first));
    const std::vector<int> order = SortedOrder(names);

    beginResetModel();
    FNames.clear();
    FLines.clear();
    FNames.reserve(order.size());
    FLines.reserve(order.size());
    for (const int i : order) {
        FNames.push_back(std::move(names[static_cast<std::size_t>(i)]));
        FLines.push_back(accounts[static_cast<std::size_t>(i)].second);
    }
    endResetModel();
}

void TAccountListModel::Clear() {
    beginResetModel();
    FNames.clear();
    FLines.clear();
    endResetModel();
}

int TAccountListModel::InsertSorted(const std::string& name, int line) {
    QString text = AnsiToQString(name);
    const auto place = std::upper_bound(
        FNames.begin(), FNames.end(), text,
        [this](const QString& a, const QString& b) { return FCollator.compare(a, b) < 0; });
    const int row = static_cast<int>(place - FNames.begin());
    beginInsertRows(QModelIndex(), row, row);
    FNames.insert(place, std::move(text));
    FLines.insert(FLines.begin() + row, line);
    endInsertRows();
    return row;
}

void TAccountListModel::RemoveRow(int row) {
    beginRemoveRows(QModelIndex(), row, row);
    FNames.erase(FNames.begin() + row);
    FLines.erase(FLines.begin() + row);
    endRemoveRows();
}

void TAccountListModel::RemapLines(const std::vector<int>& newIndexOfOld) {
    for (int& line : FLines)
        line = newIndexOfOld[static_cast<std::size_t>(line)];
}

void TAccountListModel::LineRemoved(int line) {
    for (int& other : FLines)
        if (other > line)
            --other;
}

void TAccountListModel::LineInserted(int line) {
    for (int& other : FLines)
        if (other >= line)
            ++other;
}
