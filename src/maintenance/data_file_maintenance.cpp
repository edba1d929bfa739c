// SPDX-License-Identifier: GPL-3.0-or-later
#include "maintenance/data_file_maintenance.h"

#include "maintenance/staged_copy.h"
#include "store/data_file.h"
#include "store/file_ops.h"
#include "store/page_check.h"
#include "store/program_folder.h"
#include "store/schema.h"
#include "core/sha256.h"
#include "ui/formats.h"

#include <sqlcipher/sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

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

// The engine's own check of a whole file: the quick one (for a copy whose pages the page
// check could not confirm) or the full one, which also compares every index with its
// table. Throws with the engine's first complaint unless the file is sound.
void engineCheck(const QString &path, const QString &passphrase, const QString &failure, bool full = false)
{
    QString verdict;
    try {
        Database db;
        if (DataFile::openKeyed(db, path, Database::Mode::ReadOnly, passphrase) == 0)
            db.fail(SQLITE_NOTADB);
        Statement st = db.prepare(full ? QStringLiteral("PRAGMA integrity_check(1)") : QStringLiteral("PRAGMA quick_check"));
        verdict = st.step() ? st.text(0) : QString();
    } catch (const StoreError &error) {
        throw StoreError(failure.arg(error.description()), error.code());
    }
    if (verdict != QLatin1String("ok"))
        throw StoreError(failure.arg(verdict), SQLITE_CORRUPT);
}

// Every page of a copy: the fast check of each page's digest, and the engine's check
// when that finds anything amiss (or cannot tell, for a file of other cipher settings).
// Returns the file's SHA-256 digest, taken in the same reading.
QByteArray checkPages(const QString &path, const QString &passphrase,
                      std::shared_future<std::shared_ptr<PageCheck>> check, const QString &failure)
{
    QByteArray digest;
    const PageCheck::Result result = check.get()->checkFile(path, &digest);
    if (result.kind == PageCheck::Result::Unreadable)
        throw StoreError(failure.arg(result.error), SQLITE_IOERR);
    if (result.kind == PageCheck::Result::Intact)
        return digest;
    engineCheck(path, passphrase, failure);
    QString error;
    const std::optional<QByteArray> whole = Sha256::ofFile(path, &error);
    if (!whole)
        throw StoreError(failure.arg(error), SQLITE_IOERR);
    return *whole;
}

std::shared_future<std::shared_ptr<PageCheck>> derivePageCheck(const QString &passphrase, const QByteArray &salt,
                                                               int iterations)
{
    // The key derivation takes as long as opening the file: done beside the copy.
    return std::async(std::launch::async, [key = DataFile::keyBytes(passphrase), salt, iterations] {
               return std::make_shared<PageCheck>(key, salt, iterations);
           })
        .share();
}

