// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/transfers.h"

#include "core/dates.h"
#include "core/money.h"
#include "ledger/recycle_bin.h"
#include "store/data_file.h"
#include "ui/formats.h"

namespace {

const QString Columns = QStringLiteral("id, data, outAccount, inAccount, amount, content, feeId, outChecked, inChecked");

// A fee as stored: its plain form, or nothing for no fee (empty or 0).
std::optional<QString> feeText(const QString &typed)
{
    const std::optional<Money> fee = Money::parse(typed);
    if (!fee || fee->isZero())
        return std::nullopt;
    return Money::storedText(typed);
}

Transfer read(const Statement &st)
{
    Transfer t;
    t.id = st.integer(0);
    t.date = st.text(1);
    t.from = st.text(2);
    t.to = st.text(3);
    t.amount = st.text(4);
    t.summary = st.text(5);
    t.feeEntryId = st.integer(6);
    t.fromChecked = st.text(7);
    t.toChecked = st.text(8);
    return t;
}

} // namespace

std::optional<QString> Transfers::problem(const Transfer &t)
{
    if (t.from.trimmed().isEmpty() || t.to.trimmed().isEmpty())
        return QStringLiteral("请选择转出账户和转入账户！");
    if (t.from == t.to)
        return QStringLiteral("转出账户和转入账户不能是同一个账户！");
    const std::optional<Money> amount = Money::parse(t.amount);
    if (!amount || *amount <= Money())
        return QStringLiteral("转账金额必须是大于0的数字（例如 1000 或 12.5），请重新输入！");
    if (!t.fee.trimmed().isEmpty()) {
        const std::optional<Money> fee = Money::parse(t.fee);
        if (!fee || fee->isNegative())
            return QStringLiteral("手续费必须是不小于0的数字（例如 2 或 0.5），请重新输入！");
    }
    const std::optional<QDate> day = Dates::readDate(t.date);
    if (!day || !Dates::isEntryDay(*day))
        return QStringLiteral("转账的日期必须是%1之间的日期！").arg(Dates::entryDaysText());
    return std::nullopt;
}

std::optional<QString> Transfers::check(const Transfer &t)
{
    if (std::optional<QString> wrong = problem(t))
        return wrong;
    for (const QString &name : {t.from, t.to}) {
        Statement st = data_.query(QStringLiteral("select 1 from mulu where class='收支方式' and content=?"), {name});
        if (!st.step())
            return QStringLiteral("没有名为“%1”的账户！").arg(name);
    }
    return std::nullopt;
}

std::optional<Transfer> Transfers::transfer(qint64 id)
{
    Statement st = data_.query(QStringLiteral("select ") + Columns + QStringLiteral(" from zhuanzhang where id=?"), {id});
    if (!st.step())
        return std::nullopt;
    Transfer t = read(st);
    if (t.feeEntryId != 0) {
        Statement fee = data_.query(QStringLiteral("select t5 from jizhang where id=?"), {t.feeEntryId});
        if (fee.step())
            t.fee = fee.text(0);
        else
            t.feeEntryId = 0;  // deleted on its own from the ledger
    }
    return t;
}

qint64 Transfers::insertFee(const Transfer &t, int accountSet)
{
    const std::optional<QString> fee = feeText(t.fee);
    if (!fee)
        return 0;
    return data_.insert(QStringLiteral("insert into jizhang (data, t1, t2, t3, t4, t5, content, muluID) "
                                       "values (?, '支出', ?, ?, '', ?, ?, ?)"),
                        {Dates::storedDate(*Dates::readDate(t.date)), feeItem(), Formats::withoutNul(t.from), *fee,
                         Formats::withoutNul(t.summary), accountSet});
}

qint64 Transfers::add(const Transfer &t, int accountSet)
{
    if (std::optional<QString> wrong = check(t))
        throw StoreError(*wrong, 19 /* SQLITE_CONSTRAINT */);
    DataFile::Transaction transaction(data_);
    const qint64 fee = insertFee(t, accountSet);
    const qint64 id = data_.insert(
        QStringLiteral("insert into zhuanzhang (data, outAccount, inAccount, amount, content, feeId, muluID) "
                       "values (?, ?, ?, ?, ?, ?, ?)"),
        {Dates::storedDate(*Dates::readDate(t.date)), Formats::withoutNul(t.from), Formats::withoutNul(t.to),
         *Money::storedText(t.amount), Formats::withoutNul(t.summary), fee ? QVariant(fee) : QVariant(), accountSet});
    transaction.commit();
    return id;
}

