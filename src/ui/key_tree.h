// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QString>

class QTreeWidget;
class QTreeWidgetItem;

// Trees whose nodes carry a text key beside their caption (a date node's "2008_3_", a
// catalogue node's key_1, a contact group's key), kept under KeyRole.
namespace KeyTree {

constexpr int KeyRole = Qt::UserRole;

// A new node at the tree's top level, or under a node.
QTreeWidgetItem *add(QTreeWidget *tree, const QString &caption, const QString &key, const QIcon &icon = {});
QTreeWidgetItem *add(QTreeWidgetItem *parent, const QString &caption, const QString &key, const QIcon &icon = {});
// A node's key; empty for no node.
QString key(const QTreeWidgetItem *item);
// The first node, in the tree's order, with this key; nullptr when there is none.
QTreeWidgetItem *find(const QTreeWidget *tree, const QString &key);
// The key of the (first) selected node; empty when none is selected.
QString selectedKey(const QTreeWidget *tree);

} // namespace KeyTree
