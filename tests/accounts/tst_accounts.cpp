// SPDX-License-Identifier: GPL-3.0-or-later
#include "accounts/account_list.h"
#include "accounts/account_list_model.h"
#include "accounts/account_helpers.h"
#include "accounts/accounts.h"
#include "accounts/accounts_pane.h"
#include "accounts/reconcile_window.h"
#include "accounts/transfer_pairs.h"
#include "app/main_window.h"
#include "export/ledger_export.h"
#include "ledger/entry_editor.h"
#include "ledger/ledger_pane.h"
#include "ledger/recycle_bin.h"
#include "ledger/transfers.h"
#include "reports/finance_summary.h"
#include "reports/reports.h"
#include "support/test_folder.h"
#include "ui/record_list.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

#include <QtTest>

#include <memory>

#include "support/test_main.h"

namespace {

Money money(const char *text) { return *Money::parse(QString::fromUtf8(text)); }

// An account's balance at the end of a day counted the long way: every entry and transfer
// of the account set read one by one, with nothing kept.
Money recount(DataFile &data, int set, const Account &a, const QDate &day)
{
    const QString until = day.addDays(1).toString(QStringLiteral("yyyy-MM-dd"));
    auto counts = [&](const QString &date) { return (a.openingDate.isEmpty() || date >= a.openingDate) && date < until; };
    Money balance = a.opening;
    Statement entries = data.query(QStringLiteral("select data, t1, t5, t3 from jizhang where muluID=?"), {set});
    while (entries.step())
        if (entries.text(3) == a.name && counts(entries.text(0))) {
            const Money amount = Money::fromStored(entries.text(2)).value_or(Money());
            balance += entries.text(1) == QStringLiteral("收入") ? amount : -amount;
        }
    Statement moved = data.query(QStringLiteral("select data, outAccount, inAccount, amount from zhuanzhang where muluID=?"),
                                 {set});
    while (moved.step())
        if (counts(moved.text(0))) {
            const Money amount = *Money::fromStored(moved.text(3));
            balance += (moved.text(2) == a.name ? amount : Money()) - (moved.text(1) == a.name ? amount : Money());
        }
    return balance;
}

} // namespace

class AccountsTest : public QObject {
    Q_OBJECT
private slots:
    void balancesAgreeWithARecount();
    void totalsLeaveTransfersOut_data();
    void totalsLeaveTransfersOut();
    void pairFinder_data();
    void pairFinder();
    void transferEditorRefusesBadInput_data();
    void transferEditorRefusesBadInput();
    void reconcileThroughTheWindow();
};