// A staging file beside `target` (".name.XXXXXX", a name the start-up clean-up knows as
// ours), created empty and closed; the caller renames or removes it.
QString stagingFile(const QString &target)
{
    const QFileInfo info(target);
    QTemporaryFile staged(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX"));
    if (!staged.open())
        throw StoreError(QStringLiteral("无法在“%1”中建立文件：%2").arg(native(info.absolutePath()), staged.errorString()),
                         SQLITE_CANTOPEN);
    staged.setAutoRemove(false);
    return staged.fileName();
}

// A copy of a data file keyed with another passphrase, in a staging file beside `target`;
// returns its path. The source is opened with `key`.
QString rekeyedCopy(const QString &source, const QString &key, const QString &passphrase, const QString &target)
{
    const QString staged = stagingFile(target);
    try {
        // Read and written, not changed: a connection that may not write could not write
        // the copy it attaches either.
        Database db;
        if (DataFile::openKeyed(db, source, Database::Mode::ReadWrite, key) == 0)
            db.fail(SQLITE_NOTADB);
        DataFile::exportCopy(db, staged, passphrase);
    } catch (...) {
        QFile::remove(staged);
        throw;
    }
    return staged;
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

// While a backup is made, its staging files are listed beside the data file, so that a
// run killed in the middle leaves nothing for good in the folder the user chose: the next
// start removes what the list names.
class PendingCopy {
public:
    PendingCopy(const QString &dataFile, const QString &staged)
        : list_(DataFileMaintenance::pendingCopiesFile(dataFile)), staged_(QFile::encodeName(staged))
    {
        QFile file(list_);
        if (file.open(QIODevice::Append)) {
            file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
            file.write(staged_ + '\n');
            file.flush();
            FileOps::syncFile(file.handle());
        }
    }
    ~PendingCopy()
    {
        QFile file(list_);
        if (!file.open(QIODevice::ReadOnly))
            return;
        QByteArrayList lines = file.readAll().split('\n');
        file.close();
        lines.removeAll(staged_);
        lines.removeAll(QByteArray());
        if (lines.isEmpty())
            QFile::remove(list_);
        else if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(lines.join('\n') + '\n');
    }
    PendingCopy(const PendingCopy &) = delete;
    PendingCopy &operator=(const PendingCopy &) = delete;

private:
    QString list_;
    QByteArray staged_;
};

// The automatic backups of a folder, oldest first: files named after a real day,
// "yyyymmdd.mdb".
QStringList automaticBackups(const QString &folder)
{
    static const QRegularExpression dailyName(QStringLiteral("^\\d{8}\\.mdb$"));
    QStringList daily;
    const QStringList files = QDir(folder).entryList(QDir::Files | QDir::NoSymLinks | QDir::Hidden, QDir::Name);
    for (const QString &name : files) {
        if (dailyName.match(name).hasMatch() && QDate::fromString(name.left(8), QStringLiteral("yyyyMMdd")).isValid())
            daily << name;
    }
    // Names of days sort as the days do.
    return daily;
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
    const int cost = data_.kdf();
    StagedCopy copy(target);
    const PendingCopy pending(data_.path(), copy.stagedPath());
    std::shared_future<std::shared_ptr<PageCheck>> check;
    // A read transaction holds the file still: no write of this or any other program can
    // change it until the copy is complete.
    db.execute(QStringLiteral("BEGIN"));
    try {
        db.execute(QStringLiteral("select count(*) from sqlite_master"));
        copyOpenFile(db, copy, [&](const QByteArray &salt) { check = derivePageCheck(passphrase, salt, cost); });
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
    // The copy is checked while the disk takes it: every page intact, and byte for byte
    // what was read from the data file. It gets the target's name only then.
    const QByteArray digest = copy.digest();
    const QString failure =
        QStringLiteral("数据文件的副本没有通过检查，备份没有完成（%1）。数据文件本身可能已经损坏。");
    copy.finish([&] {
        if (checkPages(copy.stagedPath(), passphrase, check, failure) != digest)
            throw StoreError(failure.arg(QStringLiteral("副本与读出的数据不一致")), SQLITE_IOERR);
    });
    // A backup never stands beside the record of the file it replaces; should the record
    // of this one not be written, the restore checks the whole file instead.
    const QString record = recordFile(target);
    if (QFileInfo::exists(record) && !QFile::remove(record))
        throw StoreError(QStringLiteral("无法删除旧的校验文件“%1”。").arg(native(record)), SQLITE_CANTOPEN);
    copy.commit();
    writeRecord(target, digest);
}

void DataFileMaintenance::writeRecord(const QString &backup, const QByteArray &digest)
{
    try {
        StagedCopy record(recordFile(backup));
        const PendingCopy pending(data_.path(), record.stagedPath());
        const QByteArray line = digest.toHex() + "  " + QFileInfo(backup).fileName().toUtf8() + '\n';
        record.write(line.constData(), line.size());
        record.commit();
    } catch (const StoreError &) {
        // Without its record a backup is checked whole when it is restored.
    }
}

QString DataFileMaintenance::checkDataFile(const QString &path, const QString &shownName,
                                           const QStringList &passphrases, const PassphraseQuestion &ask,
                                           const Proof &proof)
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
    int checkCost = 0;
    if (proof.kind != Proof::Whole && !candidates.isEmpty() && !salt.isEmpty()) {
        checkCost = DataFile::kdfIterations(candidates.first());
        check = derivePageCheck(candidates.first(), salt, checkCost);
    }

    Database db;
    int cost = 0;
    auto opens = [&](const QString &passphrase) {
        try {
            cost = DataFile::openKeyed(db, path, Database::Mode::ReadOnly, passphrase);
            return cost > 0;
        } catch (const StoreError &error) {
            db.close();
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
    if (!key && DataFile::firstPageDamaged(path, candidates))
        throw StoreError(QStringLiteral("“%1”已经损坏，不能使用：它的第一页无法读取。").arg(name), SQLITE_CORRUPT);
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

    const QString damaged = QStringLiteral("“%1”已经损坏，不能使用（%2）。").arg(name, QStringLiteral("%1"));
    if (proof.kind == Proof::Whole) {
        engineCheck(path, *key, damaged, true);
        return *key;
    }
    if (!check.valid() || *key != candidates.first() || cost != checkCost)
        check = derivePageCheck(*key, salt, cost);
    const QByteArray digest = checkPages(path, *key, check, damaged);
    if (proof.kind == Proof::Recorded && digest != proof.digest)
        throw StoreError(damaged.arg(QStringLiteral("与备份时记下的校验值不符")), SQLITE_CORRUPT);
    return *key;
}

QString DataFileMaintenance::keptCopyFile(const QDateTime &now) const
{
    const QString stem = folder_.plugIns() + QStringLiteral("/还原前-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = stem + QStringLiteral(".mdb");
    for (int n = 2; QFileInfo::exists(name) || QFileInfo::exists(recordFile(name)); ++n)
        name = stem + QStringLiteral("-%1.mdb").arg(n);
    return name;
}

DataFileMaintenance::Restored DataFileMaintenance::restore(const QString &backupFile, const PassphraseQuestion &ask,
                                                           const QDateTime &now)
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
    Restored restored;
    try {
        StagedCopy copy(path);
        copy.append(backupFile);
        // The program's own backups are proved by their records, others whole.
        const std::optional<QByteArray> record = recordedDigest(backupFile);
        if (record && *record != copy.digest())
            throw StoreError(QStringLiteral("“%1”与备份时记下的校验值（%2）不符：文件在备份之后被改动过或已经损坏，"
                                            "不能用来还原。")
                                 .arg(native(backupFile), native(recordFile(backupFile))),
                             SQLITE_CORRUPT);
        const Proof proof = record ? Proof{Proof::Recorded, *record} : Proof{Proof::Whole, {}};
        QString key;
        copy.finish([&] {
            key = checkDataFile(copy.stagedPath(), backupFile, {data_.passphrase(), QString()}, ask, proof);
        });
        QString staged = copy.handOver();
        try {
            // Books with a passphrase keep it, whatever key the backup had.
            if (!data_.passphrase().isEmpty() && key != data_.passphrase()) {
                const QString rekeyed = rekeyedCopy(staged, key, data_.passphrase(), path);
                QFile::remove(staged);
                staged = rekeyed;
                QFile::setPermissions(staged, QFile::permissions(path));
                key = checkDataFile(staged, backupFile, {data_.passphrase()});
                restored.keptPassphrase = true;
            }
            // What is about to be replaced is kept first, checked like every backup.
            if (QFileInfo::exists(path)) {
                const QString kept = keptCopyFile(now);
                try {
                    if (!QDir().mkpath(folder_.plugIns()))
                        throw StoreError(QStringLiteral("无法创建文件夹“%1”。").arg(native(folder_.plugIns())),
                                         SQLITE_CANTOPEN);
                    backup(kept);
                } catch (const StoreError &error) {
                    throw StoreError(QStringLiteral("无法先把现在的数据文件复制为“%1”，所以没有还原：%2")
                                         .arg(native(kept), error.description()),
                                     error.code());
                }
                restored.keptCopy = kept;
            }
            removeStaleJournal(path);
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
    return restored;
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
        DataFile::exportCopy(data_.database(), scratch, data_.passphrase());
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

QStringList DataFileMaintenance::backupsUnderOtherKeys() const
{
    QStringList other;
    const QString folder = folder_.plugIns();
    for (const QString &name : automaticBackups(folder)) {
        const QString file = folder + u'/' + name;
        // Only the full cost of the passphrase counts: the key is tried once.
        Database db;
        try {
            db.open(file, Database::Mode::ReadOnly);
            DataFile::applyKey(db, data_.passphrase());
            db.execute(QStringLiteral("select count(*) from sqlite_master"));
        } catch (const StoreError &) {
            other << file;
        }
    }
    return other;
}

QStringList DataFileMaintenance::rekeyBackups(const QStringList &backups, const QStringList &keys)
{
    QStringList left;
    for (const QString &file : backups) {
        try {
            std::optional<QString> key;
            for (const QString &k : keys) {
                Database db;
                if (DataFile::openKeyed(db, file, Database::Mode::ReadOnly, k) > 0) {
                    key = k;
                    break;
                }
            }
            if (!key) {
                left << file;
                continue;
            }
            const QString staged = rekeyedCopy(file, *key, data_.passphrase(), file);
            QByteArray digest;
            try {
                QFile::setPermissions(staged, QFile::permissions(file));
                checkDataFile(staged, file, {data_.passphrase()});
                QString error;
                const std::optional<QByteArray> whole = Sha256::ofFile(staged, &error);
                if (!whole)
                    throw StoreError(error, SQLITE_IOERR);
                digest = *whole;
                QFile::remove(recordFile(file));
                if (std::rename(QFile::encodeName(staged).constData(), QFile::encodeName(file).constData()) != 0)
                    throw StoreError(FileOps::reason(errno), errno);
            } catch (...) {
                QFile::remove(staged);
                throw;
            }
            FileOps::syncFolder(QFileInfo(file).absolutePath());
            writeRecord(file, digest);
        } catch (const StoreError &) {
            left << file;
        }
    }
    return left;
}

int DataFileMaintenance::deleteBackups(const QStringList &backups)
{
    int deleted = 0;
    for (const QString &file : backups) {
        if (QFile::remove(file)) {
            QFile::remove(recordFile(file));
            ++deleted;
        }
    }
    return deleted;
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
    const QStringList daily = automaticBackups(folder);
    QStringList removed;
    for (qsizetype i = 0; i + keep < daily.size(); ++i) {
        if (QFile::remove(folder + u'/' + daily[i])) {
            QFile::remove(recordFile(folder + u'/' + daily[i]));
            removed << daily[i];
        }
    }
    return removed;
}
