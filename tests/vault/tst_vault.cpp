// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/test_folder.h"
#include "vault/password_box_window.h"
#include "vault/record_editor.h"
#include "vault/record_views.h"
#include "vault/vault.h"
#include "vault/vault_tree_model.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QtTest>

#include "support/test_main.h"

namespace {

const QString Network = QStringLiteral("网络帐户");
const QDateTime Noon(QDate(2024, 1, 5), QTime(14, 30, 12));

VaultFields titled(const QString &title)
{
    VaultFields fields;
    fields.t0 = title;
    return fields;
}

// A stored row of blank, every column as text ("<null>" for NULL).
QStringList storedRow(TestFolder &t, qint64 id)
{
    Statement st = t.data.query(
        QStringLiteral("select t0, t1, t2, t3, t4, content, parent, key_1, muluID from blank where id=?"), {id});
    QStringList row;
    if (st.step())
        for (int c = 0; c < 9; ++c)
            row << (st.isNull(c) ? QStringLiteral("<null>") : st.text(c));
    return row;
}

int countRows(TestFolder &t, const QString &sql, const QVariantList &values = {})
{
    Statement st = t.data.query(sql, values);
    return st.step() ? int(st.integer(0)) : -1;
}

QLineEdit *line(QWidget &w, const QString &name) { return w.findChild<QLineEdit *>(name); }
QPlainTextEdit *block(QWidget &w, const QString &name) { return w.findChild<QPlainTextEdit *>(name); }
QWidget *panel(QWidget &w, const QString &name) { return w.findChild<QWidget *>(name); }

void click(PasswordBoxWindow &w, const QString &key)
{
    const QModelIndex index = w.treeModel()->indexOf(key);
    QVERIFY2(index.isValid(), qPrintable(key));
    w.tree()->scrollTo(index);
    QTest::mouseClick(w.tree()->viewport(), Qt::LeftButton, {}, w.tree()->visualRect(index).center());
    QCOMPARE(w.selectedKey(), key);
}

// The record keys under a group, top to bottom.
QStringList recordKeys(PasswordBoxWindow &w, const QString &group)
{
    QStringList keys;
    const QModelIndex parent = w.treeModel()->indexOf(group);
    for (int row = 0; row < w.treeModel()->rowCount(parent); ++row)
        keys << w.treeModel()->key(w.treeModel()->index(row, 0, parent));
    return keys;
}

// Runs `act` on the modal dialog the next command opens, then closes it.
template <typename Act> void onModal(Act act)
{
    QTimer::singleShot(0, [act] {
        QWidget *modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        act(modal);
        modal->close();
    });
}

} // namespace

class VaultTest : public QObject {
    Q_OBJECT
private slots:
    void eachKindStoresExactlyItsColumns();
    void recordsAddedInOneSecondKeepDistinctKeys();
    void otherAccountSetsAreOutOfReach();
    void modifyingKeepsKeysGroupAndAccountSet();
    void keysAndViews();

    void windowAsDesigned();
    void captionsAndViewsFollowTheClickedNode();
    void commandsRefuseNodesTheyCannotUse();
    void editorAddsToTheSelectedGroup();
    void editorModifiesTheSelectedRecord();
    void deleteAsksAndRemovesOnlyThatRecord();
    void viewAndCommandsFollowTheKeyboard();
    void quotesAndLinesStoredAsTyped();
    void failedWritesAreReported();
    void treeModelIsConsistent();
};

