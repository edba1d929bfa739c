// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/key_tree.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace KeyTree {

namespace {

QTreeWidgetItem *keyed(QTreeWidgetItem *item, const QString &key, const QIcon &icon)
{
    item->setData(0, KeyRole, key);
    if (!icon.isNull())
        item->setIcon(0, icon);
    return item;
}

} // namespace

QTreeWidgetItem *add(QTreeWidget *tree, const QString &caption, const QString &key, const QIcon &icon)
{
    return keyed(new QTreeWidgetItem(tree, {caption}), key, icon);
}

QTreeWidgetItem *add(QTreeWidgetItem *parent, const QString &caption, const QString &key, const QIcon &icon)
{
    return keyed(new QTreeWidgetItem(parent, {caption}), key, icon);
}

QString key(const QTreeWidgetItem *item) { return item ? item->data(0, KeyRole).toString() : QString(); }

QTreeWidgetItem *find(const QTreeWidget *tree, const QString &key)
{
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget *>(tree)); *it; ++it)
        if ((*it)->data(0, KeyRole).toString() == key)
            return *it;
    return nullptr;
}

QString selectedKey(const QTreeWidget *tree)
{
    const QList<QTreeWidgetItem *> selected = tree->selectedItems();
    return selected.isEmpty() ? QString() : key(selected.first());
}

} // namespace KeyTree
