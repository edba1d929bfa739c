// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/data_file.h"

#include "core/money.h"
#include "core/pbkdf2.h"
#include "store/file_ops.h"
#include "store/page_check.h"
#include "store/schema.h"

#include <sqlcipher/sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <optional>
#include <unistd.h>

namespace {

// An amount as the data file holds it: text as typed, or a number another program wrote.
std::optional<Money> moneyOf(sqlite3_value *value)
{
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        return Money::fromYuan(sqlite3_value_int64(value));
    case SQLITE_FLOAT: {
        char text[40];
        const int n = std::snprintf(text, sizeof text, "%.15g", sqlite3_value_double(value));
        return Money::fromStored(std::string_view(text, size_t(n)));
    }
    case SQLITE_TEXT:
        return Money::fromStored(std::string_view(reinterpret_cast<const char *>(sqlite3_value_text(value)),
                                                  size_t(sqlite3_value_bytes(value))));
    default:
        return std::nullopt;
    }
}

// amount(t5): the amount as a number (for ordering and comparing), NULL when it is not one.
void amountFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (std::optional<Money> money = moneyOf(argv[0]))
        sqlite3_result_double(context, money->toDouble());
    else
        sqlite3_result_null(context);
}

QString native(const QString &path) { return QDir::toNativeSeparators(path); }

// money_total(t5): the exact sum of the amounts, as decimal text ("0" for no rows); an
// amount that is not a number adds nothing, exactly as in the lists.
// The running sum lives in SQLite's aggregate memory, which is only 8-byte aligned: it is
// copied in and out rather than addressed as a 16-byte integer.
void moneyTotalStep(sqlite3_context *context, int, sqlite3_value **argv)
{
    void *memory = sqlite3_aggregate_context(context, sizeof(Money::Units));
    if (!memory)
        return sqlite3_result_error_nomem(context);
    if (std::optional<Money> money = moneyOf(argv[0])) {
        Money::Units sum;
        std::memcpy(&sum, memory, sizeof sum);
        sum = (Money::fromUnits(sum) + *money).units();
        std::memcpy(memory, &sum, sizeof sum);
    }
}

void moneyTotalFinal(sqlite3_context *context)
{
    Money::Units sum = 0;
    if (void *memory = sqlite3_aggregate_context(context, 0))
        std::memcpy(&sum, memory, sizeof sum);
    const QByteArray text = Money::fromUnits(sum).exact().toLatin1();
    sqlite3_result_text(context, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}


[[noreturn]] void failOpening(const QString &path, const QString &reason, const QString &detail, int code)
{
    QString text = QStringLiteral("无法打开数据文件“%1”。").arg(QDir::toNativeSeparators(path));
    if (reason.isEmpty())
        text += detail;
    else if (!detail.isEmpty())
        text += reason + QStringLiteral("（%1）").arg(detail);
    else
        text += reason;
    throw StoreError(text, code);
}

} // namespace

QString DataFile::password() { return QStringLiteral("qmx4172"); }

QByteArray DataFile::keyBytes(const QString &passphrase)
{
    return passphrase.isEmpty() ? password().toUtf8() : passphrase.toUtf8();
}

int DataFile::kdfIterations(const QString &passphrase)
{
    return passphrase.isEmpty() ? LegacyKdfIterations : KdfIterations;
}

void DataFile::applyKey(Database &db, const QString &passphrase, int iterations)
{
    db.key(keyBytes(passphrase));
    db.execute(QStringLiteral("PRAGMA kdf_iter = %1").arg(iterations > 0 ? iterations : kdfIterations(passphrase)));
    db.execute(QStringLiteral("PRAGMA cipher_page_size = 4096"));
}

QByteArray DataFile::derivedKey(const QString &passphrase, const QByteArray &salt, int iterations)
{
    // The cipher's own derivation of its 32-byte key, handed over as a raw key ("x'…'"),
    // which it takes as it is: the same key, without the cipher's slower way to it.
    return "x'" + Pbkdf2::derive(Pbkdf2::Hash::Sha1, keyBytes(passphrase), salt, iterations, 32).toHex() + '\'';
}