void VaultTest::eachKindStoresExactlyItsColumns()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    Vault vault(t.data);
    const VaultFields all{"标题", "用户", "密码", "链接", "邮箱", "备注\n第二行"};

    const VaultRecord network = vault.add(set, "20_", "22", VaultView::SixFields, all, Noon);
    QCOMPARE(network.key, QStringLiteral("20240105143012_22"));
    QCOMPARE(storedRow(t, network.id), (QStringList{"标题", "用户", "密码", "链接", "邮箱", "备注\r\n第二行",
                                                    "20240105143012_22", "20_22_", QString::number(set)}));

    const VaultRecord other = vault.add(set, "20_", "24", VaultView::Other, all, Noon);
    QCOMPARE(storedRow(t, other.id), (QStringList{"标题", "用户", "<null>", "<null>", "邮箱", "备注\r\n第二行",
                                                  "20240105143012_24", "20_24_", QString::number(set)}));

    const VaultRecord memo = vault.add(set, "30_", "25", VaultView::Memo, all, Noon);
    QCOMPARE(storedRow(t, memo.id), (QStringList{"标题", "<null>", "<null>", "<null>", "<null>", "备注\r\n第二行",
                                                 "20240105143012_25", "30_25_", QString::number(set)}));

    // Read back as edited: line feeds, and only the columns stored.
    std::optional<VaultRecord> read = vault.record(set, memo.key);
    QVERIFY(read);
    QCOMPARE(read->fields, (VaultFields{"标题", {}, {}, {}, {}, "备注\n第二行"}));
    QCOMPARE(read->group, QStringLiteral("30_25_"));
}

void VaultTest::recordsAddedInOneSecondKeepDistinctKeys()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    Vault vault(t.data);
    const VaultRecord first = vault.add(set, "20_", "22", VaultView::SixFields, titled("第一"), Noon);
    const VaultRecord second = vault.add(set, "20_", "22", VaultView::SixFields, titled("第二"), Noon);
    // A key of another account set is taken as well: keys are unique in the whole table.
    const int otherSet = t.addAccountSet("别的账套");
    const VaultRecord third = vault.add(otherSet, "20_", "22", VaultView::SixFields, titled("第三"), Noon);
    const QRegularExpression form(QStringLiteral("^\\d{14}_22$"));
    for (const VaultRecord &r : {first, second, third})
        QVERIFY2(form.match(r.key).hasMatch(), qPrintable(r.key));
    QCOMPARE(QSet<QString>({first.key, second.key, third.key}).size(), 3);

    PasswordBoxWindow w(t.context);
    QCOMPARE(recordKeys(w, "20_22_"), (QStringList{second.key, first.key}));
    QCOMPARE(w.treeModel()->childTexts("20_22_"), (QStringList{"第二", "第一"}));

    QCOMPARE(vault.remove(set, first.key), 1);
    QVERIFY(vault.record(set, second.key));
    QCOMPARE(vault.records(set).size(), size_t(1));
}

void VaultTest::otherAccountSetsAreOutOfReach()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    const int otherSet = t.addAccountSet("别的账套");
    Vault vault(t.data);
    const VaultRecord mine = vault.add(set, "20_", "23", VaultView::SixFields, titled("我的银行"), Noon);
    const VaultRecord theirs = vault.add(otherSet, "20_", "23", VaultView::SixFields, titled("别人的银行"), Noon.addSecs(60));

    QCOMPARE(vault.records(set).size(), size_t(1));
    QVERIFY(!vault.record(set, theirs.key));
    QVERIFY(!vault.record(set, theirs.key, theirs.id));
    QVERIFY(!vault.modify(set, theirs.id, VaultView::SixFields, titled("改了")));
    QCOMPARE(vault.remove(set, theirs.key), 0);
    QCOMPARE(vault.remove(set, theirs.key, theirs.id), 0);
    QCOMPARE(vault.record(otherSet, theirs.key)->fields.t0, QStringLiteral("别人的银行"));

    PasswordBoxWindow w(t.context);
    QVERIFY(w.treeModel()->indexOf(mine.key).isValid());
    QVERIFY(!w.treeModel()->indexOf(theirs.key).isValid());
    // Even asked for by its key, the window does not show another account set's record.
    w.LoadDate(theirs.key);
    QCOMPARE(line(w, "Text1_0")->text(), QString());
}

