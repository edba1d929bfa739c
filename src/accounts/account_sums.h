// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/money.h"

#include <QHash>
#include <QString>

#include <map>

class DataFile;

// What moved in and out of an account: its entries (income and spending) and the two
// sides of its transfers. Amounts that are no number add nothing, as in every total.
struct AccountFlow {
    qint64 count = 0;  // entries and transfer sides
    Money income, expense, moveIn, moveOut;
    Money net() const { return income - expense + moveIn - moveOut; }
    AccountFlow &operator+=(const AccountFlow &other);
    AccountFlow &operator-=(const AccountFlow &other);
};

// The months of an account with what moved in each: by month key ("2024-03"; "" for the
// dates of no month), ascending.
using AccountMonths = std::map<QString, AccountFlow>;

// The sums of every account month by month, kept in the data file (zhanghu_months) so that
// a balance adds up a hundred months instead of a million entries. Triggers on jizhang and
// zhuanzhang mark a month of an account stale whenever a write touches it, whoever writes;
// the months marked are counted again from the entries and transfers, and stored, in one
// write transaction that clears exactly the marks it counted. A mark without an account
// stands for every account of its month, one without an account and a month for every
// month (see AccountTables).
class AccountSums {
public:
    explicit AccountSums(DataFile &data) : data_(data) {}

    // Every account's months in an account set, by account name, each counted again first
    // when it is marked stale: kept when many are stale; counted each time when a few are,
    // or when the file cannot be written.
    QHash<QString, AccountMonths> months(int accountSet);
    // The account's entries and transfer sides dated from `from` up to (not including)
    // `until`, compared as the texts they are stored as; counted from the rows.
    AccountFlow between(int accountSet, const QString &account, const QString &from, const QString &until);
    // The account's rows of no month (no date, a number, an odd text), counted from the rows.
    AccountFlow ofNoMonth(int accountSet, const QString &account);

    // Counts the stale months of an account set again and stores them; false when the file
    // could not be written (nothing stored then).
    bool refresh(int accountSet);
    // Counts at most `most` months marked for every account again, in a write transaction
    // of their own; returns how many such months stay marked. Failures are thrown.
    int refreshSome(int accountSet, int most);
    // The account set has months marked for every account (an older file's first opening),
    // which a background build counts.
    bool building(int accountSet);

private:
    AccountFlow count(int accountSet, const QString &account, const QString &month);
    // Every account's flow in a month (key; '' for the dates of no month), by account.
    QHash<QString, AccountFlow> monthOfAll(int accountSet, const QString &month);
    // The month keys of the account set's entries and transfers, '' among them.
    QStringList allMonths(int accountSet);
    // Inside a write transaction: turns a mark of every month into one of each, stores at
    // most `most` months of every account; returns how many stay marked.
    int storeMonthsOfAll(int accountSet, int most);
    DataFile &data_;
};
