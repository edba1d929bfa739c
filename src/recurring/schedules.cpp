// SPDX-License-Identifier: GPL-3.0-or-later
#include "recurring/schedules.h"

#include "core/dates.h"
#include "core/money.h"
#include "ledger/ledger.h"
#include "ledger/transfers.h"
#include "store/data_file.h"

#include <QDateTime>
#include <QSet>

#include <algorithm>

namespace {

const QString Columns = QStringLiteral(
    "select id, kind, item, account, toAccount, handler, amount, content, rule, every, day, month, start, until, "
    "times, automatic, pending from zhouqi ");

Schedule read(const Statement &st)
{
    Schedule s;
    s.id = st.integer(0);
    s.kind = st.text(1);
    s.item = st.text(2);
    s.account = st.text(3);
    s.toAccount = st.text(4);
    s.handler = st.text(5);
    s.amount = st.text(6);
    s.summary = st.text(7);
    const qsizetype rule = ScheduleRule::kindNames().indexOf(st.text(8));
    s.rule.kind = rule < 0 ? ScheduleRule::Monthly : ScheduleRule::Kind(rule);
    s.rule.every = int(st.integer(9));
    s.rule.day = int(st.integer(10));
    s.rule.month = int(st.integer(11));
    s.rule.start = QDate::fromString(st.text(12), Qt::ISODate);
    s.rule.until = QDate::fromString(st.text(13), Qt::ISODate);
    s.rule.times = int(st.integer(14));
    s.automatic = st.integer(15) != 0;
    s.pending = st.text(16);
    return s;
}

QString dateText(const QDate &date) { return date.isValid() ? Dates::storedDate(date) : QString(); }

QVariantList values(const Schedule &s)
{
    return {s.kind, s.item, s.account, s.toAccount, s.handler, Money::storedText(s.amount).value_or(s.amount),
            s.summary, ScheduleRule::kindNames().value(s.rule.kind), s.rule.every, s.rule.day, s.rule.month,
            dateText(s.rule.start), dateText(s.rule.until), s.rule.times, s.automatic ? 1 : 0};
}

} // namespace

QStringList Schedules::kinds() { return {QStringLiteral("收入"), QStringLiteral("支出"), transferKind()}; }

std::optional<QString> Schedules::problem(const Schedule &s)
{
    if (!kinds().contains(s.kind))
        return QStringLiteral("请选择类别（收入、支出或转账）。");
    if (s.amount.trimmed().isEmpty())
        return QStringLiteral("请填写金额。");
    if (!Money::storedText(s.amount))
        return QStringLiteral("金额必须是一个数字（例如 12.5）。");
    if (s.account.isEmpty())
        return s.kind == transferKind() ? QStringLiteral("请选择转出账户。") : QStringLiteral("请选择账户。");
    if (s.kind == transferKind()) {
        if (s.toAccount.isEmpty())
            return QStringLiteral("请选择转入账户。");
        Transfer t;
        t.date = dateText(s.rule.start.isValid() ? s.rule.start : QDate::currentDate());
        t.from = s.account;
        t.to = s.toAccount;
        t.amount = Money::storedText(s.amount).value_or(s.amount);
        if (const std::optional<QString> wrong = Transfers::problem(t))
            return wrong;
    }
    return s.rule.problem();
}

std::vector<Schedule> Schedules::all(int accountSet)
{
    std::vector<Schedule> result;
    Statement st = data_.query(Columns + QStringLiteral("where muluID=? order by id"), {accountSet});
    while (st.step())
        result.push_back(read(st));
    return result;
}

std::optional<Schedule> Schedules::schedule(qint64 id)
{
    Statement st = data_.query(Columns + QStringLiteral("where id=?"), {id});
    if (!st.step())
        return std::nullopt;
    return read(st);
}

