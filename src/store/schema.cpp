// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/schema.h"

#include "store/account_tables.h"
#include "store/planning_tables.h"
#include "store/sqlite_db.h"
#include "core/dates.h"
#include "core/password_hash.h"
#include "core/time_keys.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSet>

#include <utility>
#include <vector>

namespace Schema {

namespace {

const char *const CreateTables = R"SQL(
CREATE TABLE jizhang (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    data TEXT, t1 TEXT, t2 TEXT, t3 TEXT, t4 TEXT, t5 TEXT, content TEXT,
    muluID INTEGER);
CREATE TABLE mulu (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    key_1 TEXT, parent TEXT, class TEXT, content TEXT, images TEXT);
CREATE TABLE "user" (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    用户名 TEXT, 密码 TEXT, 注册时间 TEXT, muluID INTEGER);
CREATE TABLE 系统设置 (
    id INTEGER PRIMARY KEY,
    字体 TEXT, 字号 TEXT, 字体颜色 TEXT, 粗体 TEXT, 斜体 TEXT, 背景颜色 TEXT, 背景图像 TEXT,
    显示网格 TEXT, 图标 TEXT, image2 TEXT, image7 TEXT, 自动备份 TEXT);
CREATE TABLE blank (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    t0 TEXT, t1 TEXT, t2 TEXT, t3 TEXT, t4 TEXT, content TEXT, parent TEXT, key_1 TEXT,
    muluID INTEGER);
CREATE TABLE Tables (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    types TEXT, Title TEXT, dates TEXT, res TEXT, muluID INTEGER);
CREATE TABLE tongxilu (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    t_0 TEXT, t_1 TEXT, t_2 TEXT, t_3 TEXT, t_4 TEXT, t_5 TEXT, t_6 TEXT, t_7 TEXT, t_8 TEXT,
    t_9 TEXT, t_10 TEXT, t_11 TEXT, t_12 TEXT, t_13 TEXT, t_14 TEXT, t_15 TEXT, t_16 TEXT,
    t_17 TEXT, t_18 TEXT, t_19 TEXT, t_20 TEXT);
)SQL";

const char *const CreateIndexes = R"SQL(
CREATE INDEX IF NOT EXISTS jizhang_muluID_data ON jizhang(muluID, data);
CREATE INDEX IF NOT EXISTS jizhang_muluID_t2 ON jizhang(muluID, t2);
CREATE INDEX IF NOT EXISTS jizhang_muluID_t4 ON jizhang(muluID, t4);
CREATE INDEX IF NOT EXISTS jizhang_muluID_content ON jizhang(muluID, content);
CREATE INDEX IF NOT EXISTS jizhang_muluID_kind_number ON jizhang(muluID, t1 IS '收入',
    (CASE WHEN t5 IS NULL OR trim(t5) NOT GLOB '*[0-9]*' OR trim(t5) GLOB '*[^0-9.eE+-]*' THEN NULL
     ELSE CAST(t5 AS REAL) END));
CREATE INDEX IF NOT EXISTS mulu_class ON mulu(class);
CREATE INDEX IF NOT EXISTS mulu_key_1 ON mulu(key_1);
CREATE INDEX IF NOT EXISTS mulu_parent ON mulu(parent);
CREATE INDEX IF NOT EXISTS blank_muluID ON blank(muluID);
CREATE INDEX IF NOT EXISTS Tables_muluID_res_dates ON Tables(muluID, res, dates);
CREATE INDEX IF NOT EXISTS tongxilu_t_20 ON tongxilu(t_20);

-- The ledger's sums by account set, month ("yyyy-mm"), kind (income 1, expense 0) and item
-- (no item is ''): count and exact total of the entries dated from the month's first to
-- its last day. The reports read them instead of every entry. Any write to an entry, by
-- this program or another, marks the months it touches as stale; the reports count stale
-- months again from the entries and store the new sums.
CREATE TABLE IF NOT EXISTS jizhang_items (
    muluID INTEGER, month TEXT, income INTEGER, item TEXT, entries INTEGER, total TEXT,
    PRIMARY KEY (muluID, month, income, item)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS jizhang_items_stale (muluID INTEGER, month TEXT);
CREATE INDEX IF NOT EXISTS jizhang_items_stale_key ON jizhang_items_stale(muluID, month);
)SQL";

// Version 11: a row here while the program stores many entries in one transaction of its
// own (see EntryBatch). The triggers on new entries leave their work to the batch, which
// marks the months it touched at its end. The row is made and deleted within that
// transaction, so no other connection ever sees it: everyone else's entries keep the sums
// row by row, and a batch that fails leaves neither the flag nor its entries behind.
const char *const CreateBatchFlag = R"SQL(
CREATE TABLE IF NOT EXISTS jizhang_batch (id INTEGER PRIMARY KEY CHECK (id = 1));
)SQL";

