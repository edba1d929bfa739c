// SPDX-License-Identifier: GPL-3.0-or-later
#include "accounts/accounts.h"

#include "core/dates.h"
#include "core/time_keys.h"
#include "ledger/transfers.h"
#include "store/data_file.h"
#include "ui/formats.h"

#include <algorithm>

namespace {

const QString AccountColumns = QStringLiteral(
    "select m.id, m.content, z.kind, z.opening, z.openingDate, z.note, z.closed from mulu m "
    "left join zhanghu z on z.accountId = m.id and z.muluID = ? where m.class='收支方式' ");

// Renames an account in one table's column, the bins' too.
void renameIn(DataFile &data, const QString &from, const QString &to)
{
    for (const char *column : {"jizhang.t3", "jizhang_bin.t3", "zhuanzhang.outAccount", "zhuanzhang.inAccount",
                               "zhuanzhang_bin.outAccount", "zhuanzhang_bin.inAccount"}) {
        const QString table = QString::fromLatin1(column).section(u'.', 0, 0);
        const QString name = QString::fromLatin1(column).section(u'.', 1, 1);
        data.exec(QStringLiteral("update %1 set %2=? where %2=?").arg(table, name), {to, from});
    }
}

// The day after, as stored: the first text after every text of the day.
QString dayAfter(const QDate &day) { return Dates::storedDate(day.addDays(1)); }

} // namespace

Money AccountRow::flow() const
{
    if (!counted)
        return {};
    const Money amount = Money::fromStored(this->amount).value_or(Money());
    return incoming ? amount : -amount;
}

QString AccountRow::key() const
{
    return source == Transfer ? QStringLiteral("t%1").arg(id) : QString::number(id);
}

QStringList Accounts::kinds()
{
    return {QStringLiteral("现金"), QStringLiteral("储蓄卡"), QStringLiteral("信用卡"),
            QStringLiteral("支付宝"), QStringLiteral("微信"),   QStringLiteral("其他")};
}

Account Accounts::accountAt(const Statement &st)
{
    Account a;
    a.id = st.integer(0);
    a.name = st.text(1);
    if (!st.isNull(2)) {
        a.kind = kinds().contains(st.text(2)) ? st.text(2) : QStringLiteral("其他");
        a.opening = Money::fromStored(st.utf8(3)).value_or(Money());
        a.openingDate = st.text(4);
        a.note = st.text(5);
        a.closed = st.integer(6) != 0;
    }
    return a;
}

std::vector<Account> Accounts::all(int accountSet)
{
    std::vector<Account> accounts;
    Statement st = data_.query(AccountColumns + QStringLiteral("order by m.id"), {accountSet});
    while (st.step())
        accounts.push_back(accountAt(st));
    return accounts;
}

std::optional<Account> Accounts::byName(int accountSet, const QString &name)
{
    Statement st = data_.query(AccountColumns + QStringLiteral("and m.content=? order by m.id limit 1"), {accountSet, name});
    if (!st.step())
        return std::nullopt;
    return accountAt(st);
}

std::optional<Account> Accounts::find(int accountSet, const AccountHint &hint)
{
    if (!hint.name.trimmed().isEmpty())
        if (std::optional<Account> named = byName(accountSet, hint.name.trimmed()))
            return named;
    std::vector<Account> open;
    for (Account &a : all(accountSet))
        if (!a.closed && (hint.kind.isEmpty() || a.kind == hint.kind))
            open.push_back(std::move(a));
    auto only = [](const std::vector<Account> &fits) {
        return fits.size() == 1 ? std::optional<Account>(fits.front()) : std::nullopt;
    };
    const QString digits = hint.lastDigits.trimmed();
    if (!digits.isEmpty()) {
        std::vector<Account> fits;
        for (const Account &a : open)
            if (a.note.contains(digits) || a.name.contains(digits))
                fits.push_back(a);
        return only(fits);  // digits that fit no account name none
    }
    if (hint.kind.isEmpty())
        return std::nullopt;
    return only(open);
}

