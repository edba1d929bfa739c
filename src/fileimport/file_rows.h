// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
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
    // What a statement says beyond the seven cells: the line the row stands on (from 1,
    // 0 when not known), the other side of the payment, and what kind of row it is.
    enum Kind { Entry, Refund, Transfer };
    Kind kind = Entry;
    int line = 0;
    QString counterparty;
    // Transfer: the other account as the statement names it ("招商银行储蓄卡(1234)").
    QString otherAccount;
};

// A line of a file that gives no row, and why ("交易关闭", "说明行", ...).
struct SkippedLine {
    int line = 0;
    QString reason;
};

// What a file says of an account's balance on the day its records start (a QIF file's
// "Opening Balance" record): the account as the file names it, the day as stored
// ("yyyy-mm-dd") and the signed amount as stored ("-250.5").
struct OpeningBalance {
    QString account, date, amount;
};

// Which comes first in dates like 02/03/2024; Auto: found from the file's dates.
enum class DateOrder { Auto, MonthFirst, DayFirst };

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
    static AmountCells fromSigned(QStringView text, bool decimalComma = false);
    bool isText() const { return text; }
};

// The stored form "yyyy-mm-dd" of a text that reads as a date, as the paste reads it.
std::optional<QString> storedDate(QStringView text);
// A date cell: the stored form "yyyy-mm-dd" when the text reads as a date, else the text.
QString dateCell(QStringView text);
// An amount in the forms statements write it: a sign, "(12.00)" or a trailing "-" for
// negative, "¥"/"￥"/"元"/"RMB"/"CNY" around it, thousands grouped by commas (by points or
// blanks when the decimal mark is a comma, "-1.234,56"). The magnitude as stored and
// whether it is negative; nothing for a text that is no amount.
struct SignedAmount {
    bool negative = false;
    QString magnitude;
};
std::optional<SignedAmount> readAmount(QStringView text, bool decimalComma = false);
// True when the amounts of a column write their decimals after a comma throughout
// ("63,89", "1.234,50"): some do, and none has a decimal point.
bool usesDecimalComma(const QStringList &cells);

// A date in the forms statements write it, with or without a time: the forms the paste
// reads (year first), dd/mm/yyyy, mm/dd/yyyy, dd.mm.yyyy, two-digit years (2000 to 2049
// below 50), and a month and day without a year ("12/29", "12月29日"), which take `year`
// (nothing when it is 0). A first number above 12 is a day whatever the order says.
std::optional<QDate> readDate(QStringView text, DateOrder order, int year = 0);
// The order a column of dates settles (a first number above 12 says day first, a second
// one month first); Auto when none settles it.
DateOrder dateOrderOf(const QStringList &dates);

// The "摘要" of a payee (or a name) and a memo: both, joined by " - ", or the one that is
// there; a memo that repeats the name is not written twice.
QString summaryOf(const QString &name, const QString &memo);
// Numbers the rows 1, 2, ... in their order.
void number(std::vector<FileRow> &rows);

} // namespace FileRows
