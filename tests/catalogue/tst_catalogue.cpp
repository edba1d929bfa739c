// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "catalogue/add_node_dialog.h"
#include "catalogue/catalogue.h"
#include "catalogue/catalogue_manager.h"
#include "support/test_folder.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include "support/test_main.h"

namespace {

const QString InUse = QStringLiteral("请确认此账套没被使用，错误由以下原因！\r\n"
                                     "1.用户帐户中设置此账套；\r\n"
                                     "2.财务在此账套中添加财务数据；\r\n"
                                     "3.密码保险箱，记事本；\r\n"
                                     "4.请将账户中的账套修改及删除此账套中的数据。");

QStringList childTexts(QTreeWidgetItem *item)
{
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i)
        texts << item->child(i)->text(0);
    return texts;
}

QStringList topTexts(QTreeWidget *tree)
{
    QStringList texts;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        texts << tree->topLevelItem(i)->text(0);
    return texts;
}

QTreeWidgetItem *find(QTreeWidget *tree, const QString &text)
{
    const QList<QTreeWidgetItem *> found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

// Selects the node of this text on a tab, as a click would.
void select(CatalogueManager &w, int tab, const QString &text)
{
    w.showTab(tab);
    QTreeWidgetItem *item = find(w.tree(tab), text);
    QVERIFY2(item, qPrintable(text));
    w.tree(tab)->setCurrentItem(item);
}

// The label editor of a tree, while one is open (closed ones linger until deleted).
QLineEdit *openEditor(QTreeWidget *tree)
{
    for (QLineEdit *editor : tree->viewport()->findChildren<QLineEdit *>())
        if (editor->isVisible())
            return editor;
    return nullptr;
}

// Return confirms the edit, Escape cancels it; the editor acts once events run.
void finishEdit(QLineEdit *editor, Qt::Key key)
{
    QTest::keyClick(editor, key);
    QCoreApplication::processEvents();
}

void press(QWidget &w, const char *button) { QTest::mouseClick(w.findChild<QPushButton *>(button), Qt::LeftButton); }

QString contentOf(TestFolder &t, const QString &key)
{
    Statement st = t.data.query("select content from mulu where key_1=?", {key});
    return st.step() ? st.text(0) : QStringLiteral("<none>");
}

int count(TestFolder &t, const QString &sql, const QVariantList &values = {})
{
    Statement st = t.data.query(sql, values);
    return st.step() ? int(st.integer(0)) : -1;
}

// Runs the command that opens a modal dialog and acts on the dialog once it is shown.
template <typename Open, typename Act> void withModal(Open open, Act act)
{
    bool acted = false;
    QTimer::singleShot(0, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        act(modal);
        acted = true;
        if (modal->isVisible())
            modal->close();
    });
    open();
    QVERIFY(acted);
}

} // namespace

class CatalogueTest : public QObject {
    Q_OBJECT
private slots:
    void keysAreUniqueAndKeepTheirForm();
    void textsAreStoredAsTyped();
    void inUseCheckLooksAtEveryTable();
    void treesShowTheFourLists();
    void addingThroughTheDialog();
    void addDialogRefusesAnEmptyNameAndReportsFailures();
    void rootsAreProtectedByTextOnEveryTab();
    void renameInPlace();
    void deleteNodes();
    void deletingAccountSets();
    void openedFromTheMainWindow();
};

