// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/test_folder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

TestFolder::TestFolder()
    : folder(dir_.path()), data(folder.dataFile()), context{folder, data, session, prompt, launcher}
{
    QDir(dir_.path()).mkpath(QStringLiteral("Plug-Ins"));
    session.passwordDelay.setClock(clock());
    session.passphraseDelay.setClock(clock());
}

FailureDelay::Clock TestFolder::clock()
{
    return {[this] { return clockRuns ? (clockMs += FailureDelay::MaxWaitMs) : clockMs; },
            [this](qint64 ms) { clockMs += ms; }};
}

int TestFolder::defaultAccountSet()
{
    Statement st = data.query(QStringLiteral("select id from mulu where class='账套' order by id limit 1"));
    return st.step() ? int(st.integer(0)) : 0;
}

void TestFolder::loginAsAdmin()
{
    session.CurrentUserName = QStringLiteral("admin");
    session.CurrentAccountSetId = defaultAccountSet();
}

int TestFolder::addAccountSet(const QString &name)
{
    static int serial = 0;
    return int(data.insert(QStringLiteral("insert into mulu (key_1, parent, class, content) values (?, '0', '账套', ?)"),
                           {QStringLiteral("ztest%1_").arg(++serial), name}));
}

qint64 TestFolder::addEntry(int accountSet, const QString &date, const QString &kind, const QString &amount,
                            const QString &item, const QString &summary, const QString &method,
                            const QString &handler)
{
    return data.insert(QStringLiteral("insert into jizhang (data, t1, t2, t3, t4, t5, content, muluID) "
                                      "values (?, ?, ?, ?, ?, ?, ?, ?)"),
                       {date, kind, item, method, handler, amount, summary, accountSet});
}

QByteArray fileHash(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256) : QByteArray();
}
