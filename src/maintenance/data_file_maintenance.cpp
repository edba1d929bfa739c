#include "maintenance/data_file_maintenance.h"

#include "maintenance/staged_copy.h"
#include "store/data_file.h"
#include "store/file_ops.h"
#include "store/page_check.h"
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
#include <fcntl.h>
#include <future>
#include <memory>
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

bool isKeyFailure(const StoreError &error) { return (error.code() & 0xFF) == SQLITE_NOTADB; }

// Reads the file under an open connection through the connection's own file handle:
// opening the file a second time and closing it would drop the connection's locks.
// The first bytes (the file's salt) go to `salt` before the rest is copied.
void copyOpenFile(Database &db, StagedCopy &copy, const std::function<void(const QByteArray &salt)> &salt)
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
        if (offset == 0)
            salt(buffer.left(PageCheck::SaltSize));
        copy.write(buffer.constData(), length);
        offset += length;
    }
}

// The engine's own check, for a copy whose pages the quick check could not confirm:
// throws with the engine's first complaint unless the file is sound.
void engineCheck(const QString &path, const QString &passphrase, const QString &failure)
{
    QString verdict;
    try {
        Database db;
        db.open(path, Database::Mode::ReadOnly);
        DataFile::applyKey(db, passphrase);
        Statement st = db.prepare(QStringLiteral("PRAGMA quick_check"));
        verdict = st.step() ? st.text(0) : QString();
    } catch (const StoreError &error) {
        throw StoreError(failure.arg(error.description()), error.code());
    }
    if (verdict != QLatin1String("ok"))
        throw StoreError(failure.arg(verdict), SQLITE_CORRUPT);
}

// Every page of a copy: the fast check of each page's digest, and the engine's check
// when that finds anything amiss (or cannot tell, for a file of other cipher settings).
void checkPages(const QString &path, const QString &passphrase, std::shared_future<std::shared_ptr<PageCheck>> check,
                const QString &failure)
{
    const PageCheck::Result result = check.get()->checkFile(path);
    if (result.kind == PageCheck::Result::Unreadable)
        throw StoreError(failure.arg(result.error), SQLITE_IOERR);
    if (result.kind != PageCheck::Result::Intact)
        engineCheck(path, passphrase, failure);
}

std::shared_future<std::shared_ptr<PageCheck>> derivePageCheck(const QString &passphrase, const QByteArray &salt)
{
    // The key derivation takes as long as opening the file: done beside the copy.
    return std::async(std::launch::async, [key = DataFile::keyBytes(passphrase), salt] {
               return std::make_shared<PageCheck>(key, salt);
           })
        .share();
}

// The data file's journal, when one lies beside it while we hold the exclusive lock (or
// the file cannot be opened), belongs to the file about to be replaced: the engine would
// otherwise play it back into the new one.
void removeStaleJournal(const QString &dataFile)
{
    const QString journal = dataFile + QStringLiteral("-journal");
    if (QFileInfo::exists(journal) && !QFile::remove(journal))
        throw StoreError(QStringLiteral("无法删除旧的日志文件“%1”。").arg(native(journal)), SQLITE_CANTOPEN);
}

void refuseReadOnlyFolder(const QString &dataFile)
{
    const QString blocker = FileOps::writeBlocker(dataFile);
    if (!blocker.isEmpty())
        throw StoreError(QStringLiteral("数据文件是只读的，不能替换：%1。").arg(blocker), SQLITE_READONLY);
}

} // namespace

DataFileMaintenance::~DataFileMaintenance()
{
    // A compaction that never reached its second half lets the file go.
    if (holding_)
        data_.close();
}

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
    const QString passphrase = data_.passphrase();
    StagedCopy copy(target);
    std::shared_future<std::shared_ptr<PageCheck>> check;
    // A read transaction holds the file still: no write of this or any other program can
    // change it until the copy is complete.
    db.execute(QStringLiteral("BEGIN"));
    try {
        db.execute(QStringLiteral("select count(*) from sqlite_master"));
        copyOpenFile(db, copy, [&](const QByteArray &salt) { check = derivePageCheck(passphrase, salt); });
        db.execute(QStringLiteral("COMMIT"));
    } catch (...) {
        try {
            db.execute(QStringLiteral("ROLLBACK"));
        } catch (const StoreError &) {
        }
        throw;
    }
    if (!check.valid())
        throw StoreError(QStringLiteral("数据文件“%1”是空的。").arg(native(data_.path())), SQLITE_NOTADB);
    // The copy is checked while the disk takes it; it gets the target's name only then.
    copy.finish([&] {
        checkPages(copy.stagedPath(), passphrase, check,
                   QStringLiteral("数据文件的副本没有通过检查，备份没有完成（%1）。数据文件本身可能已经损坏。"));
    });
    copy.commit();
}

