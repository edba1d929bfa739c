// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/money.h"
#include "export/report_pages.h"

#include <QDate>
#include <QString>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <memory>

// An Excel workbook being written with libxlsxwriter, which writes a file by its name: the
// workbook is made in a scratch file and copied into place whole by commit(), so a failed
// or cancelled export leaves no half-written file behind. The workbook is closed (and
// freed) however the writing ends.
class Workbook {
public:
    // The longest text a worksheet cell holds.
    static constexpr int MaxCellText = 32767;

    Workbook() = default;
    ~Workbook();
    Workbook(const Workbook &) = delete;
    Workbook &operator=(const Workbook &) = delete;

    // Starts a workbook with one worksheet of this name; a failure is the result to return.
    std::optional<ExportResult> open(const char *sheetName);
    lxw_worksheet *sheet() const { return sheet_; }
    lxw_error error() const { return error_; }

    lxw_format *format(bool bold, const char *numberFormat = nullptr, bool wrap = false);
    void column(lxw_col_t col, double width);
    void text(lxw_row_t row, lxw_col_t col, const QString &value, lxw_format *f = nullptr);
    // An amount as a number; a text that is not one stays text.
    void amount(lxw_row_t row, lxw_col_t col, const QString &value, lxw_format *number, lxw_format *plain);
    void number(lxw_row_t row, lxw_col_t col, double value, lxw_format *f);
    // A stored "yyyy-mm-dd" as a date; any other text stays text.
    void date(lxw_row_t row, lxw_col_t col, const QString &value, lxw_format *f);
    static QDate storedDate(const QString &value);

    // Closes the workbook and puts it at `path`: `rows` written, or why not.
    ExportResult commit(const QString &path, int rows);

    static QString failureText(lxw_error error);

private:
    void keep(lxw_error e);
    lxw_error close();

    std::unique_ptr<QTemporaryFile> scratch_;
    lxw_workbook *book_ = nullptr;
    lxw_worksheet *sheet_ = nullptr;
    lxw_error error_ = LXW_NO_ERROR;
};

// A plain table as one worksheet: a bold title line, the bold frozen header row, the rows,
// and the last row (the totals) bold. Cells with an amount are numbers with two decimals.
struct WorkbookCell {
    QString text;
    std::optional<Money> amount;
};
ExportResult writeTableWorkbook(const QString &path, const QString &title, const QStringList &headers,
                                const std::vector<std::vector<WorkbookCell>> &rows);
