// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/entry_list.h"
#include "ledger/month_totals.h"
#include "reports/report_charts.h"
#include "reports/reports.h"
#include "store/schema.h"
#include "support/test_folder.h"

#include <QtTest>

#include "support/test_main.h"

namespace {

// A small ledger over month and year ends, a leap day, an empty month (2024-04), an empty
// year (2022), entries without an item or a kind, an amount that is no number, and a
// second account set whose entries must never count.
struct Fixture {
    TestFolder t;
    int set = 0;
    int other = 0;

    Fixture()
    {
        t.loginAsAdmin();
        set = t.defaultAccountSet();
        other = t.addAccountSet("别人");
        const char *const rows[][4] = {
            {"2021-06-01", "支出", "餐饮", "7"},        {"2023-12-31", "支出", "餐饮", "1"},
            {"2024-01-01", "收入", "工资", "5000"},     {"2024-01-31", "支出", "餐饮", "10.10"},
            {"2024-02-01", "支出", "餐饮", "0.2"},      {"2024-02-29", "支出", "交通", "0.1"},
            {"2024-02-29", "收入", "工资", "1000"},     {"2024-03-01", "支出", "购物", "5"},
            {"2024-05-15", "收入", "奖金", "200.5"},    {"2024-05-15", "支出", "", "3"},
            {"2024-05-16", "", "居住", "7.005"},        {"2024-05-17", "支出", "居住", "abc"},
            {"2024-12-31", "支出", "交通", "0.7"},      {"2025-01-01", "支出", "交通", "100"},
        };
        for (const auto &r : rows)
            t.addEntry(set, r[0], r[1], r[3], r[2]);
        // An entry without an item at all, as files made elsewhere hold.
        const qint64 noItem = t.addEntry(set, "2024-05-18", "支出", "2", "");
        t.data.exec("update jizhang set t2=NULL where id=?", {noItem});
        t.addEntry(other, "2024-02-29", "支出", "999", "餐饮");
        t.addEntry(other, "2024-04-10", "支出", "999", "餐饮");
    }

    // What the search panel lists for these conditions.
    LedgerTotals searched(const SearchRequest &request)
    {
        EntryQuery query;
        query.accountSet = set;
        query.search = request;
        return EntryList(t.data, query).totals();
    }
};

// 帐务统计 from the kept sums, and as the whole account set's entries give it: "a|b".
QString financeBoth(DataFile &data, int set)
{
    auto text = [](const FinanceFigures &f) {
        return QStringLiteral("%1 %2 %3 %4").arg(f.incomeCount).arg(f.income.plain()).arg(f.expenseCount).arg(f.expense.plain());
    };
    return text(Reports(data).financeFigures(set)) + u'|' + text(Ledger(data).financeSummary(set));
}

// Both ways of 帐务统计 agree, and the entries' way gives `expected`.
#define COMPARE_FINANCE(data, set, expected) QCOMPARE(financeBoth(data, set), QStringLiteral(expected "|" expected))

const ReportPeriod Year2024{QDate(2024, 1, 1), QDate(2024, 12, 31)};

QStringList texts(const ReportTable &table)
{
    QStringList out;
    for (const auto &row : table.rows) {
        QStringList cells;
        for (const ReportCell &cell : row)
            cells << cell.text;
        out << cells.join(u'|');
    }
    return out;
}

} // namespace

class ReportsTest : public QObject {
    Q_OBJECT
private slots:
    void monthsOfAPeriod_data();
    void monthsOfAPeriod();
    void itemsOfAPeriod();
    void yearsOverEveryEntry();
    void monthSumsFollowEveryWrite();
    void filesWithoutMonthSums();
    void datesAtTheEdges();
    void donutGroupsTheSmallest();
    void texts_data();
    void texts();
    void axisSteps();
    void barLabelsNeverTouch_data();
    void barLabelsNeverTouch();
};

