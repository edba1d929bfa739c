// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "recurring/due_window.h"
#include "recurring/schedule_editor.h"
#include "recurring/schedule_window.h"
#include "recurring/schedules.h"
#include "support/modal.h"
#include "support/test_folder.h"

#include "planning_helpers.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>

#include <stdexcept>

#include "support/test_main.h"

using namespace Planning;

namespace {

QDate day(const char *text) { return QDate::fromString(QString::fromLatin1(text), Qt::ISODate); }

Schedule rent(const QDate &start, const QString &summary = QStringLiteral("房租"))
{
    Schedule s;
    s.kind = QStringLiteral("支出");
    s.item = QStringLiteral("居住");
    s.account = QStringLiteral("银行卡");
    s.amount = QStringLiteral("3500");
    s.summary = summary;
    s.rule.kind = ScheduleRule::Monthly;
    s.rule.day = 1;
    s.rule.start = start;
    return s;
}

} // namespace

class RecurringTest : public QObject {
    Q_OBJECT
private slots:
    void ruleDates_data();
    void ruleDates();
    void postingIsIdempotent();
    void dueWindowAtLogin();
    void upcomingTotalsLeaveTransfersOut();
    void editorRefusesBadInput_data();
    void editorRefusesBadInput();
};

void RecurringTest::ruleDates_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("every");
    QTest::addColumn<int>("dayOf");   // weekday, or day of the month
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");  // "2024-07-14", "x4" (four times) or ""
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("dates");
    using R = ScheduleRule;
    QTest::newRow("31st falls on each month's last day")
        << int(R::Monthly) << 1 << 31 << 1 << "2024-01-31" << "" << "2024-01-01" << "2024-04-30"
        << "2024-01-31 2024-02-29 2024-03-31 2024-04-30";
    QTest::newRow("month ends over a leap February")
        << int(R::MonthEnd) << 1 << 0 << 1 << "2023-11-15" << "" << "2023-11-01" << "2024-02-29"
        << "2023-11-30 2023-12-31 2024-01-31 2024-02-29";
    QTest::newRow("29 February in other years is the 28th")
        << int(R::Yearly) << 1 << 29 << 2 << "2024-02-29" << "" << "2024-01-01" << "2028-12-31"
        << "2024-02-29 2025-02-28 2026-02-28 2027-02-28 2028-02-29";
    QTest::newRow("every other Monday from a Wednesday")
        << int(R::Weekly) << 2 << 1 << 1 << "2024-03-06" << "" << "2024-03-01" << "2024-04-10"
        << "2024-03-11 2024-03-25 2024-04-08";
    QTest::newRow("every third day, four times")
        << int(R::Daily) << 3 << 0 << 1 << "2024-01-30" << "x4" << "2024-01-01" << "2024-12-31"
        << "2024-01-30 2024-02-02 2024-02-05 2024-02-08";
    QTest::newRow("every two months until a date")
        << int(R::Monthly) << 2 << 15 << 1 << "2024-01-20" << "2024-07-14" << "2024-01-01" << "2024-12-31"
        << "2024-02-15 2024-04-15 2024-06-15";
    QTest::newRow("missed periods long after the start")
        << int(R::Daily) << 1 << 0 << 1 << "2020-01-01" << "" << "2024-02-28" << "2024-03-01"
        << "2024-02-28 2024-02-29 2024-03-01";
    QTest::newRow("count ends before the window")
        << int(R::Monthly) << 1 << 5 << 1 << "2024-01-01" << "x3" << "2024-04-01" << "2024-12-31" << "";
    QTest::newRow("every two years on 1 March")
        << int(R::Yearly) << 2 << 1 << 3 << "2024-03-02" << "" << "2024-01-01" << "2030-12-31"
        << "2025-03-01 2027-03-01 2029-03-01";
}

void RecurringTest::ruleDates()
{
    QFETCH(int, kind);
    QFETCH(int, every);
    QFETCH(int, dayOf);
    QFETCH(int, month);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, dates);
    ScheduleRule rule;
    rule.kind = ScheduleRule::Kind(kind);
    rule.every = every;
    rule.day = dayOf ? dayOf : 1;
    rule.month = month;
    rule.start = QDate::fromString(start, Qt::ISODate);
    if (end.startsWith(u'x'))
        rule.times = end.mid(1).toInt();
    else
        rule.until = QDate::fromString(end, Qt::ISODate);
    QStringList found;
    for (const QDate &d : rule.between(QDate::fromString(from, Qt::ISODate), QDate::fromString(to, Qt::ISODate)))
        found << d.toString(Qt::ISODate);
    QCOMPARE(found.join(u' '), dates);
    // The first date from a day is the first of the list from it.
    const QDate first = rule.firstFrom(QDate::fromString(from, Qt::ISODate));
    QCOMPARE(first.isValid() && first <= QDate::fromString(to, Qt::ISODate) ? first.toString(Qt::ISODate) : QString(),
             found.value(0));
}

