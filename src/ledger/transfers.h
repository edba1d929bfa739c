// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class DataFile;

// Money moved from one account of an account set to another: neither income nor spending.
// Transfers live in a table of their own (zhuanzhang), never in jizhang, so every total of
// the ledger leaves them out. A fee is a plain expense entry of the paying account (item
// "手续费") that the transfer names; it goes to the recycle bin and comes back with it.
struct Transfer {
    qint64 id = 0;
    QString date;            // "yyyy-mm-dd"
    QString from, to;        // the accounts: payment methods' names, as entries name them
    QString amount;          // a plain decimal above 0
    QString fee;             // a plain decimal; empty (or 0) for no fee
    QString summary;         // lines separated by CR LF
    qint64 feeEntryId = 0;   // the fee's entry; 0 for none
    // The day of the statement each side was reconciled against; empty when it was not.
    QString fromChecked, toChecked;
};

// The transfers of the data file: reading, checking, storing (one at a time or many at
// once), changing and deleting them with their fees.
class Transfers {
public:
    explicit Transfers(DataFile &data) : data_(data) {}

    static QString kind() { return QStringLiteral("转账"); }
    static QString feeItem() { return QStringLiteral("手续费"); }

    // What keeps a transfer from being stored, as the editor says it; nothing when it can
    // be: both accounts chosen and different, an amount above 0, a fee of 0 or more (or
    // none), a day an entry may have.
    static std::optional<QString> problem(const Transfer &transfer);
    // The same, and the accounts must be payment methods of the catalogue.
    std::optional<QString> check(const Transfer &transfer);

    // One transfer with its fee's amount; nothing when there is no such transfer.
    std::optional<Transfer> transfer(qint64 id);

    // Stores a new transfer (and its fee entry) in an account set and returns its id.
    // Amounts are stored in their plain form. A transfer that check() refuses is not
    // stored: StoreError with check()'s message. Runs in a transaction of its own, or as
    // a savepoint of the one already open (recurring entries store a transfer together
    // with what they record of it).
    qint64 add(const Transfer &transfer, int accountSet);
    // Stores many in one transaction, all or none; returns their ids in order. progress is
    // called every few hundred transfers.
    std::vector<qint64> addAll(const std::vector<Transfer> &transfers, int accountSet,
                               const std::function<void(int done, int total)> &progress = {});
    // Saves the fields into the transfer with its id; its fee entry is changed, added or
    // moved to the recycle bin along. A side whose account, amount or date changes is no
    // longer reconciled. False when there is no such transfer.
    bool update(const Transfer &transfer);
    // Moves a transfer and its fee into the recycle bin; false when there is no such transfer.
    bool discard(qint64 id, const QDateTime &when = QDateTime::currentDateTime());

    // The transfer whose fee an entry is; 0 for none.
    qint64 transferOfFee(qint64 entryId);
    // The day of the statement an entry was reconciled against; empty when it was not.
    QString entryChecked(qint64 entryId);
    // The accounts closed in an account set: lists to choose from leave them out.
    QStringList closedAccounts(int accountSet);

private:
    qint64 insertFee(const Transfer &transfer, int accountSet);
    DataFile &data_;
};
