// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "budgets/budget_window.h"
#include "budgets/budgets.h"
#include "ledger/ledger.h"
#include "ledger/ledger_pane.h"
#include "ledger/recycle_bin.h"
#include "ledger/transfers.h"
#include "reports/budget_progress.h"
#include "reports/budget_watch.h"
#include "reports/report_window.h"
#include "support/modal.h"
#include "store/schema.h"
#include "support/test_folder.h"
#include "ui/formats.h"

#include "planning_helpers.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

#include "support/test_main.h"

using namespace Planning;

namespace {

Money money(const char *text) { return *Money::parse(QString::fromUtf8(text)); }

// What an item took in a month, counted the long way: every entry of the account set read
// one by one (transfers are not entries and are not read at all).
Money recount(DataFile &data, int set, const QString &item, const QDate &month)
{
    const QString key = month.toString(QStringLiteral("yyyy-MM"));
    Money total;
    Statement st = data.query(QStringLiteral("select data, t1, t2, t5 from jizhang where muluID=?"), {set});
    while (st.step())
        if (st.text(0).startsWith(key) && st.text(1) != QStringLiteral("收入") && st.text(2) == item)
            total += Money::fromStored(st.text(3)).value_or(Money());
    return total;
}

BudgetPlan plan(const QDate &month, std::vector<ItemBudget> items, std::optional<Money> total = std::nullopt)
{
    return {month, std::move(items), total};
}

} // namespace

class BudgetsTest : public QObject {
    Q_OBJECT
private slots:
    void olderFilesGetTheTables();
    void amountsApplyUntilChanged();
    void typedAmounts_data();
    void typedAmounts();
    void spendingAgreesWithARecount();
    void overBudgetWordThroughTheEditor();
    void budgetWindowAndTab();
};

void BudgetsTest::olderFilesGetTheTables()
{
    TestFolder t;
    const int set = t.defaultAccountSet();
    // A file of version 8 (no budgets, no schedules) is brought up to date on opening;
    // a file of version 9 (made by a branch without them) too.
    for (int version : {8, 9}) {
        t.data.database().execute(QStringLiteral("drop table if exists yusuan; drop table if exists yusuan_shezhi; "
                                                 "drop table if exists zhouqi; drop table if exists zhouqi_ci; "
                                                 "PRAGMA user_version = %1").arg(version));
        t.data.close();
        Budgets(t.data).save(set, plan(QDate(2024, 1, 1), {}, money("100")), true);
        QCOMPARE(count(t.data, "PRAGMA user_version"), qint64(Schema::Version));
        QCOMPARE(count(t.data, "select count(*) from sqlite_master where name in "
                               "('yusuan', 'yusuan_shezhi', 'zhouqi', 'zhouqi_ci')"), 4);
        QCOMPARE(Budgets(t.data).plan(set, QDate(2024, 5, 1)).total, std::optional(money("100")));
    }
}

