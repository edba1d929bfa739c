// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "export/ledger_export.h"

#include <QDialog>

#include <optional>

class DataFile;
class QCheckBox;
class QRadioButton;

// "导出为CSV文件": the encoding of a CSV file (UTF-8, the default, or GB18030) and whether
// its totals row is written.
class CsvOptionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit CsvOptionsDialog(const CsvChoice &initial, QWidget *parent = nullptr);
    CsvChoice choice() const;

    // Asks, starting from the last choice (remembered in the data file); nothing when the
    // user cancels.
    static std::optional<CsvChoice> ask(DataFile &data, QWidget *parent);

private:
    QRadioButton *utf8_;
    QRadioButton *gb18030_;
    QCheckBox *totals_;
};