QString DataFileMaintenance::checkDataFile(const QString &path, const QString &shownName,
                                           const QStringList &passphrases, const PassphraseQuestion &ask)
{
    const QString name = native(shownName);
    const QString unusable = QStringLiteral("“%1”不是Tallyra的数据文件，或密码不符，或已经损坏。（%2）");

    // The key: the first passphrase that opens the file. The page check's own key
    // derivation starts beside the first try.
    const QByteArray salt = PageCheck::saltOf(path);
    QStringList candidates;
    for (const QString &p : passphrases)
        if (!candidates.contains(p))
            candidates << p;
    std::shared_future<std::shared_ptr<PageCheck>> check;
    if (!candidates.isEmpty() && !salt.isEmpty())
        check = derivePageCheck(candidates.first(), salt);

    Database db;
    auto opens = [&](const QString &passphrase) {
        try {
            db.open(path, Database::Mode::ReadOnly);
            DataFile::applyKey(db, passphrase);
            db.execute(QStringLiteral("select count(*) from sqlite_master"));
            return true;
        } catch (const StoreError &error) {
            db.close();
            if (isKeyFailure(error))
                return false;
            throw StoreError(unusable.arg(name, error.description()), error.code());
        }
    };
    std::optional<QString> key;
    for (const QString &p : candidates) {
        if (opens(p)) {
            key = p;
            break;
        }
    }
    if (!key && ask && DataFile::looksEncrypted(path)) {
        bool again = false;
        while (std::optional<QString> typed = ask(again)) {
            if (opens(*typed)) {
                key = *typed;
                break;
            }
            again = true;
        }
        if (!key)
            throw StoreError(QStringLiteral("“%1”设置了数据文件密码，没有输入它的密码。").arg(name), SQLITE_NOTADB);
    }
    if (!key)
        throw StoreError(unusable.arg(name, Database::describe(SQLITE_NOTADB, QString())), SQLITE_NOTADB);

    QStringList missing;
    int version = 0;
    try {
        missing = Schema::missingTables(db);
        version = userVersion(db, QStringLiteral("main"));
    } catch (const StoreError &error) {
        throw StoreError(unusable.arg(name, error.description()), error.code());
    }
    db.close();
    if (missing.size() == Schema::tableNames().size())
        throw StoreError(QStringLiteral("“%1”不是Tallyra的数据文件：其中没有任何数据表。").arg(name), SQLITE_NOTADB);
    if (!missing.isEmpty())
        throw StoreError(QStringLiteral("“%1”不是完整的Tallyra数据文件，缺少这些数据表：%2。")
                             .arg(name, missing.join(QStringLiteral("，"))),
                         SQLITE_NOTADB);
    if (version > Schema::Version)
        throw StoreError(QStringLiteral("“%1”来自更新版本的Tallyra，这个版本不能使用它。").arg(name), SQLITE_NOTADB);

    if (!check.valid() || *key != candidates.first())
        check = derivePageCheck(*key, salt);
    checkPages(path, *key, check, QStringLiteral("“%1”已经损坏，不能使用（%2）。").arg(name, QStringLiteral("%1")));
    return *key;
}

void DataFileMaintenance::restore(const QString &backupFile, const PassphraseQuestion &ask)
{
    const QString path = data_.path();
    refuseReadOnlyFolder(path);
    // The exclusive lock from the first copy to the rename: nothing another program
    // writes in between can be lost. A data file that does not open (damaged, another
    // key) cannot be locked, and cannot be written by anyone either.
    if (QFileInfo::exists(path)) {
        try {
            data_.lockExclusively();
        } catch (const StoreError &error) {
            const int code = error.code() & 0xFF;
            if (code != SQLITE_NOTADB && code != SQLITE_CORRUPT)
                throw;
        }
    }
    try {
        StagedCopy copy(path);
        copy.append(backupFile);
        QString key;
        copy.finish([&] { key = checkDataFile(copy.stagedPath(), backupFile, {data_.passphrase(), QString()}, ask); });
        removeStaleJournal(path);
        const QString staged = copy.handOver();
        try {
            data_.replaceWith(staged);
        } catch (...) {
            QFile::remove(staged);
            throw;
        }
        data_.setPassphrase(key);
    } catch (...) {
        data_.close();
        throw;
    }
}

