// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/csv.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace Csv {

namespace {

const QByteArray Gb18030Name = QByteArrayLiteral("GB18030");

} // namespace

QString quoted(const QString &value, QChar separator)
{
    bool needsQuotes = false;
    for (QChar c : value) {
        if (c == separator || c == u'"' || c == u'\r' || c == u'\n') {
            needsQuotes = true;
            break;
        }
    }
    if (!needsQuotes)
        return value;
    QString out;
    out.reserve(value.size() + 4);
    out += u'"';
    for (QChar c : value) {
        if (c == u'"')
            out += u'"';
        out += c;
    }
    out += u'"';
    return out;
}

QByteArray encode(const QString &text)
{
    QStringEncoder encoder(Gb18030Name.constData());
    return encoder.encode(text);
}

QByteArray encode(const QString &text, Encoding encoding, bool first)
{
    if (encoding == Encoding::Gb18030)
        return encode(text);
    QByteArray bytes = first ? QByteArrayLiteral("\xEF\xBB\xBF") : QByteArray();
    return bytes + text.toUtf8();
}

QString decode(const QByteArray &bytes) { return decode(bytes, nullptr); }

QString decode(const QByteArray &bytes, bool *readable)
{
    if (auto bom = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*bom);  // skips the byte-order mark
        QString text = decoder.decode(bytes);
        if (readable)
            *readable = !decoder.hasError();
        return text;
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (readable)
            *readable = true;
        return text;
    }
    QStringDecoder gb(Gb18030Name.constData());
    text = gb.decode(bytes);
    if (readable)
        *readable = !gb.hasError();
    return text;
}

std::vector<Record> records(const QString &text, QChar separator, bool anyLineEnd)
{
    std::vector<Record> result;
    const QChar *s = text.constData();
    const qsizetype n = text.size();
    // Lines end in CR LF; a file made with bare LF line ends (and no CR LF at all) is read
    // by its LF line ends.
    const bool crlf = text.contains(QLatin1String("\r\n"));
    const bool lf = (anyLineEnd || !crlf) && text.contains(u'\n');
    auto breakAt = [&](qsizetype i) -> int {
        if (crlf && i + 1 < n && s[i] == u'\r' && s[i + 1] == u'\n')
            return 2;
        if (crlf && !anyLineEnd)
            return 0;
        return lf && s[i] == u'\n' ? 1 : 0;
    };

    qsizetype pos = 0;
    int line = 1;
    while (pos < n) {
        if (int br = breakAt(pos)) {  // an empty line
            pos += br;
            ++line;
            continue;
        }
        Record record;
        record.line = line;
        for (;;) {
            QString value;
            bool done = false;
            if (pos < n && s[pos] == u'"') {
                // A quoted value ends at a lone quote followed by the separator, a line end or
                // the end of the text; otherwise the quote is an ordinary character.
                qsizetype j = pos + 1;
                int breaks = 0;
                QString inner;
                bool closed = false;
                while (j < n) {
                    if (s[j] == u'"') {
                        if (j + 1 < n && s[j + 1] == u'"') {
                            inner += u'"';
                            j += 2;
                            continue;
                        }
                        closed = true;
                        break;
                    }
                    if (s[j] == u'\n')
                        ++breaks;
                    inner += s[j];
                    ++j;
                }
                if (closed && (j + 1 == n || s[j + 1] == separator || breakAt(j + 1))) {
                    value = std::move(inner);
                    pos = j + 1;
                    line += breaks;
                    done = true;
                }
            }
            if (!done) {
                const qsizetype start = pos;
                while (pos < n && s[pos] != separator && !breakAt(pos))
                    ++pos;
                value = QString(s + start, pos - start);
            }
            record.values << value;
            if (pos < n && s[pos] == separator) {
                ++pos;
                continue;
            }
            if (pos < n) {
                pos += breakAt(pos);
                ++line;
            }
            break;
        }
        result.push_back(std::move(record));
    }
    return result;
}

void keepPrivate(QFileDevice &file, const QString &path)
{
    if (!QFileInfo::exists(path))
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    keepPrivate(file, path);
    if (file.write(bytes) != bytes.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return why;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

} // namespace Csv
