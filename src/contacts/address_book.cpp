// SPDX-License-Identifier: GPL-3.0-or-later
#include "contacts/address_book.h"
#include "core/dates.h"

#include "store/data_file.h"
#include "ui/formats.h"
#include "core/time_keys.h"

#include <algorithm>
#include <string>

namespace {

constexpr char Separator = char(0x1F);
static_assert(RecordRow::Separator.unicode() == 0x1F);

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isStoredDate(std::string_view d)
{
    return d.size() == 10 && d[4] == '-' && d[7] == '-' && isDigit(d[0]) && isDigit(d[1]) && isDigit(d[2]) &&
           isDigit(d[3]) && isDigit(d[5]) && isDigit(d[6]) && isDigit(d[8]) && isDigit(d[9]);
}

void appendCell(std::string &row, std::string_view cell, bool first = false)
{
    if (!first)
        row += Separator;
    const size_t start = row.size();
    row += cell;
    if (cell.find(Separator) != std::string_view::npos)
        std::replace(row.begin() + qsizetype(start), row.end(), Separator, ' ');
}

QString allColumns()
{
    QString list = QStringLiteral("id");
    for (int i = 0; i < Contact::Columns; ++i)
        list += QStringLiteral(", t_%1").arg(i);
    return list;
}

Contact readContact(const Statement &st)
{
    Contact c;
    c.id = st.integer(0);
    for (int i = 0; i < Contact::Columns; ++i)
        c.t[size_t(i)] = st.isNull(i + 1) ? QString() : st.text(i + 1);
    return c;
}

QVariant valueOrNull(const QString &text) { return text.isNull() ? QVariant() : QVariant(text); }

} // namespace

QList<RecordColumn> AddressBook::columns()
{
    return {{QStringLiteral("姓  名"), 1300},  {QString(), 0},
            {QStringLiteral("性别"), 600},     {QStringLiteral("生日"), 1200},
            {QStringLiteral("手  机"), 1500},  {QStringLiteral("家庭电话"), 1500},
            {QStringLiteral("电子邮件"), 2500}, {QStringLiteral("MSN帐号"), 2000},
            {QStringLiteral("QQ 号"), 1500},   {QStringLiteral("单位名称"), 2000},
            {QStringLiteral("办公电话"), 1500}};
}

std::vector<RecordRow> AddressBook::LoadData(const QString &key)
{
    // The list's columns in its order: name, id, sex, birthday, mobile, home phone,
    // e-mail, MSN, QQ, employer, office phone.
    const QString columns = QStringLiteral("select t_0, id, t_17, t_19, t_1, t_4, t_10, t_11, t_12, t_6, t_8 from tongxilu ");
    Statement st = key == allKey() ? data_.query(columns + QStringLiteral("order by id desc"))
                                   : data_.query(columns + QStringLiteral("where t_20=? order by id desc"), {key});
    std::vector<RecordRow> rows;
    std::string row;
    row.reserve(256);
    while (st.step()) {
        row.clear();
        for (int c = 0; c < 11; ++c) {
            std::string_view cell = st.utf8(c);
            if (c == 3 && !cell.empty() && !isStoredDate(cell)) {
                const QString shown = birthdayText(QString::fromUtf8(cell.data(), qsizetype(cell.size())));
                appendCell(row, shown.toStdString());
                continue;
            }
            appendCell(row, cell, c == 0);
        }
        rows.push_back(RecordRow::fromPacked(QString::fromUtf8(row.data(), qsizetype(row.size())), ContactIcon));
    }
    return rows;
}

std::vector<Contact> AddressBook::contacts(const QString &key)
{
    const QString select = QStringLiteral("select ") + allColumns() + QStringLiteral(" from tongxilu ");
    Statement st = key == allKey() ? data_.query(select + QStringLiteral("order by id desc"))
                                   : data_.query(select + QStringLiteral("where t_20=? order by id desc"), {key});
    std::vector<Contact> result;
    while (st.step())
        result.push_back(readContact(st));
    return result;
}

std::optional<Contact> AddressBook::contact(qint64 id)
{
    Statement st = data_.query(QStringLiteral("select ") + allColumns() + QStringLiteral(" from tongxilu where id=?"),
                               {id});
    if (!st.step())
        return std::nullopt;
    return readContact(st);
}

