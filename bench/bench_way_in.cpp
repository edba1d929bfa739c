// SPDX-License-Identifier: GPL-3.0-or-later
// The way into the books, as a user waits for it: a program of its own is started on two
// account sets of 100,000, 1,000,000 and 5,000,000 entries each (the last 10,000,000 in
// the file); the time from its start until the login window is shown and
// the program idle, and from the login until the main window shows the newest entries
// and all status panels and the program is idle again. Idle is 400 ms without an event.
// Beside them, the bare statements the way in rests on: opening the file with its key,
// and reading the newest page of entries.
// Then the first opening of the same ledger as a file of version 7 without kept sums, the
// background build of its sums and index, and beside it the bare GROUP BY recounts and
// CREATE INDEX of that work.
#include "bench_data.h"

#include "app/application.h"
#include "app/main_window.h"
#include "app/sums_builder.h"
#include "ledger/ledger_pane.h"
#include "store/account_tables.h"
#include "ui/chinese.h"
#include "ui/record_list.h"

#include <benchmark/benchmark.h>

#include <QAbstractEventDispatcher>
#include <QAbstractItemModel>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <functional>

namespace {

qint64 clockNs(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

qint64 now() { return clockNs(CLOCK_MONOTONIC); }
// The processor time of this process: the machine is shared, and waiting for it is no
// work of the program.
qint64 cpu() { return clockNs(CLOCK_PROCESS_CPUTIME_ID); }

// Runs the event loop until it has been idle for `quietMs`; returns when the program last
// went idle (the dispatcher about to block after the last work).
qint64 untilIdle(int quietMs = 400)
{
    constexpr int Tick = 10;
    QEventLoop loop;
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    // Idle: no wake of the event loop did more than a sliver of work. Panes that look at
    // the data file now and then (a cheap query every few hundred ms) leave it idle.
    constexpr qint64 Sliver = 2'000'000;  // ns
    qint64 lastBlock = now(), busyEnd = now(), awakeAt = now();
    bool busy = false;
    int quiet = 0;
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &loop, [&] {
        lastBlock = now();
        if (lastBlock - awakeAt > Sliver)
            busy = true;
    });
    QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, &loop, [&] { awakeAt = now(); });
    QTimer tick;
    tick.setInterval(Tick);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (!busy) {
            quiet += Tick;
        } else {
            quiet = 0;
            busyEnd = lastBlock;
        }
        busy = false;
        if (quiet >= quietMs)
            loop.quit();
    });
    tick.start();
    QTimer::singleShot(0, &loop, [] {});
    loop.exec();
    return busyEnd;
}

// The child: prints the moments of the way in (monotonic nanoseconds).
int wayIn(int argc, char **argv)
{
    if (argc < 1)
        return 2;
    int qtArgc = 1;
    char name[] = "tallyra";
    char *qtArgv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(qtArgc, qtArgv);
    QApplication::setQuitOnLastWindowClosed(false);
    Chinese::install();
    BenchData::SilentPrompt prompt;
    BenchData::NoLauncher launcher;
    Application tallyra(ProgramFolder(QString::fromLocal8Bit(argv[0])), prompt, launcher);
    tallyra.start();
    const qint64 loginIdle = untilIdle();
    const qint64 loginCpu = cpu();
    if (!tallyra.loginWindow() || !tallyra.loginWindow()->isVisible())
        return 3;
    tallyra.loginWindow()->findChild<QLineEdit *>(QStringLiteral("Text1_0"))->setText(QStringLiteral("admin"));
    tallyra.loginWindow()->findChild<QLineEdit *>(QStringLiteral("Text1_1"))->setText(QStringLiteral("admin"));
    const qint64 login = now(), loginStartCpu = cpu();
    tallyra.loginWindow()->login();
    const qint64 mainIdle = untilIdle();
    const qint64 mainCpu = cpu();
    MainWindow *window = tallyra.mainWindow();
    if (!window || !window->isVisible())
        return 4;
    // The newest entries are listed and every panel says something.
    const int rows = window->ledgerPane()->entryList()->rowCount();
    for (int panel = 1; panel <= 4; ++panel)
        if (window->panelText(panel).isEmpty())
            return 5;
    // The processor time until idle includes the 400 ms of waiting, which cost next to none.
    std::printf("%lld %lld %lld %d %zu %lld %lld\n", loginIdle, login, mainIdle, rows, BenchData::residentBytes(),
                loginCpu, mainCpu - loginStartCpu);
    return rows > 0 ? 0 : 6;
}

