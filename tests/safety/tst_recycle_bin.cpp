// SPDX-License-Identifier: GPL-3.0-or-later
// The recycle bin: deleting moves entries there, 还原 brings them back with every field,
// 清空回收站 ends them; compaction and older files keep or gain the bin.
#include "accounts/accounts.h"
#include "app/main_window.h"
#include "core/dates.h"
#include "ledger/delete_all_dialog.h"
#include "ledger/entry_list.h"
#include "ledger/ledger.h"
#include "ledger/ledger_pane.h"
#include "ledger/recycle_bin.h"
#include "ledger/recycle_bin_window.h"
#include "maintenance/data_file_maintenance.h"
#include "reports/reports.h"
#include "store/schema.h"
#include "support/test_folder.h"
#include "ui/record_list.h"

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include "support/test_main.h"

namespace {

// Every field of every entry of an account set, in id order.
QStringList ledgerRows(DataFile &data, int set)
{
    QStringList rows;
    Statement st = data.query(
        QStringLiteral("select id, data, t1, t2, t3, t4, t5, content, muluID from jizhang where muluID=? order by id"),
        {set});
    while (st.step()) {
        QStringList cells;
        for (int c = 0; c < 9; ++c)
            cells << (st.isNull(c) ? QStringLiteral("<null>") : st.text(c));
        rows << cells.join(u'|');
    }
    return rows;
}

// What the kept sums say of an account set: each month's count and totals in the report,
// each account's balance, the list's count and totals (stale ones counted again first).
QStringList keptSums(DataFile &data, int set)
{
    QStringList sums;
    for (const PeriodLine &m : Reports(data).byMonth(set, {QDate(2008, 1, 1), QDate(2010, 12, 31)}).lines)
        sums << QStringLiteral("%1 %2 %3 %4").arg(m.days.from.toString()).arg(m.count).arg(m.income.plain(), m.expense.plain());
    for (const AccountBalance &b : Accounts(data).balances(set, QDate(2030, 1, 1)))
        sums << b.account.name + u' ' + b.balance().plain();
    EntryQuery all;
    all.accountSet = set;
    const LedgerTotals totals = EntryList(data, all).totals();
    sums << QStringLiteral("%1 %2 %3").arg(totals.count).arg(totals.income.plain(), totals.expense.plain());
    return sums;
}

qint64 count(DataFile &data, const QString &sql)
{
    Statement st = data.query(sql);
    return st.step() ? st.integer(0) : -1;
}

void select(RecordList *list, const QList<int> &rows)
{
    QItemSelectionModel *selection = list->detailsView()->selectionModel();
    selection->clearSelection();
    for (int row : rows)
        selection->select(list->model().index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

} // namespace

class RecycleBinTest : public QObject {
    Q_OBJECT
private slots:
    void deletedEntriesComeBackWithEveryField();
    void deleteAllMovesOnlyItsAccountSetInPieces();
    void binWindowListsRestoresAndEmpties();
    void compactionAndOlderFilesKeepTheBin();
};

void RecycleBinTest::deletedEntriesComeBackWithEveryField()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    // Texts with quotes and line breaks, an empty amount and NULL fields.
    const qint64 a = t.addEntry(set, "2008-03-05", "收入", "10.5", "工资", "it's\r\n第二行", "现金", "本人");
    const qint64 b = t.addEntry(set, "2009-12-31", "支出", "", "餐饮", "");
    t.data.exec(QStringLiteral("update jizhang set t3=NULL, t4=NULL where id=?"), {b});
    const qint64 c = t.addEntry(set, "2010-01-01", "支出", "3", "交通");
    const QStringList before = ledgerRows(t.data, set);

    Ledger ledger(t.data);
    RecycleBin bin(t.data);
    QVERIFY(ledger.deleteEntry(a));
    QVERIFY(ledger.deleteEntry(b));
    QVERIFY(!ledger.deleteEntry(b));  // gone already: nothing twice in the bin
    QCOMPARE(count(t.data, "select count(*) from jizhang"), 1);
    QCOMPARE(bin.count(set), 2);

    // Listed newest deletion first, with the columns of the bin.
    const BinPage page = bin.LoadData(set);
    QCOMPARE(page.count, 2);
    QCOMPARE(page.rows[0].cell(0).toString(), QStringLiteral("2009年12月31日"));
    QCOMPARE(page.rows[1].cell(2).toString(), QStringLiteral("工资"));
    QCOMPARE(page.rows[1].cell(3).toString(), QStringLiteral("10.5"));
    QCOMPARE(page.rows[1].cell(4).toString(), QString());
    QCOMPARE(page.rows[1].cell(5).toString(), QStringLiteral("it's"));
    QVERIFY(QDateTime::fromString(page.rows[1].cell(6).toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid());

    // Back with every field and their own ids, in the order of the lists.
    QList<qint64> ids;
    for (const RecordRow &row : page.rows)
        ids << row.cell(1).toLongLong();
    QCOMPARE(bin.restore(ids, set + 1), 0);  // another account set's bin holds none of them
    QCOMPARE(bin.restore(ids, set), 2);
    QCOMPARE(ledgerRows(t.data, set), before);
    QCOMPARE(bin.count(set), 0);

    // An id taken meanwhile (a file from elsewhere): the entry comes back under a new one.
    QVERIFY(ledger.deleteEntry(c));
    t.data.exec(QStringLiteral("insert into jizhang (id, data, t1, t5, muluID) values (?, '2011-01-01', '收入', '1', ?)"),
                {c, set});
    QCOMPARE(bin.restore({bin.LoadData(set).rows[0].cell(1).toLongLong()}, set), 1);
    QCOMPARE(count(t.data, "select count(*) from jizhang where t2='交通' and t5='3' and data='2010-01-01'"), 1);
    QCOMPARE(count(t.data, "select count(*) from jizhang"), 4);

    // A delete that fails leaves both tables as they were.
    t.data.database().execute(
        QStringLiteral("CREATE TRIGGER no_delete BEFORE DELETE ON jizhang BEGIN SELECT RAISE(ABORT, 'kept'); END;"));
    QVERIFY_THROWS_EXCEPTION(StoreError, ledger.deleteEntry(a));
    QCOMPARE(bin.count(set), 0);
    QCOMPARE(count(t.data, "select count(*) from jizhang"), 4);
}

void RecycleBinTest::deleteAllMovesOnlyItsAccountSetInPieces()
{
    TestFolder t;
    t.loginAsAdmin();
    const int home = t.session.CurrentAccountSetId;
    const int shop = t.addAccountSet(QStringLiteral("小店"));
    const int none = t.addAccountSet(QStringLiteral("空的"));
    {
        // The two account sets' entries interleaved over the days, more than two pieces of
        // the home's, and a few without a date.
        DataFile::Transaction transaction(t.data);
        for (int i = 0; i < 18000; ++i)
            t.addEntry(i % 3 ? home : shop, i % 1000 == 1 ? QString() : Dates::storedDate(QDate(2008, 1, 1).addDays(i / 7)),
                       i % 2 ? "收入" : "支出", QString::number(i), i % 2 ? "工资" : "餐饮", {},
                       i % 5 ? "现金" : "银行卡");
        transaction.commit();
    }
    const QStringList homeBefore = ledgerRows(t.data, home);
    const QStringList shopBefore = ledgerRows(t.data, shop);
    // Counted now, the sums are kept from here on: the move must mark what it changes.
    const QStringList homeSums = keptSums(t.data, home);
    const QStringList shopSums = keptSums(t.data, shop);
    // The triggers of jizhang stay as they were.
    auto triggers = [&] {
        QStringList sql;
        Statement st = t.data.query(
            QStringLiteral("select sql from sqlite_master where type='trigger' and tbl_name='jizhang' order by name"));
        while (st.step())
            sql << st.text(0);
        return sql;
    };
    const QStringList triggersBefore = triggers();
    int pieces = 0;
    t.data.setBetweenPieces([&] { ++pieces; });
    QList<int> progress;
    const int moved = RecycleBin(t.data).discardAll(home, QDateTime::currentDateTime(),
                                                    [&](int done, int total) {
                                                        QCOMPARE(total, 12000);
                                                        progress << done;
                                                    });
    t.data.setBetweenPieces({});
    QCOMPARE(moved, 12000);
    QVERIFY2(pieces >= 2, qPrintable(QString::number(pieces)));
    QVERIFY(std::is_sorted(progress.begin(), progress.end()));
    QCOMPARE(progress.last(), 12000);
    QCOMPARE(ledgerRows(t.data, home), QStringList());
    QCOMPARE(ledgerRows(t.data, shop), shopBefore);
    QCOMPARE(RecycleBin(t.data).count(home), 12000);
    QCOMPARE(RecycleBin(t.data).count(shop), 0);
    QCOMPARE(keptSums(t.data, home), keptSums(t.data, none));
    QCOMPARE(keptSums(t.data, shop), shopSums);
    QCOMPARE(triggers(), triggersBefore);

    // All of them back, exactly.
    QList<qint64> ids;
    for (const RecordRow &row : RecycleBin(t.data).LoadData(home).rows)
        ids << row.cell(1).toLongLong();
    QCOMPARE(RecycleBin(t.data).restore(ids, home), 12000);
    QCOMPARE(ledgerRows(t.data, home), homeBefore);
    QCOMPARE(keptSums(t.data, home), homeSums);

    // "删除全部" in the window now has somewhere to recover from; a small account set
    // goes in one piece.
    MainWindow w(t.context);
    DeleteAllDialog dialog(t.context, &w);
    dialog.findChild<QLineEdit *>("Text1")->setText(QStringLiteral("admin"));
    QTest::mouseClick(dialog.findChild<QPushButton *>("Command1"), Qt::LeftButton);
    QCOMPARE(t.prompt.lastText(), QStringLiteral("全部删除成功！如有重要数据，请使用恢复功能。"));
    QCOMPARE(RecycleBin(t.data).count(home), 12000);
    QCOMPARE(RecycleBin(t.data).discardAll(shop), 6000);
    QCOMPARE(count(t.data, "select count(*) from jizhang"), 0);

    // Emptied one account set after the other: the second finds only its own there.
    QCOMPARE(RecycleBin(t.data).empty(home), 12000);
    QCOMPARE(RecycleBin(t.data).count(shop), 6000);
    QCOMPARE(RecycleBin(t.data).empty(shop), 6000);
    QCOMPARE(count(t.data, "select count(*) from jizhang_bin"), 0);
}

void RecycleBinTest::binWindowListsRestoresAndEmpties()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    const int other = t.addAccountSet(QStringLiteral("别人"));
    t.addEntry(set, "2008-03-05", "收入", "10", "工资", "一");
    t.addEntry(set, "2008-04-06", "支出", "4", "餐饮", "二");
    t.addEntry(set, "2009-05-07", "支出", "7", "交通", "三");
    const qint64 theirs = t.addEntry(other, "2009-05-07", "支出", "99", "交通", "别人的");
    MainWindow w(t.context);
    LedgerPane &pane = *w.ledgerPane();
    QCOMPARE(w.panelText(3), QStringLiteral("共：3 条记录"));

    // Deleted through the window, two of them land in the bin; another set's stays apart.
    for (int i = 0; i < 2; ++i) {
        pane.entryList()->selectRow(0);
        t.prompt.answers << Prompt::Answer::Ok;
        w.commands().button(Command::DeleteEntry)->trigger();
    }
    QVERIFY(Ledger(t.data).deleteEntry(theirs));
    QCOMPARE(w.panelText(3), QStringLiteral("共：1 条记录"));

    // The menu item opens the bin over the main window. Nothing selected: said so; one
    // entry put back: the main window lists it again.
    QStringList seen;
    QString comesBack;
    QTimer::singleShot(0, [&] {
        auto *bin = qobject_cast<RecycleBinWindow *>(QApplication::activeModalWidget());
        if (!bin)
            return;
        RecordList *list = bin->list();
        seen << bin->windowTitle() << bin->findChild<QLabel *>("Label2")->text();
        for (const RecordColumn &column : list->model().columns())
            seen << column.title;
        QTest::mouseClick(bin->findChild<QPushButton *>("Command1"), Qt::LeftButton);
        seen << t.prompt.lastText();
        comesBack = list->cell(1, 5);
        select(list, {1});
        QTest::mouseClick(bin->findChild<QPushButton *>("Command1"), Qt::LeftButton);
        seen << t.prompt.lastText() << QString::number(list->rowCount());
        bin->close();
    });
    w.commands().action(Command::RecycleBin)->trigger();
    QCOMPARE(seen, (QStringList{"回收站", "共：2 条记录", "日  期", "id", "项目", "收入", "支出", "摘要", "删除时间",
                                "请选择记录！", "已还原 1 条记录。", "1"}));
    QCOMPARE(w.panelText(3), QStringLiteral("共：2 条记录"));
    QStringList summaries;
    for (int row = 0; row < pane.entryList()->rowCount(); ++row)
        summaries << pane.entryList()->cell(row, 7);
    QVERIFY2(summaries.contains(comesBack), qPrintable(summaries.join(u',') + u'/' + comesBack));

    RecycleBinWindow bin(t.context, &w);
    RecordList *list = bin.list();
    QCOMPARE(list->rowCount(), 1);

    // Emptying asks first (No is the default); Yes ends this set's bin only.
    t.prompt.reset();
    QTest::mouseClick(bin.findChild<QPushButton *>("Command2"), Qt::LeftButton);
    QCOMPARE(t.prompt.last().title, QStringLiteral("问题"));
    QCOMPARE(t.prompt.last().defaultAnswer, Prompt::Answer::No);
    QCOMPARE(list->rowCount(), 1);
    t.prompt.answers << Prompt::Answer::Yes;
    QTest::mouseClick(bin.findChild<QPushButton *>("Command2"), Qt::LeftButton);
    QCOMPARE(list->rowCount(), 0);
    QCOMPARE(RecycleBin(t.data).count(set), 0);
    QCOMPARE(RecycleBin(t.data).count(other), 1);
    QTest::mouseClick(bin.findChild<QPushButton *>("Command2"), Qt::LeftButton);
    QCOMPARE(t.prompt.lastText(), QStringLiteral("回收站中没有记录。"));
}

void RecycleBinTest::compactionAndOlderFilesKeepTheBin()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    for (int i = 0; i < 50; ++i)
        t.addEntry(set, "2008-03-05", "收入", QString::number(i));
    QCOMPARE(RecycleBin(t.data).discardAll(set), 50);
    DataFileMaintenance m(t.data, t.folder);
    QVERIFY(m.compactIntoScratch());
    m.replaceWithScratch();
    QCOMPARE(RecycleBin(t.data).count(set), 50);

    // A file of version 2 gains an empty bin the first time it is opened.
    t.data.database().execute(QStringLiteral("drop table jizhang_bin; PRAGMA user_version = 2"));
    t.data.close();
    QCOMPARE(RecycleBin(t.data).count(set), 0);
    QCOMPARE(count(t.data, "PRAGMA user_version"), Schema::Version);
    // The step can run again on a file that has it.
    Schema::migrate(t.data.database(), 2);
    QCOMPARE(count(t.data, "select count(*) from sqlite_master where name='jizhang_bin_muluID'"), 1);
}

TALLYRA_TEST(RecycleBinTest)
#include "tst_recycle_bin.moc"