void ReportsTest::monthsOfAPeriod_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("the year") << QDate(2024, 1, 1) << QDate(2024, 6, 30)
                              << QStringList{"2024年01月|5,000.00|10.10|4,989.90", "2024年02月|1,000.00|0.30|999.70",
                                             "2024年03月|0.00|5.00|-5.00",         "2024年04月|0.00|0.00|0.00",
                                             "2024年05月|200.50|12.005|188.495",  "2024年06月|0.00|0.00|0.00",
                                             "合计|6,200.50|27.405|6,173.095"};
    // Parts of months at both ends: only their days count.
    QTest::newRow("month ends") << QDate(2024, 1, 31) << QDate(2024, 2, 29)
                                << QStringList{"2024年01月|0.00|10.10|-10.10", "2024年02月|1,000.00|0.30|999.70",
                                               "合计|1,000.00|10.40|989.60"};
    QTest::newRow("first half") << QDate(2024, 2, 1) << QDate(2024, 2, 15)
                                << QStringList{"2024年02月|0.00|0.20|-0.20", "合计|0.00|0.20|-0.20"};
    QTest::newRow("one day") << QDate(2024, 2, 29) << QDate(2024, 2, 29)
                             << QStringList{"2024年02月|1,000.00|0.10|999.90", "合计|1,000.00|0.10|999.90"};
    QTest::newRow("across the year end") << QDate(2023, 12, 31) << QDate(2024, 1, 1)
                                         << QStringList{"2023年12月|0.00|1.00|-1.00", "2024年01月|5,000.00|0.00|5,000.00",
                                                        "合计|5,000.00|1.00|4,999.00"};
}

void ReportsTest::monthsOfAPeriod()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QStringList, rows);
    Fixture f;
    const PeriodReport report = Reports(f.t.data).byMonth(f.set, {from, to});
    QCOMPARE(::texts(Reports::periodTable(report)), rows);
    // Each month, and the total, is what the search lists for its days.
    for (const PeriodLine &line : report.lines) {
        QVERIFY(line.days.from >= from && line.days.to <= to);
        const LedgerTotals found = f.searched(Reports::search(line.days));
        QCOMPARE(line.income, found.income);
        QCOMPARE(line.expense, found.expense);
        QCOMPARE(line.count, qint64(found.count));
    }
    const LedgerTotals all = f.searched(Reports::search(report.total.days));
    QCOMPARE(report.total.days, (ReportPeriod{from, to}));
    QCOMPARE(report.total.income, all.income);
    QCOMPARE(report.total.expense, all.expense);
    QCOMPARE(report.total.count, qint64(all.count));
}

void ReportsTest::itemsOfAPeriod()
{
    Fixture f;
    Reports reports(f.t.data);
    const ItemReport expense = reports.byItem(f.set, Year2024, false);
    // Largest first; an empty item and a missing one are both "（无项目）"; a kind that is
    // not "收入" is expense; "abc" counts as an entry and adds nothing.
    QCOMPARE(::texts(Reports::itemTable(expense)),
             (QStringList{"餐饮|2|10.30|36.6%", "居住|2|7.005|24.9%", "（无项目）|2|5.00|17.8%", "购物|1|5.00|17.8%",
                          "交通|2|0.80|2.8%", "合计|9|28.105|100.0%"}));
    const ItemReport income = reports.byItem(f.set, Year2024, true);
    QCOMPARE(::texts(Reports::itemTable(income)),
             (QStringList{"工资|2|6,000.00|96.8%", "奖金|1|200.50|3.2%", "合计|3|6,200.50|100.0%"}));

    // Each item is what a search by its item lists (that kind's total in the search), the
    // total what the period lists. The search by item "" leaves out the missing item.
    for (const ItemReport *report : {&expense, &income}) {
        for (const ItemLine &line : report->lines) {
            const LedgerTotals found = f.searched(Reports::search(Year2024, line.item, report->income));
            if (!line.item.isEmpty())
                QCOMPARE(line.amount, report->income ? found.income : found.expense);
        }
        const LedgerTotals period = f.searched(Reports::search(Year2024));
        QCOMPARE(report->total, report->income ? period.income : period.expense);
    }
    // Entries stored with the empty item are exactly what the search by item "" finds.
    f.t.data.exec("update jizhang set t2='' where t2 is null");
    const ItemReport again = Reports(f.t.data).byItem(f.set, Year2024, false);
    const auto none = std::find_if(again.lines.begin(), again.lines.end(), [](auto &l) { return l.item.isEmpty(); });
    QVERIFY(none != again.lines.end());
    const LedgerTotals byEmpty = f.searched(Reports::search(Year2024, QString(""), false));
    QCOMPARE(none->amount, byEmpty.expense);
    QCOMPARE(none->count, qint64(byEmpty.count));

    // A period without entries.
    const ItemReport empty = reports.byItem(f.set, {QDate(2024, 4, 1), QDate(2024, 4, 30)}, false);
    QVERIFY(empty.lines.empty());
    QCOMPARE(::texts(Reports::itemTable(empty)), QStringList{"合计|0|0.00|"});
}

