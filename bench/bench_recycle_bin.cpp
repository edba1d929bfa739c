// SPDX-License-Identifier: GPL-3.0-or-later
// The recycle bin on the generated data file with two account sets of 1,000,000 entries
// each: deleting one entry into the bin, "删除全部" of one account set (with the main
// window shown and painting between the pieces), and opening the bin with 100,000
// deleted entries, each beside the bare statement of the same run. Everything works on a
// private copy of the shared file, fresh for every run of "删除全部".
#include "bench_data.h"

#include "app/main_window.h"
#include "ledger/ledger.h"
#include "ledger/recycle_bin.h"
#include "ledger/recycle_bin_window.h"
#include "store/schema.h"
#include "ui/record_list.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>
#include <optional>

namespace {

constexpr int PerSet = 1000000;
constexpr int BinEntries = 100000;

// A program folder of our own holding a fresh copy of the shared file, logged in to the
// first account set.
class Work {
public:
    Work() { renew(); }

    BenchData::BenchContext &context() { return *context_; }
    DataFile &data() { return context_->data; }

    // Throws the changed copy away and takes a fresh one.
    void renew()
    {
        context_.reset();
        const QString shared = ProgramFolder(BenchData::ledgerFolder(2, PerSet)).dataFile();
        const QString copy = ProgramFolder(dir_.path()).dataFile();
        QFile::remove(copy);
        QFile::copy(shared, copy);
        {
            // A file made by a newer build of the same tables opens in this one.
            Database db;
            db.open(copy, false);
            DataFile::applyKey(db);
            Statement version = db.prepare(QStringLiteral("PRAGMA user_version"));
            if (version.step() && version.integer(0) > Schema::Version)
                db.execute(QStringLiteral("PRAGMA user_version = %1").arg(Schema::Version));
        }
        context_ = std::make_unique<BenchData::BenchContext>(dir_.path());
        nextId_ = 0;
    }

    // Ids of the first account set's entries, oldest first, one per call.
    qint64 nextEntry()
    {
        Statement st = data().query(QStringLiteral("select id from jizhang where muluID=? and id > ? order by id limit 1"),
                                    {BenchData::firstAccountSet(), nextId_});
        nextId_ = st.step() ? st.integer(0) : nextId_ + 1;
        return nextId_;
    }

private:
    QTemporaryDir dir_{QCoreApplication::applicationDirPath() + QStringLiteral("/recycle-bin-XXXXXX")};
    std::unique_ptr<BenchData::BenchContext> context_;
    qint64 nextId_ = 0;
};

Work &work()
{
    static Work w;
    return w;
}

// Today's deletion: the entry is gone for good.
void BareDeleteOne(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        const qint64 id = work().nextEntry();
        state.ResumeTiming();
        work().data().exec(QStringLiteral("delete from jizhang where id=?"), {id});
    }
}

void DeleteOneIntoBin(benchmark::State &state)
{
    Ledger ledger(work().data());
    for (auto _ : state) {
        state.PauseTiming();
        const qint64 id = work().nextEntry();
        state.ResumeTiming();
        if (!ledger.deleteEntry(id))
            state.SkipWithError("no entry");
    }
}

// The bin's statement alone, every row stepped and every column read.
void BareStatementBin(benchmark::State &state)
{
    static bool filled = [] {
        // 100,000 entries of the first account set in its bin, as deleting them one by one
        // over the years would have left them.
        DataFile &data = work().data();
        DataFile::Transaction transaction(data);
        data.exec(QStringLiteral("insert into jizhang_bin (entryId, data, t1, t2, t3, t4, t5, content, muluID, deleted) "
                                 "select id, data, t1, t2, t3, t4, t5, content, muluID, '2024-06-01 12:00:00' "
                                 "from jizhang where muluID=? order by id limit ?"),
                  {BenchData::firstAccountSet(), BinEntries});
        data.exec(QStringLiteral("delete from jizhang where id in (select entryId from jizhang_bin)"));
        transaction.commit();
        return true;
    }();
    (void)filled;
    for (auto _ : state) {
        Statement st = work().data().query(QStringLiteral("select id, data, t1, t2, t5, content, deleted from "
                                                          "jizhang_bin where muluID=? order by id desc"),
                                           {BenchData::firstAccountSet()});
        size_t rows = 0, bytes = 0;
        while (st.step()) {
            for (int c = 0; c < 7; ++c)
                bytes += st.utf8(c).size();
            ++rows;
        }
        benchmark::DoNotOptimize(bytes);
        state.counters["rows"] = double(rows);
    }
}

// "回收站": the window made, its list filled, shown and painted.
void OpenBin(benchmark::State &state)
{
    int rows = 0;
    for (auto _ : state) {
        RecycleBinWindow bin(work().context().context);
        bin.show();
        QApplication::processEvents();
        rows = bin.list()->rowCount();
    }
    state.counters["rows"] = rows;
}

// Today's "删除全部": one statement, the entries gone for good, the window frozen.
void BareDeleteAll(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        work().renew();
        state.ResumeTiming();
        const int deleted = work().data().exec(QStringLiteral("delete from jizhang where muluID=?"),
                                               {BenchData::firstAccountSet()});
        state.counters["entries"] = deleted;
    }
}

// The file's own check after a bulk operation: a benchmark that leaves a damaged file fails.
void checkIntegrity(benchmark::State &state)
{
    Statement st = work().data().query(QStringLiteral("PRAGMA integrity_check"));
    const QString verdict = st.step() ? st.text(0) : QStringLiteral("no answer");
    if (verdict != QStringLiteral("ok"))
        state.SkipWithError(("integrity_check: " + verdict).toStdString().c_str());
}

