// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/record_row.h"
#include "ui/row_cache.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>

#include <vector>

// A long list read a page at a time: a subclass says how many rows there are and reads a
// page of them; the rows the views ask for are kept in a RowCache, so that a list of a
// million rows costs what a screenful does. Cells are shown as text, the first column
// with the row's picture, each column aligned as its RecordColumn says.
class PagedRecordModel : public QAbstractTableModel {
    Q_OBJECT
public:
    PagedRecordModel(const QList<RecordColumn> &columns, size_t keptPages, QObject *parent = nullptr);

    void setImageList(const QList<QIcon> &icons) { icons_ = icons; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    static constexpr int PageSize = 256;

protected:
    // How many rows the list has now.
    virtual int rowTotal() const = 0;
    // The rows [first, first + count) as the list shows them; fewer (or none) when they
    // cannot be read.
    virtual std::vector<RecordRow> readRows(int first, int count) const = 0;
    // A row as shown, its page read when it is not kept; nullptr beyond the list.
    const RecordRow *rowAt(int row) const;

    mutable RowCache rows_;

private:
    QList<RecordColumn> columns_;
    QList<QIcon> icons_;
};
