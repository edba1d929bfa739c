// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/app_context.h"

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;

// The small dialog in which a new item, payment method, handler or account set is
// named. Its window title says which of the four it adds; an item goes under the
// parent key the manager hands over.
class AddNodeDialog : public QDialog {
    Q_OBJECT
public:
    explicit AddNodeDialog(const AppContext &context, QWidget *parent = nullptr);

    void setParentKey(const QString &key) { parentKey_ = key; }
    QString parentKey() const { return parentKey_; }

    // "添加": checks the name, stores the node and closes the dialog.
    void add();
    // Stores the node of this kind; false (after telling the user) when it could not.
    bool red(int kind);

signals:
    // A node was stored; the manager rebuilds its trees.
    void nodeAdded(const QString &key);

private:
    AppContext context_;
    QString parentKey_;
    QGroupBox *frame_;
    QLineEdit *name_;
    QPushButton *addButton_;
};