void ReportsTest::yearsOverEveryEntry()
{
    Fixture f;
    Reports reports(f.t.data);
    QCOMPARE(reports.wholeLedger(f.set, QDate(2030, 5, 5)), (ReportPeriod{QDate(2021, 6, 1), QDate(2025, 1, 31)}));
    const PeriodReport years = reports.byYear(f.set);
    QCOMPARE(::texts(Reports::periodTable(years)),
             (QStringList{"2021年|0.00|7.00|-7.00", "2022年|0.00|0.00|0.00", "2023年|0.00|1.00|-1.00",
                          "2024年|6,200.50|28.105|6,172.395", "2025年|0.00|100.00|-100.00",
                          "合计|6,200.50|136.105|6,064.395"}));
    for (const PeriodLine &line : years.lines)
        QCOMPARE(line.expense, f.searched(Reports::search(line.days)).expense);
    QCOMPARE(years.total.days, (ReportPeriod{QDate(2021, 1, 1), QDate(2025, 12, 31)}));

    // An account set without entries: this year, all zeros.
    const int empty = f.t.addAccountSet("空");
    QCOMPARE(reports.wholeLedger(empty, QDate(2030, 5, 5)), (ReportPeriod{QDate(2030, 1, 1), QDate(2030, 12, 31)}));
    QCOMPARE(reports.byYear(empty).lines.size(), size_t(1));
}

