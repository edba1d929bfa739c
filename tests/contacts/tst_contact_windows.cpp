// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "contacts/add_group_dialog.h"
#include "contacts/address_book.h"
#include "contacts/address_book_window.h"
#include "contacts/birthday_picker.h"
#include "contacts/change_icon_dialog.h"
#include "contacts/contact_csv.h"
#include "contacts/contact_editor.h"
#include "contacts/contact_images.h"
#include "contacts/export_wizard.h"
#include "contacts/import_wizard.h"
#include "contacts/move_contact_dialog.h"
#include "support/test_folder.h"
#include "ui/prompt.h"
#include "ui/record_list.h"

#include <QAbstractItemDelegate>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest>

#include "support/test_main.h"

namespace {

void click(QWidget *owner, const char *button)
{
    auto *b = owner->findChild<QPushButton *>(button);
    QVERIFY2(b, button);
    QTest::mouseClick(b, Qt::LeftButton);
}

QLineEdit *field(QWidget *editor, int i) { return editor->findChild<QLineEdit *>(QStringLiteral("Text1_%1").arg(i)); }

void chooseNode(AddressBookWindow &w, const QString &key)
{
    QTreeWidgetItem *item = w.node(key);
    QVERIFY(item);
    w.tree()->setCurrentItem(item);
}

int rowOfId(RecordList *list, qint64 id)
{
    for (int row = 0; row < list->rowCount(); ++row)
        if (list->cell(row, 1) == QString::number(id))
            return row;
    return -1;
}

Contact named(const QString &name)
{
    Contact c;
    c.t[0] = name;
    return c;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class ContactWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void addressBookOpensOnAllContacts();
    void treeFollowsTheGroups();
    void groupCommandsLeaveTheAllContactsNodeAlone();
    void deleteAndRenameGroups();
    void deleteAndMoveContacts();
    void editorAddsToTheCurrentGroup();
    void editorModifyKeepsWhatItCannotShow();
    void changeIconDialog();
    void exportWizard();
    void importWizard();
    void importLeavesOutContactsWithoutName();
    void fileFiltersShowTheirPatternsOnce();
    void refusedWritesLeaveNothingHalfDone();
    void mainWindowOpensTheAddressBook();
};

void ContactWindowsTest::addressBookOpensOnAllContacts()
{
    TestFolder t;
    AddressBook book(t.data);
    const QString group = book.addGroup(QStringLiteral("同学"), QStringLiteral("0"));
    book.addContact(named(QStringLiteral("甲")), group);
    book.addContact(named(QStringLiteral("乙")), QStringLiteral("0_"));

    AddressBookWindow w(t.context);
    QCOMPARE(w.objectName(), QStringLiteral("Form21"));
    QCOMPARE(w.panelText(1), QStringLiteral("当前：全部记录"));
    QCOMPARE(w.panelText(2), QStringLiteral("共：2 条记录"));
    QCOMPARE(w.currentKey(), QStringLiteral("0_"));
    QTreeWidgetItem *all = w.tree()->topLevelItem(0);
    QCOMPARE(all->text(0), QStringLiteral("全部记录"));
    QCOMPARE(w.list()->model().headerData(0, Qt::Horizontal).toString(), QStringLiteral("姓  名"));
    QCOMPARE(w.list()->model().headerData(8, Qt::Horizontal).toString(), QStringLiteral("QQ 号"));
    QCOMPARE(w.list()->cell(0, 0), QStringLiteral("乙"));

    // Menus and items by their names and captions.
    const std::pair<const char *, const char *> items[] = {
        {"menu1", "添加分组"}, {"menu2", "添加子分组"}, {"menu3", "删除分组"},   {"menu5", "更改图标"},
        {"menu4", "重命名"},   {"add_new", "添加记录"}, {"edit", "修改记录"},    {"del", "删除记录"},
        {"opennew", "转移至其它组下"}, {"tool1", "导入"}, {"Export", "导出"}};
    for (const auto &[name, caption] : items) {
        auto *action = w.findChild<QAction *>(name);
        QVERIFY2(action, name);
        QCOMPARE(action->text(), QString::fromUtf8(caption));
    }
    QVERIFY(w.findChild<QMenu *>("menu"));
    QVERIFY(w.findChild<QMenu *>("master"));
    QVERIFY(w.findChild<QMenu *>("tools"));
    QCOMPARE(w.findChild<QMenu *>("menu")->title(), QStringLiteral("分组管理"));
    QCOMPARE(w.findChild<QMenu *>("master")->title(), QStringLiteral("成员管理"));
    QCOMPARE(w.findChild<QMenu *>("tools")->title(), QStringLiteral("工具"));
    QVERIFY(w.findChild<QAction *>("q1")->isSeparator());
    QStringList buttons;
    for (QAction *action : w.toolbar()->actions())
        buttons << (action->isSeparator() ? QStringLiteral("|") : action->text());
    QCOMPARE(buttons, QStringList({"添加记录", "修改记录", "删除记录", "|", "导入", "导出"}));

    // "添加记录" on the all-contacts node asks for a group and opens nothing; the
    // toolbar button does the same.
    w.toolbarClicked(w.toolbar()->actions().first());
    QCOMPARE(t.prompt.shown.size(), 1);
    QCOMPARE(t.prompt.last().title, QStringLiteral("选择分组"));
    QCOMPARE(t.prompt.lastText(), QStringLiteral("请选择要添加至通信类的分组！\r\n请从左边的列表中选择。"));
    QVERIFY(!w.findChild<ContactEditor *>());

    // Commands on a contact need one.
    w.list()->selectRow(-1);
    for (const char *name : {"edit", "del", "opennew"}) {
        t.prompt.reset();
        w.findChild<QAction *>(name)->trigger();
        QCOMPARE(t.prompt.lastText(), QStringLiteral("请选择记录！"));
    }
}

void ContactWindowsTest::treeFollowsTheGroups()
{
    TestFolder t;
    AddressBook book(t.data);
    const QString top = book.addGroup(QStringLiteral("同学"), QStringLiteral("0"));
    const QString sub = book.addGroup(QStringLiteral("大学"), top);
    const QString underAll = book.addGroup(QStringLiteral("杂项"), QStringLiteral("0_"));
    const QString trimmed = book.addGroup(QStringLiteral("空格"), QStringLiteral(" ") + top + QStringLiteral(" "));
    book.addGroup(QStringLiteral("孤儿"), QStringLiteral("gone_"));
    book.setGroupIcon(sub, 9);
    const qint64 inTop = book.addContact(named(QStringLiteral("甲")), top);
    book.addContact(named(QStringLiteral("乙")), sub);

    AddressBookWindow w(t.context);
    QCOMPARE(w.tree()->topLevelItemCount(), 2);
    QCOMPARE(w.node(top)->parent(), nullptr);
    QCOMPARE(w.node(sub)->parent(), w.node(top));
    QCOMPARE(w.node(trimmed)->parent(), w.node(top));
    QCOMPARE(w.node(underAll)->parent(), w.tree()->topLevelItem(0));
    QVERIFY(w.node(top)->isExpanded());
    QVERIFY(!w.node(QStringLiteral("gone_")));
    QCOMPARE(w.node(sub)->icon(0).pixmap(16).toImage(), ContactImages::image(9).pixmap(16).toImage());

    // Choosing a node lists only its own contacts.
    chooseNode(w, top);
    QCOMPARE(w.panelText(1), QStringLiteral("当前：同学"));
    QCOMPARE(w.panelText(2), QStringLiteral("共：1 条记录"));
    QCOMPARE(w.list()->cell(0, 1), QString::number(inTop));

    // The move dialog shows the same groups without the all-contacts node; groups filed
    // under it stand at the top.
    MoveContactDialog move(t.context, inTop, &w);
    QCOMPARE(move.windowTitle(), QStringLiteral("请选择分组"));
    QCOMPARE(move.tree()->topLevelItemCount(), 2);
    QVERIFY(move.tree()->findItems(QStringLiteral("全部记录"), Qt::MatchExactly | Qt::MatchRecursive).isEmpty());
    QCOMPARE(move.tree()->findItems(QStringLiteral("大学"), Qt::MatchExactly | Qt::MatchRecursive).size(), 1);
}

void ContactWindowsTest::groupCommandsLeaveTheAllContactsNodeAlone()
{
    TestFolder t;
    AddressBook book(t.data);
    const QString group = book.addGroup(QStringLiteral("同学"), QStringLiteral("0"));
    AddressBookWindow w(t.context);
    w.show();
    w.deleteGroup();
    w.renameGroup();
    w.changeIcon();
    QVERIFY(t.prompt.shown.isEmpty());
    QVERIFY(!w.findChild<ChangeIconDialog *>());
    QVERIFY(!w.tree()->findChild<QLineEdit *>());
    QCOMPARE(book.groups().size(), size_t(1));
    QVERIFY(w.node(group));
}

void ContactWindowsTest::deleteAndRenameGroups()
{
    TestFolder t;
    AddressBook book(t.data);
    const QString group = book.addGroup(QStringLiteral("同学"), QStringLiteral("0"));
    const QString sub = book.addGroup(QStringLiteral("大学"), group);
    book.addContact(named(QStringLiteral("甲")), group);
    AddressBookWindow w(t.context);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    // Renaming in place stores the new name; an empty name is refused.
    chooseNode(w, group);
    w.renameGroup();
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(editor);
    QVERIFY(w.tree()->isAncestorOf(editor));
    editor->setText(QStringLiteral("老同学"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(book.groups()[0].name, QStringLiteral("老同学"));
    QCOMPARE(w.panelText(1), QStringLiteral("当前：老同学"));

    w.renameGroup();
    editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(editor);
    editor->clear();
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(t.prompt.lastText(), QStringLiteral("分类目录不能为空！"));
    QCOMPARE(w.node(group)->text(0), QStringLiteral("老同学"));
    QCOMPARE(book.groups()[0].name, QStringLiteral("老同学"));

    // Cancelled deletion keeps the group; confirmed deletion removes it and its
    // sub-groups from the tree, and its contact is still under all contacts.
    t.prompt.answers.enqueue(Prompt::Answer::Cancel);
    w.deleteGroup();
    QCOMPARE(t.prompt.last().text, QStringLiteral("你真的要删除当前分组吗？"));
    QCOMPARE(t.prompt.last().title, QStringLiteral("提示"));
    QVERIFY(w.node(group));
    t.prompt.answers.enqueue(Prompt::Answer::Ok);
    w.deleteGroup();
    QVERIFY(!w.node(group));
    QVERIFY(!w.node(sub));
    QCOMPARE(w.currentKey(), QStringLiteral("0_"));
    QCOMPARE(w.tree()->topLevelItemCount(), 1);
    w.LoadData(QStringLiteral("0_"));
    QCOMPARE(w.list()->rowCount(), 1);
}

void ContactWindowsTest::deleteAndMoveContacts()
{
    TestFolder t;
    AddressBook book(t.data);
    const QString a = book.addGroup(QStringLiteral("甲组"), QStringLiteral("0"));
    const QString b = book.addGroup(QStringLiteral("乙组"), QStringLiteral("0"));
    const qint64 one = book.addContact(named(QStringLiteral("一")), a);
    const qint64 two = book.addContact(named(QStringLiteral("二")), a);
    const qint64 three = book.addContact(named(QStringLiteral("三")), a);
    AddressBookWindow w(t.context);
    chooseNode(w, a);
    QCOMPARE(w.list()->rowCount(), 3);

    // Delete: the row goes and the count drops without a reload.
    w.list()->selectRow(rowOfId(w.list(), two));
    t.prompt.answers.enqueue(Prompt::Answer::Cancel);
    w.deleteContact();
    QCOMPARE(t.prompt.lastText(), QStringLiteral("确定删除选定的信息吗?"));
    QCOMPARE(w.list()->rowCount(), 3);
    w.deleteContact();
    QCOMPARE(w.list()->rowCount(), 2);
    QCOMPARE(w.panelText(2), QStringLiteral("共：2 条记录"));
    QVERIFY(!book.contact(two));

    // Move: with no group chosen the dialog refuses and moves nothing.
    MoveContactDialog refuse(t.context, one, &w);
    QVERIFY(!refuse.EditData());
    QCOMPARE(t.prompt.lastText(), QStringLiteral("请选择分组！"));
    QCOMPARE(book.contact(one)->t[Contact::Group], a);

    // Moving to the current group leaves the list; moving elsewhere removes the row.
    w.list()->selectRow(rowOfId(w.list(), one));
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<MoveContactDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->tree()->setCurrentItem(dialog->tree()->findItems(QStringLiteral("甲组"), Qt::MatchExactly).first());
        click(dialog, "Command1");
    });
    w.moveContact();
    QCOMPARE(w.list()->rowCount(), 2);
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<MoveContactDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->tree()->setCurrentItem(dialog->tree()->findItems(QStringLiteral("乙组"), Qt::MatchExactly).first());
        click(dialog, "Command1");
    });
    w.moveContact();
    QCOMPARE(w.list()->rowCount(), 1);
    QCOMPARE(w.list()->cell(0, 1), QString::number(three));
    QCOMPARE(w.panelText(2), QStringLiteral("共：1 条记录"));
    QCOMPARE(book.contact(one)->t[Contact::Group], b);
}

