// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/sqlite_db.h"

// The key functions are declared only for builds that ask for them.
#define SQLITE_HAS_CODEC 1
#include <sqlcipher/sqlite3.h>

#include <utility>

Database::~Database() { close(); }

Database::Database(Database &&other) noexcept : db_(std::exchange(other.db_, nullptr)) {}

Database &Database::operator=(Database &&other) noexcept
{
    if (this != &other) {
        close();
        db_ = std::exchange(other.db_, nullptr);
    }
    return *this;
}

void Database::open(const QString &path, bool create) { open(path, create ? Mode::Create : Mode::ReadWrite); }

void Database::open(const QString &path, Mode mode)
{
    close();
    int flags = mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY
                                       : SQLITE_OPEN_READWRITE | (mode == Mode::Create ? SQLITE_OPEN_CREATE : 0);
    // Before the library's first use: no count of the memory it holds, which would take a
    // lock at every allocation (and a statement allocates many times per row).
    static const bool configured = [] {
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        return true;
    }();
    (void)configured;
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(db);
        throw StoreError(describe(rc, message), rc);
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, BusyTimeoutMs);
    db_ = db;
}

void Database::interrupt() const
{
    if (db_)
        sqlite3_interrupt(db_);
}

void Database::setBusyTimeout(int milliseconds)
{
    if (db_)
        sqlite3_busy_timeout(db_, milliseconds);
}

void Database::key(const QByteArray &passphrase)
{
    if (!db_)
        throw StoreError(QStringLiteral("数据文件没有打开"), SQLITE_MISUSE);
    int rc = sqlite3_key(db_, passphrase.constData(), int(passphrase.size()));
    if (rc != SQLITE_OK)
        fail(rc);
}

void Database::rekey(const QByteArray &passphrase)
{
    if (!db_)
        throw StoreError(QStringLiteral("数据文件没有打开"), SQLITE_MISUSE);
    int rc = sqlite3_rekey(db_, passphrase.constData(), int(passphrase.size()));
    if (rc != SQLITE_OK)
        fail(rc);
}

QString Database::describe(int code, const QString &engineText)
{
    QString cause;
    switch (code & 0xFF) {
    case SQLITE_READONLY:
        cause = QStringLiteral("数据文件不能写入（文件或它所在的文件夹是只读的，或文件已被换掉），修改没有保存。");
        break;
    case SQLITE_FULL:
        cause = QStringLiteral("磁盘已满，修改没有保存。");
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        cause = QStringLiteral("数据文件正被其它程序使用，请稍后再试。");
        break;
    case SQLITE_IOERR:
        cause = QStringLiteral("读写数据文件时出错（磁盘或文件系统故障）。");
        break;
    case SQLITE_NOTADB:
        cause = QStringLiteral("文件不是Tallyra数据文件，或密码不符，或已经损坏。");
        break;
    case SQLITE_CORRUPT:
        cause = QStringLiteral("数据文件已经损坏。");
        break;
    case SQLITE_CANTOPEN:
        cause = QStringLiteral("无法打开数据文件或它的日志文件。");
        break;
    case SQLITE_PERM:
    case SQLITE_AUTH:
        cause = QStringLiteral("没有访问数据文件的权限。");
        break;
    case SQLITE_NOMEM:
        cause = QStringLiteral("内存不足。");
        break;
    default:
        return engineText;
    }
    return engineText.isEmpty() ? cause : cause + QStringLiteral("（") + engineText + QStringLiteral("）");
}

void Database::close()
{
    if (db_) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

void Database::fail(int code) const
{
    QString message = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString::fromUtf8(sqlite3_errstr(code));
    throw StoreError(describe(code, message), code);
}

void Database::execute(const QString &sql)
{
    if (!db_)
        throw StoreError(QStringLiteral("数据文件没有打开"), SQLITE_MISUSE);
    char *error = nullptr;
    int rc = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        QString message = error ? QString::fromUtf8(error) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_free(error);
        // The extended code, as prepared statements report it.
        const int code = sqlite3_extended_errcode(db_);
        throw StoreError(describe(code, message), (code & 0xFF) == (rc & 0xFF) ? code : rc);
    }
}

