// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "core/dates.h"
#include "fileimport/batch_import.h"
#include "ledger/delete_all_dialog.h"
#include "ledger/entry_editor.h"
#include "ledger/ledger_list_model.h"
#include "ledger/ledger_pane.h"
#include "support/test_folder.h"
#include "ui/record_list.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

#include "support/modal.h"
#include "support/test_main.h"

namespace {

template <typename T> T *child(QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qWarning("no control %s", name);
    return found;
}

void click(QObject *parent, const char *button) { QTest::mouseClick(child<QPushButton>(parent, button), Qt::LeftButton); }

void choose(QObject *parent, const char *combo, const QString &text)
{
    QComboBox *box = child<QComboBox>(parent, combo);
    box->setCurrentIndex(box->findText(text));
}

qint64 count(DataFile &data, const QString &sql, const QVariantList &values = {})
{
    Statement st = data.query(sql, values);
    return st.step() ? st.integer(0) : -1;
}

QStringList panels(const MainWindow &w)
{
    return {w.panelText(3), w.panelText(4), w.panelText(5), w.panelText(6)};
}

QStringList rowCells(RecordList *list, int row)
{
    QStringList cells;
    for (int c = 0; c < 8; ++c)
        cells << list->cell(row, c);
    return cells;
}

void doubleClickRow(RecordList *list, int row)
{
    QTableView *view = list->detailsView();
    list->selectRow(row);
    const QRect rect = view->visualRect(list->shownModel()->index(row, 2));
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, rect.center());
}

} // namespace

class EntryWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void addingFromTheMainWindow();
    void amountMustBeANumber();
    void modifyingUpdatesTheListItCameFrom();
    void deletingTheSelectedEntry();
    void deletingAllAfterThePassword();
    void searchPanel();
    void financeSummaryWindow();
    void batchImportWindow();
    void failedWritesAreReported();
    void keyboardAndQuickFilter();
};

void EntryWindowsTest::addingFromTheMainWindow()
{
    TestFolder t;
    t.loginAsAdmin();
    t.addEntry(t.session.CurrentAccountSetId, "2008-03-05", "支出", "1");
    MainWindow w(t.context);
    LedgerPane &pane = *w.ledgerPane();
    w.show();

    QString title, button, hint, itemText, amount;
    QStringList kinds, items;
    whenModal([&](QDialog *d) {
        title = d->objectName() + u' ' + d->windowTitle();
        button = child<QPushButton>(d, "Command1")->text();
        hint = child<QComboBox>(d, "Combo2")->currentText();
        QComboBox *kind = child<QComboBox>(d, "Combo1");
        for (int i = 0; i < kind->count(); ++i)
            kinds << kind->itemText(i);
        choose(d, "Combo1", "收入");
        QComboBox *item = child<QComboBox>(d, "Combo2");
        for (int i = 0; i < item->count(); ++i)
            items << item->itemText(i);
        itemText = item->currentText();
        item->setCurrentIndex(1);
        choose(d, "Combo3", "银行卡");
        child<QDateEdit>(d, "DTPicker1")->setDate(QDate(2031, 7, 4));
        QLineEdit *text1 = child<QLineEdit>(d, "Text1");
        QTest::keyClicks(text1, "12.5.3a ");
        QTest::keyClick(text1, Qt::Key_Return);
        amount = text1->text();
        child<QPlainTextEdit>(d, "Text2")->setPlainText("奖金\n第二行");
        qint64 now = 0;
        static_cast<EntryEditor *>(d)->setClock([&] { return now; });
        click(d, "Command1");
        now += EntryEditor::RepeatMs;
        click(d, "Command1");  // a second, identical entry, pressed again later
    });
    w.commands().button(Command::AddEntry)->trigger();

    QCOMPARE(title, QStringLiteral("Form6 添加记帐数据"));
    QCOMPARE(button, QStringLiteral("添  加"));
    QCOMPARE(hint, QStringLiteral("请选择上一栏类别↑"));
    QCOMPARE(kinds, (QStringList{"收入", "支出", "转账"}));
    QCOMPARE(items, (QStringList{"工资", "奖金"}));
    QCOMPARE(itemText, QString());
    QCOMPARE(amount, QStringLiteral("12.53"));
    QVERIFY(t.prompt.shown.isEmpty());

    // Listed at once under the node last clicked ("全部记录"), and the new month is in the tree.
    QVERIFY(pane.treeNode("2031_7_"));
    QCOMPARE(pane.entryList()->rowCount(), 3);
    QCOMPARE(rowCells(pane.entryList(), 0).mid(2),
             (QStringList{"奖金", "12.53", "", "银行卡", "", "奖金"}));
    QCOMPARE(pane.entryList()->cell(0, 0), QStringLiteral("2031年07月04日"));
    QCOMPARE(count(t.data, "select count(*) from jizhang where t5='12.53' and content=? and muluID=?",
                   {"奖金\r\n第二行", t.session.CurrentAccountSetId}),
             qint64(2));
}