std::optional<QString> Accounts::problem(int accountSet, const Account &account, const QString &opening, qint64 renaming)
{
    const QString name = account.name.trimmed();
    if (name.isEmpty())
        return QStringLiteral("请输入账户名称！");
    if (std::optional<Account> same = byName(accountSet, name); same && same->id != renaming)
        return QStringLiteral("已经有名为“%1”的账户！").arg(name);
    if (!kinds().contains(account.kind))
        return QStringLiteral("请选择账户类别！");
    if (!opening.trimmed().isEmpty() && !Money::parse(opening))
        return QStringLiteral("期初余额必须是一个数字（例如 1000 或 -2500.5），请重新输入！");
    if (!account.openingDate.isEmpty()) {
        const std::optional<QDate> day = Dates::readDate(account.openingDate);
        if (!day || !Dates::isEntryDay(*day))
            return QStringLiteral("期初日期必须是%1之间的日期！").arg(Dates::entryDaysText());
    }
    return std::nullopt;
}

namespace {

void storeData(DataFile &data, int accountSet, qint64 id, const Account &a)
{
    data.exec(QStringLiteral("insert or replace into zhanghu (muluID, accountId, kind, opening, openingDate, note, closed) "
                             "values (?, ?, ?, ?, ?, ?, ?)"),
              {accountSet, id, a.kind, a.opening.exact(), a.openingDate, Formats::withoutNul(a.note), a.closed ? 1 : 0});
}

} // namespace

qint64 Accounts::add(int accountSet, const Account &account)
{
    DataFile::Transaction transaction(data_);
    const QString key = TimeKeys::make(QStringLiteral("a"), QDateTime::currentDateTime(), [this](const QString &candidate) {
        Statement st = data_.query(QStringLiteral("select 1 from mulu where key_1=? limit 1"), {candidate});
        return st.step();
    });
    const qint64 id = data_.insert(
        QStringLiteral("insert into mulu (key_1, parent, class, content) values (?, '0', '收支方式', ?)"),
        {key, Formats::withoutNul(account.name.trimmed())});
    storeData(data_, accountSet, id, account);
    transaction.commit();
    return id;
}

void Accounts::save(int accountSet, const Account &account)
{
    DataFile::Transaction transaction(data_);
    Statement old = data_.query(QStringLiteral("select content from mulu where id=? and class='收支方式'"), {account.id});
    if (!old.step())
        throw StoreError(QStringLiteral("这个账户已经不存在！"), 0);
    const QString from = old.text(0);
    const QString to = Formats::withoutNul(account.name.trimmed());
    if (from != to) {
        // The entries follow the account under its new name, reconciled as they were.
        data_.database().execute(QStringLiteral(
            "CREATE TEMP TABLE IF NOT EXISTS kept_marks (entryId INTEGER PRIMARY KEY, statement TEXT); "
            "DELETE FROM temp.kept_marks;"));
        data_.exec(QStringLiteral("insert into temp.kept_marks select d.entryId, d.statement from jizhang_duizhang d "
                                  "join jizhang j on j.id = d.entryId where j.t3=?"),
                   {from});
        data_.exec(QStringLiteral("update mulu set content=? where id=?"), {to, account.id});
        renameIn(data_, from, to);
        data_.exec(QStringLiteral("insert or replace into jizhang_duizhang select entryId, statement from temp.kept_marks"));
        data_.exec(QStringLiteral("delete from temp.kept_marks"));
    }
    storeData(data_, accountSet, account.id, account);
    transaction.commit();
}

Accounts::Usage Accounts::usage(const QString &name)
{
    Usage usage;
    Statement entries = data_.query(QStringLiteral("select count(*) from jizhang where t3=?"), {name});
    usage.entries = entries.step() ? entries.integer(0) : 0;
    Statement transfers = data_.query(QStringLiteral("select count(*) from zhuanzhang where outAccount=? or inAccount=?"),
                                      {name, name});
    usage.transfers = transfers.step() ? transfers.integer(0) : 0;
    return usage;
}

