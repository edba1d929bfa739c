// SPDX-License-Identifier: GPL-3.0-or-later
#include "accounts/account_dialog.h"
#include "accounts/account_helpers.h"
#include "accounts/accounts.h"
#include "accounts/accounts_pane.h"
#include "accounts/accounts_window.h"
#include "accounts/reconcile_window.h"
#include "accounts/transfer_pairs_window.h"
#include "ledger/entry_editor.h"
#include "ledger/ledger.h"
#include "ledger/recycle_bin.h"
#include "store/schema.h"
#include "ledger/recycle_bin_window.h"
#include "ledger/transfers.h"
#include "support/modal.h"
#include "support/read_only.h"
#include "support/test_folder.h"
#include "ui/record_list.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <QtTest>

#include "support/test_main.h"

namespace {

// Each account's balance at the end of 2099 as plain text, in catalogue order.
QStringList balances(DataFile &data, int set)
{
    QStringList result;
    for (const AccountBalance &b : Accounts(data).balances(set, QDate(2099, 12, 31)))
        result << b.account.name + u'=' + b.balance().plain();
    return result;
}

void selectRow(RecordList *list, const QString &first)
{
    for (int row = 0; row < list->rowCount(); ++row)
        if (list->cell(row, 0) == first) {
            list->selectRow(row);
            return;
        }
    QFAIL(qPrintable(QStringLiteral("no row ") + first));
}

} // namespace

class AccountDataTest : public QObject {
    Q_OBJECT
private slots:
    void findingAnAccount_data();
    void findingAnAccount();
    void accountsKeepTheirEntries();
    void olderFilesAndFilesThatCannotBeWritten();
    void transfersInTheRecycleBin();
    void accountsWindowAsksAndMoves();
    void everyControlHasANameAndTheKeyboard();
};

void AccountDataTest::findingAnAccount_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QString>("found");  // empty: none
    QTest::newRow("按名称") << "银行卡" << "" << "" << "银行卡";
    QTest::newRow("名称优先") << "现金" << "" << "5678" << "现金";
    QTest::newRow("按卡号后四位") << "" << "" << "5678" << "工资卡";
    QTest::newRow("卡号与类别") << "" << "储蓄卡" << "1234" << "银行卡";
    QTest::newRow("卡号不符") << "" << "信用卡" << "1234" << "";
    QTest::newRow("关闭的卡") << "" << "" << "3456" << "";
    QTest::newRow("只有一个的类别") << "" << "支付宝" << "" << "支付宝";
    QTest::newRow("同类多个") << "" << "储蓄卡" << "" << "";
    QTest::newRow("没有的名称") << "招行卡" << "" << "" << "";
}

void AccountDataTest::findingAnAccount()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, digits);
    QFETCH(QString, found);
    TestFolder t;
    const int set = t.defaultAccountSet();
    Accounts accounts(t.data);
    for (const auto &[what, type, note, closed] :
         {std::tuple{"银行卡", "储蓄卡", "尾号 1234", false}, {"工资卡", "储蓄卡", "5678", false},
          {"信用卡", "信用卡", "9012", false}, {"支付宝", "支付宝", "", false}, {"旧卡", "储蓄卡", "3456", true}}) {
        Account a = accounts.byName(set, what).value_or(Account());
        a.name = what;
        a.kind = type;
        a.note = note;
        a.closed = closed;
        if (a.id)
            accounts.save(set, a);
        else
            accounts.add(set, a);
    }
    const std::optional<Account> account = accounts.find(set, {name, kind, digits});
    QCOMPARE(account ? account->name : QString(), found);
}

