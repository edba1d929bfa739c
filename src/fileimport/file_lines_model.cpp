// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileimport/file_lines_model.h"

FileLinesModel::FileLinesModel(const CsvTable &table, QObject *parent)
    : QAbstractTableModel(parent), table_(table), columns_(table.columnCount())
{
}

void FileLinesModel::reload()
{
    beginResetModel();
    columns_ = table_.columnCount();
    titles_.clear();
    endResetModel();
}

void FileLinesModel::setTitles(const QStringList &titles)
{
    titles_ = titles;
    if (columns_ > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
}

QString FileLinesModel::shortened(const QString &text)
{
    const QString simple = text.simplified();
    return simple.size() > 16 ? simple.left(15) + QChar(0x2026) : simple;
}

int FileLinesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(table_.records.size());
}

int FileLinesModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : columns_; }

QVariant FileLinesModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columns_)
        return {};
    const QStringList &values = table_.records[size_t(index.row())].values;
    if (index.column() >= values.size())
        return {};
    if (role == Qt::DisplayRole)
        return shortened(values[index.column()]);
    if (role == Qt::ToolTipRole && values[index.column()].size() > 16)
        return values[index.column()];
    return {};
}

QVariant FileLinesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || section < 0)
        return {};
    if (orientation == Qt::Vertical)
        return section < rowCount() ? QVariant(QString::number(section + 1)) : QVariant();
    if (section >= columns_)
        return {};
    return section < titles_.size() ? titles_[section] : QStringLiteral("第%1列").arg(section + 1);
}
