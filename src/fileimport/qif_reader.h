// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileimport/file_rows.h"

#include <QDate>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

// Quicken interchange files (QIF): sections headed "!Type:..." of records ending in "^",
// one field a line, its letter first.
//
// The transactions of bank, cash, credit-card and other asset or liability sections
// become rows: D the date, T (or U) the signed amount, P the payee and M the memo into
// "摘要", L the category into "项目" (without its "/class"). A transaction with split lines
// (S category, E memo, $ amount) gives one row per split, its memo in place of M.
// Investment, category, class, memorised and account-list sections are passed over, and
// comment lines ("# ...", "// ...") wherever they stand.
namespace QifReader {

// Which comes first in dates of the form 1/2/2024.
enum class DayOrder { MonthFirst, DayFirst };

// D dates: "MM/DD'YY", "MM/DD/YY", "MM/DD/YYYY" (also with "-" or "." and blanks that pad
// the numbers, "1/ 5' 4"), and the forms the paste reads ("2024-01-05"). Two-digit years
// are 2000 to 2049 below 50, else 1950 to 1999.
std::optional<QDate> readDate(QStringView text, DayOrder order = DayOrder::MonthFirst);
// Month first, unless some date of the file reads only day first (13/01/2024).
DayOrder dayOrder(const QStringList &dates);

// True when the text starts as a QIF file does ("!Type:", "!Account", "!Option").
bool looksLikeQif(QStringView text);

// The opening balance record (payee "Opening Balance", its category the account itself,
// "[Checking]") is no income: the first one gives the file's opening balance, of the
// account its category names (else the one the "!Account" list named last); one that
// names no account, or any further one, is left out with this reason.
QString openingBalanceReason();

struct Reading {
    std::vector<FileRow> rows;
    std::vector<SkippedLine> skipped;  // opening balances that give none
    std::optional<OpeningBalance> opening;
    QString error;  // why nothing could be read; empty when rows were read
};
Reading read(const QString &text);

} // namespace QifReader
