// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/workbook.h"

#include "core/csv.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

Workbook::~Workbook() { close(); }

std::optional<ExportResult> Workbook::open(const char *sheetName)
{
    scratch_ = std::make_unique<QTemporaryFile>(QDir::temp().filePath(QStringLiteral("tallyra-export-XXXXXX.xlsx")));
    if (!scratch_->open())
        return ExportResult::failed(scratch_->errorString(), int(scratch_->error()));
    scratch_->close();
    const QByteArray scratchName = QFile::encodeName(scratch_->fileName());
    QByteArray tempFolder = QFile::encodeName(QDir::tempPath());
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;  // rows go to disk as they are written
    options.tmpdir = tempFolder.data();
    book_ = workbook_new_opt(scratchName.constData(), &options);
    if (!book_)
        return ExportResult::failed(failureText(LXW_ERROR_CREATING_XLSX_FILE), LXW_ERROR_CREATING_XLSX_FILE);
    sheet_ = workbook_add_worksheet(book_, sheetName);
    return std::nullopt;
}

lxw_error Workbook::close()
{
    lxw_error closed = LXW_NO_ERROR;
    if (book_)
        closed = workbook_close(book_);
    book_ = nullptr;
    sheet_ = nullptr;
    return closed;
}

void Workbook::keep(lxw_error e)
{
    if (error_ == LXW_NO_ERROR)
        error_ = e;
}

lxw_format *Workbook::format(bool bold, const char *numberFormat, bool wrap)
{
    lxw_format *f = workbook_add_format(book_);
    if (bold)
        format_set_bold(f);
    if (numberFormat)
        format_set_num_format(f, numberFormat);
    if (wrap)
        format_set_text_wrap(f);
    return f;
}

void Workbook::column(lxw_col_t col, double width) { keep(worksheet_set_column(sheet_, col, col, width, nullptr)); }

void Workbook::text(lxw_row_t row, lxw_col_t col, const QString &value, lxw_format *f)
{
    if (value.isEmpty())
        return;
    const QByteArray utf8 = (value.size() > MaxCellText ? value.left(MaxCellText) : value).toUtf8();
    keep(worksheet_write_string(sheet_, row, col, utf8.constData(), f));
}

void Workbook::amount(lxw_row_t row, lxw_col_t col, const QString &value, lxw_format *number, lxw_format *plain)
{
    if (value.isEmpty())
        return;
    if (std::optional<Money> money = Money::fromStored(QStringView(value)))
        keep(worksheet_write_number(sheet_, row, col, money->toDouble(), number));
    else
        text(row, col, value, plain);
}

void Workbook::number(lxw_row_t row, lxw_col_t col, double value, lxw_format *f)
{
    keep(worksheet_write_number(sheet_, row, col, value, f));
}

void Workbook::date(lxw_row_t row, lxw_col_t col, const QString &value, lxw_format *f)
{
    const QDate day = storedDate(value);
    if (!day.isValid()) {
        text(row, col, value);
        return;
    }
    lxw_datetime when = {day.year(), day.month(), day.day(), 0, 0, 0};
    keep(worksheet_write_datetime(sheet_, row, col, &when, f));
}

QDate Workbook::storedDate(const QString &value)
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

QString Workbook::failureText(lxw_error error) { return QString::fromUtf8(lxw_strerror(error)); }

ExportResult Workbook::commit(const QString &path, int rows)
{
    if (error_ != LXW_NO_ERROR)
        return ExportResult::failed(failureText(error_), error_);
    if (lxw_error closed = close())
        return ExportResult::failed(failureText(closed), closed);

    QFile made(scratch_->fileName());
    if (!made.open(QIODevice::ReadOnly))
        return ExportResult::failed(made.errorString(), int(made.error()));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return ExportResult::failed(file.errorString(), int(file.error()));
    Csv::keepPrivate(file, path);
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
    return ExportResult::written(rows);
}

ExportResult writeTableWorkbook(const QString &path, const QString &title, const QStringList &headers,
                                const std::vector<std::vector<WorkbookCell>> &rows)
{
    Workbook w;
    if (std::optional<ExportResult> failed = w.open("报表"))
        return *failed;
    lxw_format *bold = w.format(true);
    lxw_format *money = w.format(false, "#,##0.00");
    lxw_format *boldMoney = w.format(true, "#,##0.00");
    for (int c = 0; c < headers.size(); ++c)
        w.column(lxw_col_t(c), c == 0 ? 16 : 14);
    w.text(0, 0, title, bold);
    for (int c = 0; c < headers.size(); ++c)
        w.text(1, lxw_col_t(c), headers[c], bold);
    worksheet_freeze_panes(w.sheet(), 2, 0);
    for (size_t r = 0; r < rows.size(); ++r) {
        const bool last = r + 1 == rows.size();
        for (size_t c = 0; c < rows[r].size(); ++c) {
            const WorkbookCell &cell = rows[r][c];
            const auto row = lxw_row_t(r + 2);
            bool whole = false;
            const qlonglong count = cell.text.toLongLong(&whole);
            if (cell.amount)
                w.number(row, lxw_col_t(c), cell.amount->toDouble(), last ? boldMoney : money);
            else if (whole)
                w.number(row, lxw_col_t(c), double(count), last ? bold : nullptr);
            else
                w.text(row, lxw_col_t(c), cell.text, last ? bold : nullptr);
        }
    }
    return w.commit(path, int(rows.size()) - (rows.empty() ? 0 : 1));
}