void EntryWindowsTest::amountMustBeANumber()
{
    TestFolder t;
    t.loginAsAdmin();
    EntryEditor e(t.context);
    QSignalSpy added(&e, &EntryEditor::added);
    click(&e, "Command1");
    QCOMPARE(t.prompt.lastText(), QStringLiteral("请选择类别以及金额，带*号是必填项！"));
    QCOMPARE(t.prompt.last().title, QStringLiteral("提示"));
    choose(&e, "Combo1", "支出");
    click(&e, "Command1");
    QCOMPARE(t.prompt.shown.size(), 2);
    QCOMPARE(t.prompt.lastText(), QStringLiteral("请选择类别以及金额，带*号是必填项！"));

    // Pasted text passes the key filter, but only numbers are saved.
    QLineEdit *amount = child<QLineEdit>(&e, "Text1");
    for (const char *bad : {"12-3", "-", ".", "1.2.3", " ", "1e", "inf"}) {
        t.prompt.reset();
        amount->setText(QString::fromLatin1(bad));
        click(&e, "Command1");
        QCOMPARE(t.prompt.shown.size(), 1);
        QCOMPARE(t.prompt.last().title, QStringLiteral("提示"));
        QVERIFY2(t.prompt.lastText().contains(QStringLiteral("数字")), bad);
    }
    QCOMPARE(count(t.data, "select count(*) from jizhang"), qint64(0));
    QCOMPARE(added.count(), 0);

    t.prompt.reset();
    child<QComboBox>(&e, "Combo2")->setEditText("自定义'项");
    choose(&e, "Combo4", "本人");
    amount->setText("-3");
    click(&e, "Command1");
    QVERIFY(t.prompt.shown.isEmpty());
    QCOMPARE(added.count(), 1);
    Statement st = t.data.query("select t1, t2, t3, t4, t5, muluID from jizhang");
    QVERIFY(st.step());
    QCOMPARE((QStringList{st.text(0), st.text(1), st.text(2), st.text(3), st.text(4)}),
             (QStringList{"支出", "自定义'项", "", "本人", "-3"}));
    QCOMPARE(int(st.integer(5)), t.session.CurrentAccountSetId);
}

