// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/password_hash.h"
#include "store/data_file.h"
#include "store/file_lock.h"
#include "store/schema.h"
#include "support/test_folder.h"
#include "ui/formats.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "support/test_main.h"

namespace {

int count(DataFile &data, const QString &sql, const QVariantList &values = {})
{
    Statement st = data.query(sql, values);
    return st.step() ? int(st.integer(0)) : -1;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

class StoreTest : public QObject {
    Q_OBJECT
private slots:
    void newFileIsEncrypted();
    void newFileHoldsExactlyTheSeedRows();
    void unopenableFilesAreReportedAndLeftAlone_data();
    void unopenableFilesAreReportedAndLeftAlone();
    void fileOfSameTablesWithoutVersionIsTakenOver();
    void operationsSeeEachOthersChangesAcrossReopening();
    void valuesAreBoundNeverSpliced();
    void failedWritesThrowAndLeaveNothingBehind();
    void amountFunctionCountsLikeTheLists();
    void lockIsOnTheFileThatBearsTheName();
};

void StoreTest::newFileIsEncrypted()
{
    TestFolder t;
    t.data.OpenDataFile();
    QFile f(t.folder.dataFile());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.read(16) != QByteArray("SQLite format 3\0", 16));
    f.close();

    // Without the key the file does not open.
    Database raw;
    raw.open(t.folder.dataFile(), false);
    QVERIFY_THROWS_EXCEPTION(StoreError, raw.execute(QStringLiteral("select count(*) from sqlite_master")));
    // With the key it does.
    Database keyed;
    keyed.open(t.folder.dataFile(), false);
    DataFile::applyKey(keyed);
    QCOMPARE(Schema::missingTables(keyed), QStringList());
    QVERIFY(!QFile::exists(t.folder.dataFile() + QStringLiteral(".new")));
}

void StoreTest::newFileHoldsExactlyTheSeedRows()
{
    TestFolder t;
    DataFile &d = t.data;
    QCOMPARE(count(d, QStringLiteral("select count(*) from jizhang")), 0);
    QCOMPARE(count(d, QStringLiteral("select count(*) from blank")), 0);
    QCOMPARE(count(d, QStringLiteral("select count(*) from Tables")), 0);
    QCOMPARE(count(d, QStringLiteral("select count(*) from tongxilu")), 0);
    QCOMPARE(count(d, QStringLiteral("select count(*) from 系统设置")), 1);

    Statement settings = d.query(QStringLiteral(
        "select id, 字体, 字号, 字体颜色, 粗体, 斜体, 背景颜色, 背景图像, 显示网格, 图标, 自动备份 from 系统设置"));
    QVERIFY(settings.step());
    QStringList values;
    for (int i = 0; i < 11; ++i)
        values << settings.text(i);
    // New books start with the automatic backup on.
    QCOMPARE(values, (QStringList{"1", "字体", "9", "0", "0", "0", "#000000", "0", "True", "3", "1"}));

    // Catalogue: the two roots first, then one account set and the everyday rows.
    Statement mulu = d.query(QStringLiteral("select key_1, parent, class, content from mulu order by id"));
    QStringList rows;
    QStringList keys;
    while (mulu.step()) {
        keys << mulu.text(0);
        rows << QStringLiteral("%1|%2|%3").arg(mulu.text(1), mulu.text(2), mulu.text(3));
    }
    QCOMPARE(rows, (QStringList{"0|收支项目|收入", "0|收支项目|支出", "0|账套|默认账套", "e1_|收支项目|工资",
                                "e1_|收支项目|奖金", "e7_|收支项目|餐饮", "e7_|收支项目|交通", "e7_|收支项目|购物",
                                "e7_|收支项目|居住", "0|收支方式|现金", "0|收支方式|银行卡", "0|经手人|本人"}));
    QCOMPARE(keys.mid(0, 2), (QStringList{"e1_", "e7_"}));
    QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());
    static const QRegularExpression timeKey(QStringLiteral(R"(^[eaz]\d{14}_$)"));
    for (const QString &key : keys.mid(2))
        QVERIFY2(timeKey.match(key).hasMatch(), qPrintable(key));
    QVERIFY(keys[2].startsWith(u'z') && keys[3].startsWith(u'e') && keys[9].startsWith(u'a'));

    Statement user = d.query(QStringLiteral(
        "select 用户名, 密码, 注册时间, user.muluID, mulu.class from user join mulu on mulu.id = user.muluID"));
    QVERIFY(user.step());
    QCOMPARE(user.text(0), QStringLiteral("admin"));
    QVERIFY(PasswordHash::isHash(user.text(1)) && PasswordHash::matches(user.text(1), QStringLiteral("admin")));
    QVERIFY(QDateTime::fromString(user.text(2), QStringLiteral("yyyy-MM-dd HH:mm")).isValid());
    QCOMPARE(user.text(4), QStringLiteral("账套"));
    QVERIFY(!user.step());

