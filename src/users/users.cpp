// SPDX-License-Identifier: GPL-3.0-or-later
#include "users/users.h"

#include "core/password_hash.h"
#include "store/data_file.h"
#include "ui/formats.h"

std::optional<LoginResult> Users::login(const QString &name, const QString &password)
{
    // The first user of that name (by id) whose password fits.
    struct Candidate {
        qint64 id;
        QString stored;
        LoginResult result;
    };
    std::vector<Candidate> candidates;
    {
        Statement st = data_.query(
            QStringLiteral("select id, 用户名, muluID, 密码 from user where 用户名=? and 密码 IS NOT NULL order by id"),
            {name});
        while (st.step())
            candidates.push_back({st.integer(0), st.text(3), {st.text(1), int(st.integer(2))}});
    }
    for (const Candidate &c : candidates) {
        if (!PasswordHash::matches(c.stored, password))
            continue;
        // A password kept as typed (an older file) becomes a hash now. A file that cannot
        // be written keeps it until a later login.
        if (PasswordHash::needsRenewal(c.stored)) {
            try {
                data_.exec(QStringLiteral("update user set 密码=? where id=? and 密码=?"),
                           {PasswordHash::make(password), c.id, c.stored});
            } catch (const StoreError &) {
            }
        }
        return c.result;
    }
    return std::nullopt;
}

std::vector<AccountSetChoice> Users::accountSets()
{
    std::vector<AccountSetChoice> sets;
    Statement st = data_.query(QStringLiteral("select id, content from mulu where class='账套' order by id asc"));
    while (st.step())
        sets.push_back({st.integer(0), st.text(1)});
    return sets;
}

namespace {

// The columns every read of a user takes, with the account set's name from mulu.
const char *const UserColumns =
    "select user.id, user.用户名, user.密码, user.注册时间, user.muluID, mulu.content "
    "from user left join mulu on mulu.id = user.muluID ";

UserAccount readUser(const Statement &st)
{
    return {st.integer(0), st.text(1), st.text(2), st.text(3), st.integer(4), st.text(5)};
}

} // namespace

std::vector<UserAccount> Users::list()
{
    std::vector<UserAccount> users;
    Statement st = data_.query(QString::fromUtf8(UserColumns) + QStringLiteral("order by user.id desc"));
    while (st.step())
        users.push_back(readUser(st));
    return users;
}

std::optional<UserAccount> Users::load(qint64 id)
{
    Statement st = data_.query(QString::fromUtf8(UserColumns) + QStringLiteral("where user.id=?"), {id});
    if (!st.step())
        return std::nullopt;
    return readUser(st);
}

std::optional<qint64> Users::muluID(const QString &accountSetName)
{
    Statement st = data_.query(
        QStringLiteral("select id from mulu where content=? and class='账套' order by id asc limit 1"), {accountSetName});
    if (!st.step())
        return std::nullopt;
    return st.integer(0);
}

qint64 Users::add(const QString &name, const QString &password, const QString &registered, qint64 accountSetId)
{
    return data_.insert(QStringLiteral("insert into user (用户名, 密码, 注册时间, muluID) values (?, ?, ?, ?)"),
                        {Formats::withoutNul(name), PasswordHash::make(password), registered, accountSetId});
}

bool Users::modify(qint64 id, const QString &name, const QString &password, qint64 accountSetId)
{
    // The window shows the stored hash in the (masked) password field: saved unchanged, it
    // stays; anything else typed there is a new password.
    if (PasswordHash::isHash(password)) {
        Statement st = data_.query(QStringLiteral("select 1 from user where id=? and 密码=?"), {id, password});
        if (st.step())
            return data_.exec(QStringLiteral("update user set 用户名=?,muluID=?  where id=?"),
                              {Formats::withoutNul(name), accountSetId, id}) > 0;
    }
    return data_.exec(QStringLiteral("update user set 用户名=?,密码=?,muluID=?  where id=?"),
                      {Formats::withoutNul(name), PasswordHash::make(password), accountSetId, id}) > 0;
}

Users::Removal Users::remove(qint64 id)
{
    // One statement, so the count and the delete cannot fall apart.
    if (data_.exec(QStringLiteral("delete from user where id=? and (select count(*) from user) > 1"), {id}) > 0)
        return Removal::Removed;
    Statement st = data_.query(QStringLiteral("select 1 from user where id=?"), {id});
    return st.step() ? Removal::LastUser : Removal::Missing;
}

QString Users::registrationTime(const QDateTime &now) { return now.toString(QStringLiteral("yyyy-MM-dd HH:mm")); }
