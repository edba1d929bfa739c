// SPDX-License-Identifier: GPL-3.0-or-later
#include "reports/report_window.h"

#include "core/csv.h"
#include "export/csv_options_dialog.h"
#include "export/ledger_export.h"
#include "export/print_preview.h"
#include "export/work_progress.h"
#include "export/workbook.h"
#include "ledger/ledger_view.h"
#include "reports/budget_progress.h"
#include "reports/report_charts.h"
#include "store/data_file.h"
#include "store/session.h"
#include "ui/dialog_folders.h"
#include "ui/field_label.h"
#include "ui/formats.h"
#include "ui/prompt.h"

#include <QApplication>
#include <QChartView>
#include <QDateEdit>
#include <QFileDevice>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// A report table on printed pages (and in a PDF file), as the ledger's lists print.
class PrintedTable : public Report {
public:
    PrintedTable(const ReportTable &table, const QString &accountSet) : table_(table), accountSet_(accountSet) {}

    QString title() const override
    {
        return (accountSet_.isEmpty() ? QString() : accountSet_ + QStringLiteral("　")) +
               QStringLiteral("收支报表　") + table_.title;
    }
    QList<ReportColumn> columns() const override
    {
        QList<ReportColumn> columns;
        for (int c = 0; c < table_.headers.size(); ++c)
            columns.append(c == 0 ? ReportColumn{table_.headers[c], 10, Qt::AlignLeft, true}
                                  : ReportColumn{table_.headers[c], 9, Qt::AlignRight});
        return columns;
    }
    int rowCount() const override { return std::max(int(table_.rows.size()) - 1, 0); }
    std::vector<QStringList> rows(int first, int n) override
    {
        std::vector<QStringList> out;
        for (int r = std::max(first, 0); r < std::min(first + n, rowCount()); ++r)
            out.push_back(texts(table_.rows[size_t(r)]));
        return out;
    }
    QStringList totalsRow() const override { return table_.rows.empty() ? QStringList() : texts(table_.rows.back()); }

private:
    static QStringList texts(const std::vector<ReportCell> &row)
    {
        QStringList out;
        for (const ReportCell &cell : row)
            out << cell.text;
        return out;
    }

    ReportTable table_;
    QString accountSet_;
};

const QString Choices[] = {QStringLiteral("本月"), QStringLiteral("上月"), QStringLiteral("今年"),
                           QStringLiteral("去年"), QStringLiteral("全部")};

} // namespace