    Statement version = d.query(QStringLiteral("PRAGMA user_version"));
    QVERIFY(version.step());
    QCOMPARE(int(version.integer(0)), Schema::Version);
}

void StoreTest::unopenableFilesAreReportedAndLeftAlone_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("wrong key") << "wrong key";
    QTest::newRow("text file") << "text";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("damaged") << "damaged";
    QTest::newRow("damaged first page") << "first page";
    QTest::newRow("unencrypted sqlite") << "plain";
    QTest::newRow("missing table") << "missing table";
    QTest::newRow("a folder") << "folder";
}

void StoreTest::unopenableFilesAreReportedAndLeftAlone()
{
    QFETCH(QString, kind);
    TestFolder t;
    const QString path = t.folder.dataFile();
    if (kind == QLatin1String("wrong key")) {
        Database db;
        db.open(path, true);
        db.execute(QStringLiteral("PRAGMA key = 'not-ours'"));
        db.execute(QStringLiteral("create table jizhang(id integer)"));
    } else if (kind == QLatin1String("text")) {
        writeFile(path, "日期,金额\r\n2008-03-05,12\r\n");
    } else if (kind == QLatin1String("empty")) {
        writeFile(path, QByteArray());
    } else if (kind == QLatin1String("damaged") || kind == QLatin1String("first page")) {
        t.data.OpenDataFile();
        t.addEntry(1, QStringLiteral("2008-03-05"), QStringLiteral("收入"), QStringLiteral("1"));
        t.data.close();
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        // The salt (the first 16 bytes) hides which key was used; a byte after it does not.
        f.seek(kind == QLatin1String("damaged") ? 0 : 300);
        f.write(QByteArray(64, '\x5a'));
    } else if (kind == QLatin1String("plain")) {
        Database db;
        db.open(path, true);
        db.execute(QStringLiteral("create table jizhang(id integer)"));
    } else if (kind == QLatin1String("missing table")) {
        Database db;
        db.open(path, true);
        DataFile::applyKey(db);
        db.execute(QStringLiteral("create table jizhang(id integer); create table mulu(id integer)"));
    } else {
        QVERIFY(QDir(t.path()).mkdir(QStringLiteral("vazuda.mdb")));
    }
    const QByteArray before = fileHash(path);

    DataFile data(path);
    try {
        data.OpenDataFile();
        QFAIL("the file was opened");
    } catch (const StoreError &error) {
        QVERIFY2(error.description().contains(QDir::toNativeSeparators(path)), qPrintable(error.description()));
        if (kind == QLatin1String("missing table"))
            QVERIFY(error.description().contains(QStringLiteral("tongxilu")));
        // Damage after the salt is told from another key: no passphrase is asked for.
        if (kind == QLatin1String("first page"))
            QVERIFY2(error.description().contains(QStringLiteral("已经损坏")) && !data.needsPassphrase(),
                     qPrintable(error.description()));
    }
    QVERIFY(!data.isOpen());
    QCOMPARE(fileHash(path), before);
    QVERIFY(!QFile::exists(path + QStringLiteral(".new")));
    // A second attempt fails the same way: the file is never recreated over.
    QVERIFY_THROWS_EXCEPTION(StoreError, data.query(QStringLiteral("select count(*) from jizhang")));
    QCOMPARE(fileHash(path), before);
}

void StoreTest::fileOfSameTablesWithoutVersionIsTakenOver()
{
    TestFolder t;
    t.data.OpenDataFile();
    t.data.database().execute(QStringLiteral("drop index jizhang_muluID_data; PRAGMA user_version = 0"));
    t.data.close();
    t.data.OpenDataFile();
    QCOMPARE(count(t.data, QStringLiteral("select count(*) from sqlite_master where name='jizhang_muluID_data'")), 1);
    QCOMPARE(count(t.data, QStringLiteral("PRAGMA user_version")), Schema::Version);

    // A file of version 1 trades its diary index for the one on the update time.
    t.data.database().execute(QStringLiteral("drop index Tables_muluID_res_dates; "
                                             "create index Tables_muluID_res on Tables(muluID, res); "
                                             "PRAGMA user_version = 1"));
    t.data.close();
    t.data.OpenDataFile();
    QCOMPARE(count(t.data, QStringLiteral("select count(*) from sqlite_master where name='Tables_muluID_res'")), 0);
    QCOMPARE(count(t.data, QStringLiteral("select count(*) from sqlite_master where name='Tables_muluID_res_dates'")), 1);

    // A file of version 8 gains the batch import's rules.
    t.data.database().execute(QStringLiteral("drop table 导入规则; PRAGMA user_version = 8"));
    t.data.close();
    t.data.OpenDataFile();
    QCOMPARE(count(t.data, QStringLiteral("select count(*) from sqlite_master where name='导入规则'")), 1);
}