void VaultTest::modifyingKeepsKeysGroupAndAccountSet()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    Vault vault(t.data);
    // A memo row that also has values in t1..t4 (written by other means): modifying it in
    // the memo view changes only the title and the remark.
    const qint64 id = t.data.insert("insert into blank (t0, t1, t2, t3, t4, content, parent, key_1, muluID) "
                                    "values ('旧', 'a', 'b', 'c', 'd', '旧备注', '20240105143012_25', '30_25_', ?)",
                                    {set});
    QVERIFY(vault.modify(set, id, VaultView::Memo, {"新", "x", "x", "x", "x", "新备注\n二"}));
    QCOMPARE(storedRow(t, id), (QStringList{"新", "a", "b", "c", "d", "新备注\r\n二", "20240105143012_25", "30_25_",
                                            QString::number(set)}));
    QVERIFY(vault.modify(set, id, VaultView::Other, {"其它", "用户", "x", "x", "密码", ""}));
    QCOMPARE(storedRow(t, id).mid(0, 6), (QStringList{"其它", "用户", "b", "c", "密码", ""}));
    QVERIFY(vault.modify(set, id, VaultView::SixFields, {"1", "2", "3", "4", "5", "6"}));
    QCOMPARE(storedRow(t, id), (QStringList{"1", "2", "3", "4", "5", "6", "20240105143012_25", "30_25_",
                                            QString::number(set)}));
}

void VaultTest::keysAndViews()
{
    QCOMPARE(Vault::kindOf("20240105143012_23"), QStringLiteral("23"));
    QCOMPARE(Vault::kindOf("0_"), QString());
    QCOMPARE(Vault::part("20_22_", 0), QStringLiteral("20"));
    QVERIFY(!Vault::isRecordKey("30_26_"));
    QVERIFY(Vault::isRecordKey("20240105143012_26"));
    QCOMPARE(Vault::viewFor("20_22_"), VaultView::SixFields);
    QCOMPARE(Vault::viewFor("20240105143012_23"), VaultView::SixFields);
    QCOMPARE(Vault::viewFor("20_24_"), VaultView::Other);
    QCOMPARE(Vault::viewFor("30_26_"), VaultView::Memo);
    QCOMPARE(Vault::viewFor("1_"), VaultView::Memo);
    QCOMPARE(Vault::viewFor("0_"), VaultView::SixFields);
    QCOMPARE(Vault::familyPrefix("密码箱"), QStringLiteral("20_"));
    QCOMPARE(Vault::familyPrefix("备忘录"), QStringLiteral("30_"));
    QCOMPARE(Vault::captions(Vault::bankCaptions()),
             (QStringList{"开户银行：", "用户名称：", "帐    号：", "卡    号：", "密    码：", "备注信息："}));
}

