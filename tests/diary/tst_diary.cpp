// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "diary/diary.h"
#include "diary/diary_window.h"
#include "info/product.h"
#include "support/test_folder.h"
#include "ui/record_list.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest>

#include "support/test_main.h"
#include "support/tree_helpers.h"

namespace {

qint64 addEntry(TestFolder &t, int set, const QString &time, const QString &title, const QString &body = QString(),
                const QString &res = QStringLiteral("3"))
{
    return t.data.insert("insert into Tables (types, Title, dates, res, muluID) values (?, ?, ?, ?, ?)",
                         {title, body, time, res, set});
}

QStringList column(const std::vector<RecordRow> &rows, int c)
{
    QStringList cells;
    for (const RecordRow &row : rows)
        cells << row.cell(c).toString();
    return cells;
}

QStringList listColumn(DiaryWindow &w, int c)
{
    QStringList cells;
    for (int row = 0; row < w.list()->rowCount(); ++row)
        cells << w.list()->cell(row, c);
    return cells;
}

// "2024年:05月,04月" for each year, "全部记录" first.
QStringList treeCaptions(const std::vector<DiaryYear> &years)
{
    QStringList result;
    for (const DiaryYear &y : years) {
        QStringList months;
        for (const QString &m : y.months)
            months << Diary::monthCaption(m);
        result << Diary::yearCaption(y.year) + u':' + months.join(u',');
    }
    return result;
}

void click(DiaryWindow &w, const QString &key)
{
    QTreeWidgetItem *item = w.treeNode(key);
    QVERIFY2(item, qPrintable(key));
    clickTreeItem(w.tree(), item);
}

QLineEdit *line(QWidget &w, const QString &name) { return w.findChild<QLineEdit *>(name); }
QPlainTextEdit *body(QWidget &w) { return w.findChild<QPlainTextEdit *>("Text1_2"); }
void press(QWidget &w, const QString &name) { QTest::mouseClick(w.findChild<QPushButton *>(name), Qt::LeftButton); }

} // namespace

class DiaryTest : public QObject {
    Q_OBJECT
private slots:
    void monthsAndYearsNeverMatchAnotherPeriod();
    void treeSkipsTimesThatAreNotDates();
    void rowsShowTitleBodyAndDate();
    void otherAccountSetsAndClassesAreOutOfReach();
    void textsStoredAsTyped();

    void windowAsDesigned();
    void writeChangeMoveAndDelete();
    void modifyAndDeleteNeedAnEntry();
    void treeAndListFollowTheKeyboard();
    void failedWritesAreReported();
    void mainWindowOpensBothTools();
};

void DiaryTest::monthsAndYearsNeverMatchAnotherPeriod()
{
    TestFolder t;
    const int set = t.defaultAccountSet();
    for (const char *time : {"2024-01-05 08:00:00", "2024-11-05 09:00:00", "2024-10-01 10:00:00",
                             "2023-12-31 20:24:00", "2024-12-31 23:59:59", "2024-1-7 10:00:00", "12024-01-01"})
        addEntry(t, set, QString::fromLatin1(time), QString::fromLatin1(time));
    Diary diary(t.data);
    QCOMPARE(column(diary.LoadData("2024_01_", set), 0), (QStringList{"2024-01-05 08:00:00"}));
    QCOMPARE(column(diary.LoadData("2024_11_", set), 0), (QStringList{"2024-11-05 09:00:00"}));
    QCOMPARE(column(diary.LoadData("2024_12_", set), 0), (QStringList{"2024-12-31 23:59:59"}));
    // A year lists exactly the entries of its months: not a 2023 entry written at 20:24.
    QCOMPARE(column(diary.LoadData("2024_", set), 0),
             (QStringList{"2024-12-31 23:59:59", "2024-10-01 10:00:00", "2024-11-05 09:00:00", "2024-01-05 08:00:00"}));
    QCOMPARE(column(diary.LoadData("2023_", set), 0), (QStringList{"2023-12-31 20:24:00"}));
    // Keys the tree never makes list nothing.
    for (const char *key : {"2024_1_", "2024_13_", "2024_00_", "24_", "garbage", ""})
        QVERIFY2(diary.LoadData(QString::fromLatin1(key), set).empty(), key);
    QCOMPARE(diary.LoadData("0_", set).size(), size_t(7));
}

