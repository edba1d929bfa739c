// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/csv.h"

#include <QByteArray>
#include <QString>

#include <vector>

// Excel workbooks (.xlsx, Office Open XML), read with libzip and Qt's XML reader: the
// first sheet's cells as the records of a table, a record per sheet row that has cells.
// Shared strings, inline strings and formula results are taken as text; numbers as the
// workbook writes them (15 significant digits at most); numbers in a date format (a
// serial day count from 1899-12-30) as "yyyy-mm-dd", with " hh:mm:ss" when they hold a
// time. A record's line is the sheet row's number.
namespace XlsxReader {

// True when the bytes start as a zip archive that holds a workbook.
bool looksLikeXlsx(const QByteArray &bytes);

struct Reading {
    std::vector<Csv::Record> records;
    QString error;  // why nothing could be read; empty when it was
};
Reading read(const QByteArray &bytes);

} // namespace XlsxReader