void CatalogueTest::keysAreUniqueAndKeepTheirForm()
{
    TestFolder t;
    Catalogue c(t.data);
    const QDateTime now(QDate(2024, 1, 2), QTime(3, 4, 5));
    const QString first = c.add(Catalogue::Items, "e1_", "利息", now);
    QCOMPARE(first, QStringLiteral("e20240102030405_"));
    QCOMPARE(first.size(), 16);
    // A second node within the same second moves on to the next free second.
    QCOMPARE(c.add(Catalogue::Items, "e7_", "水费", now), QStringLiteral("e20240102030406_"));
    QCOMPARE(c.add(Catalogue::Items, "e7_", "电费", now), QStringLiteral("e20240102030407_"));
    // Handlers and account sets share "z": the second of them moves on as well.
    QCOMPARE(c.add(Catalogue::Handlers, "ignored", "老王", now), QStringLiteral("z20240102030405_"));
    QCOMPARE(c.add(Catalogue::AccountSets, "ignored", "公司", now), QStringLiteral("z20240102030406_"));
    QCOMPARE(c.add(Catalogue::Methods, "", "支票", now), QStringLiteral("a20240102030405_"));

    Statement st = t.data.query("select class, parent, content from mulu where key_1 like '%20240102%' order by id");
    QStringList rows;
    while (st.step())
        rows << st.text(0) + '|' + st.text(1) + '|' + st.text(2);
    QCOMPARE(rows, QStringList({"收支项目|e1_|利息", "收支项目|e7_|水费", "收支项目|e7_|电费", "经手人|0|老王",
                                "账套|0|公司", "收支方式|0|支票"}));
    QCOMPARE(count(t, "select count(distinct key_1) = count(*) from mulu"), 1);

    // A title that is none of the first three adds an account set.
    QCOMPARE(Catalogue::kindForTitle("添加经手人 "), int(Catalogue::AccountSets));
}

void CatalogueTest::textsAreStoredAsTyped()
{
    TestFolder t;
    Catalogue c(t.data);
    const QString key = c.add(Catalogue::Methods, "0", "it's \"x\" '); drop table mulu; --");
    QCOMPARE(contentOf(t, key), QStringLiteral("it's \"x\" '); drop table mulu; --"));
    const QString blanks = c.add(Catalogue::Handlers, "0", "   ");
    QCOMPARE(contentOf(t, blanks), QStringLiteral("   "));

    Statement st = t.data.query("select id from mulu where key_1=?", {key});
    QVERIFY(st.step());
    const qint64 id = st.integer(0);
    QVERIFY(c.rename(id, "O'Neil"));
    QCOMPARE(contentOf(t, key), QStringLiteral("O'Neil"));
    QVERIFY(c.rename(id, ""));
    QCOMPARE(contentOf(t, key), QString());
    QVERIFY(c.remove(id));
    QVERIFY(!c.rename(id, "gone"));
    QVERIFY(!c.remove(id));
}

void CatalogueTest::inUseCheckLooksAtEveryTable()
{
    TestFolder t;
    Catalogue c(t.data);
    const int set = t.addAccountSet("小店");
    const int other = t.addAccountSet("别的");
    QVERIFY(!c.accountSetInUse(set));
    QVERIFY(c.accountSetInUse(t.defaultAccountSet()));  // the seed user works in it

    const QStringList uses = {
        "insert into user (用户名, 密码, 注册时间, muluID) values ('u', 'p', '', ?)",
        "insert into jizhang (data, t1, t5, muluID) values ('2024-01-01', '收入', '1', ?)",
        "insert into blank (t0, parent, key_1, muluID) values ('x', '20240101000000_22', '20_22_', ?)",
        "insert into Tables (types, Title, dates, res, muluID) values ('t', 'b', '2024-01-01 00:00:00', '3', ?)"};
    const QStringList tables = {"user", "jizhang", "blank", "Tables"};
    for (int i = 0; i < uses.size(); ++i) {
        const qint64 row = t.data.insert(uses[i], {set});
        QVERIFY2(c.accountSetInUse(set), qPrintable(tables[i]));
        QVERIFY2(!c.accountSetInUse(other), qPrintable(tables[i]));
        t.data.exec(QStringLiteral("delete from %1 where id=?").arg(tables[i]), {row});
        QVERIFY2(!c.accountSetInUse(set), qPrintable(tables[i]));
    }
}