void AccountsTest::balancesAgreeWithARecount()
{
    TestFolder t;
    const int set = t.defaultAccountSet();
    Accounts accounts(t.data);
    Transfers transfers(t.data);
    Account cash = *accounts.byName(set, QStringLiteral("现金"));
    cash.kind = QStringLiteral("现金");
    cash.opening = money("200");
    cash.openingDate = QStringLiteral("2024-01-10");
    accounts.save(set, cash);
    Account card = *accounts.byName(set, QStringLiteral("银行卡"));
    card.kind = QStringLiteral("储蓄卡");
    card.opening = money("5000.05");
    accounts.save(set, card);
    Account credit;
    credit.name = QStringLiteral("信用卡");
    credit.kind = QStringLiteral("信用卡");
    credit.opening = money("-1200.5");
    accounts.add(set, credit);
    const QDate day(2024, 3, 20);

    // Every account's balance equals the recount, and each list runs from its balance down
    // to its opening balance, row by row.
    auto agree = [&](const QString &step) {
        for (const AccountBalance &b : accounts.balances(set, day)) {
            const Money expected = recount(t.data, set, b.account, day);
            QVERIFY2(b.balance() == expected, qPrintable(step + u' ' + b.account.name + u' ' + b.balance().plain() +
                                                         QStringLiteral(" ≠ ") + expected.plain()));
        }
        for (const Account &a : accounts.all(set)) {
            AccountList list(t.data, set, a);
            QCOMPARE(list.balance(), recount(t.data, set, a, QDate(2099, 12, 31)));
            Money running = list.balance();
            for (const AccountRow &r : list.rows(0, list.count())) {
                QCOMPARE(r.balance.has_value(), r.counted);
                if (r.balance)
                    QVERIFY2(*r.balance == running, qPrintable(step + u' ' + a.name + u' ' + r.date));
                running -= r.flow();
            }
            QCOMPARE(running, a.opening);
        }
    };
    agree(QStringLiteral("empty"));

    t.addEntry(set, "2024-03-01", "收入", "12800", "工资", "", "银行卡");
    t.addEntry(set, "2024-03-02", "支出", "3500", "居住", "房租", "银行卡");
    t.addEntry(set, "2024-01-05", "支出", "50", "餐饮", "before the opening day", "现金");
    t.addEntry(set, "2024-01-10", "支出", "45.5", "餐饮", "on the opening day", "现金");
    t.addEntry(set, "2024-02-29", "收入", "20", "奖金", "", "现金");
    t.addEntry(set, "2024-03-25", "支出", "99", "购物", "after the day", "银行卡");
    t.addEntry(set, "2024-03-05", "支出", "800.25", "购物", "", "信用卡");
    t.addEntry(set, "2024-03-06", "支出", "abc", "购物", "no amount", "信用卡");
    agree(QStringLiteral("entries"));

    const qint64 atm = transfers.add(transfer("2024-03-03", "银行卡", "现金", "1000", "2.5"), set);
    transfers.add(transfer("2024-03-10", "现金", "银行卡", "300"), set);
    transfers.add(transfer("2024-03-15", "银行卡", "信用卡", "2000.75"), set);
    agree(QStringLiteral("transfers"));
    QCOMPARE(accounts.balance(set, *accounts.byName(set, "信用卡"), day).balance(), Money());
    // Before it was paid, the credit card is what is owed.
    const std::vector<AccountBalance> tenth = accounts.balances(set, QDate(2024, 3, 10));
    const NetWorth worth = Accounts::worth(tenth);
    QCOMPARE(worth.debts, money("2000.75"));
    QCOMPARE(worth.net(), tenth[0].balance() + tenth[1].balance() + tenth[2].balance());

    // Deleted with its fee, back with it.
    QVERIFY(transfers.discard(atm));
    QCOMPARE(count(t.data, "select count(*) from jizhang where t2='手续费'"), 0);
    agree(QStringLiteral("deleted"));
    QCOMPARE(RecycleBin(t.data).count(set), 1);  // the fee waits out of the list
    const qint64 binned = count(t.data, "select id from zhuanzhang_bin");
    QCOMPARE(RecycleBin(t.data).restoreTransfers({binned}, set), 1);
    QCOMPARE(transfers.transfer(atm)->fee, QStringLiteral("2.5"));
    agree(QStringLiteral("restored"));

    Transfer changed = *transfers.transfer(atm);
    changed.amount = QStringLiteral("1200");
    changed.to = QStringLiteral("信用卡");
    changed.fee = QString();
    QVERIFY(transfers.update(changed));
    agree(QStringLiteral("modified"));

    // Another program writes: the kept sums follow.
    t.data.exec(QStringLiteral("update jizhang set t5='3600' where t2='居住'"));
    t.data.exec(QStringLiteral("update zhuanzhang set data='2024-02-10' where amount='300'"));
    agree(QStringLiteral("another program"));

    // A transfer stored inside larger work goes or stays with it; a refused one leaves the
    // larger work as it was.
    {
        DataFile::Transaction outer(t.data);
        transfers.add(transfer("2024-03-11", "现金", "信用卡", "10"), set);
    }
    {
        DataFile::Transaction outer(t.data);
        t.addEntry(set, "2024-03-12", "支出", "7", "餐饮", "", "现金");
        QVERIFY_THROWS_EXCEPTION(StoreError, transfers.add(transfer("2024-03-12", "现金", "现金", "10"), set));
        outer.commit();
    }
    QCOMPARE(count(t.data, "select count(*) from zhuanzhang where amount='10'"), 0);
    QCOMPARE(count(t.data, "select count(*) from jizhang where t5='7'"), 1);
    agree(QStringLiteral("nested"));
}

