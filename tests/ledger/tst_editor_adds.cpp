// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "ledger/entry_editor.h"
#include "ledger/ledger.h"
#include "support/test_folder.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "support/modal.h"
#include "support/test_main.h"

namespace {

qint64 count(DataFile &data, const QString &sql, const QVariantList &values = {})
{
    Statement st = data.query(sql, values);
    return st.step() ? st.integer(0) : -1;
}

// The editor's fields for an expense of 4500 on 2026-11-01, with the item typed.
void fill(QDialog *editor, const QString &kind, const QString &item, const QString &amount = QStringLiteral("4500"))
{
    auto *kinds = editor->findChild<QComboBox *>(QStringLiteral("Combo1"));
    kinds->setCurrentIndex(kinds->findText(kind));
    editor->findChild<QComboBox *>(QStringLiteral("Combo2"))->setEditText(item);
    editor->findChild<QDateEdit *>(QStringLiteral("DTPicker1"))->setDate(QDate(2026, 11, 1));
    editor->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(amount);
}

} // namespace

class EditorAddsTest : public QObject {
    Q_OBJECT
private slots:
    void oneEntryPerPressAndALineSayingWhat();
    void typedItemsJoinTheCatalogue();
};

// A double-click on "添  加", or a press while the last one is still handled, stores one
// entry; half a second after an add, a press adds another, identical one.
void EditorAddsTest::oneEntryPerPressAndALineSayingWhat()
{
    TestFolder t;
    t.loginAsAdmin();
    EntryEditor editor(t.context);
    qint64 now = 10000;
    editor.setClock([&] { return now; });
    editor.show();
    auto *add = editor.findChild<QPushButton *>(QStringLiteral("Command1"));
    auto *said = editor.findChild<QLabel *>(QStringLiteral("Label3"));
    QVERIFY(said->text().isEmpty());
    fill(&editor, QStringLiteral("支出"), QStringLiteral("居住"));
    const QString stored = QStringLiteral("select count(*) from jizhang where data='2026-11-01' and t2='居住' and t5='4500'");

    // A press while the add is handled (the list reloading, say) adds nothing more.
    int presses = 0;
    connect(&editor, &EntryEditor::added, &editor, [&] {
        if (++presses == 1)
            QTest::mouseClick(add, Qt::LeftButton);
    });
    // A person's double-click: press and release, then the double-click's press and release.
    QTest::mouseClick(add, Qt::LeftButton);
    QTest::mouseDClick(add, Qt::LeftButton);
    QTest::mouseRelease(add, Qt::LeftButton);
    QCOMPARE(presses, 1);
    QCOMPARE(count(t.data, stored), qint64(1));
    QCOMPARE(said->text(), QStringLiteral("已添加：2026-11-01 居住 4500"));

    struct Press {
        qint64 after;   // milliseconds after the last press
        qint64 total;   // entries stored after it
    };
    for (const Press &p : {Press{499, 1}, Press{0, 1}, Press{EntryEditor::RepeatMs, 2}, Press{100, 2}, Press{600, 3}}) {
        now += p.after;
        QTest::mouseClick(add, Qt::LeftButton);
        QCOMPARE(count(t.data, stored), p.total);
    }
    // A press that stores nothing (no amount) does not hold back the next one.
    now += 1000;
    editor.findChild<QLineEdit *>(QStringLiteral("Text1"))->clear();
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(t.prompt.lastText(), QStringLiteral("请选择类别以及金额，带*号是必填项！"));
    editor.findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("12.5"));
    editor.findChild<QComboBox *>(QStringLiteral("Combo2"))->setEditText(QString());
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(count(t.data, QStringLiteral("select count(*) from jizhang")), qint64(4));
    QCOMPARE(said->text(), QStringLiteral("已添加：2026-11-01 支出 12.5"));  // no item: the kind
}