// The triggers that mark the kept sums of a month stale (jizhang_items_stale) or drop
// them (jizhang_months) when an entry of that month changes. The month of a date is the
// program's own rule (Dates::monthKeySql), written out in plain SQL so that every other
// program that writes the file runs them too; a date of no month has the key ''.
QString monthTriggers()
{
    // Marks a month of the item sums stale, drops a month of the month totals.
    auto mark = [](const char *row) {
        return QStringLiteral("    INSERT INTO jizhang_items_stale SELECT %1.muluID, %2 WHERE NOT EXISTS\n"
                              "        (SELECT 1 FROM jizhang_items_stale WHERE muluID IS %1.muluID AND month IS %2);\n")
            .arg(QLatin1String(row), Dates::monthKeySql(QLatin1String(row) + QStringLiteral(".data")));
    };
    auto drop = [](const char *row) {
        return QStringLiteral("    DELETE FROM jizhang_months WHERE muluID = %1.muluID AND month = %2;\n")
            .arg(QLatin1String(row), Dates::monthKeySql(QLatin1String(row) + QStringLiteral(".data")));
    };
    struct Trigger {
        const char *name, *event;
        QStringList body;
    };
    const Trigger triggers[] = {
        {"jizhang_items_insert", "INSERT", {mark("new")}},
        {"jizhang_items_delete", "DELETE", {mark("old")}},
        {"jizhang_items_update", "UPDATE OF data, t1, t2, t5, muluID", {mark("old"), mark("new")}},
        {"jizhang_months_insert", "INSERT", {drop("new")}},
        {"jizhang_months_delete", "DELETE", {drop("old")}},
        {"jizhang_months_update", "UPDATE OF data, t1, t5, muluID", {drop("old"), drop("new")}},
    };
    QString sql;
    for (const Trigger &t : triggers)
        sql += QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 AFTER %2 ON jizhang%3 BEGIN\n%4END;\n")
                   .arg(QLatin1String(t.name), QLatin1String(t.event),
                        QLatin1String(t.event) == QLatin1String("INSERT") ? unlessBatch() : QString(),
                        t.body.join(QString()));
    // A file that had entries before it had the sums: every month of every account set is
    // stale, which one mark without a month per account set says (found without reading
    // the entries).
    sql += QStringLiteral("INSERT INTO jizhang_items_stale SELECT id, NULL FROM mulu WHERE class = '账套' AND "
                          "EXISTS (SELECT 1 FROM jizhang) AND NOT EXISTS (SELECT 1 FROM jizhang_items) AND "
                          "NOT EXISTS (SELECT 1 FROM jizhang_items_stale);\n");
    return sql;
}

// Counts and totals of each month of an account set's entries, for the list of all of
// them. Any change to an entry, whoever makes it, drops its month's row; the program
// adds the month up again when it needs it.
const char *const CreateMonthTotals = R"SQL(
CREATE TABLE IF NOT EXISTS jizhang_months (
    muluID INTEGER NOT NULL, month TEXT NOT NULL,
    entries INTEGER NOT NULL, income TEXT NOT NULL, expense TEXT NOT NULL,
    PRIMARY KEY (muluID, month)) WITHOUT ROWID;
)SQL";

// The column choices of the batch import's "列对应" step, by the file's header line. A file
// of any version may lack the table: it is made when first needed.
const char *const CreateImportMappings = R"SQL(
CREATE TABLE IF NOT EXISTS 导入列对应 (
    表头 TEXT PRIMARY KEY,
    对应 TEXT);
)SQL";

// Version 9: the batch import's rules: a statement row whose counterparty or summary
// holds the words goes to the item (and, when given, the payment method).
const char *const CreateImportRules = R"SQL(
CREATE TABLE IF NOT EXISTS 导入规则 (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    包含 TEXT NOT NULL UNIQUE,
    项目 TEXT NOT NULL,
    收支方式 TEXT NOT NULL DEFAULT '');
)SQL";

