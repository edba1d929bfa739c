// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "contacts/address_book.h"
#include "ui/app_context.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

// Adds a group (Form23): "添加目录" adds one at the top level, "添加子分组" one under
// the address book's current node.
class AddGroupDialog : public QDialog {
    Q_OBJECT
public:
    enum Mode { TopLevel = 1, SubGroup = 2 };

    AddGroupDialog(const AppContext &context, const QString &currentKey, QWidget *parent = nullptr);
    // Sets the caption "添加子分组".
    void setSubGroupMode();
    // Stores the group; false when nothing was stored.
    bool red(int mode);
    QString addedKey() const { return added_; }

signals:
    void added(const QString &key);

private:
    void add();

    AppContext context_;
    QString currentKey_;
    QLineEdit *name_ = nullptr;
    QPushButton *add_ = nullptr;
    QString added_;
};
