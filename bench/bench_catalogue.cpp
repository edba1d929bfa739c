// SPDX-License-Identifier: GPL-3.0-or-later
// The catalogue manager on a catalogue of 1,000 nodes per tab.
#include "bench_data.h"

#include "catalogue/catalogue.h"
#include "catalogue/catalogue_manager.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTreeWidget>

namespace {

constexpr int PerTab = 1000;

// A program folder whose catalogue holds PerTab items (half under each root), payment
// methods, handlers and account sets besides the seed rows; made once, then kept.
QString catalogueFolder()
{
    return BenchData::generatedFolder(QStringLiteral("catalogue-%1").arg(PerTab), [&](DataFile &data) {
        DataFile::Transaction transaction(data);
        Statement insert = data.database().prepare(
            QStringLiteral("insert into mulu (key_1, parent, class, content) values (?, ?, ?, ?)"));
        for (int kind = Catalogue::Items; kind <= Catalogue::AccountSets; ++kind) {
            for (int i = 0; i < PerTab; ++i) {
                const QString parent = kind != Catalogue::Items ? QStringLiteral("0")
                                       : i % 2 == 0             ? Catalogue::incomeRootKey()
                                                                : Catalogue::expenseRootKey();
                insert.reset();
                insert.bindAll({QStringLiteral("%1bench%2_%3").arg(Catalogue::keyPrefix(kind)).arg(kind).arg(i), parent,
                                Catalogue::classText(kind),
                                QStringLiteral("%1 %2").arg(Catalogue::classText(kind)).arg(i + 1, 4, 10, QLatin1Char('0'))});
                insert.run();
            }
        }
        transaction.commit();
    });
}

BenchData::BenchContext &context()
{
    static BenchData::BenchContext context(catalogueFolder());
    return context;
}

// The four statements behind the trees, stepped over every row with every column read.
void BareStatementFourLists(benchmark::State &state)
{
    DataFile &data = context().data;
    for (auto _ : state) {
        size_t rows = 0, bytes = 0;
        for (int kind = Catalogue::Items; kind <= Catalogue::AccountSets; ++kind) {
            Statement st = data.query(
                QStringLiteral("select id, key_1, parent, content from mulu where class=? order by id asc"),
                {Catalogue::classText(kind)});
            while (st.step()) {
                for (int c = 1; c < 4; ++c)
                    bytes += st.utf8(c).size();
                ++rows;
            }
        }
        benchmark::DoNotOptimize(bytes);
        state.counters["rows"] = double(rows);
    }
}

// Opening the window: building it with its four trees, showing it and painting it once.
void OpenCatalogueManager(benchmark::State &state)
{
    int nodes = 0;
    for (auto _ : state) {
        CatalogueManager manager(context().context);
        manager.show();
        QCoreApplication::processEvents();
        nodes = 0;
        for (int i = 0; i < 4; ++i)
            nodes += manager.tree(i)->topLevelItemCount() +
                     (i == 0 ? manager.tree(0)->topLevelItem(0)->childCount() +
                                   manager.tree(0)->topLevelItem(1)->childCount()
                             : 0);
    }
    state.counters["nodes"] = nodes;
}

// Rebuilding the four trees of an open window, as after an add or a delete.
void LoadTreeView(benchmark::State &state)
{
    CatalogueManager manager(context().context);
    manager.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        manager.LoadTreeView();
        QCoreApplication::processEvents();
    }
}

} // namespace

BENCHMARK(BareStatementFourLists)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(OpenCatalogueManager)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(LoadTreeView)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