void BudgetsTest::amountsApplyUntilChanged()
{
    TestFolder t;
    const int set = t.defaultAccountSet();
    Budgets budgets(t.data);
    const QString food = QStringLiteral("餐饮");
    auto monthly = [&](int year, int month) {
        const ItemBudget *b = budgets.plan(set, QDate(year, month, 1)).find(false, food);
        return b && b->monthly ? b->monthly->plain() : QStringLiteral("-");
    };
    budgets.save(set, plan(QDate(2024, 3, 1), {{false, food, money("1500"), {}}}, money("4000")), true);
    QCOMPARE(monthly(2024, 2), QStringLiteral("-"));
    QCOMPARE(monthly(2024, 3), QStringLiteral("1500"));
    QCOMPARE(monthly(2025, 1), QStringLiteral("1500"));
    // This month alone: the amount before comes back the month after.
    budgets.save(set, plan(QDate(2024, 5, 1), {{false, food, money("2000"), {}}}, money("4000")), false);
    QCOMPARE(monthly(2024, 4), QStringLiteral("1500"));
    QCOMPARE(monthly(2024, 5), QStringLiteral("2000"));
    QCOMPARE(monthly(2024, 6), QStringLiteral("1500"));
    // From a later month on; the months between keep theirs; cleared from August.
    budgets.save(set, plan(QDate(2024, 7, 1), {{false, food, money("1800"), {}}}, money("4000")), true);
    budgets.save(set, plan(QDate(2024, 8, 1), {{false, food, {}, {}}}, money("4000")), true);
    QCOMPARE(monthly(2024, 6), QStringLiteral("1500"));
    QCOMPARE(monthly(2024, 7), QStringLiteral("1800"));
    QCOMPARE(monthly(2024, 9), QStringLiteral("-"));
    // "复制上月" brings July's amounts to August.
    const BudgetPlan copied = budgets.previous(set, QDate(2024, 8, 20));
    QCOMPARE(copied.month, QDate(2024, 8, 1));
    QCOMPARE(copied.find(false, food)->monthly, std::optional(money("1800")));
    QCOMPARE(copied.total, std::optional(money("4000")));
    // A yearly amount holds for its year and the years after.
    budgets.save(set, plan(QDate(2024, 6, 1), {{false, QStringLiteral("保险"), {}, money("6000")}}, money("4000")), true);
    QCOMPARE(budgets.plan(set, QDate(2024, 1, 1)).find(false, QStringLiteral("保险"))->yearly, std::optional(money("6000")));
    QCOMPARE(budgets.plan(set, QDate(2023, 12, 1)).find(false, QStringLiteral("保险")), nullptr);
    // The year's budget: the twelve months' amounts of each item, its yearly one once.
    const BudgetReport year = BudgetProgress(t.data).year(set, 2024);
    const Money foodYear = money("1500") + money("1500") + money("2000") + money("1500") + money("1800");  // March to July
    for (const BudgetLine &line : year.lines)
        if (line.item == food)
            QCOMPARE(line.budget.plain(), foodYear.plain());
        else if (line.item == QStringLiteral("保险"))
            QCOMPARE(line.budget.plain(), QStringLiteral("6000"));
    // Totals: 4000 from March to December, and the yearly 6000.
    QCOMPARE(year.total->budget.plain(), QStringLiteral("46000"));
    // The setting of the word over budget is on at first.
    QVERIFY(budgets.warns(set));
    budgets.setWarns(set, false);
    QVERIFY(!budgets.warns(set));
}

void BudgetsTest::typedAmounts_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("amount");   // plain, or "-" for none
    QTest::addColumn<QString>("problem");
    QTest::newRow("empty is no budget") << "  " << "-" << "";
    QTest::newRow("plain") << "1500" << "1500" << "";
    QTest::newRow("grouped") << "1,620.50" << "1620.5" << "";
    QTest::newRow("zero") << "0" << "0" << "";
    QTest::newRow("negative") << "-20" << "-" << "餐饮的月预算不能是负数。";
    QTest::newRow("not a number") << "abc" << "-" << "餐饮的月预算必须是一个金额（例如 1500 或 1,500.00）。";
    QTest::newRow("exponent") << "1e5" << "-" << "餐饮的月预算必须是一个金额（例如 1500 或 1,500.00）。";
}

void BudgetsTest::typedAmounts()
{
    QFETCH(QString, typed);
    QFETCH(QString, amount);
    QFETCH(QString, problem);
    const Budgets::Typed read = Budgets::read(QStringLiteral("餐饮的月预算"), typed);
    QCOMPARE(read.amount ? read.amount->plain() : QStringLiteral("-"), amount);
    QCOMPARE(read.problem, problem);
}

