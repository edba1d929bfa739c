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

// The preview columns a file column can feed; the bank's one signed amount ("金额":
// positive is income, negative expense) that stands for "收入" and "支出"; and what a
// statement adds: the direction ("收/支", "借/贷") that makes an unsigned amount income or
// expense, the status ("交易关闭", "退款成功"), the other side of the payment and the kind
// of payment ("零钱提现", "信用卡还款").
enum class ImportField {
    Date, Item, Income, Expense, Method, Handler, Summary, Signed, Direction, Status, Counterparty, Type
};
constexpr int ImportFieldCount = 12;

// For each field, the file column (from 0) that feeds it, -1 for none; the record that
// holds the header (or, without one, the first row: the records above it are notes);
// whether there is a header; and how dates and signed amounts are read.
struct ColumnMapping {
    std::array<int, ImportFieldCount> columns{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    bool header = false;
    int headerLine = 0;           // a record's index in the table
    DateOrder dateOrder = DateOrder::Auto;
    bool positiveIsExpense = false;  // a credit card's signed amounts: charges are positive

    int &operator[](ImportField field) { return columns[size_t(field)]; }
    int operator[](ImportField field) const { return columns[size_t(field)]; }
    bool operator==(const ColumnMapping &) const = default;

    // "日期", "项目", ..., "摘要", "金额", "收/支", "交易状态", "交易对方", "交易类型".
    static QString fieldTitle(ImportField field);
    // The mapping as it is remembered, and read back (nothing for a text of another form).
    QString toText() const;
    static std::optional<ColumnMapping> fromText(const QString &text);
};

struct CsvTable {
    QChar separator = u',';
    std::vector<Csv::Record> records;
    QString text;  // what the records were split from; empty for a workbook's sheet

    // The number of columns: the most cells any record has.
    int columnCount() const;
    // The first record's cells, trimmed (empty for an empty table).
    QStringList firstRow() const;
    // The cells of a record, trimmed (empty when there is no such record).
    QStringList rowAt(int index) const;

    // The separator of a file's text: tab, comma or semicolon, whichever splits the first
    // lines into the same number of cells (more than one) most often; comma when none does.
    static QChar detectSeparator(const QString &text);
    static CsvTable fromText(const QString &text);
    // Split with the separator the user chose.
    static CsvTable fromText(const QString &text, QChar separator);

    // The record that looks like a statement's header: within the first lines, the first
    // one with a date word and an amount word (or, with none, the first record) below
    // notes whose lines have fewer cells; -1 when the first record is already a row (a
    // date and an amount).
    int findHeader() const;

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
    // The same from the header at the mapping's line; a table without a header (line -1)
    // is guessed from its first row.
    ColumnMapping guessMapping(int headerLine) const;
    // The key under which the mapping of a file is remembered: its header's cells, or
    // for a file without a header, its number of columns.
    static QString mappingKey(const QStringList &firstRow, bool header, int columnCount);

    // The preview's rows: one per record (after the header, when there is one), the cells
    // of the mapped columns as they stand but for the date, read as the paste does, and the
    // signed amount, split as AmountCells says. Where both "收入" and "支出" hold an amount
    // and one of them is zero (banks fill the other column with 0.00), the zero is left out.
    // The totals row that ends the ledger's own export is not a row.
    // Empty when progress stops the reading. A statement's own rules (status, direction,
    // refunds, notes) are applied by StatementRows, which this calls.
    std::vector<FileRow> rows(const ColumnMapping &mapping, const FileRows::Progress &progress = {},
                                bool *stopped = nullptr, std::vector<SkippedLine> *skipped = nullptr) const;
};