void AccountDataTest::accountsKeepTheirEntries()
{
    TestFolder t;
    const int set = t.defaultAccountSet();
    const int other = t.addAccountSet(QStringLiteral("小店"));
    Accounts accounts(t.data);
    Transfers transfers(t.data);

    // What a user types is checked before anything is stored.
    Account typed;
    typed.name = QStringLiteral("  ");
    QCOMPARE(accounts.problem(set, typed, QString()).value_or(QString()), QStringLiteral("请输入账户名称！"));
    typed.name = QStringLiteral("现金");
    QCOMPARE(accounts.problem(set, typed, QString()).value_or(QString()), QStringLiteral("已经有名为“现金”的账户！"));
    typed.name = QStringLiteral("零钱");
    QVERIFY(accounts.problem(set, typed, QStringLiteral("12a")).value_or(QString()).startsWith(QStringLiteral("期初余额")));
    typed.openingDate = QStringLiteral("1899-12-31");
    QVERIFY(accounts.problem(set, typed, QStringLiteral("-12.5")).value_or(QString()).startsWith(QStringLiteral("期初日期")));
    typed.openingDate = QStringLiteral("2024-01-01");
    QVERIFY(!accounts.problem(set, typed, QStringLiteral("-12.5")));

    const qint64 paid = t.addEntry(set, "2024-03-01", "支出", "30", "餐饮", "", "银行卡");
    t.addEntry(set, "2024-03-02", "收入", "500", "工资", "", "银行卡");
    t.addEntry(other, "2024-03-02", "支出", "8", "餐饮", "", "银行卡");
    const qint64 atm = transfers.add(transfer("2024-03-03", "银行卡", "现金", "100"), set);
    Account card = *accounts.byName(set, QStringLiteral("银行卡"));
    accounts.reconcile(card, QDate(2024, 3, 31), {entryRow(paid)});
    const QStringList before = balances(t.data, set);

    // A new name takes the entries (of every account set), the transfers and the bin along;
    // reconciled entries stay reconciled.
    t.addEntry(set, "2024-03-04", "支出", "1", "餐饮", "", "银行卡");
    Ledger(t.data).deleteEntry(count(t.data, "select max(id) from jizhang"));
    card.name = QStringLiteral("工行卡");
    accounts.save(set, card);
    QCOMPARE(count(t.data, "select count(*) from jizhang where t3='工行卡'"), 3);
    QCOMPARE(count(t.data, "select count(*) from jizhang_bin where t3='工行卡'"), 1);
    QCOMPARE(transfers.transfer(atm)->from, QStringLiteral("工行卡"));
    QCOMPARE(transfers.entryChecked(paid), QStringLiteral("2024-03-31"));
    QCOMPARE(balances(t.data, set), QStringList(before).replaceInStrings(QStringLiteral("银行卡="), QStringLiteral("工行卡=")));

    // An account in use is not deleted; one that transfers join to another is not merged
    // into it; merged, its entries go over and it is gone with its data.
    QCOMPARE(accounts.usage(QStringLiteral("工行卡")).total(), 4);
    QVERIFY(!accounts.remove(card.id));
    QVERIFY(!accounts.mergeInto(card.id, QStringLiteral("现金")));
    QVERIFY(transfers.discard(atm));
    QVERIFY(accounts.mergeInto(card.id, QStringLiteral("现金")));
    QVERIFY(!accounts.byName(set, QStringLiteral("工行卡")));
    QCOMPARE(count(t.data, "select count(*) from jizhang where t3='现金'"), 3);
    QCOMPARE(count(t.data, "select count(*) from zhanghu where accountId=?", {card.id}), 0);
    QCOMPARE(count(t.data, "select count(*) from zhuanzhang_bin"), 0);  // it would restore as 现金→现金
    QCOMPARE(balances(t.data, set), QStringList({"现金=470"}));
    Account unused;
    unused.name = QStringLiteral("零钱");
    QVERIFY(accounts.remove(accounts.add(set, unused)));
}