// The month of a household: a salary into the card, spending from the card and from cash,
// and 1,000 taken from the card at an ATM as a transfer.
namespace {

enum Place { MonthNode, AllEntries, SearchByDate, SearchCash, Summary, ReportByMonth, ReportByItem, Export, Balances };

std::unique_ptr<TestFolder> householdMonth()
{
    auto t = std::make_unique<TestFolder>();
    t->loginAsAdmin();
    const int set = t->defaultAccountSet();
    t->addEntry(set, "2024-03-05", "收入", "12800.00", "工资", "", "银行卡");
    t->addEntry(set, "2024-03-18", "收入", "859.90", "奖金", "兼职", "现金");
    for (const auto &[day, amount, item] : {std::tuple{"2024-03-01", "3500.00", "居住"}, {"2024-03-09", "1289.46", "购物"},
                                            {"2024-03-12", "412.30", "居住"}, {"2024-03-15", "98.00", "通讯"},
                                            {"2024-03-22", "1639.42", "购物"}})
        t->addEntry(set, day, "支出", amount, item, "", "银行卡");
    for (const auto &[day, amount] : {std::pair{"2024-03-02", "186.50"}, {"2024-03-08", "73.20"},
                                      {"2024-03-16", "45.00"}, {"2024-03-26", "151.03"}})
        t->addEntry(set, day, "支出", amount, "餐饮", "", "现金");
    Transfers(t->data).add(transfer("2024-03-10", "银行卡", "现金", "1000"), set);
    return t;
}

} // namespace

void AccountsTest::totalsLeaveTransfersOut_data()
{
    QTest::addColumn<int>("place");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("状态栏：月份") << int(MonthNode) << QStringList{"收入：13659.9 元", "支出：7394.91 元"};
    QTest::newRow("状态栏：全部记录") << int(AllEntries) << QStringList{"收入：13659.9 元", "支出：7394.91 元"};
    QTest::newRow("统计查询：日期") << int(SearchByDate) << QStringList{"收入：13659.900 元", "支出：7394.910 元"};
    QTest::newRow("统计查询：现金") << int(SearchCash) << QStringList{"收入：859.900 元", "支出：455.730 元"};
    QTest::newRow("帐务统计") << int(Summary) << QStringList{"13659.9", "7394.91", "6264.99RMB"};
    QTest::newRow("收支报表：月份") << int(ReportByMonth) << QStringList{"13659.9", "7394.91"};
    QTest::newRow("收支报表：支出项目") << int(ReportByItem) << QStringList{"7394.91", "9"};
    QTest::newRow("导出") << int(Export) << QStringList{"13659.9", "7394.91"};
    QTest::newRow("账户") << int(Balances) << QStringList{"1,404.17", "4,860.82", "859.9 455.73 1000 0"};
}

void AccountsTest::totalsLeaveTransfersOut()
{
    QFETCH(int, place);
    QFETCH(QStringList, expected);
    std::unique_ptr<TestFolder> t = householdMonth();
    const int set = t->defaultAccountSet();
    const ReportPeriod march{QDate(2024, 3, 1), QDate(2024, 3, 31)};
    MainWindow w(t->context);
    QStringList actual;
    switch (Place(place)) {
    case MonthNode:
    case AllEntries:
        w.ledgerPane()->LoadData(place == MonthNode ? QStringLiteral("2024_3_") : QStringLiteral("0_"));
        actual = QStringList{w.panelText(4), w.panelText(5)};
        break;
    case SearchByDate:
    case SearchCash: {
        SearchRequest request;
        request.byDate = true;
        request.from = march.from;
        request.to = march.to;
        request.byMethod = place == SearchCash;
        request.method = QStringLiteral("现金");
        w.ledgerPane()->showSearch(request);
        actual = QStringList{w.panelText(4), w.panelText(5)};
        break;
    }
    case Summary: {
        const FinanceSummary::Texts texts = FinanceSummary::texts(Ledger(t->data).financeSummary(set));
        actual = QStringList{texts.income, texts.expense, texts.balance};
        break;
    }
    case ReportByMonth: {
        const PeriodReport report = Reports(t->data).byMonth(set, march);
        actual = QStringList{report.total.income.plain(), report.total.expense.plain()};
        break;
    }
    case ReportByItem: {
        const ItemReport report = Reports(t->data).byItem(set, march, false);
        actual = QStringList{report.total.plain(), QString::number(report.count)};
        break;
    }
    case Export: {
        EntryQuery query;
        query.accountSet = set;
        query.nodeKey = QStringLiteral("2024_3_");
        const QStringList totals = LedgerExport(t->data, query, QStringLiteral("默认账套"), QString()).totalsRow();
        actual = QStringList{totals.value(2), totals.value(3)};
        break;
    }
    case Balances: {
        w.accountsPane()->reload();
        const AccountBalance cash =
            Accounts(t->data).balance(set, *Accounts(t->data).byName(set, "现金"), QDate(2024, 3, 31));
        actual = QStringList{w.accountsPane()->balanceText(QStringLiteral("现金")),
                             w.accountsPane()->balanceText(QStringLiteral("银行卡")),
                             QStringList{cash.flow.income.plain(), cash.flow.expense.plain(), cash.flow.moveIn.plain(),
                                         cash.flow.moveOut.plain()}
                                 .join(u' ')};
        break;
    }
    }
    QCOMPARE(actual, expected);
}

