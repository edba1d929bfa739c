// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

class QTreeWidget;
class QTreeWidgetItem;

// What a two-level tree shows, one text per top node: "2008年:01月,11月", or the
// top node's text alone when it has no children.
QStringList treeCaptions(QTreeWidget *tree);
// Clicks a node as a person would: its parent expanded, scrolled into view.
void clickTreeItem(QTreeWidget *tree, QTreeWidgetItem *item);
