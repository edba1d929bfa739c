// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/money.h"
#include "ledger/ledger.h"

#include <QDate>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class DataFile;

// The days a report covers, both inclusive.
struct ReportPeriod {
    QDate from, to;
    bool operator==(const ReportPeriod &) const = default;
};

// One item of the report by item: its entries of the chosen kind in the period.
struct ItemLine {
    QString item;  // as stored; empty for entries without an item
    qint64 count = 0;
    Money amount;
};

// The report by item of one kind (income or expense), largest amount first.
struct ItemReport {
    ReportPeriod period;
    bool income = false;
    std::vector<ItemLine> lines;
    qint64 count = 0;
    Money total;
};

// One month or one year of the reports by month and by year.
struct PeriodLine {
    ReportPeriod days;  // the days of the month or year that the report covers
    qint64 count = 0;   // entries of either kind
    Money income, expense;
    Money balance() const { return income - expense; }
};

// Months of a period (or years of the whole ledger) in date order, each one there even
// without entries, and their total.
struct PeriodReport {
    bool years = false;
    std::vector<PeriodLine> lines;
    PeriodLine total;
};

// A slice of the donut: an item, or "其他" for the smallest items taken together.
struct ReportSlice {
    QString label;  // the item's caption, or "其他"
    QString item;   // the item as stored (for a search); empty for "其他"
    bool others = false;
    Money amount;
    QString share;  // "23.4%"
};

// One cell of a report table: the text it shows and, for an amount, the exact amount.
struct ReportCell {
    QString text;
    std::optional<Money> amount;
};

// A report table as plain data (for the window, for export and printing): the caption,
// column headers, and rows of cells; the last row is the total.
struct ReportTable {
    QString title;
    QStringList headers;
    std::vector<std::vector<ReportCell>> rows;
};

// The reports of an account set's ledger: by item, by month and by year. Every figure
// is exact and comes from SQL sums. An entry counts in the month whose first to last day
// its date lies in (compared as text "yyyy-mm-dd", as the search compares dates); an entry
// whose kind is not "收入" counts as expense; an amount that is not a number adds nothing.
//
// Whole months are read from the item sums the data file keeps (jizhang_items); a
// month that a write made stale is counted again from its entries and its sums stored.
// Months only partly inside a period, and every month of a file without the item sums,
// are counted from their entries.
class Reports {
public:
    explicit Reports(DataFile &data) : data_(data) {}

    // Quick choices of the period, for the day given as today.
    static ReportPeriod thisMonth(const QDate &today);
    static ReportPeriod lastMonth(const QDate &today);
    static ReportPeriod thisYear(const QDate &today);
    static ReportPeriod lastYear(const QDate &today);
    // "全部": the first day of the account set's first month with entries to the last day
    // of its last month; this year when it has no entries.
    ReportPeriod wholeLedger(int accountSet, const QDate &today);

    ItemReport byItem(int accountSet, const ReportPeriod &period, bool income);
    PeriodReport byMonth(int accountSet, const ReportPeriod &period);
    // Every year from the first to the last with entries.
    PeriodReport byYear(int accountSet);
    // 帐务统计: the count and total of every income and every expense of the account set,
    // from the kept month sums; months whose sums are stale, texts of no month and entries
    // without a text date are counted from the entries. The same figures as
    // Ledger::financeSummary, without reading every entry.
    FinanceFigures financeFigures(int accountSet);

    // The donut of a report by item: items with a positive amount, the largest first;
    // those beyond the eighth and those under SmallSlicePercent of the donut go together
    // as "其他", last (when there are two or more of them).
    static constexpr int SmallSlicePercent = 3;
    static std::vector<ReportSlice> slices(const ItemReport &report, int largest = 8);

    // The tables the window shows: 项目/笔数/金额/占比 and 月份 (or 年份)/收入/支出/结余,
    // each with its total row.
    static ReportTable itemTable(const ItemReport &report);
    static ReportTable periodTable(const PeriodReport &report);

    // The search that lists a line's entries: its days, and the item when there is one.
    static SearchRequest search(const ReportPeriod &days);
    static SearchRequest search(const ReportPeriod &days, const QString &item, bool income);

    // An item as a report shows it: "（无项目）" for an empty item.
    static QString itemCaption(const QString &item);
    // "2024年03月", "2024年".
    static QString monthCaption(const QDate &month);
    static QString yearCaption(int year);
    // Thousands grouped, at least two decimals and every further one the amount has:
    // "12,345.60", "-0.125", "0.00".
    static QString amountText(const Money &amount);
    // part / whole in percent with one decimal ("23.4%"); empty when whole is not positive.
    static QString shareText(const Money &part, const Money &whole);

    // Sums of the entries of a period by kind and by item, month or year.
    enum class Grouping { Item, Month, Year };
    struct Cell {
        QDate month;   // the first day of the month (of the year); invalid by item
        QString item;  // by item (may also be set by month)
        bool income = false;
        qint64 count = 0;
        Money total;
    };
    // The sums of the period's days (of one kind, or both): whole months from the month
    // sums grouped in SQL, the rest counted from the entries a month at a time.
    std::vector<Cell> cells(int accountSet, const ReportPeriod &period, Grouping grouping,
                            std::optional<bool> income = std::nullopt);

    // Counts the stale months of the account set again and stores their sums. Returns
    // the months ("yyyy-mm") that are still stale: all of them when the file could not be
    // written (read-only, busy) or a background build stores them, so that they are
    // counted from the entries instead.
    QSet<QString> refreshMonths(int accountSet);
    // Counts at most `most` stale months of the account set again, in one transaction of
    // their own; returns how many stay stale. Failures to write are thrown.
    int refreshSome(int accountSet, int most);
    // True when the data file keeps item sums (files made before them do not).
    bool keepsItemSums();

private:
    struct Stale {
        qint64 rowid;
        QString month;
    };
    // Inside a write transaction: a mark of every month of the account set becomes a mark
    // of each month that has entries.
    void markEachMonth(int accountSet);
    // The account set's stale months, at most `most` (inside a write transaction, after
    // markEachMonth).
    std::vector<Stale> staleMonths(int accountSet, int most);
    // The keys of the stale months as they are marked, a mark of every month read as each
    // month that has entries (nothing written).
    QSet<QString> staleKeys(int accountSet);
    // Stores their sums anew and drops their marks.
    void recount(int accountSet, const std::vector<Stale> &stale);
    void countEntries(int accountSet, const ReportPeriod &days, std::vector<Cell> &cells);

    DataFile &data_;
    std::optional<bool> keepsItemSums_;
};