// The move of "删除全部" as bare statements: one account set's entries copied into the bin
// and deleted, in one transaction, every trigger of jizhang firing as for any writer. Arg 1
// gives SQLite the program's wide page cache; arg 2 also drops the triggers of jizhang that
// fire on a delete (and makes them again before the commit), to show what they cost.
void BareMoveAll(benchmark::State &state)
{
    int moved = 0;
    QElapsedTimer step;
    double inserting = 0, deleting = 0, committing = 0;
    for (auto _ : state) {
        state.PauseTiming();
        work().renew();
        state.ResumeTiming();
        DataFile &data = work().data();
        std::optional<DataFile::WideCache> wide;
        if (state.range(0) >= 1)
            wide.emplace(data);
        DataFile::Transaction transaction(data);
        step.start();
        moved = data.exec(QStringLiteral("insert into jizhang_bin (entryId, data, t1, t2, t3, t4, t5, content, muluID, "
                                         "deleted) select id, data, t1, t2, t3, t4, t5, content, muluID, "
                                         "'2024-06-01 12:00:00' from jizhang where muluID=?"),
                          {BenchData::firstAccountSet()});
        inserting += double(step.restart());
        QStringList triggers;
        if (state.range(0) == 2) {
            Statement st = data.query(QStringLiteral("select name, sql from sqlite_master where type='trigger' and "
                                                     "tbl_name='jizhang' and sql like '%DELETE ON jizhang%'"));
            QStringList names;
            while (st.step()) {
                names << st.text(0);
                triggers << st.text(1);
            }
            st.reset();
            for (const QString &name : names)
                data.database().execute(QStringLiteral("DROP TRIGGER ") + name);
        }
        step.restart();
        data.exec(QStringLiteral("delete from jizhang where muluID=?"), {BenchData::firstAccountSet()});
        deleting += double(step.restart());
        for (const QString &sql : triggers)
            data.database().execute(sql);
        transaction.commit();
        committing += double(step.elapsed());
        state.PauseTiming();
        checkIntegrity(state);
        state.ResumeTiming();
    }
    const double n = double(state.iterations());
    state.counters["entries"] = moved;
    state.counters["insert_ms"] = inserting / n;
    state.counters["delete_ms"] = deleting / n;
    state.counters["commit_ms"] = committing / n;
}

// "清空回收站" of the 1,000,000 entries that "删除全部" moved there, beside the bare delete.
void emptyBin(benchmark::State &state, bool bare)
{
    int removed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        work().renew();
        Ledger(work().data()).deleteAll(BenchData::firstAccountSet());
        state.ResumeTiming();
        if (bare) {
            DataFile::Transaction transaction(work().data());
            removed = work().data().exec(QStringLiteral("delete from jizhang_bin where muluID=?"),
                                         {BenchData::firstAccountSet()});
            transaction.commit();
        } else {
            removed = RecycleBin(work().data()).empty(BenchData::firstAccountSet());
        }
        state.PauseTiming();
        checkIntegrity(state);
        state.ResumeTiming();
    }
    state.counters["entries"] = removed;
}
void BareEmptyBin(benchmark::State &state) { emptyBin(state, true); }
void EmptyBin(benchmark::State &state) { emptyBin(state, false); }

// "删除全部" into the bin with the main window shown: between the pieces the window
// paints; the longest time it could not is counted.
void DeleteAllIntoBin(benchmark::State &state)
{
    double longestPause = 0;
    int pieces = 0;
    int moved = 0;
    for (auto _ : state) {
        state.PauseTiming();
        work().renew();
        MainWindow window(work().context().context);
        window.show();
        QApplication::processEvents();
        QElapsedTimer sincePaint;
        work().data().setBetweenPieces([&] {
            longestPause = std::max(longestPause, double(sincePaint.elapsed()));
            ++pieces;
            window.update();
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            sincePaint.restart();
        });
        state.ResumeTiming();
        sincePaint.start();
        moved = Ledger(work().data()).deleteAll(BenchData::firstAccountSet());
        state.PauseTiming();
        work().data().setBetweenPieces({});
        checkIntegrity(state);
        state.ResumeTiming();
    }
    state.counters["entries"] = moved;
    state.counters["pieces"] = pieces / double(state.iterations());
    state.counters["longest_unpainted_ms"] = longestPause;
}

const bool registered = [] {
    benchmark::RegisterBenchmark("BareDeleteOne", BareDeleteOne)
        ->Unit(benchmark::kMillisecond)->Iterations(40)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime();
    benchmark::RegisterBenchmark("DeleteOneIntoBin", DeleteOneIntoBin)
        ->Unit(benchmark::kMillisecond)->Iterations(40)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime();
    benchmark::RegisterBenchmark("BareStatementBin", BareStatementBin)
        ->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime();
    benchmark::RegisterBenchmark("OpenBin", OpenBin)
        ->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime();
    benchmark::RegisterBenchmark("BareDeleteAll", BareDeleteAll)
        ->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true)->UseRealTime();
    benchmark::RegisterBenchmark("DeleteAllIntoBin", DeleteAllIntoBin)
        ->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true)->UseRealTime();
    benchmark::RegisterBenchmark("BareMoveAll", BareMoveAll)->Arg(0)->Arg(1)->Arg(2)
        ->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true)->UseRealTime();
    benchmark::RegisterBenchmark("BareEmptyBin", BareEmptyBin)
        ->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true)->UseRealTime();
    benchmark::RegisterBenchmark("EmptyBin", EmptyBin)
        ->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true)->UseRealTime();
    return true;
}();

} // namespace
