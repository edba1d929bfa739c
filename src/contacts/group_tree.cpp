// SPDX-License-Identifier: GPL-3.0-or-later
#include "contacts/group_tree.h"

#include "contacts/contact_images.h"
#include "ui/key_tree.h"

#include <QHash>
#include <QTreeWidget>

namespace GroupTree {

namespace {

QTreeWidgetItem *makeNode(const QString &key, const QString &text, int image)
{
    auto *item = new QTreeWidgetItem(QStringList{text});
    item->setData(0, KeyTree::KeyRole, key);
    item->setIcon(0, ContactImages::image(image));
    return item;
}

} // namespace

void fill(QTreeWidget *tree, const std::vector<ContactGroup> &groups, bool withAllNode)
{
    tree->clear();
    QHash<QString, QTreeWidgetItem *> nodes;
    if (withAllNode) {
        QTreeWidgetItem *all = makeNode(AddressBook::allKey(), AddressBook::allCaption(), AddressBook::AllIcon);
        tree->addTopLevelItem(all);
        nodes.insert(AddressBook::allKey(), all);
    }
    for (const ContactGroup &group : groups) {
        if (nodes.contains(group.key))
            continue;
        const QString parent = group.parent.trimmed();
        const bool topLevel = group.parent == QLatin1String("0") ||
                              (!withAllNode && parent == AddressBook::allKey());
        QTreeWidgetItem *parentNode = nullptr;
        if (!topLevel) {
            parentNode = nodes.value(parent);
            if (!parentNode)
                continue;
        }
        QTreeWidgetItem *node = makeNode(group.key, group.name, group.image);
        if (parentNode) {
            parentNode->addChild(node);
            for (QTreeWidgetItem *up = parentNode; up; up = up->parent())
                up->setExpanded(true);
        } else {
            tree->addTopLevelItem(node);
        }
        nodes.insert(group.key, node);
    }
}

} // namespace GroupTree
