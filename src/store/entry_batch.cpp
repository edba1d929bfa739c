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
    insert_ = std::make_unique<Statement>(db.prepare(QStringLiteral(
        "INSERT INTO jizhang (data, t1, t2, t3, t4, t5, content, muluID) VALUES (?, ?, ?, ?, ?, ?, ?, ?)")));
}

EntryBatch::~EntryBatch() = default;

void EntryBatch::add(const QVariantList &fields)
{
    insert_->reset();
    insert_->bindAll(fields);
    insert_->run();
    if (!active_)
        return;
    const QVariant set = fields.value(7), account = fields.value(3);
    const QString month = monthKeyOf(fields.value(0));
    const QString key = set.toString() + u'\x1f' + month + u'\x1f' +
                        (account.isNull() ? QStringLiteral("\x1e") : account.toString());
    if (!touched_.contains(key))
        touched_.insert(key, {set, month, account});
}

void EntryBatch::finish()
{
    if (!active_)
        return;
    Database &db = data_.database();
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