// An item typed in the editor joins the catalogue under its kind when the entry is saved,
// by adding or by modifying; the editor's list, the catalogue's tree and the search panel
// offer it from then on. Known items, blanks and kinds that are no root add nothing.
void EditorAddsTest::typedItemsJoinTheCatalogue()
{
    TestFolder t;
    t.loginAsAdmin();
    const QString items = QStringLiteral("select count(*) from mulu where class='收支项目' and parent=? and content=?");
    MainWindow w(t.context);
    auto *searchExpense = w.findChild<QComboBox *>(QStringLiteral("Combo3"));
    QCOMPARE(searchExpense->findText(QStringLiteral("医疗")), -1);

    whenModal([&](QDialog *d) {
        auto *editor = static_cast<EntryEditor *>(d);
        qint64 now = 0;
        editor->setClock([&] { return now += 1000; });
        auto *add = d->findChild<QPushButton *>(QStringLiteral("Command1"));
        for (const char *item : {"医疗", "医疗", "居住", "   "}) {
            fill(d, QStringLiteral("支出"), QString::fromUtf8(item));
            QTest::mouseClick(add, Qt::LeftButton);
        }
        fill(d, QStringLiteral("收入"), QStringLiteral("稿费"));
        QTest::mouseClick(add, Qt::LeftButton);
        // Choosing the kind again lists what joined.
        fill(d, QStringLiteral("支出"), QString());
        auto *itemBox = d->findChild<QComboBox *>(QStringLiteral("Combo2"));
        QCOMPARE(itemBox->itemText(itemBox->count() - 1), QStringLiteral("医疗"));
    });
    w.commands().button(Command::AddEntry)->trigger();
    QCOMPARE(count(t.data, QStringLiteral("select count(*) from jizhang")), qint64(5));
    QCOMPARE(count(t.data, items, {QStringLiteral("e7_"), QStringLiteral("医疗")}), qint64(1));
    QCOMPARE(count(t.data, items, {QStringLiteral("e7_"), QStringLiteral("居住")}), qint64(1));
    QCOMPARE(count(t.data, items, {QStringLiteral("e1_"), QStringLiteral("稿费")}), qint64(1));
    QCOMPARE(count(t.data, QStringLiteral("select count(*) from mulu where trim(content)=''")), qint64(0));
    // Its key is a catalogue key like the manager's own, different from every other one.
    QCOMPARE(count(t.data, QStringLiteral("select count(*) from mulu where content='医疗' and key_1 glob 'e[0-9]*_'")),
             qint64(1));
    QCOMPARE(count(t.data, QStringLiteral("select count(*) - count(distinct key_1) from mulu")), qint64(0));
    QVERIFY(searchExpense->findText(QStringLiteral("医疗")) >= 0);
    QVERIFY(w.findChild<QComboBox *>(QStringLiteral("Combo2"))->findText(QStringLiteral("稿费")) >= 0);

    // Modifying an entry to a new item files that item too.
    const qint64 id = t.addEntry(t.session.CurrentAccountSetId, "2026-11-02", "支出", "30", "餐饮");
    EntryEditor editor(t.context);
    QVERIFY(editor.openForModifying(id));
    editor.findChild<QComboBox *>(QStringLiteral("Combo2"))->setEditText(QStringLiteral("通讯"));
    editor.save();
    QCOMPARE(count(t.data, items, {QStringLiteral("e7_"), QStringLiteral("通讯")}), qint64(1));

    // The data class alone: a kind that is no root of the item tree files nothing.
    Ledger ledger(t.data);
    QVERIFY(!ledger.keepItem(QStringLiteral("转账"), QStringLiteral("房租")));
    QVERIFY(!ledger.keepItem(QStringLiteral("支出"), QStringLiteral("通讯")));
    QCOMPARE(count(t.data, QStringLiteral("select count(*) from mulu where content='房租'")), qint64(0));
}

TALLYRA_TEST(EditorAddsTest)
#include "tst_editor_adds.moc"