namespace {

const QString InsertContact = QStringLiteral(
    "insert into tongxilu (t_0, t_1, t_2, t_3, t_4, t_5, t_6, t_7, t_8, t_9, t_10, t_11, t_12, t_13, t_14, "
    "t_15, t_16, t_17, t_18, t_19, t_20) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");

void bindContact(Statement &st, const Contact &contact)
{
    for (int i = 0; i < Contact::Columns; ++i)
        st.bind(i + 1, valueOrNull(contact.t[size_t(i)]));
}

} // namespace

qint64 AddressBook::addContact(const Contact &contact, const QString &groupKey)
{
    Contact filed = contact;
    filed.t[Contact::Group] = groupKey;
    Statement st = data_.query(InsertContact);
    bindContact(st, filed);
    st.run();
    return data_.database().lastInsertId();
}

void AddressBook::addContacts(const std::vector<Contact> &contacts)
{
    DataFile::Transaction transaction(data_);
    Statement st = data_.query(InsertContact);
    for (const Contact &contact : contacts) {
        st.reset();
        bindContact(st, contact);
        st.run();
    }
    transaction.commit();
}

bool AddressBook::modifyContact(qint64 id, const Contact &contact)
{
    // The columns in the order the editor has always written them; the group stays.
    QVariantList values;
    for (int i = 0; i < Contact::Group; ++i)
        values << QVariant(contact.t[size_t(i)].isNull() ? QStringLiteral("") : contact.t[size_t(i)]);
    values << id;
    return data_.exec(QStringLiteral("update tongxilu set t_0=?,t_1=?,t_2=?,t_3=?,t_4=?,t_5=?,t_6=?,t_7=?,t_8=?,"
                                     "t_9=?,t_10=?,t_11=?,t_12=?,t_13=?,t_14=?,t_15=?,t_16=?,t_17=?,t_18=?, "
                                     "t_19=? where id=?"),
                      values) > 0;
}

bool AddressBook::deleteContact(qint64 id)
{
    return data_.exec(QStringLiteral("delete from tongxilu where id=?"), {id}) > 0;
}

bool AddressBook::moveContact(qint64 id, const QString &groupKey)
{
    return data_.exec(QStringLiteral("update tongxilu set T_20=? where id=?"), {groupKey, id}) > 0;
}

std::vector<ContactGroup> AddressBook::groups()
{
    std::vector<ContactGroup> result;
    Statement st = data_.query(
        QStringLiteral("select id, key_1, parent, content, images from mulu where  class=? order by id asc"),
        {groupClass()});
    while (st.step()) {
        ContactGroup g;
        g.id = st.integer(0);
        g.key = st.text(1);
        g.parent = st.text(2);
        g.name = st.text(3);
        bool ok = false;
        const int image = st.text(4).trimmed().toInt(&ok);
        g.image = ok && image >= 1 && image <= IconCount ? image : 0;
        result.push_back(g);
    }
    return result;
}

QString AddressBook::addGroup(const QString &name, const QString &parentKey, const QDateTime &now)
{
    DataFile::Transaction transaction(data_);
    Statement taken = data_.query(QStringLiteral("select 1 from mulu where key_1=?"));
    const QString key = TimeKeys::make(QString(), now, [&](const QString &candidate) {
        taken.reset();
        taken.bind(1, candidate);
        return taken.step();
    });
    data_.exec(QStringLiteral("insert into mulu (key_1, class, parent, images, content) values (?, ?, ?, ?, ?)"),
               {key, groupClass(), parentKey, QString::number(NewGroupIcon), name});
    transaction.commit();
    return key;
}

bool AddressBook::renameGroup(const QString &key, const QString &name)
{
    return data_.exec(QStringLiteral("update mulu set content=? where key_1=? and class=?"), {name, key, groupClass()}) > 0;
}

bool AddressBook::deleteGroup(const QString &key)
{
    return data_.exec(QStringLiteral("delete from mulu where key_1=? and class=?"), {key, groupClass()}) > 0;
}

bool AddressBook::setGroupIcon(const QString &key, int image)
{
    return data_.exec(QStringLiteral("update mulu set images=? where key_1=? and class=?"),
                      {QString::number(image), key, groupClass()}) > 0;
}

QString AddressBook::birthdayText(QStringView stored)
{
    if (stored.isEmpty())
        return QString();
    if (auto date = Dates::readDate(stored))
        return Dates::storedDate(*date);
    return stored.toString();
}

std::optional<QString> AddressBook::storedBirthday(QStringView text)
{
    if (text.trimmed().isEmpty())
        return QStringLiteral("");
    if (auto date = Dates::readDate(text))
        return Dates::storedDate(*date);
    return std::nullopt;
}
