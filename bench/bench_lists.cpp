// SPDX-License-Identifier: GPL-3.0-or-later
// The entry list on demand, on two account sets of 100,000, 1,000,000 and 5,000,000 entries
// each: listing "全部记录", a month, scrolling to the last row, sorting, the quick filter and the memory
// the program holds, each beside the bare SQLite statements it rests on.
#include "bench_data.h"

#include "app/main_window.h"
#include "ledger/ledger_list_model.h"
#include "ledger/ledger_pane.h"
#include "ui/record_list.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>

#include <map>
#include <memory>

namespace {

struct Setup {
    explicit Setup(int perSet) : context(BenchData::ledgerFolder(2, perSet)), window(context.context)
    {
        window.resize(1100, 700);
        window.show();
        QCoreApplication::processEvents();
    }
    BenchData::BenchContext context;
    MainWindow window;
};

Setup &setup(benchmark::State &state)
{
    // Kept until the program ends, never destroyed: a window must go before the
    // application object does, and statics go after it.
    static auto *setups = new std::map<int, std::unique_ptr<Setup>>;
    const int perSet = int(state.range(0));
    auto &s = (*setups)[perSet];
    if (!s)
        s = std::make_unique<Setup>(perSet);
    return *s;
}

void settle() { QCoreApplication::processEvents(); }

void listAll(MainWindow &w)
{
    w.ledgerPane()->filterField()->clear();
    w.ledgerPane()->LoadData(QStringLiteral("0_"));
    settle();
}

// ---- bare statements

void BareFirstPage(benchmark::State &state)
{
    DataFile &data = setup(state).context.data;
    for (auto _ : state) {
        Statement st = data.query(QStringLiteral("select id, data, t1, t2, t3, t4, t5, content from jizhang indexed by "
                                                 "jizhang_muluID_data where muluID=? order by data desc, id desc "
                                                 "limit 256"),
                                  {BenchData::firstAccountSet()});
        int rows = 0;
        while (st.step())
            ++rows;
        benchmark::DoNotOptimize(rows);
    }
}

void BareCountAndTotals(benchmark::State &state)
{
    DataFile &data = setup(state).context.data;
    for (auto _ : state) {
        Statement st = data.query(QStringLiteral("select count(*), total(case when t1='收入' then t5 end), "
                                                 "total(case when t1<>'收入' then t5 end) from jizhang where muluID=?"),
                                  {BenchData::firstAccountSet()});
        st.step();
        benchmark::DoNotOptimize(st.integer(0));
    }
}

void BareSummaryWordScan(benchmark::State &state)
{
    DataFile &data = setup(state).context.data;
    for (auto _ : state) {
        Statement st = data.query(QStringLiteral("select count(*) from jizhang indexed by jizhang_muluID_data "
                                                 "where muluID=? and instr(content, ?) > 0"),
                                  {BenchData::firstAccountSet(), QStringLiteral("午饭")});
        st.step();
        benchmark::DoNotOptimize(st.integer(0));
    }
}

// A month's first screen and its count and totals.
void BareMonthNode(benchmark::State &state)
{
    DataFile &data = setup(state).context.data;
    const QVariantList month = {BenchData::firstAccountSet(), QStringLiteral("2020-06-01"), QStringLiteral("2020-07-01")};
    for (auto _ : state) {
        Statement page = data.query(QStringLiteral("select id, data, t1, t2, t3, t4, t5, content from jizhang where "
                                                   "muluID=? and data >= ? and data < ? order by data desc, id desc "
                                                   "limit 256"),
                                    month);
        int rows = 0;
        while (page.step())
            ++rows;
        Statement totals = data.query(QStringLiteral("select count(*), total(case when t1='收入' then t5 end), "
                                                     "total(case when t1<>'收入' then t5 end) from jizhang where "
                                                     "muluID=? and data >= ? and data < ?"),
                                      month);
        totals.step();
        benchmark::DoNotOptimize(rows + totals.integer(0));
    }
}

// ---- the window

void ListAllEntries(benchmark::State &state)
{
    MainWindow &w = setup(state).window;
    for (auto _ : state)
        listAll(w);
    state.counters["rows"] = w.ledgerPane()->entryList()->rowCount();
}

void MonthNode(benchmark::State &state)
{
    MainWindow &w = setup(state).window;
    for (auto _ : state) {
        w.ledgerPane()->LoadData(QStringLiteral("2020_6_"));
        settle();
    }
    state.counters["rows"] = w.ledgerPane()->entryList()->rowCount();
}

void ScrollToLastRow(benchmark::State &state)
{
    MainWindow &w = setup(state).window;
    listAll(w);
    QTableView *view = w.ledgerPane()->entryList()->detailsView();
    for (auto _ : state) {
        state.PauseTiming();
        view->scrollToTop();
        settle();
        state.ResumeTiming();
        view->scrollToBottom();
        settle();
    }
}

void SortByColumn(benchmark::State &state)
{
    MainWindow &w = setup(state).window;
    listAll(w);
    const int column = int(state.range(1));
    bool descending = false;
    for (auto _ : state) {
        w.ledgerPane()->entryList()->sortBy(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        settle();
        descending = !descending;
    }
    state.SetLabel(Ledger::columns()[column].title.toStdString());
}

void filterBy(benchmark::State &state, const QString &text)
{
    MainWindow &w = setup(state).window;
    LedgerPane &pane = *w.ledgerPane();
    listAll(w);
    for (auto _ : state) {
        state.PauseTiming();
        pane.filterField()->blockSignals(true);
        pane.filterField()->setText(text);
        pane.filterField()->blockSignals(false);
        state.ResumeTiming();
        pane.applyFilter();
        settle();
    }
    state.counters["rows"] = pane.entryList()->rowCount();
    pane.filterField()->clear();
}

void FilterSummaryWord(benchmark::State &state) { filterBy(state, QStringLiteral("午饭")); }
void FilterItemName(benchmark::State &state) { filterBy(state, QStringLiteral("餐饮")); }

// Until the filtered list is whole, with its final count and totals.
void FilterSummaryWordComplete(benchmark::State &state)
{
    MainWindow &w = setup(state).window;
    LedgerPane &pane = *w.ledgerPane();
    listAll(w);
    for (auto _ : state) {
        state.PauseTiming();
        pane.filterField()->blockSignals(true);
        pane.filterField()->setText(QStringLiteral("午饭"));
        pane.filterField()->blockSignals(false);
        state.ResumeTiming();
        pane.applyFilter();
        while (!pane.entries()->isComplete())
            QCoreApplication::processEvents();
        settle();
    }
    state.counters["rows"] = pane.entryList()->rowCount();
    pane.filterField()->clear();
}

// Resident memory of the whole process with "全部记录" listed and a few screens scrolled.
void MemoryWithAllListed(benchmark::State &state)
{
    MainWindow &w = setup(state).window;
    for (auto _ : state) {
        listAll(w);
        QScrollBar *bar = w.ledgerPane()->entryList()->detailsView()->verticalScrollBar();
        for (int i = 0; i <= 10; ++i) {
            bar->setValue(bar->maximum() / 10 * i);
            settle();
        }
    }
    state.counters["resident_MB"] = double(BenchData::residentBytes()) / (1024 * 1024);
}

} // namespace

#define SIZES ->Arg(100000)->Arg(1000000)->Arg(5000000)->Unit(benchmark::kMillisecond)
BENCHMARK(BareFirstPage) SIZES;
BENCHMARK(BareCountAndTotals) SIZES;
BENCHMARK(BareSummaryWordScan) SIZES;
BENCHMARK(BareMonthNode) SIZES;
BENCHMARK(ListAllEntries) SIZES;
BENCHMARK(MonthNode) SIZES;
BENCHMARK(ScrollToLastRow) SIZES;
BENCHMARK(SortByColumn)
    ->ArgsProduct({{100000, 1000000, 5000000}, {0, 2, 3, 4, 5, 6, 7}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(FilterSummaryWord) SIZES;
BENCHMARK(FilterItemName) SIZES;
BENCHMARK(FilterSummaryWordComplete) SIZES;
BENCHMARK(MemoryWithAllListed) SIZES->Iterations(1);
