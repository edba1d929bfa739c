// SPDX-License-Identifier: GPL-3.0-or-later
// The reports on two account sets of 1,000,000 entries each (--per-set), 2015 to 2024, for the period
// "全部": each tab beside the bare SQLite aggregate over the entries and over the sums by
// month and item; the window's period and tab switches, painted; what keeping those sums
// costs.
#include "bench_data.h"
#include "no_view.h"

#include "accounts/accounts.h"
#include "reports/report_window.h"
#include "reports/reports.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QPixmap>

namespace {


BenchData::BenchContext &context()
{
    static BenchData::BenchContext context(BenchData::ledgerFolder(2, BenchData::perSet(1000000)));
    return context;
}

int set() { return BenchData::firstAccountSet(); }

// Steps a statement over every row, reading every column.
void stepAll(const QString &sql)
{
    Statement st = context().data.query(sql, {set()});
    size_t bytes = 0;
    while (st.step())
        for (int c = 0; c < st.columnCount(); ++c)
            bytes += st.utf8(c).size();
    benchmark::DoNotOptimize(bytes);
}

ReportPeriod whole() { return Reports(context().data).wholeLedger(set(), QDate::currentDate()); }

// Opening the data file; a file made before the item sums gets them here, every month
// stale (counted by CountAllMonthsAgain below).
void OpenDataFile(benchmark::State &state)
{
    for (auto _ : state)
        context();
}

// ---- bare aggregates over the entries, as SQLite plans them

void BareItemsOverEntries(benchmark::State &state)
{
    for (auto _ : state)
        stepAll(QStringLiteral("select t2, count(*), money_total(t5) from jizhang where muluID=? and t1 IS NOT '收入' "
                               "group by t2"));
}

void BareMonthsOverEntries(benchmark::State &state)
{
    for (auto _ : state)
        stepAll(QStringLiteral("select substr(data, 1, 7), count(*), money_total(case when t1 IS '收入' then t5 end), "
                               "money_total(case when t1 IS NOT '收入' then t5 end) from jizhang where muluID=? "
                               "group by 1"));
}

void BareYearsOverEntries(benchmark::State &state)
{
    for (auto _ : state)
        stepAll(QStringLiteral("select substr(data, 1, 4), count(*), money_total(case when t1 IS '收入' then t5 end), "
                               "money_total(case when t1 IS NOT '收入' then t5 end) from jizhang where muluID=? "
                               "group by 1"));
}

// ---- bare aggregates over the item sums (counted first, as the reports count them)

void countStaleMonths() { Reports(context().data).refreshMonths(set()); }

void BareItemsOverItemSums(benchmark::State &state)
{
    countStaleMonths();
    for (auto _ : state)
        stepAll(QStringLiteral("select item, sum(entries), money_total(total) from jizhang_items "
                               "where muluID=? and income=0 group by item"));
}

void BareMonthsOverItemSums(benchmark::State &state)
{
    countStaleMonths();
    for (auto _ : state)
        stepAll(QStringLiteral("select month, sum(entries), money_total(case when income then total end), "
                               "money_total(case when not income then total end) from jizhang_items "
                               "where muluID=? group by month"));
}

void BareYearsOverItemSums(benchmark::State &state)
{
    countStaleMonths();
    for (auto _ : state)
        stepAll(QStringLiteral("select substr(month, 1, 4), sum(entries), money_total(case when income then total end), "
                               "money_total(case when not income then total end) from jizhang_items "
                               "where muluID=? group by 1"));
}

// ---- the reports' figures for "全部" (the years always cover every entry)

void ReportItems(benchmark::State &state)
{
    Reports reports(context().data);
    const ReportPeriod all = whole();
    size_t lines = 0;
    for (auto _ : state)
        lines = reports.byItem(set(), all, false).lines.size();
    state.counters["lines"] = double(lines);
}

void ReportMonths(benchmark::State &state)
{
    Reports reports(context().data);
    const ReportPeriod all = whole();
    size_t lines = 0;
    for (auto _ : state)
        lines = reports.byMonth(set(), all).lines.size();
    state.counters["lines"] = double(lines);
}

// The period "全部" itself: the first and the last month with entries.
void ReportWholeLedger(benchmark::State &state)
{
    Reports reports(context().data);
    for (auto _ : state)
        benchmark::DoNotOptimize(reports.wholeLedger(set(), QDate::currentDate()));
}

void ReportYears(benchmark::State &state)
{
    Reports reports(context().data);
    size_t lines = 0;
    for (auto _ : state)
        lines = reports.byYear(set()).lines.size();
    state.counters["lines"] = double(lines);
}

// ---- each account's balance (the payment methods of the catalogue), beside the bare sum
// of its entries over their index

void BareAccountSums(benchmark::State &state)
{
    const std::vector<Account> accounts = Accounts(context().data).all(set());
    const QString name = accounts.at(size_t(state.range(0))).name;
    for (auto _ : state) {
        Statement st = context().data.query(
            QStringLiteral("select money_total(case when t1 IS '收入' then t5 end), money_total(case when t1 IS NOT "
                           "'收入' then t5 end) from jizhang where muluID=? and t3=?"),
            {set(), name});
        st.step();
        benchmark::DoNotOptimize(st.utf8(0));
    }
    state.SetLabel(name.toStdString());
}

void OneAccountBalance(benchmark::State &state)
{
    Accounts accounts(context().data);
    const Account account = accounts.all(set()).at(size_t(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(accounts.balance(set(), account, QDate::currentDate()));
    state.SetLabel(account.name.toStdString());
}

// ---- the window: choosing "全部" on a tab, and switching to a tab, until painted

void paint(ReportWindow &window)
{
    QCoreApplication::processEvents();
    benchmark::DoNotOptimize(window.grab());
}

void WindowAllOnTab(benchmark::State &state)
{
    NoView view;
    ReportWindow window(context().context, view);
    window.show();
    window.showTab(ReportWindow::Tab(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        window.choosePeriod(QStringLiteral("本月"));
        paint(window);
        state.ResumeTiming();
        window.choosePeriod(QStringLiteral("全部"));
        paint(window);
    }
}

void WindowSwitchToTab(benchmark::State &state)
{
    NoView view;
    for (auto _ : state) {
        state.PauseTiming();
        {
            ReportWindow window(context().context, view);
            window.show();
            window.setPeriod(whole());
            paint(window);
            state.ResumeTiming();
            window.showTab(ReportWindow::Tab(state.range(0)));
            paint(window);
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
}

// ---- what keeping the item sums costs

// After an entry changed: its month is counted again and stored (one write).
void ReportItemsAfterAnEdit(benchmark::State &state)
{
    Reports reports(context().data);
    const ReportPeriod all = whole();
    reports.byItem(set(), all, false);
    Statement st = context().data.query(
        QStringLiteral("select id, t5 from jizhang where muluID=? and data >= '2020-06-01' limit 1"), {set()});
    st.step();
    const qint64 id = st.integer(0);
    const QString amount = st.text(1);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        context().data.exec(QStringLiteral("update jizhang set t5=? where id=?"),
                            {QString::number(++round % 2 ? 1 : 2), id});
        state.ResumeTiming();
        benchmark::DoNotOptimize(reports.byItem(set(), all, false).total);
    }
    context().data.exec(QStringLiteral("update jizhang set t5=? where id=?"), {amount, id});
    reports.refreshMonths(set());
}

// Every month of the account set stale (as after opening a file made before the sums).
void CountAllMonthsAgain(benchmark::State &state)
{
    Reports reports(context().data);
    for (auto _ : state) {
        state.PauseTiming();
        context().data.exec(QStringLiteral("insert into jizhang_items_stale (muluID, month) "
                                           "select distinct muluID, month from jizhang_items where muluID=?"),
                            {set()});
        state.ResumeTiming();
        reports.refreshMonths(set());
    }
}

// 10,000 entries added in one transaction, with and without the triggers that mark
// their months stale (rolled back afterwards).
void StoreEntries(benchmark::State &state)
{
    const bool triggers = state.range(0) != 0;
    DataFile &data = context().data;
    for (auto _ : state) {
        state.PauseTiming();
        data.database().execute(QStringLiteral("BEGIN IMMEDIATE"));
        if (!triggers)
            data.database().execute(QStringLiteral("DROP TRIGGER jizhang_items_insert"));
        Statement insert = data.query(QStringLiteral(
            "insert into jizhang (data, t1, t2, t3, t4, t5, content, muluID) values (?, '支出', '餐饮', '现金', '本人', ?, '午饭', ?)"));
        state.ResumeTiming();
        for (int i = 0; i < 10000; ++i) {
            insert.reset();
            insert.bindAll({QDate(2025, 1 + i % 12, 1 + i % 28).toString(QStringLiteral("yyyy-MM-dd")),
                            QString::number(10 + i % 500), set()});
            insert.run();
        }
        state.PauseTiming();
        data.database().execute(QStringLiteral("ROLLBACK"));
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(OpenDataFile)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BareItemsOverEntries)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BareMonthsOverEntries)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BareYearsOverEntries)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BareItemsOverItemSums)->Unit(benchmark::kMillisecond);
BENCHMARK(BareMonthsOverItemSums)->Unit(benchmark::kMillisecond);
BENCHMARK(BareYearsOverItemSums)->Unit(benchmark::kMillisecond);
BENCHMARK(ReportItems)->Unit(benchmark::kMillisecond);
BENCHMARK(ReportMonths)->Unit(benchmark::kMillisecond);
BENCHMARK(ReportYears)->Unit(benchmark::kMillisecond);
BENCHMARK(ReportWholeLedger)->Unit(benchmark::kMillisecond);
BENCHMARK(BareAccountSums)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(OneAccountBalance)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(WindowAllOnTab)->Arg(ReportWindow::ByItem)->Arg(ReportWindow::ByMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(WindowSwitchToTab)->Arg(ReportWindow::ByMonth)->Arg(ReportWindow::ByYear)->Unit(benchmark::kMillisecond);
BENCHMARK(ReportItemsAfterAnEdit)->Unit(benchmark::kMillisecond);
BENCHMARK(CountAllMonthsAgain)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(StoreEntries)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