void CatalogueTest::treesShowTheFourLists()
{
    TestFolder t;
    // A row whose parent is missing is not shown; a parent key with blanks still finds its node.
    t.data.insert("insert into mulu (key_1, parent, class, content) values ('eorphan_', 'e9_', '收支项目', '孤儿')");
    t.data.insert("insert into mulu (key_1, parent, class, content) values ('eblank_', ' e1_ ', '收支项目', '红包')");
    CatalogueManager w(t.context);
    QCOMPARE(w.windowTitle(), QStringLiteral("软件设置"));
    auto *tabs = w.findChild<QTabBar *>("TabStrip1");
    QCOMPARE(tabs->count(), 4);
    QTreeWidget *items = w.findChild<QTreeWidget *>("TreeView1");
    QCOMPARE(topTexts(items), QStringList({"收入", "支出"}));
    QCOMPARE(childTexts(items->topLevelItem(0)), QStringList({"工资", "奖金", "红包"}));
    QCOMPARE(childTexts(items->topLevelItem(1)), QStringList({"餐饮", "交通", "购物", "居住"}));
    QVERIFY(items->topLevelItem(0)->isExpanded());
    QVERIFY(!find(items, "孤儿"));
    QCOMPARE(topTexts(w.findChild<QTreeWidget *>("TreeView2")), QStringList({"现金", "银行卡"}));
    QCOMPARE(topTexts(w.findChild<QTreeWidget *>("TreeView3")), QStringList({"本人"}));
    QCOMPARE(topTexts(w.findChild<QTreeWidget *>("TreeView4")), QStringList({"默认账套"}));

    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(tabs->currentIndex(), 0);
    for (int tab : {2, 0, 3, 1}) {
        tabs->setCurrentIndex(tab);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(w.tree(i)->isVisible(), i == tab);
    }
}

void CatalogueTest::addingThroughTheDialog()
{
    TestFolder t;
    CatalogueManager w(t.context);
    w.show();

    auto addThrough = [&](int tab, const QString &selected, const QString &name, const QString &title) {
        if (!selected.isEmpty())
            select(w, tab, selected);
        else
            w.showTab(tab);
        withModal([&] { press(w, "Command1"); },
                  [&](QWidget *modal) {
                      auto *dialog = qobject_cast<AddNodeDialog *>(modal);
                      QVERIFY(dialog);
                      QCOMPARE(dialog->windowTitle(), title);
                      QCOMPARE(dialog->findChild<QGroupBox *>("Frame1")->title(), QStringLiteral("添加分类目录"));
                      dialog->findChild<QLineEdit *>("Text1")->setText(name);
                      press(*dialog, "Command1");
                      QVERIFY(!dialog->isVisible());
                  });
    };

    addThrough(0, "收入", "利息", "添加收支项目");
    QCOMPARE(childTexts(w.tree(0)->topLevelItem(0)), QStringList({"工资", "奖金", "利息"}));
    Statement st = t.data.query("select key_1, parent, class from mulu where content='利息'");
    QVERIFY(st.step());
    QVERIFY(QRegularExpression("^e\\d{14}_$").match(st.text(0)).hasMatch());
    QCOMPARE(st.text(1), QStringLiteral("e1_"));
    QCOMPARE(st.text(2), QStringLiteral("收支项目"));

    addThrough(0, "支出", "话费", "添加收支项目");
    QCOMPARE(childTexts(w.tree(0)->topLevelItem(1)).last(), QStringLiteral("话费"));
    addThrough(1, "", "支票", "添加收支方式");
    addThrough(2, "", "老王", "添加经手人");
    addThrough(3, "", "公司", "添加账套");
    QCOMPARE(topTexts(w.tree(1)), QStringList({"现金", "银行卡", "支票"}));
    QCOMPARE(topTexts(w.tree(2)), QStringList({"本人", "老王"}));
    QCOMPARE(topTexts(w.tree(3)), QStringList({"默认账套", "公司"}));
    QVERIFY(w.node(2, find(w.tree(2), "老王")->data(0, CatalogueManager::KeyRole).toString())->text(0) == "老王");
    QVERIFY(find(w.tree(2), "老王")->data(0, CatalogueManager::KeyRole).toString().startsWith('z'));
    QVERIFY(find(w.tree(3), "公司")->data(0, CatalogueManager::KeyRole).toString().startsWith('z'));
    QVERIFY(t.prompt.shown.isEmpty());

    // On the item tab only the two roots take new items.
    for (const QString &selected : {QString(), QStringLiteral("工资")}) {
        w.tree(0)->clearSelection();
        if (!selected.isEmpty())
            select(w, 0, selected);
        w.showTab(0);
        press(w, "Command1");  // a dialog opened here would never return
        QCOMPARE(t.prompt.last().text, QStringLiteral("请选择收入或支出节点进行添加！"));
        QCOMPARE(t.prompt.last().title, QStringLiteral("提示"));
        QCOMPARE(t.prompt.last().icon, Prompt::Icon::Information);
    }
    // An item that happens to be named like a root is no root.
    Catalogue(t.data).add(Catalogue::Items, "e7_", "收入");
    w.LoadTreeView();
    QTreeWidgetItem *fake = w.tree(0)->topLevelItem(1)->child(w.tree(0)->topLevelItem(1)->childCount() - 1);
    QCOMPARE(fake->text(0), QStringLiteral("收入"));
    w.showTab(0);
    w.tree(0)->setCurrentItem(fake);
    const int shown = t.prompt.shown.size();
    press(w, "Command1");
    QCOMPARE(t.prompt.shown.size(), shown + 1);
    QCOMPARE(t.prompt.last().text, QStringLiteral("请选择收入或支出节点进行添加！"));
}