qint64 Accounts::transfersBetween(const QString &a, const QString &b)
{
    Statement st = data_.query(QStringLiteral("select count(*) from zhuanzhang where (outAccount=? and inAccount=?) "
                                              "or (outAccount=? and inAccount=?)"),
                               {a, b, b, a});
    return st.step() ? st.integer(0) : 0;
}

bool Accounts::remove(qint64 id)
{
    DataFile::Transaction transaction(data_);
    Statement st = data_.query(QStringLiteral("select content from mulu where id=? and class='收支方式'"), {id});
    if (!st.step() || usage(st.text(0)).total() > 0)
        return false;
    data_.exec(QStringLiteral("delete from mulu where id=?"), {id});
    transaction.commit();
    return true;
}

bool Accounts::mergeInto(qint64 from, const QString &into)
{
    DataFile::Transaction transaction(data_);
    Statement st = data_.query(QStringLiteral("select content from mulu where id=? and class='收支方式'"), {from});
    if (!st.step())
        return false;
    const QString name = st.text(0);
    if (name == into || transfersBetween(name, into) > 0)
        return false;
    // Deleted transfers between the two would come back as transfers within one account.
    data_.exec(QStringLiteral("delete from zhuanzhang_bin where (outAccount=? and inAccount=?) or "
                              "(outAccount=? and inAccount=?)"),
               {name, into, into, name});
    renameIn(data_, name, into);
    data_.exec(QStringLiteral("delete from mulu where id=?"), {from});
    transaction.commit();
    return true;
}

namespace {

// An account's balance at the end of a day from its kept months.
AccountBalance balanceOf(AccountSums &sums, int accountSet, const Account &account, const AccountMonths &months,
                         const QDate &day)
{
    AccountBalance result{account, {}};
    const std::optional<QDate> opening = account.openingDate.isEmpty() ? std::nullopt : Dates::readDate(account.openingDate);
    if (opening && *opening > day)
        return result;
    const QString openMonth = opening ? Dates::storedDate(*opening).left(7) : QString();
    const QString dayMonth = Dates::storedDate(day).left(7);
    for (const auto &[month, flow] : months) {
        // Rows of no month always count: they belong to no day to compare.
        if (!month.isEmpty() && ((!openMonth.isEmpty() && month < openMonth) || month > dayMonth))
            continue;
        result.flow += flow;
    }
    // The month of the opening day counts from that day on; the month of the day up to it.
    if (opening && opening->day() != 1 && months.count(openMonth))
        result.flow -= sums.between(accountSet, account.name, openMonth, Dates::storedDate(*opening));
    if (day.addDays(1).month() == day.month() && months.count(dayMonth)) {
        const int index = Dates::monthIndex(day.year(), day.month());
        result.flow -= sums.between(accountSet, account.name, dayAfter(day), Dates::monthEnd(index));
    }
    return result;
}

} // namespace

AccountBalance Accounts::balance(int accountSet, const Account &account, const QDate &day)
{
    AccountSums sums(data_);
    const QHash<QString, AccountMonths> months = sums.months(accountSet);
    return balanceOf(sums, accountSet, account, months.value(account.name), day);
}

std::vector<AccountBalance> Accounts::balances(int accountSet, const QDate &day)
{
    AccountSums sums(data_);
    const QHash<QString, AccountMonths> months = sums.months(accountSet);
    std::vector<AccountBalance> result;
    for (const Account &account : all(accountSet))
        result.push_back(balanceOf(sums, accountSet, account, months.value(account.name), day));
    return result;
}

NetWorth Accounts::worth(const std::vector<AccountBalance> &balances)
{
    NetWorth worth;
    for (const AccountBalance &b : balances) {
        const Money balance = b.balance();
        if (balance.isNegative())
            worth.debts -= balance;
        else
            worth.assets += balance;
    }
    return worth;
}

