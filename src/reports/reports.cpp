// SPDX-License-Identifier: GPL-3.0-or-later
#include "reports/reports.h"

#include "core/dates.h"
#include "ledger/month_totals.h"
#include "store/data_file.h"

#include <QHash>

#include <algorithm>
#include <limits>

namespace {

QDate firstOfMonth(const QDate &day) { return QDate(day.year(), day.month(), 1); }

QDate lastOfMonth(const QDate &day) { return firstOfMonth(day).addMonths(1).addDays(-1); }

// The item sums' key of a month: "2024-03".
QString monthKey(const QDate &month) { return month.toString(QStringLiteral("yyyy-MM")); }

// The month of a key; invalid for a key that is not exactly "yyyy-mm" of a month (the key
// '' of the entries of no month).
QDate monthOfKey(const QString &key)
{
    const std::optional<int> month = key.size() == 7 ? Dates::monthOf(key.toStdString()) : std::nullopt;
    return month ? QDate(Dates::yearOf(*month), Dates::monthOfYear(*month), 1) : QDate();
}

// Entries of one kind and item within some days (or a month): kind, item, count and exact total.
const QString CountEntries = QStringLiteral(
    "select t1 IS '收入', ifnull(t2, ''), count(*), money_total(t5) from jizhang indexed by jizhang_muluID_data "
    "where muluID=? and %1 group by 1, 2");

// The same for the entries filed under a month (its range of date texts), stored as its sums.
const QString StoreMonth = QStringLiteral(
    "insert into jizhang_items (muluID, month, income, item, entries, total) "
    "select ?, ?, t1 IS '收入', ifnull(t2, ''), count(*), money_total(t5) from jizhang indexed by jizhang_muluID_data "
    "where muluID=? and data >= ? and data < ? group by 3, 4");

QString groupedDigits(QStringView digits)
{
    QString out;
    out.reserve(digits.size() + digits.size() / 3);
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += u',';
        out += digits[i];
    }
    return out;
}

} // namespace

ReportPeriod Reports::thisMonth(const QDate &today) { return {firstOfMonth(today), lastOfMonth(today)}; }

ReportPeriod Reports::lastMonth(const QDate &today) { return thisMonth(firstOfMonth(today).addMonths(-1)); }

ReportPeriod Reports::thisYear(const QDate &today) { return {QDate(today.year(), 1, 1), QDate(today.year(), 12, 31)}; }

ReportPeriod Reports::lastYear(const QDate &today) { return thisYear(today.addYears(-1)); }

ReportPeriod Reports::wholeLedger(int accountSet, const QDate &today)
{
    QDate first, last;
    if (keepsItemSums() && refreshMonths(accountSet).isEmpty()) {
        // The first and the last month of the item sums.
        auto end = [&](const char *order) {
            Statement st = data_.query(
                QStringLiteral("select month from jizhang_items where muluID=? order by month %1 limit 1")
                    .arg(QLatin1String(order)),
                {accountSet});
            return st.step() ? monthOfKey(st.text(0)) : QDate();
        };
        first = end("asc");
        last = end("desc");
    } else {
        const std::vector<LedgerMonth> months = Ledger(data_).months(accountSet);
        if (!months.empty()) {
            first = QDate(months.front().year, months.front().month, 1);
            last = QDate(months.back().year, months.back().month, 1);
        }
    }
    if (!first.isValid() || !last.isValid())
        return thisYear(today);
    return {first, lastOfMonth(last)};
}

bool Reports::keepsItemSums()
{
    if (!keepsItemSums_) {
        Statement st = data_.query(
            QStringLiteral("select count(*) from sqlite_master where type='table' and name in "
                           "('jizhang_items', 'jizhang_items_stale')"));
        keepsItemSums_ = st.step() && st.integer(0) == 2;
    }
    return *keepsItemSums_;
}

void Reports::markEachMonth(int accountSet)
{
    // A mark without a month (a file that had entries before it kept sums) stands for
    // every month: each month that has entries is marked instead, found in the date index.
    if (data_.exec(QStringLiteral("delete from jizhang_items_stale where muluID=? and month is null"), {accountSet}) == 0)
        return;
    Statement mark = data_.query(QStringLiteral("insert into jizhang_items_stale (muluID, month) select ?1, ?2 "
                                                "where not exists (select 1 from jizhang_items_stale "
                                                "where muluID=?1 and month=?2)"));
    for (const QString &month : MonthTotals(data_).monthKeys(accountSet)) {
        mark.reset();
        mark.bindAll({accountSet, month});
        mark.run();
    }
}

