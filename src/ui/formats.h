#pragma once

#include <QColor>
#include <QDate>
#include <QString>
#include <QStringView>

#include <optional>
#include <string_view>

// How the program writes and reads numbers, dates, colours and multi-line texts.
namespace Formats {

// An amount text read as a number: blanks around it are ignored; anything that is
// not a plain decimal number (with optional sign, point and exponent) is not a number.
std::optional<double> readAmount(QStringView text);
std::optional<double> readAmountUtf8(std::string_view text);

// At most 15 significant digits, no trailing zeros: 12.5, 0.3 (for 0.1 + 0.2), -4, 0.
QString plainNumber(double value);
// Three decimals: 8.500, -20.500, 0.000 (never "-0.000").
QString fixed3(double value);

// "yyyy-mm-dd" as stored, and the list form "YYYY年MM月DD日". A stored text that is not
// a date of that form is shown as it stands.
QString storedDate(const QDate &date);
QString listDate(QStringView stored);
// Reads a date as people type it or spreadsheets copy it: 2008-3-5, 2008/03/05,
// 2008.3.5, 2008年3月5日, 20080305, optionally followed by a time.
std::optional<QDate> readDate(QStringView text);

// Colour numbers: red + 256 * green + 65536 * blue, in decimal.
int colourNumber(const QColor &colour);
std::optional<QColor> colourFromNumber(QStringView text);

// "True"/"1" and "False"/"0" as stored in the settings row.
std::optional<bool> readFlag(QStringView text);
QString flagText(bool value);

// Multi-line texts are stored with CR LF between lines and edited with LF.
QString toStoredText(const QString &edited);
QString fromStoredText(const QString &stored);
// The text before the first line break.
QString firstLine(const QString &text);

} // namespace Formats
