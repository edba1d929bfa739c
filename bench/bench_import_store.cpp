// SPDX-License-Identifier: GPL-3.0-or-later
// Storing a statement of 100,000 rows, as "保存" of the batch import stores it (one
// transaction, committed), into an account set of 1,000,000 entries (a file of two such;
// --per-set gives another size), beside the same rows as bare inserts into a table that
// has only its primary key. Then
// what each index of jizhang costs: the same inserts with the entry triggers gone, with
// every index, with every index but one, and with none; and the pages each index fills.
//
// It works on a copy of the generated file made at each run, since it drops indexes and
// triggers; every stored batch is deleted again (untimed) so that each one meets the same
// file.
#include "bench_data.h"

#include "fileimport/batch_import.h"
#include "ledger/ledger.h"
#include "store/account_tables.h"
#include "store/program_folder.h"
#include "store/sqlite_db.h"

#include <benchmark/benchmark.h>

#include <QDate>
#include <QDir>
#include <QFile>

#include <map>
#include <memory>
#include <optional>
#include <set>

namespace {

constexpr int Rows = 100000;
// Entries per account set of the file stored into (--per-set).
int perSet() { return BenchData::perSet(1000000); }

// The indexes whose cost is measured; one the file lacks is reported as missing.
const char *const Indexes[] = {"jizhang_muluID_data", "jizhang_muluID_t2",      "jizhang_muluID_t3_data",
                               "jizhang_muluID_t4",   "jizhang_muluID_content", "jizhang_muluID_kind_number"};

// The scratch copy and what it holds now: the indexes and triggers of jizhang that are
// dropped, with the statements that make them again.
struct Scratch {
    Scratch()
    {
        const ProgramFolder source(BenchData::ledgerFolder(2, perSet()));
        const QString path = QDir(BenchData::folder()).absoluteFilePath(QStringLiteral("store-scratch"));
        const ProgramFolder scratch(path);
        QDir().mkpath(scratch.plugIns());
        QFile::remove(scratch.dataFile());
        if (!QFile::copy(source.dataFile(), scratch.dataFile()))
            qFatal("cannot copy %s", qPrintable(source.dataFile()));
        context = std::make_unique<BenchData::BenchContext>(path);
        // The generator leaves out the accounts' index and triggers on jizhang; a file
        // that the program itself made has them.
        AccountTables::create(data().database(), true);
        Statement st = data().query(QStringLiteral(
            "select type, name, sql from sqlite_master where tbl_name='jizhang' and type in ('index','trigger') "
            "and sql is not null"));
        while (st.step())
            (st.text(0) == QStringLiteral("index") ? indexes : triggers)[st.text(1)] = st.text(2);
        data().exec(QStringLiteral("create table if not exists store_bare (id INTEGER PRIMARY KEY AUTOINCREMENT, "
                                   "data TEXT, t1 TEXT, t2 TEXT, t3 TEXT, t4 TEXT, t5 TEXT, content TEXT, "
                                   "muluID INTEGER)"));
    }
    DataFile &data() { return context->data; }

    // Makes or drops indexes and triggers until the file has `keptIndexes` (all when
    // `all`) and its triggers only when `withTriggers`.
    void arrange(bool all, const std::set<QString> &keptIndexes, bool withTriggers)
    {
        for (const auto &[name, sql] : indexes) {
            const bool want = all || keptIndexes.count(name);
            if (want == !dropped.count(name))
                continue;
            data().exec(want ? sql : QStringLiteral("drop index ") + name);
            if (want)
                dropped.erase(name);
            else
                dropped.insert(name);
        }
        if (withTriggers != triggersDropped)
            return;
        for (const auto &[name, sql] : triggers)
            data().exec(withTriggers ? sql : QStringLiteral("drop trigger ") + name);
        triggersDropped = !withTriggers;
    }