int DataFile::openKeyed(Database &db, const QString &path, Database::Mode mode, const QString &passphrase)
{
    QList<int> costs{kdfIterations(passphrase)};
    if (costs.first() != LegacyKdfIterations)
        costs << LegacyKdfIterations;
    const QByteArray salt = PageCheck::saltOf(path);
    for (int cost : costs) {
        db.open(path, mode);
        try {
            if (salt.isEmpty()) {
                applyKey(db, passphrase, cost);
            } else {
                db.key(derivedKey(passphrase, salt, cost));
                db.execute(QStringLiteral("PRAGMA cipher_page_size = 4096"));
            }
            // The first read of the file: a key that does not fit fails here.
            db.execute(QStringLiteral("select count(*) from sqlite_master"));
            return cost;
        } catch (const StoreError &error) {
            db.close();
            if ((error.code() & 0xFF) != SQLITE_NOTADB)
                throw;
        }
    }
    return 0;
}

void DataFile::exportCopy(Database &db, const QString &target, const QString &passphrase)
{
    db.prepare(QStringLiteral("ATTACH DATABASE ? AS copied KEY ?"))
        .bindAll({target, QString::fromUtf8(keyBytes(passphrase))})
        .run();
    try {
        db.execute(QStringLiteral("PRAGMA copied.kdf_iter = %1").arg(kdfIterations(passphrase)));
        db.execute(QStringLiteral("PRAGMA copied.cipher_page_size = 4096"));
        // The copy is thrown away unless the whole export succeeds, so it needs no journal
        // while it is written; it is flushed to the disk at the end.
        db.execute(QStringLiteral("PRAGMA copied.journal_mode = OFF"));
        db.execute(QStringLiteral("PRAGMA copied.synchronous = OFF"));
        db.execute(QStringLiteral("SELECT sqlcipher_export('copied')"));
        Statement version = db.prepare(QStringLiteral("PRAGMA main.user_version"));
        const qint64 fileVersion = version.step() ? version.integer(0) : 0;
        db.execute(QStringLiteral("PRAGMA copied.user_version = %1").arg(fileVersion));
        // Every table, the recycle bin's included, holds as many rows as before.
        QStringList tables;
        Statement names = db.prepare(
            QStringLiteral("select name from main.sqlite_master where type='table' and name not like 'sqlite_%'"));
        while (names.step())
            tables << names.text(0);
        for (const QString &table : tables) {
            QString quoted = table;
            quoted.replace(u'"', QStringLiteral("\"\""));
            Statement same = db.prepare(
                QStringLiteral("select (select count(*) from main.\"%1\") = (select count(*) from copied.\"%1\")")
                    .arg(quoted));
            if (!same.step() || same.integer(0) != 1)
                throw StoreError(QStringLiteral("复制后的数据表 %1 与原数据不符。").arg(table), SQLITE_CORRUPT);
        }
    } catch (...) {
        try {
            db.execute(QStringLiteral("DETACH DATABASE copied"));
        } catch (const StoreError &) {
        }
        throw;
    }
    db.execute(QStringLiteral("DETACH DATABASE copied"));
    QFile written(target);
    if (!written.open(QIODevice::ReadWrite) || !FileOps::syncFile(written.handle()))
        throw StoreError(QStringLiteral("写入文件“%1”时出错：%2").arg(native(target), written.errorString()),
                         int(written.error()));
}

bool DataFile::firstPageDamaged(const QString &path, const QStringList &passphrases)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray pages = file.read(2 * PageCheck::PageSize);
    if (pages.size() < 2 * PageCheck::PageSize)
        return false;
    const QByteArray salt = pages.left(PageCheck::SaltSize);
    QList<std::pair<QString, int>> keys{{QString(), LegacyKdfIterations}};
    for (const QString &p : passphrases)
        if (!p.isEmpty())
            keys << std::pair(p, int(KdfIterations)) << std::pair(p, int(LegacyKdfIterations));
    for (const auto &[p, cost] : keys)
        if (PageCheck(keyBytes(p), salt, cost).intact(pages.constData() + PageCheck::PageSize, 2))
            return true;
    return false;
}

