// SPDX-License-Identifier: GPL-3.0-or-later
// The ledger's search, finance summary and batch import on two account sets of
// 1,000,000 entries each (--per-set), 2015 to 2024: each beside its bare SQLite statement.
#include "bench_data.h"

#include "app/main_window.h"
#include "fileimport/batch_import.h"
#include "ledger/ledger.h"
#include "ledger/ledger_pane.h"
#include "reports/finance_summary.h"
#include "ui/record_list.h"

#include <benchmark/benchmark.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>

namespace {

constexpr int PastedRows = 10000;

BenchData::BenchContext &context()
{
    static BenchData::BenchContext context(BenchData::ledgerFolder(2, BenchData::perSet(1000000)));
    return context;
}

MainWindow &window()
{
    static MainWindow *window = new MainWindow(context().context);
    return *window;
}

const QString SearchColumns =
    QStringLiteral("select id, data, t1, t2, t3, t4, t5, content from jizhang indexed by jizhang_muluID_data ");

// Steps a statement over every row, reading every column.
size_t stepAll(const QString &sql, const QVariantList &values)
{
    Statement st = context().data.query(sql, values);
    size_t rows = 0, bytes = 0;
    while (st.step()) {
        for (int c = 0; c < st.columnCount(); ++c)
            bytes += st.utf8(c).size();
        ++rows;
    }
    benchmark::DoNotOptimize(bytes);
    return rows;
}

void untickAll(MainWindow &w)
{
    for (int i = 1; i <= 6; ++i)
        w.findChild<QCheckBox *>(QStringLiteral("Check%1").arg(i))->setChecked(false);
}

// Opening the data file; the first open of a file made by an older version includes
// building the summary's index.
void OpenDataFile(benchmark::State &state)
{
    for (auto _ : state)
        context();
}

// ---- search by a word of the summary

void BareSearchSummaryWord(benchmark::State &state)
{
    size_t rows = 0;
    for (auto _ : state)
        rows = stepAll(SearchColumns + QStringLiteral("where  muluID=? and content like ? order by id desc"),
                       {BenchData::firstAccountSet(), QStringLiteral("%午饭%")});
    state.counters["rows"] = double(rows);
}

void SearchSummaryWord(benchmark::State &state)
{
    MainWindow &w = window();
    untickAll(w);
    w.findChild<QCheckBox *>(QStringLiteral("Check3"))->setChecked(true);
    w.findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("午饭"));
    for (auto _ : state)
        w.ledgerPane()->Search();
    state.counters["rows"] = w.ledgerPane()->searchList()->rowCount();
}

// ---- search by a date range of one year

void BareSearchOneYear(benchmark::State &state)
{
    size_t rows = 0;
    for (auto _ : state)
        rows = stepAll(SearchColumns + QStringLiteral("where  muluID=? and (data BETWEEN ? AND ?) order by id desc"),
                       {BenchData::firstAccountSet(), QStringLiteral("2020-01-01"), QStringLiteral("2020-12-31")});
    state.counters["rows"] = double(rows);
}

void SearchOneYear(benchmark::State &state)
{
    MainWindow &w = window();
    untickAll(w);
    w.findChild<QCheckBox *>(QStringLiteral("Check1"))->setChecked(true);
    w.findChild<QDateEdit *>(QStringLiteral("DTPicker1"))->setDate(QDate(2020, 1, 1));
    w.findChild<QDateEdit *>(QStringLiteral("DTPicker2"))->setDate(QDate(2020, 12, 31));
    for (auto _ : state)
        w.ledgerPane()->Search();
    state.counters["rows"] = w.ledgerPane()->searchList()->rowCount();
}

// ---- the finance summary

void BareSummaryAggregate(benchmark::State &state)
{
    for (auto _ : state) {
        Statement st = context().data.query(
            QStringLiteral("select t1, count(*), total(t5) from jizhang where muluID=? group by t1"),
            {BenchData::firstAccountSet()});
        double sum = 0;
        while (st.step())
            sum += st.real(2);
        benchmark::DoNotOptimize(sum);
    }
}

void FinanceSummaryWindow(benchmark::State &state)
{
    for (auto _ : state) {
        FinanceSummary summary(context().context, &window());
        benchmark::DoNotOptimize(&summary);
    }
}

// ---- the batch import

QString spreadsheetRows(int count)
{
    static const char *const items[] = {"餐饮", "交通", "购物", "工资"};
    QString text;
    text.reserve(count * 64);
    for (int i = 0; i < count; ++i) {
        const bool income = i % 7 == 0;
        const QString amount = QString::number(10 + (i * 37) % 5000) + QStringLiteral(".5");
        text += QDate(2025, 1 + i % 12, 1 + i % 28).toString(QStringLiteral("yyyy/M/d")) + u'\t' +
                QString::fromUtf8(items[i % 4]) + u'\t' + (income ? amount : QString()) + u'\t' +
                (income ? QString() : amount) + QStringLiteral("\t现金\t本人\t导入的第") + QString::number(i + 1) +
                QStringLiteral("行\r\n");
    }
    return text;
}

void PasteRows(benchmark::State &state)
{
    const QString text = spreadsheetRows(PastedRows);
    BatchImport import(context().context, &window());
    for (auto _ : state)
        import.paste(text);
    state.counters["rows"] = import.list()->rowCount();
}

qint64 lastId()
{
    Statement st = context().data.query(QStringLiteral("select max(id) from jizhang"));
    return st.step() ? st.integer(0) : 0;
}

// Stores the pasted rows with the window shown; a 10 ms timer counts how often the
// event loop ran during the store, and the longest wait between two of its ticks.
void StoreRows(benchmark::State &state)
{
    BatchImport import(context().context, &window());
    import.show();
    import.paste(spreadsheetRows(PastedRows));
    QCoreApplication::processEvents();
    int ticks = 0;
    qint64 longestGap = 0;
    QElapsedTimer sinceTick;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        longestGap = std::max(longestGap, sinceTick.restart());
    });
    int totalTicks = 0;
    qint64 worstGap = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const qint64 before = lastId();
        ticks = 0;
        longestGap = 0;
        sinceTick.start();
        timer.start();
        state.ResumeTiming();

        import.save();

        state.PauseTiming();
        timer.stop();
        totalTicks += ticks;
        worstGap = std::max(worstGap, std::max(longestGap, sinceTick.elapsed()));
        // Leave the data file as it was for the next run.
        context().data.exec(QStringLiteral("delete from jizhang where id > ?"), {before});
        state.ResumeTiming();
    }
    state.counters["ticks_per_store"] = double(totalTicks) / double(state.iterations());
    state.counters["longest_gap_ms"] = double(worstGap);
}

} // namespace

BENCHMARK(OpenDataFile)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BareSearchSummaryWord)->Unit(benchmark::kMillisecond);
BENCHMARK(SearchSummaryWord)->Unit(benchmark::kMillisecond);
BENCHMARK(BareSearchOneYear)->Unit(benchmark::kMillisecond);
BENCHMARK(SearchOneYear)->Unit(benchmark::kMillisecond);
BENCHMARK(BareSummaryAggregate)->Unit(benchmark::kMillisecond);
BENCHMARK(FinanceSummaryWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(PasteRows)->Unit(benchmark::kMillisecond);
BENCHMARK(StoreRows)->Unit(benchmark::kMillisecond);
