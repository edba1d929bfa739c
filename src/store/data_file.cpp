#include "store/data_file.h"

#include "store/schema.h"
#include "ui/formats.h"

#include <sqlcipher/sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

// amount(t5): the amount text read as a number, NULL when it is not one, so that SQL
// totals count exactly what the lists count.
void amountFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER || sqlite3_value_type(argv[0]) == SQLITE_FLOAT) {
        sqlite3_result_double(context, sqlite3_value_double(argv[0]));
        return;
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    if (!text) {
        sqlite3_result_null(context);
        return;
    }
    auto value = Formats::readAmountUtf8(std::string_view(text, size_t(sqlite3_value_bytes(argv[0]))));
    if (value)
        sqlite3_result_double(context, *value);
    else
        sqlite3_result_null(context);
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