bool DataFile::looksEncrypted(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (size < 1024 || size % 512 != 0)
        return false;
    const QByteArray head = file.read(1024);
    if (head.size() < 1024 || head.startsWith(QByteArray("SQLite format 3\0", 16)))
        return false;
    // Encrypted pages use nearly every byte value; text and damaged files a few.
    bool seen[256] = {};
    int distinct = 0;
    for (char c : head) {
        auto &s = seen[static_cast<unsigned char>(c)];
        if (!s) {
            s = true;
            ++distinct;
        }
    }
    return distinct >= 160;
}

DataFile::DataFile(const QString &path) : path_(path) {}

DataFile::~DataFile() { close(); }

Database &DataFile::database()
{
    OpenDataFile();
    return db_;
}

void DataFile::OpenDataFile()
{
    if (db_.isOpen())
        return;
    if (QFileInfo::exists(path_))
        openExisting();
    else
        createNew();
    strengthenKey();
}

void DataFile::close()
{
    runBeforeExclusive();
    db_.close();
}

void DataFile::runBeforeExclusive()
{
    if (beforeExclusive_) {
        const std::function<void()> hook = beforeExclusive_;  // it may clear itself
        hook();
    }
}

void DataFile::setPassphrase(const QString &passphrase)
{
    if (passphrase == passphrase_)
        return;
    close();
    passphrase_ = passphrase;
}

void DataFile::setBusyTimeout(int milliseconds)
{
    busyTimeoutMs_ = milliseconds;
    applyBusyWait();
}

void DataFile::setWhenWaiting(std::function<void()> hook)
{
    whenWaiting_ = std::move(hook);
    applyBusyWait();
}

void DataFile::applyBusyWait()
{
    if (!db_.isOpen())
        return;
    db_.setBusyTimeout(busyTimeoutMs_);
    if (!whenWaiting_)
        return;
    // The engine's wait, with a word to whoever holds the lock when the wait begins.
    sqlite3_busy_handler(
        db_.handle(),
        [](void *self, int tries) -> int {
            auto *file = static_cast<DataFile *>(self);
            constexpr int StepMs = 10;
            if (tries == 0 && file->whenWaiting_)
                file->whenWaiting_();
            if (tries * StepMs >= file->busyTimeoutMs_)
                return 0;
            ::usleep(StepMs * 1000);
            return 1;
        },
        this);
}

bool DataFile::changedSince(const std::tuple<void *, qint64, qint64> &seen)
{
    return db_.isOpen() && !db_.inTransaction() && changeMark() != seen;
}

std::tuple<void *, qint64, qint64> DataFile::changeMark()
{
    if (!db_.isOpen())
        return {nullptr, 0, 0};
    qint64 version = 0;
    try {
        Statement st = db_.prepare(QStringLiteral("PRAGMA data_version"));
        version = st.step() ? st.integer(0) : 0;
    } catch (const StoreError &) {
        version = -1;
    }
    return {db_.handle(), db_.totalChanges(), version};
}

void DataFile::betweenPieces()
{
    if (betweenPieces_)
        betweenPieces_();
}

StoreError DataFile::readOnlyError() const
{
    return StoreError(QStringLiteral("数据文件是只读的，修改不能保存：%1。").arg(readOnlyReason_), SQLITE_READONLY);
}

StoreError DataFile::readOnlyNotice() const
{
    return StoreError(QStringLiteral("%1。Tallyra只能显示其中的数据，所有修改都不能保存。").arg(readOnlyReason_),
                      SQLITE_READONLY);
}

void DataFile::refuseIfReadOnly()
{
    OpenDataFile();
    if (isReadOnly())
        throw readOnlyError();
}

void DataFile::configure()
{
    applyBusyWait();
    if (!isReadOnly()) {
        db_.execute(QStringLiteral("PRAGMA journal_mode = DELETE"));
        db_.execute(QStringLiteral("PRAGMA synchronous = FULL"));
    }
    db_.execute(QStringLiteral("PRAGMA cache_size = -%1").arg(CacheKiB));
    int rc = sqlite3_create_function_v2(db_.handle(), "amount", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                        nullptr, amountFunction, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db_.handle(), "money_total", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                        nullptr, nullptr, moneyTotalStep, moneyTotalFinal, nullptr);
    if (rc != SQLITE_OK)
        db_.fail(rc);
}

