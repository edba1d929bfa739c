// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/recycle_bin.h"
#include "ledger/ledger.h"

#include "store/data_file.h"
#include "store/triggers_aside.h"
#include "core/dates.h"

#include <algorithm>
#include <optional>
#include <string>

namespace {

// Entries moved per piece of a long move: small enough to keep the windows painting
// between pieces, large enough that the pieces cost nothing extra.
constexpr qint64 Piece = 5000;

const QString BinColumns = QStringLiteral("entryId, data, t1, t2, t3, t4, t5, content, muluID, deleted");
const QString TransferColumns =
    QStringLiteral("id, data, outAccount, inAccount, amount, content, feeId, outChecked, inChecked, muluID");
const QString TransferBinColumns =
    QStringLiteral("transferId, data, outAccount, inAccount, amount, content, feeId, outChecked, inChecked, muluID");

constexpr char Separator = char(0x1F);
static_assert(RecordRow::Separator.unicode() == 0x1F);

void appendCell(std::string &row, std::string_view cell)
{
    row += Separator;
    const size_t start = row.size();
    row += cell;
    if (cell.find(Separator) != std::string_view::npos)
        std::replace(row.begin() + qsizetype(start), row.end(), Separator, ' ');
}

std::string_view firstLine(std::string_view text)
{
    const size_t end = text.find_first_of("\r\n");
    return end == std::string_view::npos ? text : text.substr(0, end);
}

// "yyyy-mm-dd" as the ledger lists show it: "yyyy年mm月dd日".
void appendDate(std::string &row, std::string_view date)
{
    auto digits = [&](size_t from, size_t count) {
        for (size_t i = from; i < from + count; ++i)
            if (date[i] < '0' || date[i] > '9')
                return false;
        return true;
    };
    if (date.size() >= 10 && date[4] == '-' && date[7] == '-' && digits(0, 4) && digits(5, 2) && digits(8, 2))
        row.append(date.data(), 4).append("年").append(date.data() + 5, 2).append("月").append(date.data() + 8, 2).append("日");
    else
        row += Dates::listDate(QString::fromUtf8(date.data(), qsizetype(date.size()))).toStdString();
}

} // namespace

QList<RecordColumn> RecycleBin::columns()
{
    // The ledger list's date, id, item and amounts; then the summary and the deletion time.
    QList<RecordColumn> columns = Ledger::columns().mid(0, 5);
    columns << RecordColumn{QStringLiteral("摘要"), 3300}
            << RecordColumn{QStringLiteral("删除时间"), 2700, QStringLiteral("2008-01-05 12:00:00")};
    return columns;
}

