// SPDX-License-Identifier: GPL-3.0-or-later
// Export and print of a list of 100,000 entries, each beside the plain read of the same
// rows (EntryList::forEach) in the same run.
#include "bench_data.h"

#include "export/ledger_export.h"
#include "export/print_preview.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollArea>

namespace {

constexpr int Entries = 100000;

BenchData::BenchContext &context()
{
    static BenchData::BenchContext context(BenchData::ledgerFolder(1, Entries));
    return context;
}

EntryQuery allEntries()
{
    EntryQuery query;
    query.accountSet = BenchData::firstAccountSet();
    return query;
}

LedgerExport makeExport()
{
    return LedgerExport(context().data, allEntries(), QStringLiteral("默认账套"), QStringLiteral("当前：全部记录"));
}

QString outPath(const char *name) { return QDir(BenchData::folder()).filePath(QString::fromLatin1(name)); }

void reportFile(benchmark::State &state, const QString &path, int rows)
{
    state.counters["rows"] = rows;
    state.counters["MB"] = double(QFile(path).size()) / 1e6;
}

// The plain read: every entry of the list in its order, every field touched.
void PlainRead(benchmark::State &state)
{
    size_t bytes = 0;
    int rows = 0;
    for (auto _ : state) {
        EntryList list(context().data, allEntries());
        rows = 0;
        list.forEach([&](const LedgerEntry &e) {
            bytes += e.date.size() + e.item.size() + e.amount.size() + e.summary.size() + e.method.size() +
                     e.handler.size();
            ++rows;
            return true;
        });
    }
    benchmark::DoNotOptimize(bytes);
    state.counters["rows"] = rows;
}

void ExportCsv(benchmark::State &state)
{
    const QString path = outPath("export.csv");
    int rows = 0;
    for (auto _ : state)
        rows = makeExport().writeCsv(path).rows;
    reportFile(state, path, rows);
}

void ExportXlsx(benchmark::State &state)
{
    const QString path = outPath("export.xlsx");
    int rows = 0;
    for (auto _ : state)
        rows = makeExport().writeXlsx(path).rows;
    reportFile(state, path, rows);
}

void ExportPdf(benchmark::State &state)
{
    const QString path = outPath("export.pdf");
    int rows = 0;
    int pages = 0;
    for (auto _ : state) {
        LedgerExport list = makeExport();
        rows = list.writePdf(path).rows;
        pages = ReportPages(list, QDate::currentDate()).pageCount();
    }
    reportFile(state, path, rows);
    state.counters["pages"] = pages;
}

// From "打印" to the first page drawn in the preview window: the list's count and totals,
// the page layout, the window, the first page's rows and their drawing.
void PreviewFirstPage(benchmark::State &state)
{
    for (auto _ : state) {
        LedgerExport list = makeExport();
        PrintPreview preview(context().context, list, QStringLiteral("export.pdf"));
        preview.show();
        QWidget *page = preview.findChild<QScrollArea *>()->widget();
        page->grab();  // draws the page as the screen would
        benchmark::DoNotOptimize(page);
        state.PauseTiming();
        preview.close();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

// Paging on in an open preview: the next page's rows and drawing.
void PreviewNextPage(benchmark::State &state)
{
    LedgerExport list = makeExport();
    PrintPreview preview(context().context, list, QStringLiteral("export.pdf"));
    preview.show();
    QWidget *page = preview.findChild<QScrollArea *>()->widget();
    int next = 0;
    for (auto _ : state) {
        preview.showPage(++next);
        page->grab();
    }
    state.counters["pages"] = preview.pages().pageCount();
}

} // namespace

BENCHMARK(PlainRead)->Unit(benchmark::kMillisecond);
BENCHMARK(ExportCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(ExportXlsx)->Unit(benchmark::kMillisecond);
BENCHMARK(PreviewFirstPage)->Unit(benchmark::kMillisecond);
BENCHMARK(PreviewNextPage)->Unit(benchmark::kMillisecond);
BENCHMARK(ExportPdf)->Unit(benchmark::kMillisecond)->Iterations(1);