void DataFile::openExisting()
{
    QStringList missing;
    int fileVersion = 0;
    needsPassphrase_ = false;
    readOnlyReason_ = FileOps::writeBlocker(path_);
    try {
        // Reading the schema is the first access to the file: a wrong key or a file that
        // is not a data file of ours fails here, before anything is written.
        kdf_ = openKeyed(db_, path_, isReadOnly() ? Database::Mode::ReadOnly : Database::Mode::ReadWrite, passphrase_);
        if (kdf_ == 0)
            throw StoreError(Database::describe(SQLITE_NOTADB, QStringLiteral("file is not a database")), SQLITE_NOTADB);
        configure();
        missing = Schema::missingTables(db_);
        Statement version = db_.prepare(QStringLiteral("PRAGMA user_version"));
        fileVersion = version.step() ? int(version.integer(0)) : 0;
    } catch (const StoreError &error) {
        db_.close();
        const bool keyFails = (error.code() & 0xFF) == SQLITE_NOTADB && looksEncrypted(path_);
        // A key that fits every page but the first: the file is damaged, not locked.
        const bool damaged = keyFails && firstPageDamaged(path_, {passphrase_});
        needsPassphrase_ = keyFails && !damaged;
        failOpening(path_,
                    damaged           ? QStringLiteral("数据文件已经损坏：它的第一页无法读取。")
                    : needsPassphrase_ ? QStringLiteral("数据文件设置了密码，或密码不符。")
                                       : QString(),
                    error.description(), error.code());
    }
    if (!missing.isEmpty()) {
        db_.close();
        failOpening(path_, QStringLiteral("文件中没有这些数据表：%1。").arg(missing.join(QStringLiteral("，"))),
                    QString(), SQLITE_NOTADB);
    }
    if (fileVersion > Schema::Version) {
        db_.close();
        failOpening(path_, QStringLiteral("文件来自更新版本的Tallyra。"), QString(), SQLITE_NOTADB);
    }
    if (fileVersion < Schema::Version) {
        // An older file gains its newer tables and indexes before first use; one that
        // cannot be written cannot gain them, and the lists would fail without them.
        if (isReadOnly()) {
            db_.close();
            failOpening(path_,
                        QStringLiteral("文件来自旧版本的Tallyra，需要先升级才能使用，但是%1。请让它可以写入后再打开。")
                            .arg(readOnlyReason_),
                        QString(), SQLITE_READONLY);
        }
        try {
            Schema::migrate(db_, fileVersion);
        } catch (const StoreError &error) {
            db_.close();
            failOpening(path_, QString(), error.description(), error.code());
        }
    }
}

void DataFile::strengthenKey()
{
    // A passphrase set by an older version gets the full cost of its key. Should that
    // fail, the file stays as it was and is used as it is until the next start.
    if (kdf_ >= kdfIterations(passphrase_) || isReadOnly() || keyRewriteFailed_)
        return;
    try {
        rewriteKeyed(passphrase_);
    } catch (const StoreError &) {
        keyRewriteFailed_ = true;
    }
    if (!db_.isOpen())
        openExisting();
}

