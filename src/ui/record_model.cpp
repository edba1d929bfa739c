// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/record_model.h"

#include "core/money.h"

#include <QCollator>

#include <algorithm>
#include <optional>

void RecordModel::setColumns(const QList<RecordColumn> &columns)
{
    beginResetModel();
    columns_ = columns;
    endResetModel();
}

void RecordModel::setImageList(const QList<QIcon> &icons)
{
    icons_ = icons;
    if (!rows_.empty())
        emit dataChanged(index(0, 0), index(count() - 1, 0), {Qt::DecorationRole});
}

void RecordModel::setCheckable(bool checkable)
{
    beginResetModel();
    checkable_ = checkable;
    endResetModel();
}

void RecordModel::setCheckColumn(int column)
{
    beginResetModel();
    checkColumn_ = column;
    endResetModel();
}

void RecordModel::setRows(std::vector<RecordRow> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void RecordModel::appendRow(RecordRow row)
{
    beginInsertRows(QModelIndex(), count(), count());
    rows_.push_back(std::move(row));
    endInsertRows();
}

void RecordModel::removeRecord(int row)
{
    if (row < 0 || row >= count())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

void RecordModel::setRecord(int row, RecordRow record)
{
    if (row < 0 || row >= count())
        return;
    rows_[size_t(row)] = std::move(record);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void RecordModel::setChecked(int row, bool checked)
{
    if (row < 0 || row >= count())
        return;
    rows_[size_t(row)].checked = checked;
    emit dataChanged(index(row, checkColumn_), index(row, checkColumn_), {Qt::CheckStateRole});
}

void RecordModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= columnCount() || rows_.empty())
        return;
    // Numbers when most filled cells are numbers; the cells that are none (a bad amount in
    // a pasted row) then go after the numbers, and empty cells last, whichever way the
    // column is sorted.
    std::vector<std::optional<Money>> numbers(rows_.size());
    std::vector<char> filled(rows_.size());
    int filledCount = 0, numberCount = 0;
    for (size_t i = 0; i < rows_.size(); ++i) {
        const QStringView cell = rows_[i].cell(column);
        filled[i] = !cell.trimmed().isEmpty();
        if (!filled[i])
            continue;
        ++filledCount;
        numbers[i] = Money::fromStored(cell);
        numberCount += numbers[i].has_value();
    }
    const bool numeric = numberCount > 0 && 2 * numberCount >= filledCount;
    QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
    collator.setNumericMode(true);
    std::vector<size_t> positions(rows_.size());
    for (size_t i = 0; i < positions.size(); ++i)
        positions[i] = i;
    const bool descending = order == Qt::DescendingOrder;
    // A column of ticks alone sorts by them: the unticked rows first, ascending.
    const bool byTick = checkable_ && column == checkColumn_ && filledCount == 0;
    auto rank = [&](size_t i) { return numbers[i] ? 0 : filled[i] ? 1 : 2; };
    std::stable_sort(positions.begin(), positions.end(), [&](size_t a, size_t b) {
        if (byTick)
            return descending ? rows_[b].checked < rows_[a].checked : rows_[a].checked < rows_[b].checked;
        if (numeric) {
            if (rank(a) != rank(b))
                return rank(a) < rank(b);
            if (numbers[a])
                return descending ? *numbers[b] < *numbers[a] : *numbers[a] < *numbers[b];
            if (!filled[a])
                return false;
        }
        const int c = collator.compare(rows_[a].cell(column), rows_[b].cell(column));
        return descending ? c > 0 : c < 0;
    });
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> newRow(rows_.size());
    std::vector<RecordRow> sorted;
    sorted.reserve(rows_.size());
    for (size_t i = 0; i < positions.size(); ++i) {
        newRow[positions[i]] = int(i);
        sorted.push_back(std::move(rows_[positions[i]]));
    }
    rows_ = std::move(sorted);
    QModelIndexList after;
    for (const QModelIndex &index : before)
        after << this->index(newRow[size_t(index.row())], index.column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int RecordModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : count(); }

int RecordModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant RecordModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count() || index.column() >= columnCount())
        return {};
    const RecordRow &row = rows_[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return row.cell(index.column()).toString();
    case Qt::DecorationRole:
        if (index.column() == 0 && row.icon > 0 && row.icon <= icons_.size())
            return icons_[row.icon - 1];
        return {};
    case Qt::CheckStateRole:
        if (checkable_ && index.column() == checkColumn_)
            return row.checked ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::AccessibleTextRole:
        if (checkable_ && index.column() == checkColumn_ && row.cell(index.column()).isEmpty())
            return columns_[index.column()].title;
        return {};
    case Qt::TextAlignmentRole:
        return int(columns_[index.column()].alignment);
    default:
        return {};
    }
}

bool RecordModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !checkable_ || !index.isValid() || index.column() != checkColumn_)
        return false;
    setChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

QVariant RecordModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columns_.size())
        return columns_[section].title;
    return {};
}

Qt::ItemFlags RecordModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    if (checkable_ && index.column() == checkColumn_)
        f |= Qt::ItemIsUserCheckable;
    return f;
}