void ContactWindowsTest::editorAddsToTheCurrentGroup()
{
    TestFolder t;
    AddressBook book(t.data);
    const QString group = book.addGroup(QStringLiteral("同学"), QStringLiteral("0"));
    const qint64 older = book.addContact(named(QStringLiteral("旧")), group);
    AddressBookWindow w(t.context);
    chooseNode(w, group);

    QTimer::singleShot(0, this, [&] {
        auto *editor = qobject_cast<ContactEditor *>(QApplication::activeModalWidget());
        QVERIFY(editor);
        QCOMPARE(editor->objectName(), QStringLiteral("Form22"));
        QCOMPARE(editor->windowTitle(), QStringLiteral("添加记录"));
        QCOMPARE(editor->findChild<QPushButton *>("Command1")->text(), QStringLiteral("添加"));
        QCOMPARE(editor->findChild<QComboBox *>("Combo1_0")->currentText(), QString());
        // Each field is named by its own label, not by the frame.
        QCOMPARE(field(editor, 1)->accessibleName(), QStringLiteral("手机"));
        QCOMPARE(field(editor, 12)->accessibleName(), QStringLiteral("QQ号"));
        QCOMPARE(editor->findChild<QComboBox *>("Combo1_0")->accessibleName(), QStringLiteral("性别"));
        // No birthday until one is chosen.
        QVERIFY(!editor->findChild<BirthdayPicker *>("DTPicker1")->date());
        QVERIFY(editor->fields().t[Contact::Birthday].isEmpty());
        // The name is required.
        click(editor, "Command1");
        QCOMPARE(t.prompt.lastText(), QStringLiteral("请输入姓名！"));
        QCOMPARE(t.prompt.last().icon, Prompt::Icon::Question);
        QVERIFY(editor->isVisible());
        for (int i = 0; i < 16; ++i)
            field(editor, i)->setText(QStringLiteral("f%1'").arg(i));
        editor->findChild<QPlainTextEdit *>("Text1_16")->setPlainText(QStringLiteral("第一行\n第二行"));
        editor->findChild<QComboBox *>("Combo1_1")->setCurrentIndex(1);
        editor->findChild<BirthdayPicker *>("DTPicker1")->setDate(QDate(1990, 7, 1));
        click(editor, "Command1");
    });
    w.addContact();

    // The new contact is the first row of the group's list.
    QCOMPARE(w.list()->rowCount(), 2);
    const qint64 id = w.list()->cell(0, 1).toLongLong();
    QVERIFY(id != older);
    const Contact stored = *book.contact(id);
    for (int i = 0; i < 16; ++i)
        QCOMPARE(stored.t[size_t(i)], QStringLiteral("f%1'").arg(i));
    QCOMPARE(stored.t[Contact::Remark], QStringLiteral("第一行\r\n第二行"));
    QCOMPARE(stored.t[Contact::Sex], QString(""));
    QCOMPARE(stored.t[Contact::Calendar], QStringLiteral("农历"));
    QCOMPARE(stored.t[Contact::Birthday], QStringLiteral("1990-07-01"));
    QCOMPARE(stored.t[Contact::Group], group);
}

