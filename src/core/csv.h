// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QChar>
#include <QFileDevice>
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
// The encodings the ledger's export offers: UTF-8 behind a byte-order mark (what Excel and
// every Linux program read as UTF-8) and GB18030 (for older Chinese spreadsheet programs).
enum class Encoding { Utf8Bom, Gb18030 };
// Text in that encoding; the first piece of a file (`first`) gets the byte-order mark.
QByteArray encode(const QString &text, Encoding encoding, bool first);
// Text from a file's bytes: by its byte-order mark, else as UTF-8 when the bytes are
// valid UTF-8, else as GB18030.
QString decode(const QByteArray &bytes);
// The same; readable is set false when some bytes are not text in the encoding chosen
// (neither valid UTF-8 nor valid GB18030, or not what the byte-order mark says).
QString decode(const QByteArray &bytes, bool *readable);

// One record of a file: its values and the number of the line it starts on (from 1).
struct Record {
    int line = 0;
    QStringList values;
};
// Splits a file's text into records. Lines end in CR LF (in LF when the text holds no
// CR LF at all); empty lines are skipped. Double quotes around a value are honoured; a
// quote that does not open a properly closed value is an ordinary character. With
// `anyLineEnd` a bare LF ends a line too, in a text that has CR LF elsewhere (a statement
// partly rewritten by another program), outside quoted values.
std::vector<Record> records(const QString &text, QChar separator = u',', bool anyLineEnd = false);

// Writes the bytes to the file in one piece, replacing what was there only when all of
// them were written. Returns an empty text on success, else why it failed.
QString writeFile(const QString &path, const QByteArray &bytes);
// Files the program writes out for the user (exports) are their owner's alone, like the
// data file: a new one is made readable and writable by its owner only (0600); a file it
// replaces keeps the permissions it had. To be called on the open file being written.
void keepPrivate(QFileDevice &file, const QString &path);

} // namespace Csv