std::vector<Reports::Stale> Reports::staleMonths(int accountSet, int most)
{
    markEachMonth(accountSet);
    std::vector<Stale> stale;
    Statement st = data_.query(QStringLiteral("select rowid, month from jizhang_items_stale where muluID=? "
                                              "order by rowid limit ?"),
                               {accountSet, most});
    while (st.step())
        stale.push_back({st.integer(0), st.text(1)});
    return stale;
}

QSet<QString> Reports::staleKeys(int accountSet)
{
    QSet<QString> months;
    Statement st = data_.query(QStringLiteral("select month from jizhang_items_stale where muluID=?"), {accountSet});
    while (st.step()) {
        if (!st.isNull(0)) {
            months.insert(st.text(0));
            continue;
        }
        for (const QString &month : MonthTotals(data_).monthKeys(accountSet))
            months.insert(month);
    }
    return months;
}

void Reports::recount(int accountSet, const std::vector<Stale> &stale)
{
    for (const Stale &s : stale) {
        data_.exec(QStringLiteral("delete from jizhang_items where muluID=? and month=?"), {accountSet, s.month});
        // Entries of no month (key '') have no sums.
        if (const QDate month = monthOfKey(s.month); month.isValid()) {
            const int index = Dates::monthIndex(month.year(), month.month());
            data_.exec(StoreMonth, {accountSet, s.month, accountSet, s.month, Dates::monthEnd(index)});
        }
        data_.exec(QStringLiteral("delete from jizhang_items_stale where rowid=?"), {s.rowid});
    }
}

int Reports::refreshSome(int accountSet, int most)
{
    if (!keepsItemSums())
        return 0;
    DataFile::Transaction transaction(data_);
    recount(accountSet, staleMonths(accountSet, most));
    int count = 0;
    {
        Statement left = data_.query(QStringLiteral("select count(*) from jizhang_items_stale where muluID=?"),
                                     {accountSet});
        count = left.step() ? int(left.integer(0)) : 0;
    }
    transaction.commit();
    return count;
}

QSet<QString> Reports::refreshMonths(int accountSet)
{
    if (!keepsItemSums())
        return {};
    {
        Statement any = data_.query(QStringLiteral("select 1 from jizhang_items_stale where muluID=? limit 1"),
                                    {accountSet});
        if (!any.step())
            return {};
    }
    // While a background build stores them, they are counted from the entries here.
    if (data_.sumsBuiltElsewhere())
        return staleKeys(accountSet);
    try {
        DataFile::Transaction transaction(data_);
        // As they are now that no one else can write.
        recount(accountSet, staleMonths(accountSet, std::numeric_limits<int>::max()));
        transaction.commit();
        return {};
    } catch (const StoreError &) {
        // Not written (a read-only file, another program writing): counted from the entries.
        return staleKeys(accountSet);
    }
}

void Reports::countEntries(int accountSet, const ReportPeriod &days, std::vector<Cell> &cells)
{
    // A whole month is the entries filed under it, as in its kept sums and the ledger's
    // month node; part of a month is the days between, as the search finds them.
    const int month = Dates::monthIndex(days.from.year(), days.from.month());
    const bool whole = days.from.day() == 1 && days.to == lastOfMonth(days.from);
    Statement st = whole ? data_.query(CountEntries.arg(QStringLiteral("data >= ? and data < ?")),
                                       {accountSet, Dates::monthKey(month), Dates::monthEnd(month)})
                         : data_.query(CountEntries.arg(QStringLiteral("data between ? and ?")),
                                       {accountSet, Dates::storedDate(days.from), Dates::storedDate(days.to)});
    while (st.step())
        cells.push_back({firstOfMonth(days.from), st.text(1), st.integer(0) != 0, st.integer(2),
                         Money::fromStored(st.utf8(3)).value_or(Money())});
}