void ContactWindowsTest::editorModifyKeepsWhatItCannotShow()
{
    TestFolder t;
    AddressBook book(t.data);
    const QString group = book.addGroup(QStringLiteral("同学"), QStringLiteral("0"));
    Contact imported = named(QStringLiteral("导入的"));
    imported.t[Contact::Sex] = QStringLiteral("未知");
    imported.t[Contact::Calendar] = QStringLiteral("阴历");
    const qint64 id = book.addContact(imported, group);
    Contact odd = named(QStringLiteral("怪"));
    odd.t[Contact::Birthday] = QStringLiteral("春天");
    odd.t[Contact::Sex] = QStringLiteral("男");
    const qint64 oddId = book.addContact(odd, group);

    // An empty birthday stays empty, unknown choices stay, the group stays.
    {
        ContactEditor editor(t.context);
        QVERIFY(editor.setModifyMode(id));
        QCOMPARE(editor.windowTitle(), QStringLiteral("修改记录"));
        QCOMPARE(editor.findChild<QPushButton *>("Command1")->text(), QStringLiteral("修改"));
        QCOMPARE(editor.findChild<QComboBox *>("Combo1_0")->currentIndex(), -1);
        QVERIFY(!editor.findChild<BirthdayPicker *>("DTPicker1")->date());
        field(&editor, 1)->setText(QStringLiteral("139"));
        QSignalSpy saved(&editor, &ContactEditor::saved);
        click(&editor, "Command1");
        QCOMPARE(saved.count(), 1);
        const Contact stored = *book.contact(id);
        QCOMPARE(stored.t[1], QStringLiteral("139"));
        QCOMPARE(stored.t[Contact::Sex], QStringLiteral("未知"));
        QCOMPARE(stored.t[Contact::Calendar], QStringLiteral("阴历"));
        QCOMPARE(stored.t[Contact::Birthday], QString(""));
        QCOMPARE(stored.t[Contact::Group], group);
    }
    // A chosen entry replaces the unknown text; a chosen date is written yyyy-MM-dd.
    {
        ContactEditor editor(t.context);
        QVERIFY(editor.setModifyMode(id));
        editor.findChild<QComboBox *>("Combo1_0")->setCurrentIndex(1);
        auto *picker = editor.findChild<BirthdayPicker *>("DTPicker1");
        picker->checkBox()->setChecked(true);
        picker->dateEdit()->setDate(QDate(2001, 2, 3));
        QVERIFY(editor.EditData(id));
        QCOMPARE(book.contact(id)->t[Contact::Sex], QStringLiteral("女"));
        QCOMPARE(book.contact(id)->t[Contact::Birthday], QStringLiteral("2001-02-03"));
    }
    // A birthday that is not a date stays until a date is chosen; a date can be removed.
    {
        ContactEditor editor(t.context);
        QVERIFY(editor.setModifyMode(oddId));
        QCOMPARE(editor.findChild<QComboBox *>("Combo1_0")->currentText(), QStringLiteral("男"));
        QVERIFY(editor.EditData(oddId));
        QCOMPARE(book.contact(oddId)->t[Contact::Birthday], QStringLiteral("春天"));
        ContactEditor again(t.context);
        QVERIFY(again.setModifyMode(id));
        again.findChild<BirthdayPicker *>("DTPicker1")->checkBox()->setChecked(false);
        QVERIFY(again.EditData(id));
        QCOMPARE(book.contact(id)->t[Contact::Birthday], QString(""));
    }
    // A contact that is gone is not opened.
    {
        ContactEditor editor(t.context);
        QVERIFY(!editor.setModifyMode(id + 1000));
        QCOMPARE(t.prompt.lastText(), QStringLiteral("该记录已不存在！"));
    }
}

