// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/record_row.h"

#include <QDateTime>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <vector>

class DataFile;

// One contact: the values of t_0 .. t_20 of table tongxilu. t_16 is the remark, t_17 the
// sex, t_18 the birthday's calendar, t_19 the birthday ("yyyy-MM-dd"), t_20 the group key.
// A null text stands for a column without a value.
struct Contact {
    static constexpr int Columns = 21;
    static constexpr int Name = 0;  // which every contact must have
    static constexpr int Remark = 16;
    static constexpr int Sex = 17;
    static constexpr int Calendar = 18;
    static constexpr int Birthday = 19;
    static constexpr int Group = 20;

    qint64 id = 0;
    std::array<QString, Columns> t;
};

// A contact group: a mulu row of class "同学录".
struct ContactGroup {
    qint64 id = 0;
    QString key;
    QString parent;  // as stored; "0" at the top level
    QString name;
    int image = 0;   // 1..26, 0 when the stored value is not an icon number
};

// The address book in the data file: groups (mulu, class "同学录") and contacts
// (tongxilu). It belongs to no account set: every user sees all of it.
class AddressBook {
public:
    explicit AddressBook(DataFile &data) : data_(data) {}

    static QString allKey() { return QStringLiteral("0_"); }
    static QString allCaption() { return QStringLiteral("全部记录"); }
    static QString groupClass() { return QStringLiteral("同学录"); }
    // Icons of the address book's image list.
    static constexpr int IconCount = 26;
    static constexpr int ContactIcon = 22;
    static constexpr int AllIcon = 26;
    static constexpr int NewGroupIcon = 2;

    // The eleven columns of the contact list; column 2 holds the hidden id.
    static QList<RecordColumn> columns();
    // The contacts filed directly in a group ("0_": every contact), newest first, as rows
    // of the contact list.
    std::vector<RecordRow> LoadData(const QString &key);
    // The same contacts with all their values, newest first.
    std::vector<Contact> contacts(const QString &key);
    std::optional<Contact> contact(qint64 id);

    // Stores a new contact filed in the group; returns its id.
    qint64 addContact(const Contact &contact, const QString &groupKey);
    // Stores many contacts in one transaction, each filed in its own t[Group].
    void addContacts(const std::vector<Contact> &contacts);
    // Writes t_0 .. t_19 of a contact; its group stays. False when no such contact exists.
    bool modifyContact(qint64 id, const Contact &contact);
    bool deleteContact(qint64 id);
    bool moveContact(qint64 id, const QString &groupKey);

    // Every group, in the order of their ids (a parent before its children).
    std::vector<ContactGroup> groups();
    // Adds a group ("0" as parent for a top level group) with icon 2; returns its key,
    // the creation time "yyyyMMddhhmmss_", moved on while a catalogue row has that key.
    QString addGroup(const QString &name, const QString &parentKey,
                     const QDateTime &now = QDateTime::currentDateTime());
    bool renameGroup(const QString &key, const QString &name);
    // Deletes the group's own row: its contacts and sub-groups keep theirs.
    bool deleteGroup(const QString &key);
    bool setGroupIcon(const QString &key, int image);

    // A birthday as the list and the CSV files show it: "yyyy-MM-dd"; a text that is not
    // a date is shown as it stands.
    static QString birthdayText(QStringView stored);
    // A birthday as typed or read from a file, in its stored form; nullopt when the text
    // is not empty and not a date. An empty text gives an empty text.
    static std::optional<QString> storedBirthday(QStringView text);

private:
    DataFile &data_;
};