void CatalogueTest::addDialogRefusesAnEmptyNameAndReportsFailures()
{
    TestFolder t;
    AddNodeDialog dialog(t.context);
    dialog.setWindowTitle("添加经手人");
    QSignalSpy added(&dialog, &AddNodeDialog::nodeAdded);
    dialog.show();
    press(dialog, "Command1");
    QCOMPARE(t.prompt.last().text, QStringLiteral("分类目录不能为空！请输入。"));
    QCOMPARE(t.prompt.last().title, QStringLiteral("提示"));
    QCOMPARE(t.prompt.last().icon, Prompt::Icon::Information);
    QVERIFY(dialog.isVisible());
    QCOMPARE(added.count(), 0);

    // A name that cannot be stored is reported and stays in the dialog.
    const int before = count(t, "select count(*) from mulu");
    t.data.exec("create trigger refuse before insert on mulu begin select raise(abort, 'kein Platz'); end");
    dialog.findChild<QLineEdit *>("Text1")->setText("老王");
    press(dialog, "Command1");
    QCOMPARE(t.prompt.last().title, QStringLiteral("错误"));
    QVERIFY(t.prompt.last().text.startsWith(QStringLiteral("发现错误：\r\n")));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.findChild<QLineEdit *>("Text1")->text(), QStringLiteral("老王"));
    QCOMPARE(added.count(), 0);
    t.data.exec("drop trigger refuse");
    QCOMPARE(count(t, "select count(*) from mulu"), before);

    press(dialog, "Command1");
    QCOMPARE(added.count(), 1);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(count(t, "select count(*) from mulu where class='经手人' and content='老王' and parent='0'"), 1);
}

void CatalogueTest::rootsAreProtectedByTextOnEveryTab()
{
    TestFolder t;
    Catalogue c(t.data);
    c.add(Catalogue::Methods, "0", "收入");
    c.add(Catalogue::Handlers, "0", "支出");
    c.add(Catalogue::AccountSets, "0", "收入");
    CatalogueManager w(t.context);
    w.show();

    const int rows = count(t, "select count(*) from mulu");
    const std::pair<int, QString> protectedNodes[] = {{0, "收入"}, {0, "支出"}, {1, "收入"}, {2, "支出"}, {3, "收入"}};
    for (const auto &[tab, text] : protectedNodes) {
        select(w, tab, text);
        t.prompt.reset();
        press(w, "Command2");
        press(w, "Command3");
        QCOMPARE(t.prompt.texts(), QStringList({"这个不能修改哦！", "这个不能删除哦！"}));
        QCOMPARE(t.prompt.last().title, QStringLiteral("提示"));
        QCOMPARE(t.prompt.last().icon, Prompt::Icon::Information);
        QVERIFY(!openEditor(w.tree(tab)));
    }
    // With nothing selected the same refusals come.
    for (int tab = 0; tab < 4; ++tab) {
        w.showTab(tab);
        w.tree(tab)->clearSelection();
        t.prompt.reset();
        press(w, "Command2");
        press(w, "Command3");
        QCOMPARE(t.prompt.texts(), QStringList({"这个不能修改哦！", "这个不能删除哦！"}));
    }
    QCOMPARE(count(t, "select count(*) from mulu"), rows);
    QCOMPARE(contentOf(t, "e1_"), QStringLiteral("收入"));
}

