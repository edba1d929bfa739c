// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/entry_batch.h"

#include "core/dates.h"
#include "store/data_file.h"
#include "store/sqlite_db.h"
#include "store/triggers_aside.h"

namespace {

// The month key of a stored date, as Dates::monthKeySql gives it: '' for anything but a
// text of a month.
QString monthKeyOf(const QVariant &date)
{
    if (date.isNull() || date.typeId() != QMetaType::QString)
        return QStringLiteral("");
    const QByteArray text = date.toString().toUtf8();
    const std::optional<int> month = Dates::monthOf(std::string_view(text.constData(), size_t(text.size())));
    return month ? Dates::monthKey(*month) : QStringLiteral("");
}

constexpr int Fields = 8;
// Rows a statement inserts while the batch is active: each statement opens the table and
// every index once, which costs as much as the inserts into an index or two when done per
// row. 100 rows are 800 values, under the 999 that SQLite takes by default.
constexpr int RowsPerInsert = 100;

QString insertOf(int rows)
{
    QString sql = QStringLiteral("INSERT INTO jizhang (data, t1, t2, t3, t4, t5, content, muluID) VALUES ");
    for (int i = 0; i < rows; ++i)
        sql += i ? QStringLiteral(", (?, ?, ?, ?, ?, ?, ?, ?)") : QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?)");
    return sql;
}

} // namespace

EntryBatch::EntryBatch(DataFile &data) : data_(data)
{
    Database &db = data_.database();
    if (db.inTransaction()) {
        db.execute(QStringLiteral("INSERT OR REPLACE INTO jizhang_batch (id) VALUES (1)"));
        active_ = true;
        // With the flag set, the triggers on new entries only look at it and do nothing;
        // looking costs a third of the time a row takes to store. They are set aside
        // until finish().
        aside_ = std::make_unique<TriggersAside>(
            db, QStringLiteral("tbl_name = 'jizhang' AND sql LIKE '%FROM jizhang_batch%'"));
    }
    insert_ = std::make_unique<Statement>(db.prepare(insertOf(active_ ? RowsPerInsert : 1)));
}

EntryBatch::~EntryBatch() = default;

void EntryBatch::add(const QVariantList &fields)
{
    if (!active_) {
        insert_->reset();
        insert_->bindAll(fields);
        insert_->run();
        return;
    }
    pending_.push_back(fields);
    if (pending_.size() == size_t(RowsPerInsert))
        store(*insert_);
    // Rows of a statement mostly follow each other by date: a row of the same account
    // set, account and month as the one before it has nothing new to note. The month is
    // that of the first seven characters.
    const QVariant set = fields.value(7), account = fields.value(3), date = fields.value(0);
    const bool texts = date.typeId() == QMetaType::QString && last_.value(2).typeId() == QMetaType::QString;
    if (texts && set == last_.value(0) && account == last_.value(1) &&
        QStringView(date.toString()).left(7) == QStringView(last_.value(2).toString()).left(7))
        return;
    last_ = {set, account, date};
    const QString month = monthKeyOf(date);
    const QString key = set.toString() + u'\x1f' + month + u'\x1f' +
                        (account.isNull() ? QStringLiteral("\x1e") : account.toString());
    if (!touched_.contains(key))
        touched_.insert(key, {set, month, account});
}

void EntryBatch::store(Statement &insert)
{
    insert.reset();  // lets go of the bytes of the rows before
    bytes_.clear();
    bytes_.reserve(pending_.size() * Fields);
    int index = 1;
    for (const QVariantList &row : pending_) {
        for (int i = 0; i < Fields; ++i) {
            const QVariant value = row.value(i);
            if (value.typeId() == QMetaType::QString && !value.isNull()) {
                bytes_.push_back(value.toString().toUtf8());
                insert.bindKept(index++, bytes_.back());
            } else {
                insert.bind(index++, value);
            }
        }
    }
    insert.run();
    pending_.clear();
}

void EntryBatch::finish()
{
    if (!active_)
        return;
    Database &db = data_.database();
    if (!pending_.empty()) {
        Statement rest = db.prepare(insertOf(int(pending_.size())));
        store(rest);
    }
    insert_.reset();
    aside_->restore();
    db.execute(QStringLiteral("DELETE FROM jizhang_batch"));
    active_ = false;
    // What the triggers on new entries do (Schema and AccountTables), once per month.
    Statement items = db.prepare(QStringLiteral(
        "INSERT INTO jizhang_items_stale SELECT ?1, ?2 WHERE NOT EXISTS "
        "(SELECT 1 FROM jizhang_items_stale WHERE muluID IS ?1 AND month IS ?2)"));
    Statement months = db.prepare(QStringLiteral("DELETE FROM jizhang_months WHERE muluID = ?1 AND month = ?2"));
    Statement accounts = db.prepare(QStringLiteral(
        "INSERT INTO zhanghu_months_stale SELECT ?1, ?3, ?2 WHERE ?3 IS NOT NULL AND NOT EXISTS "
        "(SELECT 1 FROM zhanghu_months_stale WHERE muluID IS ?1 AND account IS ?3 AND month IS ?2)"));
    for (const QVariantList &values : std::as_const(touched_)) {
        const QVariantList setAndMonth = values.mid(0, 2);
        for (auto [st, bound] : {std::pair{&items, &setAndMonth}, {&months, &setAndMonth}, {&accounts, &values}}) {
            st->reset();
            st->bindAll(*bound);
            st->run();
        }
    }
    touched_.clear();
}