std::vector<AccountRow> Accounts::rows(int accountSet, const Account &account, const QString &dateCondition,
                                       const QVariantList &values)
{
    std::vector<AccountRow> rows;
    const QVariantList head{accountSet, account.name};
    Statement entries = data_.query(
        QStringLiteral("select id, data, t1, t2, t5, content, (select statement from jizhang_duizhang where "
                       "entryId = jizhang.id) from jizhang") +
            data_.indexHint(QStringLiteral("jizhang_muluID_t3_data")) + QStringLiteral(" where muluID=? and t3=? and ") +
            dateCondition,
        head + values);
    while (entries.step()) {
        AccountRow r;
        r.id = entries.integer(0);
        r.date = entries.text(1);
        r.incoming = entries.text(2) == QStringLiteral("收入");
        r.item = entries.text(3);
        r.amount = entries.text(4);
        r.summary = entries.text(5);
        r.checked = entries.text(6);
        rows.push_back(std::move(r));
    }
    for (const bool incoming : {false, true}) {
        const QString side = incoming ? QStringLiteral("inAccount") : QStringLiteral("outAccount");
        const QString other = incoming ? QStringLiteral("outAccount") : QStringLiteral("inAccount");
        const QString checked = incoming ? QStringLiteral("inChecked") : QStringLiteral("outChecked");
        Statement st = data_.query(QStringLiteral("select id, data, %1, amount, content, %2 from zhuanzhang indexed by %3 "
                                                  "where muluID=? and %4=? and ")
                                           .arg(other, checked, incoming ? QStringLiteral("zhuanzhang_in")
                                                                         : QStringLiteral("zhuanzhang_out"),
                                                side) +
                                       dateCondition,
                                   head + values);
        while (st.step()) {
            AccountRow r;
            r.source = AccountRow::Transfer;
            r.id = st.integer(0);
            r.date = st.text(1);
            r.item = Transfers::kind();
            r.other = st.text(2);
            r.amount = st.text(3);
            r.incoming = incoming;
            r.summary = st.text(4);
            r.checked = st.text(5);
            rows.push_back(std::move(r));
        }
    }
    for (AccountRow &r : rows)
        r.counted = account.openingDate.isEmpty() || r.date >= account.openingDate || !Dates::monthOf(r.date.toStdString());
    std::sort(rows.begin(), rows.end(), [](const AccountRow &a, const AccountRow &b) {
        if (a.date != b.date)
            return a.date > b.date;
        if (a.source != b.source)
            return a.source > b.source;
        return a.id > b.id;
    });
    return rows;
}

std::vector<AccountRow> Accounts::unreconciled(int accountSet, const Account &account, const QDate &day)
{
    std::vector<AccountRow> result;
    for (AccountRow &r : rows(accountSet, account, QStringLiteral("data < ?"), {dayAfter(day)}))
        if (r.checked.isEmpty() && r.counted)
            result.push_back(std::move(r));
    return result;
}

Money Accounts::reconciledBalance(int accountSet, const Account &account, const QDate &day)
{
    Money balance = this->balance(accountSet, account, day).balance();
    for (const AccountRow &r : unreconciled(accountSet, account, day))
        balance -= r.flow();
    return balance;
}

void Accounts::reconcile(const Account &account, const QDate &statementDay, const std::vector<AccountRow> &rows)
{
    const QString day = Dates::storedDate(statementDay);
    DataFile::Transaction transaction(data_);
    for (const AccountRow &r : rows) {
        if (r.source == AccountRow::Entry)
            data_.exec(QStringLiteral("insert or replace into jizhang_duizhang (entryId, statement) select id, ? from "
                                      "jizhang where id=? and t3=?"),
                       {day, r.id, account.name});
        else if (r.incoming)
            data_.exec(QStringLiteral("update zhuanzhang set inChecked=? where id=? and inAccount=?"), {day, r.id, account.name});
        else
            data_.exec(QStringLiteral("update zhuanzhang set outChecked=? where id=? and outAccount=?"),
                       {day, r.id, account.name});
    }
    transaction.commit();
}
