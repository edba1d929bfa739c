// SPDX-License-Identifier: GPL-3.0-or-later
// Backup, restore and compaction of the generated data file with two account sets of
// 1,000,000 entries each, beside a plain file copy, a bare sqlcipher_export and the
// unchecked backup and restore of the earlier versions, all in the same run. The shared
// generated file is only read: restore and compaction work on a private copy of it.
#include "bench_data.h"

#include "maintenance/data_file_maintenance.h"
#include "maintenance/staged_copy.h"
#include "store/data_file.h"
#include "store/program_folder.h"
#include "store/schema.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int PerSet = 1000000;

// The shared file; when another program is still generating it, wait for it.
QString sharedDataFile()
{
    static const QString file = [] {
        const QString folder = QDir(BenchData::folder()).absoluteFilePath(QStringLiteral("ledger-2x%1").arg(PerSet));
        const QString data = folder + QStringLiteral("/vazuda.mdb");
        const QString building = data + QStringLiteral(".building");
        if (!QFile::exists(data) && QFile::exists(building)) {
            std::fprintf(stderr, "waiting for %s to be generated...\n", qPrintable(data));
            while (!QFile::exists(data))
                QThread::sleep(5);
        }
        return ProgramFolder(BenchData::ledgerFolder(2, PerSet)).dataFile();
    }();
    return file;
}

// A program folder of our own holding a copy of the shared file.
struct WorkFolder {
    // Beside this program, never in the shared data folder.
    QTemporaryDir dir{QCoreApplication::applicationDirPath() + QStringLiteral("/maintenance-XXXXXX")};
    ProgramFolder folder{dir.path()};
    DataFile data{folder.dataFile()};
    DataFileMaintenance maintenance{data, folder};
    QString backup = dir.filePath(QStringLiteral("backup.mdb"));
    qint64 bytes = 0;

    WorkFolder()
    {
        QDir().mkpath(folder.plugIns());
        QFile::copy(sharedDataFile(), folder.dataFile());
        bytes = QFileInfo(folder.dataFile()).size();
        {
            // The shared file may have been made by a newer build (another branch) with the
            // same tables; the private copy takes this build's version so that it opens.
            Database db;
            db.open(folder.dataFile(), false);
            DataFile::applyKey(db);
            Statement version = db.prepare(QStringLiteral("PRAGMA user_version"));
            if (version.step() && version.integer(0) > Schema::Version)
                db.execute(QStringLiteral("PRAGMA user_version = %1").arg(Schema::Version));
        }
        data.OpenDataFile();
        maintenance.backup(backup);
    }
};

WorkFolder &work()
{
    static WorkFolder w;
    return w;
}

// cp: read and write in 1 MiB pieces; with sync, flushed to the disk like a backup is.
void plainCopy(const QString &from, const QString &to, bool sync)
{
    QFile in(from), out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot copy");
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (qint64 got; (got = in.read(buffer.data(), buffer.size())) > 0;)
        out.write(buffer.constData(), got);
    out.flush();
    if (sync)
        ::fsync(out.handle());
}

void setBytes(benchmark::State &state)
{
    state.counters["MB"] = double(work().bytes) / (1024 * 1024);
    state.SetBytesProcessed(int64_t(state.iterations()) * work().bytes);
}

void PlainFileCopy(benchmark::State &state)
{
    const QString target = work().dir.filePath(QStringLiteral("plain.mdb"));
    for (auto _ : state)
        plainCopy(work().folder.dataFile(), target, false);
    QFile::remove(target);
    setBytes(state);
}

void PlainFileCopyWithSync(benchmark::State &state)
{
    const QString target = work().dir.filePath(QStringLiteral("plain.mdb"));
    for (auto _ : state)
        plainCopy(work().folder.dataFile(), target, true);
    QFile::remove(target);
    setBytes(state);
}

void Backup(benchmark::State &state)
{
    const QString target = work().dir.filePath(QStringLiteral("20240101.mdb"));
    for (auto _ : state)
        work().maintenance.backup(target);
    QFile::remove(target);
    setBytes(state);
}

// The program's own backup: proved by its record (the digest of the copy, and the page
// check of the staged copy).
void Restore(benchmark::State &state)
{
    for (auto _ : state)
        work().maintenance.restore(work().backup);
    setBytes(state);
}

// A backup without its record (a copy made elsewhere): the staged copy must pass the
// engine's whole integrity check.
void RestoreWithoutRecord(benchmark::State &state)
{
    const QString unrecorded = work().dir.filePath(QStringLiteral("unrecorded.mdb"));
    if (!QFile::exists(unrecorded))
        QFile::copy(work().backup, unrecorded);
    for (auto _ : state)
        work().maintenance.restore(unrecorded);
    setBytes(state);
}