void DiaryTest::treeSkipsTimesThatAreNotDates()
{
    TestFolder t;
    const int set = t.defaultAccountSet();
    // Entered in this order; the tree follows the newest entries first.
    addEntry(t, set, "2023-03-01 10:00:00", "a");
    addEntry(t, set, "2024-05-06 10:00:00", "b");
    addEntry(t, set, "昨天晚上", "c");
    addEntry(t, set, "", "d");
    addEntry(t, set, "2024-13-01 10:00:00", "e");
    addEntry(t, set, "2024/07/01", "f");
    addEntry(t, set, "2024-4", "g");
    addEntry(t, set, "2023-12-24 20:00:00", "h");
    addEntry(t, set, "2024-04-01 09:00:00", "i");
    addEntry(t, set, "2024-05-", "j");
    t.data.insert("insert into Tables (types, res, muluID) values ('k', '3', ?)", {set});  // no time at all

    Diary diary(t.data);
    QCOMPARE(treeCaptions(diary.tree(set)), (QStringList{"2024年:05月,04月", "2023年:12月,03月"}));
    QCOMPARE(column(diary.LoadData("2024_05_", set), 0), (QStringList{"j", "b"}));
    QCOMPARE(column(diary.LoadData("0_", set), 0), (QStringList{"k", "j", "i", "h", "g", "f", "e", "d", "c", "b", "a"}));

    QVERIFY(Diary::filedMonth("2024-05-06 10:00:00") == std::make_pair(QString("2024"), QString("05")));
    QVERIFY(!Diary::filedMonth("2024/05/06"));
    QVERIFY(!Diary::filedMonth("2024-00-06"));
}

void DiaryTest::rowsShowTitleBodyAndDate()
{
    TestFolder t;
    const int set = t.defaultAccountSet();
    const qint64 id = addEntry(t, set, "2024-05-06 10:11:12", "标题", "第一行\r\n第二行\t完");
    addEntry(t, set, "2024/5/7 8:00", "手写日期");
    addEntry(t, set, "昨天", "读不出的日期");
    addEntry(t, set, "2024-05-06", "只有日期", QString(300, QChar(u'长')));
    std::vector<RecordRow> rows = Diary(t.data).LoadData("0_", set);
    QCOMPARE(rows.size(), size_t(4));
    QCOMPARE(rows[3].cell(0).toString(), QStringLiteral("标题"));
    QCOMPARE(rows[3].cell(1).toString(), QString::number(id));
    QCOMPARE(rows[3].cell(2).toString(), QStringLiteral("第一行 第二行 完"));
    QCOMPARE(rows[3].icon, 1);
    QCOMPARE(column(rows, 3), (QStringList{"2024-05-06", "昨天", "2024-05-07", "2024-05-06"}));
    // A long body shows its beginning.
    QVERIFY(rows[0].cell(2).size() >= 100 && rows[0].cell(2).size() < 300);
    QCOMPARE(Diary::timeText(QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5))), QStringLiteral("2024-01-02 03:04:05"));
}

void DiaryTest::otherAccountSetsAndClassesAreOutOfReach()
{
    TestFolder t;
    const int set = t.defaultAccountSet();
    const int otherSet = t.addAccountSet("别的账套");
    const qint64 mine = addEntry(t, set, "2024-05-06 10:00:00", "我的");
    const qint64 theirs = addEntry(t, otherSet, "2023-01-01 10:00:00", "别人的");
    const qint64 notDiary = addEntry(t, set, "2022-01-01 10:00:00", "别的记录", QString(), "2");

    Diary diary(t.data);
    QCOMPARE(column(diary.LoadData("0_", set), 0), (QStringList{"我的"}));
    QCOMPARE(treeCaptions(diary.tree(set)), (QStringList{"2024年:05月"}));
    QVERIFY(diary.LoadData("2023_01_", set).empty());
    for (qint64 id : {theirs, notDiary}) {
        QVERIFY(!diary.entry(set, id));
        QVERIFY(!diary.modify(set, {id, "改", "2024-01-01 00:00:00", "改"}));
        QCOMPARE(diary.remove(set, id), 0);
    }
    QVERIFY(diary.entry(set, mine));
    QCOMPARE(diary.entry(otherSet, theirs)->title, QStringLiteral("别人的"));
    Statement count = t.data.query("select count(*) from Tables where types in ('别人的', '别的记录')");
    QVERIFY(count.step());
    QCOMPARE(count.integer(0), 2);
}

