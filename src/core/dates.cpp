// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/dates.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include <string>

namespace Dates {

QString storedDate(const QDate &date)
{
    // Written by hand: an import stores a hundred thousand dates, and the formatter of
    // QDate costs more than the insert of a row.
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    if (!date.isValid() || year < 1000 || year > 9999)
        return date.toString(QStringLiteral("yyyy-MM-dd"));
    const char16_t text[10] = {char16_t(u'0' + year / 1000),     char16_t(u'0' + year / 100 % 10),
                               char16_t(u'0' + year / 10 % 10), char16_t(u'0' + year % 10),
                               u'-',                            char16_t(u'0' + month / 10),
                               char16_t(u'0' + month % 10),     u'-',
                               char16_t(u'0' + day / 10),       char16_t(u'0' + day % 10)};
    return QString(reinterpret_cast<const QChar *>(text), 10);
}

QString listDate(QStringView stored)
{
    // Fast path for the stored form yyyy-mm-dd.
    if (stored.size() >= 10 && stored[4] == u'-' && stored[7] == u'-') {
        QString out;
        out.reserve(11);
        out.append(stored.mid(0, 4)).append(u'年').append(stored.mid(5, 2)).append(u'月')
            .append(stored.mid(8, 2)).append(u'日');
        return out;
    }
    if (auto date = readDate(stored))
        return date->toString(QStringLiteral("yyyy年MM月dd日"));
    return stored.toString();
}

QDate firstEntryDay() { return QDate(1900, 1, 1); }

QDate lastEntryDay() { return QDate(2099, 12, 31); }

bool isEntryDay(const QDate &date) { return date.isValid() && date >= firstEntryDay() && date <= lastEntryDay(); }

QString entryDaysText() { return storedDate(firstEntryDay()) + QStringLiteral("至") + storedDate(lastEntryDay()); }

std::optional<int> monthOf(std::string_view d)
{
    auto digit = [&](size_t i) { return d[i] >= '0' && d[i] <= '9'; };
    if (d.size() < 7 || d[4] != '-' || !digit(0) || !digit(1) || !digit(2) || !digit(3) || !digit(5) || !digit(6))
        return std::nullopt;
    const int year = (d[0] - '0') * 1000 + (d[1] - '0') * 100 + (d[2] - '0') * 10 + (d[3] - '0');
    const int month = (d[5] - '0') * 10 + (d[6] - '0');
    if (year < 1000 || month < 1 || month > 12)
        return std::nullopt;
    return monthIndex(year, month);
}

namespace {

// "yyyy-mm" as bytes; the last one raised by one for the end of the month's range.
std::string keyBytes(int month, bool end)
{
    // Months are kept within years 1000 to 9999, but the buffer takes any int.
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d", yearOf(month), monthOfYear(month));
    if (end)
        ++text[6];
    return std::string(text, 7);
}

} // namespace

QString monthKey(int month) { return QString::fromLatin1(keyBytes(month, false)); }

QString monthEnd(int month) { return QString::fromLatin1(keyBytes(month, true)); }

int firstMonthAfter(std::string_view text, int from)
{
    // Keys sort as their months do: the answer is found by halving.
    int low = std::max(from, FirstMonth), high = LastMonth + 1;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (std::string_view(keyBytes(middle, false)) > text)
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

QString monthKeySql(const QString &v)
{
    return QStringLiteral("(CASE WHEN typeof(%1) = 'text' AND (substr(%1, 1, 7) GLOB '[1-9][0-9][0-9][0-9]-0[1-9]' "
                          "OR substr(%1, 1, 7) GLOB '[1-9][0-9][0-9][0-9]-1[0-2]') THEN substr(%1, 1, 7) ELSE '' END)")
        .arg(v);
}

std::optional<QDate> readDate(QStringView text)
{
    // The stored form needs no pattern; imports read it a hundred thousand times.
    if (text.size() == 10 && text[4] == u'-' && text[7] == u'-') {
        int parts[3] = {0, 0, 0};
        const int starts[3] = {0, 5, 8}, lengths[3] = {4, 2, 2};
        bool digits = true;
        for (int p = 0; p < 3 && digits; ++p) {
            for (int i = starts[p]; i < starts[p] + lengths[p] && digits; ++i) {
                const char16_t c = text[i].unicode();
                digits = c >= u'0' && c <= u'9';
                parts[p] = parts[p] * 10 + (c - u'0');
            }
        }
        if (digits) {
            const QDate date(parts[0], parts[1], parts[2]);
            return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
        }
    }
    static const QRegularExpression separated(QStringLiteral(
        R"(^\s*(\d{4})\s*[-/.年]\s*(\d{1,2})\s*[-/.月]\s*(\d{1,2})\s*日?(?:[\sT]+\d{1,2}:\d{1,2}(?::\d{1,2})?)?\s*$)"));
    static const QRegularExpression compact(QStringLiteral(R"(^\s*(\d{4})(\d{2})(\d{2})\s*$)"));
    QRegularExpressionMatch match = separated.match(text.toString());
    if (!match.hasMatch())
        match = compact.match(text.toString());
    if (!match.hasMatch())
        return std::nullopt;
    QDate date(match.capturedView(1).toInt(), match.capturedView(2).toInt(), match.capturedView(3).toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace Dates