void EntryWindowsTest::modifyingUpdatesTheListItCameFrom()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    const qint64 income = t.addEntry(set, "2008-03-05", "收入", "10", "工资", "三月\r\n二", "现金", "本人");
    const qint64 expense = t.addEntry(set, "2008-03-04", "支出", "30.5", "餐饮", "午饭", "银行卡", "本人");
    MainWindow w(t.context);
    LedgerPane &pane = *w.ledgerPane();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QStringList before = panels(w);

    QStringList loaded;
    QString itemAfterKind;
    whenModal([&](QDialog *d) {
        loaded << d->windowTitle() << child<QPushButton>(d, "Command1")->text()
               << child<QDateEdit>(d, "DTPicker1")->date().toString("yyyy-MM-dd")
               << child<QComboBox>(d, "Combo1")->currentText() << child<QComboBox>(d, "Combo2")->currentText()
               << child<QComboBox>(d, "Combo3")->currentText() << child<QComboBox>(d, "Combo4")->currentText()
               << child<QLineEdit>(d, "Text1")->text() << child<QPlainTextEdit>(d, "Text2")->toPlainText();
        choose(d, "Combo1", "支出");
        itemAfterKind = child<QComboBox>(d, "Combo2")->currentText();
        child<QLineEdit>(d, "Text1")->setText("11");
        click(d, "Command1");
    });
    pane.entryList()->selectRow(0);
    w.commands().action(Command::ModifyEntry)->trigger();
    QCOMPARE(loaded, (QStringList{"修改记帐数据", "修改", "2008-03-05", "收入", "工资", "现金", "本人", "10", "三月\n二"}));
    QCOMPARE(t.session.EditEntryId, income);
    QCOMPARE(itemAfterKind, QStringLiteral("工资"));
    QCOMPARE(rowCells(pane.entryList(), 0),
             (QStringList{"2008年03月05日", QString::number(income), "工资", "", "11", "现金", "本人", "三月\n二"}));
    QCOMPARE(panels(w), before);  // totals follow at the next refresh
    QCOMPARE(count(t.data, "select count(*) from jizhang where id=? and t1='支出' and t5='11' and muluID=?",
                   {income, set}),
             qint64(1));

    // From the search results: that list's row changes, the entry list's does not.
    pane.showTab(1);
    child<QCheckBox>(&w, "Check3")->setChecked(true);
    click(&w, "Command1");
    QCOMPARE(pane.searchList()->rowCount(), 2);
    QCOMPARE(pane.searchList()->cell(0, 1), QString::number(expense));
    whenModal([&](QDialog *d) {
        child<QLineEdit>(d, "Text1")->setText("31");
        click(d, "Command1");
    });
    doubleClickRow(pane.searchList(), 0);
    QCOMPARE(pane.searchList()->cell(0, 4), QStringLiteral("31"));
    QCOMPARE(pane.entryList()->cell(1, 4), QStringLiteral("30.5"));

    // A search result whose entry was deleted since does not open an empty editor.
    t.data.exec("delete from jizhang where id=?", {expense});
    bool opened = false;
    QTimer::singleShot(0, [&opened] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            opened = true;
            dialog->reject();
        }
    });
    t.prompt.reset();
    doubleClickRow(pane.searchList(), 0);
    QCoreApplication::processEvents();
    QVERIFY(!opened);
    QCOMPARE(t.prompt.lastText(), QStringLiteral("这条记录已经不存在！"));

    // The editor takes the days 1900 to 2099 only; an entry dated outside them (by another
    // program) keeps its date unless the user agrees to the one the editor shows.
    const qint64 far = t.addEntry(set, "9999-12-05", "支出", "1");
    EntryEditor editor(t.context);
    QDateEdit *date = child<QDateEdit>(&editor, "DTPicker1");
    QCOMPARE(date->minimumDate(), QDate(1900, 1, 1));
    QCOMPARE(date->maximumDate(), QDate(2099, 12, 31));
    QVERIFY(editor.openForModifying(far));
    t.prompt.reset();
    editor.save();
    QVERIFY(t.prompt.lastText().contains(QStringLiteral("“9999-12-05”不是1900-01-01至2099-12-31之间的日期")));
    QCOMPARE(count(t.data, "select count(*) from jizhang where id=? and data='9999-12-05'", {far}), qint64(1));
    t.prompt.answers << Prompt::Answer::Yes;
    editor.save();
    QCOMPARE(count(t.data, "select count(*) from jizhang where id=? and data=?", {far, Dates::storedDate(date->date())}),
             qint64(1));
}

