// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "contacts/contact_csv.h"
#include "ui/app_context.h"

#include <QDialog>
#include <QStringList>

#include <vector>

class QLineEdit;
class QStackedWidget;
class RecordList;

// The import wizard "导入向导" (Form26). Page 1 asks for the file; page 2 lists the
// file's columns, ticked where the name is a contact field, and imports the ticked ones
// into the address book's current group.
class ImportWizard : public QDialog {
    Q_OBJECT
public:
    ImportWizard(const AppContext &context, const QString &groupKey, QWidget *parent = nullptr);

    RecordList *columnList() const { return columns_; }
    QLineEdit *pathField() const { return path_; }
    // 0 on the file page, 1 on the mapping page.
    int page() const;

    // Fills the column list from the header's names and ticks the recognised ones.
    void LoadData(const QStringList &header);
    // The ticked columns: (name, position in the line), in the list's order.
    QList<ContactCsv::MappedColumn> mapping() const;

    // The buttons.
    void browse();
    bool next();
    void back();
    bool importContacts();

signals:
    void imported();

private:
    void toggleRow(int row);

    AppContext context_;
    QString groupKey_;
    QStackedWidget *pages_ = nullptr;
    QLineEdit *path_ = nullptr;
    RecordList *columns_ = nullptr;
    std::vector<ContactCsv::Record> records_;
};
