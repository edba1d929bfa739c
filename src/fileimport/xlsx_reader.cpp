// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileimport/xlsx_reader.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QXmlStreamReader>

#include <zip.h>

#include <memory>

namespace XlsxReader {

namespace {

// A part larger than this when unpacked is refused: no statement is near it.
constexpr zip_uint64_t MaxPart = 512ULL * 1024 * 1024;

struct ZipCloser {
    void operator()(zip_t *z) const { zip_discard(z); }
};

// A part of the archive; nothing when it is not there or cannot be read.
std::optional<QByteArray> part(zip_t *zip, const char *name, QString *error)
{
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(zip, name, 0, &st) != 0)
        return std::nullopt;
    if (!(st.valid & ZIP_STAT_SIZE) || st.size > MaxPart) {
        *error = QStringLiteral("工作簿中的“%1”太大，无法读取。").arg(QString::fromUtf8(name));
        return std::nullopt;
    }
    zip_file_t *file = zip_fopen(zip, name, 0);
    if (!file) {
        *error = QStringLiteral("工作簿已损坏（“%1”无法解压）。").arg(QString::fromUtf8(name));
        return std::nullopt;
    }
    QByteArray bytes(qsizetype(st.size), Qt::Uninitialized);
    const zip_int64_t read = zip_fread(file, bytes.data(), st.size);
    zip_fclose(file);
    if (read < 0 || zip_uint64_t(read) != st.size) {
        *error = QStringLiteral("工作簿已损坏（“%1”无法解压）。").arg(QString::fromUtf8(name));
        return std::nullopt;
    }
    return bytes;
}

// The text of an element and its descendants' <t> elements (rich text runs), without
// the phonetic runs (<rPh>).
QString textOf(QXmlStreamReader &xml)
{
    QString text;
    const QStringView end = xml.name();
    const QString endName = end.toString();
    int phonetic = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("rPh"))
                ++phonetic;
            else if (xml.name() == QLatin1String("t") && phonetic == 0)
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (xml.isEndElement()) {
            if (xml.name() == QLatin1String("rPh"))
                --phonetic;
            else if (xml.name() == endName)
                break;
        }
    }
    return text;
}

QStringList sharedStrings(const QByteArray &bytes)
{
    QStringList strings;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("si"))
            strings << textOf(xml);
    }
    return strings;
}

// Whether a number format shows a date: the built-in date formats, or a format code with
// day, month or year letters outside quotes and brackets.
bool isDateFormat(int id, const QString &code)
{
    if ((id >= 14 && id <= 22) || (id >= 45 && id <= 47) || (id >= 27 && id <= 36) || (id >= 50 && id <= 58))
        return true;
    bool quoted = false, bracket = false;
    for (QChar c : code) {
        if (c == u'"')
            quoted = !quoted;
        else if (c == u'[')
            bracket = true;
        else if (c == u']')
            bracket = false;
        else if (!quoted && !bracket && QStringLiteral("ymdhYMDH").contains(c))
            return true;
    }
    return false;
}

// The cell styles (by index) whose number format is a date.
QSet<int> dateStyles(const QByteArray &bytes)
{
    QHash<int, QString> codes;
    QSet<int> dates;
    QXmlStreamReader xml(bytes);
    bool inXfs = false;
    int index = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("numFmt")) {
                codes.insert(xml.attributes().value(QLatin1String("numFmtId")).toInt(),
                             xml.attributes().value(QLatin1String("formatCode")).toString());
            } else if (xml.name() == QLatin1String("cellXfs")) {
                inXfs = true;
            } else if (inXfs && xml.name() == QLatin1String("xf")) {
                const int id = xml.attributes().value(QLatin1String("numFmtId")).toInt();
                if (isDateFormat(id, codes.value(id)))
                    dates.insert(index);
                ++index;
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("cellXfs")) {
            inXfs = false;
        }
    }
    return dates;
}

// "C12" is column 2 (from 0); -1 when the reference has no letters.
int columnOf(QStringView reference)
{
    int column = 0, letters = 0;
    for (QChar c : reference) {
        if (c >= u'A' && c <= u'Z') {
            column = column * 26 + (c.unicode() - u'A' + 1);
            ++letters;
        } else {
            break;
        }
    }
    return letters == 0 || letters > 3 ? -1 : column - 1;
}

