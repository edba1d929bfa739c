// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

class DataFile;

// One row of the catalogue as the manager's trees show it.
struct CatalogueNode {
    qint64 id = 0;
    QString key;     // key_1
    QString parent;  // key of the parent node, "0" at the top level
    QString text;    // content
};

// The catalogue lists the ledger draws its choices from: income and expense items,
// payment methods, handlers and account sets, all rows of mulu told apart by class.
class Catalogue {
public:
    // The four lists, numbered as the manager's tabs and the add dialog's kinds.
    enum Kind { Items = 1, Methods = 2, Handlers = 3, AccountSets = 4 };

    explicit Catalogue(DataFile &data) : data_(data) {}

    // "收支项目", "收支方式", "经手人", "账套".
    static QString classText(int kind);
    static QString tabCaption(int kind) { return classText(kind); }
    // The first letter of the keys a kind's new nodes get: "e", "a", "z", "z".
    static QString keyPrefix(int kind);
    // The add dialog's title for a kind, and back: any title not of the first three
    // kinds adds an account set.
    static QString dialogTitle(int kind);
    static int kindForTitle(const QString &title);
    // The captions of the two item roots; a node bearing either can neither be renamed
    // nor deleted, whatever list it is in.
    static bool isProtected(const QString &text);
    static QString incomeRootKey() { return QStringLiteral("e1_"); }
    static QString expenseRootKey() { return QStringLiteral("e7_"); }

    // The rows of one list in the order the tree adds them (ascending id).
    std::vector<CatalogueNode> nodes(int kind);

    // Adds a node under parentKey (items) or at the top level (the other kinds) with the
    // text as typed. Its key is the kind's prefix and the time "yyyymmddhhnnss_", moved on
    // by a second while the key is already taken. Returns the new key.
    QString add(int kind, const QString &parentKey, const QString &text,
                const QDateTime &now = QDateTime::currentDateTime());
    // Gives a node a new text, stored as typed. False when the node no longer exists.
    bool rename(qint64 id, const QString &text);
    // Whether a user, a ledger entry, a password-box record or a diary entry belongs to
    // the account set of this row.
    bool accountSetInUse(qint64 id);
    // How many ledger entries and transfers (of every account set) name this payment method.
    qint64 methodUses(qint64 id);
    // Deletes exactly this row. False when it no longer exists.
    bool remove(qint64 id);

private:
    DataFile &data_;
};
