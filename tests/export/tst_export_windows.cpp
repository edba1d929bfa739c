// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "core/csv.h"
#include "export/ledger_export.h"
#include "export/print_preview.h"
#include "export/work_progress.h"
#include "ledger/ledger_list_model.h"
#include "ledger/ledger_pane.h"
#include "reports/finance_summary.h"
#include "support/test_folder.h"

#include <QAction>
#include <QCheckBox>
#include <QRadioButton>
#include <QApplication>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

#include <functional>

#include "support/modal.h"
#include "support/test_main.h"

namespace {

// Runs `act` on the print preview once it is open, then closes it.
void whenPreviewOpens(std::function<void(PrintPreview *)> act)
{
    auto *timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, act, tries] {
        auto *preview = qobject_cast<PrintPreview *>(QApplication::activeModalWidget());
        if (!preview && ++*tries < 500)
            return;
        timer->stop();
        timer->deleteLater();
        if (preview) {
            act(preview);
            preview->reject();
        }
    });
    timer->start(10);
}

QAction *previewCommand(PrintPreview *preview, const QString &caption)
{
    for (QAction *action : preview->findChild<QToolBar *>(QStringLiteral("PreviewToolbar"))->actions())
        if (action->text() == caption)
            return action;
    return nullptr;
}

} // namespace

class ExportWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void exportAsksWhereAndTellsHowMany();
    void printOpensThePreviewOfTheListOnShow();
    void financeSummaryPrintsItsFigures();
    void longWorkShowsProgressThatCancels();
};

void ExportWindowsTest::exportAsksWhereAndTellsHowMany()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.defaultAccountSet();
    t.addEntry(set, QStringLiteral("2008-03-05"), QStringLiteral("收入"), QStringLiteral("10"), QStringLiteral("工资"));
    t.addEntry(set, QStringLiteral("2008-03-06"), QStringLiteral("支出"), QStringLiteral("30.5"), QStringLiteral("餐饮"));
    MainWindow w(t.context);
    w.ledgerPane()->LoadData(QStringLiteral("0_"));

    QCOMPARE(w.commands().action(Command::Export)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
    QCOMPARE(w.commands().action(Command::Print)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));

    // The toolbar button: a name without an ending becomes an Excel workbook.
    t.prompt.files << t.path() + QStringLiteral("/账目");
    w.commands().button(Command::Export)->trigger();
    const ScriptedPrompt::Shown &dialog = t.prompt.shown.first();
    QCOMPARE(dialog.kind, QStringLiteral("save"));
    QCOMPARE(dialog.title, QStringLiteral("导出记帐数据"));
    QCOMPARE(dialog.text, QStringLiteral("Excel 工作簿|*.xlsx|CSV 文件|*.csv|PDF 文件|*.pdf"));
    QVERIFY(dialog.path.endsWith(LedgerExport::defaultName(QStringLiteral("默认账套"), QDate::currentDate()) +
                                 QStringLiteral(".xlsx")));
    QCOMPARE(t.prompt.last().title, QStringLiteral("信息"));
    QCOMPARE(t.prompt.last().text, QStringLiteral("导出成功！共导出 2 条记录。"));
    QVERIFY(QFile::exists(t.path() + QStringLiteral("/账目.xlsx")));

    // The menu item, a CSV file that is there already: kept when the user says no, replaced
    // when yes. The rows come in the order the list is sorted in.
    const QString csv = t.path() + QStringLiteral("/账目.csv");
    QFile old(csv);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    t.prompt.reset();
    t.prompt.files << csv;
    w.commands().action(Command::Export)->trigger();
    QCOMPARE(t.prompt.last().title, QStringLiteral("问题"));
    QCOMPARE(QFileInfo(csv).size(), 3);
    w.ledgerPane()->entries()->sort(2, Qt::AscendingOrder);  // by 项目: 工资 before 餐饮, the older entry first
    // The CSV file's encoding and totals row are asked: UTF-8 with its byte-order mark and
    // the totals first (as offered), then GB18030 without totals; the dialog offers the last
    // choice again, and cancelling it writes nothing.
    struct Choice {
        bool gb18030, totals;
        QByteArray start;
        size_t rows;
    };
    const QByteArray header = QStringLiteral("日期,项目").toUtf8();
    for (const Choice &c : {Choice{false, true, "\xEF\xBB\xBF" + header, 4},
                            Choice{true, false, Csv::encode(QStringLiteral("日期,项目")), 3}}) {
        QStringList offered;
        whenModal([&](QDialog *d) {
            auto *gb = d->findChild<QRadioButton *>("Option2");
            auto *totals = d->findChild<QCheckBox *>("Check1");
            offered << d->windowTitle() << (gb->isChecked() ? "GB18030" : "UTF-8") << (totals->isChecked() ? "合计" : "");
            gb->setChecked(c.gb18030);
            d->findChild<QRadioButton *>("Option1")->setChecked(!c.gb18030);
            totals->setChecked(c.totals);
            d->findChild<QPushButton *>("Command1")->click();
        }, false);
        t.prompt.files << csv;
        t.prompt.answers << Prompt::Answer::Yes;
        w.commands().action(Command::Export)->trigger();
        QCOMPARE(offered, (QStringList{"导出为CSV文件", "UTF-8", "合计"}));  // the first time, and the last choice
        QCOMPARE(t.prompt.last().text, QStringLiteral("导出成功！共导出 2 条记录。"));
        QVERIFY(old.open(QIODevice::ReadOnly));
        const QByteArray bytes = old.readAll();
        old.close();
        QVERIFY(bytes.startsWith(c.start));
        const std::vector<Csv::Record> rows = Csv::records(Csv::decode(bytes));
        QCOMPARE(rows.size(), c.rows);
        QCOMPARE(rows[1].values.mid(0, 2), (QStringList{"2008-03-05", "工资"}));
    }
    QStringList offered;
    whenModal([&](QDialog *d) {
        offered << (d->findChild<QRadioButton *>("Option2")->isChecked() ? "GB18030" : "UTF-8")
                << (d->findChild<QCheckBox *>("Check1")->isChecked() ? "合计" : "");
    });
    QFile::remove(csv);
    t.prompt.files << csv;
    w.commands().action(Command::Export)->trigger();
    QCOMPARE(offered, (QStringList{"GB18030", ""}));
    QVERIFY(!QFile::exists(csv));

    // A folder that cannot be written: the error format, and no file.
    t.prompt.reset();
    t.prompt.files << t.path() + QStringLiteral("/missing/账目.pdf");
    w.commands().button(Command::Export)->trigger();
    QCOMPARE(t.prompt.last().title, QStringLiteral("错误"));
    QCOMPARE(t.prompt.last().icon, Prompt::Icon::Critical);
    QVERIFY(t.prompt.last().text.startsWith(QStringLiteral("发现错误：\r\n")));
    QVERIFY(t.prompt.last().text.contains(QStringLiteral("\r\n错误代码：")));
    QVERIFY(!QFile::exists(t.path() + QStringLiteral("/missing")));
}

