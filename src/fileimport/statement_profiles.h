// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileimport/csv_table.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The statements the batch import knows by their content: Alipay, WeChat Pay and the
// exports of the large banks. Each is data: the header cells that identify it, which
// header names feed which field, how its dates and signs are read and the kind of
// account it belongs to. Adding a bank is adding an entry to the list.
struct StatementProfile {
    QString name;                 // "支付宝账单"
    QStringList required;         // header cells that must all be there
    QStringList markers;          // words of the notes above the header that confirm it
    // For each field, in ImportField order, the header names that feed it, the first found.
    std::vector<QStringList> fields;
    bool positiveIsExpense = false;  // a credit card's charges are positive
    DateOrder dateOrder = DateOrder::Auto;
    QString accountKind;          // one of Accounts::kinds()
    QString digitsColumn;         // the header cell that holds a card's last four digits
};

// What a table turned out to be.
struct ProfileMatch {
    const StatementProfile *profile = nullptr;
    ColumnMapping mapping;        // header and columns filled in
    QString lastDigits;           // the card's, from the notes or its column; may be empty
};

namespace StatementProfiles {

const std::vector<StatementProfile> &builtIn();
// The profile whose header stands within the table's first lines; nothing for none.
std::optional<ProfileMatch> match(const CsvTable &table);

} // namespace StatementProfiles
