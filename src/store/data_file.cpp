#include "store/data_file.h"

#include "core/money.h"
#include "store/schema.h"

#include <sqlcipher/sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstring>
#include <optional>

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

QString reasonFor(const StoreError &error)
{
    switch (error.code() & 0xFF) {
    case SQLITE_NOTADB:
        return QStringLiteral("文件不是Tallyra数据文件，或密码不符，或已经损坏。");
    case SQLITE_CORRUPT:
        return QStringLiteral("文件已经损坏。");
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("文件无法读取（没有权限，或被其它程序占用）。");
    case SQLITE_IOERR:
        return QStringLiteral("读写文件时出错。");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("文件正被其它程序使用。");
    default:
        return QString();
    }
}

[[noreturn]] void failOpening(const QString &path, const QString &reason, const QString &detail, int code)
{
    QString text = QStringLiteral("无法打开数据文件“%1”。").arg(QDir::toNativeSeparators(path));
    if (!reason.isEmpty())
        text += reason;
    if (!detail.isEmpty())
        text += QStringLiteral("（%1）").arg(detail);
    throw StoreError(text, code);
}

} // namespace

QString DataFile::password() { return QStringLiteral("qmx4172"); }

void DataFile::applyKey(Database &db)
{
    db.execute(QStringLiteral("PRAGMA key = '%1'").arg(password()));
    db.execute(QStringLiteral("PRAGMA cipher_page_size = 4096"));
}

DataFile::DataFile(const QString &path) : path_(path) {}

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
}

void DataFile::close() { db_.close(); }

void DataFile::configure()
{
    applyKey(db_);
    // Reading the schema is the first access to the file: a wrong key or a file that is
    // not a data file of ours fails here, before anything is written.
    db_.execute(QStringLiteral("select count(*) from sqlite_master"));
    db_.execute(QStringLiteral("PRAGMA journal_mode = DELETE"));
    db_.execute(QStringLiteral("PRAGMA synchronous = FULL"));
    db_.execute(QStringLiteral("PRAGMA cache_size = -32768"));
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
    try {
        db_.open(path_, false);
        configure();
        missing = Schema::missingTables(db_);
        Statement version = db_.prepare(QStringLiteral("PRAGMA user_version"));
        fileVersion = version.step() ? int(version.integer(0)) : 0;
    } catch (const StoreError &error) {
        db_.close();
        failOpening(path_, reasonFor(error), error.description(), error.code());
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
        try {
            Schema::migrate(db_, fileVersion);
        } catch (const StoreError &error) {
            db_.close();
            failOpening(path_, reasonFor(error), error.description(), error.code());
        }
    }
}

void DataFile::createNew()
{
    // Build the new file beside its final name and move it into place only when it is
    // complete, so that an interrupted start never leaves a half-made data file.
    const QString building = path_ + QStringLiteral(".new");
    QFile::remove(building);
    QFile::remove(building + QStringLiteral("-journal"));
    try {
        Database db;
        db.open(building, true);
        applyKey(db);
        db.execute(QStringLiteral("PRAGMA journal_mode = DELETE"));
        db.execute(QStringLiteral("PRAGMA synchronous = FULL"));
        Schema::create(db);
        db.close();
    } catch (const StoreError &error) {
        QFile::remove(building);
        throw StoreError(QStringLiteral("无法建立数据文件“%1”。（%2）")
                             .arg(QDir::toNativeSeparators(path_), error.description()),
                         error.code());
    }
    if (std::rename(QFile::encodeName(building).constData(), QFile::encodeName(path_).constData()) != 0) {
        QFile::remove(building);
        throw StoreError(QStringLiteral("无法建立数据文件“%1”。").arg(QDir::toNativeSeparators(path_)),
                         SQLITE_CANTOPEN);
    }
    openExisting();
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
    query(sql, values).run();
    return db_.changes();
}

qint64 DataFile::insert(const QString &sql, const QVariantList &values)
{
    query(sql, values).run();
    return db_.lastInsertId();
}

DataFile::Transaction::Transaction(DataFile &file) : file_(file)
{
    file_.database().execute(QStringLiteral("BEGIN IMMEDIATE"));
}

DataFile::Transaction::~Transaction()
{
    if (open_) {
        try {
            file_.db_.execute(QStringLiteral("ROLLBACK"));
        } catch (const StoreError &) {
            // The engine rolls back by itself when a statement fails badly enough.
        }
    }
}

void DataFile::Transaction::commit()
{
    file_.db_.execute(QStringLiteral("COMMIT"));
    open_ = false;
}