    std::unique_ptr<BenchData::BenchContext> context;
    std::map<QString, QString> indexes, triggers;
    std::set<QString> dropped;
    bool triggersDropped = false;
};

Scratch &scratch()
{
    static Scratch s;
    return s;
}

// A bank statement's year of rows, as the import's preview hands them on.
const std::vector<ImportRow> &importRows()
{
    static const std::vector<ImportRow> rows = [] {
        static const char *const items[] = {"餐饮", "交通", "购物", "工资"};
        std::vector<ImportRow> rows;
        rows.reserve(Rows);
        for (int i = 0; i < Rows; ++i) {
            ImportRow r;
            r.number = i + 1;
            r.date = QDate(2024, 1 + i % 12, 1 + i % 28).toString(QStringLiteral("yyyy-MM-dd"));
            r.item = QString::fromUtf8(items[i % 4]);
            (i % 7 == 0 ? r.income : r.expense) = QString::number(10 + (i * 37) % 5000) + QStringLiteral(".5");
            r.method = QStringLiteral("现金");
            r.handler = QStringLiteral("本人");
            r.summary = QStringLiteral("文件导入第%1行").arg(i + 1);
            rows.push_back(std::move(r));
        }
        return rows;
    }();
    return rows;
}

// The same rows as the values of an insert.
const std::vector<QVariantList> &insertValues()
{
    static const std::vector<QVariantList> values = [] {
        std::vector<QVariantList> values;
        for (const ImportRow &r : importRows()) {
            const bool income = !r.income.isEmpty();
            values.push_back({r.date, income ? QStringLiteral("收入") : QStringLiteral("支出"), r.item, r.method,
                              r.handler, income ? r.income : r.expense, r.summary, BenchData::firstAccountSet()});
        }
        return values;
    }();
    return values;
}

qint64 lastId(const QString &table)
{
    Statement st = scratch().data().query(QStringLiteral("select ifnull(max(id), 0) from ") + table);
    return st.step() ? st.integer(0) : 0;
}

// Times `store` once per iteration and deletes what it stored afterwards.
void measure(benchmark::State &state, const QString &table, const std::function<int()> &store)
{
    for (auto _ : state) {
        state.PauseTiming();
        const qint64 before = lastId(table);
        state.ResumeTiming();
        const int stored = store();
        state.PauseTiming();
        const int deleted =
            scratch().data().exec(QStringLiteral("delete from %1 where id > ?").arg(table), {before});
        state.ResumeTiming();
        if (stored != Rows || deleted != Rows) {
            state.SkipWithError("not every row was stored");
            break;
        }
    }
    state.counters["rows_per_s"] = benchmark::Counter(double(Rows), benchmark::Counter::kIsIterationInvariantRate);
}

// Prepared inserts of the rows, `perStatement` rows to a statement, in one transaction.
int insertInto(const QString &table, int perStatement = 1)
{
    DataFile &data = scratch().data();
    DataFile::Transaction transaction(data);
    auto prepare = [&](int rows) {
        QString sql = QStringLiteral("insert into %1 (data, t1, t2, t3, t4, t5, content, muluID) values ").arg(table);
        for (int i = 0; i < rows; ++i)
            sql += i ? QStringLiteral(", (?, ?, ?, ?, ?, ?, ?, ?)") : QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?)");
        return data.query(sql);
    };
    Statement insert = prepare(perStatement);
    const std::vector<QVariantList> &values = insertValues();
    size_t done = 0;
    for (; done + size_t(perStatement) <= values.size(); done += size_t(perStatement)) {
        insert.reset();
        QVariantList row;
        for (int i = 0; i < perStatement; ++i)
            row += values[done + size_t(i)];
        insert.bindAll(row);
        insert.run();
    }
    if (done < values.size()) {
        Statement rest = prepare(int(values.size() - done));
        QVariantList row;
        for (; done < values.size(); ++done)
            row += values[done];
        rest.bindAll(row);
        rest.run();
    }
    transaction.commit();
    return int(done);
}

// "保存": the rows checked and stored by the ledger in one transaction, with every index
// and trigger of the file, and the wide cache that the window takes for so many rows.
void StoreImportRows(benchmark::State &state)
{
    scratch().arrange(true, {}, true);
    DataFile &data = scratch().data();
    measure(state, QStringLiteral("jizhang"), [&] {
        std::optional<DataFile::WideCache> wide;
        if (importRows().size() > BatchImport::LargeImport)
            wide.emplace(data);
        DataFile::Transaction transaction(data);
        const ImportReport report = Ledger(data).importRows(importRows(), BenchData::firstAccountSet());
        transaction.commit();
        return report.stored;
    });
}