ReportWindow::ReportWindow(const AppContext &context, LedgerView &view, QWidget *parent)
    : QDialog(parent), context_(context), view_(view), reports_(context.data)
{
    setObjectName(QStringLiteral("ReportWindow"));
    setWindowTitle(QStringLiteral("收支报表"));
    setModal(true);
    resize(1000, 620);
    auto *layout = new QVBoxLayout(this);

    // The period: two dates and the quick choices.
    auto *top = new QHBoxLayout;
    auto date = [&](const QString &name, const QString &caption) {
        auto *label = new QLabel(caption, this);
        auto *edit = new QDateEdit(this);
        edit->setObjectName(name);
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setAccessibleName(caption);
        label->setBuddy(edit);
        top->addWidget(label);
        top->addWidget(edit);
        return edit;
    };
    from_ = date(QStringLiteral("ReportFrom"), QStringLiteral("从"));
    to_ = date(QStringLiteral("ReportTo"), QStringLiteral("到"));
    top->addSpacing(12);
    for (const QString &choice : Choices) {
        auto *button = new QPushButton(choice, this);
        button->setObjectName(QStringLiteral("Period") + choice);
        button->setAccessibleName(choice);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, choice] { choosePeriod(choice); });
        top->addWidget(button);
    }
    top->addStretch();
    layout->addLayout(top);

    // The three tabs.
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("ReportTabs"));
    tabs_->setAccessibleName(windowTitle());
    auto *kinds = new QWidget(this);
    auto *kindRow = new QHBoxLayout(kinds);
    kindRow->setContentsMargins(0, 0, 0, 0);
    expense_ = new QRadioButton(QStringLiteral("支出"), kinds);
    expense_->setObjectName(QStringLiteral("ReportExpense"));
    income_ = new QRadioButton(QStringLiteral("收入"), kinds);
    income_->setObjectName(QStringLiteral("ReportIncome"));
    for (QRadioButton *button : {expense_, income_}) {
        button->setAccessibleName(button->text());
        kindRow->addWidget(button);
    }
    kindRow->addStretch();
    expense_->setChecked(true);
    tabs_->addTab(buildPage(pages_[ByItem], QStringLiteral("Item"), kinds), QStringLiteral("按项目"));
    tabs_->addTab(buildPage(pages_[ByMonth], QStringLiteral("Month")), QStringLiteral("按月份"));
    tabs_->addTab(buildPage(pages_[ByYear], QStringLiteral("Year")), QStringLiteral("按年份"));
    tabs_->addTab(buildPage(pages_[ByBudget], QStringLiteral("Budget"), budgetChoices()), QStringLiteral("预算"));
    layout->addWidget(tabs_, 1);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("双击一行，或点击图中的一块，在“统计查询”中列出这些记录。"), this), 1);
    auto *printButton = new QPushButton(QStringLiteral("打印..."), this);
    printButton->setObjectName(QStringLiteral("ReportPrint"));
    printButton->setAccessibleName(printButton->text());
    printButton->setAutoDefault(false);
    bottom->addWidget(printButton);
    connect(printButton, &QPushButton::clicked, this, &ReportWindow::printTable);
    auto *exportButton = new QPushButton(QStringLiteral("导出..."), this);
    exportButton->setObjectName(QStringLiteral("ReportExport"));
    exportButton->setAccessibleName(exportButton->text());
    exportButton->setAutoDefault(false);
    auto *close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("ReportClose"));
    close->setAccessibleName(close->text());
    close->setAutoDefault(false);
    bottom->addWidget(exportButton);
    bottom->addWidget(close);
    layout->addLayout(bottom);

    connect(exportButton, &QPushButton::clicked, this, &ReportWindow::exportTable);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(income_, &QRadioButton::toggled, this, [this] {
        pages_[ByItem].stale = true;
        refresh();
    });
    connect(from_, &QDateEdit::dateChanged, this, [this](const QDate &date) {
        if (date > to_->date()) {
            const QSignalBlocker block(to_);
            to_->setDate(date);
        }
        periodChanged();
    });
    connect(to_, &QDateEdit::dateChanged, this, [this](const QDate &date) {
        if (date < from_->date()) {
            const QSignalBlocker block(from_);
            from_->setDate(date);
        }
        periodChanged();
    });
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int tab) {
        // The years cover every entry, the budget its own month or year.
        from_->setEnabled(tab != ByYear && tab != ByBudget);
        to_->setEnabled(tab != ByYear && tab != ByBudget);
        refresh();
    });

    setPeriod(Reports::thisYear(QDate::currentDate()));
}

void ReportWindow::open(const AppContext &context, LedgerView &view)
{
    ReportWindow window(context, view, view.viewWindow());
    window.exec();
}

QWidget *ReportWindow::buildPage(Page &page, const QString &name, QWidget *above)
{
    auto *widget = new QWidget(this);
    auto *layout = new QVBoxLayout(widget);
    if (above)
        layout->addWidget(above);
    auto *splitter = new QSplitter(Qt::Horizontal, widget);
    page.table = new QTableWidget(splitter);
    page.table->setObjectName(name + QStringLiteral("Table"));
    page.table->setTabKeyNavigation(false);  // Tab goes on to the next control
    page.table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    page.table->setSelectionBehavior(QAbstractItemView::SelectRows);
    page.table->setSelectionMode(QAbstractItemView::SingleSelection);
    page.table->verticalHeader()->setVisible(false);
    page.table->setAlternatingRowColors(true);
    page.chart = new QChartView(splitter);
    page.chart->setObjectName(name + QStringLiteral("Chart"));
    page.chart->setRenderHint(QPainter::Antialiasing);
    page.chart->setMinimumWidth(320);
    splitter->addWidget(page.table);
    splitter->addWidget(page.chart);
    // The table as wide as its columns need; the chart takes the rest.
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter, 1);
    // Enter and a double-click both activate a row.
    connect(page.table, &QTableWidget::activated, this, [this](const QModelIndex &index) { showRow(index.row()); });
    return widget;
}

ReportPeriod ReportWindow::period() const { return {from_->date(), to_->date()}; }

void ReportWindow::setPeriod(const ReportPeriod &period)
{
    {
        const QSignalBlocker blockFrom(from_);
        const QSignalBlocker blockTo(to_);
        from_->setDate(period.from);
        to_->setDate(period.to);
    }
    periodChanged();
}

