// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/planning_tables.h"

#include "store/sqlite_db.h"

namespace PlanningTables {

void create(Database &db)
{
    db.execute(QStringLiteral(R"SQL(
CREATE TABLE IF NOT EXISTS yusuan (
    muluID INTEGER NOT NULL, scope TEXT NOT NULL, income INTEGER NOT NULL, item TEXT NOT NULL,
    start TEXT NOT NULL, amount TEXT,
    PRIMARY KEY (muluID, scope, income, item, start)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS yusuan_shezhi (
    muluID INTEGER PRIMARY KEY, warn INTEGER NOT NULL DEFAULT 1);
CREATE TABLE IF NOT EXISTS zhouqi (
    id INTEGER PRIMARY KEY AUTOINCREMENT, muluID INTEGER NOT NULL,
    kind TEXT NOT NULL, item TEXT NOT NULL DEFAULT '', account TEXT NOT NULL DEFAULT '',
    toAccount TEXT NOT NULL DEFAULT '', handler TEXT NOT NULL DEFAULT '', amount TEXT NOT NULL,
    content TEXT NOT NULL DEFAULT '',
    rule TEXT NOT NULL, every INTEGER NOT NULL DEFAULT 1, day INTEGER NOT NULL DEFAULT 1,
    month INTEGER NOT NULL DEFAULT 1, start TEXT NOT NULL, until TEXT NOT NULL DEFAULT '',
    times INTEGER NOT NULL DEFAULT 0, automatic INTEGER NOT NULL DEFAULT 0,
    pending TEXT NOT NULL DEFAULT '');
CREATE INDEX IF NOT EXISTS zhouqi_muluID_pending ON zhouqi(muluID, pending);
CREATE TABLE IF NOT EXISTS zhouqi_ci (
    scheduleId INTEGER NOT NULL, data TEXT NOT NULL, posted INTEGER NOT NULL,
    entryId INTEGER, transferId INTEGER, recorded TEXT,
    PRIMARY KEY (scheduleId, data)) WITHOUT ROWID;
)SQL"));
}

} // namespace PlanningTables
