// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileimport/column_mapping_dialog.h"
#include "fileimport/batch_import.h"
#include "support/test_folder.h"
#include "ui/record_list.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringEncoder>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include <functional>

#include "support/modal.h"
#include "support/test_main.h"

namespace {

QString writeFile(const QString &folder, const QString &name, const QString &text)
{
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    const QByteArray bytes = QStringEncoder("GB18030").encode(text);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QStringList rowCells(RecordList *list, int row)
{
    QStringList cells;
    for (int c = 0; c < 8; ++c)
        cells << list->cell(row, c);
    return cells;
}

void click(QObject *parent, const char *name)
{
    QTest::mouseClick(parent->findChild<QPushButton *>(QString::fromLatin1(name)), Qt::LeftButton);
}

qint64 entries(DataFile &data)
{
    Statement st = data.query(QStringLiteral("select count(*) from jizhang"));
    return st.step() ? st.integer(0) : -1;
}

} // namespace

class ImportWindowTest : public QObject {
    Q_OBJECT
private slots:
    void openFileFillsThePreview();
    void pasteOverRowsOfAFileAsksFirst();
};

void ImportWindowTest::openFileFillsThePreview()
{
    TestFolder t;
    t.loginAsAdmin();
    t.addEntry(t.session.CurrentAccountSetId, "2024-01-05", "支出", "12.5", "", "午饭");
    BatchImport import(t.context);
    import.show();
    RecordList *list = import.list();
    import.paste("2008-3-5\t工资\t10\r\n");

    // A file that cannot be read is named with the reason; the preview keeps its rows.
    t.prompt.files << writeFile(t.path(), "empty.csv", QString());
    click(&import, "Command5");
    QCOMPARE(t.prompt.shown.first().kind, QStringLiteral("open"));
    QCOMPARE(t.prompt.shown.first().title, QStringLiteral("打开要导入的文件"));
    QCOMPARE(t.prompt.shown.first().text,
             QStringLiteral("所有支持的文件|*.csv;*.txt;*.tsv;*.xlsx;*.qif;*.ofx;*.qfx|CSV 文件|*.csv;*.txt;*.tsv|"
                            "Excel 工作簿|*.xlsx|QIF 文件|*.qif|OFX 文件|*.ofx;*.qfx"));
    QCOMPARE(t.prompt.lastText(), QStringLiteral("无法读取文件“%1”：\r\n文件是空的。")
                                      .arg(QDir::toNativeSeparators(QDir(t.path()).filePath("empty.csv"))));
    QCOMPARE(list->rowCount(), 1);

    // The ledger's own columns map by their titles; duplicates carry a picture and a tooltip.
    t.prompt.reset();
    t.prompt.files << writeFile(t.path(), "ledger.csv",
                                "日期,支出,摘要\r\n2024-01-05,12.50,午饭\r\n2024-01-06,3,地铁\r\n2024-01-06,3,地铁\r\n");
    click(&import, "Command5");
    QCOMPARE(t.prompt.shown.size(), 1);  // the file dialog, no message
    QCOMPARE(list->rowCount(), 3);
    QCOMPARE(rowCells(list, 0), (QStringList{"1", "2024-01-05", "", "", "12.50", "", "", "午饭"}));
    QCOMPARE(list->cell(2, 0), QStringLiteral("3"));
    QCOMPARE((QList<int>{list->model().record(0).icon, list->model().record(1).icon, list->model().record(2).icon}),
             (QList<int>{1, 0, 1}));
    QCOMPARE(import.markText(0), QStringLiteral("可能已经导入过：账套中已有日期、金额和摘要都相同的记录。"));
    QCOMPARE(import.markText(2), QStringLiteral("可能重复：与 No. 2 的日期、金额和摘要都相同。"));
    list->sortBy(0, Qt::DescendingOrder);  // the marks go with their rows
    QCOMPARE(list->cell(0, 0), QStringLiteral("3"));
    QCOMPARE(import.markText(0), QStringLiteral("可能重复：与 No. 2 的日期、金额和摘要都相同。"));
    QCOMPARE(import.markText(1), QString());
    list->sortBy(0, Qt::AscendingOrder);

    // A double-click corrects a cell in place; the marks follow.
    QTableView *view = list->detailsView();
    const QPoint cell = view->visualRect(list->model().index(2, 7)).center();
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, cell);  // a person's double-click starts with a press
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, cell);
    auto *editor = view->findChild<QLineEdit *>(QStringLiteral("CellEditor"));
    QVERIFY(editor && editor->isVisible());
    QCOMPARE(editor->text(), QStringLiteral("地铁"));
    editor->setText(QStringLiteral("公交"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(list->cell(2, 7), QStringLiteral("公交"));
    QCOMPARE(list->model().record(2).icon, 0);
    import.editCell(1, 1);
    editor = view->findChild<QLineEdit *>(QStringLiteral("CellEditor"));
    editor->setText(QStringLiteral("2024/2/1"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QVERIFY(!editor->isVisible());
    QCOMPARE(list->cell(1, 1), QStringLiteral("2024-01-06"));
    QVERIFY(import.isVisible());

    // The duplicate comes unticked: the others are stored, it stays; nothing is asked.
    QCOMPARE((QList<bool>{import.ticked(0), import.ticked(1), import.ticked(2)}), (QList<bool>{false, true, true}));
    click(&import, "Command4");
    QCOMPARE(t.prompt.shown.size(), 2);
    QCOMPARE(t.prompt.lastText(), QStringLiteral("共导入 2 条记录，跳过 1 条（可能重复 1 条）。"));
    QCOMPARE(entries(t.data), qint64(3));
    QCOMPARE(list->rowCount(), 1);
    QCOMPARE(list->cell(0, 0), QStringLiteral("1"));

    // A bank's file goes through "列对应"; the choice is offered again for the same header.
    const QString bank = writeFile(t.path(), "bank.csv", "交易日期,交易金额,对方户名,备注\r\n2024-03-01,-8,食堂,早饭\r\n");
    QStringList offered;
    for (int round = 0; round < 2; ++round) {
        whenModal([&](QDialog *d) {
            auto *summary = d->findChild<QComboBox *>(QStringLiteral("Combo7"));
            offered << d->objectName() << d->windowTitle() << summary->currentText();
            summary->setCurrentIndex(summary->findData(3));
            click(d, "Command1");
        }, false);
        t.prompt.files << bank;
        if (round == 1)
            t.prompt.answers << Prompt::Answer::Yes;  // the first round's row is not stored
        click(&import, "Command5");
    }
    QCOMPARE(offered, (QStringList{"ColumnMapping", "列对应", "第3列：对方户名", "ColumnMapping", "列对应", "第4列：备注"}));
    QCOMPARE(rowCells(list, 0), (QStringList{"1", "2024-03-01", "", "", "8", "", "", "早饭"}));
    QCOMPARE(entries(t.data), qint64(3));  // nothing stored until 保存
}

// Rows read from a file took a file and its columns to get: "导入" replaces them only when
// the user says so. Pasted rows a paste replaces, as it always did.
void ImportWindowTest::pasteOverRowsOfAFileAsksFirst()
{
    TestFolder t;
    t.loginAsAdmin();
    BatchImport import(t.context);
    RecordList *list = import.list();
    QCOMPARE(import.findChild<QLabel *>(QStringLiteral("Label1"))->text(),
             QStringLiteral("请在电子表格中建好以下表格，然后复制表格中的数据"));
    QGuiApplication::clipboard()->setText("2008-3-5\t工资\t10\r\n2008-3-6\t工资\t20\r\n");
    click(&import, "Command1");
    click(&import, "Command1");
    QVERIFY(t.prompt.shown.isEmpty());
    QCOMPARE(list->rowCount(), 2);

    t.prompt.files << writeFile(t.path(), "ledger.csv",
                                "日期,支出,摘要\r\n2024-01-05,12.50,午饭\r\n2024-01-06,3,地铁\r\n2024-01-07,4,书\r\n");
    click(&import, "Command5");
    QCOMPARE(list->rowCount(), 3);
    list->selectRow(2);
    click(&import, "Command2");  // the question counts the rows the preview has now
    t.prompt.answers << Prompt::Answer::No;
    click(&import, "Command5");  // another file neither: its ticked rows are not stored yet
    QCOMPARE(t.prompt.lastText(), QStringLiteral("预览中有 2 条勾选的记录还没有保存，是否用另一个文件的内容替换？"));
    QCOMPARE(list->rowCount(), 2);
    for (Prompt::Answer answer : {Prompt::Answer::No, Prompt::Answer::Yes}) {
        t.prompt.reset();
        t.prompt.answers << answer;
        click(&import, "Command1");
        QCOMPARE(t.prompt.shown.size(), 1);
        QCOMPARE(t.prompt.last().icon, Prompt::Icon::Question);
        QCOMPARE(t.prompt.last().title, QStringLiteral("问题"));
        QCOMPARE(t.prompt.last().buttons, Prompt::Buttons::YesNo);
        QCOMPARE(t.prompt.last().defaultAnswer, Prompt::Answer::No);
        QCOMPARE(t.prompt.lastText(), QStringLiteral("预览中已有 2 条记录，是否用剪贴板的内容替换？"));
        QCOMPARE(list->cell(0, 1), answer == Prompt::Answer::No ? QStringLiteral("2024-01-05") : QStringLiteral("2008-03-05"));
    }
    // The preview holds pasted rows again: the next paste asks nothing.
    t.prompt.reset();
    click(&import, "Command1");
    QVERIFY(t.prompt.shown.isEmpty());
    QCOMPARE(entries(t.data), qint64(0));
}

TALLYRA_TEST(ImportWindowTest)
#include "tst_import_window.moc"