void VaultTest::windowAsDesigned()
{
    TestFolder t;
    t.loginAsAdmin();
    PasswordBoxWindow w(t.context);
    QCOMPARE(w.objectName(), QStringLiteral("Form16"));
    QCOMPARE(w.windowTitle(), QStringLiteral("密码箱与备忘录"));
    QStringList buttons, tips;
    for (QAction *a : w.findChild<QToolBar *>("Toolbar1")->actions()) {
        buttons << a->text();
        tips << a->toolTip();
    }
    QCOMPARE(buttons, (QStringList{"添加", "修改", "删除"}));
    QCOMPARE(tips, (QStringList{"添加记录", "修改记录", "删除记录"}));

    VaultTreeModel *m = w.treeModel();
    QCOMPARE(m->rowCount(), 2);
    QCOMPARE(m->text(m->index(0, 0)), QStringLiteral("密码箱"));
    QCOMPARE(m->text(m->index(1, 0)), QStringLiteral("备忘录"));
    QCOMPARE(m->childTexts("0_"), (QStringList{"网络帐户", "银行帐户", "其它"}));
    QCOMPARE(m->childTexts("1_"), (QStringList{"纪事", "其它"}));
    QVERIFY(w.tree()->isExpanded(m->indexOf("0_")));
    QVERIFY(w.tree()->isExpanded(m->indexOf("1_")));
    QCOMPARE(m->path(m->indexOf("30_26_")), QStringLiteral("备忘录\\其它"));

    QVERIFY(panel(w, "Picture1_0")->isHidden());
    QVERIFY(panel(w, "Picture1_1")->isHidden());
    QCOMPARE(w.views()->captions(), Vault::captions(Vault::networkCaptions()));
    for (const char *name : {"Text1_0", "Text1_4", "Text2_0", "Text2_4"})
        QVERIFY(line(w, name)->isReadOnly());
    QVERIFY(block(w, "Text1_5")->isReadOnly());
    QCOMPARE(block(w, "Text1_5")->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

void VaultTest::captionsAndViewsFollowTheClickedNode()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    Vault vault(t.data);
    const VaultRecord bank = vault.add(set, "20_", "23", VaultView::SixFields,
                                       {"工商银行", "张三", "6222", "6222-01", "123456", "工资卡"}, Noon);
    const VaultRecord other = vault.add(set, "20_", "24", VaultView::Other, {"门禁", "李四", "", "", "0000", "大门"}, Noon);
    const VaultRecord memo = vault.add(set, "30_", "25", VaultView::Memo, {"周年", {}, {}, {}, {}, "记得\n买花"}, Noon);

    PasswordBoxWindow w(t.context);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QStringList networkCaptions = Vault::captions(Vault::networkCaptions());
    const QStringList bankCaptions = Vault::captions(Vault::bankCaptions());

    click(w, "20_23_");
    QCOMPARE(w.views()->captions(), bankCaptions);
    QCOMPARE(w.views()->view(), VaultView::SixFields);
    click(w, bank.key);
    QCOMPARE(w.views()->captions(), bankCaptions);
    QVERIFY(line(w, "Text1_0")->isVisible());
    QCOMPARE(line(w, "Text1_0")->text(), QStringLiteral("工商银行"));
    QCOMPARE(line(w, "Text1_3")->text(), QStringLiteral("6222-01"));
    QCOMPARE(block(w, "Text1_5")->toPlainText(), QStringLiteral("工资卡"));
    click(w, "20_22_");
    QCOMPARE(w.views()->captions(), networkCaptions);
    QCOMPARE(line(w, "Text1_0")->text(), QString());  // a group empties the fields
    click(w, bank.key);
    click(w, "0_");
    QCOMPARE(w.views()->captions(), networkCaptions);

    click(w, other.key);
    QVERIFY(panel(w, "Picture1_0")->isVisible());
    QVERIFY(!panel(w, "Picture1_1")->isVisible());
    QCOMPARE(line(w, "Text2_0")->text(), QStringLiteral("门禁"));
    QCOMPARE(line(w, "Text2_1")->text(), QStringLiteral("李四"));
    QCOMPARE(line(w, "Text2_2")->text(), QStringLiteral("0000"));
    QCOMPARE(block(w, "Text2_3")->toPlainText(), QStringLiteral("大门"));

    click(w, memo.key);
    QVERIFY(panel(w, "Picture1_1")->isVisible());
    QCOMPARE(line(w, "Text2_4")->text(), QStringLiteral("周年"));
    QCOMPARE(block(w, "Text2_5")->toPlainText(), QStringLiteral("记得\n买花"));
    click(w, "1_");
    QCOMPARE(w.views()->view(), VaultView::Memo);
    QCOMPARE(line(w, "Text2_4")->text(), QString());
    click(w, "20_22_");
    QVERIFY(!panel(w, "Picture1_0")->isVisible());
    QVERIFY(!panel(w, "Picture1_1")->isVisible());
}

void VaultTest::commandsRefuseNodesTheyCannotUse()
{
    TestFolder t;
    t.loginAsAdmin();
    const VaultRecord record = Vault(t.data).add(t.session.CurrentAccountSetId, "20_", "22", VaultView::SixFields,
                                                 titled("邮箱"), Noon);
    PasswordBoxWindow w(t.context);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    // Nothing selected.
    w.command("添加")->trigger();
    QCOMPARE(t.prompt.last().text, QStringLiteral("请选择一个类别！"));
    QCOMPARE(t.prompt.last().title, QStringLiteral("信息"));
    w.command("修改")->trigger();
    QCOMPARE(t.prompt.last().text, QStringLiteral("请选择要修改的记录！"));
    t.prompt.reset();
    w.command("删除")->trigger();
    QCOMPARE(t.prompt.texts(), (QStringList{"你真的要删除当前记录吗？", "你必须选择要删除的分组！"}));

    click(w, "1_");
    w.command("添加")->trigger();
    QCOMPARE(t.prompt.last().text, QStringLiteral("请选择一个类别！"));
    click(w, "20_22_");
    w.command("修改")->trigger();
    QCOMPARE(t.prompt.last().text, QStringLiteral("请选择要修改的记录！"));
    w.command("删除")->trigger();
    QCOMPARE(t.prompt.last().text, QStringLiteral("请选择要删除的记录！"));
    QCOMPARE(t.prompt.last().title, QStringLiteral("提示"));
    QCOMPARE(countRows(t, "select count(*) from blank"), 1);
    QVERIFY(w.treeModel()->indexOf(record.key).isValid());
}

void VaultTest::editorAddsToTheSelectedGroup()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    PasswordBoxWindow w(t.context);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    click(w, "20_23_");
    {
        RecordEditor editor(w);
        QCOMPARE(editor.objectName(), QStringLiteral("Form17"));
        QCOMPARE(editor.windowTitle(), QStringLiteral("添加记录"));
        QCOMPARE(editor.findChild<QPushButton *>("Command2")->text(), QStringLiteral("添加"));
        QCOMPARE(editor.findChild<QPushButton *>("Command1")->text(), QStringLiteral("退出"));
        QCOMPARE(editor.views()->captions(), Vault::captions(Vault::bankCaptions()));
        QVERIFY(!line(editor, "Text1_0")->isReadOnly());
        QTest::mouseClick(editor.findChild<QPushButton *>("Command2"), Qt::LeftButton);
        QCOMPARE(t.prompt.last().text, QStringLiteral("请输入帐户名称！"));
        QCOMPARE(countRows(t, "select count(*) from blank"), 0);

        line(editor, "Text1_0")->setText("招商银行");
        line(editor, "Text1_2")->setText("0755");
        QTest::mouseClick(editor.findChild<QPushButton *>("Command2"), Qt::LeftButton);
        // Pressed again, the same contents are stored once more under a key of their own.
        QTest::mouseClick(editor.findChild<QPushButton *>("Command2"), Qt::LeftButton);
    }
    QCOMPARE(countRows(t, "select count(*) from blank where key_1='20_23_' and t0='招商银行' and t2='0755' and muluID=?",
                       {set}),
             2);
    QCOMPARE(countRows(t, "select count(distinct parent) from blank"), 2);
    QCOMPARE(w.treeModel()->childTexts("20_23_"), (QStringList{"招商银行", "招商银行"}));

    click(w, "20_22_");
    {
        RecordEditor editor(w);
        QCOMPARE(editor.views()->captions(), Vault::captions(Vault::networkCaptions()));
        QTest::mouseClick(editor.findChild<QPushButton *>("Command2"), Qt::LeftButton);
        QCOMPARE(t.prompt.last().text, QStringLiteral("请输入标题名称！"));
        line(editor, "Text1_0")->setText("邮箱");
        QTest::mouseClick(editor.findChild<QPushButton *>("Command2"), Qt::LeftButton);
    }
    // With a record selected, the new record goes into that record's group.
    click(w, recordKeys(w, "20_22_").first());
    {
        RecordEditor editor(w);
        line(editor, "Text1_0")->setText("论坛");
        QTest::mouseClick(editor.findChild<QPushButton *>("Command2"), Qt::LeftButton);
    }
    QCOMPARE(w.treeModel()->childTexts("20_22_"), (QStringList{"论坛", "邮箱"}));

    // The memo's chronicle: only the title, the remark and the keys are stored.
    click(w, "30_25_");
    {
        RecordEditor editor(w);
        QVERIFY(panel(editor, "Picture1_1")->isVisibleTo(&editor));
        QTest::mouseClick(editor.findChild<QPushButton *>("Command2"), Qt::LeftButton);
        QCOMPARE(t.prompt.last().text, QStringLiteral("请输入标题名称！"));
        line(editor, "Text2_4")->setText("生日");
        block(editor, "Text2_5")->setPlainText("一月\n五日");
        QTest::mouseClick(editor.findChild<QPushButton *>("Command2"), Qt::LeftButton);
    }
    QCOMPARE(countRows(t, "select count(*) from blank where key_1='30_25_' and t0='生日' and content=? and t1 is null "
                          "and t2 is null and t3 is null and t4 is null and parent like '%\\_25' escape '\\'",
                       {QStringLiteral("一月\r\n五日")}),
             1);

    // The other credentials of the password box.
    click(w, "20_24_");
    {
        RecordEditor editor(w);
        QVERIFY(panel(editor, "Picture1_0")->isVisibleTo(&editor));
        line(editor, "Text2_0")->setText("保险箱");
        line(editor, "Text2_2")->setText("9876");
        QTest::mouseClick(editor.findChild<QPushButton *>("Command2"), Qt::LeftButton);
    }
    QCOMPARE(countRows(t, "select count(*) from blank where key_1='20_24_' and t4='9876' and t2 is null"), 1);
    QCOMPARE(w.treeModel()->childTexts("20_24_"), (QStringList{"保险箱"}));
}