const bool registered = BenchData::registerChild("way-in", wayIn);

// Runs the way in as a program of its own on the program folder that `prepare` makes (before
// each run, outside the time) and counts its moments.
void wayInOn(benchmark::State &state, const std::function<QString()> &prepare)
{
    double toLogin = 0, toMain = 0, resident = 0, loginCpu = 0, mainCpu = 0;
    for (auto _ : state) {
        const QString folder = prepare();
        QProcess child;
        const qint64 start = now();
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), QStringLiteral("way-in"), folder});
        if (!child.waitForFinished(600000) || child.exitCode() != 0) {
            state.SkipWithError(qPrintable(QStringLiteral("child failed: %1 %2")
                                               .arg(child.exitCode())
                                               .arg(QString::fromLocal8Bit(child.readAllStandardError()))));
            return;
        }
        const QList<QByteArray> moments = child.readAllStandardOutput().trimmed().split(' ');
        const double a = double(moments[0].toLongLong() - start) / 1e9;
        const double b = double(moments[2].toLongLong() - moments[1].toLongLong()) / 1e9;
        toLogin += a;
        toMain += b;
        resident += moments[4].toDouble();
        loginCpu += moments[5].toDouble() / 1e9;
        mainCpu += moments[6].toDouble() / 1e9;
        state.SetIterationTime(a + b);
    }
    const double n = double(state.iterations());
    state.counters["start_to_login_s"] = toLogin / n;
    state.counters["login_to_main_s"] = toMain / n;
    state.counters["resident_MB"] = resident / n / 1e6;
    state.counters["start_to_login_cpu_s"] = loginCpu / n;
    state.counters["login_to_main_cpu_s"] = mainCpu / n;
}

void WayIn(benchmark::State &state)
{
    const QString folder = BenchData::ledgerFolder(2, int(state.range(0)));
    wayInOn(state, [&] { return folder; });
}

// The generated ledger as a file of version 7 left it: no accounts' tables and index, no
// kept sums at all (a file written by another program has none either). Made once; each
// run gets a fresh copy of it, which the run's background build then changes.
QString olderFile(int perSet)
{
    const QString made = BenchData::generatedFolder(QStringLiteral("older-2x%1").arg(perSet), [&](DataFile &data) {
        data.close();
        const QString path = data.path();
        QFile::remove(path);
        QFile::copy(ProgramFolder(BenchData::generatedLedger(2, perSet)).dataFile(), path);
        Database db;
        db.open(path, Database::Mode::ReadWrite);
        DataFile::applyKey(db);
        db.execute(QStringLiteral(
            "DROP TRIGGER IF EXISTS zhanghu_jizhang_insert; DROP TRIGGER IF EXISTS zhanghu_jizhang_delete; "
            "DROP TRIGGER IF EXISTS zhanghu_jizhang_update; DROP TRIGGER IF EXISTS jizhang_duizhang_update; "
            "DROP TABLE zhanghu; DROP TABLE zhuanzhang; DROP TABLE zhuanzhang_bin; DROP TABLE jizhang_duizhang; "
            "DROP TABLE zhanghu_months; DROP TABLE zhanghu_months_stale; DROP INDEX IF EXISTS jizhang_muluID_t3_data; "
            "DELETE FROM jizhang_items; DELETE FROM jizhang_items_stale; DELETE FROM jizhang_months; "
            "PRAGMA user_version = 7"));
    });
    const QString work = QDir(BenchData::folder()).absoluteFilePath(QStringLiteral("older-work"));
    const ProgramFolder folder(work);
    QDir().mkpath(folder.plugIns());
    QFile::remove(folder.dataFile());
    QFile::remove(folder.dataFile() + QStringLiteral("-journal"));
    QFile::copy(ProgramFolder(made).dataFile(), folder.dataFile());
    return work;
}