bool DataFileMaintenance::compactIntoScratch()
{
    const QString source = data_.path();
    if (!QFileInfo::exists(source)) {
        data_.close();
        return false;
    }
    refuseReadOnlyFolder(source);
    const QString scratch = scratchFile();
    removeScratch(scratch);
    if (QFileInfo::exists(scratch))
        throw StoreError(QStringLiteral("无法删除文件“%1”。").arg(native(scratch)), SQLITE_CANTOPEN);
    {
        // An empty file is an empty database; the connection only opens existing files.
        const int fd = ::open(QFile::encodeName(scratch).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            const int error = errno;
            throw StoreError(QStringLiteral("无法建立文件“%1”：%2").arg(native(scratch), FileOps::reason(error)), error);
        }
        ::close(fd);
    }

    try {
        // The data file's own connection takes the exclusive lock and keeps it until the
        // scratch file has taken the data file's place.
        data_.lockExclusively();
        holding_ = true;
        Database &db = data_.database();
        db.prepare(QStringLiteral("ATTACH DATABASE ? AS compacted KEY ?"))
            .bindAll({scratch, QString::fromUtf8(DataFile::keyBytes(data_.passphrase()))})
            .run();
        try {
            db.execute(QStringLiteral("PRAGMA compacted.cipher_page_size = 4096"));
            // The scratch file is thrown away unless the whole export succeeds, so it needs
            // no journal while it is written; it is flushed to the disk before it is used.
            db.execute(QStringLiteral("PRAGMA compacted.journal_mode = OFF"));
            db.execute(QStringLiteral("PRAGMA compacted.synchronous = OFF"));
            db.execute(QStringLiteral("SELECT sqlcipher_export('compacted')"));
            db.execute(QStringLiteral("PRAGMA compacted.user_version = %1").arg(userVersion(db, QStringLiteral("main"))));
            // Every table, the recycle bin's included, holds as many rows as before.
            QStringList tables;
            Statement names = db.prepare(QStringLiteral(
                "select name from main.sqlite_master where type='table' and name not like 'sqlite_%'"));
            while (names.step())
                tables << names.text(0);
            for (const QString &table : tables) {
                QString quoted = table;
                quoted.replace(u'"', QStringLiteral("\"\""));
                Statement same = db.prepare(QStringLiteral("select (select count(*) from main.\"%1\") = "
                                                           "(select count(*) from compacted.\"%1\")")
                                                .arg(quoted));
                if (!same.step() || same.integer(0) != 1)
                    throw StoreError(QStringLiteral("压缩后的数据表 %1 与原数据不符。").arg(table), SQLITE_CORRUPT);
            }
        } catch (...) {
            try {
                db.execute(QStringLiteral("DETACH DATABASE compacted"));
            } catch (const StoreError &) {
            }
            throw;
        }
        db.execute(QStringLiteral("DETACH DATABASE compacted"));

        QFile written(scratch);
        if (!written.open(QIODevice::ReadWrite) || !FileOps::syncFile(written.handle()))
            throw StoreError(QStringLiteral("写入文件“%1”时出错：%2").arg(native(scratch), written.errorString()),
                             int(written.error()));
        written.close();
        checkDataFile(scratch, scratch, {data_.passphrase()});
    } catch (...) {
        holding_ = false;
        data_.close();
        removeScratch(scratch);
        throw;
    }
    return true;
}

void DataFileMaintenance::replaceWithScratch()
{
    const QString scratch = scratchFile();
    try {
        if (QFileInfo::exists(data_.path()))
            QFile::setPermissions(scratch, QFile::permissions(data_.path()));
        removeStaleJournal(data_.path());
        data_.replaceWith(scratch);
    } catch (...) {
        holding_ = false;
        data_.close();
        throw;
    }
    holding_ = false;
}

QString DataFileMaintenance::passphraseProblem(const QString &stored, const QString &typedCurrent,
                                               const QString &fresh, const QString &repeated)
{
    if (typedCurrent != stored)
        return QStringLiteral("当前的数据文件密码不对，请重新输入。");
    if (fresh != repeated)
        return QStringLiteral("两次输入的新密码不一样，请重新输入。");
    if (fresh == stored)
        return stored.isEmpty() ? QStringLiteral("数据文件现在没有设置密码。请输入新密码。")
                                : QStringLiteral("新密码与现在的密码相同。");
    return {};
}

QStringList DataFileMaintenance::removeLeftovers(const QString &dataFile, const QString &plugIns)
{
    QStringList removed;
    auto sweep = [&](const QString &folder, const QRegularExpression &ours) {
        QDir dir(folder);
        if (!dir.exists())
            return;
        for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            if (ours.match(name).hasMatch() && dir.remove(name))
                removed << name;
        }
    };
    const QFileInfo data(dataFile);
    const QString base = QRegularExpression::escape(data.fileName());
    // Staging copies of the data file and of a new data file, the older versions' new
    // file, the compaction's scratch file, and the journals any of them may have.
    sweep(data.absolutePath(),
          QRegularExpression(QStringLiteral("^(\\.%1\\.[A-Za-z0-9]{6}|%1\\.new|temp\\.mdb)(-journal)?$").arg(base)));
    // Staging copies of the automatic backups.
    sweep(plugIns, QRegularExpression(QStringLiteral("^\\.\\d{8}\\.mdb\\.[A-Za-z0-9]{6}$")));
    return removed;
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