void DataFile::createNew()
{
    // Build the new file beside its final name and move it into place only when it is
    // complete, so that an interrupted start never leaves a half-made data file. The
    // staging name is one that the start-up clean-up knows as ours.
    const QFileInfo target(path_);
    auto failCreating = [&](const QString &detail, int code) -> StoreError {
        return StoreError(QStringLiteral("无法建立数据文件“%1”。（%2）").arg(native(path_), detail), code);
    };
    QTemporaryFile staged(target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".XXXXXX"));
    if (!staged.open())
        throw failCreating(staged.errorString(), SQLITE_CANTOPEN);
    try {
        Database db;
        db.open(staged.fileName(), Database::Mode::ReadWrite);
        applyKey(db, passphrase_);
        db.execute(QStringLiteral("PRAGMA journal_mode = DELETE"));
        db.execute(QStringLiteral("PRAGMA synchronous = FULL"));
        Schema::create(db);
        db.close();
    } catch (const StoreError &error) {
        QFile::remove(staged.fileName() + QStringLiteral("-journal"));
        throw failCreating(error.description(), error.code());
    }
    if (!FileOps::syncFile(staged.handle()))
        throw failCreating(FileOps::reason(errno), SQLITE_IOERR);
    // Closed before the connection opens the file: closing a descriptor of a file drops
    // the connection's locks on it. The name stays (and is removed unless it is used).
    staged.close();

    FileLock next;
    if (claimed_ && next.take(staged.fileName()) != FileLock::Result::Taken)
        throw failCreating(FileOps::reason(errno), SQLITE_CANTOPEN);
    if (!FileOps::renameNoReplace(staged.fileName(), path_)) {
        // Another program made the file at the same moment: use that one.
        if (errno != EEXIST)
            throw failCreating(FileOps::reason(errno), SQLITE_CANTOPEN);
    } else {
        staged.setAutoRemove(false);
        FileOps::syncFolder(target.absolutePath());
        if (claimed_)
            lock_ = std::move(next);
    }
    if (!claimed_ || lock_.isHeld())
        openExisting();
}

bool DataFile::claim()
{
    claimed_ = true;
    if (lock_.isHeld())
        return true;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!QFileInfo::exists(path_)) {
            close();
            createNew();
            if (lock_.isHeld())
                return true;
        }
        switch (lock_.take(path_)) {
        case FileLock::Result::Taken:
            return true;
        case FileLock::Result::Held:
            claimed_ = false;
            return false;
        case FileLock::Result::Failed:
            if (errno == ENOENT)
                continue;  // removed in between: make it anew
            claimed_ = false;
            throw StoreError(QStringLiteral("无法打开数据文件“%1”：%2。").arg(native(path_), FileOps::reason(errno)),
                             SQLITE_CANTOPEN);
        }
    }
    claimed_ = false;
    throw StoreError(QStringLiteral("无法打开数据文件“%1”。").arg(native(path_)), SQLITE_CANTOPEN);
}

bool DataFile::passphraseOpens(const QString &passphrase) const
{
    Database db;
    return openKeyed(db, path_, Database::Mode::ReadOnly, passphrase) > 0;
}

void DataFile::changePassphrase(const QString &passphrase)
{
    refuseIfReadOnly();
    if (passphrase == passphrase_ && kdf_ == kdfIterations(passphrase))
        return;
    rewriteKeyed(passphrase);
}

void DataFile::rewriteKeyed(const QString &passphrase)
{
    // The copy is made beside the file (under a name the start-up clean-up knows as ours)
    // while the exclusive lock holds the file still, and is checked by the export.
    lockExclusively();
    const QFileInfo target(path_);
    QTemporaryFile staged(target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".XXXXXX"));
    try {
        if (!staged.open())
            throw StoreError(QStringLiteral("无法在“%1”中建立文件：%2").arg(native(target.absolutePath()), staged.errorString()),
                             SQLITE_CANTOPEN);
        // Its descriptor goes before the engine opens it: closing it later would drop the
        // engine's locks.
        staged.close();
        exportCopy(db_, staged.fileName(), passphrase);
        QFile::setPermissions(staged.fileName(), QFile::permissions(path_));
        replaceWith(staged.fileName());
        staged.setAutoRemove(false);
    } catch (...) {
        close();
        throw;
    }
    passphrase_ = passphrase;
    kdf_ = kdfIterations(passphrase);
}

void DataFile::lockExclusively()
{
    runBeforeExclusive();
    refuseIfReadOnly();
    db_.execute(QStringLiteral("PRAGMA main.locking_mode = EXCLUSIVE"));
    try {
        // In exclusive locking mode the lock that BEGIN EXCLUSIVE takes outlives COMMIT.
        db_.execute(QStringLiteral("BEGIN EXCLUSIVE"));
        db_.execute(QStringLiteral("COMMIT"));
    } catch (const StoreError &) {
        close();
        throw;
    }
}

