// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

#include <functional>
#include <optional>
#include <vector>

// One row read from a bank or spreadsheet file, in the columns of the batch import's
// preview: its number (from 1) and the seven cells as read, so that a cell that is not a
// date or an amount is shown and reported when the rows are stored, exactly as a pasted
// one. The batch import turns these rows into the ledger's.
struct FileRow {
    int number = 0;
    QString date, item, income, expense, method, handler, summary;
};

// What every reader of bank and spreadsheet files shares.
namespace FileRows {

// Called now and then while a long file is read: how far, out of how much. Returning
// false stops the reading.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// A signed amount as banks write it, split into the preview's "收入" and "支出" cells:
// "12.50", "+12.50" and "1,234.50" are income, "-12.50" and "(12.50)" expense, each with
// the magnitude as the amount is stored ("12.50", "1234.50"). The sign as written decides,
// so "-0" is an expense of 0. A text that is no amount is kept as it stands, in the
// "支出" cell when it starts with "-" or "(", else in the "收入" cell.
struct AmountCells {
    QString income, expense;
    bool text = false;  // the cell is kept as it stands: it is no amount
    static AmountCells fromSigned(QStringView text);
    bool isText() const { return text; }
};

// The stored form "yyyy-mm-dd" of a text that reads as a date, as the paste reads it.
std::optional<QString> storedDate(QStringView text);
// A date cell: the stored form "yyyy-mm-dd" when the text reads as a date, else the text.
QString dateCell(QStringView text);
// The "摘要" of a payee (or a name) and a memo: both, joined by " - ", or the one that is
// there; a memo that repeats the name is not written twice.
QString summaryOf(const QString &name, const QString &memo);
// Numbers the rows 1, 2, ... in their order.
void number(std::vector<FileRow> &rows);

} // namespace FileRows