void AccountDataTest::olderFilesAndFilesThatCannotBeWritten()
{
    // A file of version 7 with entries gains the accounts on opening, and its balances
    // count what it held; its many months are counted once and kept.
    TestFolder t;
    const int set = t.defaultAccountSet();
    t.addEntry(set, "2023-12-31", "收入", "1000", "工资", "", "银行卡");
    t.addEntry(set, "2024-01-05", "支出", "12.34", "餐饮", "", "现金");
    t.addEntry(set, "no date", "支出", "0.66", "餐饮", "", "现金");
    std::vector<Transfer> monthly;
    for (int month = 0; month < 30; ++month) {
        const QDate day = QDate(2021, 1, 15).addMonths(month);
        t.addEntry(set, day.toString(Qt::ISODate), "收入", "1", "奖金", "", "银行卡");
        monthly.push_back(transfer(day.addDays(1).toString(Qt::ISODate), "银行卡", "现金", "1"));
    }
    t.data.database().execute(QStringLiteral(
        "DROP TRIGGER zhanghu_jizhang_insert; DROP TRIGGER zhanghu_jizhang_delete; DROP TRIGGER zhanghu_jizhang_update; "
        "DROP TRIGGER jizhang_duizhang_update; DROP TABLE zhanghu; DROP TABLE zhuanzhang; DROP TABLE zhuanzhang_bin; "
        "DROP TABLE jizhang_duizhang; DROP TABLE zhanghu_months; DROP TABLE zhanghu_months_stale; "
        "DROP INDEX jizhang_muluID_t3_data; PRAGMA user_version = 7"));
    t.data.close();
    QCOMPARE(balances(t.data, set), QStringList({"现金=-13", "银行卡=1030"}));
    QCOMPARE(count(t.data, "PRAGMA user_version"), Schema::Version);
    QCOMPARE(count(t.data, "select count(*) from zhanghu_months_stale"), 0);
    // A change or two are counted over the kept sums at each look.
    t.addEntry(set, "2021-02-20", "支出", "5", "餐饮", "", "现金");
    QCOMPARE(balances(t.data, set), QStringList({"现金=-18", "银行卡=1030"}));
    QCOMPARE(count(t.data, "select count(*) from zhanghu_months_stale"), 1);
    // A month of many entries would cost too much at every look: counted once and kept.
    t.data.exec("insert into jizhang (data, t1, t3, t5, muluID) select '2021-03-10', '支出', '现金', '0', ? from "
                "(with recursive n(v) as (select 1 union all select v + 1 from n where v < 10001) select v from n)",
                {set});
    QCOMPARE(count(t.data, "select count(*) from zhanghu_months_stale"), 2);
    QCOMPARE(balances(t.data, set), QStringList({"现金=-18", "银行卡=1030"}));
    QCOMPARE(count(t.data, "select count(*) from zhanghu_months_stale"), 0);
    // So would the dates of no month, which only a pass over the account's entries finds.
    t.addEntry(set, "someday", "支出", "2", "餐饮", "", "现金");
    QCOMPARE(balances(t.data, set), QStringList({"现金=-20", "银行卡=1030"}));
    QCOMPARE(count(t.data, "select count(*) from zhanghu_months_stale"), 0);

    // Sums that are stale in a file that cannot be written are counted from the rows.
    Transfers(t.data).addAll(monthly, set);
    t.data.close();
    ReadOnly file(t.folder.dataFile());
    if (!file.isEffective())
        QSKIP("this file system cannot make a file read-only for this user");
    QCOMPARE(balances(t.data, set), QStringList({"现金=10", "银行卡=1000"}));
    QCOMPARE(count(t.data, "select count(*) from zhanghu_months_stale"), 60);
}

void AccountDataTest::transfersInTheRecycleBin()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.defaultAccountSet();
    Transfers transfers(t.data);
    const qint64 id = transfers.add(transfer("2024-03-03", "银行卡", "现金", "1000", "2.5"), set);
    const qint64 meal = t.addEntry(set, "2024-03-04", "支出", "18", "餐饮", "", "现金");
    Accounts(t.data).reconcile(*Accounts(t.data).byName(set, "现金"), QDate(2024, 3, 31),
                               {entryRow(meal)});
    QVERIFY(transfers.discard(id));
    QVERIFY(Ledger(t.data).deleteEntry(meal));

    RecycleBinWindow bin(t.context);
    RecordList *list = bin.list();
    QCOMPARE(list->rowCount(), 2);  // the fee waits with its transfer, out of the list
    QCOMPARE(bin.findChild<QLabel *>("Label2")->text(), QStringLiteral("共：2 条记录"));
    selectRow(list, QStringLiteral("2024年03月03日"));
    QCOMPARE(list->cell(list->selectedRow(), 2), QStringLiteral("转账"));
    QCOMPARE(list->cell(list->selectedRow(), 5), QStringLiteral("银行卡→现金 1000"));
    QTest::mouseClick(bin.findChild<QPushButton *>("Command1"), Qt::LeftButton);
    QCOMPARE(t.prompt.lastText(), QStringLiteral("已还原 1 条记录。"));
    QCOMPARE(transfers.transfer(id)->fee, QStringLiteral("2.5"));
    QCOMPARE(list->rowCount(), 1);

    // Emptied, the bin takes the reconciled marks of the entries that go for good.
    t.prompt.answers << Prompt::Answer::Yes;
    QTest::mouseClick(bin.findChild<QPushButton *>("Command2"), Qt::LeftButton);
    QCOMPARE(list->rowCount(), 0);
    QCOMPARE(count(t.data, "select count(*) from jizhang_duizhang"), 0);
}

