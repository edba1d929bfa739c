// SPDX-License-Identifier: GPL-3.0-or-later
// The ledger view on two account sets of 100,000 (or, with argument 1000000, 1,000,000)
// entries each over ten years.
#include "bench_data.h"

#include "app/main_window.h"
#include "ledger/ledger.h"
#include "ledger/ledger_pane.h"
#include "ui/record_list.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <map>
#include <memory>

namespace {

constexpr int PerSet = 100000;

struct Setup {
    explicit Setup(int perSet) : context(BenchData::ledgerFolder(2, perSet)) {}
    BenchData::BenchContext context;
    MainWindow *window = nullptr;  // kept to the end of the process, as the application keeps it
};

Setup &setup(int perSet)
{
    static auto *setups = new std::map<int, std::unique_ptr<Setup>>;
    std::unique_ptr<Setup> &s = (*setups)[perSet];
    if (!s) {
        s = std::make_unique<Setup>(perSet);
        s->window = new MainWindow(s->context.context);
    }
    return *s;
}

BenchData::BenchContext &context(int perSet = PerSet) { return setup(perSet).context; }

MainWindow &window(const benchmark::State &state) { return *setup(int(state.range(0))).window; }

// The statement behind "全部记录", stepped over every row with every column read.
void BareStatementAllEntries(benchmark::State &state)
{
    DataFile &data = context(int(state.range(0))).data;
    const int set = BenchData::firstAccountSet();
    for (auto _ : state) {
        Statement st = data.query(QStringLiteral("select id, data, t1, t2, t3, t4, t5, content from jizhang "
                                                 "where muluID=? order by data desc, id desc"),
                                  {set});
        size_t rows = 0, bytes = 0;
        while (st.step()) {
            for (int c = 0; c < 8; ++c)
                bytes += st.utf8(c).size();
            ++rows;
        }
        benchmark::DoNotOptimize(bytes);
        state.counters["rows"] = double(rows);
    }
}

void LoadDataAllEntries(benchmark::State &state)
{
    MainWindow &w = window(state);
    for (auto _ : state)
        w.ledgerPane()->LoadData(QStringLiteral("0_"));
    state.counters["rows"] = w.ledgerPane()->entryList()->rowCount();
}

void LoadDataNewestHundred(benchmark::State &state)
{
    MainWindow &w = window(state);
    for (auto _ : state)
        w.ledgerPane()->LoadData(QStringLiteral("100"));
    state.counters["rows"] = w.ledgerPane()->entryList()->rowCount();
}

void LoadDataMonthNode(benchmark::State &state)
{
    MainWindow &w = window(state);
    for (auto _ : state)
        w.ledgerPane()->LoadData(QStringLiteral("2020_6_"));
    state.counters["rows"] = w.ledgerPane()->entryList()->rowCount();
}

void LoadTreeView(benchmark::State &state)
{
    MainWindow &w = window(state);
    for (auto _ : state)
        w.ledgerPane()->LoadTreeView();
}

// Memory the main window holds for 100,000 listed entries over an empty list, measured
// once with the file's pages still to read (cold) and once more with them cached (warm).
void MemoryOfListedEntries(benchmark::State &state)
{
    MainWindow &w = *setup(PerSet).window;
    LedgerPane &pane = *w.ledgerPane();
    w.show();
    double cold = 0, warm = 0;
    for (auto _ : state) {
        context().data.close();
        pane.LoadData(QStringLiteral("1900_"));
        QCoreApplication::processEvents();
        const double empty = double(BenchData::residentBytes());
        pane.LoadData(QStringLiteral("0_"));
        QCoreApplication::processEvents();
        cold = double(BenchData::residentBytes()) - empty;

        pane.LoadData(QStringLiteral("1900_"));
        QCoreApplication::processEvents();
        const double emptyWarm = double(BenchData::residentBytes());
        pane.LoadData(QStringLiteral("0_"));
        QCoreApplication::processEvents();
        warm = double(BenchData::residentBytes()) - emptyWarm;
    }
    state.counters["cold_MB"] = cold / (1024 * 1024);
    state.counters["warm_MB"] = warm / (1024 * 1024);
}

} // namespace

#define SIZES ->Arg(PerSet)->Arg(1000000)->Unit(benchmark::kMillisecond)
BENCHMARK(BareStatementAllEntries) SIZES;
BENCHMARK(LoadDataAllEntries) SIZES;
BENCHMARK(LoadDataNewestHundred) SIZES;
BENCHMARK(LoadDataMonthNode) SIZES;
BENCHMARK(LoadTreeView) SIZES;
BENCHMARK(MemoryOfListedEntries)->Unit(benchmark::kMillisecond)->Iterations(1);
