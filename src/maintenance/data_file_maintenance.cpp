#include "maintenance/data_file_maintenance.h"

#include "maintenance/staged_copy.h"
#include "store/data_file.h"
#include "store/program_folder.h"
#include "store/schema.h"
#include "ui/formats.h"

#include <sqlcipher/sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

QString native(const QString &path) { return QDir::toNativeSeparators(path); }

int userVersion(Database &db, const QString &schema)
{
    Statement st = db.prepare(QStringLiteral("PRAGMA %1.user_version").arg(schema));
    return st.step() ? int(st.integer(0)) : 0;
}

void removeScratch(const QString &path)
{
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
}

// Reads the file under an open connection through the connection's own file handle:
// opening the file a second time and closing it would drop the connection's locks.
void copyOpenFile(Database &db, StagedCopy &copy)
{
    sqlite3_file *file = nullptr;
    int rc = sqlite3_file_control(db.handle(), "main", SQLITE_FCNTL_FILE_POINTER, &file);
    if (rc != SQLITE_OK || !file || !file->pMethods)
        db.fail(rc == SQLITE_OK ? SQLITE_ERROR : rc);
    sqlite3_int64 size = 0;
    rc = file->pMethods->xFileSize(file, &size);
    if (rc != SQLITE_OK)
        db.fail(rc);
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (sqlite3_int64 offset = 0; offset < size;) {
        const int length = int(std::min<sqlite3_int64>(buffer.size(), size - offset));
        rc = file->pMethods->xRead(file, buffer.data(), length, offset);
        if (rc != SQLITE_OK)
            db.fail(rc);
        copy.write(buffer.constData(), length);
        offset += length;
    }
}

} // namespace

QString DataFileMaintenance::backupName(const QDate &day)
{
    return day.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".mdb");
}

QString DataFileMaintenance::automaticBackupFile(const QDate &day) const
{
    return folder_.plugIns() + u'/' + backupName(day);
}

QString DataFileMaintenance::scratchFile() const
{
    return QFileInfo(data_.path()).absolutePath() + QStringLiteral("/temp.mdb");
}

void DataFileMaintenance::backup(const QString &target)
{
    if (!QFileInfo::exists(data_.path()))
        throw StoreError(QStringLiteral("数据文件“%1”不存在。").arg(native(data_.path())), SQLITE_CANTOPEN);
    // Replacing the open data file by a copy of itself would leave the connection on the
    // old, unlinked file: every later change would be lost.
    if (StagedCopy::sameFile(target, data_.path()))
        throw StoreError(QStringLiteral("不能把数据文件备份到它自己上面，请选择另一个文件名。"), SQLITE_MISUSE);

    Database &db = data_.database();
    StagedCopy copy(target);
    // A read transaction holds the file still: no write of this or any other program can
    // change it until the copy is complete.
    db.execute(QStringLiteral("BEGIN"));
    try {
        db.execute(QStringLiteral("select count(*) from sqlite_master"));
        copyOpenFile(db, copy);
        db.execute(QStringLiteral("COMMIT"));
    } catch (...) {
        try {
            db.execute(QStringLiteral("ROLLBACK"));
        } catch (const StoreError &) {
        }
        throw;
    }
    copy.commit();
}

void DataFileMaintenance::checkDataFile(const QString &path, const QString &shownName)
{
    const QString name = native(shownName);
    QStringList missing;
    int version = 0;
    try {
        Database db;
        db.open(path, false);
        DataFile::applyKey(db);
        db.execute(QStringLiteral("select count(*) from sqlite_master"));
        missing = Schema::missingTables(db);
        version = userVersion(db, QStringLiteral("main"));
    } catch (const StoreError &error) {
        throw StoreError(QStringLiteral("“%1”不是Tallyra的数据文件，或密码不符，或已经损坏。（%2）")
                             .arg(name, error.description()),
                         error.code());
    }
    if (missing.size() == Schema::tableNames().size())
        throw StoreError(QStringLiteral("“%1”不是Tallyra的数据文件：其中没有任何数据表。").arg(name), SQLITE_NOTADB);
    if (!missing.isEmpty())
        throw StoreError(QStringLiteral("“%1”不是完整的Tallyra数据文件，缺少这些数据表：%2。")
                             .arg(name, missing.join(QStringLiteral("，"))),
                         SQLITE_NOTADB);
    if (version > Schema::Version)
        throw StoreError(QStringLiteral("“%1”来自更新版本的Tallyra，这个版本不能使用它。").arg(name), SQLITE_NOTADB);
}

void DataFileMaintenance::refuseWhileBusy() const
{
    // With our connection closed, a journal beside the data file means another program
    // is in the middle of writing it.
    if (QFileInfo::exists(data_.path() + QStringLiteral("-journal")))
        throw StoreError(QStringLiteral("数据文件“%1”正被其它程序使用，请关闭其它程序后再试。").arg(native(data_.path())),
                         SQLITE_BUSY);
}

void DataFileMaintenance::restore(const QString &backupFile)
{
    StagedCopy copy(data_.path());
    copy.append(backupFile);
    copy.finish();
    checkDataFile(copy.stagedPath(), backupFile);
    data_.close();
    refuseWhileBusy();
    copy.commit();
}