void RecurringTest::postingIsIdempotent()
{
    TestFolder t;
    const int set = t.defaultAccountSet();
    Schedules schedules(t.data);
    const QDate today = day("2024-04-15");
    // Three months away: rent on the 1st since January, savings moved every 14 days.
    const qint64 rentId = schedules.add(set, rent(day("2024-01-01")));
    Schedule save;
    save.kind = Schedules::transferKind();
    save.account = QStringLiteral("银行卡");
    save.toAccount = QStringLiteral("现金");
    save.amount = QStringLiteral("200");
    save.summary = QStringLiteral("零用");
    save.rule.kind = ScheduleRule::Daily;
    save.rule.every = 14;
    save.rule.start = day("2024-01-10");
    schedules.add(set, save);
    std::vector<Occurrence> due = schedules.due(set, today);
    QStringList listed;
    for (const Occurrence &o : due)
        listed << QString::number(o.schedule.id) + o.date.toString(Qt::ISODate);
    QCOMPARE(listed.size(), 4 + 7);  // 1 Jan to 1 Apr; 10 Jan to 3 Apr
    QCOMPARE(QSet<QString>(listed.begin(), listed.end()).size(), listed.size());

    // Killed after the third occurrence: nothing of the batch stays.
    auto entries = [&] { return count(t.data, "select count(*) from jizhang where content='房租'"); };
    auto transfers = [&] { return count(t.data, "select count(*) from zhuanzhang where content='零用'"); };
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, schedules.post(set, due, [](int done) {
        if (done == 3)
            throw std::runtime_error("killed");
    }));
    QCOMPARE(entries() + transfers(), 0);
    QCOMPARE(schedules.due(set, today).size(), due.size());

    // Posted part by part, then again from a list read before (and by a second program):
    // every occurrence is posted once.
    PostOutcome first = schedules.post(set, {due.begin(), due.begin() + 5});
    QCOMPARE(first.posted, 5);
    DataFile other(t.data.path());
    PostOutcome again = Schedules(other).post(set, due);
    QCOMPARE(again.posted, int(due.size()) - 5);
    QCOMPARE(again.already, 5);
    QCOMPARE(schedules.post(set, due).already, int(due.size()));
    QCOMPARE(entries(), 4);
    QCOMPARE(transfers(), 7);
    QVERIFY(schedules.due(set, today).empty());
    QCOMPARE(count(t.data, "select count(*) from zhouqi_ci where entryId is not null or transferId is not null"),
             qint64(due.size()));
    // The next dates: rent on 1 May, savings on 17 April, 1 and 15 May.
    QCOMPARE(schedules.schedule(rentId)->pending, QStringLiteral("2024-05-01"));
    QCOMPARE(schedules.upcoming(set, today, 30).size(), size_t(1 + 3));

    // A skipped occurrence is never due; editing the schedule keeps what was dealt with.
    auto rentDue = [&](const QDate &by) {
        std::vector<Occurrence> found;
        for (const Occurrence &o : schedules.due(set, by))
            if (o.schedule.id == rentId)
                found.push_back(o);
        return found;
    };
    QCOMPARE(rentDue(day("2024-05-02")).size(), size_t(1));
    QCOMPARE(schedules.skip(rentDue(day("2024-05-02"))), 1);
    QVERIFY(rentDue(day("2024-05-02")).empty());
    Schedule changed = *schedules.schedule(rentId);
    changed.rule.day = 5;
    changed.amount = "3600";
    schedules.update(changed);
    QStringList later;
    for (const Occurrence &o : rentDue(day("2024-06-10")))
        later << o.date.toString(Qt::ISODate) + u' ' + o.schedule.amount;
    QCOMPARE(later, (QStringList{"2024-05-05 3600", "2024-06-05 3600"}));
    // A posted entry is an ordinary one: deleting it does not bring its occurrence back.
    t.data.exec("delete from jizhang where content='房租'");
    QCOMPARE(schedules.due(set, today).size(), size_t(0));
}

