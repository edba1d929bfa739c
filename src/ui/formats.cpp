#include "ui/formats.h"

#include <QRegularExpression>

#include <charconv>
#include <cmath>
#include <cstring>

namespace Formats {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

} // namespace

std::optional<double> readAmountUtf8(std::string_view text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    if (begin == end)
        return std::nullopt;
    bool negative = false;
    if (text[begin] == '+' || text[begin] == '-') {
        negative = text[begin] == '-';
        ++begin;
    }
    // from_chars would also take "inf" and "nan"; an amount starts with a digit or a point.
    if (begin == end || !(std::isdigit(static_cast<unsigned char>(text[begin])) || text[begin] == '.'))
        return std::nullopt;
    double value = 0;
    auto [ptr, ec] = std::from_chars(text.data() + begin, text.data() + end, value, std::chars_format::general);
    if (ec != std::errc() || ptr != text.data() + end || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

std::optional<double> readAmount(QStringView text)
{
    return readAmountUtf8(text.toUtf8().toStdString());
}

QString plainNumber(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    QString text = QString::number(value, 'g', 15);
    if (text.contains(u'e')) {
        // Keep ordinary amounts plain; only very large or tiny values use an exponent.
        double magnitude = std::fabs(value);
        if (magnitude >= 1e-4 && magnitude < 1e15) {
            text = QString::number(value, 'f', 15 - 1 - int(std::floor(std::log10(magnitude))));
            if (text.contains(u'.')) {
                while (text.endsWith(u'0'))
                    text.chop(1);
                if (text.endsWith(u'.'))
                    text.chop(1);
            }
        }
    }
    return text;
}

QString fixed3(double value)
{
    QString text = QString::number(value, 'f', 3);
    if (text == QLatin1String("-0.000"))
        text = QStringLiteral("0.000");
    return text;
}

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

int colourNumber(const QColor &colour)
{
    return colour.red() + 256 * colour.green() + 65536 * colour.blue();
}

std::optional<QColor> colourFromNumber(QStringView text)
{
    bool ok = false;
    qlonglong number = text.trimmed().toLongLong(&ok);
    if (!ok || number < 0 || number > 0xFFFFFF)
        return std::nullopt;
    return QColor(int(number & 0xFF), int((number >> 8) & 0xFF), int((number >> 16) & 0xFF));
}

std::optional<bool> readFlag(QStringView text)
{
    QStringView t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 || t == QLatin1String("1"))
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0 || t == QLatin1String("0"))
        return false;
    return std::nullopt;
}

QString flagText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

QString toStoredText(const QString &edited)
{
    QString text = edited;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\n', QLatin1String("\r\n"));
    return text;
}

QString fromStoredText(const QString &stored)
{
    QString text = stored;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

QString firstLine(const QString &text)
{
    qsizetype end = text.indexOf(u'\n');
    if (end < 0)
        return text;
    if (end > 0 && text[end - 1] == u'\r')
        --end;
    return text.left(end);
}

} // namespace Formats
