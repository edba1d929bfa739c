// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/app_context.h"
#include "ui/key_tree.h"

#include <QDialog>

class QPushButton;
class QTabBar;
class QTreeWidget;
class QTreeWidgetItem;

// "软件设置": the four catalogue lists (items, payment methods, handlers, account sets),
// each in its own tree under a tab, with adding, renaming in place and deleting.
class CatalogueManager : public QDialog {
    Q_OBJECT
public:
    explicit CatalogueManager(const AppContext &context, QWidget *parent = nullptr);

    // Clears and refills all four trees from the data file.
    void LoadTreeView();

    // "添加", "修改" and "删除" on the tree of the selected tab.
    void addNode();
    void renameNode();
    void deleteNode();

    void showTab(int index);
    int currentTab() const;
    // The tree of tab 0..3, and the one shown.
    QTreeWidget *tree(int index) const { return trees_[index]; }
    QTreeWidget *visibleTree() const;
    QTreeWidgetItem *node(int tab, const QString &key) const;

    // Where a node keeps its key and its row id.
    static constexpr int KeyRole = KeyTree::KeyRole;
    static constexpr int IdRole = KeyTree::KeyRole + 1;

private:
    void fillTree(QTreeWidget *tree, int kind);
    QTreeWidgetItem *selectedNode() const;
    void labelEdited(QTreeWidgetItem *item);

    AppContext context_;
    QTabBar *tabs_;
    QTreeWidget *trees_[4];
    QPushButton *addButton_;
    QPushButton *renameButton_;
    QPushButton *deleteButton_;
    // The node whose label is being edited through "修改", and its text before.
    QTreeWidgetItem *editing_ = nullptr;
    QString editingText_;
};