void RecurringTest::dueWindowAtLogin()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    const QDate today = QDate::currentDate();
    Schedules schedules(t.data);
    // Rent due these two months, asked about; the phone bill posted without asking.
    schedules.add(set, rent(today.addMonths(-1).addDays(-today.day() + 1)));
    Schedule phone = rent(today, QStringLiteral("电话费"));
    phone.rule.day = today.day();
    phone.amount = QStringLiteral("58");
    phone.automatic = true;
    schedules.add(set, phone);
    MainWindow w(t.context);
    QStringList rows;
    whenModal([&](QDialog *d) {
        auto *table = child<QTableWidget>(d, "DueTable");
        for (int r = 0; r < table->rowCount(); ++r)
            rows << table->item(r, 0)->text() + u' ' + table->item(r, 2)->text() + u' ' + table->item(r, 3)->text();
        static_cast<DueWindow *>(d)->setTicked(1, false);
        click(d, "DuePost");
    });
    w.checkDue();
    const QString thisMonth = QDate(today.year(), today.month(), 1).toString(Qt::ISODate);
    const QString lastMonth = QDate(today.year(), today.month(), 1).addMonths(-1).toString(Qt::ISODate);
    QCOMPARE(rows, (QStringList{lastMonth + " 居住 3500", thisMonth + " 居住 3500"}));
    QCOMPARE(count(t.data, "select count(*) from jizhang where content='电话费'"), 1);
    QCOMPARE(count(t.data, "select count(*) from jizhang where content='房租'"), 1);
    // "稍后": the unticked one is asked about again at the next login; then skipped.
    rows.clear();
    whenModal([&](QDialog *d) {
        rows << QString::number(child<QTableWidget>(d, "DueTable")->rowCount());
        click(d, "DueSkip");
    });
    w.checkDue();
    QCOMPARE(rows, QStringList{"1"});
    QCOMPARE(count(t.data, "select count(*) from jizhang where content='房租'"), 1);
    QVERIFY(schedules.due(set, today).empty());
    // The 周期记账 window lists both with their next dates.
    ScheduleWindow window(t.context);
    QCOMPARE(window.table()->rowCount(), 2);
    QCOMPARE(window.table()->item(1, 5)->text(), today.addMonths(1).toString(Qt::ISODate));
}

void RecurringTest::upcomingTotalsLeaveTransfersOut()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    const QDate tomorrow = QDate::currentDate().addDays(1);
    Schedules schedules(t.data);
    Schedule lunch = rent(tomorrow, QStringLiteral("午饭"));
    lunch.rule.kind = ScheduleRule::Daily;
    lunch.rule.times = 5;
    lunch.amount = QStringLiteral("10");
    schedules.add(set, lunch);
    Schedule salary = rent(tomorrow, QStringLiteral("工资"));
    salary.kind = QStringLiteral("收入");
    salary.item = QStringLiteral("工资");
    salary.rule.day = tomorrow.day();
    salary.amount = QStringLiteral("8000");
    schedules.add(set, salary);
    Schedule move = rent(tomorrow, QStringLiteral("零用"));
    move.kind = Schedules::transferKind();
    move.toAccount = QStringLiteral("现金");
    move.rule.kind = ScheduleRule::Weekly;
    move.rule.day = tomorrow.dayOfWeek();
    schedules.add(set, move);
    ScheduleWindow window(t.context);
    QCOMPARE(window.upcomingTable()->rowCount(), 5 + 1 + 5);
    QCOMPARE(window.upcomingTotal(), QStringLiteral("共 11 笔，收入合计：8,000.00 元，支出合计：50.00 元"));
    QCOMPARE(window.table()->item(2, 2)->text(), QStringLiteral("银行卡 → 现金"));
    QVERIFY(schedules.due(set, QDate::currentDate()).empty());
}

void RecurringTest::editorRefusesBadInput_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message");
    QTest::newRow("no account") << "account" << "" << "请选择账户。";
    QTest::newRow("zero period") << "every" << "0" << "间隔（每几期）必须大于 0。";
    QTest::newRow("end before start") << "until" << "2024-01-01" << "结束日期不能早于开始日期。";
    QTest::newRow("amount no number") << "amount" << "12a" << "金额必须是一个数字（例如 12.5）。";
    QTest::newRow("transfer to itself") << "transfer" << "银行卡" << "转出账户和转入账户不能是同一个账户！";
    QTest::newRow("good") << "" << "" << "";
}

void RecurringTest::editorRefusesBadInput()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, message);
    TestFolder t;
    t.loginAsAdmin();
    ScheduleEditor editor(t.context);
    choose(&editor, "ScheduleAccount", "银行卡");
    child<QLineEdit>(&editor, "ScheduleAmount")->setText("99.5");
    child<QDateEdit>(&editor, "ScheduleStart")->setDate(QDate(2024, 2, 1));
    if (field == "account")
        child<QComboBox>(&editor, "ScheduleAccount")->setCurrentIndex(-1);
    else if (field == "every")
        child<QSpinBox>(&editor, "ScheduleEvery")->setValue(0);
    else if (field == "until") {
        child<QRadioButton>(&editor, "ScheduleEndDate")->setChecked(true);
        child<QDateEdit>(&editor, "ScheduleUntil")->setDate(QDate::fromString(value, Qt::ISODate));
    } else if (field == "amount")
        child<QLineEdit>(&editor, "ScheduleAmount")->setText(value);
    else if (field == "transfer") {
        choose(&editor, "ScheduleKind", "转账");
        choose(&editor, "ScheduleToAccount", value);
    }
    const bool saved = editor.save();
    QCOMPARE(saved, message.isEmpty());
    QCOMPARE(t.prompt.lastText(), message);
    QCOMPARE(count(t.data, "select count(*) from zhouqi"), saved ? 1 : 0);
}

TALLYRA_TEST(RecurringTest)
#include "tst_recurring.moc"
