// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/paged_record_model.h"

PagedRecordModel::PagedRecordModel(const QList<RecordColumn> &columns, size_t keptPages, QObject *parent)
    : QAbstractTableModel(parent), rows_(PageSize, keptPages), columns_(columns)
{
}

const RecordRow *PagedRecordModel::rowAt(int row) const
{
    if (row < 0 || row >= rowTotal())
        return nullptr;
    return rows_.row(row, [this](int first, int count) { return readRows(first, count); });
}

int PagedRecordModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : rowTotal(); }

int PagedRecordModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(columns_.size()); }

QVariant PagedRecordModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= columnCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        if (const RecordRow *row = rowAt(index.row()))
            return row->cell(index.column()).toString();
        return QString();
    case Qt::DecorationRole:
        if (index.column() == 0)
            if (const RecordRow *row = rowAt(index.row()); row && row->icon > 0 && row->icon <= icons_.size())
                return icons_[row->icon - 1];
        return {};
    case Qt::TextAlignmentRole:
        return int(columns_[index.column()].alignment);
    default:
        return {};
    }
}

QVariant PagedRecordModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columns_.size())
        return columns_[section].title;
    return {};
}

Qt::ItemFlags PagedRecordModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}