void CatalogueTest::renameInPlace()
{
    TestFolder t;
    t.addEntry(t.defaultAccountSet(), "2024-05-01", "支出", "12", "餐饮", "午饭", "现金", "本人");
    CatalogueManager w(t.context);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    auto edit = [&](int tab, const QString &text) -> QLineEdit * {
        select(w, tab, text);
        press(w, "Command2");
        return openEditor(w.tree(tab));
    };
    const QString handlerKey = find(w.tree(2), "本人")->data(0, CatalogueManager::KeyRole).toString();

    // Cancelled: nothing stored, the label stays.
    QLineEdit *editor = edit(2, "本人");
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("本人"));
    editor->setText("改了");
    finishEdit(editor, Qt::Key_Escape);
    QCOMPARE(contentOf(t, handlerKey), QStringLiteral("本人"));
    QVERIFY(find(w.tree(2), "本人"));

    // Confirmed: stored as typed, quote included, and the label keeps the new text.
    editor = edit(2, "本人");
    QVERIFY(editor);
    editor->setText("O'Brien \"老\"");
    finishEdit(editor, Qt::Key_Return);
    QCOMPARE(contentOf(t, handlerKey), QStringLiteral("O'Brien \"老\""));
    QCOMPARE(w.tree(2)->topLevelItem(0)->text(0), QStringLiteral("O'Brien \"老\""));
    QVERIFY(t.prompt.shown.isEmpty());

    // An item and a payment method; the ledger entry keeps its texts.
    editor = edit(0, "餐饮");
    QVERIFY(editor);
    editor->setText("伙食");
    finishEdit(editor, Qt::Key_Return);
    editor = edit(1, "现金");
    QVERIFY(editor);
    editor->setText("");
    finishEdit(editor, Qt::Key_Return);
    QCOMPARE(count(t, "select count(*) from mulu where content='伙食' and parent='e7_'"), 1);
    QCOMPARE(count(t, "select count(*) from mulu where content='' and class='收支方式'"), 1);
    Statement st = t.data.query("select t2, t3, t4, content from jizhang");
    QVERIFY(st.step());
    QCOMPARE(QStringList({st.text(0), st.text(1), st.text(2), st.text(3)}),
             QStringList({"餐饮", "现金", "本人", "午饭"}));

    // A rename that cannot be stored is reported and the old label comes back.
    editor = edit(0, "伙食");
    QVERIFY(editor);
    t.data.exec("create trigger refuse before update on mulu begin select raise(abort, 'nein'); end");
    editor->setText("吃饭");
    finishEdit(editor, Qt::Key_Return);
    QCOMPARE(t.prompt.last().title, QStringLiteral("错误"));
    QVERIFY(find(w.tree(0), "伙食"));
    QVERIFY(!find(w.tree(0), "吃饭"));
}

void CatalogueTest::deleteNodes()
{
    TestFolder t;
    t.addEntry(t.defaultAccountSet(), "2024-05-01", "收入", "100", "奖金", "年终", "银行卡", "本人");
    CatalogueManager w(t.context);
    w.show();
    const int rows = count(t, "select count(*) from mulu");

    select(w, 0, "奖金");
    t.prompt.answers << Prompt::Answer::Cancel;
    press(w, "Command3");
    QCOMPARE(t.prompt.last().text, QStringLiteral("你真的要删除当前分组吗？"));
    QCOMPARE(t.prompt.last().title, QStringLiteral("提示"));
    QCOMPARE(t.prompt.last().icon, Prompt::Icon::Question);
    QCOMPARE(t.prompt.last().buttons, Prompt::Buttons::OkCancel);
    QCOMPARE(count(t, "select count(*) from mulu"), rows);

    for (const auto &[tab, text] : {std::pair{0, "奖金"}, std::pair{1, "现金"}, std::pair{2, "本人"}}) {
        select(w, tab, text);
        t.prompt.answers << Prompt::Answer::Ok;
        press(w, "Command3");
        QVERIFY(!find(w.tree(tab), text));
    }
    QCOMPARE(count(t, "select count(*) from mulu"), rows - 3);
    // A payment method is an account: while an entry names it, it stays, and the user is
    // told how many do.
    select(w, 1, "银行卡");
    t.prompt.answers << Prompt::Answer::Ok;
    press(w, "Command3");
    QVERIFY(t.prompt.last().text.startsWith(QStringLiteral("账户“银行卡”还有 1 条记录")));
    QVERIFY(find(w.tree(1), "银行卡"));
    QCOMPARE(childTexts(w.tree(0)->topLevelItem(0)), QStringList({"工资"}));
    // The entry still names what it named.
    Statement st = t.data.query("select t2, t3, t4 from jizhang");
    QVERIFY(st.step());
    QCOMPARE(QStringList({st.text(0), st.text(1), st.text(2)}), QStringList({"奖金", "银行卡", "本人"}));
    QCOMPARE(t.prompt.shown.size(), 6);  // the confirmations and the refusal
}

