// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <utility>
#include <vector>

class Database;

// Triggers dropped for a stretch of the current transaction and made again from their own
// stored text (sqlite_master.sql) by restore(), at the latest when this goes. All of it
// happens inside the transaction, so no other connection ever sees the table without
// them, and a rollback brings them back as well. Outside a transaction it sets nothing
// aside: a trigger is never left dropped in a file.
class TriggersAside {
public:
    // The triggers of sqlite_master that `condition` (an SQL condition) picks out.
    TriggersAside(Database &db, const QString &condition);
    ~TriggersAside();
    TriggersAside(const TriggersAside &) = delete;
    TriggersAside &operator=(const TriggersAside &) = delete;

    void restore();

private:
    Database &db_;
    std::vector<std::pair<QString, QString>> aside_;  // names and statements
};
