// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

class DataFile;

// What the windows remember from one run to the next, kept in the data file beside the
// books (table 界面状态, made when first needed) rather than in a configuration file: the
// main window's size, place and splitter, the folder each kind of file dialog was last
// used in, the last choices of the CSV export. The values travel with the books and are
// under their passphrase.
//
// Remembering is a help, not a condition: a value that cannot be read is empty, and one
// that cannot be stored (a read-only data file, say) is simply not remembered.
class UiState {
public:
    explicit UiState(DataFile &data) : data_(data) {}

    // The value stored under a name; empty when there is none or it cannot be read.
    QString value(const QString &name) const;
    // Stores a value under a name; false when it could not be stored.
    bool setValue(const QString &name, const QString &value);
    // Bytes (a window's saved geometry), stored as Base64.
    QByteArray bytes(const QString &name) const;
    bool setBytes(const QString &name, const QByteArray &bytes);

private:
    DataFile &data_;
};
