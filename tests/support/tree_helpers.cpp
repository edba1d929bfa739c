// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/tree_helpers.h"

#include <QTreeWidget>
#include <QtTest>

QStringList treeCaptions(QTreeWidget *tree)
{
    QStringList result;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem *top = tree->topLevelItem(i);
        QStringList children;
        for (int j = 0; j < top->childCount(); ++j)
            children << top->child(j)->text(0);
        result << (children.isEmpty() ? top->text(0) : top->text(0) + u':' + children.join(u','));
    }
    return result;
}

void clickTreeItem(QTreeWidget *tree, QTreeWidgetItem *item)
{
    if (item->parent())
        item->parent()->setExpanded(true);
    tree->scrollToItem(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
}