// Version 5: deleted ledger entries wait in a table of their own, so that every query of
// jizhang stays as it is. A bin row keeps the entry's id and fields, its account set and
// the time it was deleted ("yyyy-mm-dd hh:nn:ss"); the bin lists by account set, newest
// deletion (highest bin id) first.
const char *const CreateBin = R"SQL(
CREATE TABLE IF NOT EXISTS jizhang_bin (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    entryId INTEGER,
    data TEXT, t1 TEXT, t2 TEXT, t3 TEXT, t4 TEXT, t5 TEXT, content TEXT,
    muluID INTEGER,
    deleted TEXT);
CREATE INDEX IF NOT EXISTS jizhang_bin_muluID ON jizhang_bin(muluID);
)SQL";

qint64 insertCatalogueRow(Database &db, const QString &key, const QString &parent,
                          const QString &cls, const QString &content)
{
    db.prepare(QStringLiteral("insert into mulu (key_1, parent, class, content) values (?, ?, ?, ?)"))
        .bindAll({key, parent, cls, content})
        .run();
    return db.lastInsertId();
}

void insertSeedRows(Database &db)
{
    db.execute(QStringLiteral(
        "insert into 系统设置 (id, 字体, 字号, 字体颜色, 粗体, 斜体, 背景颜色, 背景图像, 显示网格, 图标, "
        "image2, image7, 自动备份) values (1, '字体', '9', '0', '0', '0', '#000000', '0', 'True', '3', "
        "'', '', '1')"));

    insertCatalogueRow(db, QStringLiteral("e1_"), QStringLiteral("0"), QStringLiteral("收支项目"),
                       QStringLiteral("收入"));
    insertCatalogueRow(db, QStringLiteral("e7_"), QStringLiteral("0"), QStringLiteral("收支项目"),
                       QStringLiteral("支出"));

    // Keys of the seed rows are creation-time keys like those the catalogue makes.
    QSet<QString> keys;
    const QDateTime now = QDateTime::currentDateTime();
    auto key = [&](const QString &prefix) {
        QString k = TimeKeys::make(prefix, now, [&](const QString &candidate) { return keys.contains(candidate); });
        keys.insert(k);
        return k;
    };

    const qint64 accountSet = insertCatalogueRow(db, key(QStringLiteral("z")), QStringLiteral("0"),
                                                 QStringLiteral("账套"), QStringLiteral("默认账套"));
    for (const char *item : {"工资", "奖金"})
        insertCatalogueRow(db, key(QStringLiteral("e")), QStringLiteral("e1_"), QStringLiteral("收支项目"),
                           QString::fromUtf8(item));
    for (const char *item : {"餐饮", "交通", "购物", "居住"})
        insertCatalogueRow(db, key(QStringLiteral("e")), QStringLiteral("e7_"), QStringLiteral("收支项目"),
                           QString::fromUtf8(item));
    for (const char *method : {"现金", "银行卡"})
        insertCatalogueRow(db, key(QStringLiteral("a")), QStringLiteral("0"), QStringLiteral("收支方式"),
                           QString::fromUtf8(method));
    insertCatalogueRow(db, key(QStringLiteral("z")), QStringLiteral("0"), QStringLiteral("经手人"),
                       QStringLiteral("本人"));

    db.prepare(QStringLiteral("insert into user (用户名, 密码, 注册时间, muluID) values (?, ?, ?, ?)"))
        .bindAll({QStringLiteral("admin"), PasswordHash::make(QStringLiteral("admin")),
                  now.toString(QStringLiteral("yyyy-MM-dd HH:mm")), accountSet})
        .run();
}

// A ledger of more entries than this gains the later indexes (see laterIndexes) in the
// background instead of when it is opened.
constexpr qint64 SmallLedger = 100000;

// The indexes of jizhang that only make a sorted list or the accounts quicker, each as
// its name and statement: every index of jizhang above but the one of the date, which
// every list and month walk reads, and the accounts' index.
std::vector<std::pair<QString, QString>> laterIndexList()
{
    static const QRegularExpression named(QStringLiteral("^CREATE INDEX IF NOT EXISTS (\\w+) ON jizhang\\("));
    std::vector<std::pair<QString, QString>> list;
    const QStringList statements = QString::fromUtf8(CreateIndexes).split(u';') << AccountTables::entryIndex();
    for (const QString &statement : statements) {
        const QString sql = statement.trimmed();
        const QRegularExpressionMatch match = named.match(sql);
        if (match.hasMatch() && match.captured(1) != QLatin1String("jizhang_muluID_data"))
            list.push_back({match.captured(1), sql});
    }
    return list;
}

