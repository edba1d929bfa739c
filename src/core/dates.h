#pragma once

#include <QDate>
#include <QString>
#include <QStringView>

#include <optional>

// How the program stores, shows and reads dates.
namespace Dates {

// "yyyy-mm-dd" as stored, and the list form "YYYY年MM月DD日". A stored text that is not
// a date of that form is shown as it stands.
QString storedDate(const QDate &date);
QString listDate(QStringView stored);
// Reads a date as people type it or spreadsheets copy it: 2008-3-5, 2008/03/05,
// 2008.3.5, 2008年3月5日, 20080305, optionally followed by a time.
std::optional<QDate> readDate(QStringView text);

} // namespace Dates