void EntryWindowsTest::deletingTheSelectedEntry()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    t.addEntry(set, "2008-03-05", "收入", "10");
    t.addEntry(set, "2008-04-04", "支出", "30.5");
    MainWindow w(t.context);
    LedgerPane &pane = *w.ledgerPane();
    w.show();

    w.commands().button(Command::DeleteEntry)->trigger();
    QCOMPARE(t.prompt.lastText(), QStringLiteral("请选择记录！"));

    t.prompt.reset();
    pane.entryList()->selectRow(0);  // the expense, newest first
    t.prompt.answers << Prompt::Answer::Cancel;
    w.commands().action(Command::DeleteEntry)->trigger();
    QCOMPARE(t.prompt.last().text, QStringLiteral("确定删除选定的信息吗?"));
    QCOMPARE(t.prompt.last().title, QStringLiteral("提示"));
    QCOMPARE(t.prompt.last().icon, Prompt::Icon::Question);
    QCOMPARE(t.prompt.last().buttons, Prompt::Buttons::OkCancel);
    QCOMPARE(pane.entryList()->rowCount(), 2);
    QCOMPARE(count(t.data, "select count(*) from jizhang"), qint64(2));

    // On the search tab the search result selected there is what goes, from both lists;
    // the entry list's selection does not count there.
    pane.showTab(1);
    w.commands().button(Command::DeleteEntry)->trigger();
    QCOMPARE(t.prompt.lastText(), QStringLiteral("请选择记录！"));
    w.findChild<QCheckBox *>("Check1")->setChecked(true);
    w.findChild<QDateEdit *>("DTPicker1")->setDate(QDate(2008, 4, 1));
    w.findChild<QDateEdit *>("DTPicker2")->setDate(QDate(2008, 4, 30));
    pane.Search();
    QCOMPARE(pane.searchList()->rowCount(), 1);
    pane.searchList()->selectRow(0);
    t.prompt.answers << Prompt::Answer::Ok;
    w.commands().button(Command::DeleteEntry)->trigger();
    QCOMPARE(pane.searchList()->rowCount(), 0);
    QCOMPARE(count(t.data, "select count(*) from jizhang where t1='支出'"), qint64(0));
    QCOMPARE(panels(w), (QStringList{"共：0 条记录", "收入：0.000 元", "支出：0.000 元", "收支结余：0.000 元"}));
    // Each tab shows its own list's count and totals; the entry list, which showed the
    // entry too, was read again.
    pane.showTab(0);
    QCOMPARE(pane.entryList()->rowCount(), 1);
    QCOMPARE(panels(w), (QStringList{"共：1 条记录", "收入：10 元", "支出：0 元", "收支结余：10.000 元"}));
    QVERIFY(pane.treeNode("2008_4_"));  // the tree waits for the next refresh
}

void EntryWindowsTest::deletingAllAfterThePassword()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    const int other = t.addAccountSet("别人");
    t.addEntry(set, "2008-03-05", "收入", "10");
    t.addEntry(other, "2008-03-05", "收入", "20");
    MainWindow w(t.context);
    w.show();

    QStringList seen;
    QString left;
    whenModal([&](QDialog *d) {
        seen << d->objectName() << d->windowTitle() << child<QLabel>(d, "Label1")->text()
             << child<QLabel>(d, "Label2")->text() << child<QPushButton>(d, "Command1")->text();
        QLineEdit *password = child<QLineEdit>(d, "Text1");
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        password->setText("wrong");
        click(d, "Command1");
        left = password->text();
        seen << QString::number(count(t.data, "select count(*) from jizhang"));
        password->setText("admin");
        click(d, "Command1");
        seen << QString::number(d->isVisible());
    });
    w.commands().action(Command::DeleteAll)->trigger();
    QCOMPARE(seen, (QStringList{"Form3", "帐户密码", "确认当前用户密码：", "注：数据删除不可恢复，除非有备份数据。", "确认",
                                "2", "1"}));
    QCOMPARE(left, QStringLiteral("wrong"));
    QCOMPARE(t.prompt.texts(), (QStringList{"密码错误，请重新输入。", "全部删除成功！如有重要数据，请使用恢复功能。"}));
    QCOMPARE(t.prompt.last().title, QStringLiteral("信息"));

    QCOMPARE(w.ledgerPane()->entryList()->rowCount(), 0);
    QCOMPARE(w.ledgerPane()->tree()->topLevelItemCount(), 1);
    QCOMPARE(panels(w), (QStringList{"共：0 条记录", "收入：0 元", "支出：0 元", "收支结余：0.000 元"}));
    QCOMPARE(w.panelText(2), QStringLiteral("当前：全部记录"));
    QCOMPARE(count(t.data, "select count(*) from jizhang where muluID=?", {other}), qint64(1));
}