void VaultTest::editorModifiesTheSelectedRecord()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    const VaultRecord record = Vault(t.data).add(set, "20_", "22", VaultView::SixFields,
                                                 {"旧标题", "我", "pw", "http://a", "a@b", "备注"}, Noon);
    PasswordBoxWindow w(t.context);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    click(w, record.key);

    bool seen = false;
    onModal([&](QWidget *modal) {
        auto *editor = qobject_cast<RecordEditor *>(modal);
        QVERIFY(editor);
        QCOMPARE(editor->windowTitle(), QStringLiteral("修改记录"));
        QCOMPARE(editor->findChild<QPushButton *>("Command2")->text(), QStringLiteral("修改"));
        QCOMPARE(line(*editor, "Text1_0")->text(), QStringLiteral("旧标题"));
        QCOMPARE(line(*editor, "Text1_3")->text(), QStringLiteral("http://a"));
        QCOMPARE(editor->recordId(), record.id);
        line(*editor, "Text1_0")->clear();
        QTest::mouseClick(editor->findChild<QPushButton *>("Command2"), Qt::LeftButton);
        QCOMPARE(t.prompt.last().text, QStringLiteral("请输入标题名称！"));
        line(*editor, "Text1_0")->setText("新标题");
        line(*editor, "Text1_2")->setText("new-pw");
        QTest::mouseClick(editor->findChild<QPushButton *>("Command2"), Qt::LeftButton);
        seen = true;
    });
    w.command("修改")->trigger();
    QVERIFY(seen);

    QCOMPARE(storedRow(t, record.id), (QStringList{"新标题", "我", "new-pw", "http://a", "a@b", "备注", record.key,
                                                   "20_22_", QString::number(set)}));
    QCOMPARE(w.treeModel()->text(w.treeModel()->indexOf(record.key)), QStringLiteral("新标题"));
    // The window's view shows the record as it is stored now.
    QCOMPARE(line(w, "Text1_0")->text(), QStringLiteral("新标题"));
    QCOMPARE(line(w, "Text1_2")->text(), QStringLiteral("new-pw"));
}