void ReportsTest::monthSumsFollowEveryWrite()
{
    Fixture f;
    Reports reports(f.t.data);
    QVERIFY(reports.keepsItemSums());
    auto stale = [&] {
        Statement st = f.t.data.query("select count(*) from jizhang_items_stale where muluID=?", {f.set});
        return st.step() ? st.integer(0) : -1;
    };
    auto february = [&] { return reports.byMonth(f.set, {QDate(2024, 2, 1), QDate(2024, 2, 29)}).lines.at(0); };

    QVERIFY(stale() > 0);
    QCOMPARE(february().expense.plain(), QStringLiteral("0.3"));
    QCOMPARE(stale(), 0);  // counted once and kept
    QCOMPARE(february().expense.plain(), QStringLiteral("0.3"));

    // Adding, changing (amount, kind, item, date, account set) and deleting.
    const qint64 id = f.t.addEntry(f.set, "2024-02-10", "支出", "1.25", "餐饮");
    QCOMPARE(february().expense.plain(), QStringLiteral("1.55"));
    f.t.data.exec("update jizhang set t5='2' where id=?", {id});
    QCOMPARE(february().expense.plain(), QStringLiteral("2.3"));
    f.t.data.exec("update jizhang set t1='收入' where id=?", {id});
    QCOMPARE(february().expense.plain(), QStringLiteral("0.3"));
    QCOMPARE(february().income.plain(), QStringLiteral("1002"));
    f.t.data.exec("update jizhang set data='2024-03-10' where id=?", {id});
    QCOMPARE(february().income.plain(), QStringLiteral("1000"));
    QCOMPARE(reports.byMonth(f.set, {QDate(2024, 3, 1), QDate(2024, 3, 31)}).lines.at(0).income.plain(),
             QStringLiteral("2"));
    f.t.data.exec("update jizhang set muluID=? where id=?", {f.other, id});
    QCOMPARE(reports.byMonth(f.set, {QDate(2024, 3, 1), QDate(2024, 3, 31)}).lines.at(0).income.plain(),
             QStringLiteral("0"));
    f.t.data.exec("update jizhang set muluID=?, t2='房租' where id=?", {f.set, id});
    QCOMPARE(reports.byItem(f.set, {QDate(2024, 3, 1), QDate(2024, 3, 31)}, true).lines.at(0).item,
             QStringLiteral("房租"));
    f.t.data.exec("delete from jizhang where id=?", {id});
    QVERIFY(reports.byItem(f.set, {QDate(2024, 3, 1), QDate(2024, 3, 31)}, true).lines.empty());

    // Another program writing the file (without this program's functions) marks the
    // months too.
    {
        Database other;
        other.open(f.t.folder.dataFile(), false);
        DataFile::applyKey(other);
        other.execute("insert into jizhang (data, t1, t2, t5, muluID) values ('2024-02-15', '支出', '餐饮', '10', " +
                      QString::number(f.set) + ")");
    }
    QCOMPARE(february().expense.plain(), QStringLiteral("10.3"));
    QCOMPARE(stale(), 0);

    // While another program writes, stale months are counted from their entries (and
    // stay stale); whole months around them still come from the sums.
    f.t.addEntry(f.set, "2024-02-16", "支出", "0.01", "餐饮");
    Database writer;
    writer.open(f.t.folder.dataFile(), false);
    DataFile::applyKey(writer);
    writer.execute("BEGIN IMMEDIATE");
    QCOMPARE(reports.byMonth(f.set, Year2024).lines.at(1).expense.plain(), QStringLiteral("10.31"));
    QCOMPARE(reports.byItem(f.set, Year2024, false).total.plain(), QStringLiteral("38.115"));
    QCOMPARE(reports.wholeLedger(f.set, QDate(2030, 1, 1)).from, QDate(2021, 6, 1));
    COMPARE_FINANCE(f.t.data, f.set, "3 6200.5 14 146.115");
    QCOMPARE(stale(), 1);
    writer.execute("ROLLBACK");

    // More stale months than a statement takes values, counted while another program writes.
    f.t.data.exec("insert into jizhang (data, t1, t5, muluID) select printf('%04d-%02d-01', 1900 + value / 12, "
                  "1 + value % 12), '支出', '1', ? from (with recursive n(value) as (select 0 union all select value + 1 "
                  "from n where value < 1199) select value from n)", {f.set});
    writer.execute("BEGIN IMMEDIATE");
    QCOMPARE(stale(), 1201);
    QCOMPARE(reports.byYear(f.set).total.expense.plain(), QStringLiteral("1346.115"));
    writer.execute("ROLLBACK");
    QCOMPARE(reports.byYear(f.set).lines.at(2024 - 1900).expense.plain(), QStringLiteral("38.115"));
    QCOMPARE(stale(), 0);
}

