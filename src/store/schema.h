// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class Database;

// The seven tables of the data file, their indexes and the rows a new file starts with.
namespace Schema {

// Recorded in PRAGMA user_version; later versions migrate older files on opening.
constexpr int Version = 14;

// The tables every data file must hold (files of older versions lack the later ones).
QStringList tableNames();
// The recycle bin of ledger entries (version 5).
inline QString binTable() { return QStringLiteral("jizhang_bin"); }
// Tables of the program that the opened file lacks (compared without regard to case).
QStringList missingTables(Database &db);
// Creates the tables and indexes and inserts the seed rows, in one transaction.
void create(Database &db);
// The batch import's remembered column choices (not one of the seven tables): made if
// the file lacks it.
void createImportMappings(Database &db);
// The WHEN of the triggers on new entries: they leave a batch's rows to the batch.
QString unlessBatch();
// Brings a file of an older version up to this one. It reads no entries: a large ledger
// (more than 100,000 entries) is left without the later indexes, and its kept sums are
// marked stale as a whole.
void migrate(Database &db, int fromVersion);
// The indexes of jizhang that only make sorted lists and the accounts quicker which the
// file lacks, and those of older versions that a large ledger still has, by name: the
// background build makes or drops them (laterIndexSql).
QStringList laterIndexes(Database &db);
QString laterIndexSql(const QString &name);

} // namespace Schema