void VaultTest::deleteAsksAndRemovesOnlyThatRecord()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    Vault vault(t.data);
    const VaultRecord keep = vault.add(set, "30_", "26", VaultView::Memo, titled("留下"), Noon);
    const VaultRecord gone = vault.add(set, "30_", "26", VaultView::Memo, titled("删掉"), Noon);
    // A file from before keys were unique: two rows share one key. Deleting the one shown
    // leaves the other, which then takes its place.
    const QString shared = QStringLiteral("20200101000000_22");
    for (const char *title : {"旧一", "旧二"})
        t.data.insert("insert into blank (t0, parent, key_1, muluID) values (?, ?, '20_22_', ?)",
                      {QString::fromUtf8(title), shared, set});

    PasswordBoxWindow w(t.context);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.treeModel()->childTexts("30_26_"), (QStringList{"删掉", "留下"}));
    QCOMPARE(w.treeModel()->childTexts("20_22_"), (QStringList{"旧二"}));

    click(w, gone.key);
    t.prompt.answers.enqueue(Prompt::Answer::Cancel);
    w.command("删除")->trigger();
    QCOMPARE(t.prompt.last().text, QStringLiteral("你真的要删除当前记录吗？"));
    QCOMPARE(t.prompt.last().icon, Prompt::Icon::Question);
    QCOMPARE(t.prompt.last().buttons, Prompt::Buttons::OkCancel);
    QCOMPARE(countRows(t, "select count(*) from blank"), 4);

    w.command("删除")->trigger();
    QCOMPARE(w.treeModel()->childTexts("30_26_"), (QStringList{"留下"}));
    QVERIFY(vault.record(set, keep.key));
    QVERIFY(!vault.record(set, gone.key));
    QVERIFY(w.selectedKey().isEmpty());
    QVERIFY(w.tree()->isExpanded(w.treeModel()->indexOf("30_26_")));

    click(w, shared);
    w.command("删除")->trigger();
    QCOMPARE(w.treeModel()->childTexts("20_22_"), (QStringList{"旧一"}));
    QCOMPARE(countRows(t, "select count(*) from blank where parent=?", {shared}), 1);
}

