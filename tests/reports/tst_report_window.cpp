// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "core/csv.h"
#include "export/print_preview.h"
#include "ledger/ledger_view.h"
#include "reports/finance_summary.h"
#include "reports/report_window.h"
#include "support/test_folder.h"

#include <QAction>
#include <QApplication>
#include <QChartView>
#include <QDateEdit>
#include <QFile>
#include <QProcess>
#include <QMenu>
#include <QPieSeries>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include "support/modal.h"
#include "support/test_main.h"

namespace {

// The main window as the report sees it: records the searches it is asked to show.
class FakeLedgerView : public LedgerView {
public:
    QList<SearchRequest> searches;
    QWidget window;

    EntryQuery listOnShow() const override { return {}; }
    QString listCaption() const override { return QString(); }
    QString accountSetName() const override { return QStringLiteral("默认账套"); }
    void refresh() override {}
    void showSearch(const SearchRequest &request) override { searches << request; }
    QWidget *viewWindow() override { return &window; }
};

QStringList rows(QTableWidget *table)
{
    QStringList out;
    for (int r = 0; r < table->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table->columnCount(); ++c)
            cells << table->item(r, c)->text();
        out << cells.join(u'|');
    }
    return out;
}

void doubleClick(QTableWidget *table, int row)
{
    const QRect cell = table->visualRect(table->model()->index(row, 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
}

} // namespace

class ReportWindowTest : public QObject {
    Q_OBJECT
private slots:
    void tabsFillAndRowsOpenTheSearch();
    void exportsTheTableOnShow();
    void openedFromTheMenuAndTheSummary();
};

void ReportWindowTest::tabsFillAndRowsOpenTheSearch()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    t.addEntry(set, "2023-03-05", "收入", "1000", "工资");
    t.addEntry(set, "2023-03-06", "支出", "12.5", "餐饮");
    t.addEntry(set, "2023-05-31", "支出", "0.5", "交通");
    t.addEntry(set, "2024-01-01", "支出", "2", "餐饮");
    FakeLedgerView view;
    ReportWindow w(t.context, view, &view.window);
    QCOMPARE(w.windowTitle(), QStringLiteral("收支报表"));
    QCOMPARE(w.period(), Reports::thisYear(QDate::currentDate()));  // this year at first

    w.setPeriod({QDate(2023, 1, 1), QDate(2023, 12, 31)});
    auto *items = w.findChild<QTableWidget *>("ItemTable");
    QCOMPARE(rows(items), (QStringList{"餐饮|1|12.50|96.2%", "交通|1|0.50|3.8%", "合计|2|13.00|100.0%"}));
    auto *donut = w.findChild<QChartView *>("ItemChart")->chart();
    QCOMPARE(qobject_cast<QPieSeries *>(donut->series().at(0))->count(), 2);
    w.findChild<QRadioButton *>("ReportIncome")->click();
    QCOMPARE(rows(items), (QStringList{"工资|1|1,000.00|100.0%", "合计|1|1,000.00|100.0%"}));

    w.showTab(ReportWindow::ByMonth);
    auto *months = w.findChild<QTableWidget *>("MonthTable");
    QCOMPARE(months->rowCount(), 13);
    QCOMPARE(rows(months).at(2), QStringLiteral("2023年03月|1,000.00|12.50|987.50"));
    QCOMPARE(rows(months).at(3), QStringLiteral("2023年04月|0.00|0.00|0.00"));
    QCOMPARE(rows(months).last(), QStringLiteral("合计|1,000.00|13.00|987.00"));

    w.showTab(ReportWindow::ByYear);
    QVERIFY(!w.findChild<QDateEdit *>("ReportFrom")->isEnabled());
    QCOMPARE(rows(w.findChild<QTableWidget *>("YearTable")),
             (QStringList{"2023年|1,000.00|13.00|987.00", "2024年|0.00|2.00|-2.00", "合计|1,000.00|15.00|985.00"}));

    // "全部" and a period changed while another tab shows: the months follow.
    w.choosePeriod(QStringLiteral("全部"));
    QCOMPARE(w.period(), (ReportPeriod{QDate(2023, 3, 1), QDate(2024, 1, 31)}));
    w.showTab(ReportWindow::ByMonth);
    QCOMPARE(months->rowCount(), 12);
    w.findChild<QDateEdit *>("ReportFrom")->setDate(QDate(2024, 2, 1));  // after "to": "to" follows
    QCOMPARE(w.period(), (ReportPeriod{QDate(2024, 2, 1), QDate(2024, 2, 1)}));

    // A double-click on a month lists that month's entries, and the report closes.
    w.setPeriod({QDate(2023, 3, 6), QDate(2023, 12, 31)});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    doubleClick(months, 2);
    QCOMPARE(view.searches.size(), 1);
    SearchRequest expected = Reports::search({QDate(2023, 5, 1), QDate(2023, 5, 31)});
    const SearchRequest &month = view.searches.last();
    QVERIFY(month.byDate && !month.byIncomeItem && !month.byExpenseItem && !month.byHandler && !month.bySummary);
    QCOMPARE(month.from, expected.from);
    QCOMPARE(month.to, expected.to);
    QVERIFY(!w.isVisible());
    QCOMPARE(w.result(), int(QDialog::Accepted));

    // An item: its days (the period) and the item; the first month counts from the 6th.
    w.show();
    w.showTab(ReportWindow::ByItem);
    w.showIncome(false);
    QCOMPARE(rows(items).first(), QStringLiteral("餐饮|1|12.50|96.2%"));
    doubleClick(items, 0);
    QCOMPARE(view.searches.size(), 2);
    const SearchRequest &item = view.searches.last();
    QVERIFY(item.byDate && item.byExpenseItem && !item.byIncomeItem);
    QCOMPARE(item.from, QDate(2023, 3, 6));
    QCOMPARE(item.to, QDate(2023, 12, 31));
    QCOMPARE(item.expenseItem, QStringLiteral("餐饮"));
    // A slice of the donut is the same item; Enter on the total row is the whole period.
    w.show();
    w.showSlice(1);
    QCOMPARE(view.searches.last().expenseItem, QStringLiteral("交通"));
    w.show();
    items->setCurrentCell(items->rowCount() - 1, 0);
    QTest::keyClick(items, Qt::Key_Return);
    QCOMPARE(view.searches.size(), 4);
    QVERIFY(view.searches.last().byDate && !view.searches.last().byExpenseItem);
}

