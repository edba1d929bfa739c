// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "accounts/accounts.h"
#include "ui/record_row.h"

#include <QList>

#include <deque>
#include <vector>

class DataFile;

// An account's entries and transfer sides, newest first, each with the balance after it
// (the running "余额"), read on demand: the count, the balance and where each month starts
// come from the kept month sums when the list is made; a month's rows are read when one of
// them is asked for. So the first screen of an account of a million entries costs one
// month. Rows of no month (odd dates another program wrote) come last.
class AccountList {
public:
    AccountList(DataFile &data, int accountSet, const Account &account);

    const Account &account() const { return account_; }
    int count() const { return count_; }
    // The balance after every row: the opening balance and all that moved since.
    Money balance() const { return balance_; }

    // The rows at positions [first, first + n), with their balances.
    std::vector<AccountRow> rows(int first, int n);

    // The list's columns: 日期, the hidden key, 项目, 存入, 支取, 余额, 对方账户, 核对, 摘要.
    static QList<RecordColumn> columns();
    // A row as the list shows it: the transfer picture (7) or the entry's (5, 6).
    static RecordRow listRow(const AccountRow &row);
    // The text of a reconciled row's state cell.
    static QString checkedText() { return QStringLiteral("已核对"); }

private:
    // The rows of one month (or of no month), from position `first` on.
    struct Segment {
        QString month;  // "yyyy-mm"; empty for no month
        int first = 0;
        int count = 0;
        Money top;      // the balance after its newest row
    };
    const std::vector<AccountRow> &rowsOf(size_t segment);

    DataFile &data_;
    int accountSet_;
    Account account_;
    int count_ = 0;
    Money balance_;
    std::vector<Segment> segments_;
    // The segments read last, with their rows.
    std::deque<std::pair<size_t, std::vector<AccountRow>>> read_;
};
