// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/csv.h"
#include "fileimport/file_rows.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

// A CSV or TSV file as a table of cells, and which of its columns feed which column of
// the batch import's preview.

// The preview columns a file column can feed, and the bank's one signed amount
// ("金额": positive is income, negative expense) that stands for "收入" and "支出".
enum class ImportField { Date, Item, Income, Expense, Method, Handler, Summary, Signed };
constexpr int ImportFieldCount = 8;

// For each field, the file column (from 0) that feeds it, -1 for none; and whether the
// first record is a header rather than a row.
struct ColumnMapping {
    std::array<int, ImportFieldCount> columns{-1, -1, -1, -1, -1, -1, -1, -1};
    bool header = false;

    int &operator[](ImportField field) { return columns[size_t(field)]; }
    int operator[](ImportField field) const { return columns[size_t(field)]; }
    bool operator==(const ColumnMapping &) const = default;

    // "日期", "项目", ..., "摘要", "金额".
    static QString fieldTitle(ImportField field);
    // The mapping as it is remembered, and read back (nothing for a text of another form).
    QString toText() const;
    static std::optional<ColumnMapping> fromText(const QString &text);
};

struct CsvTable {
    QChar separator = u',';
    std::vector<Csv::Record> records;

    // The number of columns: the most cells any record has.
    int columnCount() const;
    // The first record's cells, trimmed (empty for an empty table).
    QStringList firstRow() const;

    // The separator of a file's text: tab, comma or semicolon, whichever splits the first
    // lines into the same number of cells (more than one) most often; comma when none does.
    static QChar detectSeparator(const QString &text);
    static CsvTable fromText(const QString &text);

    // The mapping of a header whose cells are all titles of the preview's columns ("日期"
    // or "日  期", "项目", "收入", "支出", "收支方式", "经手人", "摘要", and "No.", which
    // is left out), in any order, each at most once; nothing for any other first row.
    static std::optional<ColumnMapping> headerMapping(const QStringList &cells);
    // A first guess for the "列对应" step from the words banks use in their headers
    // ("交易日期", "交易金额", "对方户名", "备注", ...); a first row holding a date is
    // taken for a row, and its first date, amount (one with a point, a sign or commas
    // before a plain number) and other text are guessed to be the date, the signed amount
    // and the summary.
    static ColumnMapping guessMapping(const QStringList &cells);
    // The key under which the mapping of a file is remembered: its header's cells, or
    // for a file without a header, its number of columns.
    static QString mappingKey(const QStringList &firstRow, bool header, int columnCount);

    // The preview's rows: one per record (after the header, when there is one), the cells
    // of the mapped columns as they stand but for the date, read as the paste does, and the
    // signed amount, split as AmountCells says. Where both "收入" and "支出" hold an amount
    // and one of them is zero (banks fill the other column with 0.00), the zero is left out.
    // The totals row that ends the ledger's own export is not a row.
    // Empty when progress stops the reading.
    std::vector<FileRow> rows(const ColumnMapping &mapping, const FileRows::Progress &progress = {},
                                bool *stopped = nullptr) const;
};