void VaultTest::viewAndCommandsFollowTheKeyboard()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    Vault vault(t.data);
    const VaultRecord older = vault.add(set, "20_", "22", VaultView::SixFields, titled("甲"), Noon);
    const VaultRecord newer = vault.add(set, "20_", "22", VaultView::SixFields, titled("乙"), Noon);
    const VaultRecord bank = vault.add(set, "20_", "23", VaultView::SixFields, titled("工商银行"), Noon);
    PasswordBoxWindow w(t.context);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // Each key: the node the commands take and the title the view shows.
    const std::tuple<Qt::Key, QString, QString> steps[] = {
        {Qt::Key_Down, newer.key, "乙"}, {Qt::Key_Down, older.key, "甲"}, {Qt::Key_Down, "20_23_", ""},
        {Qt::Key_Down, bank.key, "工商银行"}, {Qt::Key_Home, "0_", ""}, {Qt::Key_End, "30_26_", ""}};
    click(w, "20_22_");
    for (const auto &[key, node, title] : steps) {
        QTest::keyClick(w.tree(), key);
        QCOMPARE(w.selectedKey(), node);
        QCOMPARE(line(w, "Text1_0")->text(), title);
    }
    // 删除 removes the record the keys reached, and the view no longer shows it.
    click(w, bank.key);
    QTest::keyClick(w.tree(), Qt::Key_Up);
    QTest::keyClick(w.tree(), Qt::Key_Up);
    QCOMPARE(line(w, "Text1_0")->text(), QStringLiteral("甲"));
    w.command("删除")->trigger();
    QVERIFY(!vault.record(set, older.key));
    QVERIFY(vault.record(set, newer.key));
    QCOMPARE(line(w, "Text1_0")->text(), QString());
}

void VaultTest::quotesAndLinesStoredAsTyped()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    PasswordBoxWindow w(t.context);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QStringList typed{"O'Brien's \"bank\"", "a'b", "p'w\"--", "http://x/?q='1'", "'; drop table blank; --"};

    click(w, "20_22_");
    {
        RecordEditor editor(w);
        for (int i = 0; i < 5; ++i)
            line(editor, QStringLiteral("Text1_%1").arg(i))->setText(typed[i]);
        block(editor, "Text1_5")->setPlainText("it's\n\"two\" lines");
        QTest::mouseClick(editor.findChild<QPushButton *>("Command2"), Qt::LeftButton);
    }
    const QString key = recordKeys(w, "20_22_").value(0);
    std::optional<VaultRecord> stored = Vault(t.data).record(set, key);
    QVERIFY(stored);
    QCOMPARE(stored->fields, (VaultFields{typed[0], typed[1], typed[2], typed[3], typed[4], "it's\n\"two\" lines"}));
    QCOMPARE(w.treeModel()->childTexts("20_22_"), (QStringList{typed[0]}));
    click(w, key);
    QCOMPARE(line(w, "Text1_4")->text(), typed[4]);
    QCOMPARE(block(w, "Text1_5")->toPlainText(), QStringLiteral("it's\n\"two\" lines"));
}