void DiaryTest::textsStoredAsTyped()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    DiaryWindow w(t.context);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.command("添加日记")->trigger();
    line(w, "Text1_0")->setText("It's \"mine\"");
    line(w, "Text1_1")->setText("2024-05-06 10:00:00' or '1'='1");
    body(w)->setPlainText("first 'line'\nsecond; drop table Tables; --");
    press(w, "Command1_0");

    Statement st = t.data.query("select types, dates, Title, res, muluID from Tables");
    QVERIFY(st.step());
    QCOMPARE(st.text(0), QStringLiteral("It's \"mine\""));
    QCOMPARE(st.text(1), QStringLiteral("2024-05-06 10:00:00' or '1'='1"));
    QCOMPARE(st.text(2), QStringLiteral("first 'line'\r\nsecond; drop table Tables; --"));
    QCOMPARE(st.text(3), QStringLiteral("3"));
    QCOMPARE(st.integer(4), qint64(set));
    QVERIFY(!st.step());

    // Read back for changing: line feeds again, and every text as typed.
    std::optional<DiaryEntry> entry = Diary(t.data).entry(set, w.list()->cell(0, 1).toLongLong());
    QVERIFY(entry);
    QCOMPARE(entry->body, QStringLiteral("first 'line'\nsecond; drop table Tables; --"));
    QCOMPARE(treeCaptions(w.tree()), (QStringList{"全部记录", "2024年:05月"}));
}

void DiaryTest::windowAsDesigned()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    addEntry(t, set, "2024-05-06 10:00:00", "一");
    addEntry(t, set, "2024-06-01 10:00:00", "二");
    DiaryWindow w(t.context);
    QCOMPARE(w.objectName(), QStringLiteral("Form4"));
    QCOMPARE(w.windowTitle(), QStringLiteral("记事本"));
    QStringList buttons;
    for (QAction *a : w.findChild<QToolBar *>("Toolbar1")->actions())
        buttons << a->text();
    QCOMPARE(buttons, (QStringList{"添加日记", "修改", "删除", "关闭"}));
    QCOMPARE(w.findChild<QGroupBox *>("Frame1")->title(), QStringLiteral("日期"));
    QStringList titles;
    QList<int> widths;
    for (const RecordColumn &c : w.list()->model().columns()) {
        titles << c.title;
        widths << c.twips;
    }
    QCOMPARE(titles, (QStringList{"标题", "", "内容", "日期"}));
    QCOMPARE(widths, (QList<int>{2650, 0, 6500, 1200}));
    QCOMPARE(w.list()->objectName(), QStringLiteral("ListView1"));
    QCOMPARE(w.list()->viewMode(), int(RecordList::Details));
    QVERIFY(!w.editorShown());
    QCOMPARE(w.findChild<QPushButton *>("Command1_0")->text(), QStringLiteral("保  存"));
    QCOMPARE(w.findChild<QPushButton *>("Command1_1")->text(), QStringLiteral("取  消"));
    QCOMPARE(w.findChild<QLabel *>("Label3")->text(), QStringLiteral("更新时间："));

    QCOMPARE(w.panelText(1), QStringLiteral("当前：全部记录"));
    QCOMPARE(w.panelText(2), QStringLiteral("共：2 条记录"));
    QCOMPARE(w.panelText(3), Product::webSite());
    QCOMPARE(listColumn(w, 0), (QStringList{"二", "一"}));
    // The years show, their months folded away, and no node is selected.
    QCOMPARE(treeCaptions(w.tree()), (QStringList{"全部记录", "2024年:06月,05月"}));
    QVERIFY(!w.treeNode("2024_")->isExpanded());
    QVERIFY(w.tree()->selectedItems().isEmpty());
}