void ReportWindow::choosePeriod(const QString &choice)
{
    const QDate today = QDate::currentDate();
    if (choice == Choices[0])
        setPeriod(Reports::thisMonth(today));
    else if (choice == Choices[1])
        setPeriod(Reports::lastMonth(today));
    else if (choice == Choices[2])
        setPeriod(Reports::thisYear(today));
    else if (choice == Choices[3])
        setPeriod(Reports::lastYear(today));
    else {
        const int set = context_.session.CurrentAccountSetId;
        context_.prompt.attempt(this, [&] { setPeriod(reports_.wholeLedger(set, today)); });
    }
}

void ReportWindow::showTab(Tab tab) { tabs_->setCurrentIndex(tab); }

void ReportWindow::showIncome(bool income) { (income ? income_ : expense_)->setChecked(true); }

void ReportWindow::periodChanged()
{
    pages_[ByItem].stale = true;
    pages_[ByMonth].stale = true;
    refresh();
}

void ReportWindow::refresh()
{
    const int tab = tabs_->currentIndex();
    Page &page = pages_[tab];
    if (!page.stale)
        return;
    page.stale = false;
    // Counting months again after many changes (or the first time) may take a moment.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    const int set = context_.session.CurrentAccountSetId;
    const auto clickSlice = [this](int index) { showSlice(index); };
    try {
        if (tab == ByItem) {
            const ItemReport report = reports_.byItem(set, period(), income_->isChecked());
            std::vector<SearchRequest> rows;
            for (const ItemLine &line : report.lines)
                rows.push_back(Reports::search(report.period, line.item, report.income));
            rows.push_back(Reports::search(report.period));
            const std::vector<ReportSlice> slices = Reports::slices(report);
            std::vector<std::optional<SearchRequest>> parts;
            for (const ReportSlice &slice : slices)
                parts.push_back(slice.others ? std::nullopt
                                             : std::optional(Reports::search(report.period, slice.item, report.income)));
            fill(page, Reports::itemTable(report), std::move(rows), std::move(parts),
                 ReportCharts::donut(slices, clickSlice));
        } else if (tab == ByBudget) {
            BudgetProgress progress(context_.data);
            const QDate day = budgetDate_->date();
            fillBudget(page, budgetByYear_->isChecked() ? progress.year(set, day.year()) : progress.month(set, day));
        } else {
            const PeriodReport report =
                tab == ByMonth ? reports_.byMonth(set, period()) : reports_.byYear(set);
            std::vector<SearchRequest> rows;
            for (const PeriodLine &line : report.lines)
                rows.push_back(Reports::search(line.days));
            std::vector<std::optional<SearchRequest>> parts(rows.begin(), rows.end());
            rows.push_back(Reports::search(report.total.days));
            fill(page, Reports::periodTable(report), std::move(rows), std::move(parts),
                 ReportCharts::bars(report, clickSlice));
        }
    } catch (const StoreError &error) {
        // Figures that could not be read are not shown as zeros.
        fill(page, {}, {}, {}, new QChart);
        page.stale = true;
        context_.prompt.reportError(this, error);
    }
}

void ReportWindow::fill(Page &page, const ReportTable &table, std::vector<SearchRequest> rows,
                        std::vector<std::optional<SearchRequest>> chartSearches, QChart *chart)
{
    page.data = table;
    page.rowSearches = std::move(rows);
    page.chartSearches = std::move(chartSearches);

    QTableWidget *view = page.table;
    view->clear();
    view->setColumnCount(int(table.headers.size()));
    view->setHorizontalHeaderLabels(table.headers);
    view->setRowCount(int(table.rows.size()));
    view->setAccessibleName(tabs_->tabText(int(&page - pages_)));
    QFont bold = view->font();
    bold.setBold(true);
    for (int r = 0; r < int(table.rows.size()); ++r) {
        const bool total = r + 1 == int(table.rows.size());
        for (int c = 0; c < int(table.rows[size_t(r)].size()); ++c) {
            auto *item = new QTableWidgetItem(table.rows[size_t(r)][size_t(c)].text);
            if (c > 0)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (total)
                item->setFont(bold);
            view->setItem(r, c, item);
        }
    }
    // Wide enough for every column, the first taking what is left.
    view->resizeColumnsToContents();
    // An amount column fits a large amount even while the period has none.
    const int amountWidth = view->fontMetrics().horizontalAdvance(QStringLiteral("12,345,678.90")) + 12;
    if (!table.rows.empty()) {
        const std::vector<ReportCell> &total = table.rows.back();
        for (int c = 1; c < view->columnCount() && c < int(total.size()); ++c)
            if (total[size_t(c)].amount && view->columnWidth(c) < amountWidth)
                view->setColumnWidth(c, amountWidth);
    }
    int width = 2 * view->frameWidth() + view->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < view->columnCount(); ++c)
        width += view->columnWidth(c) + 8;
    view->setMinimumWidth(std::min(width, 520));
    view->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int c = 1; c < view->columnCount(); ++c)
        view->horizontalHeader()->setSectionResizeMode(c, QHeaderView::Interactive);

    ReportCharts::applyPalette(chart, palette(), font());
    QChart *old = page.chart->chart();
    page.chart->setChart(chart);
    page.chart->setAccessibleName(tabs_->tabText(int(&page - pages_)) + QStringLiteral("图表"));
    delete old;
}

