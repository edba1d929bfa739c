// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/ledger.h"

#include <Qt>

#include <optional>
#include <vector>

class DataFile;

// Which entries a ledger list shows, and in what order: the entries of a tree node or the
// search panel's result, narrowed by the quick filter, sorted by a column or in the list's
// own order (a node's newest date first, a search's newest entry first).
struct EntryQuery {
    int accountSet = 0;
    QString nodeKey = QStringLiteral("0_");   // a tree key (see LedgerSpan); unused for a search
    std::optional<SearchRequest> search;      // the search panel's conditions
    QString filter;                           // text in the item, summary, method or handler
                                              // (within their first 1000 characters)
    int sortColumn = -1;                      // a column of Ledger::columns(); -1 the list's own order
    Qt::SortOrder sortOrder = Qt::AscendingOrder;
};

// The entries of a query, read on demand: the count and the totals when the list is made,
// rows by position as they are asked for.
//
// "全部记录" without a filter is read in pages from the index of its order (the next page
// continues after the last key read, and a jump far away starts from an offset within the
// index); its count and totals come from the month sums the data file keeps. Every other
// list reads its ids in order once, with the count and totals in the same pass, and then
// reads rows by id.
class EntryList {
public:
    // How a list that must be read whole is read: all at once when it is made, or (a
    // filtered list of all entries, in its own order) a month at a time, newest first,
    // through readMore(), so that its first rows can show at once.
    enum class Reading { AtOnce, Progressive };

    EntryList(DataFile &data, EntryQuery query, Reading reading = Reading::AtOnce);
    ~EntryList();
    EntryList(const EntryList &) = delete;
    EntryList &operator=(const EntryList &) = delete;

    const EntryQuery &query() const { return query_; }
    // Until the list is complete, count and totals are those of the rows read so far.
    bool isComplete() const { return pending_.empty(); }
    int count() const { return count_; }
    // Count and totals of the listed entries (exact).
    const LedgerTotals &totals() const { return totals_; }

    // The entries at positions [first, first + n), in the list's order.
    std::vector<LedgerEntry> entries(int first, int n);
    // Every entry in the list's order, a page at a time; stops when `each` returns false.
    // Reads the rest of a list read progressively first.
    void forEach(const std::function<bool(const LedgerEntry &)> &each, int pageSize = 2000);

    // Rows read on, not yet part of the list.
    struct Batch {
        std::vector<qint64> ids;
        LedgerTotals totals;
    };
    // Reads on for about `milliseconds` (at least one month).
    Batch readMore(int milliseconds);
    // Adds the rows read to the end of the list.
    void append(const Batch &batch);
    void readAll();
    // Reads no further: the list is what has been read.
    void stopReading() { pending_.clear(); }

    // The list without the entry at `position` (after it was deleted), its totals less
    // that entry; false when no entry stands there.
    bool remove(int position, const LedgerEntry &entry);

    // The statement behind a list: its condition, the account set's included, with "?"
    // where values are bound, and its order (the sorted column, ties by id).
    static SqlCondition condition(const EntryQuery &query);
    static QString order(const EntryQuery &query);

    // The entry lists' columns that can be sorted (all but the hidden id).
    static bool isSortable(int column);

private:
    struct Segment;
    void readIds(const SqlCondition &part, Batch &batch);
    void makeSegments();
    std::vector<LedgerEntry> byIds(const std::vector<qint64> &ids);
    std::vector<LedgerEntry> fromSegment(Segment &segment, int first, int n);

    DataFile &data_;
    EntryQuery query_;
    int count_ = 0;
    LedgerTotals totals_;
    bool keyset_ = false;
    std::vector<qint64> ids_;           // the list's ids in order, unless read by keyset
    std::vector<SqlCondition> pending_; // parts still to read, the next one last
    std::vector<Segment> segments_;     // the parts a keyset list is read in, in order
};
