// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/record_row.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <QString>

#include <vector>

// The rows of a record list, shown by every view mode of RecordList.
class RecordModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setColumns(const QList<RecordColumn> &columns);
    const QList<RecordColumn> &columns() const { return columns_; }
    void setImageList(const QList<QIcon> &icons);
    void setCheckable(bool checkable);
    bool isCheckable() const { return checkable_; }
    // The column that holds the check boxes (0 unless set); its title is each box's
    // accessible name.
    void setCheckColumn(int column);

    // Replaces all rows in one reset.
    void setRows(std::vector<RecordRow> rows);
    void clear() { setRows({}); }
    void appendRow(RecordRow row);
    void removeRecord(int row);
    void setRecord(int row, RecordRow record);
    const RecordRow &record(int row) const { return rows_[size_t(row)]; }
    int count() const { return int(rows_.size()); }
    void setChecked(int row, bool checked);

    // Sorts the rows by a column: numbers as numbers when every filled cell of the column
    // is one (empty cells last), else as text in the Chinese order; ties keep their order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    QList<RecordColumn> columns_;
    QList<QIcon> icons_;
    std::vector<RecordRow> rows_;
    bool checkable_ = false;
    int checkColumn_ = 0;
};