void BudgetsTest::spendingAgreesWithARecount()
{
    TestFolder t;
    const int set = t.defaultAccountSet();
    const QString food = QStringLiteral("餐饮");
    const QDate march(2024, 3, 1);
    Budgets(t.data).save(set, plan(march, {{false, food, money("1500"), {}}, {false, QStringLiteral("手续费"), money("10"), {}}}), true);
    BudgetProgress progress(t.data);
    Ledger ledger(t.data);
    auto agree = [&](const QString &step) {
        const BudgetReport report = progress.month(set, QDate(2024, 3, 15));
        for (const BudgetLine &line : report.lines)
            QVERIFY2(line.spent == recount(t.data, set, line.item, march),
                     qPrintable(step + u' ' + line.item + u' ' + line.spent.plain()));
        Money all;
        Statement st = t.data.query("select t5 from jizhang where muluID=? and t1 <> '收入' and data like '2024-03-%'", {set});
        while (st.step())
            all += Money::fromStored(st.text(0)).value_or(Money());
        QVERIFY2(report.total->spent == all, qPrintable(step));
    };
    auto foodLine = [&] {
        for (const BudgetLine &line : progress.month(set, march).lines)
            if (line.item == food)
                return line;
        return BudgetLine{};
    };
    const qint64 lunch = t.addEntry(set, "2024-03-02", "支出", "35.5", food);
    t.addEntry(set, "2024-03-31", "支出", "0.1", food);
    t.addEntry(set, "2024-04-01", "支出", "99", food);          // next month
    t.addEntry(set, "2024-03-05", "收入", "100", food);         // income never counts as spent
    t.addEntry(set, "2024-03-06", "支出", "not a number", food);
    agree("entries");
    // A transfer is no spending; its fee is an expense of its own item.
    Transfer move;
    move.date = "2024-03-07";
    move.from = "银行卡";
    move.to = "现金";
    move.amount = "500";
    move.fee = "2";
    Transfers(t.data).add(move, set);
    agree("transfer");
    QCOMPARE(foodLine().spent, money("35.6"));
    LedgerEntry changed = *ledger.entry(lunch);
    changed.amount = "1600";
    ledger.updateEntry(changed);
    agree("modified");
    RecycleBin bin(t.data);
    bin.discard(lunch);
    agree("deleted");
    bin.restore({bin.LoadData(set).rows.front().cell(1).toLongLong()}, set);
    agree("restored");
    ledger.importRows({{1, "2024-03-20", food, "", "64.4", "现金", "", "imported"}}, set);
    agree("imported");
    QCOMPARE(foodLine().spent, money("1664.5"));
    QVERIFY(foodLine().over());
}

void BudgetsTest::overBudgetWordThroughTheEditor()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    const QDate today = QDate::currentDate();
    const QString day = today.toString("yyyy-MM-dd");
    Budgets(t.data).save(set, plan(today, {{false, QStringLiteral("餐饮"), money("1500"), {}}}), true);
    t.addEntry(set, day, "支出", "1500", "餐饮");
    MainWindow w(t.context);
    auto add = [&](const QString &kind, const QString &item, const QString &amount) {
        whenModal([&](QDialog *d) {
            choose(d, "Combo1", kind);
            child<QComboBox>(d, "Combo2")->setEditText(item);
            child<QLineEdit>(d, "Text1")->setText(amount);
            click(d, "Command1");
        });
        w.commands().action(Command::AddEntry)->trigger();
    };
    const QString word = QStringLiteral("餐饮本月预算 1,500.00 元，已支出 1,620.50 元，超出 120.50 元");
    // An income, and another item, say nothing; the expense that goes over says it once.
    add("收入", "餐饮", "50");
    add("支出", "交通", "3000");
    QCOMPARE(t.prompt.texts(), QStringList());
    add("支出", "餐饮", "120.5");
    QCOMPARE(t.prompt.texts(), QStringList{word});
    QCOMPARE(count(t.data, "select count(*) from jizhang where t2='餐饮' and t5='120.5'"), 1);  // saved all the same
    add("支出", "餐饮", "10");
    QCOMPARE(t.prompt.texts(), QStringList{word});
    // The status bar tells what is left of the month's budget: 1,500 less every expense, 4,630.50.
    w.budgetWatch()->update();
    QCOMPARE(w.budgetWatch()->panel()->text(), QStringLiteral("本月预算超出：3,130.50 元"));
    // Turned off, nothing is said.
    Budgets(t.data).save(set, plan(today, {{false, QStringLiteral("餐饮"), money("2000"), {}}}), true);
    Budgets(t.data).setWarns(set, false);
    add("支出", "餐饮", "400");
    QCOMPARE(t.prompt.texts().size(), 1);
}