QString RecycleBin::timeText(const QDateTime &time) { return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

std::optional<qint64> RecycleBin::transferOfKey(const QString &key)
{
    bool isNumber = false;
    const qint64 id = key.startsWith(u't') ? key.mid(1).toLongLong(&isNumber) : 0;
    return isNumber ? std::optional<qint64>(id) : std::nullopt;
}

BinPage RecycleBin::LoadData(int accountSet)
{
    BinPage page;
    // The deleted transfers (few), newest deletion first; they join the entries' rows by
    // their deletion time.
    struct Deleted {
        QString when;
        RecordRow row;
    };
    std::vector<Deleted> transfers;
    {
        Statement st = data_.query(QStringLiteral("select id, data, outAccount, inAccount, amount, content, deleted "
                                                  "from zhuanzhang_bin where muluID=? order by deleted desc, id desc"),
                                   {accountSet});
        std::string row;
        while (st.step()) {
            row.clear();
            appendDate(row, st.utf8(1));
            appendCell(row, transferKey(st.integer(0)).toStdString());
            appendCell(row, "转账");
            appendCell(row, {});
            appendCell(row, {});
            std::string what = std::string(st.utf8(2)) + "→" + std::string(st.utf8(3)) + " " + std::string(st.utf8(4));
            if (const std::string_view summary = firstLine(st.utf8(5)); !summary.empty())
                what += "，" + std::string(summary);
            appendCell(row, what);
            appendCell(row, st.utf8(6));
            transfers.push_back({st.text(6), RecordRow::fromPacked(QString::fromUtf8(row.data(), qsizetype(row.size())), 7)});
        }
    }
    auto next = transfers.begin();
    // A transfer's fee waits in the bin with it, out of the list.
    Statement st = data_.query(
        QStringLiteral("select id, data, t1, t2, t5, content, deleted from jizhang_bin where muluID=? and entryId not in "
                       "(select feeId from zhuanzhang_bin where muluID=? and feeId is not null) order by id desc"),
        {accountSet, accountSet});
    const std::string_view income = "收入";
    std::string row;
    row.reserve(256);
    while (st.step()) {
        for (; next != transfers.end() && next->when >= QLatin1String(st.utf8(6).data(), qsizetype(st.utf8(6).size())); ++next)
            page.rows.push_back(std::move(next->row));
        const bool isIncome = st.utf8(2) == income;
        const std::string_view amount = st.utf8(4);
        row.clear();
        appendDate(row, st.utf8(1));
        appendCell(row, st.utf8(0));
        appendCell(row, st.utf8(3));
        appendCell(row, isIncome ? amount : std::string_view());
        appendCell(row, isIncome ? std::string_view() : amount);
        appendCell(row, firstLine(st.utf8(5)));
        appendCell(row, st.utf8(6));
        page.rows.push_back(RecordRow::fromPacked(QString::fromUtf8(row.data(), qsizetype(row.size())), isIncome ? 5 : 6));
    }
    for (; next != transfers.end(); ++next)
        page.rows.push_back(std::move(next->row));
    page.count = int(page.rows.size());
    return page;
}

int RecycleBin::count(int accountSet)
{
    Statement st = data_.query(
        QStringLiteral("select (select count(*) from jizhang_bin where muluID=? and entryId not in "
                       "(select feeId from zhuanzhang_bin where muluID=? and feeId is not null)), "
                       "(select count(*) from zhuanzhang_bin where muluID=?)"),
        {accountSet, accountSet, accountSet});
    return st.step() ? int(st.integer(0) + st.integer(1)) : 0;
}

bool RecycleBin::discard(qint64 entryId, const QDateTime &when)
{
    DataFile::Transaction transaction(data_);
    const int moved = data_.exec(QStringLiteral("insert into jizhang_bin (") + BinColumns +
                                     QStringLiteral(") select id, data, t1, t2, t3, t4, t5, content, muluID, ? "
                                                    "from jizhang where id=?"),
                                 {timeText(when), entryId});
    if (moved == 0)
        return false;
    data_.exec(QStringLiteral("delete from jizhang where id=?"), {entryId});
    transaction.commit();
    return true;
}

int RecycleBin::discardAll(int accountSet, const QDateTime &when, const std::function<void(int, int)> &progress)
{
    const QString stamp = timeText(when);
    const QString moveAll = QStringLiteral("insert into jizhang_bin (") + BinColumns +
                            QStringLiteral(") select id, data, t1, t2, t3, t4, t5, content, muluID, ? from jizhang ");
    std::optional<DataFile::WideCache> wide;  // goes after the transaction
    DataFile::Transaction transaction(data_);
    // The triggers that mark the kept sums of each deleted entry's month would look a
    // million times for one answer: the account set keeps no entries. They are set aside,
    // and its sums dropped once at the end.
    TriggersAside triggers(data_.database(), QStringLiteral("tbl_name = 'jizhang' AND name IN "
                                                            "('jizhang_items_delete', 'jizhang_months_delete', "
                                                            "'zhanghu_jizhang_delete')"));
    qint64 total = 0;
    {
        Statement counted = data_.query(QStringLiteral("select count(*) from jizhang where muluID=?"), {accountSet});
        total = counted.step() ? counted.integer(0) : 0;
    }
    // Every index of jizhang loses these entries in an order of its own: a move of many
    // pieces reads (and writes) much of the file, best once each.
    if (total > Piece)
        wide.emplace(data_);
    int done = 0;
    // In pieces along the account set's date index: each piece the entries up to a date
    // about one piece further on (whole days, so a piece may be a little larger). The last
    // statement takes whatever is left: the tail, and dates that are no dates.
    Statement next = data_.query(
        QStringLiteral("select data from jizhang where muluID=? and data > ? order by data limit 1 offset ?"));
    Statement firstPiece = data_.query(QStringLiteral("select data from jizhang where muluID=? and data is not null "
                                                      "order by data limit 1 offset ?"));
    Statement move = data_.query(moveAll + QStringLiteral("where muluID=? and data > ? and data <= ?"));
    Statement remove = data_.query(QStringLiteral("delete from jizhang where muluID=? and data > ? and data <= ?"));
    Statement moveFirst = data_.query(moveAll + QStringLiteral("where muluID=? and data <= ?"));
    Statement removeFirst = data_.query(QStringLiteral("delete from jizhang where muluID=? and data <= ?"));
    std::optional<QString> from;  // the last date moved
    while (total - done > Piece) {
        Statement &boundary = from ? next : firstPiece;
        boundary.reset();
        if (from)
            boundary.bindAll({accountSet, *from, Piece - 1});
        else
            boundary.bindAll({accountSet, Piece - 1});
        if (!boundary.step())
            break;
        const QString until = boundary.text(0);
        Statement &moving = from ? move : moveFirst;
        Statement &removing = from ? remove : removeFirst;
        moving.reset();
        removing.reset();
        if (from) {
            moving.bindAll({stamp, accountSet, *from, until});
            removing.bindAll({accountSet, *from, until});
        } else {
            moving.bindAll({stamp, accountSet, until});
            removing.bindAll({accountSet, until});
        }
        moving.run();
        done += data_.database().changes();
        removing.run();
        from = until;
        if (progress)
            progress(done, int(total));
        data_.betweenPieces();
    }
    done += data_.exec(moveAll + QStringLiteral("where muluID=? order by id"), {stamp, accountSet});
    data_.exec(QStringLiteral("delete from jizhang where muluID=?"), {accountSet});
    // The account set's transfers go with its entries (their fees are among those).
    data_.exec(QStringLiteral("insert into zhuanzhang_bin (") + TransferBinColumns +
                   QStringLiteral(", deleted) select ") + TransferColumns +
                   QStringLiteral(", ? from zhuanzhang where muluID=? order by id"),
               {stamp, accountSet});
    data_.exec(QStringLiteral("delete from zhuanzhang where muluID=?"), {accountSet});
    triggers.restore();
    // Without entries and transfers, the account set has no sums of months, items or
    // accounts, and nothing of them is stale.
    for (const char *sums : {"jizhang_items", "jizhang_items_stale", "jizhang_months", "zhanghu_months",
                             "zhanghu_months_stale"})
        data_.exec(QStringLiteral("delete from %1 where muluID=?").arg(QLatin1String(sums)), {accountSet});
    if (progress)
        progress(done, int(total));
    transaction.commit();
    return done;
}

int RecycleBin::restore(const QList<qint64> &binIds, int accountSet)
{
    DataFile::Transaction transaction(data_);
    const int restored = int(restoreEntries(binIds, accountSet).size());
    transaction.commit();
    return restored;
}

std::vector<std::pair<qint64, qint64>> RecycleBin::restoreEntries(const QList<qint64> &binIds, int accountSet)
{
    Statement row = data_.query(QStringLiteral("select ") + BinColumns +
                                QStringLiteral(" from jizhang_bin where id=? and muluID=?"));
    // With its old id when that is free (ids are never reused, unless a file came from
    // elsewhere); a new one otherwise.
    Statement withId = data_.query(QStringLiteral("insert or ignore into jizhang (id, data, t1, t2, t3, t4, t5, content, "
                                                  "muluID) values (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    Statement withoutId = data_.query(QStringLiteral(
        "insert into jizhang (data, t1, t2, t3, t4, t5, content, muluID) values (?, ?, ?, ?, ?, ?, ?, ?)"));
    Statement remove = data_.query(QStringLiteral("delete from jizhang_bin where id=?"));
    std::vector<std::pair<qint64, qint64>> restored;  // old and new entry id
    int pieces = 0;
    for (qint64 binId : binIds) {
        row.reset();
        row.bindAll({binId, accountSet});
        if (!row.step())
            continue;  // not in this account set's bin (or already back)
        QVariantList fields;
        for (int column = 1; column <= 8; ++column)
            fields << (row.isNull(column) ? QVariant() : QVariant(row.text(column)));
        fields[7] = row.integer(8);
        const qint64 oldId = row.integer(0);
        withId.reset();
        withId.bindAll(QVariantList{oldId} + fields);
        withId.run();
        qint64 newId = oldId;
        if (data_.database().changes() == 0) {
            withoutId.reset();
            withoutId.bindAll(fields);
            withoutId.run();
            newId = data_.database().lastInsertId();
        }
        remove.reset();
        remove.bindAll({binId});
        remove.run();
        restored.emplace_back(oldId, newId);
        if (++pieces % Piece == 0)
            data_.betweenPieces();
    }
    return restored;
}

int RecycleBin::restoreTransfers(const QList<qint64> &binIds, int accountSet)
{
    DataFile::Transaction transaction(data_);
    int restored = 0;
    for (qint64 binId : binIds) {
        Statement row = data_.query(QStringLiteral("select ") + TransferBinColumns +
                                        QStringLiteral(" from zhuanzhang_bin where id=? and muluID=?"),
                                    {binId, accountSet});
        if (!row.step())
            continue;
        QVariantList fields;
        for (int column = 0; column < 10; ++column)
            fields << (row.isNull(column) ? QVariant() : QVariant(row.text(column)));
        // The fee entry comes back first, so that the transfer names it by its id.
        if (!row.isNull(6)) {
            const qint64 feeId = row.integer(6);
            Statement fee = data_.query(
                QStringLiteral("select id from jizhang_bin where entryId=? and muluID=? order by id desc limit 1"),
                {feeId, accountSet});
            if (fee.step()) {
                const auto back = restoreEntries({fee.integer(0)}, accountSet);
                if (!back.empty())
                    fields[6] = back.front().second;
            }
        }
        const QString insert = QStringLiteral("insert or ignore into zhuanzhang (") + TransferColumns +
                               QStringLiteral(") values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        if (data_.exec(insert, fields) == 0) {
            fields[0] = QVariant();  // its old id was taken
            data_.exec(insert, fields);
        }
        data_.exec(QStringLiteral("delete from zhuanzhang_bin where id=?"), {binId});
        ++restored;
    }
    transaction.commit();
    return restored;
}

int RecycleBin::empty(int accountSet)
{
    DataFile::Transaction transaction(data_);
    // Reconciled marks of the entries that go for good go with them.
    data_.exec(QStringLiteral("delete from jizhang_duizhang where entryId in (select entryId from jizhang_bin where muluID=?)"),
               {accountSet});
    const int transfers = data_.exec(QStringLiteral("delete from zhuanzhang_bin where muluID=?"), {accountSet});
    // When the bin holds no other account set's entries (the usual case), one statement
    // without a condition lets all its pages go at once instead of deleting row by row.
    Statement others = data_.query(QStringLiteral("select exists (select 1 from jizhang_bin where muluID < ?1 or "
                                                  "muluID > ?1 or muluID is null)"),
                                   {accountSet});
    if (others.step() && others.integer(0) == 0) {
        others.reset();
        const int removed = data_.exec(QStringLiteral("delete from jizhang_bin"));
        data_.betweenPieces();
        transaction.commit();
        return removed + transfers;
    }
    others.reset();
    Statement bounds = data_.query(QStringLiteral("select min(id), max(id), count(*) from jizhang_bin where muluID=?"),
                                   {accountSet});
    bounds.step();
    const qint64 total = bounds.integer(2);
    int removed = 0;
    if (total > 0) {
        const qint64 first = bounds.integer(0);
        const qint64 last = bounds.integer(1);
        Statement remove = data_.query(QStringLiteral("delete from jizhang_bin where muluID=? and id >= ? and id < ?"));
        for (qint64 from = first; from <= last; from += Piece) {
            remove.reset();
            remove.bindAll({accountSet, from, from + Piece});
            remove.run();
            removed += data_.database().changes();
            data_.betweenPieces();
        }
    }
    transaction.commit();
    return removed + transfers;
}
