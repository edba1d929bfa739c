// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QString>
#include <QStringView>

#include <optional>
#include <string_view>

// How the program stores, shows and reads dates.
namespace Dates {

// "yyyy-mm-dd" as stored, and the list form "YYYY年MM月DD日". A stored text that is not
// a date of that form is shown as it stands.
QString storedDate(const QDate &date);
QString listDate(QStringView stored);
// Reads a date as people type it or spreadsheets copy it: 2008-3-5, 2008/03/05,
// 2008.3.5, 2008年3月5日, 20080305, optionally followed by a time.
std::optional<QDate> readDate(QStringView text);

// The days an entry may have. The editor and every import take these and refuse others,
// saying so with entryDaysText() ("1900-01-01至2099-12-31").
QDate firstEntryDay();
QDate lastEntryDay();
bool isEntryDay(const QDate &date);
QString entryDaysText();

// The month an entry is filed under, one rule for the program and for the data file's
// triggers: a stored date text belongs to the month of its first seven characters when
// they read "yyyy-mm" with a year 1000 to 9999 and a month 01 to 12, whatever follows
// ("2024-01-5", "2024-01-31 12:00"). Every other value (no date, a number, a blob,
// "2024-1-5", "10000-01-01", a NUL or half a character among the first seven) belongs to
// no month. Texts of one month are exactly those from its key ("2024-01") up to
// monthEnd() ("2024-02"), so a month is one range of the date index.
//
// Months are counted as integers, year * 12 + month - 1, from FirstMonth to LastMonth:
// a walk over months ends because an integer below a bound grows, whatever the file holds.
constexpr int FirstMonth = 1000 * 12;
constexpr int LastMonth = 9999 * 12 + 11;
// The month of a date text (its UTF-8 bytes); nothing when it belongs to no month.
std::optional<int> monthOf(std::string_view storedText);
// "2024-01", the month's key and the first text of its range.
QString monthKey(int month);
// The first text after every text of the month ("2024-02", "2024-0:" after September).
QString monthEnd(int month);
inline int yearOf(int month) { return month / 12; }
inline int monthOfYear(int month) { return month % 12 + 1; }
inline int monthIndex(int year, int monthOfYear) { return year * 12 + monthOfYear - 1; }
// The first month from `from` on (up to LastMonth + 1, past the last) whose key sorts
// after the text, as the data file compares texts (byte by byte).
int firstMonthAfter(std::string_view storedText, int from);
// The same rule in SQL, for a column or expression: its month key, or '' for no month.
QString monthKeySql(const QString &value);

} // namespace Dates