ReportTable ReportWindow::currentTable() const { return pages_[tabs_->currentIndex()].data; }

void ReportWindow::showRow(int row)
{
    const Page &page = pages_[tabs_->currentIndex()];
    if (row >= 0 && row < int(page.rowSearches.size()))
        showEntries(page.rowSearches[size_t(row)]);
}

void ReportWindow::showSlice(int slice)
{
    const Page &page = pages_[tabs_->currentIndex()];
    if (slice >= 0 && slice < int(page.chartSearches.size()) && page.chartSearches[size_t(slice)])
        showEntries(*page.chartSearches[size_t(slice)]);
}

void ReportWindow::showEntries(const SearchRequest &request)
{
    accept();
    view_.showSearch(request);
}

QString ReportWindow::suggestedName(const QString &ending) const
{
    return DialogFolders::start(context_.data, exportPurpose(),
                                LedgerExport::defaultName(view_.accountSetName() + QStringLiteral("_收支报表"),
                                                          QDate::currentDate()) +
                                    ending);
}

void ReportWindow::exportTable()
{
    const ReportTable table = currentTable();
    if (table.rows.empty())
        return;
    Prompt &prompt = context_.prompt;
    int type = 0;
    const QString path = prompt.saveFileOfType(this, QStringLiteral("导出报表"), LedgerExport::fileFilter(),
                                               suggestedName(QStringLiteral(".xlsx")), &type);
    if (path.isEmpty())
        return;
    DialogFolders::remember(context_.data, exportPurpose(), path);
    if (!confirmReplacing(prompt, this, path))
        return;
    const int rows = int(table.rows.size()) - 1;  // the total row not counted
    ExportResult result;
    if (type == 2) {
        PrintedTable printed(table, view_.accountSetName());
        result = ReportPages(printed, QDate::currentDate()).writePdf(path, {});
    } else if (type == 0) {
        std::vector<std::vector<WorkbookCell>> cells;
        for (const std::vector<ReportCell> &row : table.rows) {
            std::vector<WorkbookCell> line;
            for (const ReportCell &cell : row)
                line.push_back({cell.text, cell.amount});
            cells.push_back(std::move(line));
        }
        result = writeTableWorkbook(path, PrintedTable(table, view_.accountSetName()).title(), table.headers, cells);
    } else {
        const std::optional<CsvChoice> chosen = CsvOptionsDialog::ask(context_.data, this);
        if (!chosen)
            return;
        // Amounts as plain exact numbers, so that a spreadsheet reads them as numbers.
        auto line = [](const QStringList &values) {
            QStringList quoted;
            for (const QString &value : values)
                quoted << Csv::quoted(value);
            return quoted.join(u',') + QStringLiteral("\r\n");
        };
        QString text = line({table.title}) + line(table.headers);
        for (size_t r = 0; r < table.rows.size(); ++r) {
            if (r + 1 == table.rows.size() && !chosen->totals)
                break;
            const std::vector<ReportCell> &row = table.rows[r];
            QStringList values;
            for (const ReportCell &cell : row)
                values << (cell.amount ? cell.amount->exact() : cell.text);
            text += line(values);
        }
        const QString why = Csv::writeFile(path, Csv::encode(text, chosen->encoding, true));
        result = why.isEmpty() ? ExportResult::written(rows) : ExportResult::failed(why, int(QFileDevice::WriteError));
    }
    if (result.status == ExportResult::Written)
        result.rows = rows;
    tellResult(prompt, this, result, QStringLiteral("导出成功！"));
}

void ReportWindow::printTable()
{
    const ReportTable table = currentTable();
    if (table.rows.empty())
        return;
    PrintedTable printed(table, view_.accountSetName());
    PrintPreview preview(context_, printed, suggestedName(QStringLiteral(".pdf")), this);
    preview.exec();
}

