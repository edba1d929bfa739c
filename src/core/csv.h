#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>

#include <vector>

// The program's CSV files: values separated by commas (or another separator), lines
// ending in CR LF.
//
// A value that holds the separator, a double quote or a line break is written between
// double quotes, its quotes doubled (RFC 4180); every other value is written as it stands.
// Files are written in GB18030 (the same bytes as GBK for every GBK character, and what
// Chinese spreadsheets read without a byte-order mark) and read from whatever encoding
// their bytes show.
namespace Csv {

// One value as it goes into a line, quoted where it must be.
QString quoted(const QString &value, QChar separator = u',');

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
std::vector<Record> records(const QString &text, QChar separator = u',');

// Writes the bytes to the file in one piece, replacing what was there only when all of
// them were written. Returns an empty text on success, else why it failed.
QString writeFile(const QString &path, const QByteArray &bytes);

} // namespace Csv
