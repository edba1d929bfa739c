// SPDX-License-Identifier: GPL-3.0-or-later
#include "accounts/account_sums.h"

#include "core/dates.h"
#include "ledger/month_totals.h"
#include "store/data_file.h"

#include <QSet>

#include <algorithm>
#include <limits>
#include <vector>

namespace {

// An account's entries and the two sides of its transfers within a condition on the date,
// each read along the index of the account set, the account and the date.
const QString EntrySums = QStringLiteral(
    "select count(*), money_total(case when t1 IS '收入' then t5 end), money_total(case when t1 IS NOT '收入' then t5 end) "
    "from jizhang%1 where muluID=? and t3=? and %2");
const QString OutSums = QStringLiteral(
    "select count(*), money_total(amount) from zhuanzhang indexed by zhuanzhang_out where muluID=? and outAccount=? and %1");
const QString InSums = QStringLiteral(
    "select count(*), money_total(amount) from zhuanzhang indexed by zhuanzhang_in where muluID=? and inAccount=? and %1");

// How many stale account months are counted at each look rather than kept, and how many
// entries those months may hold in all (a month of ten million entries holds forty
// thousand, which take tens of milliseconds to count at every look).
constexpr int FewStaleMonths = 24;
constexpr int FewStaleEntries = 10000;

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
    Statement entries =
        data.query(EntrySums.arg(data.indexHint(QStringLiteral("jizhang_muluID_t3_data")), condition), head + values);
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

QStringList AccountSums::allMonths(int accountSet)
{
    QStringList months = MonthTotals(data_).monthKeys(accountSet) +
                         data_.texts(QStringLiteral("select distinct %1 from zhuanzhang where muluID=?")
                                         .arg(Dates::monthKeySql(QStringLiteral("data"))),
                                     {accountSet});
    months << QStringLiteral("");  // the dates of no month
    months.sort();
    months.removeDuplicates();
    return months;
}

QHash<QString, AccountFlow> AccountSums::monthOfAll(int accountSet, const QString &month)
{
    QHash<QString, AccountFlow> flows;
    std::vector<SqlCondition> entryParts, transferParts;
    if (month.isEmpty()) {
        // The entries of no month along the date index (see MonthTotals); transfers are few.
        std::vector<DateSpan> odd;
        for (const DateSpan &span : MonthTotals(data_).spans(accountSet))
            if (span.month < 0)
                odd.push_back(span);
        entryParts = MonthTotals::parts(odd);
        transferParts = {{Dates::monthKeySql(QStringLiteral("data")) + QStringLiteral(" = ''"), {}}};
    } else {
        const std::optional<int> index = Dates::monthOf(month.toStdString());
        if (!index || month.size() != 7)
            return flows;
        entryParts = transferParts = {{QStringLiteral("data >= ? and data < ?"), {month, Dates::monthEnd(*index)}}};
    }
    for (const SqlCondition &c : entryParts) {
        Statement st = data_.query(QStringLiteral("select t3, count(*), money_total(case when t1 IS '收入' then t5 end), "
                                                  "money_total(case when t1 IS NOT '收入' then t5 end) from jizhang "
                                                  "indexed by jizhang_muluID_data where muluID=? and t3 is not null and ") +
                                       c.text + QStringLiteral(" group by t3"),
                                   QVariantList{accountSet} + c.values);
        while (st.step()) {
            AccountFlow &flow = flows[st.text(0)];
            flow.count += st.integer(1);
            flow.income += moneyAt(st, 2);
            flow.expense += moneyAt(st, 3);
        }
    }
    for (const SqlCondition &c : transferParts)
        for (const bool out : {true, false}) {
            const QString side = out ? QStringLiteral("outAccount") : QStringLiteral("inAccount");
            Statement st = data_.query(QStringLiteral("select %1, count(*), money_total(amount) from zhuanzhang where "
                                                      "muluID=? and %1 is not null and ").arg(side) +
                                           c.text + QStringLiteral(" group by %1").arg(side),
                                       QVariantList{accountSet} + c.values);
            while (st.step()) {
                AccountFlow &flow = flows[st.text(0)];
                flow.count += st.integer(1);
                (out ? flow.moveOut : flow.moveIn) += moneyAt(st, 2);
            }
        }
    return flows;
}

int AccountSums::storeMonthsOfAll(int accountSet, int most)
{
    // A mark of every month is turned into a mark of each month (of all accounts) first.
    if (data_.exec(QStringLiteral("delete from zhanghu_months_stale where muluID=? and account is null and month is null"),
                   {accountSet}) > 0) {
        Statement mark = data_.query(QStringLiteral("insert into zhanghu_months_stale (muluID, account, month) select ?1, "
                                                    "NULL, ?2 where not exists (select 1 from zhanghu_months_stale where "
                                                    "muluID=?1 and account is null and month=?2)"));
        for (const QString &month : allMonths(accountSet)) {
            mark.reset();
            mark.bindAll({accountSet, month});
            mark.run();
        }
    }
    const QStringList months = data_.texts(QStringLiteral("select distinct month from zhanghu_months_stale where "
                                                          "muluID=? and account is null order by month"),
                                           {accountSet});
    const int done = int(std::min<qsizetype>(months.size(), std::max(most, 0)));
    Statement keep = data_.query(QStringLiteral("insert into zhanghu_months (muluID, account, month, entries, income, "
                                                "expense, moveIn, moveOut) values (?,?,?,?,?,?,?,?)"));
    for (const QString &month : months.first(done)) {
        data_.exec(QStringLiteral("delete from zhanghu_months where muluID=? and month=?"), {accountSet, month});
        const QHash<QString, AccountFlow> flows = monthOfAll(accountSet, month);
        for (auto flow = flows.begin(); flow != flows.end(); ++flow) {
            keep.reset();
            keep.bindAll({accountSet, flow.key(), month, flow->count, flow->income.exact(), flow->expense.exact(),
                          flow->moveIn.exact(), flow->moveOut.exact()});
            keep.run();
        }
        // Every account of the month is counted: its marks of single accounts go too.
        data_.exec(QStringLiteral("delete from zhanghu_months_stale where muluID=? and month=?"), {accountSet, month});
    }
    return int(months.size()) - done;
}

int AccountSums::refreshSome(int accountSet, int most)
{
    DataFile::Transaction transaction(data_);
    const int left = storeMonthsOfAll(accountSet, most);
    transaction.commit();
    return left;
}

bool AccountSums::building(int accountSet)
{
    Statement st = data_.query(QStringLiteral("select 1 from zhanghu_months_stale where muluID=? and account is null limit 1"),
                               {accountSet});
    return st.step();
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
        storeMonthsOfAll(accountSet, std::numeric_limits<int>::max());
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
    // more, or months of every account, are counted once and kept. Nothing is kept while a
    // background build keeps them.
    Statement marks = data_.query(QStringLiteral("select count(*), count(account) from zhanghu_months_stale where muluID=?"),
                                  {accountSet});
    bool few = marks.step() && marks.integer(0) <= FewStaleMonths && marks.integer(0) == marks.integer(1);
    if (few) {
        // The entries of those months, of every account, counted along the date index
        // (which a count reads alone, unlike the sums). The dates of no month are found
        // only by reading every entry of the account: counted once and kept.
        Statement entries = data_.query(
            QStringLiteral("select ifnull(sum(case when ifnull(s.month, '') = '' then %1 else (select count(*) "
                           "from jizhang where muluID=?1 and data > s.month and data < s.month || '.') end), 0) "
                           "from (select distinct month from zhanghu_months_stale where muluID=?1) s")
                .arg(FewStaleEntries + 1),
            {accountSet});
        few = entries.step() && entries.integer(0) <= FewStaleEntries;
    }
    const bool kept = !few && !data_.sumsBuiltElsewhere() && refresh(accountSet);
    // The marks are read before the kept months: a month that the build stores meanwhile
    // is counted from its rows either way.
    struct Stale {
        bool everyAccount;
        QString account, month;
    };
    std::vector<Stale> stale;
    if (!kept) {
        Statement st = data_.query(QStringLiteral("select distinct account is null, ifnull(account, ''), month "
                                                  "from zhanghu_months_stale where muluID=?"),
                                   {accountSet});
        while (st.step()) {
            if (st.integer(0) == 0)
                stale.push_back({false, st.text(1), st.text(2)});
            else if (!st.isNull(2))
                stale.push_back({true, QString(), st.text(2)});
            else
                for (const QString &month : allMonths(accountSet))
                    stale.push_back({true, QString(), month});
        }
    }
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
    // Months of every account first, then single accounts' (counted again, the same).
    std::stable_partition(stale.begin(), stale.end(), [](const Stale &s) { return s.everyAccount; });
    for (const auto &[everyAccount, account, month] : stale) {
        if (everyAccount) {
            for (AccountMonths &months : result)
                months.erase(month);
            const QHash<QString, AccountFlow> flows = monthOfAll(accountSet, month);
            for (auto flow = flows.begin(); flow != flows.end(); ++flow)
                result[flow.key()][month] = *flow;
            continue;
        }
        const AccountFlow flow = count(accountSet, account, month);
        if (flow.count > 0)
            result[account][month] = flow;
        else if (auto found = result.find(account); found != result.end())
            found->erase(month);
    }
    return result;
}