std::vector<Reports::Cell> Reports::cells(int accountSet, const ReportPeriod &period, Grouping grouping,
                                          std::optional<bool> income)
{
    std::vector<Cell> result;
    if (!period.from.isValid() || !period.to.isValid() || period.from > period.to)
        return result;
    const bool sums = keepsItemSums();
    // Months still stale (the file could not be written) are counted from their entries.
    const QSet<QString> stale = sums ? refreshMonths(accountSet) : QSet<QString>();

    // The months the period covers from their first to their last day.
    const QDate firstMonth = firstOfMonth(period.from);
    const QDate lastMonth = firstOfMonth(period.to);
    const QDate firstWhole = period.from.day() == 1 ? firstMonth : firstMonth.addMonths(1);
    const QDate lastWhole = period.to == lastOfMonth(period.to) ? lastMonth : lastMonth.addMonths(-1);
    if (sums && firstWhole <= lastWhole) {
        const QString key = grouping == Grouping::Item    ? QStringLiteral("item")
                            : grouping == Grouping::Month ? QStringLiteral("month")
                                                          : QStringLiteral("substr(month, 1, 4)");
        // Months that stayed stale are left out here and counted from their entries below.
        QString sql = QStringLiteral("select %1, income, sum(entries), money_total(total) from jizhang_items "
                                     "where muluID=? and month between ? and ? and income in (?, ?)")
                          .arg(key);
        QVariantList values{accountSet, monthKey(firstWhole), monthKey(lastWhole), income.value_or(false) ? 1 : 0,
                            income.value_or(true) ? 1 : 0};
        if (!stale.isEmpty()) {
            // The very months counted below, not the marks as they are now: a build beside
            // the window may store some meanwhile. One value, however many months.
            const QStringList months(stale.begin(), stale.end());
            sql += QStringLiteral(" and instr(?, '|' || month || '|') = 0");
            values << u'|' + months.join(u'|') + u'|';
        }
        Statement st = data_.query(sql + QStringLiteral(" group by 1, 2"), values);
        while (st.step()) {
            Cell cell{QDate(), QString(), st.integer(1) != 0, st.integer(2),
                      Money::fromStored(st.utf8(3)).value_or(Money())};
            if (grouping == Grouping::Item)
                cell.item = st.text(0);
            else if (grouping == Grouping::Month)
                cell.month = monthOfKey(st.text(0));
            else
                cell.month = QDate(int(st.integer(0)), 1, 1);
            result.push_back(cell);
        }
    }
    // The rest from the entries: the months at either end that the period covers in part,
    // and stale months (or every month, without the sums).
    std::vector<QDate> toCount;
    if (!sums) {
        for (QDate month = firstMonth; month <= lastMonth; month = month.addMonths(1))
            toCount.push_back(month);
    } else {
        const bool firstInPart = firstMonth < firstWhole;
        if (firstInPart)
            toCount.push_back(firstMonth);
        for (const QString &key : stale)
            if (const QDate month = monthOfKey(key); month.isValid() && month >= firstWhole && month <= lastWhole)
                toCount.push_back(month);
        if (lastMonth > lastWhole && !(firstInPart && lastMonth == firstMonth))
            toCount.push_back(lastMonth);
    }
    for (const QDate &month : toCount)
        countEntries(accountSet, {std::max(period.from, month), std::min(period.to, lastOfMonth(month))}, result);
    return result;
}

FinanceFigures Reports::financeFigures(int accountSet)
{
    if (!keepsItemSums())
        return Ledger(data_).financeSummary(accountSet);
    const QSet<QString> stale = refreshMonths(accountSet);
    FinanceFigures figures;
    auto add = [&](bool income, qint64 count, const Money &total) {
        (income ? figures.incomeCount : figures.expenseCount) += count;
        (income ? figures.income : figures.expense) += total;
    };
    // The kept months but those counted below: a build beside the window may store some
    // of the stale ones meanwhile.
    Statement kept = data_.query(QStringLiteral("select month, income, sum(entries), money_total(total) "
                                                "from jizhang_items where muluID=? group by 1, 2"),
                                 {accountSet});
    while (kept.step())
        if (!stale.contains(kept.text(0)))
            add(kept.integer(1) != 0, kept.integer(2), Money::fromStored(kept.utf8(3)).value_or(Money()));
    // The rest from the entries: stale months, texts of no month, no date, numbers, blobs.
    std::vector<DateSpan> rest;
    for (const DateSpan &span : MonthTotals(data_).spans(accountSet))
        if (span.month < 0 || stale.contains(Dates::monthKey(span.month)))
            rest.push_back(span);
    for (const SqlCondition &part : MonthTotals::parts(rest)) {
        Statement st = data_.query(QStringLiteral("select t1 IS '收入', count(*), money_total(t5) from jizhang "
                                                  "indexed by jizhang_muluID_data where muluID=? and %1 group by 1")
                                       .arg(part.text),
                                   QVariantList{accountSet} + part.values);
        while (st.step())
            add(st.integer(0) != 0, st.integer(1), Money::fromStored(st.utf8(2)).value_or(Money()));
    }
    return figures;
}

