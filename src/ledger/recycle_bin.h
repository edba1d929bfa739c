// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/record_row.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class DataFile;

// What the bin of an account set holds: its rows for the bin's list, newest deletion
// first, and how many there are.
struct BinPage {
    std::vector<RecordRow> rows;
    int count = 0;
};

// Deleted ledger entries wait in a table of their own (jizhang_bin) until they are put
// back or the bin is emptied: every query of jizhang sees only the entries that are there.
// A bin row keeps the entry's id and fields, its account set and when it was deleted.
// Deleted transfers wait beside them (zhuanzhang_bin); a transfer's fee entry waits with
// it, out of the list, and comes back with it. In the list a transfer's hidden id is "t"
// and its bin row's number (transferKey()).
class RecycleBin {
public:
    explicit RecycleBin(DataFile &data) : data_(data) {}

    // The bin list's columns: 日期, the hidden id (of the bin row), 项目, 收入, 支出, 摘要, 删除时间.
    static QList<RecordColumn> columns();
    // How deletion times are stored and shown: "yyyy-mm-dd hh:nn:ss".
    static QString timeText(const QDateTime &time);

    // The deleted entries of an account set, newest deletion first.
    BinPage LoadData(int accountSet);
    int count(int accountSet);

    // Moves one entry into the bin, in one transaction; false when there is no such entry.
    bool discard(qint64 entryId, const QDateTime &when = QDateTime::currentDateTime());
    // Moves every entry of an account set into the bin, in one transaction that runs in
    // pieces: progress(done, total) and the data file's betweenPieces() are called between
    // them. Returns how many entries were moved.
    int discardAll(int accountSet, const QDateTime &when = QDateTime::currentDateTime(),
                   const std::function<void(int done, int total)> &progress = {});
    // Puts bin rows of the account set back into the ledger with all their fields (and
    // their old ids, unless taken since), in one transaction. Returns how many came back.
    int restore(const QList<qint64> &binIds, int accountSet);
    // The same for deleted transfers (by their bin rows), each with its fee entry.
    int restoreTransfers(const QList<qint64> &binIds, int accountSet);
    // Deletes the account set's bin for good; returns how many entries and transfers went.
    int empty(int accountSet);

    // The list's hidden id of a deleted transfer ("t12"), and the bin row it names.
    static QString transferKey(qint64 binId) { return QStringLiteral("t%1").arg(binId); }
    static std::optional<qint64> transferOfKey(const QString &key);

private:
    // Puts entries back (inside an open transaction); their old and new ids.
    std::vector<std::pair<qint64, qint64>> restoreEntries(const QList<qint64> &binIds, int accountSet);
    DataFile &data_;
};