void ReportWindowTest::exportsTheTableOnShow()
{
    TestFolder t;
    t.loginAsAdmin();
    t.addEntry(t.session.CurrentAccountSetId, "2023-03-06", "支出", "1234.5", "餐饮");
    FakeLedgerView view;
    ReportWindow w(t.context, view);
    w.setPeriod({QDate(2023, 3, 1), QDate(2023, 3, 31)});
    const QString path = t.path() + "/报表.csv";
    t.prompt.files.enqueue(path);
    // The CSV file's options, as offered: UTF-8 and the totals row.
    auto acceptCsvOptions = [] {
        whenModal([](QDialog *d) {
            QCOMPARE(d->objectName(), QStringLiteral("CsvOptions"));
            d->findChild<QPushButton *>("Command1")->click();
        }, false);
    };
    acceptCsvOptions();
    w.findChild<QPushButton *>("ReportExport")->click();
    QCOMPARE(t.prompt.shown.first().kind, QStringLiteral("save"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    // Amounts as numbers a spreadsheet reads, not grouped texts.
    QCOMPARE(Csv::decode(file.readAll()),
             QStringLiteral("按项目（支出）：2023-03-01 至 2023-03-31\r\n项目,笔数,金额,占比\r\n"
                            "餐饮,1,1234.5,100.0%\r\n合计,1,1234.5,100.0%\r\n"));
    QCOMPARE(t.prompt.lastText(), QStringLiteral("导出成功！"));

    // The same table as a workbook (amounts and counts as numbers) and as PDF pages.
    for (const QString &name : {QStringLiteral("/报表.xlsx"), QStringLiteral("/报表.pdf")}) {
        t.prompt.reset();
        t.prompt.files.enqueue(t.path() + name);
        w.findChild<QPushButton *>("ReportExport")->click();
        QCOMPARE(t.prompt.lastText(), QStringLiteral("导出成功！"));
    }
    QProcess unzip;
    unzip.start("unzip", {"-p", t.path() + "/报表.xlsx", "xl/worksheets/sheet1.xml"});
    QVERIFY(unzip.waitForFinished(30000));
    const QString sheet = QString::fromUtf8(unzip.readAllStandardOutput());
    QVERIFY2(sheet.contains("餐饮") && sheet.contains("<v>1234.5</v>") && sheet.contains("<v>1</v>"), qPrintable(sheet));
    QFile pdf(t.path() + "/报表.pdf");
    QVERIFY(pdf.open(QIODevice::ReadOnly) && pdf.read(5) == "%PDF-");

    // A file that cannot be written is reported and nothing is claimed.
    t.prompt.reset();
    t.prompt.files.enqueue(t.path() + "/没有这个文件夹/报表.csv");
    acceptCsvOptions();
    w.findChild<QPushButton *>("ReportExport")->click();
    QCOMPARE(t.prompt.last().title, QStringLiteral("错误"));

    // "打印..." shows the table's pages: the rows and the total row.
    QStringList printed;
    whenModal([&](QDialog *d) {
        auto *preview = qobject_cast<PrintPreview *>(d);
        QVERIFY(preview);
        printed << d->windowTitle() << QString::number(preview->pages().pageCount());
    });
    w.findChild<QPushButton *>("ReportPrint")->click();
    QCOMPARE(printed, (QStringList{"打印预览", "1"}));
}

void ReportWindowTest::openedFromTheMenuAndTheSummary()
{
    TestFolder t;
    t.loginAsAdmin();
    MainWindow w(t.context);
    // In 财务管理, right below "刷 新".
    const QList<QAction *> finance = w.menu(Menu::Finance)->actions();
    const qsizetype refresh = finance.indexOf(w.commands().action(Command::Refresh));
    QCOMPARE(finance.value(refresh + 1)->text(), QStringLiteral("收支报表"));
    QString opened;
    whenModal([&](QDialog *d) { opened = d->windowTitle(); });
    w.commands().action(Command::Reports)->trigger();
    QCOMPARE(opened, QStringLiteral("收支报表"));

    // "报表" in "帐务统计" closes the summary and opens the report.
    int reports = 0;
    FinanceSummary summary(t.context, &w, [&] { ++reports; });
    summary.show();
    summary.findChild<QPushButton *>("ReportButton")->click();
    QCOMPARE(reports, 1);
    QVERIFY(!summary.isVisible());
    FinanceSummary plain(t.context, &w);
    QVERIFY(!plain.findChild<QPushButton *>("ReportButton"));
}

TALLYRA_TEST(ReportWindowTest)
#include "tst_report_window.moc"