ItemReport Reports::byItem(int accountSet, const ReportPeriod &period, bool income)
{
    ItemReport report;
    report.period = period;
    report.income = income;
    QHash<QString, size_t> lineOf;
    for (const Cell &cell : cells(accountSet, period, Grouping::Item, income)) {
        if (cell.income != income)
            continue;
        auto found = lineOf.constFind(cell.item);
        if (found == lineOf.constEnd()) {
            found = lineOf.insert(cell.item, report.lines.size());
            report.lines.push_back({cell.item, 0, Money()});
        }
        ItemLine &line = report.lines[*found];
        line.count += cell.count;
        line.amount += cell.total;
        report.count += cell.count;
        report.total += cell.total;
    }
    std::sort(report.lines.begin(), report.lines.end(), [](const ItemLine &a, const ItemLine &b) {
        if (a.amount != b.amount)
            return a.amount > b.amount;
        if (a.count != b.count)
            return a.count > b.count;
        return a.item < b.item;
    });
    return report;
}

PeriodReport Reports::byMonth(int accountSet, const ReportPeriod &period)
{
    PeriodReport report;
    report.total.days = period;
    if (!period.from.isValid() || !period.to.isValid() || period.from > period.to)
        return report;
    const QDate firstMonth = firstOfMonth(period.from);
    for (QDate month = firstMonth; month <= period.to; month = month.addMonths(1))
        report.lines.push_back({{std::max(period.from, month), std::min(period.to, lastOfMonth(month))}, 0, {}, {}});
    auto indexOf = [&](const QDate &month) {
        return size_t((month.year() - firstMonth.year()) * 12 + month.month() - firstMonth.month());
    };
    for (const Cell &cell : cells(accountSet, period, Grouping::Month)) {
        PeriodLine &line = report.lines[indexOf(cell.month)];
        line.count += cell.count;
        (cell.income ? line.income : line.expense) += cell.total;
        report.total.count += cell.count;
        (cell.income ? report.total.income : report.total.expense) += cell.total;
    }
    return report;
}

PeriodReport Reports::byYear(int accountSet)
{
    const ReportPeriod whole = wholeLedger(accountSet, QDate::currentDate());
    PeriodReport report;
    report.years = true;
    const int firstYear = whole.from.year();
    report.total.days = {QDate(firstYear, 1, 1), QDate(whole.to.year(), 12, 31)};
    for (int year = firstYear; year <= whole.to.year(); ++year)
        report.lines.push_back({{QDate(year, 1, 1), QDate(year, 12, 31)}, 0, {}, {}});
    for (const Cell &cell : cells(accountSet, whole, Grouping::Year)) {
        PeriodLine &line = report.lines[size_t(cell.month.year() - firstYear)];
        line.count += cell.count;
        (cell.income ? line.income : line.expense) += cell.total;
        report.total.count += cell.count;
        (cell.income ? report.total.income : report.total.expense) += cell.total;
    }
    return report;
}

std::vector<ReportSlice> Reports::slices(const ItemReport &report, int largest)
{
    std::vector<const ItemLine *> positive;
    Money whole;
    for (const ItemLine &line : report.lines)
        if (line.amount > Money()) {
            positive.push_back(&line);
            whole += line.amount;
        }
    // Largest first (as the report lists them); a slice beyond the largest few, or under
    // a few percent of the donut, is too thin to be labelled or told apart.
    auto thin = [&](size_t i) {
        return int(i) >= largest || positive[i]->amount.units() * 100 < whole.units() * SmallSlicePercent;
    };
    size_t thinCount = 0;
    for (size_t i = 0; i < positive.size(); ++i)
        thinCount += thin(i) ? 1 : 0;
    std::vector<ReportSlice> result;
    std::optional<ReportSlice> others;
    for (size_t i = 0; i < positive.size(); ++i) {
        const ItemLine &line = *positive[i];
        if (thinCount >= 2 && thin(i)) {
            if (!others)
                others = ReportSlice{QStringLiteral("其他"), QString(), true, Money(), QString()};
            others->amount += line.amount;
            continue;
        }
        result.push_back({itemCaption(line.item), line.item, false, line.amount, QString()});
    }
    if (others)
        result.push_back(*others);
    for (ReportSlice &slice : result)
        slice.share = shareText(slice.amount, report.total);
    return result;
}