qint64 Schedules::add(int accountSet, const Schedule &schedule)
{
    if (const std::optional<QString> wrong = problem(schedule))
        throw StoreError(*wrong, 0);
    DataFile::Transaction transaction(data_);
    const qint64 id = data_.insert(
        QStringLiteral("insert into zhouqi (kind, item, account, toAccount, handler, amount, content, rule, every, day, "
                       "month, start, until, times, automatic, muluID, pending) "
                       "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        values(schedule) << accountSet << dateText(schedule.rule.firstFrom(schedule.rule.start)));
    transaction.commit();
    return id;
}

bool Schedules::update(const Schedule &schedule)
{
    if (const std::optional<QString> wrong = problem(schedule))
        throw StoreError(*wrong, 0);
    DataFile::Transaction transaction(data_);
    // Dates up to the last one dealt with stay dealt with under the new rule.
    Statement last = data_.query(QStringLiteral("select max(data) from zhouqi_ci where scheduleId=?"), {schedule.id});
    const QDate after = last.step() && !last.isNull(0) ? QDate::fromString(last.text(0), Qt::ISODate).addDays(1)
                                                       : schedule.rule.start;
    const int changed = data_.exec(
        QStringLiteral("update zhouqi set kind=?, item=?, account=?, toAccount=?, handler=?, amount=?, content=?, "
                       "rule=?, every=?, day=?, month=?, start=?, until=?, times=?, automatic=?, pending=? where id=?"),
        values(schedule) << dateText(schedule.rule.firstFrom(after)) << schedule.id);
    transaction.commit();
    return changed > 0;
}

bool Schedules::remove(qint64 id)
{
    DataFile::Transaction transaction(data_);
    data_.exec(QStringLiteral("delete from zhouqi_ci where scheduleId=?"), {id});
    const int removed = data_.exec(QStringLiteral("delete from zhouqi where id=?"), {id});
    transaction.commit();
    return removed > 0;
}

std::vector<Occurrence> Schedules::due(int accountSet, const QDate &today, bool automaticOnly)
{
    std::vector<Occurrence> result;
    // Only schedules whose first date not dealt with has come; the index finds them.
    Statement st = data_.query(Columns + QStringLiteral("where muluID=? and pending <> '' and pending <= ?%1 order by id")
                                             .arg(automaticOnly ? QStringLiteral(" and automatic=1") : QString()),
                               {accountSet, Dates::storedDate(today)});
    Statement dealt = data_.query(QStringLiteral("select data from zhouqi_ci where scheduleId=? and data >= ?"));
    while (st.step()) {
        const Schedule s = read(st);
        const QDate from = QDate::fromString(s.pending, Qt::ISODate);
        QSet<QString> done;
        dealt.reset();
        dealt.bindAll({s.id, s.pending});
        while (dealt.step())
            done.insert(dealt.text(0));
        for (const QDate &d : s.rule.between(from, today))
            if (!done.contains(Dates::storedDate(d)))
                result.push_back({s, d});
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const Occurrence &a, const Occurrence &b) { return a.date < b.date; });
    return result;
}

std::vector<Occurrence> Schedules::upcoming(int accountSet, const QDate &today, int days)
{
    std::vector<Occurrence> result;
    for (const Schedule &s : all(accountSet))
        for (const QDate &d : s.rule.between(today.addDays(1), today.addDays(days)))
            result.push_back({s, d});
    std::stable_sort(result.begin(), result.end(),
                     [](const Occurrence &a, const Occurrence &b) { return a.date < b.date; });
    return result;
}

bool Schedules::record(const Occurrence &o, bool posted)
{
    const int added = data_.exec(
        QStringLiteral("insert or ignore into zhouqi_ci (scheduleId, data, posted, recorded) values (?, ?, ?, ?)"),
        {o.schedule.id, Dates::storedDate(o.date), posted ? 1 : 0,
         QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))});
    return added > 0;
}

void Schedules::movePending(qint64 scheduleId)
{
    const std::optional<Schedule> s = schedule(scheduleId);
    if (!s || s->pending.isEmpty())
        return;
    // The first date from the old pending one on that has no record.
    Statement dealt = data_.query(QStringLiteral("select 1 from zhouqi_ci where scheduleId=? and data=?"));
    QDate d = QDate::fromString(s->pending, Qt::ISODate);
    while (d.isValid()) {
        dealt.reset();
        dealt.bindAll({scheduleId, Dates::storedDate(d)});
        if (!dealt.step())
            break;
        d = s->rule.firstFrom(d.addDays(1));
    }
    data_.exec(QStringLiteral("update zhouqi set pending=? where id=?"), {dateText(d), scheduleId});
}

PostOutcome Schedules::post(int accountSet, const std::vector<Occurrence> &occurrences,
                            const std::function<void(int done)> &afterEach)
{
    PostOutcome outcome;
    DataFile::Transaction all(data_);
    int done = 0;
    for (const Occurrence &o : occurrences) {
        try {
            DataFile::Transaction one(data_);
            const std::optional<Schedule> s = schedule(o.schedule.id);
            // Recorded first: an occurrence that already has a record is left alone.
            if (!s || !record(o, true)) {
                ++outcome.already;
                continue;
            }
            qint64 entryId = 0, transferId = 0;
            if (s->kind == transferKind()) {
                Transfer t;
                t.date = Dates::storedDate(o.date);
                t.from = s->account;
                t.to = s->toAccount;
                t.amount = s->amount;
                t.summary = s->summary;
                transferId = Transfers(data_).add(t, accountSet);
            } else {
                entryId = Ledger(data_).addEntry(
                    {0, Dates::storedDate(o.date), s->kind, s->item, s->account, s->handler, s->amount, s->summary},
                    accountSet);
            }
            data_.exec(QStringLiteral("update zhouqi_ci set entryId=?, transferId=? where scheduleId=? and data=?"),
                       {entryId ? QVariant(entryId) : QVariant(), transferId ? QVariant(transferId) : QVariant(), s->id,
                        Dates::storedDate(o.date)});
            movePending(s->id);
            one.commit();
            ++outcome.posted;
        } catch (const StoreError &error) {
            outcome.failedAt.push_back(done);
            outcome.failed << QStringLiteral("%1 %2：%3")
                                  .arg(Dates::storedDate(o.date),
                                       o.schedule.item.isEmpty() ? o.schedule.kind : o.schedule.item, error.description());
        }
        if (afterEach)
            afterEach(++done);
    }
    all.commit();
    return outcome;
}

int Schedules::skip(const std::vector<Occurrence> &occurrences)
{
    DataFile::Transaction transaction(data_);
    int added = 0;
    for (const Occurrence &o : occurrences)
        if (record(o, false)) {
            ++added;
            movePending(o.schedule.id);
        }
    transaction.commit();
    return added;
}
