#include "core/dates.h"

#include <QRegularExpression>

namespace Dates {

QString storedDate(const QDate &date) { return date.toString(QStringLiteral("yyyy-MM-dd")); }

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

std::optional<QDate> readDate(QStringView text)
{
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