void ContactWindowsTest::changeIconDialog()
{
    TestFolder t;
    AddressBook book(t.data);
    const QString group = book.addGroup(QStringLiteral("同学"), QStringLiteral("0"));
    AddressBookWindow w(t.context);
    chooseNode(w, group);

    // The 26 pictures differ from one another.
    const QList<QIcon> images = ContactImages::imageList();
    QCOMPARE(images.size(), 26);
    for (int i = 0; i < images.size(); ++i)
        for (int j = i + 1; j < images.size(); ++j)
            QVERIFY(images[i].pixmap(32).toImage() != images[j].pixmap(32).toImage());

    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<ChangeIconDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        const auto closeAnyway = qScopeGuard([dialog] { dialog->reject(); });
        QCOMPARE(dialog->list()->rowCount(), 26);
        // Every picture shows at once, without scrolling.
        QListView *icons = dialog->list()->iconView();
        QTRY_VERIFY(icons->visualRect(dialog->list()->model().index(25, 0)).isValid());
        QCOMPARE(icons->verticalScrollBar()->maximum(), 0);
        QVERIFY(icons->viewport()->rect().contains(icons->visualRect(dialog->list()->model().index(25, 0))));
        // Nothing chosen: nothing changes.
        click(dialog, "Command1");
        QCOMPARE(book.groups()[0].image, 2);
        dialog->list()->selectRow(6);
        click(dialog, "Command1");
        QVERIFY(dialog->isVisible());  // stays open for another try
        QCOMPARE(book.groups()[0].image, 7);
        click(dialog, "Command2");
    });
    w.changeIcon();
    QCOMPARE(w.node(group)->icon(0).pixmap(16).toImage(), ContactImages::image(7).pixmap(16).toImage());
}

