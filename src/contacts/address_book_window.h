// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "contacts/address_book.h"
#include "ui/app_context.h"

#include <QDialog>

class QAction;
class QLabel;
class QMenu;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class RecordList;

// The address book (Form21): the group tree beside the contacts of the current group,
// with the menus "分组管理", "成员管理" and "工具", a toolbar and two status panels.
class AddressBookWindow : public QDialog {
    Q_OBJECT
public:
    explicit AddressBookWindow(const AppContext &context, QWidget *parent = nullptr);

    // The eleven list columns.
    void LoadDate();
    // Lists the contacts of a tree node key and counts them in panel 2.
    void LoadData(const QString &key);
    // Rebuilds the group tree; the all-contacts node becomes the current node.
    void LoadTreeView();

    QTreeWidget *tree() const { return tree_; }
    RecordList *list() const { return list_; }
    QToolBar *toolbar() const { return toolbar_; }
    QMenu *groupMenu() const { return groupMenu_; }
    QTreeWidgetItem *node(const QString &key) const;
    // The current node's key; empty when no node is current.
    QString currentKey() const;
    // The key whose contacts the list shows.
    QString listedKey() const { return listedKey_; }
    QString panelText(int panel) const;

    // The commands of the menus and the toolbar.
    void addGroup();
    void addSubGroup();
    void deleteGroup();
    void changeIcon();
    void renameGroup();
    void addContact();
    void modifyContact();
    void deleteContact();
    void moveContact();
    void importContacts();
    void exportContacts();
    // A toolbar click: runs the command of the button's caption.
    void toolbarClicked(QAction *action);

private:
    void buildMenus();
    void buildToolbar();
    void nodeChosen(QTreeWidgetItem *item);
    void renameFinished();
    void showCount();
    bool contactSelected();

    AppContext context_;
    AddressBook book_;
    QMenu *groupMenu_ = nullptr;
    QToolBar *toolbar_ = nullptr;
    QTreeWidget *tree_ = nullptr;
    RecordList *list_ = nullptr;
    QLabel *panels_[2] = {};
    QString listedKey_;
    bool rebuilding_ = false;
    QTreeWidgetItem *renaming_ = nullptr;
    QString nameBeforeRename_;
};
