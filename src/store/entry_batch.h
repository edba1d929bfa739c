// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariantList>

#include <memory>
#include <vector>

class DataFile;
class Statement;
class TriggersAside;

// Many entries added to jizhang inside one transaction of the program's own (a batch
// import). While it lasts, the triggers on new entries leave the kept sums alone; the
// batch notes the account sets, months and accounts of what it adds, and finish() marks
// them once each, as the triggers would have marked them row by row. Made outside a
// transaction it is a plain insert: the triggers do their work as usual.
//
// While active it stores its entries some rows at a time: call finish() before committing,
// or the last of them are not stored. Should the work fail before that, rolling the
// transaction back takes the flag away with the entries and brings back the triggers that
// the batch sets aside.
class EntryBatch {
public:
    explicit EntryBatch(DataFile &data);
    ~EntryBatch();
    EntryBatch(const EntryBatch &) = delete;
    EntryBatch &operator=(const EntryBatch &) = delete;

    // One entry's data, t1, t2, t3, t4, t5, content and muluID, in that order.
    void add(const QVariantList &fields);
    void finish();

private:
    // Inserts the pending rows with `insert`, made for that many.
    void store(Statement &insert);

    DataFile &data_;
    std::unique_ptr<Statement> insert_;
    std::unique_ptr<TriggersAside> aside_;  // the triggers on new entries, while active
    bool active_ = false;
    std::vector<QVariantList> pending_;  // added and not yet inserted
    std::vector<QByteArray> bytes_;      // the texts bound to the last insert, as UTF-8
    QVariantList last_;                  // account set, account and date of the last row
    // Account set, month key ('' for a date of no month) and account (null: none) of
    // the entries added, each once, by a text made of the three.
    QHash<QString, QVariantList> touched_;
};
