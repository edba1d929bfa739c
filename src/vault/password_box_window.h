// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/app_context.h"
#include "vault/vault.h"

#include <QDialog>
#include <QModelIndex>

class QAction;
class QToolBar;
class QTreeView;
class RecordViews;
class VaultTreeModel;

// "密码箱与备忘录": the fixed groups of the password box and the memo with the records
// of the account set under them, and a read-only view of the selected record.
class PasswordBoxWindow : public QDialog {
    Q_OBJECT
public:
    explicit PasswordBoxWindow(const AppContext &context, QWidget *parent = nullptr);

    // Adds every record of the account set that is not in the tree yet.
    void LoadTreeView();
    // Shows a record of the account set in all three views.
    void LoadDate(const QString &key);
    void textclear();
    // The toolbar's commands.
    void addRecord();
    void modifyRecord();
    void del();
    // A node was selected, by a click or a key: captions, view and fields for it. An
    // invalid index (nothing selected) empties the fields.
    void nodeClicked(const QModelIndex &index);

    // The selected node, as the record editor reads it: its key (empty when none),
    // the texts from the root down joined by "\", and the id of its record.
    QString selectedKey() const;
    QString selectedPath() const;
    qint64 selectedId() const;
    void renameSelected(const QString &text);

    int accountSet() const;
    Vault &vault() { return vault_; }
    const AppContext &context() const { return context_; }
    QTreeView *tree() const { return tree_; }
    VaultTreeModel *treeModel() const { return model_; }
    RecordViews *views() const { return views_; }
    // The toolbar button with this caption.
    QAction *command(const QString &caption) const;

private:
    QModelIndex selectedNode() const;

    AppContext context_;
    Vault vault_;
    QToolBar *toolbar_;
    QTreeView *tree_;
    VaultTreeModel *model_;
    RecordViews *views_;
};