void ContactWindowsTest::exportWizard()
{
    TestFolder t;
    AddressBook book(t.data);
    const QString group = book.addGroup(QStringLiteral("同学"), QStringLiteral("0"));
    Contact a = named(QStringLiteral("张三"));
    a.t[1] = QStringLiteral("138");
    book.addContact(a, group);
    book.addContact(named(QStringLiteral("李四")), group);
    book.addContact(named(QStringLiteral("别组")), QStringLiteral("other_"));

    ExportWizard wizard(t.context, group);
    QCOMPARE(wizard.windowTitle(), QStringLiteral("导出向导"));
    QCOMPARE(wizard.fieldList()->rowCount(), 18);
    QVERIFY(wizard.tickedNames().isEmpty());

    click(&wizard, "Command2");
    QCOMPARE(t.prompt.lastText(), QStringLiteral("请选择文件输出路径！"));
    const QString path = t.path() + QStringLiteral("/out.csv");
    t.prompt.files.enqueue(path);
    click(&wizard, "Command1");
    QCOMPARE(t.prompt.last().title, QStringLiteral("保存"));
    QCOMPARE(t.prompt.last().text, QStringLiteral("导出文件(*.csv)|*.csv"));
    QCOMPARE(wizard.findChild<QLineEdit *>("Text1")->text(), path);

    // [全选] then [反选] leaves nothing ticked and the export is refused.
    wizard.tickAll();
    wizard.invertTicks();
    click(&wizard, "Command2");
    QCOMPARE(t.prompt.lastText(), QStringLiteral("请选择要导出的字段信息！"));
    QCOMPARE(t.prompt.last().title, QStringLiteral("信息"));
    QVERIFY(!QFile::exists(path));

    // The columns follow the field list whatever the order of ticking.
    QVERIFY(wizard.tick(QStringLiteral("手机")));
    QVERIFY(wizard.tick(QStringLiteral("姓名")));
    click(&wizard, "Command2");
    QCOMPARE(t.prompt.lastText(), QStringLiteral("你已成功导出通信薄中指定的资料！"));
    QVERIFY(wizard.isVisible() || !wizard.result());
    QCOMPARE(readAll(path), ContactCsv::encode(QStringLiteral("姓名,手机\r\n李四,\r\n张三,138\r\n")));

    // [反选] on some ticks ticks exactly the others.
    wizard.invertTicks();
    QCOMPARE(wizard.tickedNames().size(), 16);
    QVERIFY(!wizard.tickedNames().contains(QStringLiteral("姓名")));

    // A path that cannot be written is reported, not announced as success.
    t.prompt.reset();
    wizard.findChild<QLineEdit *>("Text1")->setText(t.path() + QStringLiteral("/no/such/folder/out.csv"));
    click(&wizard, "Command2");
    QCOMPARE(t.prompt.shown.size(), 1);
    QCOMPARE(t.prompt.last().icon, Prompt::Icon::Critical);
    QVERIFY(t.prompt.lastText().startsWith(QStringLiteral("无法写入文件")));
}

