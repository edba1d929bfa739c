// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/formats.h"

namespace Formats {

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

QColor warningColour(const QPalette &palette)
{
    return palette.color(QPalette::Base).lightness() < 128 ? QColor(0xff, 0x7b, 0x72) : QColor(0xb3, 0x1d, 0x1d);
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

QString withoutNul(const QString &text)
{
    if (!text.contains(QChar(0)))
        return text;
    QString clean = text;
    clean.remove(QChar(0));
    return clean;
}

QString toStoredText(const QString &edited)
{
    QString text = withoutNul(edited);
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
