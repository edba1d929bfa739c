// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the safety tests share: hashes and counts of data files, entries to fill them with,
// the files the program leaves behind, damage done to a file, a login typed, and the
// program's error report.
#include "store/data_file.h"
#include "support/test_folder.h"
#include "users/login_window.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <sys/stat.h>

namespace {

inline qint64 count(DataFile &data, const QString &sql = QStringLiteral("select count(*) from jizhang"))
{
    Statement st = data.query(sql);
    return st.step() ? st.integer(0) : -1;
}

inline void addEntries(TestFolder &t, int n, int set = 0)
{
    DataFile::Transaction transaction(t.data);
    for (int i = 0; i < n; ++i)
        t.addEntry(set ? set : t.session.CurrentAccountSetId, QStringLiteral("2008-03-%1").arg(1 + i % 28, 2, 10, QChar(u'0')),
                   i % 2 ? QStringLiteral("支出") : QStringLiteral("收入"), QString::number(i + 1),
                   QStringLiteral("餐饮"), QString(200, QChar(u'备' + i % 7)));
    transaction.commit();
}

// What the program itself created and did not clean up.
inline QStringList leftovers(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral(".vazuda*"), QStringLiteral("temp.mdb*"), QStringLiteral("*-journal")},
                                  QDir::Files | QDir::Hidden);
}

inline int mode(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

inline void changeBytes(const QString &path, qint64 offset, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek(offset));
    QByteArray old = f.read(bytes.size());
    for (int i = 0; i < old.size(); ++i)
        old[i] = char(old[i] ^ bytes[i]);
    QVERIFY(f.seek(offset));
    f.write(old);
}

inline void typeLogin(LoginWindow &w, const QString &name, const QString &password)
{
    w.findChild<QLineEdit *>("Text1_0")->setText(name);
    w.findChild<QLineEdit *>("Text1_1")->setText(password);
    QTest::mouseClick(w.findChild<QPushButton *>("Command1"), Qt::LeftButton);
}

inline void verifyErrorReport(const ScriptedPrompt::Shown &shown, int code = -1)
{
    QCOMPARE(shown.icon, Prompt::Icon::Critical);
    QCOMPARE(shown.title, QStringLiteral("错误"));
    QVERIFY2(shown.text.startsWith(QStringLiteral("发现错误：\r\n")), qPrintable(shown.text));
    if (code >= 0)
        QVERIFY2(shown.text.endsWith(QStringLiteral("\r\n错误代码：%1").arg(code)), qPrintable(shown.text));
}

} // namespace