void ContactWindowsTest::importWizard()
{
    TestFolder t;
    AddressBook book(t.data);
    const QString group = book.addGroup(QStringLiteral("同学"), QStringLiteral("0"));
    AddressBookWindow w(t.context);
    chooseNode(w, group);

    const QString path = t.path() + QStringLiteral("/in.csv");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("\xEF\xBB\xBF") +
                   QStringLiteral("姓名,手机,昵称,生日 \r\n甲,1,小甲,1980-1-1\r\n乙,2\r\n\r\n").toUtf8());
    }

    ImportWizard wizard(t.context, w.currentKey(), &w);
    wizard.show();
    QSignalSpy imported(&wizard, &ImportWizard::imported);
    QCOMPARE(wizard.page(), 0);
    QVERIFY(!wizard.next());
    QCOMPARE(t.prompt.lastText(), QStringLiteral("请选择导入文件路径！"));
    wizard.pathField()->setText(t.path() + QStringLiteral("/missing.csv"));
    QVERIFY(!wizard.next());
    QVERIFY(t.prompt.lastText().startsWith(QStringLiteral("无法读取文件")));
    QCOMPARE(wizard.page(), 0);

    t.prompt.files.enqueue(path);
    click(&wizard, "Command1");
    QCOMPARE(t.prompt.last().text, QStringLiteral("导入出文件(*.csv)|*.csv"));
    click(&wizard, "Command4");
    QCOMPARE(wizard.page(), 1);
    RecordList *columns = wizard.columnList();
    QCOMPARE(columns->rowCount(), 4);
    QCOMPARE(columns->cell(3, 1), QStringLiteral("生日 "));
    QList<bool> ticks;
    for (int row = 0; row < 4; ++row)
        ticks << columns->model().record(row).checked;
    QCOMPARE(ticks, QList<bool>({true, true, false, false}));

    // Nothing importable ticked: refused.
    columns->model().setChecked(0, false);
    columns->model().setChecked(1, false);
    columns->model().setChecked(2, true);  // not a field
    QVERIFY(!wizard.importContacts());
    QCOMPARE(t.prompt.lastText(), QStringLiteral("请选择要导入的字段！"));
    QVERIFY(book.contacts(AddressBook::allKey()).empty());

    // Back and forth keeps the file; unticking 手机 skips that column.
    click(&wizard, "Command6");
    QCOMPARE(wizard.page(), 0);
    click(&wizard, "Command4");
    columns->model().setChecked(1, false);
    click(&wizard, "Command2");
    QCOMPARE(t.prompt.lastText(), QStringLiteral("导入成功！"));
    QCOMPARE(imported.count(), 1);
    const std::vector<Contact> stored = book.contacts(group);
    QCOMPARE(stored.size(), size_t(2));
    QCOMPARE(stored[1].t[0], QStringLiteral("甲"));
    QVERIFY(stored[1].t[1].isNull());
    QVERIFY(stored[1].t[Contact::Birthday].isNull());  // "生日 " is no field
    QCOMPARE(stored[0].t[0], QStringLiteral("乙"));

    // The address book lists all contacts after an import through its command.
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ContactCsv::encode(QStringLiteral("姓名,生日\r\n丙,不详\r\n丁,2000-01-01\r\n")));
    }
    book.addContact(named(QStringLiteral("别组")), QStringLiteral("other_"));
    t.prompt.reset();
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<ImportWizard *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->pathField()->setText(path);
        click(dialog, "Command4");
        click(dialog, "Command2");
    });
    w.importContacts();
    QCOMPARE(w.listedKey(), QStringLiteral("0_"));
    QCOMPARE(w.list()->rowCount(), 5);
    QCOMPARE(w.panelText(1), QStringLiteral("当前：同学"));
    // The birthday that is not a date is named, the contact is stored without it.
    QVERIFY(t.prompt.lastText().contains(QStringLiteral("第 2 行")));
    QVERIFY(!t.prompt.texts().contains(QStringLiteral("导入成功！")));
    QCOMPARE(book.contacts(group).size(), size_t(4));
}

