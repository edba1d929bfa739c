// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/csv.h"
#include "export/report_pages.h"
#include "ledger/entry_list.h"

#include <QDate>

class DataFile;

// What the user chose for a CSV file: its encoding, and whether the totals row ends it.
struct CsvChoice {
    Csv::Encoding encoding = Csv::Encoding::Utf8Bom;
    bool totals = true;
};

// The entries of a ledger list as they leave the program: the same columns, rows and totals
// in an Excel workbook, a CSV file and printed pages (on paper or as a PDF file).
//
// The columns are those of the batch import, so that an exported file pasted back gives the
// same entries: 日期, 项目, 收入, 支出, 收支方式, 经手人, 摘要. The rows follow the list's
// order; a totals row with the count and the exact income, expense and balance totals ends
// every file, an empty list included.
class LedgerExport : public Report {
public:
    // The file types of the save dialog, in the order of fileFilter().
    enum class Format { Xlsx, Csv, Pdf };
    // A worksheet holds 1,048,576 rows: the header, the entries and the totals row.
    static constexpr int MaxXlsxEntries = 1048576 - 2;

    // The entries of a list (read on demand) with the account set's name and the list's
    // caption ("当前：2008年03月" or "统计查询：…") for the printed title. May throw StoreError.
    LedgerExport(DataFile &data, const EntryQuery &query, const QString &accountSetName, const QString &caption,
                 const QDate &today = QDate::currentDate());

    // "Excel 工作簿|*.xlsx|CSV 文件|*.csv|PDF 文件|*.pdf".
    static QString fileFilter();
    // The suggested file name: the account set's name and the day ("默认账套_2024-05-01"),
    // characters a file name cannot hold replaced by "_".
    static QString defaultName(const QString &accountSetName, const QDate &day);

    static QStringList columnTitles();
    // One entry's cells: the date and the amount as stored, the amount under 收入 for the kind
    // "收入" and under 支出 for any other, the whole summary with its line breaks.
    static QStringList cells(const LedgerEntry &entry);
    // "合计", "N 条", income, expense, "收支结余", balance, "" (amounts exact).
    static QStringList totalsCells(const LedgerTotals &totals);

    int count() const { return list_.count(); }
    const LedgerTotals &totals() const { return list_.totals(); }

    // Writes the whole list into a file of that type, replacing the file only when all of it
    // was written. progress counts entries (pages for PDF); returning false cancels and
    // leaves no file behind.
    ExportResult write(Format format, const QString &path, const ExportProgress &progress = {},
                       const CsvChoice &csv = {});
    // Text in the chosen encoding, values quoted where they must be (line breaks, quotes,
    // commas); the totals row when chosen.
    ExportResult writeCsv(const QString &path, const ExportProgress &progress = {}, const CsvChoice &choice = {});
    // One worksheet: a bold header row kept in view, dates as dates, amounts as numbers with
    // two decimals (an amount that is not a number stays text), the whole summary.
    ExportResult writeXlsx(const QString &path, const ExportProgress &progress = {});
    // The printed pages.
    ExportResult writePdf(const QString &path, const ExportProgress &progress = {});

    // The printed report: the summary on one line, its line breaks shown as " / ".
    QString title() const override;
    QList<ReportColumn> columns() const override;
    int rowCount() const override { return list_.count(); }
    std::vector<QStringList> rows(int first, int n) override;
    QStringList totalsRow() const override { return totalsCells(list_.totals()); }
    QString savedText() const override;
    static QString printedSummary(const QString &summary);

private:
    EntryList list_;
    QString accountSet_;
    QString caption_;
    QDate today_;
};

// The figures of "帐务统计" as a printed report: income and expense with their counts, and
// the balance.
class FinanceReport : public Report {
public:
    FinanceReport(const FinanceFigures &figures, const QString &accountSetName);

    QString title() const override;
    QList<ReportColumn> columns() const override;
    int rowCount() const override { return 2; }
    std::vector<QStringList> rows(int first, int n) override;
    QStringList totalsRow() const override;

private:
    FinanceFigures figures_;
    QString accountSet_;
};