// Dates a file may hold whatever the editor allows (written by another program, an old
// file): every entry counts exactly once, and alike in the month walk of the tree, the
// kept month sums, the month and year nodes and 收支报表. Amounts are powers of two, so a
// sum tells which entries it holds.
void ReportsTest::datesAtTheEdges()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.defaultAccountSet();
    const QString nulInMonth = QStringLiteral("2024-0") + QChar(0) + QStringLiteral("1-09");
    const QString nulAfterMonth = QStringLiteral("2024-01") + QChar(0) + QStringLiteral("-07");
    const QList<std::pair<QVariant, int>> rows{
        {"9999-12-05", 1},   {"10000-01-01", 2}, {QStringLiteral("2024-0😀-01"), 8}, {nulInMonth, 16},
        {nulAfterMonth, 32}, {"1899-12-31", 64},  {"2100-01-01", 128},                {"2024-01-5", 256},
        {"2024-01-31 12:00", 512}, {"2024-1-5", 1024}, {QVariant(), 2048}};
    for (const auto &[date, amount] : rows)
        t.data.exec("insert into jizhang (data, t1, t5, content, muluID) values (?, '支出', ?, 'x', ?)",
                    {date, QString::number(amount), set});
    t.data.exec("insert into jizhang (data, t1, t5, content, muluID) values (x'323032342d30312d3035', '支出', '4', 'x', ?)",
                {set});
    auto expense = [](const LedgerTotals &totals) { return QStringLiteral("%1|%2").arg(totals.count).arg(totals.expense.plain()); };
    auto node = [&](const QString &key) {
        EntryQuery query;
        query.accountSet = set;
        query.nodeKey = key;
        return expense(EntryList(t.data, query).totals());
    };

    // The walk ends and finds the four months; every entry counts once, kept or not.
    QVERIFY(Ledger(t.data).months(set) == (std::vector<LedgerMonth>{{1899, 12}, {2024, 1}, {2100, 1}, {9999, 12}}));
    for (int pass = 0; pass < 2; ++pass)
        QCOMPARE(expense(MonthTotals(t.data).all(set)), QStringLiteral("12|4095"));
    COMPARE_FINANCE(t.data, set, "0 0 12 4095");
    EntryQuery filtered;
    filtered.accountSet = set;
    filtered.filter = QStringLiteral("x");
    EntryList progressive(t.data, filtered, EntryList::Reading::Progressive);
    progressive.readAll();
    QCOMPARE(expense(progressive.totals()), QStringLiteral("12|4095"));

    // A month node, its year node, the report of the month and of the years agree.
    Reports reports(t.data);
    QCOMPARE(node("2024_1_"), QStringLiteral("3|800"));
    QCOMPARE(node("2024_"), QStringLiteral("3|800"));
    QCOMPARE(node("9999_12_"), QStringLiteral("1|1"));
    QCOMPARE(node("9999_"), QStringLiteral("1|1"));
    const PeriodLine january = reports.byMonth(set, {QDate(2024, 1, 1), QDate(2024, 1, 31)}).lines.at(0);
    QCOMPARE(QStringLiteral("%1|%2").arg(january.count).arg(january.expense.plain()), QStringLiteral("3|800"));
    QCOMPARE(reports.byMonth(set, {QDate(9999, 12, 1), QDate(9999, 12, 31)}).total.expense.plain(), QStringLiteral("1"));
    const PeriodReport years = reports.byYear(set);
    QCOMPARE(QStringLiteral("%1|%2").arg(years.total.count).arg(years.total.expense.plain()), QStringLiteral("6|993"));
    QCOMPARE(years.lines.front().days.from, QDate(1899, 1, 1));
    QCOMPARE(years.lines.back().days.to, QDate(9999, 12, 31));
    QStringList kept;
    Statement st = t.data.query("select distinct month from jizhang_items where muluID=? order by month", {set});
    while (st.step())
        kept << st.text(0);
    QCOMPARE(kept, (QStringList{"1899-12", "2024-01", "2100-01", "9999-12"}));

    // Another program's writes to odd dates reach every sum.
    Database other;
    other.open(t.folder.dataFile(), false);
    DataFile::applyKey(other);
    other.execute("update jizhang set t5 = t5 * 3 where data in ('2024-01-5', '2024-0😀-01')");
    other.prepare("update jizhang set t5 = '0' where data = ?").bindAll({nulInMonth}).run();
    other.close();
    QCOMPARE(expense(MonthTotals(t.data).all(set)), QStringLiteral("12|4607"));
    COMPARE_FINANCE(t.data, set, "0 0 12 4607");
    QCOMPARE(node("2024_1_"), QStringLiteral("3|1312"));
    QCOMPARE(reports.byMonth(set, {QDate(2024, 1, 1), QDate(2024, 1, 31)}).total.expense.plain(), QStringLiteral("1312"));

    // New entries take only the days from 1900 to 2099.
    std::vector<ImportRow> imported;
    for (const char *date : {"1899-12-31", "1900-01-01", "2099-12-31", "2100-01-01", "9999-12-05"})
        imported.push_back({int(imported.size()) + 1, date, "", "", "5", "", "", ""});
    const ImportReport report = Ledger(t.data).importRows(imported, set);
    QCOMPARE(report.stored, 2);
    QCOMPARE(report.badDate, (QList<int>{1, 4, 5}));
}

