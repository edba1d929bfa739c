// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileimport/file_rows.h"

#include "core/dates.h"
#include "core/money.h"

#include <QRegularExpression>

namespace FileRows {

namespace {

bool isBlank(QChar c) { return c.isSpace() || c == QChar(0x3000) || c == QChar(0xA0); }

QStringView trimmedAll(QStringView text)
{
    qsizetype from = 0, to = text.size();
    while (from < to && isBlank(text[from]))
        ++from;
    while (to > from && isBlank(text[to - 1]))
        --to;
    return text.mid(from, to - from);
}

// The text without the currency's signs and names around it.
QStringView withoutCurrency(QStringView text)
{
    static const QString signs[] = {QStringLiteral("¥"), QStringLiteral("￥"), QStringLiteral("元"),
                                    QStringLiteral("RMB"), QStringLiteral("CNY")};
    bool changed = true;
    while (changed) {
        changed = false;
        text = trimmedAll(text);
        for (const QString &sign : signs) {
            if (text.startsWith(sign, Qt::CaseInsensitive)) {
                text = text.mid(sign.size());
                changed = true;
            } else if (text.endsWith(sign, Qt::CaseInsensitive)) {
                text.chop(sign.size());
                changed = true;
            }
        }
    }
    return text;
}

} // namespace

std::optional<SignedAmount> readAmount(QStringView text, bool decimalComma)
{
    QStringView rest = trimmedAll(text);
    SignedAmount amount;
    int signs = 0;
    if (rest.size() > 2 && rest.startsWith(u'(') && rest.endsWith(u')')) {
        amount.negative = true;
        rest = rest.mid(1, rest.size() - 2);
        ++signs;
    }
    rest = withoutCurrency(rest);
    if (rest.startsWith(u'-') || rest.startsWith(u'+')) {
        amount.negative = amount.negative || rest.startsWith(u'-');
        rest = withoutCurrency(rest.mid(1));
        ++signs;
    } else if (rest.size() > 1 && rest.endsWith(u'-')) {
        amount.negative = true;
        rest = trimmedAll(rest.first(rest.size() - 1));
        ++signs;
    }
    if (signs > 1 || rest.isEmpty() || (!rest[0].isDigit() && rest[0] != u'.' && rest[0] != u','))
        return std::nullopt;
    std::optional<QString> stored;
    if (decimalComma) {
        // "1.234,56" and "1 234,56": points and blanks group, the comma is the decimal mark.
        QString plain;
        plain.reserve(rest.size());
        for (QChar c : rest) {
            if (c == u'.' || isBlank(c))
                continue;
            plain += c == u',' ? QChar(u'.') : c;
        }
        stored = Money::storedText(plain);
    } else {
        stored = Money::storedText(rest, true);
    }
    if (!stored)
        return std::nullopt;
    amount.magnitude = *stored;
    return amount;
}

bool usesDecimalComma(const QStringList &cells)
{
    static const QRegularExpression comma(QStringLiteral(R"(^[^.,]*(?:[.\s]\d{3})*,\d{1,2}\D*$)"));
    static const QRegularExpression point(QStringLiteral(R"(\.\d{1,2}\D*$)"));
    bool some = false;
    for (const QString &cell : cells) {
        const QString text = cell.trimmed();
        if (point.match(text).hasMatch() && !comma.match(text).hasMatch())
            return false;
        some = some || comma.match(text).hasMatch();
    }
    return some;
}

AmountCells AmountCells::fromSigned(QStringView text, bool decimalComma)
{
    const QStringView trimmed = trimmedAll(text);
    AmountCells cells;
    if (trimmed.isEmpty()) {
        cells.text = true;
        return cells;
    }
    if (const std::optional<SignedAmount> amount = readAmount(trimmed, decimalComma)) {
        (amount->negative ? cells.expense : cells.income) = amount->magnitude;
    } else {
        cells.text = true;
        const bool looksNegative = trimmed.startsWith(u'-') || trimmed.startsWith(u'(');
        (looksNegative ? cells.expense : cells.income) = trimmed.toString();
    }
    return cells;
}

namespace {

// Day and month (in either order), an optional year, an optional time.
const QRegularExpression &shortDate()
{
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*(\d{1,2})\s*[/.\-]\s*(\d{1,2})(?:\s*[/.'\-]\s*(\d{4}|\d{2}))?\.?(?:[\sT]+\d{1,2}:\d{2}(?::\d{2}(?:\.\d+)?)?)?\s*$)"));
    return re;
}

const QRegularExpression &otherForms()
{
    // "12月29日" without a year; "20240105 12:00:00" and "2024-01-05 12:00:00.000".
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*(?:(\d{1,2})\s*月\s*(\d{1,2})\s*日|(\d{4})[-/.]?(\d{2})[-/.]?(\d{2}))(?:[\sT]+\d{1,2}:\d{2}(?::\d{2}(?:\.\d+)?)?)?\s*$)"));
    return re;
}

} // namespace

std::optional<QDate> readDate(QStringView text, DateOrder order, int year)
{
    if (std::optional<QDate> date = Dates::readDate(text))
        return date;
    QRegularExpressionMatch m = shortDate().match(text);
    int first = 0, second = 0, y = 0;
    bool dayMonth = false;
    if (m.hasMatch()) {
        first = m.capturedView(1).toInt();
        second = m.capturedView(2).toInt();
        const QStringView yearText = m.capturedView(3);
        y = yearText.isEmpty() ? year : yearText.toInt() + (yearText.size() == 2 ? (yearText.toInt() < 50 ? 2000 : 1900) : 0);
        dayMonth = first > 12 || (order == DateOrder::DayFirst && second <= 12);
    } else {
        m = otherForms().match(text);
        if (!m.hasMatch())
            return std::nullopt;
        if (m.capturedLength(1)) {
            first = m.capturedView(1).toInt();
            second = m.capturedView(2).toInt();
            y = year;
        } else {
            y = m.capturedView(3).toInt();
            first = m.capturedView(4).toInt();
            second = m.capturedView(5).toInt();
        }
    }
    if (y <= 0)
        return std::nullopt;
    const QDate date = dayMonth ? QDate(y, second, first) : QDate(y, first, second);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

DateOrder dateOrderOf(const QStringList &dates)
{
    bool dayFirst = false, monthFirst = false;
    for (const QString &d : dates) {
        const QRegularExpressionMatch m = shortDate().match(d);
        if (!m.hasMatch())
            continue;
        const int a = m.capturedView(1).toInt(), b = m.capturedView(2).toInt();
        dayFirst = dayFirst || (a > 12 && b <= 12);
        monthFirst = monthFirst || (b > 12 && a <= 12);
    }
    if (dayFirst == monthFirst)
        return DateOrder::Auto;
    return dayFirst ? DateOrder::DayFirst : DateOrder::MonthFirst;
}

std::optional<QString> storedDate(QStringView text)
{
    const std::optional<QDate> date = Dates::readDate(text);
    if (!date)
        return std::nullopt;
    // The stored form stays as it is, without a new string.
    if (text.size() == 10 && text[4] == u'-' && text[7] == u'-')
        return text.toString();
    return Dates::storedDate(*date);
}

QString dateCell(QStringView text) { return storedDate(text).value_or(text.toString()); }

QString summaryOf(const QString &name, const QString &memo)
{
    const QString n = name.trimmed();
    const QString m = memo.trimmed();
    if (m.isEmpty() || n.contains(m))
        return n;
    if (n.isEmpty() || m.contains(n))
        return m;
    return n + QStringLiteral(" - ") + m;
}

void number(std::vector<FileRow> &rows)
{
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i].number = int(i) + 1;
}

} // namespace FileRows
