// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "contacts/address_book.h"

#include <QString>

#include <vector>

class QTreeWidget;

// The group trees of the address book and of the move dialog: a node per group, under
// the node of its parent key, keyed by the group's key.
namespace GroupTree {

// Builds the tree from the groups (in id order). With the all-contacts node, it comes
// first and groups filed under "0_" are its children; without it, such groups stand at
// the top level. A group whose parent is not in the tree, or whose key is already there,
// is left out.
// Nodes carry the group's key as KeyTree describes.
void fill(QTreeWidget *tree, const std::vector<ContactGroup> &groups, bool withAllNode);

} // namespace GroupTree
