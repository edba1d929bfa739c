// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/ledger.h"

#include <QStringList>

#include <vector>

class DataFile;

// Two entries that look like one transfer recorded the old way: an expense from one
// account and an income of the same amount into another.
struct TransferPair {
    LedgerEntry out;      // the expense, from the paying account
    LedgerEntry in;       // the income, into the other account
    bool named = false;   // an item or summary names a transfer (取现, 转账, 还款, ...)
};

// "查找转账...": finds such pairs among an account set's entries and turns the ones the
// user ticks into transfers.
class TransferPairs {
public:
    explicit TransferPairs(DataFile &data) : data_(data) {}

    // The words by which an item or a summary names a transfer.
    static QStringList words();
    // How many days apart the two entries of a pair that names a transfer may be.
    static constexpr int DaysApart = 3;

    // The pairs, oldest first: same amount, an expense and an income, two different
    // accounts; on the same day, or (when either names a transfer) up to DaysApart days
    // apart, the nearest first. Each entry is in one pair at most; a transfer's fee is in
    // none.
    std::vector<TransferPair> find(int accountSet);
    // Makes each pair one transfer of the expense's day, amount and summary (the income's
    // summary when the expense has none); both entries go for good, and their reconciled
    // state moves to the transfer's sides. A pair whose entries changed or went since it
    // was found is left alone. One transaction; returns how many became transfers.
    int convert(int accountSet, const std::vector<TransferPair> &pairs);

private:
    DataFile &data_;
};
