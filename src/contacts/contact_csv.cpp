#include "contacts/contact_csv.h"

#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace ContactCsv {

namespace {

// The field names as one text, split at the full-width comma.
const char16_t *const FieldText = u"姓名，性别，生日，手机，传真，家庭住址，家庭电话，住址邮编，单位名称，单位地址，"
                                  u"单位电话，单位邮编，电子邮件地址，MSN帐号，QQ号，备用QQ号，主页1，主页2";
// The tongxilu column of each field, in the same order.
constexpr int FieldColumns[18] = {0, 17, 19, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

const QByteArray Encoding = QByteArrayLiteral("GB18030");

} // namespace

QStringList fieldNames()
{
    static const QStringList names = QString::fromUtf16(FieldText).split(QChar(0xFF0C));
    return names;
}

int columnOf(QStringView name)
{
    const QStringList &names = fieldNames();
    for (int i = 0; i < names.size(); ++i)
        if (names[i] == name)
            return FieldColumns[i];
    return -1;
}

QString quoted(const QString &value)
{
    bool needsQuotes = false;
    for (QChar c : value) {
        if (c == u',' || c == u'"' || c == u'\r' || c == u'\n') {
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

QString text(const QStringList &names, const std::vector<Contact> &contacts)
{
    QList<int> columns;
    for (const QString &name : names)
        columns << columnOf(name);

    QString out = names.join(u',');
    out += QLatin1String("\r\n");
    if (contacts.empty())
        out += QLatin1String("\r\n");
    out.reserve(out.size() + qsizetype(contacts.size()) * 64);
    for (const Contact &contact : contacts) {
        for (int i = 0; i < columns.size(); ++i) {
            if (i > 0)
                out += u',';
            const int column = columns[i];
            if (column < 0)
                continue;
            const QString &value = contact.t[size_t(column)];
            out += quoted(column == Contact::Birthday ? AddressBook::birthdayText(value) : value);
        }
        out += QLatin1String("\r\n");
    }
    return out;
}

QByteArray encode(const QString &text)
{
    QStringEncoder encoder(Encoding.constData());
    return encoder.encode(text);
}

QString decode(const QByteArray &bytes)
{
    if (auto bom = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*bom);  // skips the byte-order mark
        return decoder.decode(bytes);
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder gb(Encoding.constData());
    return gb.decode(bytes);
}

std::vector<Record> records(const QString &text)
{
    std::vector<Record> result;
    const QChar *s = text.constData();
    const qsizetype n = text.size();
    // Lines end in CR LF; a file made with bare LF line ends (and no CR LF at all) is read
    // by its LF line ends.
    const bool crlf = text.contains(QLatin1String("\r\n"));
    const bool lf = !crlf && text.contains(u'\n');
    auto breakAt = [&](qsizetype i) -> int {
        if (crlf)
            return i + 1 < n && s[i] == u'\r' && s[i + 1] == u'\n' ? 2 : 0;
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
                // A quoted value ends at a lone quote followed by a comma, a line end or
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
                if (closed && (j + 1 == n || s[j + 1] == u',' || breakAt(j + 1))) {
                    value = std::move(inner);
                    pos = j + 1;
                    line += breaks;
                    done = true;
                }
            }
            if (!done) {
                const qsizetype start = pos;
                while (pos < n && s[pos] != u',' && !breakAt(pos))
                    ++pos;
                value = QString(s + start, pos - start);
            }
            record.values << value;
            if (pos < n && s[pos] == u',') {
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

Reading read(const std::vector<Record> &records, const QList<MappedColumn> &mapping, const QString &groupKey)
{
    struct Target {
        int column;
        int position;
    };
    QList<Target> targets;
    for (const MappedColumn &m : mapping) {
        const int column = columnOf(m.name);
        if (column >= 0 && m.position >= 0)
            targets << Target{column, m.position};
    }

    Reading reading;
    reading.contacts.reserve(records.empty() ? 0 : records.size() - 1);
    for (size_t r = 1; r < records.size(); ++r) {
        const Record &record = records[r];
        Contact contact;
        bool badBirthday = false;
        for (const Target &target : targets) {
            if (target.position >= record.values.size())
                continue;
            const QString &value = record.values[target.position];
            if (target.column == Contact::Birthday) {
                if (auto stored = AddressBook::storedBirthday(value)) {
                    contact.t[Contact::Birthday] = *stored;
                } else {
                    contact.t[Contact::Birthday] = QString();
                    badBirthday = true;
                }
            } else {
                contact.t[size_t(target.column)] = value;
            }
        }
        // A contact without a name is not stored.
        if (contact.t[Contact::Name].trimmed().isEmpty()) {
            reading.withoutName << record.line;
            continue;
        }
        if (badBirthday)
            reading.badBirthdays << record.line;
        contact.t[Contact::Group] = groupKey;
        reading.contacts.push_back(std::move(contact));
    }
    return reading;
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return why;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

} // namespace ContactCsv
