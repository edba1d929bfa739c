// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileimport/csv_table.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

// "列对应": which column of a CSV file feeds each column of the batch import's preview,
// or the one signed amount column, and whether the file's first row is a header. Shows
// the first rows of the file; 确定 needs a date column and an amount column.
class ColumnMappingDialog : public QDialog {
    Q_OBJECT
public:
    ColumnMappingDialog(const QString &fileName, const CsvTable &table, const ColumnMapping &initial,
                        QWidget *parent = nullptr);

    ColumnMapping mapping() const;
    void setMapping(const ColumnMapping &mapping);

private:
    void fillChoices();
    void update();

    const CsvTable &table_;
    QCheckBox *header_;
    QList<QComboBox *> combos_;  // in ImportField order
    QTableWidget *sample_;
    QLabel *hint_;
    QPushButton *ok_;
};