void ContactWindowsTest::importLeavesOutContactsWithoutName()
{
    TestFolder t;
    AddressBook book(t.data);
    const QString group = book.addGroup(QStringLiteral("同学"), QStringLiteral("0"));
    const QString path = t.path() + QStringLiteral("/in.csv");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ContactCsv::encode(QStringLiteral("手机,姓名,生日\r\n1,甲,1980-1-1\r\n2,,1980-1-2\r\n3\r\n4,乙,不详\r\n")));
    }
    ImportWizard wizard(t.context, group);
    wizard.show();
    wizard.pathField()->setText(path);
    QVERIFY(wizard.next());
    // With 姓名 unticked nothing is stored, and the wizard stays open to tick it again.
    wizard.columnList()->model().setChecked(1, false);
    QVERIFY(!wizard.importContacts());
    QVERIFY(wizard.isVisible());
    QVERIFY(book.contacts(group).empty());
    // Only the named lines are stored; the report names the others, and no success is said.
    wizard.columnList()->model().setChecked(1, true);
    QVERIFY(wizard.importContacts());
    QCOMPARE(t.prompt.last().icon, Prompt::Icon::Warning);
    QCOMPARE(t.prompt.lastText(), QStringLiteral("已导入 2 条记录。\r\n有 2 行没有姓名，没有导入：第 3、4 行\r\n"
                                                 "有 1 行的生日不是日期，这些记录的生日没有导入：第 5 行"));
    QVERIFY(!t.prompt.texts().contains(QStringLiteral("导入成功！")));
    QCOMPARE(book.contacts(group).size(), size_t(2));
}

