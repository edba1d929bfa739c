// SPDX-License-Identifier: GPL-3.0-or-later
#include "accounts/account_sums.h"

#include "core/dates.h"
#include "store/data_file.h"

#include <QSet>

#include <vector>

namespace {

// An account's entries and the two sides of its transfers within a condition on the date,
// each read along the index of the account set, the account and the date.
const QString EntrySums = QStringLiteral(
    "select count(*), money_total(case when t1 IS '收入' then t5 end), money_total(case when t1 IS NOT '收入' then t5 end) "
    "from jizhang indexed by jizhang_muluID_t3_data where muluID=? and t3=? and %1");
const QString OutSums = QStringLiteral(
    "select count(*), money_total(amount) from zhuanzhang indexed by zhuanzhang_out where muluID=? and outAccount=? and %1");
const QString InSums = QStringLiteral(
    "select count(*), money_total(amount) from zhuanzhang indexed by zhuanzhang_in where muluID=? and inAccount=? and %1");

// How many stale account months are counted at each look rather than kept.
constexpr int FewStaleMonths = 24;

Money moneyAt(const Statement &st, int column) { return Money::fromStored(st.utf8(column)).value_or(Money()); }

} // namespace

AccountFlow &AccountFlow::operator+=(const AccountFlow &other)
{
    count += other.count;
    income += other.income;
    expense += other.expense;
    moveIn += other.moveIn;
    moveOut += other.moveOut;
    return *this;
}

AccountFlow &AccountFlow::operator-=(const AccountFlow &other)
{
    count -= other.count;
    income -= other.income;
    expense -= other.expense;
    moveIn -= other.moveIn;
    moveOut -= other.moveOut;
    return *this;
}

namespace {

AccountFlow flowWhere(DataFile &data, int accountSet, const QString &account, const QString &condition,
                      const QVariantList &values)
{
    AccountFlow flow;
    const QVariantList head{accountSet, account};
    Statement entries = data.query(EntrySums.arg(condition), head + values);
    if (entries.step()) {
        flow.count += entries.integer(0);
        flow.income = moneyAt(entries, 1);
        flow.expense = moneyAt(entries, 2);
    }
    Statement out = data.query(OutSums.arg(condition), head + values);
    if (out.step()) {
        flow.count += out.integer(0);
        flow.moveOut = moneyAt(out, 1);
    }
    Statement in = data.query(InSums.arg(condition), head + values);
    if (in.step()) {
        flow.count += in.integer(0);
        flow.moveIn = moneyAt(in, 1);
    }
    return flow;
}

} // namespace

AccountFlow AccountSums::between(int accountSet, const QString &account, const QString &from, const QString &until)
{
    return flowWhere(data_, accountSet, account, QStringLiteral("data >= ? and data < ?"), {from, until});
}

AccountFlow AccountSums::ofNoMonth(int accountSet, const QString &account)
{
    return flowWhere(data_, accountSet, account, Dates::monthKeySql(QStringLiteral("data")) + QStringLiteral(" = ''"), {});
}

AccountFlow AccountSums::count(int accountSet, const QString &account, const QString &month)
{
    if (month.isEmpty())
        return ofNoMonth(accountSet, account);
    const std::optional<int> index = Dates::monthOf(month.toStdString());
    if (!index || month.size() != 7)
        return {};
    return between(accountSet, account, month, Dates::monthEnd(*index));
}

bool AccountSums::refresh(int accountSet)
{
    struct Stale {
        qint64 rowid;
        QVariant account;  // NULL for rows without a payment method
        QString month;
    };
    auto staleMarks = [&] {
        std::vector<Stale> stale;
        Statement st = data_.query(
            QStringLiteral("select rowid, account, month from zhanghu_months_stale where muluID=?"), {accountSet});
        while (st.step())
            stale.push_back({st.integer(0), st.isNull(1) ? QVariant() : QVariant(st.text(1)), st.text(2)});
        return stale;
    };
    if (staleMarks().empty())
        return true;
    try {
        DataFile::Transaction transaction(data_);
        QSet<QPair<QString, QString>> counted;
        Statement drop = data_.query(QStringLiteral("delete from zhanghu_months where muluID=? and account=? and month=?"));
        Statement keep = data_.query(QStringLiteral("insert into zhanghu_months (muluID, account, month, entries, income, "
                                                    "expense, moveIn, moveOut) values (?,?,?,?,?,?,?,?)"));
        Statement clear = data_.query(QStringLiteral("delete from zhanghu_months_stale where rowid=?"));
        // The marks as they are now that no one else can write: exactly these are counted
        // and cleared.
        for (const Stale &s : staleMarks()) {
            const QPair<QString, QString> key{s.account.toString(), s.month};
            if (!s.account.isNull() && !counted.contains(key)) {
                counted.insert(key);
                drop.reset();
                drop.bindAll({accountSet, key.first, s.month});
                drop.run();
                const AccountFlow flow = count(accountSet, key.first, s.month);
                if (flow.count > 0) {
                    keep.reset();
                    keep.bindAll({accountSet, key.first, s.month, flow.count, flow.income.exact(), flow.expense.exact(),
                                  flow.moveIn.exact(), flow.moveOut.exact()});
                    keep.run();
                }
            }
            clear.reset();
            clear.bindAll({s.rowid});
            clear.run();
        }
        transaction.commit();
        return true;
    } catch (const StoreError &) {
        return false;  // read-only or busy: counted from the rows instead
    }
}

QHash<QString, AccountMonths> AccountSums::months(int accountSet)
{
    // A few stale months are counted from their rows at each look, which costs less than a
    // commit of its own after every change (a transfer saved would wait for the disk twice);
    // more are counted once and kept.
    Statement marks = data_.query(QStringLiteral("select count(*) from zhanghu_months_stale where muluID=?"), {accountSet});
    const bool few = marks.step() && marks.integer(0) <= FewStaleMonths;
    const bool kept = !few && refresh(accountSet);
    QHash<QString, AccountMonths> result;
    Statement st = data_.query(QStringLiteral("select account, month, entries, income, expense, moveIn, moveOut "
                                              "from zhanghu_months where muluID=?"),
                               {accountSet});
    while (st.step()) {
        AccountFlow &flow = result[st.text(0)][st.text(1)];
        flow.count = st.integer(2);
        flow.income = moneyAt(st, 3);
        flow.expense = moneyAt(st, 4);
        flow.moveIn = moneyAt(st, 5);
        flow.moveOut = moneyAt(st, 6);
    }
    if (!kept) {
        Statement stale = data_.query(
            QStringLiteral("select distinct account, month from zhanghu_months_stale where muluID=? and account is not null"),
            {accountSet});
        while (stale.step()) {
            const QString account = stale.text(0), month = stale.text(1);
            const AccountFlow flow = count(accountSet, account, month);
            if (flow.count > 0)
                result[account][month] = flow;
            else if (auto found = result.find(account); found != result.end())
                found->erase(month);
        }
    }
    return result;
}