std::vector<qint64> Transfers::addAll(const std::vector<Transfer> &transfers, int accountSet,
                                      const std::function<void(int, int)> &progress)
{
    std::vector<qint64> ids;
    ids.reserve(transfers.size());
    DataFile::Transaction transaction(data_);
    for (const Transfer &t : transfers) {
        ids.push_back(add(t, accountSet));
        if (ids.size() % 200 == 0 && progress)
            progress(int(ids.size()), int(transfers.size()));
    }
    transaction.commit();
    if (progress)
        progress(int(ids.size()), int(transfers.size()));
    return ids;
}

bool Transfers::update(const Transfer &t)
{
    if (std::optional<QString> wrong = check(t))
        throw StoreError(*wrong, 19 /* SQLITE_CONSTRAINT */);
    DataFile::Transaction transaction(data_);
    const std::optional<Transfer> old = transfer(t.id);
    if (!old)
        return false;
    Statement set = data_.query(QStringLiteral("select muluID from zhuanzhang where id=?"), {t.id});
    const int accountSet = set.step() ? int(set.integer(0)) : 0;
    const QString date = Dates::storedDate(*Dates::readDate(t.date));
    const QString amount = *Money::storedText(t.amount);
    const bool moved = old->date != date || old->amount != amount;
    const QString fromChecked = moved || old->from != t.from ? QString() : old->fromChecked;
    const QString toChecked = moved || old->to != t.to ? QString() : old->toChecked;

    qint64 fee = old->feeEntryId;
    if (const std::optional<QString> newFee = feeText(t.fee); !newFee) {
        if (fee != 0)
            RecycleBin(data_).discard(fee);
        fee = 0;
    } else if (fee != 0) {
        data_.exec(QStringLiteral("update jizhang set data=?, t3=?, t5=?, content=? where id=?"),
                   {date, Formats::withoutNul(t.from), *newFee, Formats::withoutNul(t.summary), fee});
    } else {
        fee = insertFee(t, accountSet);
    }
    auto orNull = [](const QString &text) { return text.isEmpty() ? QVariant() : QVariant(text); };
    data_.exec(QStringLiteral("update zhuanzhang set data=?, outAccount=?, inAccount=?, amount=?, content=?, feeId=?, "
                              "outChecked=?, inChecked=? where id=?"),
               {date, Formats::withoutNul(t.from), Formats::withoutNul(t.to), amount, Formats::withoutNul(t.summary),
                fee ? QVariant(fee) : QVariant(), orNull(fromChecked), orNull(toChecked), t.id});
    transaction.commit();
    return true;
}

bool Transfers::discard(qint64 id, const QDateTime &when)
{
    DataFile::Transaction transaction(data_);
    const int moved = data_.exec(
        QStringLiteral("insert into zhuanzhang_bin (transferId, data, outAccount, inAccount, amount, content, feeId, "
                       "outChecked, inChecked, muluID, deleted) select id, data, outAccount, inAccount, amount, "
                       "content, feeId, outChecked, inChecked, muluID, ? from zhuanzhang where id=?"),
        {RecycleBin::timeText(when), id});
    if (moved == 0)
        return false;
    Statement fee = data_.query(QStringLiteral("select feeId from zhuanzhang where id=?"), {id});
    if (fee.step() && !fee.isNull(0))
        RecycleBin(data_).discard(fee.integer(0), when);
    data_.exec(QStringLiteral("delete from zhuanzhang where id=?"), {id});
    transaction.commit();
    return true;
}

qint64 Transfers::transferOfFee(qint64 entryId)
{
    Statement st = data_.query(QStringLiteral("select id from zhuanzhang where feeId=?"), {entryId});
    return st.step() ? st.integer(0) : 0;
}

QString Transfers::entryChecked(qint64 entryId)
{
    Statement st = data_.query(QStringLiteral("select statement from jizhang_duizhang where entryId=?"), {entryId});
    return st.step() ? st.text(0) : QString();
}

QStringList Transfers::closedAccounts(int accountSet)
{
    return data_.texts(QStringLiteral("select m.content from zhanghu z join mulu m on m.id = z.accountId "
                                      "where z.muluID=? and z.closed<>0 order by m.id"),
                       {accountSet});
}
