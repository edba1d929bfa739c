#include "ledger/entry_editor.h"
#include "support/test_folder.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

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

TALLYRA_TEST(EditorAddsTest)
#include "tst_editor_adds.moc"