void EntryWindowsTest::searchPanel()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    t.addEntry(set, "2008-12-01", "收入", "10", "工资");
    t.addEntry(set, "2008-12-31", "收入", "2.5", "工资");
    t.addEntry(set, "2008-12-15", "支出", "4", "工资");
    t.addEntry(set, "2009-01-01", "支出", "100", "餐饮");
    MainWindow w(t.context);
    LedgerPane &pane = *w.ledgerPane();
    w.show();
    pane.showTab(1);
    const QStringList loaded = panels(w);

    click(&w, "Command1");
    QCOMPARE(t.prompt.lastText(), QStringLiteral("你总得选择一个统计项目吧！"));
    QCOMPARE(t.prompt.last().title, QStringLiteral("提示"));
    QCOMPARE(panels(w), loaded);

    child<QCheckBox>(&w, "Check1")->setChecked(true);
    child<QDateEdit>(&w, "DTPicker1")->setDate(QDate(2008, 12, 1));
    child<QDateEdit>(&w, "DTPicker2")->setDate(QDate(2008, 12, 31));
    child<QCheckBox>(&w, "Check4")->setChecked(true);
    choose(&w, "Combo2", "工资");
    click(&w, "Command1");
    QCOMPARE(pane.searchList()->rowCount(), 3);
    QCOMPARE(panels(w), (QStringList{"共：3 条记录", "收入：12.500 元", "支出：4.000 元", "收支结余：8.500 元"}));
    QCOMPARE(w.panelText(1), QStringLiteral("用户：admin"));
    QCOMPARE(w.panelText(2), QStringLiteral("当前：全部记录"));
    QCOMPARE(pane.entryList()->rowCount(), 4);

    child<QCheckBox>(&w, "Check5")->setChecked(true);
    choose(&w, "Combo3", "餐饮");
    click(&w, "Command1");
    QCOMPARE(pane.searchList()->rowCount(), 0);
    QCOMPARE(panels(w), (QStringList{"共：0 条记录", "收入：0.000 元", "支出：0.000 元", "收支结余：0.000 元"}));
}