// The bare statement: prepared inserts of the same rows into a table with its primary key
// alone, in one transaction.
void BareInsertPrimaryKeyOnly(benchmark::State &state)
{
    measure(state, QStringLiteral("store_bare"), [] { return insertInto(QStringLiteral("store_bare")); });
}

// Bare inserts into jizhang without its triggers: with every index (argument 0), with no
// index (1), with every index and the connection's cache widened for the transaction (2);
// with every index and trigger (3), the same inside a batch whose end is left out (4);
// with every index, 100 rows to a statement (5), as the batch stores them.
void InsertJizhang(benchmark::State &state)
{
    const int variant = int(state.range(0));
    const bool all = variant != 1, wide = variant == 2, triggers = variant == 3 || variant == 4,
               batch = variant == 4;
    scratch().arrange(all, {}, triggers);
    static const char *const labels[] = {"every index", "no index", "every index, wide cache",
                                         "every index and trigger", "every index and trigger, in a batch",
                                         "every index, 100 rows a statement"};
    state.SetLabel(labels[variant]);
    measure(state, QStringLiteral("jizhang"), [&] {
        std::optional<DataFile::WideCache> cache;
        if (wide)
            cache.emplace(scratch().data());
        if (batch)
            scratch().data().exec(QStringLiteral("insert into jizhang_batch values (1)"));
        const int stored = insertInto(QStringLiteral("jizhang"), variant == 5 ? 100 : 1);
        if (batch)
            scratch().data().exec(QStringLiteral("delete from jizhang_batch"));
        return stored;
    });
}

// The same with every index but one.
void InsertWithoutIndex(benchmark::State &state, const QString &index)
{
    Scratch &s = scratch();
    if (!s.indexes.count(index)) {
        state.SkipWithError("the file has no such index");
        return;
    }
    std::set<QString> kept;
    for (const auto &[name, sql] : s.indexes)
        if (name != index)
            kept.insert(name);
    s.arrange(false, kept, false);
    measure(state, QStringLiteral("jizhang"), [] { return insertInto(QStringLiteral("jizhang")); });
}

// The pages an index fills in the file of 2 x 1,000,000 entries: freed by dropping it in
// a transaction that is then rolled back.
void IndexSize(benchmark::State &state, const QString &index)
{
    Scratch &s = scratch();
    if (!s.indexes.count(index)) {
        state.SkipWithError("the file has no such index");
        return;
    }
    s.arrange(true, {}, true);
    Database &db = s.data().database();
    auto pragma = [&](const char *name) {
        Statement st = db.prepare(QStringLiteral("PRAGMA ") + QLatin1String(name));
        return st.step() ? st.integer(0) : 0;
    };
    qint64 pages = 0;
    for (auto _ : state) {
        db.execute(QStringLiteral("BEGIN IMMEDIATE"));
        const qint64 before = pragma("freelist_count");
        db.execute(QStringLiteral("DROP INDEX ") + index);
        pages = pragma("freelist_count") - before;
        db.execute(QStringLiteral("ROLLBACK"));
    }
    state.counters["pages"] = double(pages);
    state.counters["MB"] = double(pages * pragma("page_size")) / 1e6;
    state.counters["bytes_per_entry"] = double(pages * pragma("page_size")) / double(2 * perSet());
}

const bool registered = [] {
    for (const char *name : Indexes) {
        const QString index = QString::fromLatin1(name);
        benchmark::RegisterBenchmark((std::string("IndexSize/") + name).c_str(),
                                     [index](benchmark::State &s) { IndexSize(s, index); })
            ->Iterations(1)
            ->Repetitions(1)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("StoreImportRows", StoreImportRows)->Iterations(1)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BareInsertPrimaryKeyOnly", BareInsertPrimaryKeyOnly)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("InsertJizhang", InsertJizhang)
        ->Arg(0)
        ->Arg(1)
        ->Arg(2)
        ->Arg(3)
        ->Arg(4)
        ->Arg(5)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    for (const char *name : Indexes) {
        const QString index = QString::fromLatin1(name);
        benchmark::RegisterBenchmark((std::string("InsertWithoutIndex/") + name).c_str(),
                                     [index](benchmark::State &s) { InsertWithoutIndex(s, index); })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    return true;
}();

} // namespace
