// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "reports/reports.h"
#include "ui/app_context.h"

#include <QDialog>

#include <optional>
#include <vector>

class LedgerView;
struct BudgetReport;
class QChart;
class QChartView;
class QDateEdit;
class QRadioButton;
class QTabWidget;
class QTableWidget;

// "收支报表": the account set's income and expense by item, by month and by year, each a
// table with its total row beside a chart, and "预算": each item's budget for a month or a
// year against what it took, lines over budget in the palette's warning colour. The period at the top (this year at first)
// covers the first two tabs; "按年份" covers every entry. Double-clicking a row (or Enter),
// or clicking a slice or a bar, closes the report and lists those entries in the main
// window's "统计查询".
class ReportWindow : public QDialog {
    Q_OBJECT
public:
    enum Tab { ByItem, ByMonth, ByYear, ByBudget };

    ReportWindow(const AppContext &context, LedgerView &view, QWidget *parent = nullptr);

    // Opens the report over the view's window, modal.
    static void open(const AppContext &context, LedgerView &view);

    ReportPeriod period() const;
    void setPeriod(const ReportPeriod &period);
    // The quick choices: 本月, 上月, 今年, 去年, 全部.
    void choosePeriod(const QString &choice);
    void showTab(Tab tab);
    // "按项目": income (收入) or expense (支出).
    void showIncome(bool income);
    // "预算": the month (or, with byYear, the year) of a day.
    void showBudget(const QDate &day, bool byYear);

    // The table of the tab on show, as plain data.
    ReportTable currentTable() const;
    // "导出...": the table on show to a CSV file.
    void exportTable();
    // "打印...": the table on show in the print preview (which also saves it as PDF).
    void printTable();
    // Lists the entries of a row of the tab on show (the last row is the total).
    void showRow(int row);
    // Lists the entries of a slice of the donut or of a bar (a line of the tab on show).
    void showSlice(int slice);

protected:
    void changeEvent(QEvent *event) override;

private:
    struct Page {
        QTableWidget *table = nullptr;
        QChartView *chart = nullptr;
        ReportTable data;
        std::vector<SearchRequest> rowSearches;    // one per table row
        std::vector<std::optional<SearchRequest>> chartSearches;  // one per slice or bar; none for "其他"
        bool stale = true;
    };

    QWidget *buildPage(Page &page, const QString &name, QWidget *above = nullptr);
    void periodChanged();
    // Computes the tab on show when the period (or kind) changed since it was shown.
    void refresh();
    void fill(Page &page, const ReportTable &table, std::vector<SearchRequest> rows,
              std::vector<std::optional<SearchRequest>> chartSearches, QChart *chart);
    void showEntries(const SearchRequest &request);
    QWidget *budgetChoices();
    void fillBudget(Page &page, const BudgetReport &report);
    // "默认账套_收支报表_2024-05-01" and the ending.
    QString suggestedName(const QString &ending) const;

    AppContext context_;
    LedgerView &view_;
    Reports reports_;
    QDateEdit *from_ = nullptr;
    QDateEdit *to_ = nullptr;
    QTabWidget *tabs_ = nullptr;
    QRadioButton *expense_ = nullptr;
    QRadioButton *income_ = nullptr;
    Page pages_[4];
    // The 预算 tab: a month or a year, and which.
    QRadioButton *budgetByMonth_ = nullptr;
    QRadioButton *budgetByYear_ = nullptr;
    QDateEdit *budgetDate_ = nullptr;
};