void AccountsTest::pairFinder_data()
{
    // Entries "day kind amount account [item]" separated by ";" (kind 手续费: a transfer from
    // the account to 信用卡 with that fee); the pairs found as "expense-income" by position.
    QTest::addColumn<QString>("entries");
    QTest::addColumn<QString>("pairs");
    QTest::newRow("同一天，两个账户") << "03-10 支出 1000 银行卡 取现;03-10 收入 1000 现金 取现" << "0-1*";
    QTest::newRow("同一天，没有注明") << "03-10 支出 50 银行卡 餐饮;03-10 收入 50 现金 奖金" << "0-1";
    QTest::newRow("同一个账户") << "03-10 支出 1000 银行卡;03-10 收入 1000 银行卡" << "";
    QTest::newRow("金额不同") << "03-10 支出 1000 银行卡 取现;03-10 收入 999 现金 取现" << "";
    QTest::newRow("相隔两天，注明还款") << "03-10 支出 2000 银行卡 还款;03-12 收入 2000 信用卡" << "0-1*";
    QTest::newRow("相隔两天，没有注明") << "03-10 支出 50 银行卡 餐饮;03-12 收入 50 现金 奖金" << "";
    QTest::newRow("相隔五天") << "03-10 支出 2000 银行卡 还款;03-15 收入 2000 信用卡 还款" << "";
    QTest::newRow("一笔收入只配一笔支出") << "03-10 支出 500 银行卡;03-10 支出 500 信用卡;03-10 收入 500 现金" << "0-2";
    QTest::newRow("同一天优先") << "03-10 支出 80 银行卡 转账;03-11 收入 80 现金 转账;03-10 收入 80 信用卡 转账" << "0-2*";
    QTest::newRow("手续费不算") << "03-10 手续费 2 银行卡;03-10 收入 2 现金" << "";
}

void AccountsTest::pairFinder()
{
    QFETCH(QString, entries);
    QFETCH(QString, pairs);
    TestFolder t;
    const int set = t.defaultAccountSet();
    Account credit;
    credit.name = QStringLiteral("信用卡");
    Accounts(t.data).add(set, credit);
    QList<qint64> ids;
    for (const QString &row : entries.split(u';')) {
        const QStringList f = row.split(u' ');
        const QString day = QStringLiteral("2024-") + f[0];
        if (f[1] == QStringLiteral("手续费")) {
            const qint64 id = Transfers(t.data).add(transfer(day, f[3], "信用卡", "100", f[2]), set);
            ids << Transfers(t.data).transfer(id)->feeEntryId;
        } else {
            ids << t.addEntry(set, day, f[1], f[2], f.value(4), QString(), f[3]);
        }
    }
    const std::vector<TransferPair> found = TransferPairs(t.data).find(set);
    QStringList described;
    for (const TransferPair &p : found)
        described << QStringLiteral("%1-%2%3").arg(ids.indexOf(p.out.id)).arg(ids.indexOf(p.in.id)).arg(p.named ? "*" : "");
    QCOMPARE(described.join(u','), pairs);

    // Made transfers, the pairs leave income and spending, the balances stay as they were.
    const Money income = Ledger(t.data).financeSummary(set).income;
    const std::vector<AccountBalance> before = Accounts(t.data).balances(set, QDate(2024, 12, 31));
    QCOMPARE(TransferPairs(t.data).convert(set, found), int(found.size()));
    QCOMPARE(count(t.data, "select count(*) from zhuanzhang where feeId is null"), qint64(found.size()));
    Money moved;
    for (const TransferPair &p : found)
        moved += *Money::fromStored(p.in.amount);
    QCOMPARE(Ledger(t.data).financeSummary(set).income, income - moved);
    const std::vector<AccountBalance> after = Accounts(t.data).balances(set, QDate(2024, 12, 31));
    for (size_t i = 0; i < before.size(); ++i)
        QCOMPARE(after[i].balance(), before[i].balance());
    QVERIFY(TransferPairs(t.data).find(set).empty());
}