void BudgetsTest::budgetWindowAndTab()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    const QDate month(2024, 3, 1);
    t.addEntry(set, "2024-03-03", "支出", "90", "交通");
    t.addEntry(set, "2024-03-04", "支出", "40", "购物");
    {
        BudgetWindow window(t.context);
        window.showMonth(month);
        QTableWidget *table = window.table();
        const int travel = window.rowOf(false, "交通");
        const int shopping = window.rowOf(false, "购物");
        QVERIFY(travel >= 0 && shopping >= 0 && window.rowOf(true, "工资") < 0);
        // A negative amount is refused, naming the field, and nothing is stored.
        table->item(travel, BudgetWindow::MonthlyColumn)->setText("-5");
        QVERIFY(!window.save());
        QCOMPARE(t.prompt.lastText(), QStringLiteral("交通的月预算不能是负数。"));
        QCOMPARE(count(t.data, "select count(*) from yusuan"), 0);
        table->item(travel, BudgetWindow::MonthlyColumn)->setText("80");
        table->item(shopping, BudgetWindow::MonthlyColumn)->setText("1,000");
        child<QLineEdit>(&window, "BudgetTotal")->setText("2000");
        QVERIFY(window.save());
        // The next month shows the same amounts; "复制上月" too after a change.
        window.showMonth(month.addMonths(1));
        QCOMPARE(table->item(window.rowOf(false, "交通"), BudgetWindow::MonthlyColumn)->text(), QStringLiteral("80"));
        table->item(window.rowOf(false, "交通"), BudgetWindow::MonthlyColumn)->setText("");
        window.copyPrevious();
        QCOMPARE(table->item(window.rowOf(false, "交通"), BudgetWindow::MonthlyColumn)->text(), QStringLiteral("80"));
        child<QCheckBox>(&window, "BudgetWithIncome")->setChecked(true);
        QVERIFY(window.rowOf(true, "工资") >= 0);
    }
    // The 预算 tab: the item over budget stands out in the warning colour.
    MainWindow w(t.context);
    ReportWindow report(t.context, *w.ledgerPane());
    report.showBudget(QDate(2024, 3, 10), false);
    auto *table = report.findChild<QTableWidget *>("BudgetTable");
    QVERIFY(table);
    QStringList rows;
    for (int r = 0; r < table->rowCount(); ++r)
        rows << table->item(r, 0)->text() + u' ' + table->item(r, 3)->text() + u' ' + table->item(r, 4)->text();
    QCOMPARE(rows, (QStringList{"交通 -10.00 112.5%", "购物 960.00 4.0%", "合计（全部支出） 1,870.00 6.5%"}));
    const QColor warning = Formats::warningColour(table->palette());
    QCOMPARE(table->item(0, 1)->foreground().color(), warning);
    QVERIFY(table->item(1, 1)->foreground().color() != warning);
    QCOMPARE(report.currentTable().title, QStringLiteral("预算：2024年03月"));
    // Shown at its first size, the item column still fits its captions beside the bars.
    report.show();
    QVERIFY(QTest::qWaitForWindowExposed(&report));
    int widest = 0;
    for (int r = 0; r < table->rowCount(); ++r)
        widest = std::max(widest, QFontMetrics(table->item(r, 0)->font()).horizontalAdvance(table->item(r, 0)->text()));
    QVERIFY2(table->columnWidth(0) > widest, qPrintable(QStringLiteral("%1 < %2").arg(table->columnWidth(0)).arg(widest)));
    // The year: each item's twelve months (March to December: 10 of each).
    report.showBudget(QDate(2024, 3, 10), true);
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("800.00"));
    QCOMPARE(table->item(2, 1)->text(), QStringLiteral("20,000.00"));
}

TALLYRA_TEST(BudgetsTest)
#include "tst_budgets.moc"