void ReportsTest::filesWithoutMonthSums()
{
    Fixture f;
    const PeriodReport before = Reports(f.t.data).byYear(f.set);
    const QStringList expected = ::texts(Reports::periodTable(before));

    // A file of the version before the item sums: every month is counted from the entries.
    f.t.data.database().execute("DROP TABLE jizhang_items; DROP TABLE jizhang_items_stale; "
                                "DROP TRIGGER IF EXISTS jizhang_items_insert; "
                                "DROP TRIGGER IF EXISTS jizhang_items_delete; "
                                "DROP TRIGGER IF EXISTS jizhang_items_update; "
                                "PRAGMA user_version = 3");
    Reports without(f.t.data);
    QVERIFY(!without.keepsItemSums());
    QCOMPARE(::texts(Reports::periodTable(without.byYear(f.set))), expected);
    QCOMPARE(::texts(Reports::itemTable(without.byItem(f.set, Year2024, false))),
             ::texts(Reports::itemTable(Reports(f.t.data).byItem(f.set, Year2024, false))));

    // Opening it brings the item sums, every month stale, then counted.
    f.t.data.close();
    f.t.data.OpenDataFile();
    Reports with(f.t.data);
    QVERIFY(with.keepsItemSums());
    // One mark for every month, found without reading the entries.
    Statement stale = f.t.data.query("select count(*), count(month) from jizhang_items_stale where muluID=?", {f.set});
    QVERIFY(stale.step() && stale.integer(0) == 1 && stale.integer(1) == 0);
    COMPARE_FINANCE(f.t.data, f.set, "3 6200.5 12 136.105");
    QCOMPARE(::texts(Reports::periodTable(with.byYear(f.set))), expected);
    Statement left = f.t.data.query("select count(*) from jizhang_items_stale where muluID=?", {f.set});
    QVERIFY(left.step() && left.integer(0) == 0);
}

void ReportsTest::donutGroupsTheSmallest()
{
    ItemReport report;
    for (int i = 1; i <= 11; ++i)
        report.lines.push_back({QStringLiteral("项%1").arg(i), 1, Money::fromYuan(100 - i)});
    report.lines.push_back({"退款", 1, Money::fromYuan(-5)});  // no slice for a negative amount
    report.lines.push_back({"", 1, Money::fromYuan(1)});
    for (const ItemLine &line : report.lines)
        report.total += line.amount;

    std::vector<ReportSlice> slices = Reports::slices(report);
    QCOMPARE(slices.size(), size_t(9));
    QCOMPARE(slices[0].label, QStringLiteral("项1"));
    QCOMPARE(slices[7].label, QStringLiteral("项8"));
    QVERIFY(slices[8].others && slices[8].item.isEmpty());
    QCOMPARE(slices[8].label, QStringLiteral("其他"));
    QCOMPARE(slices[8].amount, Money::fromYuan(91 + 90 + 89 + 1));  // 项9..项11 and （无项目）
    Money sum;
    for (const ReportSlice &s : slices)
        sum += s.amount;
    QCOMPARE(sum - Money::fromYuan(5), report.total);

    // One item beyond the eighth keeps its own slice.
    report.lines.resize(9);
    slices = Reports::slices(report);
    QCOMPARE(slices.size(), size_t(9));
    QVERIFY(!slices[8].others);
    QCOMPARE(slices[8].label, QStringLiteral("项9"));

    // Slices under a few percent go together too (交通 2.4%, 通讯 1.2%, 医疗 0.5%); a single
    // thin one keeps its name.
    ItemReport month;
    for (auto [item, yuan] : {std::pair{"居住", 4500}, {"餐饮", 1800}, {"购物", 950}, {"交通", 180}, {"通讯", 90},
                              {"医疗", 38}})
        month.lines.push_back({QString::fromUtf8(item), 1, Money::fromYuan(yuan)});
    for (const ItemLine &line : month.lines)
        month.total += line.amount;
    slices = Reports::slices(month);
    QStringList labels;
    for (const ReportSlice &s : slices)
        labels << s.label + u' ' + s.share;
    QCOMPARE(labels, (QStringList{"居住 59.5%", "餐饮 23.8%", "购物 12.6%", "其他 4.1%"}));
    month.lines.resize(4);
    month.total = Money::fromYuan(4500 + 1800 + 950 + 180);
    QCOMPARE(Reports::slices(month).back().label, QStringLiteral("交通"));
}

