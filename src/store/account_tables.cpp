// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/account_tables.h"

#include "core/dates.h"
#include "store/schema.h"
#include "store/sqlite_db.h"

#include <QStringList>

#include <string_view>

namespace AccountTables {

namespace {

const char *const CreateTables = R"SQL(
CREATE TABLE IF NOT EXISTS zhanghu (
    muluID INTEGER NOT NULL, accountId INTEGER NOT NULL,
    kind TEXT NOT NULL DEFAULT '其他', opening TEXT NOT NULL DEFAULT '0',
    openingDate TEXT NOT NULL DEFAULT '', note TEXT NOT NULL DEFAULT '',
    closed INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (muluID, accountId)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS zhuanzhang (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    data TEXT, outAccount TEXT, inAccount TEXT, amount TEXT, content TEXT,
    feeId INTEGER, outChecked TEXT, inChecked TEXT,
    muluID INTEGER);
CREATE INDEX IF NOT EXISTS zhuanzhang_out ON zhuanzhang(muluID, outAccount, data);
CREATE INDEX IF NOT EXISTS zhuanzhang_in ON zhuanzhang(muluID, inAccount, data);
CREATE INDEX IF NOT EXISTS zhuanzhang_feeId ON zhuanzhang(feeId);
CREATE TABLE IF NOT EXISTS zhuanzhang_bin (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    transferId INTEGER,
    data TEXT, outAccount TEXT, inAccount TEXT, amount TEXT, content TEXT,
    feeId INTEGER, outChecked TEXT, inChecked TEXT,
    muluID INTEGER,
    deleted TEXT);
CREATE INDEX IF NOT EXISTS zhuanzhang_bin_muluID ON zhuanzhang_bin(muluID);
CREATE TABLE IF NOT EXISTS jizhang_duizhang (
    entryId INTEGER PRIMARY KEY,
    statement TEXT);
CREATE TABLE IF NOT EXISTS zhanghu_months (
    muluID INTEGER, account TEXT, month TEXT,
    entries INTEGER, income TEXT, expense TEXT, moveIn TEXT, moveOut TEXT,
    PRIMARY KEY (muluID, account, month)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS zhanghu_months_stale (muluID INTEGER, account TEXT, month TEXT);
CREATE INDEX IF NOT EXISTS zhanghu_months_stale_key ON zhanghu_months_stale(muluID, account, month);
CREATE TRIGGER IF NOT EXISTS zhanghu_mulu_delete AFTER DELETE ON mulu WHEN old.class = '收支方式' BEGIN
    DELETE FROM zhanghu WHERE accountId = old.id;
END;
CREATE TRIGGER IF NOT EXISTS jizhang_duizhang_update AFTER UPDATE OF data, t1, t3, t5 ON jizhang
WHEN old.data IS NOT new.data OR old.t1 IS NOT new.t1 OR old.t3 IS NOT new.t3 OR old.t5 IS NOT new.t5 BEGIN
    DELETE FROM jizhang_duizhang WHERE entryId = new.id;
END;
)SQL";

// Marks the month of a row's date stale for one account (a column of the row). Rows
// without an account name touch no account.
QString mark(const QString &row, const QString &account)
{
    const QString month = Dates::monthKeySql(row + QStringLiteral(".data"));
    const QString name = row + u'.' + account;
    return QStringLiteral("    INSERT INTO zhanghu_months_stale SELECT %1.muluID, %2, %3 WHERE %2 IS NOT NULL AND NOT EXISTS\n"
                          "        (SELECT 1 FROM zhanghu_months_stale WHERE muluID IS %1.muluID AND account IS %2 "
                          "AND month IS %3);\n")
        .arg(row, name, month);
}

QString triggers()
{
    struct Trigger {
        const char *name, *event, *table;
        QStringList body;
    };
    const QString t3 = QStringLiteral("t3"), out = QStringLiteral("outAccount"), in = QStringLiteral("inAccount");
    const QString o = QStringLiteral("old"), n = QStringLiteral("new");
    const Trigger list[] = {
        {"zhanghu_jizhang_insert", "INSERT", "jizhang", {mark(n, t3)}},
        {"zhanghu_jizhang_delete", "DELETE", "jizhang", {mark(o, t3)}},
        {"zhanghu_jizhang_update", "UPDATE OF data, t1, t3, t5, muluID", "jizhang", {mark(o, t3), mark(n, t3)}},
        {"zhanghu_zhuanzhang_insert", "INSERT", "zhuanzhang", {mark(n, out), mark(n, in)}},
        {"zhanghu_zhuanzhang_delete", "DELETE", "zhuanzhang", {mark(o, out), mark(o, in)}},
        {"zhanghu_zhuanzhang_update", "UPDATE OF data, outAccount, inAccount, amount, muluID", "zhuanzhang",
         {mark(o, out), mark(o, in), mark(n, out), mark(n, in)}},
    };
    QString sql;
    for (const Trigger &t : list) {
        // New entries of a batch are marked by the batch (Schema::unlessBatch).
        const bool batched = t.table == std::string_view("jizhang") && t.event == std::string_view("INSERT");
        sql += QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 AFTER %2 ON %3%4 BEGIN\n%5END;\n")
                   .arg(QLatin1String(t.name), QLatin1String(t.event), QLatin1String(t.table),
                        batched ? Schema::unlessBatch() : QString(), t.body.join(QString()));
    }
    return sql;
}

} // namespace

QString entryIndex()
{
    return QStringLiteral("CREATE INDEX IF NOT EXISTS jizhang_muluID_t3_data ON jizhang(muluID, t3, data);\n");
}

void create(Database &db, bool withIndex)
{
    db.execute(QString::fromUtf8(CreateTables));
    db.execute(triggers());
    if (withIndex)
        db.execute(entryIndex());
}

void markAllStale(Database &db)
{
    // One mark of no account and no month per account set: found without reading a single
    // entry or transfer.
    db.execute(QStringLiteral("INSERT INTO zhanghu_months_stale SELECT id, NULL, NULL FROM mulu WHERE class = '账套' "
                              "AND (EXISTS (SELECT 1 FROM jizhang) OR EXISTS (SELECT 1 FROM zhuanzhang))"));
}

} // namespace AccountTables