void CatalogueTest::deletingAccountSets()
{
    TestFolder t;
    const int shop = t.addAccountSet("小店");
    t.addAccountSet("空的");
    CatalogueManager w(t.context);
    w.show();
    const int rows = count(t, "select count(*) from mulu");

    // The seed user's account set, and one holding a diary entry.
    t.data.insert("insert into Tables (types, Title, dates, res, muluID) values ('t', 'b', '', '3', ?)", {shop});
    for (const QString &name : {QStringLiteral("默认账套"), QStringLiteral("小店")}) {
        select(w, 3, name);
        t.prompt.answers << Prompt::Answer::Ok;
        press(w, "Command3");
        QCOMPARE(t.prompt.last().text, InUse);
        QCOMPARE(t.prompt.last().title, QStringLiteral("错误"));
        QCOMPARE(t.prompt.last().icon, Prompt::Icon::Information);
        QVERIFY(find(w.tree(3), name));
    }
    QCOMPARE(count(t, "select count(*) from mulu"), rows);

    // Unused: only its own row goes.
    select(w, 3, "空的");
    t.prompt.answers << Prompt::Answer::Ok;
    press(w, "Command3");
    QCOMPARE(topTexts(w.tree(3)), QStringList({"默认账套", "小店"}));
    QCOMPARE(count(t, "select count(*) from mulu"), rows - 1);

    // The in-use check is for account sets: a handler goes even with a user bound to its id.
    const QString key = Catalogue(t.data).add(Catalogue::Handlers, "0", "小店");
    t.data.insert("insert into user (用户名, 密码, 注册时间, muluID) select 'x', 'x', '', id from mulu where key_1=?", {key});
    w.LoadTreeView();
    select(w, 2, "小店");
    t.prompt.answers << Prompt::Answer::Ok;
    press(w, "Command3");
    QCOMPARE(contentOf(t, key), QStringLiteral("<none>"));
    QVERIFY(find(w.tree(3), "小店"));
}

void CatalogueTest::openedFromTheMainWindow()
{
    TestFolder t;
    t.loginAsAdmin();
    MainWindow main(t.context);
    main.show();
    auto *handlers = main.findChild<QComboBox *>("Combo1");
    QCOMPARE(handlers->itemText(0), QStringLiteral("本人"));

    withModal([&] { main.commands().button(Command::Catalogue)->trigger(); },
              [&](QWidget *modal) {
                  auto *manager = qobject_cast<CatalogueManager *>(modal);
                  QVERIFY(manager);
                  QCOMPARE(manager->parentWidget(), &main);
                  select(*manager, 2, "本人");
                  press(*manager, "Command2");
                  QLineEdit *editor = openEditor(manager->tree(2));
                  QVERIFY(editor);
                  editor->setText("我");
                  finishEdit(editor, Qt::Key_Return);
              });
    QCOMPARE(count(t, "select count(*) from mulu where class='经手人' and content='我'"), 1);
    // The search panel keeps the choices it was given at start-up.
    QCOMPARE(handlers->itemText(0), QStringLiteral("本人"));
}

TALLYRA_TEST(CatalogueTest)
#include "tst_catalogue.moc"