void DataFile::replaceWith(const QString &completeFile)
{
    FileLock next;
    if (claimed_ && next.take(completeFile) != FileLock::Result::Taken)
        throw StoreError(QStringLiteral("无法锁定文件“%1”：%2。").arg(native(completeFile), FileOps::reason(errno)),
                         SQLITE_CANTOPEN);
    if (std::rename(QFile::encodeName(completeFile).constData(), QFile::encodeName(path_).constData()) != 0) {
        const int error = errno;
        close();
        throw StoreError(QStringLiteral("无法用“%1”替换数据文件“%2”：%3。")
                             .arg(native(completeFile), native(path_), FileOps::reason(error)),
                         error);
    }
    FileOps::syncFolder(QFileInfo(path_).absolutePath());
    // The connection (and its lock) goes before the old file's program lock: closing that
    // descriptor would drop the connection's locks.
    close();
    if (claimed_)
        lock_ = std::move(next);
}

QStringList DataFile::texts(const QString &sql, const QVariantList &values)
{
    QStringList texts;
    Statement st = query(sql, values);
    while (st.step())
        texts << st.text(0);
    return texts;
}

Statement DataFile::query(const QString &sql, const QVariantList &values)
{
    sqlText_ = sql;
    OpenDataFile();
    Statement st = db_.prepare(sql);
    st.bindAll(values);
    return st;
}

int DataFile::exec(const QString &sql, const QVariantList &values)
{
    sqlText_ = sql;
    refuseIfReadOnly();
    query(sql, values).run();
    return db_.changes();
}

qint64 DataFile::insert(const QString &sql, const QVariantList &values)
{
    sqlText_ = sql;
    refuseIfReadOnly();
    query(sql, values).run();
    return db_.lastInsertId();
}

QString DataFile::indexHint(const QString &name)
{
    if (name.isEmpty())
        return {};
    Statement st = query(QStringLiteral("select 1 from sqlite_master where type='index' and name=?"), {name});
    return st.step() ? QStringLiteral(" indexed by ") + name : QString();
}

DataFile::WideCache::WideCache(DataFile &file) : file_(file)
{
    Statement pages = file_.database().prepare(QStringLiteral("PRAGMA page_count"));
    const qint64 fileKiB = pages.step() ? pages.integer(0) * 4 : 0;
    const qint64 memoryKiB = qint64(::sysconf(_SC_PHYS_PAGES)) * (::sysconf(_SC_PAGESIZE) / 1024);
    // 删除全部 of an account set that holds most of the file touches nearly every page of
    // every index, and the bin grows meanwhile: with room for half the file, pages were
    // read, decrypted, written and encrypted again and again (three times the time).
    qint64 kib = std::min<qint64>(fileKiB + fileKiB / 4, 512 * 1024);
    if (memoryKiB > 0)
        kib = std::min(kib, memoryKiB / 8);
    if (kib > CacheKiB)
        file_.db_.execute(QStringLiteral("PRAGMA cache_size = -%1").arg(kib));
}

DataFile::WideCache::~WideCache()
{
    try {
        if (file_.db_.isOpen())
            file_.db_.execute(QStringLiteral("PRAGMA cache_size = -%1").arg(CacheKiB));
    } catch (const StoreError &) {
        // The connection closes with its larger cache, and reopens with the usual one.
        file_.close();
    }
}

DataFile::Transaction::Transaction(DataFile &file) : file_(file)
{
    file_.refuseIfReadOnly();
    nested_ = file_.db_.inTransaction();
    file_.db_.execute(nested_ ? QStringLiteral("SAVEPOINT nested") : QStringLiteral("BEGIN IMMEDIATE"));
}

DataFile::Transaction::~Transaction()
{
    if (open_) {
        try {
            if (nested_)
                file_.db_.execute(QStringLiteral("ROLLBACK TO nested; RELEASE nested"));
            else
                file_.db_.execute(QStringLiteral("ROLLBACK"));
        } catch (const StoreError &) {
            // The engine rolls back by itself when a statement fails badly enough.
        }
    }
}

void DataFile::Transaction::commit()
{
    file_.db_.execute(nested_ ? QStringLiteral("RELEASE nested") : QStringLiteral("COMMIT"));
    open_ = false;
}