// The engine's whole check alone, on the backup.
void BareIntegrityCheck(benchmark::State &state)
{
    for (auto _ : state) {
        Database db;
        DataFile::openKeyed(db, work().backup, Database::Mode::ReadOnly, QString());
        Statement st = db.prepare(QStringLiteral("PRAGMA integrity_check(1)"));
        if (!st.step() || st.text(0) != QLatin1String("ok"))
            state.SkipWithError("not sound");
    }
    setBytes(state);
}

// The backup of the earlier versions, without the check of the copy: the copy under a
// read transaction through the connection's own file handle, flushed and renamed.
void UncheckedBackup(benchmark::State &state)
{
    const QString target = work().dir.filePath(QStringLiteral("20240102.mdb"));
    for (auto _ : state) {
        Database &db = work().data.database();
        StagedCopy copy(target);
        db.execute(QStringLiteral("BEGIN"));
        db.execute(QStringLiteral("select count(*) from sqlite_master"));
        sqlite3_file *file = nullptr;
        sqlite3_file_control(db.handle(), "main", SQLITE_FCNTL_FILE_POINTER, &file);
        sqlite3_int64 size = 0;
        file->pMethods->xFileSize(file, &size);
        QByteArray buffer(1 << 20, Qt::Uninitialized);
        for (sqlite3_int64 offset = 0; offset < size;) {
            const int length = int(std::min<sqlite3_int64>(buffer.size(), size - offset));
            file->pMethods->xRead(file, buffer.data(), length, offset);
            copy.write(buffer.constData(), length);
            offset += length;
        }
        db.execute(QStringLiteral("COMMIT"));
        copy.commit();
    }
    QFile::remove(target);
    setBytes(state);
}

// The restore of the earlier versions: copy beside the data file, flush, open the copy
// with the key and look for the tables, rename; no page check, no exclusive lock.
void UncheckedRestore(benchmark::State &state)
{
    DataFile &data = work().data;
    for (auto _ : state) {
        StagedCopy copy(data.path());
        copy.append(work().backup);
        copy.finish();
        {
            Database db;
            db.open(copy.stagedPath(), false);
            DataFile::applyKey(db);
            db.execute(QStringLiteral("select count(*) from sqlite_master"));
            if (!Schema::missingTables(db).isEmpty())
                state.SkipWithError("not a data file");
        }
        data.close();
        copy.commit();
    }
    setBytes(state);
}

// The export alone: attach a new keyed file, export, detach; nothing checked or renamed.
void BareExport(benchmark::State &state)
{
    const QString target = work().dir.filePath(QStringLiteral("bare.mdb"));
    work().data.close();
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(target);
        QFile::remove(target + QStringLiteral("-journal"));
        QFile(target).open(QIODevice::WriteOnly);
        state.ResumeTiming();
        Database db;
        db.open(work().folder.dataFile(), false);
        DataFile::applyKey(db);
        db.prepare(QStringLiteral("ATTACH DATABASE ? AS compacted KEY ?")).bindAll({target, DataFile::password()}).run();
        db.execute(QStringLiteral("PRAGMA compacted.cipher_page_size = 4096"));
        db.execute(QStringLiteral("SELECT sqlcipher_export('compacted')"));
        db.execute(QStringLiteral("DETACH DATABASE compacted"));
    }
    state.counters["out_MB"] = double(QFileInfo(target).size()) / (1024 * 1024);
    QFile::remove(target);
    setBytes(state);
}

void Compaction(benchmark::State &state)
{
    for (auto _ : state) {
        if (!work().maintenance.compactIntoScratch())
            state.SkipWithError("no data file");
        work().maintenance.replaceWithScratch();
    }
    state.counters["out_MB"] = double(QFileInfo(work().folder.dataFile()).size()) / (1024 * 1024);
    setBytes(state);
}

template <typename F> void registerMedian(const char *name, F f, int repetitions)
{
    benchmark::RegisterBenchmark(name, f)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(repetitions)
        ->ReportAggregatesOnly(true)
        ->UseRealTime();
}

const bool registered = [] {
    registerMedian("PlainFileCopy", PlainFileCopy, 7);
    registerMedian("PlainFileCopyWithSync", PlainFileCopyWithSync, 7);
    registerMedian("UncheckedBackup", UncheckedBackup, 7);
    registerMedian("Backup", Backup, 7);
    registerMedian("UncheckedRestore", UncheckedRestore, 7);
    registerMedian("Restore", Restore, 7);
    registerMedian("RestoreWithoutRecord", RestoreWithoutRecord, 3);
    registerMedian("BareIntegrityCheck", BareIntegrityCheck, 3);
    registerMedian("BareExport", BareExport, 3);
    registerMedian("Compaction", Compaction, 3);
    return true;
}();

} // namespace
