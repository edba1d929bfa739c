// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/app_context.h"

#include <QDialog>
#include <QStringList>

class QLineEdit;
class RecordList;

// The export wizard "导出向导" (Form25): writes the contacts of the address book's
// current group, with the ticked fields, to a CSV file.
class ExportWizard : public QDialog {
    Q_OBJECT
public:
    ExportWizard(const AppContext &context, const QString &groupKey, QWidget *parent = nullptr);

    RecordList *fieldList() const { return fields_; }
    // Ticks the field (by name); false for a name not in the list.
    bool tick(const QString &name, bool on = true);
    void tickAll();
    void invertTicks();
    // The ticked field names in the list's order.
    QStringList tickedNames() const;
    // Writes the file for the names joined by ","; false (and the reason shown) on failure.
    bool LoadData(const QString &names);

private:
    void browse();
    void exportFile();

    AppContext context_;
    QString groupKey_;
    RecordList *fields_ = nullptr;
    QLineEdit *path_ = nullptr;
};