bool DataFileMaintenance::compactIntoScratch()
{
    data_.close();
    const QString source = data_.path();
    if (!QFileInfo::exists(source))
        return false;
    const QString scratch = scratchFile();
    removeScratch(scratch);
    if (QFileInfo::exists(scratch))
        throw StoreError(QStringLiteral("无法删除文件“%1”。").arg(native(scratch)), SQLITE_CANTOPEN);
    {
        // An empty file is an empty database; the connection only opens existing files.
        QFile empty(scratch);
        if (!empty.open(QIODevice::WriteOnly))
            throw StoreError(QStringLiteral("无法建立文件“%1”：%2").arg(native(scratch), empty.errorString()),
                             int(empty.error()));
    }

    try {
        Database db;
        db.open(source, false);
        DataFile::applyKey(db);
        db.execute(QStringLiteral("select count(*) from sqlite_master"));
        db.prepare(QStringLiteral("ATTACH DATABASE ? AS compacted KEY ?")).bindAll({scratch, DataFile::password()}).run();
        db.execute(QStringLiteral("PRAGMA compacted.cipher_page_size = 4096"));
        // The scratch file is thrown away unless the whole export succeeds, so it needs no
        // journal while it is written; it is flushed to the disk before it is used.
        db.execute(QStringLiteral("PRAGMA compacted.journal_mode = OFF"));
        db.execute(QStringLiteral("PRAGMA compacted.synchronous = OFF"));
        db.execute(QStringLiteral("SELECT sqlcipher_export('compacted')"));
        db.execute(QStringLiteral("PRAGMA compacted.user_version = %1").arg(userVersion(db, QStringLiteral("main"))));
        for (const QString &table : Schema::tableNames()) {
            Statement same = db.prepare(QStringLiteral("select (select count(*) from main.\"%1\") = "
                                                       "(select count(*) from compacted.\"%1\")")
                                            .arg(table));
            if (!same.step() || same.integer(0) != 1)
                throw StoreError(QStringLiteral("压缩后的数据表 %1 与原数据不符。").arg(table), SQLITE_CORRUPT);
        }
        db.execute(QStringLiteral("DETACH DATABASE compacted"));
        db.close();

        QFile written(scratch);
        if (!written.open(QIODevice::ReadWrite) || ::fsync(written.handle()) != 0)
            throw StoreError(QStringLiteral("写入文件“%1”时出错：%2").arg(native(scratch), written.errorString()),
                             int(written.error()));
        written.close();
        checkDataFile(scratch, scratch);
    } catch (...) {
        removeScratch(scratch);
        throw;
    }
    return true;
}

void DataFileMaintenance::replaceWithScratch()
{
    data_.close();
    refuseWhileBusy();
    const QString scratch = scratchFile();
    if (QFileInfo::exists(data_.path()))
        QFile::setPermissions(scratch, QFile::permissions(data_.path()));
    if (std::rename(QFile::encodeName(scratch).constData(), QFile::encodeName(data_.path()).constData()) != 0) {
        const int error = errno;
        throw StoreError(QStringLiteral("无法用“%1”替换数据文件“%2”：%3")
                             .arg(native(scratch), native(data_.path()), QString::fromLocal8Bit(std::strerror(error))),
                         error);
    }
}

bool DataFileMaintenance::autoBackup()
{
    Statement st = data_.query(QStringLiteral("select 自动备份 from 系统设置 where id=1"));
    return st.step() && Formats::readFlag(st.text(0)).value_or(false);
}

void DataFileMaintenance::setAutoBackup(bool on)
{
    data_.exec(QStringLiteral("update 系统设置 set 自动备份=? where id=1"),
               {on ? QStringLiteral("1") : QStringLiteral("0")});
}

bool DataFileMaintenance::automaticBackup(const QDate &day)
{
    try {
        if (!autoBackup() || !QFileInfo(folder_.plugIns()).isDir())
            return false;
        backup(automaticBackupFile(day));
        keepNewestAutomaticBackups(folder_.plugIns());
        return true;
    } catch (const StoreError &) {
        // Leaving the program shows nothing, whatever became of the copy.
        return false;
    }
}

QStringList DataFileMaintenance::keepNewestAutomaticBackups(const QString &folder, int keep)
{
    static const QRegularExpression dailyName(QStringLiteral("^\\d{8}\\.mdb$"));
    QStringList daily;
    const QStringList files = QDir(folder).entryList(QDir::Files | QDir::NoSymLinks | QDir::Hidden, QDir::Name);
    for (const QString &name : files) {
        if (dailyName.match(name).hasMatch() && QDate::fromString(name.left(8), QStringLiteral("yyyyMMdd")).isValid())
            daily << name;
    }
    // Names of days sort as the days do: the newest come last.
    QStringList removed;
    for (qsizetype i = 0; i + keep < daily.size(); ++i) {
        if (QFile::remove(folder + u'/' + daily[i]))
            removed << daily[i];
    }
    return removed;
}