void ContactWindowsTest::fileFiltersShowTheirPatternsOnce()
{
    QCOMPARE(QtPrompt::qtFilter("导出文件(*.csv)|*.csv"), QStringLiteral("导出文件(*.csv)"));
    QCOMPARE(QtPrompt::qtFilter("位图文件(*.bmp,*.dib)|*.bmp;*.dib"), QStringLiteral("位图文件(*.bmp *.dib)"));
    QCOMPARE(QtPrompt::qtFilter("文本(*.txt)|*.csv|备份文件|*.mdb;*.bak|"),
             QStringLiteral("文本(*.txt) (*.csv);;备份文件 (*.mdb *.bak)"));
}

void ContactWindowsTest::refusedWritesLeaveNothingHalfDone()
{
    TestFolder t;
    AddressBook book(t.data);
    const QString group = book.addGroup(QStringLiteral("同学"), QStringLiteral("0"));
    const qint64 id = book.addContact(named(QStringLiteral("甲")), group);
    // The data file refuses one name, wherever it comes from.
    t.data.exec(QStringLiteral("create trigger refuse_insert before insert on tongxilu when new.t_0='坏' "
                               "begin select raise(abort, 'refused'); end"));
    t.data.exec(QStringLiteral("create trigger refuse_update before update on tongxilu when new.t_0='坏' "
                               "begin select raise(abort, 'refused'); end"));

    // An import whose third line cannot be stored stores none of its lines.
    const QString path = t.path() + QStringLiteral("/in.csv");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ContactCsv::encode(QStringLiteral("姓名\r\n乙\r\n丙\r\n坏\r\n丁\r\n")));
    }
    ImportWizard wizard(t.context, group);
    QSignalSpy imported(&wizard, &ImportWizard::imported);
    wizard.pathField()->setText(path);
    QVERIFY(wizard.next());
    QVERIFY(!wizard.importContacts());
    QCOMPARE(t.prompt.last().title, QStringLiteral("错误"));
    QVERIFY(t.prompt.lastText().startsWith(QStringLiteral("发现错误：")));
    QVERIFY(!t.prompt.texts().contains(QStringLiteral("导入成功！")));
    QCOMPARE(imported.count(), 0);
    QCOMPARE(book.contacts(AddressBook::allKey()).size(), size_t(1));

    // A refused save is reported and the editor keeps what was typed.
    ContactEditor editor(t.context);
    QVERIFY(editor.setModifyMode(id));
    editor.show();
    field(&editor, 0)->setText(QStringLiteral("坏"));
    field(&editor, 1)->setText(QStringLiteral("139"));
    QSignalSpy saved(&editor, &ContactEditor::saved);
    click(&editor, "Command1");
    QCOMPARE(saved.count(), 0);
    QCOMPARE(t.prompt.last().title, QStringLiteral("错误"));
    QVERIFY(editor.isVisible());
    QCOMPARE(field(&editor, 1)->text(), QStringLiteral("139"));
    QCOMPARE(book.contact(id)->t[0], QStringLiteral("甲"));
}

void ContactWindowsTest::mainWindowOpensTheAddressBook()
{
    TestFolder t;
    t.loginAsAdmin();
    MainWindow main(t.context);
    bool opened = false;
    QTimer::singleShot(0, this, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        opened = modal && modal->objectName() == QLatin1String("Form21");
        if (modal)
            modal->close();
    });
    main.commands().action(Command::AddressBook)->trigger();
    QVERIFY(opened);
}

TALLYRA_TEST(ContactWindowsTest)
#include "tst_contact_windows.moc"