void EntryWindowsTest::financeSummaryWindow()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    t.addEntry(set, "2008-03-05", "收入", "10");
    t.addEntry(set, "2009-03-05", "收入", "2.5");
    t.addEntry(set, "2008-03-05", "支出", "4");
    MainWindow w(t.context);
    QStringList seen;
    whenModal([&](QDialog *d) {
        seen << d->objectName() << d->windowTitle();
        for (QGroupBox *box : d->findChildren<QGroupBox *>())
            seen << box->title();
        for (const char *label : {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label7", "Label8"})
            seen << child<QLabel>(d, label)->text();
    });
    w.commands().action(Command::FinanceSummary)->trigger();
    QCOMPARE(seen, (QStringList{"FinanceSummary", "帐务统计", "收入情况", "支出情况", "总计", "共计：2 条", "收入金额：",
                                "12.5", "共计：1 条", "支出金额：", "4", "现有金额：", "8.5RMB"}));
}

void EntryWindowsTest::batchImportWindow()
{
    TestFolder t;
    t.loginAsAdmin();
    MainWindow w(t.context);
    w.show();
    QGuiApplication::clipboard()->setText("2008-3-5\t工资\t10\t\t现金\t本人\t一\r\n"
                                          "2008/3/6\t餐饮\t\t4\t现金\t本人\t二\r\n"
                                          "2008.3.7\t交通\t\t1,500\t现金\t本人\t三\r\n");
    QStringList seen;
    QList<int> numbers;
    whenModal([&](QDialog *d) {
        seen << d->objectName() << d->windowTitle() << child<QGroupBox>(d, "Frame1")->title()
             << child<QLabel>(d, "Label1")->text() << child<QLabel>(d, "Label2")->text();
        auto *import = static_cast<BatchImport *>(d);
        RecordList *list = child<RecordList>(d, "ListView1");
        click(d, "Command1");
        click(d, "Command1");  // pasting again replaces
        seen << QString::number(list->rowCount()) << list->cell(1, 1);
        click(d, "Command2");  // nothing selected: nothing happens
        list->selectRow(1);
        click(d, "Command2");
        for (const ImportRow &row : import->rows())
            numbers << row.number;
        click(d, "Command4");
    });
    w.commands().button(Command::Import)->trigger();
    QCOMPARE(seen, (QStringList{"BatchImport", "批量导入财务数据", "财务批量导入",
                                "请在电子表格中建好以下表格，然后复制表格中的数据",
                                "除下表中的No列以外，按[导入]按钮即可。", "3", "2008-03-06"}));
    QCOMPARE(numbers, (QList<int>{1, 3}));
    QCOMPARE(t.prompt.last().title, QStringLiteral("恭喜"));
    QCOMPARE(t.prompt.lastText(), QStringLiteral("批量导入财务数据成功！共导入 2 条记录。"));
    QCOMPARE(count(t.data, "select count(*) from jizhang where muluID=?", {t.session.CurrentAccountSetId}), qint64(2));
    QCOMPARE(count(t.data, "select count(*) from jizhang where t5='1500' and t1='支出'"), qint64(1));
    QCOMPARE(w.ledgerPane()->entryList()->rowCount(), 0);  // shown after the next refresh

    // Bad rows are named; an empty list stores nothing.
    t.prompt.reset();
    BatchImport import(t.context);
    import.paste("2008-3-5\t工资\t10\r\n2008-13-1\t工资\t10\r\n2008-3-5\t工资\t1O\r\n\r\n");
    QCOMPARE(import.list()->rowCount(), 4);
    click(&import, "Command4");
    QCOMPARE(t.prompt.last().title, QStringLiteral("信息"));
    QCOMPARE(t.prompt.lastText(), QStringLiteral("共导入 1 条记录，跳过 2 条（日期无效 1 条，金额不是数字 1 条）。\r\n"
                                                 "日期无效或不在1900-01-01至2099-12-31之间，"
                                                 "没有导入的行（No.）：2\r\n金额不是数字，没有导入的行（No.）：3"));
    click(&import, "Command3");
    QCOMPARE(import.list()->rowCount(), 0);
    click(&import, "Command4");
    QCOMPARE(t.prompt.lastText(), QStringLiteral("导入数据为空！导入失败！"));
    QCOMPARE(count(t.data, "select count(*) from jizhang"), qint64(3));
}

void EntryWindowsTest::failedWritesAreReported()
{
    TestFolder t;
    t.loginAsAdmin();
    t.addEntry(t.session.CurrentAccountSetId, "2008-03-05", "收入", "10");
    MainWindow w(t.context);
    LedgerPane &pane = *w.ledgerPane();
    t.data.database().execute("CREATE TRIGGER no_insert BEFORE INSERT ON jizhang BEGIN SELECT RAISE(ABORT, 'full'); END;"
                              "CREATE TRIGGER no_delete BEFORE DELETE ON jizhang BEGIN SELECT RAISE(ABORT, 'locked'); END;"
                              "CREATE TRIGGER no_update BEFORE UPDATE ON jizhang BEGIN SELECT RAISE(ABORT, 'locked'); END;");

    EntryEditor add(t.context);
    QSignalSpy added(&add, &EntryEditor::added);
    choose(&add, "Combo1", "收入");
    child<QLineEdit>(&add, "Text1")->setText("5");
    click(&add, "Command1");
    QCOMPARE(t.prompt.last().title, QStringLiteral("错误"));
    QVERIFY(t.prompt.lastText().startsWith(QStringLiteral("发现错误：\r\nfull")));
    QCOMPARE(added.count(), 0);

    t.prompt.reset();
    EntryEditor modify(t.context);
    QSignalSpy modified(&modify, &EntryEditor::modified);
    modify.openForModifying(pane.entryList()->cell(0, 1).toLongLong());
    click(&modify, "Command1");
    QCOMPARE(t.prompt.last().title, QStringLiteral("错误"));
    QCOMPARE(modified.count(), 0);

    // A delete that fails keeps the row and the panels.
    t.prompt.reset();
    pane.entryList()->selectRow(0);
    t.prompt.answers << Prompt::Answer::Ok;
    pane.del();
    QCOMPARE(t.prompt.last().title, QStringLiteral("错误"));
    QCOMPARE(pane.entryList()->rowCount(), 1);
    QCOMPARE(w.panelText(4), QStringLiteral("收入：10 元"));

    t.prompt.reset();
    BatchImport import(t.context);
    import.paste("2008-3-5\t工资\t10\r\n");
    click(&import, "Command4");
    QCOMPARE(t.prompt.shown.size(), 1);
    QCOMPARE(t.prompt.last().title, QStringLiteral("错误"));
    QCOMPARE(count(t.data, "select count(*) from jizhang"), qint64(1));
}

void EntryWindowsTest::keyboardAndQuickFilter()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    t.addEntry(set, "2008-03-05", "收入", "10", "工资", "年终 ATM");
    t.addEntry(set, "2008-03-06", "支出", "30.5", "餐饮", "午饭");
    t.addEntry(set, "2008-04-01", "支出", "2", "交通", "100% 'x'");
    MainWindow w(t.context);
    LedgerPane &pane = *w.ledgerPane();
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));

    // The menus show the shortcuts.
    const std::pair<Command, QKeySequence> shortcuts[] = {
        {Command::AddEntry, QKeySequence(Qt::CTRL | Qt::Key_N)}, {Command::DeleteEntry, QKeySequence(Qt::Key_Delete)},
        {Command::Refresh, QKeySequence(Qt::Key_F5)},            {Command::Import, QKeySequence(Qt::CTRL | Qt::Key_I)},
        {Command::Backup, QKeySequence(Qt::CTRL | Qt::Key_B)},   {Command::Exit, QKeySequence(Qt::CTRL | Qt::Key_Q)}};
    for (const auto &[command, keys] : shortcuts)
        QCOMPARE(w.commands().action(command)->shortcut(), keys);

    QString opened;
    whenModal([&](QDialog *d) { opened = d->windowTitle(); });
    QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier);
    QTRY_COMPARE(opened, QStringLiteral("添加记帐数据"));

    // Enter opens the selected row, Delete asks before deleting it.
    QTableView *rows = pane.entryList()->detailsView();
    rows->setFocus();
    pane.entryList()->selectRow(1);
    opened.clear();
    whenModal([&](QDialog *d) { opened = d->windowTitle(); });
    QTest::keyClick(rows, Qt::Key_Return);
    QTRY_COMPARE(opened, QStringLiteral("修改记帐数据"));
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    t.prompt.answers << Prompt::Answer::Cancel;
    QTest::keyClick(rows, Qt::Key_Delete);
    QCOMPARE(t.prompt.lastText(), QStringLiteral("确定删除选定的信息吗?"));

    // The tree follows the keyboard: the node moved to is listed.
    pane.tree()->setFocus();
    pane.tree()->setCurrentItem(pane.treeNode("0_"));
    QTest::keyClick(pane.tree(), Qt::Key_Down);
    QCOMPARE(w.panelText(2), QStringLiteral("当前：2008年"));
    QCOMPARE(pane.entryList()->rowCount(), 3);

    // Ctrl+F goes to the filter. Typing narrows the list after a pause, over every text
    // column, letters without regard to case, "%" and quotes as typed; Esc clears it.
    QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(pane.filterField()->hasFocus());
    QTest::keyClicks(pane.filterField(), "atm");
    QTRY_COMPARE(pane.entryList()->rowCount(), 1);
    QTRY_VERIFY(pane.entries()->isComplete());
    QCOMPARE(panels(w), (QStringList{"共：1 条记录", "收入：10 元", "支出：0 元", "收支结余：10.000 元"}));
    for (const char *text : {"%", "'x'", "餐饮"}) {
        pane.filterField()->setText(QString::fromUtf8(text));
        QTRY_COMPARE(pane.entryList()->rowCount(), 1);
    }
    pane.filterField()->setText("no such text");
    QTRY_COMPARE(pane.entryList()->rowCount(), 0);
    QTest::keyClick(pane.filterField(), Qt::Key_Escape);
    QVERIFY(pane.filterField()->text().isEmpty());
    QCOMPARE(pane.entryList()->rowCount(), 3);
    QCOMPARE(w.panelText(3), QStringLiteral("共：3 条记录"));
}

TALLYRA_TEST(EntryWindowsTest)
#include "tst_entry_windows.moc"