void StoreTest::operationsSeeEachOthersChangesAcrossReopening()
{
    TestFolder t;
    const int set = t.defaultAccountSet();
    t.addEntry(set, QStringLiteral("2008-03-05"), QStringLiteral("收入"), QStringLiteral("10"));
    QCOMPARE(count(t.data, QStringLiteral("select count(*) from jizhang")), 1);

    // What another copy of the file holds is what the next operation sees once the
    // connection was closed and the file replaced.
    t.data.close();
    const QString copy = t.path() + QStringLiteral("/copy.mdb");
    QVERIFY(QFile::copy(t.folder.dataFile(), copy));
    t.addEntry(set, QStringLiteral("2008-03-06"), QStringLiteral("支出"), QStringLiteral("3"));
    QCOMPARE(count(t.data, QStringLiteral("select count(*) from jizhang")), 2);
    t.data.close();
    QVERIFY(QFile::remove(t.folder.dataFile()));
    QVERIFY(QFile::rename(copy, t.folder.dataFile()));
    QCOMPARE(count(t.data, QStringLiteral("select count(*) from jizhang")), 1);
}

void StoreTest::valuesAreBoundNeverSpliced()
{
    TestFolder t;
    const QString tricky = QStringLiteral("O'Brien'); delete from jizhang; --");
    t.addEntry(1, QStringLiteral("2008-03-05"), QStringLiteral("支出"), QStringLiteral("1"), tricky);
    t.addEntry(1, QStringLiteral("2008-03-05"), QStringLiteral("支出"), QStringLiteral("1"), QStringLiteral("x"));
    QCOMPARE(count(t.data, QStringLiteral("select count(*) from jizhang where t2=?"), {tricky}), 1);
    QCOMPARE(count(t.data, QStringLiteral("select count(*) from jizhang")), 2);
    QCOMPARE(t.data.SqlText(), QStringLiteral("select count(*) from jizhang"));
}

void StoreTest::failedWritesThrowAndLeaveNothingBehind()
{
    TestFolder t;
    try {
        t.data.exec(QStringLiteral("update no_such_table set x=1"));
        QFAIL("no error");
    } catch (const StoreError &error) {
        QVERIFY(error.code() != 0);
        QVERIFY(!error.description().isEmpty());
        QCOMPARE(t.data.SqlText(), QStringLiteral("update no_such_table set x=1"));
    }
    {
        DataFile::Transaction transaction(t.data);
        t.addEntry(1, QStringLiteral("2008-03-05"), QStringLiteral("收入"), QStringLiteral("1"));
        QVERIFY_THROWS_EXCEPTION(StoreError, t.data.exec(QStringLiteral("insert into nowhere values (1)")));
        // Leaving without commit rolls back the insert that did succeed.
    }
    QCOMPARE(count(t.data, QStringLiteral("select count(*) from jizhang")), 0);
}

void StoreTest::amountFunctionCountsLikeTheLists()
{
    TestFolder t;
    const QStringList amounts{"10", " 2.5 ", "12-3", "abc", "", "-4", "1e2", "inf", "1,000", "0.1", "0.2"};
    for (const QString &a : amounts)
        t.addEntry(1, QStringLiteral("2008-03-05"), QStringLiteral("收入"), a);
    // Numbers written by another program count too.
    t.data.exec(QStringLiteral("insert into jizhang (data, t1, t5, muluID) values ('2008-03-05', '收入', 7, 1)"));
    t.data.exec(QStringLiteral("insert into jizhang (data, t1, t5, muluID) values ('2008-03-05', '收入', 0.25, 1)"));
    Statement st = t.data.query(QStringLiteral("select money_total(t5), count(amount(t5)), sum(amount(t5)) from jizhang"));
    QVERIFY(st.step());
    QCOMPARE(st.text(0), QStringLiteral("116.05"));
    QCOMPARE(int(st.integer(1)), 8);
    QCOMPARE(st.real(2), 116.05);
    Statement none = t.data.query(QStringLiteral("select money_total(t5) from jizhang where 0"));
    QVERIFY(none.step());
    QCOMPARE(none.text(0), QStringLiteral("0"));
}

TALLYRA_TEST(StoreTest)
// A file renamed into the name's place between opening and locking (a compaction of
// another program) is not left unlocked: the lock is taken again on the file now there.
void StoreTest::lockIsOnTheFileThatBearsTheName()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vazuda.mdb"));
    const QString copy = dir.filePath(QStringLiteral("copy.mdb"));
    for (const QString &name : {path, copy}) {
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("x") == 1);
    }
    FileLock lock;
    int replaced = 0;
    lock.setAfterLocking([&] {
        if (replaced++ == 0)
            QVERIFY(QFile::rename(copy, path) || (QFile::remove(path) && QFile::rename(copy, path)));
    });
    QCOMPARE(lock.take(path), FileLock::Result::Taken);
    QCOMPARE(replaced, 2);
    QCOMPARE(FileLock().take(path), FileLock::Result::Held);
}

#include "tst_store.moc"
