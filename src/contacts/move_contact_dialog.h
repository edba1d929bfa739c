// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/app_context.h"

#include <QDialog>

class QTreeWidget;

// Moves a contact into another group (Form27), chosen in a tree of the groups.
class MoveContactDialog : public QDialog {
    Q_OBJECT
public:
    MoveContactDialog(const AppContext &context, qint64 contactId, QWidget *parent = nullptr);

    QTreeWidget *tree() const { return tree_; }
    void LoadTreeView();
    // Files the contact in the chosen group; false when nothing was stored.
    bool EditData();

signals:
    void moved(const QString &groupKey);

private:
    void confirm();

    AppContext context_;
    qint64 contactId_;
    QTreeWidget *tree_ = nullptr;
};