// Indexes of jizhang that older versions kept and this one does not: version 13 dropped
// the one of kind and amount, version 14 the one of the payment method alone. Each costs
// every stored entry a key. A large ledger drops them in the background (dropping one
// writes every page it had), any other file when it is brought up to date.
const char *const DroppedIndexes[] = {"jizhang_muluID_t1_id_t5", "jizhang_muluID_t3"};

bool largeLedger(Database &db)
{
    Statement last = db.prepare(QStringLiteral("select ifnull(max(id), 0) from jizhang"));
    return last.step() && last.integer(0) > SmallLedger;
}

// The indexes of CreateIndexes, but for a large ledger (largeLedger) without the later ones.
void createIndexes(Database &db, bool large)
{
    QStringList later;
    if (large)
        for (const auto &[name, sql] : laterIndexList())
            later << sql;
    QString sql;
    for (const QString &statement : QString::fromUtf8(CreateIndexes).split(u';'))
        if (!statement.trimmed().isEmpty() && !later.contains(statement.trimmed()))
            sql += statement + u';';
    db.execute(sql);
    if (!large)
        db.execute(AccountTables::entryIndex());
}

} // namespace

QString unlessBatch() { return QStringLiteral(" WHEN NOT EXISTS (SELECT 1 FROM jizhang_batch)"); }

QStringList laterIndexes(Database &db)
{
    QSet<QString> present;
    Statement st = db.prepare(QStringLiteral("select name from sqlite_master where type='index'"));
    while (st.step())
        present.insert(st.text(0));
    QStringList left;
    for (const char *index : DroppedIndexes)
        if (present.contains(QLatin1String(index)))
            left << QLatin1String(index);
    for (const auto &[name, sql] : laterIndexList())
        if (!present.contains(name))
            left << name;
    return left;
}

QString laterIndexSql(const QString &name)
{
    for (const char *index : DroppedIndexes)
        if (name == QLatin1String(index))
            return QStringLiteral("DROP INDEX IF EXISTS ") + name;
    for (const auto &[index, sql] : laterIndexList())
        if (index == name)
            return sql;
    return {};
}

QStringList tableNames()
{
    return {QStringLiteral("jizhang"), QStringLiteral("mulu"),  QStringLiteral("user"),
            QStringLiteral("系统设置"), QStringLiteral("blank"), QStringLiteral("Tables"),
            QStringLiteral("tongxilu")};
}

QStringList missingTables(Database &db)
{
    QSet<QString> present;
    Statement st = db.prepare(QStringLiteral("select name from sqlite_master where type='table'"));
    while (st.step())
        present.insert(st.text(0).toLower());
    QStringList missing;
    for (const QString &name : tableNames())
        if (!present.contains(name.toLower()))
            missing << name;
    return missing;
}

void createImportMappings(Database &db) { db.execute(QString::fromUtf8(CreateImportMappings)); }

void create(Database &db)
{
    db.execute(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        db.execute(QString::fromUtf8(CreateTables));
        db.execute(QString::fromUtf8(CreateIndexes));
        db.execute(QString::fromUtf8(CreateMonthTotals));
        db.execute(QString::fromUtf8(CreateBatchFlag));
        db.execute(monthTriggers());
        createImportMappings(db);
        db.execute(QString::fromUtf8(CreateBin));
        AccountTables::create(db, true);
        db.execute(QString::fromUtf8(CreateImportRules));
        PlanningTables::create(db);
        insertSeedRows(db);
        db.execute(QStringLiteral("PRAGMA user_version = %1").arg(Version));
        db.execute(QStringLiteral("COMMIT"));
    } catch (...) {
        db.execute(QStringLiteral("ROLLBACK"));
        throw;
    }
}