void ReportWindow::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        for (Page &page : pages_)
            if (page.chart->chart())
                ReportCharts::applyPalette(page.chart->chart(), palette(), font());
        // Lines over budget take the new palette's warning colour.
        pages_[ByBudget].stale = true;
        if (tabs_->currentIndex() == ByBudget)
            refresh();
    }
}

QWidget *ReportWindow::budgetChoices()
{
    auto *choices = new QWidget(this);
    auto *row = new QHBoxLayout(choices);
    row->setContentsMargins(0, 0, 0, 0);
    budgetByMonth_ = new QRadioButton(QStringLiteral("按月"), choices);
    budgetByMonth_->setObjectName(QStringLiteral("BudgetByMonth"));
    budgetByYear_ = new QRadioButton(QStringLiteral("按年"), choices);
    budgetByYear_->setObjectName(QStringLiteral("BudgetByYear"));
    budgetDate_ = new QDateEdit(QDate::currentDate(), choices);
    budgetDate_->setObjectName(QStringLiteral("BudgetReportDate"));
    budgetDate_->setCalendarPopup(true);
    budgetDate_->setDisplayFormat(QStringLiteral("yyyy年MM月"));
    for (QRadioButton *button : {budgetByMonth_, budgetByYear_}) {
        button->setAccessibleName(button->text());
        row->addWidget(button);
    }
    row->addWidget(fieldLabel(QStringLiteral("时间："), budgetDate_, choices));
    row->addWidget(budgetDate_);
    row->addStretch();
    budgetByMonth_->setChecked(true);
    auto changed = [this] {
        budgetDate_->setDisplayFormat(budgetByYear_->isChecked() ? QStringLiteral("yyyy年") : QStringLiteral("yyyy年MM月"));
        pages_[ByBudget].stale = true;
        refresh();
    };
    connect(budgetByYear_, &QRadioButton::toggled, this, changed);
    connect(budgetDate_, &QDateEdit::dateChanged, this, changed);
    return choices;
}

void ReportWindow::showBudget(const QDate &day, bool byYear)
{
    {
        const QSignalBlocker block(budgetDate_);
        budgetDate_->setDate(day);
    }
    (byYear ? budgetByYear_ : budgetByMonth_)->setChecked(true);
    pages_[ByBudget].stale = true;
    showTab(ByBudget);
    refresh();
}

void ReportWindow::fillBudget(Page &page, const BudgetReport &report)
{
    std::vector<SearchRequest> rows;
    for (const BudgetLine &line : report.lines) {
        const ReportPeriod days =
            line.wholeYear ? ReportPeriod{QDate(report.period.from.year(), 1, 1), report.period.to} : report.period;
        rows.push_back(Reports::search(days, line.item, line.income));
    }
    std::vector<std::optional<SearchRequest>> parts(rows.begin(), rows.end());
    rows.push_back(Reports::search(report.period));
    fill(page, BudgetProgress::table(report), std::move(rows), std::move(parts),
         ReportCharts::budgetBars(report, [this](int index) { showSlice(index); }));

    // Lines over budget stand out; the last column shows the share taken as a bar.
    const QColor warning = Formats::warningColour(palette());
    constexpr int Progress = 4;
    auto mark = [&](int r, const BudgetLine &line) {
        if (line.over())
            for (int c = 0; c < page.table->columnCount(); ++c)
                if (QTableWidgetItem *item = page.table->item(r, c))
                    item->setForeground(warning);
        auto *bar = new QProgressBar(page.table);
        bar->setRange(0, 100);
        const double share = line.budget > Money() ? line.spent.toDouble() / line.budget.toDouble() : 0.0;
        bar->setValue(int(std::clamp(share * 100.0, 0.0, 100.0)));
        bar->setFormat(page.table->item(r, Progress)->text());
        bar->setAccessibleName(BudgetProgress::caption(line) + QStringLiteral("进度"));
        if (line.over()) {
            QPalette colours = bar->palette();
            colours.setColor(QPalette::Highlight, warning);
            bar->setPalette(colours);
        }
        page.table->setCellWidget(r, Progress, bar);
    };
    for (int r = 0; r < int(report.lines.size()); ++r)
        mark(r, report.lines[size_t(r)]);
    if (report.total)
        mark(int(report.lines.size()), *report.total);
    // The wider bar column is added to the width the table asked for, or the item column,
    // which takes what is left, loses it and cuts its captions.
    const int narrow = page.table->columnWidth(Progress);
    if (narrow < 120) {
        page.table->setColumnWidth(Progress, 120);
        page.table->setMinimumWidth(std::min(page.table->minimumWidth() + 120 - narrow, 520));
    }
}
