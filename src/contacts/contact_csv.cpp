// SPDX-License-Identifier: GPL-3.0-or-later
#include "contacts/contact_csv.h"


namespace ContactCsv {

namespace {

// The field names as one text, split at the full-width comma.
const char16_t *const FieldText = u"姓名，性别，生日，手机，传真，家庭住址，家庭电话，住址邮编，单位名称，单位地址，"
                                  u"单位电话，单位邮编，电子邮件地址，MSN帐号，QQ号，备用QQ号，主页1，主页2";
// The tongxilu column of each field, in the same order.
constexpr int FieldColumns[18] = {0, 17, 19, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

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

} // namespace ContactCsv
