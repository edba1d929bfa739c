// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/ledger_export.h"

#include "core/csv.h"
#include "export/workbook.h"
#include "ledger/ledger.h"
#include "store/sqlite_db.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>


#include <memory>

namespace {

constexpr int IncomeColumn = 2;
constexpr int ExpenseColumn = 3;
constexpr int SummaryColumn = 6;
// Progress is told every so many entries.
constexpr int ProgressStep = 1000;

bool report(const ExportProgress &progress, qint64 done, qint64 total)
{
    return !progress || progress(done, total);
}

} // namespace

LedgerExport::LedgerExport(DataFile &data, const EntryQuery &query, const QString &accountSetName,
                           const QString &caption, const QDate &today)
    : list_(data, query), accountSet_(accountSetName), caption_(caption), today_(today)
{
}

QString LedgerExport::fileFilter()
{
    return QStringLiteral("Excel 工作簿|*.xlsx|CSV 文件|*.csv|PDF 文件|*.pdf");
}

QString LedgerExport::defaultName(const QString &accountSetName, const QDate &day)
{
    static const QRegularExpression unsafe(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    QString name = accountSetName.trimmed();
    name.replace(unsafe, QStringLiteral("_"));
    if (name.isEmpty() || name.startsWith(u'.'))
        name.prepend(QStringLiteral("记帐数据"));
    return name + u'_' + day.toString(QStringLiteral("yyyy-MM-dd"));
}

QStringList LedgerExport::columnTitles()
{
    return {QStringLiteral("日期"), QStringLiteral("项目"), QStringLiteral("收入"), QStringLiteral("支出"),
            QStringLiteral("收支方式"), QStringLiteral("经手人"), QStringLiteral("摘要")};
}

QStringList LedgerExport::cells(const LedgerEntry &e)
{
    const bool income = e.kind == Ledger::incomeKind();
    return {e.date, e.item, income ? e.amount : QString(), income ? QString() : e.amount, e.method, e.handler,
            e.summary};
}

QStringList LedgerExport::totalsCells(const LedgerTotals &t)
{
    return {QStringLiteral("合计"), QStringLiteral("%1 条").arg(t.count), t.income.plain(), t.expense.plain(),
            QStringLiteral("收支结余"), (t.income - t.expense).plain(), QString()};
}

ExportResult LedgerExport::write(Format format, const QString &path, const ExportProgress &progress, const CsvChoice &csv)
{
    switch (format) {
    case Format::Csv: return writeCsv(path, progress, csv);
    case Format::Pdf: return writePdf(path, progress);
    case Format::Xlsx: break;
    }
    return writeXlsx(path, progress);
}

ExportResult LedgerExport::writeCsv(const QString &path, const ExportProgress &progress, const CsvChoice &choice)
{
    QString text;
    QByteArray bytes;
    auto line = [&text](const QStringList &values) {
        for (int i = 0; i < values.size(); ++i) {
            if (i)
                text += u',';
            text += Csv::quoted(values[i]);
        }
        text += QLatin1String("\r\n");
    };
    line(columnTitles());
    int written = 0;
    bool cancelled = false;
    try {
        list_.forEach([&](const LedgerEntry &entry) {
            line(cells(entry));
            if (++written % ProgressStep == 0) {
                bytes += Csv::encode(text, choice.encoding, bytes.isEmpty());
                text.clear();
                cancelled = !report(progress, written, count());
            }
            return !cancelled;
        });
    } catch (const StoreError &error) {
        return ExportResult::failed(error.description(), error.code());
    }
    if (cancelled)
        return ExportResult::cancelled();
    if (choice.totals)
        line(totalsRow());
    bytes += Csv::encode(text, choice.encoding, bytes.isEmpty());
    const QString why = Csv::writeFile(path, bytes);
    if (!why.isEmpty())
        return ExportResult::failed(why, int(QFileDevice::WriteError));
    return ExportResult::written(written);
}

ExportResult LedgerExport::writeXlsx(const QString &path, const ExportProgress &progress)
{
    if (count() > MaxXlsxEntries)
        return ExportResult::refused(
                QStringLiteral("Excel 工作表最多容纳 %1 条记录，这个列表有 %2 条。请导出为 CSV 文件，"
                               "或者缩小范围后分次导出。")
                    .arg(MaxXlsxEntries)
                    .arg(count()));

    Workbook w;
    if (std::optional<ExportResult> failed = w.open("记帐数据"))
        return *failed;
    lxw_format *header = w.format(true);
    lxw_format *date = w.format(false, "yyyy-mm-dd");
    lxw_format *money = w.format(false, "0.00");
    lxw_format *lines = w.format(false, nullptr, true);
    lxw_format *boldText = w.format(true);
    lxw_format *boldMoney = w.format(true, "0.00");

    const double widths[] = {12, 14, 13, 13, 11, 11, 48};
    for (lxw_col_t c = 0; c < 7; ++c)
        w.column(c, widths[c]);
    worksheet_freeze_panes(w.sheet(), 1, 0);

    const QStringList titles = columnTitles();
    for (int c = 0; c < titles.size(); ++c)
        w.text(0, lxw_col_t(c), titles[c], header);

    lxw_row_t row = 0;
    bool cancelled = false;
    try {
        list_.forEach([&](const LedgerEntry &entry) {
            const QStringList c = cells(entry);
            ++row;
            w.date(row, 0, c[0], date);
            w.text(row, 1, c[1]);
            w.amount(row, IncomeColumn, c[IncomeColumn], money, nullptr);
            w.amount(row, ExpenseColumn, c[ExpenseColumn], money, nullptr);
            w.text(row, 4, c[4]);
            w.text(row, 5, c[5]);
            // A cell's line breaks are single line feeds.
            QString summary = c[SummaryColumn];
            summary.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            w.text(row, SummaryColumn, summary, summary.contains(u'\n') ? lines : nullptr);
            if (row % ProgressStep == 0)
                cancelled = !report(progress, row, count());
            return !cancelled && w.error() == LXW_NO_ERROR;
        });
    } catch (const StoreError &error) {
        return ExportResult::failed(error.description(), error.code());
    }
    if (cancelled)
        return ExportResult::cancelled();

    const QStringList totals = totalsRow();
    ++row;
    w.text(row, 0, totals[0], boldText);
    w.text(row, 1, totals[1], boldText);
    w.amount(row, IncomeColumn, totals[IncomeColumn], boldMoney, boldText);
    w.amount(row, ExpenseColumn, totals[ExpenseColumn], boldMoney, boldText);
    w.text(row, 4, totals[4], boldText);
    w.amount(row, 5, totals[5], boldMoney, boldText);
    return w.commit(path, int(row) - 1);
}

ExportResult LedgerExport::writePdf(const QString &path, const ExportProgress &progress)
{
    return ReportPages(*this, today_).writePdf(path, progress);
}

QString LedgerExport::title() const
{
    return (accountSet_.isEmpty() ? QString() : accountSet_ + QStringLiteral("　")) + caption_;
}

QList<ReportColumn> LedgerExport::columns() const
{
    const QStringList t = columnTitles();
    return {{t[0], 7},
            {t[1], 7},
            {t[2], 7.5, Qt::AlignRight},
            {t[3], 7.5, Qt::AlignRight},
            {t[4], 5.5},
            {t[5], 5.5},
            {t[6], 24, Qt::AlignLeft, true}};
}

QString LedgerExport::printedSummary(const QString &summary)
{
    if (!summary.contains(u'\n') && !summary.contains(u'\r') && !summary.contains(u'\t'))
        return summary;
    static const QRegularExpression breaks(QStringLiteral("[\\r\\n]+"));
    QString line = summary;
    line.replace(u'\t', u' ');
    return line.split(breaks, Qt::SkipEmptyParts).join(QStringLiteral(" / "));
}

std::vector<QStringList> LedgerExport::rows(int first, int n)
{
    std::vector<QStringList> result;
    const std::vector<LedgerEntry> entries = list_.entries(first, n);
    result.reserve(entries.size());
    for (const LedgerEntry &entry : entries) {
        QStringList c = cells(entry);
        c[SummaryColumn] = printedSummary(c[SummaryColumn]);
        result.push_back(std::move(c));
    }
    return result;
}

QString LedgerExport::savedText() const
{
    return QStringLiteral("导出成功！共导出 %1 条记录。").arg(count());
}

FinanceReport::FinanceReport(const FinanceFigures &figures, const QString &accountSetName)
    : figures_(figures), accountSet_(accountSetName)
{
}

QString FinanceReport::title() const
{
    return (accountSet_.isEmpty() ? QString() : accountSet_ + QStringLiteral("　")) + QStringLiteral("帐务统计");
}

QList<ReportColumn> FinanceReport::columns() const
{
    return {{QStringLiteral("项目"), 10},
            {QStringLiteral("条数"), 10, Qt::AlignRight},
            {QStringLiteral("金额"), 14, Qt::AlignRight, true}};
}

std::vector<QStringList> FinanceReport::rows(int first, int n)
{
    const std::vector<QStringList> all = {
        {QStringLiteral("收入情况"), QStringLiteral("共计：%1 条").arg(figures_.incomeCount), figures_.income.plain()},
        {QStringLiteral("支出情况"), QStringLiteral("共计：%1 条").arg(figures_.expenseCount),
         figures_.expense.plain()}};
    first = std::clamp(first, 0, int(all.size()));
    return {all.begin() + first, all.begin() + std::clamp(first + n, first, int(all.size()))};
}

QStringList FinanceReport::totalsRow() const
{
    return {QStringLiteral("总计"), QStringLiteral("现有金额："), (figures_.income - figures_.expense).plain() +
                                                                     QStringLiteral("RMB")};
}