void AccountDataTest::accountsWindowAsksAndMoves()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.defaultAccountSet();
    t.addEntry(set, "2024-03-01", "收入", "500", "工资", "", "银行卡");
    t.addEntry(set, "2024-03-02", "支出", "20", "餐饮", "", "银行卡");
    AccountsWindow w(t.context);
    RecordList *list = w.list();

    // Closing an account whose balance is not 0 asks; kept open, nothing changes.
    selectRow(list, QStringLiteral("银行卡"));
    QCOMPARE(list->cell(list->selectedRow(), 5), QStringLiteral("480.00"));
    whenModal(
        [&](QDialog *d) {
            d->findChild<QCheckBox *>("Check2")->setChecked(true);
            t.prompt.answers << Prompt::Answer::No;
            QTest::mouseClick(d->findChild<QPushButton *>("Command1"), Qt::LeftButton);
        },
        true);
    QTest::mouseClick(w.findChild<QPushButton *>("Command2"), Qt::LeftButton);
    QCOMPARE(t.prompt.lastText(), QStringLiteral("账户“银行卡”的余额是 480.00 元，不是0。关闭后它不再出现在账户栏和选择列表中。"
                                                 "确实要关闭它吗？"));
    QVERIFY(!Accounts(t.data).byName(set, "银行卡")->closed);

    // Deleting it says how many entries it has and moves them where the user says.
    selectRow(list, QStringLiteral("银行卡"));
    t.prompt.answers << Prompt::Answer::Yes;
    whenModal(
        [&](QDialog *d) {
            auto *target = d->findChild<QComboBox *>("Combo1");
            QCOMPARE(target->count(), 1);
            target->setCurrentText(QStringLiteral("现金"));
            QTest::mouseClick(d->findChild<QPushButton *>("Command1"), Qt::LeftButton);
        },
        false);
    QTest::mouseClick(w.findChild<QPushButton *>("Command3"), Qt::LeftButton);
    QCOMPARE(t.prompt.texts().value(t.prompt.shown.size() - 2),
             QStringLiteral("账户“银行卡”还有 2 条记录（收支 2 条，转账 0 笔），不能删除。\r\n"
                            "要把这些记录移到另一个账户，再删除“银行卡”吗？"));
    QCOMPARE(t.prompt.lastText(), QStringLiteral("已把 2 条记录移到“现金”，账户“银行卡”已删除。"));
    QCOMPARE(list->rowCount(), 1);
    QCOMPARE(balances(t.data, set), QStringList({"现金=480"}));
}

void AccountDataTest::everyControlHasANameAndTheKeyboard()
{
    // Every control a user can reach in the accounts' windows is reached by Tab and has a
    // name a screen reader says (its own, or its label's).
    TestFolder t;
    t.loginAsAdmin();
    t.addEntry(t.defaultAccountSet(), "2024-03-10", "支出", "100", "取现", "", "银行卡");
    t.addEntry(t.defaultAccountSet(), "2024-03-10", "收入", "100", "取现", "", "现金");
    AccountsPane pane(t.context, nullptr);
    auto *rows = new QWidget;
    auto *rowsLayout = new QVBoxLayout(rows);
    rowsLayout->addWidget(pane.balancesWidget());
    rowsLayout->addWidget(pane.rowsWidget());
    EntryEditor transfer(t.context);
    transfer.startTransfer();
    std::vector<std::unique_ptr<QWidget>> windows;
    windows.emplace_back(rows);
    windows.emplace_back(new AccountsWindow(t.context));
    windows.emplace_back(new AccountDialog(t.context, nullptr, Accounts(t.data).byName(t.defaultAccountSet(), "现金")));
    windows.emplace_back(new ReconcileWindow(t.context, nullptr, QStringLiteral("银行卡")));
    windows.emplace_back(new TransferPairsWindow(t.context));
    for (QWidget *w : {rows, windows[1].get(), windows[2].get(), windows[3].get(), windows[4].get(),
                       static_cast<QWidget *>(&transfer)}) {
        w->show();
        QSet<QWidget *> chain;
        for (QWidget *next = w->nextInFocusChain(); next != w; next = next->nextInFocusChain())
            chain.insert(next);
        const QList<QWidget *> controls = w->findChildren<QWidget *>();
        for (QWidget *control : controls) {
            if (!control->isVisible() || !(control->focusPolicy() & Qt::TabFocus) || control->focusProxy() ||
                qobject_cast<QAbstractScrollArea *>(control->parentWidget()) || control->inherits("QHeaderView"))
                continue;
            const QString what = w->windowTitle() + u' ' + control->metaObject()->className() + u' ' + control->objectName();
            QVERIFY2(chain.contains(control), qPrintable(what + QStringLiteral(" is out of the Tab order")));
            QAccessibleInterface *face = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(face && !face->text(QAccessible::Name).trimmed().isEmpty(), qPrintable(what + QStringLiteral(" has no name")));
        }
        w->hide();
    }
}

TALLYRA_TEST(AccountDataTest)
#include "tst_account_data.moc"
