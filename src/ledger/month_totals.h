// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/ledger.h"

#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class DataFile;

// A stretch of an account set's date index, in ascending order: the entries of one month,
// or date texts between two months that belong to no month (see Dates::monthOf).
struct DateSpan {
    int month = -1;       // a month (Dates' month number); -1 for texts of no month
    // The texts [from, until), as the file holds them (UTF-8 or not); an empty `until`
    // runs up to the blobs.
    QByteArray from, until;
    SqlCondition condition() const;
};

// The count and totals of an account set's entries month by month, kept in the data file
// (table jizhang_months) so that "全部记录" adds up a hundred months instead of a million
// entries. Triggers on jizhang drop a month's row whenever one of its entries is added,
// changed or deleted, by this program or any other; a month without a row is added up
// again, and stored, when it is next asked for. The recount and the storing happen in one
// write transaction, so no other program's write can fall between them.
//
// An entry is kept under the month of its date (Dates::monthOf, the rule the triggers
// use too). Entries of no month (no date, a number, a blob, an odd text) are added up
// every time; they are few.
class MonthTotals {
public:
    explicit MonthTotals(DataFile &data) : data_(data) {}

    // Count and totals of every entry of the account set.
    LedgerTotals all(int accountSet);

    // The months and the stretches of texts of no month that the account set's dates fall
    // in, ascending: one index seek each. The walk counts months as integers up to the
    // last one, so it ends whatever the file holds.
    std::vector<DateSpan> spans(int accountSet);
    // The keys ("yyyy-mm") of the months of the spans, ascending.
    QStringList monthKeys(int accountSet);
    // Every entry of an account set, in parts in ascending order of the date: no date,
    // a number, the spans, a blob (each part a range of the date index).
    static std::vector<SqlCondition> parts(const std::vector<DateSpan> &spans);

    // Counts and stores the sums of at most `most` months that have none, in one write
    // transaction of their own; returns how many months still have none. Failures to
    // write are thrown.
    int storeMissing(int accountSet, int most);

    // Runs between the recount of the months without kept sums and the storing of their
    // sums, inside the transaction (tests let another program try to write there).
    void setBeforeStoring(std::function<void()> hook) { beforeStoring_ = std::move(hook); }

private:
    // KeptOnly: nothing when some month has no kept sums; Count: those counted too; Store:
    // and their sums stored (inside a write transaction).
    enum class Pass { KeptOnly, Count, Store };
    std::optional<LedgerTotals> add(int accountSet, Pass pass);

    DataFile &data_;
    std::function<void()> beforeStoring_;
};
