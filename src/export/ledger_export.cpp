#include "export/ledger_export.h"

#include "core/csv.h"
#include "ledger/ledger.h"
#include "store/sqlite_db.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <memory>

namespace {

constexpr int IncomeColumn = 2;
constexpr int ExpenseColumn = 3;
constexpr int SummaryColumn = 6;
// Progress is told every so many entries.
constexpr int ProgressStep = 1000;
// The longest text a worksheet cell holds.
constexpr int MaxCellText = 32767;

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

ExportResult LedgerExport::write(Format format, const QString &path, const ExportProgress &progress)
{
    switch (format) {
    case Format::Csv: return writeCsv(path, progress);
    case Format::Pdf: return writePdf(path, progress);
    case Format::Xlsx: break;
    }
    return writeXlsx(path, progress);
}

ExportResult LedgerExport::writeCsv(const QString &path, const ExportProgress &progress)
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
                bytes += Csv::encode(text);
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
    line(totalsRow());
    bytes += Csv::encode(text);
    const QString why = Csv::writeFile(path, bytes);
    if (!why.isEmpty())
        return ExportResult::failed(why, int(QFileDevice::WriteError));
    return ExportResult::written(written);
}

namespace {

// A workbook being written: libxlsxwriter's workbook, closed (and freed) however the
// writing ends.
struct Workbook {
    lxw_workbook *book = nullptr;
    lxw_worksheet *sheet = nullptr;
    lxw_error error = LXW_NO_ERROR;

    ~Workbook() { close(); }
    lxw_error close()
    {
        lxw_error closed = LXW_NO_ERROR;
        if (book)
            closed = workbook_close(book);
        book = nullptr;
        return closed;
    }
    lxw_format *format(bool bold, const char *numberFormat = nullptr, bool wrap = false)
    {
        lxw_format *f = workbook_add_format(book);
        if (bold)
            format_set_bold(f);
        if (numberFormat)
            format_set_num_format(f, numberFormat);
        if (wrap)
            format_set_text_wrap(f);
        return f;
    }
    void keep(lxw_error e)
    {
        if (error == LXW_NO_ERROR)
            error = e;
    }
    void text(lxw_row_t row, lxw_col_t col, const QString &value, lxw_format *f = nullptr)
    {
        if (value.isEmpty())
            return;
        const QByteArray utf8 = (value.size() > MaxCellText ? value.left(MaxCellText) : value).toUtf8();
        keep(worksheet_write_string(sheet, row, col, utf8.constData(), f));
    }
    // An amount as a number; a text that is not one stays text.
    void amount(lxw_row_t row, lxw_col_t col, const QString &value, lxw_format *number, lxw_format *plain)
    {
        if (value.isEmpty())
            return;
        if (std::optional<Money> money = Money::fromStored(QStringView(value)))
            keep(worksheet_write_number(sheet, row, col, money->toDouble(), number));
        else
            text(row, col, value, plain);
    }
    // A stored "yyyy-mm-dd" as a date; any other text stays text.
    void date(lxw_row_t row, lxw_col_t col, const QString &value, lxw_format *f)
    {
        const QDate day = storedDate(value);
        if (!day.isValid()) {
            text(row, col, value);
            return;
        }
        lxw_datetime when = {day.year(), day.month(), day.day(), 0, 0, 0};
        keep(worksheet_write_datetime(sheet, row, col, &when, f));
    }
    static QDate storedDate(const QString &value)
    {
        if (value.size() != 10 || value[4] != u'-' || value[7] != u'-')
            return {};
        int parts[3] = {};
        const int starts[3] = {0, 5, 8}, lengths[3] = {4, 2, 2};
        for (int p = 0; p < 3; ++p)
            for (int i = starts[p]; i < starts[p] + lengths[p]; ++i) {
                if (!value[i].isDigit() || value[i].unicode() > '9')
                    return {};
                parts[p] = parts[p] * 10 + (value[i].unicode() - '0');
            }
        return QDate(parts[0], parts[1], parts[2]);  // invalid for 2008-02-30
    }
};

QString failureText(lxw_error error) { return QString::fromUtf8(lxw_strerror(error)); }

} // namespace

ExportResult LedgerExport::writeXlsx(const QString &path, const ExportProgress &progress)
{
    if (count() > MaxXlsxEntries)
        return ExportResult::refused(
                QStringLiteral("Excel 工作表最多容纳 %1 条记录，这个列表有 %2 条。请导出为 CSV 文件，"
                               "或者缩小范围后分次导出。")
                    .arg(MaxXlsxEntries)
                    .arg(count()));

    // libxlsxwriter writes a file by its name: the workbook is made in a scratch file and
    // then copied into place whole.
    QTemporaryFile scratch(QDir::temp().filePath(QStringLiteral("tallyra-export-XXXXXX.xlsx")));
    if (!scratch.open())
        return ExportResult::failed(scratch.errorString(), int(scratch.error()));
    scratch.close();
    const QByteArray scratchName = QFile::encodeName(scratch.fileName());
    QByteArray tempFolder = QFile::encodeName(QDir::tempPath());

    Workbook w;
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;  // rows go to disk as they are written
    options.tmpdir = tempFolder.data();
    w.book = workbook_new_opt(scratchName.constData(), &options);
    if (!w.book)
        return ExportResult::failed(failureText(LXW_ERROR_CREATING_XLSX_FILE), LXW_ERROR_CREATING_XLSX_FILE);
    w.sheet = workbook_add_worksheet(w.book, "记帐数据");
    lxw_format *header = w.format(true);
    lxw_format *date = w.format(false, "yyyy-mm-dd");
    lxw_format *money = w.format(false, "0.00");
    lxw_format *lines = w.format(false, nullptr, true);
    lxw_format *boldText = w.format(true);
    lxw_format *boldMoney = w.format(true, "0.00");

    const double widths[] = {12, 14, 13, 13, 11, 11, 48};
    for (lxw_col_t c = 0; c < 7; ++c)
        w.keep(worksheet_set_column(w.sheet, c, c, widths[c], nullptr));
    worksheet_freeze_panes(w.sheet, 1, 0);

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
            return !cancelled && w.error == LXW_NO_ERROR;
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
    if (w.error != LXW_NO_ERROR)
        return ExportResult::failed(failureText(w.error), w.error);
    if (lxw_error closed = w.close())
        return ExportResult::failed(failureText(closed), closed);

    QFile made(scratch.fileName());
    if (!made.open(QIODevice::ReadOnly))
        return ExportResult::failed(made.errorString(), int(made.error()));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return ExportResult::failed(file.errorString(), int(file.error()));
    while (!made.atEnd()) {
        const QByteArray chunk = made.read(1 << 20);
        if (chunk.isEmpty() || file.write(chunk) != chunk.size()) {
            const QString why = file.error() != QFileDevice::NoError ? file.errorString() : made.errorString();
            file.cancelWriting();
            return ExportResult::failed(why, int(QFileDevice::WriteError));
        }
    }
    if (!file.commit())
        return ExportResult::failed(file.errorString(), int(file.error()));
    return ExportResult::written(int(row) - 1);
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