void DiaryTest::writeChangeMoveAndDelete()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    addEntry(t, set, "2023-03-01 10:00:00", "三月");
    DiaryWindow w(t.context);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    // A new entry starts with the current time, which may be changed before saving.
    w.command("添加日记")->trigger();
    QVERIFY(w.editorShown());
    QVERIFY(QRegularExpression("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}$").match(line(w, "Text1_1")->text()).hasMatch());
    QVERIFY(w.findChild<QLabel *>("Label4")->text().isEmpty());
    line(w, "Text1_0")->setText("五月");
    line(w, "Text1_1")->setText("2024-05-06 10:00:00");
    body(w)->setPlainText("正文");
    press(w, "Command1_0");
    QVERIFY(!w.editorShown());
    QCOMPARE(line(w, "Text1_0")->text(), QString());
    QCOMPARE(treeCaptions(w.tree()), (QStringList{"全部记录", "2024年:05月", "2023年:03月"}));
    QCOMPARE(listColumn(w, 0), (QStringList{"五月", "三月"}));
    QCOMPARE(w.panelText(2), QStringLiteral("共：2 条记录"));

    // Cancel stores nothing.
    w.command("添加日记")->trigger();
    line(w, "Text1_0")->setText("不要");
    press(w, "Command1_1");
    QVERIFY(!w.editorShown());
    QCOMPARE(listColumn(w, 0), (QStringList{"五月", "三月"}));

    // Changing the time moves the entry to its new month.
    click(w, "2024_05_");
    QCOMPARE(w.panelText(1), QStringLiteral("当前：05月"));
    QCOMPARE(listColumn(w, 0), (QStringList{"五月"}));
    w.list()->selectRow(0);
    QTest::mouseDClick(w.list()->currentView()->viewport(), Qt::LeftButton, {},
                       w.list()->currentView()->visualRect(w.list()->model().index(0, 0)).center());
    QVERIFY(w.editorShown());
    QCOMPARE(line(w, "Text1_0")->text(), QStringLiteral("五月"));
    QCOMPARE(body(w)->toPlainText(), QStringLiteral("正文"));
    QCOMPARE(w.findChild<QLabel *>("Label4")->text(), w.list()->cell(0, 1));
    // Deleting is refused while the editor panel lies over the list.
    w.command("删除")->trigger();
    QCOMPARE(t.prompt.last().text, QStringLiteral("请返回记事本列表删除！"));
    line(w, "Text1_0")->setText("七月");
    line(w, "Text1_1")->setText("2024-07-01 08:00:00");
    press(w, "Command1_0");
    QCOMPARE(treeCaptions(w.tree()), (QStringList{"全部记录", "2024年:07月", "2023年:03月"}));
    QVERIFY(w.list()->rowCount() == 0);  // the 05月 list, now empty
    QCOMPARE(Diary(t.data).LoadData("0_", set).size(), size_t(2));

    // Deleting the last entry of a month (and of its year) removes them from the tree.
    click(w, "2024_07_");
    QCOMPARE(listColumn(w, 0), (QStringList{"七月"}));
    w.list()->selectRow(0);
    t.prompt.answers.enqueue(Prompt::Answer::Cancel);
    w.command("删除")->trigger();
    QCOMPARE(t.prompt.last().text, QStringLiteral("确定删除选定的信息吗?"));
    QCOMPARE(w.list()->rowCount(), 1);
    w.command("删除")->trigger();
    QCOMPARE(w.list()->rowCount(), 0);
    QCOMPARE(w.panelText(2), QStringLiteral("共：0 条记录"));
    QCOMPARE(treeCaptions(w.tree()), (QStringList{"全部记录", "2023年:03月"}));

    // Saving with no node selected lists all entries and says so.
    w.command("添加日记")->trigger();
    press(w, "Command1_0");
    QCOMPARE(w.panelText(1), QStringLiteral("当前：全部记录"));
    QCOMPARE(w.list()->rowCount(), 2);
}

void DiaryTest::modifyAndDeleteNeedAnEntry()
{
    TestFolder t;
    t.loginAsAdmin();
    DiaryWindow w(t.context);
    w.command("修改")->trigger();
    w.command("删除")->trigger();
    QVERIFY(t.prompt.shown.isEmpty());  // an empty list: nothing happens

    const qint64 id = addEntry(t, t.session.CurrentAccountSetId, "2024-05-06 10:00:00", "一");
    w.LoadData("0_");
    w.command("修改")->trigger();
    QCOMPARE(t.prompt.last().text, QStringLiteral("请选择信息修改!"));
    QCOMPARE(t.prompt.last().title, QStringLiteral("信息"));
    w.command("删除")->trigger();
    QCOMPARE(t.prompt.last().text, QStringLiteral("请选择记录！"));
    QVERIFY(!w.editorShown());
    // The Delete key is the same command.
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.list()->setFocus();
    t.prompt.reset();
    QTest::keyClick(w.list(), Qt::Key_Delete);
    QCOMPARE(t.prompt.last().text, QStringLiteral("请选择记录！"));

    // An entry gone meanwhile is not opened for changing (saving would write over nothing).
    t.data.exec("delete from Tables where id=?", {id});
    w.list()->selectRow(0);
    w.command("修改")->trigger();
    QVERIFY(!w.editorShown());
    QCOMPARE(t.prompt.last().text, QStringLiteral("所选的日记已不存在！"));
}