void AccountsTest::transferEditorRefusesBadInput_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("fee");
    QTest::addColumn<QString>("message");  // empty: stored
    const QString amountMessage = QStringLiteral("转账金额必须是大于0的数字（例如 1000 或 12.5），请重新输入！");
    QTest::newRow("同一个账户") << "银行卡" << "银行卡" << "100" << "" << "转出账户和转入账户不能是同一个账户！";
    QTest::newRow("没有转入账户") << "银行卡" << "" << "100" << "" << "请选择转出账户和转入账户！";
    QTest::newRow("粘贴的金额") << "银行卡" << "现金" << "1.2.3" << "" << amountMessage;
    QTest::newRow("金额为0") << "银行卡" << "现金" << "0" << "" << amountMessage;
    QTest::newRow("手续费为负") << "银行卡" << "现金" << "100" << "-2"
                           << "手续费必须是不小于0的数字（例如 2 或 0.5），请重新输入！";
    QTest::newRow("取现") << "银行卡" << "现金" << "1000." << "2.5" << "";
}

void AccountsTest::transferEditorRefusesBadInput()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, amount);
    QFETCH(QString, fee);
    QFETCH(QString, message);
    TestFolder t;
    t.loginAsAdmin();
    EntryEditor editor(t.context);
    editor.startTransfer();
    for (const auto &[name, text] : {std::pair{"Combo5", from}, std::pair{"Combo6", to}}) {
        auto *box = editor.findChild<QComboBox *>(name);
        box->setCurrentIndex(box->findText(text));
    }
    editor.findChild<QLineEdit *>("Text1")->setText(amount);
    editor.findChild<QLineEdit *>("Text3")->setText(fee);
    QVERIFY(!editor.findChild<QComboBox *>("Combo2")->isVisibleTo(&editor));
    QTest::mouseClick(editor.findChild<QPushButton *>("Command1"), Qt::LeftButton);
    QCOMPARE(t.prompt.lastText(), message);
    QCOMPARE(count(t.data, "select count(*) from zhuanzhang"), message.isEmpty() ? 1 : 0);
    QCOMPARE(count(t.data, "select count(*) from jizhang"), message.isEmpty() ? 1 : 0);
    if (message.isEmpty())
        QCOMPARE(count(t.data, "select count(*) from zhuanzhang z join jizhang j on j.id=z.feeId where z.amount='1000' "
                               "and j.t5='2.5' and j.t3='银行卡' and j.t2='手续费'"),
                 1);
}