ReportTable Reports::itemTable(const ItemReport &report)
{
    ReportTable table;
    table.title = QStringLiteral("按项目（%1）：%2 至 %3")
                      .arg(report.income ? QStringLiteral("收入") : QStringLiteral("支出"),
                           Dates::storedDate(report.period.from), Dates::storedDate(report.period.to));
    table.headers = {QStringLiteral("项目"), QStringLiteral("笔数"), QStringLiteral("金额"), QStringLiteral("占比")};
    for (const ItemLine &line : report.lines)
        table.rows.push_back({{itemCaption(line.item), {}},
                              {QString::number(line.count), {}},
                              {amountText(line.amount), line.amount},
                              {shareText(line.amount, report.total), {}}});
    table.rows.push_back({{QStringLiteral("合计"), {}},
                          {QString::number(report.count), {}},
                          {amountText(report.total), report.total},
                          {shareText(report.total, report.total), {}}});
    return table;
}

ReportTable Reports::periodTable(const PeriodReport &report)
{
    ReportTable table;
    const ReportPeriod &all = report.total.days;
    table.title = (report.years ? QStringLiteral("按年份：%1 至 %2") : QStringLiteral("按月份：%1 至 %2"))
                      .arg(Dates::storedDate(all.from), Dates::storedDate(all.to));
    table.headers = {report.years ? QStringLiteral("年份") : QStringLiteral("月份"), QStringLiteral("收入"),
                     QStringLiteral("支出"), QStringLiteral("结余")};
    auto row = [](const QString &caption, const PeriodLine &line) {
        return std::vector<ReportCell>{{caption, {}},
                                       {amountText(line.income), line.income},
                                       {amountText(line.expense), line.expense},
                                       {amountText(line.balance()), line.balance()}};
    };
    for (const PeriodLine &line : report.lines)
        table.rows.push_back(row(report.years ? yearCaption(line.days.from.year()) : monthCaption(line.days.from), line));
    table.rows.push_back(row(QStringLiteral("合计"), report.total));
    return table;
}

SearchRequest Reports::search(const ReportPeriod &days)
{
    SearchRequest request;
    request.byDate = true;
    request.from = days.from;
    request.to = days.to;
    return request;
}

SearchRequest Reports::search(const ReportPeriod &days, const QString &item, bool income)
{
    SearchRequest request = search(days);
    (income ? request.byIncomeItem : request.byExpenseItem) = true;
    (income ? request.incomeItem : request.expenseItem) = item;
    return request;
}

QString Reports::itemCaption(const QString &item) { return item.isEmpty() ? QStringLiteral("（无项目）") : item; }

QString Reports::monthCaption(const QDate &month) { return month.toString(QStringLiteral("yyyy年MM月")); }

QString Reports::yearCaption(int year) { return QStringLiteral("%1年").arg(year); }

QString Reports::amountText(const Money &amount)
{
    const QString exact = amount.exact();
    QStringView digits(exact);
    const bool negative = digits.startsWith(u'-');
    if (negative)
        digits = digits.mid(1);
    const qsizetype point = digits.indexOf(u'.');
    QString fraction = point < 0 ? QString() : digits.mid(point + 1).toString();
    while (fraction.size() < 2)
        fraction += u'0';
    return (negative ? QStringLiteral("-") : QString()) + groupedDigits(point < 0 ? digits : digits.left(point)) +
           u'.' + fraction;
}

QString Reports::shareText(const Money &part, const Money &whole)
{
    using Units = Money::Units;
    Units p = part.units();
    Units w = whole.units();
    if (w <= 0)
        return QString();
    // Tenths of a percent, rounded half away from zero; far beyond any real ledger the
    // figures lose digits before they could overflow.
    constexpr Units limit = std::numeric_limits<Units>::max() / 4000;
    while (p > limit || p < -limit || w > limit) {
        p /= 10;
        w /= 10;
    }
    if (w == 0)
        return QString();
    const Units twice = 2 * p * 1000;
    Units tenths = (twice + (p < 0 ? -w : w)) / (2 * w);
    const bool negative = tenths < 0;
    if (negative)
        tenths = -tenths;
    return (negative ? QStringLiteral("-") : QString()) + QString::number(qint64(tenths / 10)) + u'.' +
           QString::number(qint64(tenths % 10)) + u'%';
}
