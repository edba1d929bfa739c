#pragma once

#include "contacts/address_book.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// The address book's CSV files: comma-separated lines ending in CR LF, a header line of
// field names, then one line per contact.
//
// A value that holds a comma, a double quote or a line break is written between double
// quotes, its quotes doubled; every other value is written as it stands, so that a file
// without such values has exactly the old unquoted layout. Files are written in GB18030
// (the same bytes as GBK for every GBK character) and read from GB18030/GBK or UTF-8.
namespace ContactCsv {

// The eighteen fields a file may hold, in this order.
QStringList fieldNames();
// The tongxilu column (t_i) of a field name, -1 for a name that is not a field.
int columnOf(QStringView name);

// The text of a file: the header, CR LF, one line per contact, each ending in CR LF.
QString text(const QStringList &names, const std::vector<Contact> &contacts);
// One value as it goes into a line, quoted where it must be.
QString quoted(const QString &value);

QByteArray encode(const QString &text);
// Text from a file's bytes: by its byte-order mark, else as UTF-8 when the bytes are
// valid UTF-8, else as GB18030.
QString decode(const QByteArray &bytes);

// One record of a file: its values and the number of the line it starts on (from 1).
struct Record {
    int line = 0;
    QStringList values;
};
// Splits a file's text into records. Lines end in CR LF (in LF when the text holds no
// CR LF at all); empty lines are skipped. Double quotes around a value are honoured; a
// quote that does not open a properly closed value is an ordinary character.
std::vector<Record> records(const QString &text);

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

// Writes the bytes to the file in one piece, replacing what was there only when all of
// them were written. Returns an empty text on success, else why it failed.
QString writeFile(const QString &path, const QByteArray &bytes);

} // namespace ContactCsv