namespace {

void migrateSteps(Database &db, int fromVersion)
{
    // Version 0 is a file of the same tables made by other means: add our indexes.
    // Version 2 added the diary's index on the update time and the index that the
    // finance summary of an account set reads instead of the whole table: kind and
    // amount, in the order entries were added (id) within a kind, so that new entries
    // go to the end rather than all over it. The diary's index replaced the one of
    // version 1 on the account set and class alone.
    // Version 4 added the indexes that keep an account set's entries in the order of
    // each column of the entry lists, so that a sorted list is read a page at a time,
    // and the month totals that "全部记录" adds up.
    // Version 6 replaced the index of amounts as numbers by one that leaves amounts that
    // are no number without a key, so that they sort after the numbers.
    // Version 7 gave every kept sum one rule for the month of a date (see monthTriggers):
    // its triggers are made anew, the sums of months under keys that are no month go, and
    // every month is counted again by the rule.
    if (fromVersion < 7) {
        for (const char *trigger : {"jizhang_items_insert", "jizhang_items_delete", "jizhang_items_update",
                                    "jizhang_months_insert", "jizhang_months_delete", "jizhang_months_update"})
            db.execute(QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(QLatin1String(trigger)));
    }
    // Version 11 lets a batch of the program's own entries keep the sums once for the
    // batch (CreateBatchFlag): the triggers on new entries are made anew with their WHEN.
    if (fromVersion < 11) {
        for (const char *trigger : {"jizhang_items_insert", "jizhang_months_insert", "zhanghu_jizhang_insert"})
            db.execute(QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(QLatin1String(trigger)));
        db.execute(QString::fromUtf8(CreateBatchFlag));
        db.execute(QStringLiteral("DELETE FROM jizhang_batch"));
    }
    db.execute(QStringLiteral("DROP INDEX IF EXISTS jizhang_muluID_kind_amount"));
    // Version 13 dropped version 2's index of kind and amount: the finance summary reads
    // the kept month sums, and every stored entry paid for the index (28 bytes of file, and
    // a seventh of the time an import takes to store). Version 14 dropped version 4's index
    // of the payment method: a list sorted by it goes by the accounts' index (payment
    // method, then date), and every stored entry paid for the index a second time. See
    // DroppedIndexes.
    const bool large = largeLedger(db);
    if (fromVersion < 14 && !large)
        for (const char *index : DroppedIndexes)
            db.execute(QStringLiteral("DROP INDEX IF EXISTS %1").arg(QLatin1String(index)));
    createIndexes(db, large);
    db.execute(QString::fromUtf8(CreateMonthTotals));
    if (fromVersion < 7) {
        db.execute(QStringLiteral("DELETE FROM jizhang_months WHERE %1 IS NOT month")
                       .arg(Dates::monthKeySql(QStringLiteral("month"))));
        db.execute(QStringLiteral("DELETE FROM jizhang_items; DELETE FROM jizhang_items_stale;"));
    }
    db.execute(monthTriggers());
    db.execute(QStringLiteral("DROP INDEX IF EXISTS Tables_muluID_res"));
    // Version 5 added the recycle bin (a step that can run again on a file that has it;
    // version 3 was never used).
    db.execute(QString::fromUtf8(CreateBin));
    // Version 8 added accounts and transfers (see AccountTables): every month of every
    // account is counted once, in the background or when its balance is first asked for.
    if (fromVersion < 8) {
        AccountTables::create(db, false);
        AccountTables::markAllStale(db);
    } else if (fromVersion < 11) {
        AccountTables::create(db, false);  // its trigger on new entries, made anew
    }
    // Version 9 added the batch import's rules.
    if (fromVersion < 9)
        db.execute(QString::fromUtf8(CreateImportRules));
    // Version 10 added budgets and recurring entries (see PlanningTables).
    if (fromVersion < 10)
        PlanningTables::create(db);
    // Version 12: a stale mark without a month (or, of the accounts' sums, without an
    // account) stands for every month (or account) of its account set; the migrations
    // above write them instead of reading every entry. Nothing to change in a file: the
    // version keeps older programs, which would take such a mark for a month of its own,
    // off it.
    db.execute(QStringLiteral("PRAGMA user_version = %1").arg(Version));
}

} // namespace

void migrate(Database &db, int fromVersion)
{
    if (fromVersion >= Version)
        return;
    // In one transaction: one wait for the disk instead of one per step, and a file that
    // has all of the steps or none.
    db.execute(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        migrateSteps(db, fromVersion);
        db.execute(QStringLiteral("COMMIT"));
    } catch (...) {
        if (db.inTransaction())
            db.execute(QStringLiteral("ROLLBACK"));
        throw;
    }
}

} // namespace Schema
