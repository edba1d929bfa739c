// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

class DataFile;

// Who logged in and the account set they work in.
struct LoginResult {
    QString userName;
    int accountSetId = 0;
};

// A login user as the user window lists and edits it.
struct UserAccount {
    qint64 id = 0;
    QString name;
    QString password;
    QString registered;      // "yyyy-mm-dd hh:nn"
    qint64 accountSetId = 0;
    QString accountSetName;  // empty when the account set no longer exists
};

// An account set a user can be bound to.
struct AccountSetChoice {
    qint64 id = 0;
    QString name;
};

// The login users of the data file.
class Users {
public:
    explicit Users(DataFile &data) : data_(data) {}

    // The user whose name matches exactly as typed and whose password fits (its stored
    // hash, or the text itself in a file of an older version, which then becomes a hash);
    // nothing when none does.
    std::optional<LoginResult> login(const QString &name, const QString &password);

    // The account sets in catalogue order.
    std::vector<AccountSetChoice> accountSets();
    // All users, newest first, each with the name of its account set.
    std::vector<UserAccount> list();
    // One user; nothing when there is no such user.
    std::optional<UserAccount> load(qint64 id);
    // The id of the first account set of this name; nothing when no account set bears it
    // (items, payment methods and handlers of that name do not count).
    std::optional<qint64> muluID(const QString &accountSetName);

    // Adds a user with the name as typed and a hash of the password; returns the new id.
    qint64 add(const QString &name, const QString &password, const QString &registered, qint64 accountSetId);
    // Saves name, password (as a hash; the stored hash given back keeps it) and account set
    // over a user; the registration time stays. False when the user no longer exists.
    bool modify(qint64 id, const QString &name, const QString &password, qint64 accountSetId);

    enum class Removal { Removed, LastUser, Missing };
    // Deletes a user, but never the last one: without a user nobody could log in.
    Removal remove(qint64 id);

    static QString registrationTime(const QDateTime &now = QDateTime::currentDateTime());

private:
    DataFile &data_;
};