void ReportsTest::texts_data()
{
    QTest::addColumn<QString>("part");
    QTest::addColumn<QString>("whole");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("share");
    QTest::newRow("grouped") << "12345.6" << "12345.6" << "12,345.60" << "100.0%";
    QTest::newRow("third") << "1" << "3" << "1.00" << "33.3%";
    QTest::newRow("half up") << "1" << "2000" << "1.00" << "0.1%";
    QTest::newRow("every decimal") << "-0.125" << "1" << "-0.125" << "-12.5%";
    QTest::newRow("nothing") << "0" << "0" << "0.00" << "";
    QTest::newRow("negative whole") << "5" << "-5" << "5.00" << "";
    QTest::newRow("huge") << "999999999999999" << "999999999999999" << "999,999,999,999,999.00" << "100.0%";
}

void ReportsTest::texts()
{
    QFETCH(QString, part);
    QFETCH(QString, whole);
    QFETCH(QString, amount);
    QFETCH(QString, share);
    const Money p = *Money::parse(part);
    QCOMPARE(Reports::amountText(p), amount);
    QCOMPARE(Reports::shareText(p, *Money::parse(whole)), share);
}

void ReportsTest::axisSteps()
{
    const struct {
        const char *low, *high;
        QStringList labels;
    } cases[] = {
        {"0", "1000", {"0", "500", "1,000"}},
        {"-120", "950", {"-500", "0", "500", "1,000"}},
        {"0", "0", {"0", "0.01"}},
        {"0", "0.07", {"0", "0.02", "0.04", "0.06", "0.08"}},
    };
    for (const auto &c : cases) {
        QStringList labels;
        for (const Money &step : ReportCharts::axisSteps(*Money::parse(QString::fromLatin1(c.low)),
                                                         *Money::parse(QString::fromLatin1(c.high))))
            labels << ReportCharts::axisLabel(step);
        QCOMPARE(labels, c.labels);
    }
}

void ReportsTest::barLabelsNeverTouch_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<bool>("years");
    QTest::addColumn<int>("pointSize");
    QTest::addColumn<int>("everyMonthFrom");  // a plot this wide labels every bar; 0: never
    for (int points : {9, 18}) {
        QTest::addRow("a year of months, %dpt", points) << 12 << false << points << (points == 9 ? 500 : 900);
        QTest::addRow("a quarter, %dpt", points) << 3 << false << points << 260;
        QTest::addRow("three years of months, %dpt", points) << 36 << false << points << 0;
        QTest::addRow("thirty years, %dpt", points) << 30 << true << points << 0;
    }
}

// Labels of the bar chart stand level and whole at every width and font: centred under their
// bars, no two neighbours overlap, and there is always at least one.
void ReportsTest::barLabelsNeverTouch()
{
    QFETCH(int, lines);
    QFETCH(bool, years);
    QFETCH(int, pointSize);
    QFETCH(int, everyMonthFrom);
    PeriodReport report;
    report.years = years;
    for (int i = 0; i < lines; ++i) {
        const QDate from = years ? QDate(1997 + i, 1, 1) : QDate(2024, 11, 1).addMonths(i);
        PeriodLine line;
        line.days = {from, years ? from.addYears(1).addDays(-1) : from.addMonths(1).addDays(-1)};
        report.lines.push_back(line);
    }
    QFont font;
    font.setPointSize(pointSize);
    const QFontMetricsF metrics(font);
    for (int width = 120; width <= 1400; width += 20) {
        const std::vector<ReportCharts::BarLabel> labels = ReportCharts::barLabels(report, width, metrics);
        QVERIFY(!labels.empty());
        const double perBar = double(width) / lines;
        for (size_t i = 1; i < labels.size(); ++i) {
            const double room = (labels[i].bar - labels[i - 1].bar) * perBar;
            const double needed =
                (metrics.horizontalAdvance(labels[i].text) + metrics.horizontalAdvance(labels[i - 1].text)) / 2;
            QVERIFY2(room > needed, qPrintable(QStringLiteral("%1 px: %2 and %3").arg(width).arg(labels[i - 1].text, labels[i].text)));
        }
        if (everyMonthFrom && width >= everyMonthFrom)
            QCOMPARE(int(labels.size()), lines);
    }
}

TALLYRA_TEST(ReportsTest)
#include "tst_reports.moc"
