// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "accounts/accounts.h"
#include "support/test_folder.h"

#include <QDir>
#include <QFile>

// What the batch import's tests share: files written into a test's folder, and accounts.
namespace ImportFiles {

inline QString write(const QString &folder, const QString &name, const QByteArray &bytes)
{
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

inline void addAccount(TestFolder &t, const QString &name, const QString &kind, const QString &note = {})
{
    Account a;
    a.name = name;
    a.kind = kind;
    a.note = note;
    Accounts(t.data).add(t.session.CurrentAccountSetId, a);
}

} // namespace ImportFiles
