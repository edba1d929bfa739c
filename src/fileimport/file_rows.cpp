// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileimport/file_rows.h"

#include "core/dates.h"
#include "core/money.h"

namespace FileRows {

AmountCells AmountCells::fromSigned(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    AmountCells cells;
    if (trimmed.isEmpty()) {
        cells.text = true;
        return cells;
    }
    bool negative = false;
    QStringView magnitude = trimmed;
    if (magnitude.startsWith(u'(') && magnitude.endsWith(u')') && magnitude.size() > 2) {
        negative = true;
        magnitude = magnitude.mid(1, magnitude.size() - 2).trimmed();
    } else if (magnitude.startsWith(u'-') || magnitude.startsWith(u'+')) {
        negative = magnitude.startsWith(u'-');
        magnitude = magnitude.mid(1).trimmed();
    }
    // One sign only: "--5", "-(5)" and "(-5)" are not amounts.
    std::optional<QString> stored;
    if (!magnitude.isEmpty() && magnitude[0] != u'-' && magnitude[0] != u'+' && magnitude[0] != u'(')
        stored = Money::storedText(magnitude, true);
    if (stored) {
        (negative ? cells.expense : cells.income) = *stored;
    } else {
        cells.text = true;
        const bool looksNegative = trimmed.startsWith(u'-') || trimmed.startsWith(u'(');
        (looksNegative ? cells.expense : cells.income) = trimmed.toString();
    }
    return cells;
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