void AccountsTest::reconcileThroughTheWindow()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.defaultAccountSet();
    Accounts accounts(t.data);
    Account card = *accounts.byName(set, QStringLiteral("银行卡"));
    card.opening = money("1000");
    accounts.save(set, card);
    t.addEntry(set, "2024-03-01", "收入", "500", "工资", "", "银行卡");
    const qint64 shopping = t.addEntry(set, "2024-03-05", "支出", "200", "购物", "", "银行卡");
    const qint64 atm = Transfers(t.data).add(transfer("2024-03-06", "银行卡", "现金", "100"), set);
    t.addEntry(set, "2024-03-25", "支出", "50", "餐饮", "after the statement", "银行卡");

    ReconcileWindow w(t.context, nullptr, QStringLiteral("银行卡"));
    w.findChild<QDateEdit *>("DTPicker1")->setDate(QDate(2024, 3, 20));
    auto *statement = w.findChild<QLineEdit *>("Text1");
    auto *difference = w.findChild<QLabel *>("Label2");
    auto *finish = w.findChild<QPushButton *>("Command2");
    statement->setText(QStringLiteral("abc"));
    QCOMPARE(difference->text(), QStringLiteral("差额：—"));
    w.finish();
    QCOMPARE(t.prompt.lastText(), QStringLiteral("对账单余额必须是一个数字（例如 4860.82），请重新输入！"));

    statement->setText(QStringLiteral("1200"));
    RecordList *list = w.list();
    QCOMPARE(list->rowCount(), 3);  // newest first: the transfer, the shopping, the salary
    QCOMPARE(difference->text(), QStringLiteral("差额：200.00"));
    const QStringList expected{"差额：-300.00", "差额：-100.00", "差额：0.00"};
    QTableView *view = list->detailsView();
    for (int i = 0; i < 3; ++i) {
        QVERIFY(!finish->isEnabled());
        if (i < 2) {
            view->model()->setData(view->model()->index(2 - i, 0), Qt::Checked, Qt::CheckStateRole);
        } else {  // the keyboard ticks a row too
            view->setCurrentIndex(view->model()->index(0, 0));
            QTest::keyClick(view, Qt::Key_Space);
        }
        QCOMPARE(difference->text(), expected[i]);
    }
    QVERIFY(finish->isEnabled());
    QTest::mouseClick(finish, Qt::LeftButton);
    QCOMPARE(t.prompt.lastText(), QStringLiteral("对账完成：3 条记录已核对。"));
    QCOMPARE(list->rowCount(), 0);
    QCOMPARE(count(t.data, "select count(*) from jizhang_duizhang where statement='2024-03-20'"), 2);
    QCOMPARE(count(t.data, "select count(*) from zhuanzhang where outChecked='2024-03-20' and inChecked is null"), 1);
    AccountList rows(t.data, set, *accounts.byName(set, "银行卡"));
    QStringList states;
    for (const AccountRow &r : rows.rows(0, rows.count()))
        states << AccountList::listRow(r).cell(7).toString();
    QCOMPARE(states, QStringList({"", AccountList::checkedText(), AccountList::checkedText(), AccountList::checkedText()}));

    // Changing a reconciled entry asks first; a new amount takes its mark away, a new
    // summary leaves it.
    for (const auto &[field, text, answer, marks] :
         {std::tuple{"Text1", "250", Prompt::Answer::No, 2}, {"Text2", "发票已收", Prompt::Answer::Yes, 2},
          {"Text1", "250", Prompt::Answer::Yes, 1}}) {
        EntryEditor editor(t.context);
        QVERIFY(editor.openForModifying(shopping));
        if (auto *line = editor.findChild<QLineEdit *>(field))
            line->setText(text);
        else
            editor.findChild<QPlainTextEdit *>(field)->setPlainText(text);
        t.prompt.answers << answer;
        QTest::mouseClick(editor.findChild<QPushButton *>("Command1"), Qt::LeftButton);
        QVERIFY(t.prompt.lastText().startsWith(QStringLiteral("这条记录已经与2024-03-20的对账单核对过")));
        QCOMPARE(count(t.data, "select count(*) from jizhang_duizhang"), marks);
    }
    QCOMPARE(count(t.data, "select count(*) from jizhang where t5='250'"), 1);

    // So does deleting a reconciled transfer from the account's list.
    MainWindow main(t.context);
    AccountsPane *pane = main.accountsPane();
    pane->showAccount(QStringLiteral("银行卡"));
    pane->list()->selectRow(1);  // the transfer, below the later meal
    QCOMPARE(pane->rows()->accountRowAt(1)->id, atm);
    t.prompt.answers << Prompt::Answer::No;
    pane->deleteSelected();
    QVERIFY(t.prompt.lastText().contains(QStringLiteral("已核对")));
    QCOMPARE(count(t.data, "select count(*) from zhuanzhang"), 1);
    t.prompt.answers << Prompt::Answer::Yes;
    pane->deleteSelected();
    QCOMPARE(count(t.data, "select count(*) from zhuanzhang"), 0);
    QCOMPARE(pane->balanceText(QStringLiteral("银行卡")), QStringLiteral("1,200.00"));
}

TALLYRA_TEST(AccountsTest)
#include "tst_accounts.moc"
