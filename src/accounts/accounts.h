// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "accounts/account_sums.h"
#include "core/money.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class DataFile;
class Statement;

// An account: a payment method of the catalogue (a mulu row of class "收支方式") with the
// data one account set keeps of it. Entries name it by its caption (jizhang.t3), transfers
// likewise.
struct Account {
    qint64 id = 0;           // the catalogue row
    QString name;            // its caption
    QString kind = QStringLiteral("其他");  // one of Accounts::kinds()
    Money opening;           // the balance at the start of the opening day
    QString openingDate;     // "yyyy-mm-dd"; empty: everything counts, from the first entry on
    QString note;            // free text, e.g. the card's last four digits
    bool closed = false;     // hidden from the lists to choose from, kept in history
};

// An account with what moved in it from its opening day up to a day.
struct AccountBalance {
    Account account;
    AccountFlow flow;
    Money balance() const { return account.opening + flow.net(); }
};

// What the accounts of an account set add up to: what is there (positive balances), what
// is owed (negative balances, e.g. a credit card's) and the difference.
struct NetWorth {
    Money assets, debts;
    Money net() const { return assets - debts; }
};

// What a statement says about its account, for finding the account it belongs to.
struct AccountHint {
    QString name;        // the account's name as the user gave it
    QString kind;        // one of Accounts::kinds()
    QString lastDigits;  // the card's last digits, as the account's note or name holds them
};

// One row of an account's list: an entry of the account, or one side of a transfer.
struct AccountRow {
    enum Source { Entry = 0, Transfer = 1 };
    Source source = Entry;
    qint64 id = 0;           // the entry's or the transfer's id
    QString date;            // as stored
    QString item;            // the entry's item; "转账" for a transfer
    QString other;           // the transfer's other account; empty for an entry
    QString amount;          // as stored
    bool incoming = false;   // money into the account (income, or a transfer in)
    QString summary;
    QString checked;         // the day of the statement it was reconciled against; empty if not
    bool counted = true;     // on or after the opening day (else it moves no balance)
    std::optional<Money> balance;  // after this row, in a list; nothing before the opening day
    // What the row adds to the balance; an amount that is no number adds nothing.
    Money flow() const;
    // The list's hidden id: the entry's id, or "t" and the transfer's.
    QString key() const;
};

// The accounts of the data file: their data, their balances from the kept month sums,
// reconciling them against statements, and their entries and transfers taken along when
// an account is renamed or merged into another.
class Accounts {
public:
    explicit Accounts(DataFile &data) : data_(data) {}

    // "现金", "储蓄卡", "信用卡", "支付宝", "微信", "其他".
    static QStringList kinds();

    // Every payment method of the catalogue as an account of the set, catalogue order.
    std::vector<Account> all(int accountSet);
    std::optional<Account> byName(int accountSet, const QString &name);
    // The one account a statement belongs to: by its name; else, given the last digits,
    // the open accounts whose note or name holds them (of the kind, when given); else the
    // open accounts of the kind. Nothing when none or more than one fit.
    std::optional<Account> find(int accountSet, const AccountHint &hint);

    // What is wrong with an account's data as typed (name, opening balance and day); nothing
    // when it can be stored. `opening` is the typed opening balance.
    std::optional<QString> problem(int accountSet, const Account &account, const QString &opening,
                                   qint64 renaming = 0);
    // Adds a payment method to the catalogue with the account's data; returns its id.
    qint64 add(int accountSet, const Account &account);
    // Saves the data of an existing account; a new name renames the payment method and
    // every entry and transfer (of every account set) that names it, in one transaction.
    void save(int accountSet, const Account &account);

    // How many entries and transfers name the account, in every account set.
    struct Usage {
        qint64 entries = 0, transfers = 0;
        qint64 total() const { return entries + transfers; }
    };
    Usage usage(const QString &name);
    // Transfers between two accounts (of any account set).
    qint64 transfersBetween(const QString &a, const QString &b);
    // Deletes an account that nothing names; false when something does (nothing deleted).
    bool remove(qint64 id);
    // Moves every entry and transfer of `from` to the account `into`, then deletes `from`:
    // all in one transaction. Refused (false) while transfers run between the two; deleted
    // ones between them go for good.
    bool mergeInto(qint64 from, const QString &into);

    // Each account's balance at the end of a day, catalogue order.
    std::vector<AccountBalance> balances(int accountSet, const QDate &day);
    AccountBalance balance(int accountSet, const Account &account, const QDate &day);
    static NetWorth worth(const std::vector<AccountBalance> &balances);

    // Reconciling against a statement: the account's rows up to the statement's day that
    // are not reconciled yet (newest first), and the balance of the reconciled ones alone.
    std::vector<AccountRow> unreconciled(int accountSet, const Account &account, const QDate &day);
    Money reconciledBalance(int accountSet, const Account &account, const QDate &day);
    // Marks the rows (of this account) reconciled against the statement of that day, in
    // one transaction.
    void reconcile(const Account &account, const QDate &statementDay, const std::vector<AccountRow> &rows);

    // The account's rows whose date satisfies a condition ("data >= ? and ..."), newest first:
    // date, then transfers before entries, then the higher id.
    std::vector<AccountRow> rows(int accountSet, const Account &account, const QString &dateCondition,
                                 const QVariantList &values);

private:
    static Account accountAt(const Statement &st);
    DataFile &data_;
};