QString serialDate(const QString &value)
{
    bool ok = false;
    const double serial = value.toDouble(&ok);
    if (!ok || serial < 1 || serial > 2958465)
        return value;
    const qint64 seconds = qRound64(serial * 86400.0);
    const QDateTime at = QDateTime(QDate(1899, 12, 30), QTime(0, 0)).addSecs(seconds);
    return seconds % 86400 == 0 ? at.date().toString(QStringLiteral("yyyy-MM-dd"))
                                : at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// A number as people write it: "28.16" rather than "28.160000000000000142".
QString numberText(const QString &value)
{
    if (value.size() <= 15)
        return value;
    bool ok = false;
    const double d = value.toDouble(&ok);
    return ok ? QString::number(d, 'g', 15) : value;
}

// The target of the first sheet of the workbook ("xl/worksheets/sheet1.xml").
QString firstSheet(zip_t *zip, QString *error)
{
    const std::optional<QByteArray> workbook = part(zip, "xl/workbook.xml", error);
    const std::optional<QByteArray> relations = part(zip, "xl/_rels/workbook.xml.rels", error);
    if (!workbook || !relations)
        return QStringLiteral("xl/worksheets/sheet1.xml");
    QString id;
    QXmlStreamReader xml(*workbook);
    while (!xml.atEnd() && id.isEmpty())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("sheet"))
            for (const QXmlStreamAttribute &a : xml.attributes())
                if (a.name() == QLatin1String("id"))
                    id = a.value().toString();
    QXmlStreamReader rels(*relations);
    while (!rels.atEnd()) {
        if (rels.readNext() == QXmlStreamReader::StartElement && rels.name() == QLatin1String("Relationship") &&
            rels.attributes().value(QLatin1String("Id")) == id) {
            QString target = rels.attributes().value(QLatin1String("Target")).toString();
            if (target.startsWith(u'/'))
                return target.mid(1);
            return QStringLiteral("xl/") + target;
        }
    }
    return QStringLiteral("xl/worksheets/sheet1.xml");
}

} // namespace

bool looksLikeXlsx(const QByteArray &bytes) { return bytes.startsWith("PK\x03\x04"); }

Reading read(const QByteArray &bytes)
{
    Reading reading;
    const QString broken = QStringLiteral("文件不是有效的 Excel 工作簿（.xlsx），或已损坏。");
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_source_t *source = zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &zipError);
    if (!source) {
        reading.error = broken;
        return reading;
    }
    std::unique_ptr<zip_t, ZipCloser> zip(zip_open_from_source(source, ZIP_RDONLY, &zipError));
    zip_error_fini(&zipError);
    if (!zip) {
        zip_source_free(source);
        reading.error = broken;
        return reading;
    }
    QString error;
    const QString sheetName = firstSheet(zip.get(), &error);
    const std::optional<QByteArray> sheet = part(zip.get(), sheetName.toUtf8().constData(), &error);
    if (!sheet) {
        reading.error = error.isEmpty() ? broken : error;
        return reading;
    }
    const QStringList strings = sharedStrings(part(zip.get(), "xl/sharedStrings.xml", &error).value_or(QByteArray()));
    const QSet<int> dates = dateStyles(part(zip.get(), "xl/styles.xml", &error).value_or(QByteArray()));
    if (!error.isEmpty()) {
        reading.error = error;
        return reading;
    }

    QXmlStreamReader xml(*sheet);
    Csv::Record record;
    int rowNumber = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("row")) {
            record = {};
            const int r = xml.attributes().value(QLatin1String("r")).toInt();
            rowNumber = r > 0 ? r : rowNumber + 1;
            record.line = rowNumber;
        } else if (xml.isEndElement() && xml.name() == QLatin1String("row")) {
            bool any = false;
            for (const QString &v : record.values)
                any = any || !v.trimmed().isEmpty();
            if (any)
                reading.records.push_back(std::move(record));
            record = {};
        } else if (xml.isStartElement() && xml.name() == QLatin1String("c")) {
            const QXmlStreamAttributes a = xml.attributes();
            const QString type = a.value(QLatin1String("t")).toString();
            const int style = a.value(QLatin1String("s")).toInt();
            int column = columnOf(a.value(QLatin1String("r")));
            if (column < 0)
                column = int(record.values.size());
            QString value;
            while (!xml.atEnd()) {
                xml.readNext();
                if (xml.isEndElement() && xml.name() == QLatin1String("c"))
                    break;
                if (!xml.isStartElement())
                    continue;
                if (xml.name() == QLatin1String("v")) {
                    value = xml.readElementText();
                } else if (xml.name() == QLatin1String("is")) {
                    value = textOf(xml);
                }
            }
            if (type == QLatin1String("s")) {
                bool ok = false;
                const int index = value.toInt(&ok);
                value = ok && index >= 0 && index < strings.size() ? strings[index] : QString();
            } else if (type.isEmpty() || type == QLatin1String("n")) {
                value = dates.contains(style) ? serialDate(value) : numberText(value);
            }
            if (column > 16383)
                continue;
            while (record.values.size() < column)
                record.values << QString();
            if (record.values.size() == column)
                record.values << value;
            else
                record.values[column] = value;
        }
    }
    if (xml.hasError()) {
        reading.records.clear();
        reading.error = broken;
        return reading;
    }
    if (reading.records.empty())
        reading.error = QStringLiteral("文件中没有数据。");
    return reading;
}

} // namespace XlsxReader