Statement Database::prepare(const QString &sql)
{
    if (!db_)
        throw StoreError(QStringLiteral("数据文件没有打开"), SQLITE_MISUSE);
    sqlite3_stmt *stmt = nullptr;
    QByteArray text = sql.toUtf8();
    int rc = sqlite3_prepare_v2(db_, text.constData(), int(text.size()), &stmt, nullptr);
    if (rc != SQLITE_OK)
        fail(rc);
    return Statement(*this, stmt);
}

qint64 Database::lastInsertId() const { return db_ ? sqlite3_last_insert_rowid(db_) : 0; }

int Database::changes() const { return db_ ? sqlite3_changes(db_) : 0; }

qint64 Database::totalChanges() const { return db_ ? sqlite3_total_changes(db_) : 0; }

bool Database::inTransaction() const { return db_ && sqlite3_get_autocommit(db_) == 0; }

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement::Statement(Statement &&other) noexcept
    : db_(other.db_), stmt_(std::exchange(other.stmt_, nullptr))
{
}

Statement &Statement::bind(int index, const QString &value)
{
    QByteArray text = value.toUtf8();
    int rc = sqlite3_bind_text(stmt_, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        db_->fail(rc);
    return *this;
}

Statement &Statement::bind(int index, const QByteArray &text)
{
    int rc = sqlite3_bind_text(stmt_, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        db_->fail(rc);
    return *this;
}

Statement &Statement::bindKept(int index, const QByteArray &text)
{
    int rc = sqlite3_bind_text(stmt_, index, text.constData(), int(text.size()), SQLITE_STATIC);
    if (rc != SQLITE_OK)
        db_->fail(rc);
    return *this;
}

Statement &Statement::bind(int index, qint64 value)
{
    int rc = sqlite3_bind_int64(stmt_, index, value);
    if (rc != SQLITE_OK)
        db_->fail(rc);
    return *this;
}

Statement &Statement::bind(int index, double value)
{
    int rc = sqlite3_bind_double(stmt_, index, value);
    if (rc != SQLITE_OK)
        db_->fail(rc);
    return *this;
}

Statement &Statement::bindNull(int index)
{
    int rc = sqlite3_bind_null(stmt_, index);
    if (rc != SQLITE_OK)
        db_->fail(rc);
    return *this;
}

Statement &Statement::bind(int index, const QVariant &value)
{
    if (value.isNull())
        return bindNull(index);
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Bool:
        return bind(index, value.toLongLong());
    case QMetaType::Double:
        return bind(index, value.toDouble());
    case QMetaType::QByteArray:
        return bind(index, value.toByteArray());
    default:
        return bind(index, value.toString());
    }
}

Statement &Statement::bindAll(std::initializer_list<QVariant> values)
{
    int index = 1;
    for (const QVariant &value : values)
        bind(index++, value);
    return *this;
}

Statement &Statement::bindAll(const QVariantList &values)
{
    int index = 1;
    for (const QVariant &value : values)
        bind(index++, value);
    return *this;
}

bool Statement::step()
{
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    db_->fail(rc);
}

void Statement::reset()
{
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

void Statement::run()
{
    while (step()) {
    }
}

int Statement::columnCount() const { return sqlite3_column_count(stmt_); }

QString Statement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(stmt_, column));
}

QString Statement::text(int column) const
{
    const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(stmt_, column));
    return data ? QString::fromUtf8(data, sqlite3_column_bytes(stmt_, column)) : QString();
}

std::string_view Statement::utf8(int column) const
{
    const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(stmt_, column));
    return data ? std::string_view(data, size_t(sqlite3_column_bytes(stmt_, column))) : std::string_view();
}

qint64 Statement::integer(int column) const { return sqlite3_column_int64(stmt_, column); }

double Statement::real(int column) const { return sqlite3_column_double(stmt_, column); }

bool Statement::isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
