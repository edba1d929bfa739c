// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileimport/csv_table.h"

#include <QAbstractTableModel>
#include <QStringList>

// The lines of a file as "列对应" shows them: every record of the table, one a row, its
// cells shortened for the eye; the columns named by titles the dialog gives, the rows by
// their line numbers. It reads the table's records as the view asks for them, so a file
// of a million lines costs no more to show than one of ten.
class FileLinesModel : public QAbstractTableModel {
public:
    explicit FileLinesModel(const CsvTable &table, QObject *parent = nullptr);

    // After the table was split anew: every row and column again.
    void reload();
    void setTitles(const QStringList &titles);
    // A cell as shown: blanks simplified, at most 16 characters ("…" ends a longer one).
    static QString shortened(const QString &text);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const CsvTable &table_;
    int columns_ = 0;
    QStringList titles_;
};
