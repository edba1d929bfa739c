// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class Database;

// The tables of accounts and transfers (schema version 8), beside the seven tables.
//
// Every payment method (a catalogue row of class "收支方式") is an account. jizhang keeps
// its columns and their meaning: an entry's payment method (t3) names its account, and a
// transfer between two accounts is no entry at all but a row of a table of its own, so
// that nothing that reads jizhang (this program's totals, reports and exports, or another
// program) can count it as income or spending.
//
//   zhanghu              an account's data in one account set: kind, opening balance and
//                        its date, note, closed. An account without a row is of kind
//                        "其他", opens with 0 and is open.
//   zhuanzhang           transfers: date, the two accounts by name (as jizhang.t3 names
//                        them), the amount, the summary, the fee entry (a plain expense in
//                        jizhang, from the paying account), and for each side the day of
//                        the statement it was reconciled against.
//   zhuanzhang_bin       deleted transfers, until they are put back or the bin is emptied.
//   jizhang_duizhang     the entries reconciled against a statement, by entry id. A mark
//                        outlives its entry's stay in the recycle bin (ids are never given
//                        again); a change of date, kind, account or amount drops it.
//   zhanghu_months       count and exact sums of each account's entries and transfers by
//                        account set and month (key as the ledger's month sums; '' for
//                        dates of no month), with zhanghu_months_stale: triggers on jizhang
//                        and zhuanzhang only mark the months a write touches, whoever
//                        writes; the program counts marked months again. A mark
//                        without an account stands for every account of its month, one
//                        without account and month for every month of the account set.
namespace AccountTables {

// The index of jizhang that an account's rows and sums are read along: account set,
// payment method, date. Made with the tables in a new file; an older file gains it in the
// background (it only makes the accounts quicker).
QString entryIndex();
// Makes what is missing of the tables and triggers (and the index above when asked); safe
// to run again.
void create(Database &db, bool withIndex);
// Marks every month of every account of every account set as stale, one mark per account
// set, without reading the entries: a file that had entries before it had the sums (the
// first opening by version 8).
void markAllStale(Database &db);

} // namespace AccountTables