void ExportWindowsTest::printOpensThePreviewOfTheListOnShow()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.defaultAccountSet();
    for (int day = 1; day <= 80; ++day)
        t.addEntry(set, QDate(2008, 3, 1).addDays(day).toString(QStringLiteral("yyyy-MM-dd")), QStringLiteral("支出"),
                   QStringLiteral("1"), QStringLiteral("餐饮"));
    MainWindow w(t.context);
    w.ledgerPane()->LoadData(QStringLiteral("0_"));

    bool opened = false;
    const QString pdf = t.path() + QStringLiteral("/printed.pdf");
    whenPreviewOpens([&](PrintPreview *preview) {
        opened = true;
        QCOMPARE(preview->windowTitle(), QStringLiteral("打印预览"));
        QVERIFY(preview->pages().landscape());
        const int pages = preview->pages().pageCount();
        QCOMPARE(pages, (80 + 1 + preview->pages().rowsPerPage() - 1) / preview->pages().rowsPerPage());
        QVERIFY(pages > 1);
        QCOMPARE(preview->findChild<QLabel *>(QStringLiteral("PageCount"))->text(),
                 QStringLiteral(" / 共 %1 页 ").arg(pages));

        // Paging by keyboard and by the page number.
        QApplication::setActiveWindow(preview);
        QTest::keyClick(preview, Qt::Key_PageDown);
        QCOMPARE(preview->currentPage(), 1);
        QTest::keyClick(preview, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(preview->currentPage(), pages - 1);
        preview->findChild<QSpinBox *>(QStringLiteral("PageNumber"))->setValue(1);
        QCOMPARE(preview->currentPage(), 0);
        const double scale = preview->scale();
        previewCommand(preview, QStringLiteral("放大"))->trigger();
        QVERIFY(preview->scale() > scale);
        preview->grab();  // draws the page on show

        // Printing: the print dialog, then every page.
        t.prompt.printFiles << pdf;
        previewCommand(preview, QStringLiteral("打印..."))->trigger();
        QCOMPARE(t.prompt.last().kind, QStringLiteral("print"));
    });
    w.commands().button(Command::Print)->trigger();
    QVERIFY(opened);
    QFile printed(pdf);
    QVERIFY(printed.open(QIODevice::ReadOnly));
    QVERIFY(printed.read(5) == "%PDF-");
}

void ExportWindowsTest::financeSummaryPrintsItsFigures()
{
    TestFolder t;
    t.loginAsAdmin();
    t.addEntry(t.defaultAccountSet(), QStringLiteral("2008-03-05"), QStringLiteral("收入"), QStringLiteral("10"));
    FinanceSummary summary(t.context);
    auto *button = summary.findChild<QPushButton *>(QStringLiteral("Command1"));
    QCOMPARE(button->text(), QStringLiteral("打印"));
    QCOMPARE(button->accessibleName(), QStringLiteral("打印"));

    bool opened = false;
    const QString pdf = t.path() + QStringLiteral("/summary.pdf");
    whenPreviewOpens([&](PrintPreview *preview) {
        opened = true;
        QVERIFY(!preview->pages().landscape());
        QCOMPARE(preview->pages().pageCount(), 1);
        t.prompt.files << pdf;
        previewCommand(preview, QStringLiteral("保存为PDF..."))->trigger();
    });
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(opened);
    QCOMPARE(t.prompt.last().text, QStringLiteral("导出成功！"));
    QVERIFY(QFile::exists(pdf));
}

void ExportWindowsTest::longWorkShowsProgressThatCancels()
{
    QWidget window;
    WorkProgress small(&window, QStringLiteral("导出记帐数据"), QStringLiteral("正在导出..."), WorkProgress::Threshold);
    QVERIFY(!small.shown());
    QVERIFY(!small.callback());  // the work just runs

    WorkProgress large(&window, QStringLiteral("导出记帐数据"), QStringLiteral("正在导出..."), WorkProgress::Threshold + 1);
    QVERIFY(large.shown());
    const ExportProgress progress = large.callback();
    QVERIFY(progress(10, 100));
    auto *dialog = window.findChild<QProgressDialog *>(QStringLiteral("ExportProgress"));
    QCOMPARE(dialog->value(), 10);
    QTest::mouseClick(dialog->findChild<QPushButton *>(), Qt::LeftButton);  // 取消
    QVERIFY(!progress(20, 100));
}

TALLYRA_TEST(ExportWindowsTest)

#include "tst_export_windows.moc"
