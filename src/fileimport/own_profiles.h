// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileimport/csv_table.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class DataFile;

// A mapping the user made by hand in "列对应", kept under a name of his own: recognised
// by its header cells wherever the header stands, as the built-in statements are.
struct OwnProfile {
    QString name;
    QStringList header;     // the header's cells, trimmed
    ColumnMapping mapping;  // its headerLine is where the header stood when it was saved
    QString account;        // the account the rows landed in; empty: the file's payment methods
};

// The user's own profiles, kept in the data file beside the remembered column choices
// (table 导入列对应, under "方案|" and the name).
class OwnProfiles {
public:
    explicit OwnProfiles(DataFile &data) : data_(data) {}

    // By name; a stored value that does not read is passed over.
    std::vector<OwnProfile> all();
    // What is wrong with a name typed for a profile; nothing when it can be saved (a
    // profile of the same name is then replaced).
    static std::optional<QString> problem(const QString &name, const ColumnMapping &mapping);
    void save(const OwnProfile &profile);
    void remove(const QString &name);

    // The profile whose header stands within the table's first lines, with its mapping
    // moved to that line; nothing when none does or its columns do not fit the table.
    static std::optional<OwnProfile> match(const std::vector<OwnProfile> &profiles, const CsvTable &table);

private:
    DataFile &data_;
};