void VaultTest::failedWritesAreReported()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    const VaultRecord record = Vault(t.data).add(set, "20_", "22", VaultView::SixFields, titled("原来"), Noon);
    t.data.database().execute(
        "create trigger no_insert before insert on blank begin select raise(abort, 'insert refused'); end;"
        "create trigger no_update before update on blank begin select raise(abort, 'update refused'); end;"
        "create trigger no_delete before delete on blank begin select raise(abort, 'delete refused'); end;");

    PasswordBoxWindow w(t.context);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    click(w, "20_22_");
    {
        RecordEditor editor(w);
        line(editor, "Text1_0")->setText("新的");
        QTest::mouseClick(editor.findChild<QPushButton *>("Command2"), Qt::LeftButton);
        QCOMPARE(t.prompt.last().title, QStringLiteral("错误"));
        QCOMPARE(t.prompt.last().icon, Prompt::Icon::Critical);
        QVERIFY(t.prompt.last().text.startsWith(QStringLiteral("发现错误：\r\n")));
        QVERIFY(t.prompt.last().text.contains(QStringLiteral("insert refused")));
        QCOMPARE(line(editor, "Text1_0")->text(), QStringLiteral("新的"));
    }
    QCOMPARE(w.treeModel()->childTexts("20_22_"), (QStringList{"原来"}));

    click(w, record.key);
    {
        RecordEditor editor(w);
        editor.setModifyMode();
        QVERIFY(editor.LoadDate(record.key));
        line(editor, "Text1_0")->setText("改名");
        t.prompt.reset();
        QTest::mouseClick(editor.findChild<QPushButton *>("Command2"), Qt::LeftButton);
        QVERIFY(t.prompt.lastText().contains(QStringLiteral("update refused")));
    }
    // The tree keeps the stored title when the change was not stored.
    QCOMPARE(w.treeModel()->childTexts("20_22_"), (QStringList{"原来"}));

    t.prompt.reset();
    w.command("删除")->trigger();
    QCOMPARE(t.prompt.texts().size(), 2);
    QVERIFY(t.prompt.lastText().contains(QStringLiteral("delete refused")));
    QCOMPARE(w.treeModel()->childTexts("20_22_"), (QStringList{"原来"}));
    QCOMPARE(countRows(t, "select count(*) from blank"), 1);
}

void VaultTest::treeModelIsConsistent()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    Vault vault(t.data);
    for (int i = 0; i < 6; ++i)
        vault.add(set, i % 2 ? "20_" : "30_", i % 2 ? "23" : "26", i % 2 ? VaultView::SixFields : VaultView::Memo,
                  titled(QStringLiteral("记录%1").arg(i)), Noon);
    // Rows no tree node can hold: no fixed group, a group key under a root, a short key.
    t.data.insert("insert into blank (t0, parent, key_1, muluID) values ('孤儿', '20240101000000_27', '20_27_', ?)", {set});
    t.data.insert("insert into blank (t0, parent, key_1, muluID) values ('根下', '20240101000001_22', '0_', ?)", {set});
    t.data.insert("insert into blank (t0, parent, key_1, muluID) values ('短键', '22_', '20_22_', ?)", {set});
    t.data.insert("insert into blank (t0, parent, key_1, muluID) values ('带空格', '20240101000002_22', ' 20_22_ ', ?)",
                  {set});

    VaultTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.addRecords(vault.records(set)).size(), 3);
    QCOMPARE(model.recordCount(), 7);
    QCOMPARE(model.childTexts("20_22_"), (QStringList{"带空格"}));
    // Loading again adds only what is new, at the top of its group.
    QVERIFY(model.addRecords(vault.records(set)).isEmpty());
    const VaultRecord added = vault.add(set, "20_", "23", VaultView::SixFields, titled("最新"), Noon);
    QCOMPARE(model.addRecords(vault.records(set)).size(), 1);
    QCOMPARE(model.childTexts("20_23_").first(), QStringLiteral("最新"));
    QCOMPARE(model.indexOf(added.key).row(), 0);
    QCOMPARE(model.indexOf(added.key).parent(), model.indexOf("20_23_"));
    model.clearRecords();
    QCOMPARE(model.recordCount(), 0);
    QVERIFY(!model.indexOf(added.key).isValid());
    QCOMPARE(model.childTexts("0_").size(), 3);
}

TALLYRA_TEST(VaultTest)
#include "tst_vault.moc"
