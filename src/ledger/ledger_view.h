// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/entry_list.h"

#include <QString>

class QWidget;

// What the main window shows of the ledger, for the commands beside it (export, print,
// reports) that work on it without knowing the window itself.
class LedgerView {
public:
    // The entries of the list on show ("收支明细" or "统计查询"), in the list's order.
    virtual EntryQuery listOnShow() const = 0;
    // What that list is: "当前：2008年03月" for a tree node, or "统计查询" with its conditions.
    virtual QString listCaption() const = 0;
    // The account set's name, for titles and file names.
    virtual QString accountSetName() const = 0;
    // Lists the node's entries again and rebuilds the tree.
    virtual void refresh() = 0;
    // Opens "统计查询" with these conditions ticked and filled in, and lists what they find.
    virtual void showSearch(const SearchRequest &request) = 0;
    // The window the commands' dialogs belong to.
    virtual QWidget *viewWindow() = 0;

protected:
    ~LedgerView() = default;
};