void DiaryTest::treeAndListFollowTheKeyboard()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    addEntry(t, set, "2023-03-01 10:00:00", "三月");
    addEntry(t, set, "2024-05-06 10:00:00", "五月", "正文");
    DiaryWindow w(t.context);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    click(w, "0_");
    const std::pair<Qt::Key, QString> steps[] = {{Qt::Key_Down, "2024年"}, {Qt::Key_Right, "2024年"},
                                                 {Qt::Key_Down, "05月"},   {Qt::Key_End, "2023年"},
                                                 {Qt::Key_Home, "全部记录"}, {Qt::Key_PageDown, "2023年"}};
    for (const auto &[key, node] : steps) {
        QTest::keyClick(w.tree(), key);
        QCOMPARE(w.panelText(1), QStringLiteral("当前：") + node);
        QCOMPARE(w.list()->rowCount(), node == QStringLiteral("全部记录") ? 2 : 1);
    }
    QCOMPARE(listColumn(w, 0), QStringList{"三月"});

    // Enter on a row opens it as a double click does.
    QTest::keyClick(w.tree(), Qt::Key_Up);
    w.list()->selectRow(0);
    QTest::keyClick(w.list()->currentView(), Qt::Key_Return);
    QVERIFY(w.editorShown());
    QCOMPARE(body(w)->toPlainText(), QStringLiteral("正文"));
}

void DiaryTest::failedWritesAreReported()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    addEntry(t, set, "2024-05-06 10:00:00", "原来");
    t.data.database().execute(
        "create trigger no_insert before insert on Tables begin select raise(abort, 'insert refused'); end;"
        "create trigger no_update before update on Tables begin select raise(abort, 'update refused'); end;"
        "create trigger no_delete before delete on Tables begin select raise(abort, 'delete refused'); end;");
    DiaryWindow w(t.context);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    w.command("添加日记")->trigger();
    line(w, "Text1_0")->setText("新的");
    press(w, "Command1_0");
    QCOMPARE(t.prompt.last().title, QStringLiteral("错误"));
    QVERIFY(t.prompt.last().text.contains(QStringLiteral("insert refused")));
    // Nothing was stored and nothing typed is lost.
    QVERIFY(w.editorShown());
    QCOMPARE(line(w, "Text1_0")->text(), QStringLiteral("新的"));
    press(w, "Command1_1");

    w.list()->selectRow(0);
    w.command("修改")->trigger();
    line(w, "Text1_0")->setText("改了");
    press(w, "Command1_0");
    QVERIFY(t.prompt.last().text.contains(QStringLiteral("update refused")));
    QVERIFY(w.editorShown());
    press(w, "Command1_1");

    w.list()->selectRow(0);
    w.command("删除")->trigger();
    QVERIFY(t.prompt.last().text.contains(QStringLiteral("delete refused")));
    QCOMPARE(listColumn(w, 0), (QStringList{"原来"}));
    QCOMPARE(treeCaptions(w.tree()), (QStringList{"全部记录", "2024年:05月"}));
}

void DiaryTest::mainWindowOpensBothTools()
{
    TestFolder t;
    t.loginAsAdmin();
    MainWindow w(t.context);
    QStringList opened;
    for (Command command : {Command::PasswordBox, Command::Diary}) {
        QTimer::singleShot(0, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            QVERIFY(modal);
            opened << modal->objectName() + u' ' + modal->windowTitle();
            QCOMPARE(modal->parentWidget(), &w);
            modal->close();
        });
        w.commands().action(command)->trigger();
    }
    QCOMPARE(opened, (QStringList{"Form16 密码箱与备忘录", "Form4 记事本"}));
}

TALLYRA_TEST(DiaryTest)
#include "tst_diary.moc"
