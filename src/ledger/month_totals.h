#pragma once

#include "ledger/ledger.h"

class DataFile;

// The count and totals of an account set's entries month by month, kept in the data file
// (table jizhang_months) so that "全部记录" adds up a hundred months instead of a million
// entries. Triggers on jizhang drop a month's row whenever one of its entries is added,
// changed or deleted, by this program or any other; a month without a row is added up
// again, and stored, when it is next asked for.
//
// A month is the first seven characters of the stored date ("2008-03"); an entry whose
// date is shorter, empty or missing is counted under that shorter text (the empty text
// for no date at all), so that every entry counts exactly once.
class MonthTotals {
public:
    explicit MonthTotals(DataFile &data) : data_(data) {}

    // Count and totals of every entry of the account set.
    LedgerTotals all(int accountSet);

private:
    DataFile &data_;
};
