// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "accounts/transfer_pairs.h"
#include "ui/app_context.h"

#include <QDialog>

#include <vector>

class RecordList;

// "查找转账": the pairs of entries that look like transfers recorded the old way, each
// with a check box (ticked at first where an item or summary names a transfer). "转为转账"
// turns the ticked pairs into transfers, which then count in neither income nor spending.
class TransferPairsWindow : public QDialog {
    Q_OBJECT
public:
    TransferPairsWindow(const AppContext &context, QWidget *parent = nullptr);

    void LoadData();
    void tickAll(bool ticked);
    void convertTicked();
    RecordList *list() const { return list_; }

signals:
    // Pairs became transfers.
    void converted();

private:
    AppContext context_;
    RecordList *list_;
    std::vector<TransferPair> pairs_;  // by the list's hidden id (its number in here)
};