// The first opening of such a file: the migration reads no entry, the sums and indexes are
// built in the background while the main window is in use.
void WayInOlderFile(benchmark::State &state)
{
    wayInOn(state, [&] { return olderFile(int(state.range(0))); });
}

qint64 elapsedNs(const std::function<void()> &work)
{
    const qint64 start = now();
    work();
    return now() - start;
}

// The background build of such a file from start to end, on this thread: every item sum,
// month total and account's month, and the accounts' index.
void BackgroundBuild(benchmark::State &state)
{
    int pieces = 0;
    for (auto _ : state) {
        const QString path = ProgramFolder(olderFile(int(state.range(0)))).dataFile();
        DataFile data(path);
        data.OpenDataFile();  // the migration, outside the time
        pieces = 0;
        const qint64 ns = elapsedNs([&] { SumsBuilder::build(data, [&](int, int) { return ++pieces > 0; }); });
        state.SetIterationTime(double(ns) / 1e9);
    }
    state.counters["pieces"] = pieces;
}

// The bare statements of the same work on the same file: the item sums, the month totals
// and the accounts' months each as one GROUP BY over every entry, and the accounts' index.
void BareRecountAndIndex(benchmark::State &state)
{
    const QString key = QStringLiteral("substr(data, 1, 7)");
    const QString statements[] = {
        QStringLiteral("select muluID, %1, t1 IS '收入', ifnull(t2, ''), count(*), money_total(t5) from jizhang "
                       "group by 1, 2, 3, 4").arg(key),
        QStringLiteral("select muluID, %1, count(*), money_total(case when t1 IS '收入' then t5 end), "
                       "money_total(case when t1 IS NOT '收入' then t5 end) from jizhang group by 1, 2").arg(key),
        QStringLiteral("select muluID, t3, %1, count(*), money_total(case when t1 IS '收入' then t5 end), "
                       "money_total(case when t1 IS NOT '收入' then t5 end) from jizhang where t3 is not null "
                       "group by 1, 2, 3").arg(key),
    };
    double parts[4] = {};
    for (auto _ : state) {
        DataFile data(ProgramFolder(olderFile(int(state.range(0)))).dataFile());
        data.OpenDataFile();
        qint64 total = 0;
        for (int i = 0; i < 3; ++i) {
            const qint64 ns = elapsedNs([&] {
                Statement st = data.query(statements[i]);
                int rows = 0;
                while (st.step())
                    ++rows;
                benchmark::DoNotOptimize(rows);
            });
            parts[i] += double(ns) / 1e9;
            total += ns;
        }
        const qint64 ns = elapsedNs([&] {
            DataFile::WideCache wide(data);
            data.database().execute(AccountTables::entryIndex());
        });
        parts[3] += double(ns) / 1e9;
        state.SetIterationTime(double(total + ns) / 1e9);
    }
    const double n = double(state.iterations());
    state.counters["items_s"] = parts[0] / n;
    state.counters["months_s"] = parts[1] / n;
    state.counters["accounts_s"] = parts[2] / n;
    state.counters["index_s"] = parts[3] / n;
}

// Opening the file with its key and reading the newest page of the account set's entries,
// the least any way in does.
void BareOpenAndNewest(benchmark::State &state)
{
    const QString path = ProgramFolder(BenchData::ledgerFolder(2, int(state.range(0)))).dataFile();
    for (auto _ : state) {
        Database db;
        db.open(path, Database::Mode::ReadOnly);
        DataFile::applyKey(db);
        Statement st = db.prepare(QStringLiteral("select id, data, t1, t2, t3, t4, t5, content from jizhang indexed by "
                                                 "jizhang_muluID_data where muluID=? order by data desc, id desc "
                                                 "limit 256"));
        st.bindAll({BenchData::firstAccountSet()});
        int rows = 0;
        while (st.step())
            ++rows;
        benchmark::DoNotOptimize(rows);
    }
}

#define SIZES ->Arg(100000)->Arg(1000000)->Arg(5000000)->Unit(benchmark::kMillisecond)
BENCHMARK(WayIn) SIZES->UseManualTime()->Iterations(1);
BENCHMARK(BareOpenAndNewest) SIZES;
BENCHMARK(WayInOlderFile)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BackgroundBuild)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BareRecountAndIndex)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

} // namespace
