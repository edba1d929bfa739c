// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "contacts/address_book.h"
#include "core/csv.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// The address book's CSV files: comma-separated lines ending in CR LF, a header line of
// field names, then one line per contact.
//
// Values are quoted, encoded and read back as core/csv.h says.
namespace ContactCsv {

// The eighteen fields a file may hold, in this order.
QStringList fieldNames();
// The tongxilu column (t_i) of a field name, -1 for a name that is not a field.
int columnOf(QStringView name);

// The text of a file: the header, CR LF, one line per contact, each ending in CR LF.
QString text(const QStringList &names, const std::vector<Contact> &contacts);
// The CSV plumbing every file of the program shares.
using Csv::decode;
using Csv::encode;
using Csv::quoted;
using Csv::Record;
using Csv::records;
using Csv::writeFile;

// Which column of the file feeds which field: (field name, position in the line).
struct MappedColumn {
    QString name;
    int position = 0;
};

// The contacts of the records after the header, filed in the group.
struct Reading {
    std::vector<Contact> contacts;
    QList<int> badBirthdays;  // lines whose birthday is not a date; stored without it
    QList<int> withoutName;   // lines that give no name (t_0 is required); not stored
};
Reading read(const std::vector<Record> &records, const QList<MappedColumn> &mapping, const QString &groupKey);

} // namespace ContactCsv
