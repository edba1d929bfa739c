// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "ledger/ledger_pane.h"
#include "maintenance/data_file_maintenance.h"
#include "maintenance/settings_window.h"
#include "store/page_check.h"
#include "store/schema.h"
#include "support/test_folder.h"
#include "ui/dialog_folders.h"
#include "ui/record_list.h"

#include <sqlcipher/sqlite3.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTreeWidget>
#include <QtTest>

#include "support/test_main.h"

namespace {

// Every entry, every column, in id order.
QStringList entries(DataFile &data)
{
    QStringList rows;
    Statement st = data.query(QStringLiteral("select id, data, t1, t2, t3, t4, t5, content, muluID from jizhang order by id"));
    while (st.step()) {
        QStringList cells;
        for (int c = 0; c < 9; ++c)
            cells << st.text(c);
        rows << cells.join(u'|');
    }
    return rows;
}

QStringList entriesOf(const QString &path)
{
    DataFile other(path);
    return entries(other);
}

void addEntries(TestFolder &t, int count, const QString &summary)
{
    DataFile::Transaction transaction(t.data);
    for (int i = 0; i < count; ++i)
        t.addEntry(t.session.CurrentAccountSetId, QStringLiteral("2008-%1-%2").arg(1 + i % 12, 2, 10, QChar(u'0')).arg(1 + i % 28, 2, 10, QChar(u'0')),
                   i % 3 ? QStringLiteral("支出") : QStringLiteral("收入"), QString::number(i + 0.5), QStringLiteral("餐饮"),
                   summary + QString::number(i));
    transaction.commit();
}

QString setting(DataFile &data, const QString &column)
{
    Statement st = data.query(QStringLiteral("select %1 from 系统设置 where id=1").arg(column));
    return st.step() ? st.text(0) : QStringLiteral("<no row>");
}

// Temporary files the program made and did not clean up.
QStringList leftovers(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral(".vazuda*"), QStringLiteral("temp.mdb*"), QStringLiteral("*-journal")},
                                  QDir::Files | QDir::Hidden);
}

void verifyErrorReport(const ScriptedPrompt::Shown &shown)
{
    QCOMPARE(shown.kind, QStringLiteral("message"));
    QCOMPARE(shown.icon, Prompt::Icon::Critical);
    QCOMPARE(shown.title, QStringLiteral("错误"));
    QVERIFY2(shown.text.startsWith(QStringLiteral("发现错误：\r\n")), qPrintable(shown.text));
    QVERIFY2(shown.text.contains(QRegularExpression(QStringLiteral("\r\n错误代码：-?\\d+$"))), qPrintable(shown.text));
}

const QString RestoreDone =
    QStringLiteral("还原成功！请您点击确定，将使用这个数据库。如果发生了错误，请您参见联机帮助的解决办法。");
const QString CompactDone =
    QStringLiteral("压缩成功！请您点击确定，将使用这个数据库。如果发生了错误，请您参见联机帮助的解决办法。");

} // namespace

class BackupTest : public QObject {
    Q_OBJECT
private slots:
    void backupRestoresToExactlyItsData();
    void backupAsksBeforeReplacingAndCancelDoesNothing();
    void backupWaitsForNoWriterAndNeverCopiesHalfAWrite();
    void backupOntoTheDataFileItselfIsRefused();
    void restoreRefusesFilesThatAreNotDataFiles_data();
    void restoreRefusesFilesThatAreNotDataFiles();
    void restoreReloadsTheWindowWithoutDuplicates();
    void splicedBackupIsRefused();
    void compactionShrinksTheFileAndKeepsEverything();
    void compactionFailureLeavesTheDataFileAlone();
    void automaticBackupOnExitLogoutAndClose();
    void automaticBackupOffOrWithoutPlugInsMakesNothing();
    void settingsWindowSwitchesTheAutomaticBackup();
};

void BackupTest::backupRestoresToExactlyItsData()
{
    TestFolder t;
    t.loginAsAdmin();
    addEntries(t, 50, QStringLiteral("before's"));
    const QStringList atBackup = entries(t.data);
    MainWindow w(t.context);

    const QString backup = t.path() + QStringLiteral("/copies/") + DataFileMaintenance::backupName(QDate::currentDate());
    QDir().mkpath(t.path() + QStringLiteral("/copies"));
    t.prompt.files << backup;
    w.commands().action(Command::Backup)->trigger();
    QCOMPARE(t.prompt.shown[0].kind, QStringLiteral("save"));
    QCOMPARE(t.prompt.shown[0].text, QStringLiteral("备份文件|*.mdb"));
    // Offered in the documents folder the first time, never in the working folder.
    QCOMPARE(t.prompt.shown[0].path,
             QDir(DialogFolders::documents()).filePath(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".mdb")));
    QCOMPARE(t.prompt.last().text, QStringLiteral("备份成功！"));
    QCOMPARE(t.prompt.last().title, QStringLiteral("恭喜您"));
    QCOMPARE(t.prompt.last().icon, Prompt::Icon::Information);
    // The backup is a data file like the data file: same key, same tables, same rows.
    QCOMPARE(entriesOf(backup), atBackup);
    QCOMPARE(fileHash(backup), fileHash(t.folder.dataFile()));

    // Later changes, then the restore brings back exactly the backed-up state.
    t.data.exec(QStringLiteral("delete from jizhang where id % 2 = 0"));
    addEntries(t, 5, QStringLiteral("after"));
    t.data.exec(QStringLiteral("update 系统设置 set 图标='0' where id=1"));
    QVERIFY(entries(t.data) != atBackup);
    t.prompt.reset();
    t.prompt.files << backup;
    t.prompt.answers << Prompt::Answer::Yes << Prompt::Answer::Ok;
    w.commands().action(Command::Restore)->trigger();
    QCOMPARE(t.prompt.shown[0].kind, QStringLiteral("open"));
    QCOMPARE(t.prompt.shown[0].text, QStringLiteral("备份文件|*.mdb"));
    QCOMPARE(t.prompt.shown[1].title, QStringLiteral("问题"));
    QCOMPARE(t.prompt.shown[1].defaultAnswer, Prompt::Answer::No);
    QVERIFY(t.prompt.shown[1].text.startsWith(QStringLiteral("请您确认“") + QDir::toNativeSeparators(backup) + QStringLiteral("”是您以前备份的文件")));
    QVERIFY(t.prompt.last().text.startsWith(RestoreDone));
    QCOMPARE(t.prompt.last().title, QStringLiteral("注意"));
    QCOMPARE(t.prompt.last().icon, Prompt::Icon::Warning);
    QCOMPARE(entries(t.data), atBackup);
    QCOMPARE(setting(t.data, QStringLiteral("图标")), QStringLiteral("3"));
    QCOMPARE(fileHash(t.folder.dataFile()), fileHash(backup));
    QCOMPARE(leftovers(t.path()), QStringList());
    // The window shows the restored data, view settings included.
    QCOMPARE(w.panelText(3), QStringLiteral("共：50 条记录"));
    QCOMPARE(w.ledgerPane()->entryList()->viewMode(), int(RecordList::Details));
}

void BackupTest::backupAsksBeforeReplacingAndCancelDoesNothing()
{
    TestFolder t;
    t.loginAsAdmin();
    MainWindow w(t.context);
    const QString backup = t.path() + QStringLiteral("/b.mdb");

    // Cancelled dialog: nothing shown, nothing written.
    w.commands().button(Command::Backup)->trigger();
    QCOMPARE(t.prompt.shown.size(), 1);
    QVERIFY(!QFile::exists(backup));

    t.prompt.reset();
    t.prompt.files << backup;
    w.commands().button(Command::Backup)->trigger();
    QCOMPARE(t.prompt.texts(), QStringList{QStringLiteral("备份成功！")});
    const QByteArray first = fileHash(backup);

    // The second time the question comes; No keeps the old backup.
    t.addEntry(t.session.CurrentAccountSetId, "2009-01-01", "收入", "1");
    t.prompt.reset();
    t.prompt.files << backup;
    t.prompt.answers << Prompt::Answer::No;
    w.commands().action(Command::Backup)->trigger();
    QCOMPARE(t.prompt.texts(), QStringList{QStringLiteral("当前日期已经备份了，确实要再次备份吗？")});
    QCOMPARE(t.prompt.last().title, QStringLiteral("Tallyra"));
    QCOMPARE(t.prompt.last().icon, Prompt::Icon::Question);
    QCOMPARE(t.prompt.last().buttons, Prompt::Buttons::YesNo);
    QCOMPARE(fileHash(backup), first);

    t.prompt.reset();
    t.prompt.files << backup;
    t.prompt.answers << Prompt::Answer::Yes;
    w.commands().action(Command::Backup)->trigger();
    QCOMPARE(t.prompt.lastText(), QStringLiteral("备份成功！"));
    QCOMPARE(entriesOf(backup), entries(t.data));

    // A folder that cannot be written: the backup's own error text.
    t.prompt.reset();
    t.prompt.files << t.path() + QStringLiteral("/no/such/folder/x.mdb");
    w.commands().action(Command::Backup)->trigger();
    QCOMPARE(t.prompt.last().title, QStringLiteral("错误"));
    QCOMPARE(t.prompt.last().icon, Prompt::Icon::Critical);
    QVERIFY2(t.prompt.lastText().startsWith(QStringLiteral("发现错误备份失败！\r\n")), qPrintable(t.prompt.lastText()));
    QVERIFY(t.prompt.lastText().contains(QStringLiteral("\r\n错误代码：")));
    QCOMPARE(leftovers(t.path()), QStringList());
}

void BackupTest::backupWaitsForNoWriterAndNeverCopiesHalfAWrite()
{
    TestFolder t;
    t.loginAsAdmin();
    addEntries(t, 20, QStringLiteral("committed"));
    DataFileMaintenance maintenance(t.data, t.folder);
    const QString backup = t.path() + QStringLiteral("/during.mdb");
    t.data.setBusyTimeout(100);  // gives up on the writer's lock soon

    // Another program is in the middle of a large write: its changes already reach the
    // file (its cache is too small to hold them), its commit has not come yet.
    Database writer;
    writer.open(t.folder.dataFile(), false);
    DataFile::applyKey(writer);
    writer.execute(QStringLiteral("PRAGMA cache_size = 2"));
    writer.execute(QStringLiteral("BEGIN IMMEDIATE"));
    Statement insert = writer.prepare(QStringLiteral("insert into jizhang (data, t1, t5, content, muluID) values ('2010-01-01', '支出', '1', ?, ?)"));
    for (int i = 0; i < 400; ++i) {
        insert.reset();
        insert.bindAll({QString(300, u'x'), t.session.CurrentAccountSetId});
        insert.run();
    }
    QVERIFY(QFile::exists(t.folder.dataFile() + QStringLiteral("-journal")));
    try {
        maintenance.backup(backup);
        QFAIL("a backup was copied in the middle of a write");
    } catch (const StoreError &error) {
        QVERIFY(!error.description().isEmpty());
    }
    QVERIFY(!QFile::exists(backup));
    QCOMPARE(leftovers(t.path()), QStringList{QStringLiteral("vazuda.mdb-journal")});

    writer.execute(QStringLiteral("COMMIT"));
    writer.close();
    maintenance.backup(backup);
    QCOMPARE(entriesOf(backup).size(), 420);
    QCOMPARE(entriesOf(backup), entries(t.data));
}

void BackupTest::backupOntoTheDataFileItselfIsRefused()
{
    TestFolder t;
    t.loginAsAdmin();
    MainWindow w(t.context);
    const QByteArray before = fileHash(t.folder.dataFile());
    t.prompt.files << t.folder.dataFile();
    t.prompt.answers << Prompt::Answer::Yes;
    w.commands().action(Command::Backup)->trigger();
    QVERIFY(t.prompt.lastText().startsWith(QStringLiteral("发现错误备份失败！\r\n")));
    // The connection still works on the one data file.
    t.addEntry(t.session.CurrentAccountSetId, "2009-01-01", "收入", "1");
    t.data.close();
    QCOMPARE(entries(t.data).size(), 1);
    QVERIFY(fileHash(t.folder.dataFile()) != before);
}

void BackupTest::restoreRefusesFilesThatAreNotDataFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("text file") << "text";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("unencrypted SQLite file with the tables") << "plain";
    QTest::newRow("data file of another key") << "other key";
    QTest::newRow("keyed file lacking tables") << "missing tables";
    QTest::newRow("data file of a newer version") << "newer";
    QTest::newRow("missing file") << "missing";
}

void BackupTest::restoreRefusesFilesThatAreNotDataFiles()
{
    QFETCH(QString, kind);
    TestFolder t;
    t.loginAsAdmin();
    addEntries(t, 10, QStringLiteral("keep"));
    MainWindow w(t.context);
    const QString chosen = t.path() + QStringLiteral("/chosen.mdb");

    if (kind == QLatin1String("text") || kind == QLatin1String("empty")) {
        QFile f(chosen);
        QVERIFY(f.open(QIODevice::WriteOnly));
        if (kind == QLatin1String("text"))
            f.write("这不是数据文件\r\njust some notes\r\n");
    } else if (kind == QLatin1String("plain")) {
        Database db;
        db.open(chosen, true);
        Schema::create(db);
    } else if (kind == QLatin1String("other key")) {
        Database db;
        db.open(chosen, true);
        db.execute(QStringLiteral("PRAGMA key = 'another'"));
        db.execute(QStringLiteral("PRAGMA cipher_page_size = 4096"));
        Schema::create(db);
    } else if (kind == QLatin1String("missing tables")) {
        Database db;
        db.open(chosen, true);
        DataFile::applyKey(db);
        db.execute(QStringLiteral("create table jizhang (id integer primary key, data text); create table mulu (id integer)"));
    } else if (kind == QLatin1String("newer")) {
        QVERIFY(QFile::copy(t.folder.dataFile(), chosen));
        Database db;
        db.open(chosen, false);
        DataFile::applyKey(db);
        db.execute(QStringLiteral("PRAGMA user_version = %1").arg(Schema::Version + 1));
    }

    t.data.close();
    const QByteArray before = fileHash(t.folder.dataFile());
    const QByteArray chosenBefore = fileHash(chosen);
    t.prompt.files << chosen;
    t.prompt.answers << Prompt::Answer::Yes;
    w.commands().action(Command::Restore)->trigger();
    // A file of another key may be a backup with a passphrase of its own: it is asked
    // for (and here not given).
    const bool asked = kind == QLatin1String("other key");
    QCOMPARE(t.prompt.shown.size(), asked ? 4 : 3);
    if (asked)
        QCOMPARE(t.prompt.shown[2].kind, QStringLiteral("text"));
    verifyErrorReport(t.prompt.last());
    QVERIFY(!t.prompt.texts().join(u'|').contains(RestoreDone));
    QCOMPARE(fileHash(t.folder.dataFile()), before);
    QCOMPARE(fileHash(chosen), chosenBefore);
    QCOMPARE(leftovers(t.path()), QStringList());
    QCOMPARE(entries(t.data).size(), 10);
    QCOMPARE(w.panelText(3), QStringLiteral("共：10 条记录"));
}

void BackupTest::restoreReloadsTheWindowWithoutDuplicates()
{
    TestFolder t;
    t.loginAsAdmin();
    t.addEntry(t.session.CurrentAccountSetId, "2008-03-05", "收入", "10", "工资");
    const QString backup = t.path() + QStringLiteral("/old.mdb");
    DataFileMaintenance(t.data, t.folder).backup(backup);
    t.addEntry(t.session.CurrentAccountSetId, "2009-04-05", "支出", "3", "餐饮");
    MainWindow w(t.context);
    QCOMPARE(w.panelText(3), QStringLiteral("共：2 条记录"));
    auto *handlers = w.findChild<QComboBox *>("Combo1");
    auto *incomeItems = w.findChild<QComboBox *>("Combo2");
    const int handlerCount = handlers->count();
    const int incomeCount = incomeItems->count();

    // Answered No: nothing happens.
    t.prompt.files << backup;
    w.commands().action(Command::Restore)->trigger();
    QCOMPARE(t.prompt.shown.size(), 2);
    QCOMPARE(entries(t.data).size(), 2);

    for (int round = 0; round < 2; ++round) {
        t.prompt.reset();
        t.prompt.files << backup;
        t.prompt.answers << Prompt::Answer::Yes;
        w.commands().action(Command::Restore)->trigger();
        QVERIFY(t.prompt.lastText().startsWith(RestoreDone));
        QCOMPARE(handlers->count(), handlerCount);
        QCOMPARE(incomeItems->count(), incomeCount);
        QCOMPARE(w.panelText(3), QStringLiteral("共：1 条记录"));
        QCOMPARE(w.panelText(4), QStringLiteral("收入：10 元"));
        QCOMPARE(w.ledgerPane()->tree()->topLevelItemCount(), 2);
    }
    // The restored file is the data file from now on: changes land in it.
    t.addEntry(t.session.CurrentAccountSetId, "2010-01-01", "收入", "1");
    w.ledgerPane()->refresh();
    QCOMPARE(w.panelText(3), QStringLiteral("共：2 条记录"));
}

// A backup in which one page comes from an older backup of the same file (what a flaky
// stick or an interrupted overwrite leaves: key, salt and page number alike, so the page's
// digest holds) is refused by its record, and without the record by the engine's whole
// check; the data file stays byte for byte as it was. The sound backup is restored.
void BackupTest::splicedBackupIsRefused()
{
    TestFolder t;
    t.loginAsAdmin();
    addEntries(t, 300, QStringLiteral("old"));
    DataFileMaintenance m(t.data, t.folder);
    const QString older = t.path() + QStringLiteral("/older.mdb");
    const QString newer = t.path() + QStringLiteral("/newer.mdb");
    m.backup(older);
    addEntries(t, 300, QStringLiteral("new"));
    t.data.exec("update jizhang set t5 = t5 + 1 where id % 7 = 0");
    m.backup(newer);
    const QStringList atBackup = entries(t.data);

    // The last page the two copies differ in goes from the older into the newer one.
    QFile a(older), b(newer);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    const QByteArray oldBytes = a.readAll();
    QByteArray spliced = b.readAll();
    const int page = PageCheck::PageSize;
    int stale = int(oldBytes.size() / page) - 1;
    while (stale > 0 && oldBytes.mid(stale * page, page) == spliced.mid(stale * page, page))
        --stale;
    QVERIFY(stale > 1);
    spliced.replace(stale * page, page, oldBytes.mid(stale * page, page));
    const QString damaged = t.path() + QStringLiteral("/damaged.mdb");
    QFile out(damaged);
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(spliced) == spliced.size());
    out.close();
    QVERIFY(QFile::copy(DataFileMaintenance::recordFile(newer), DataFileMaintenance::recordFile(damaged)));

    t.data.close();
    const QByteArray before = fileHash(t.folder.dataFile());
    for (bool recorded : {true, false}) {
        if (!recorded)
            QVERIFY(QFile::remove(DataFileMaintenance::recordFile(damaged)));
        try {
            m.restore(damaged);
            QFAIL("a spliced backup was restored");
        } catch (const StoreError &error) {
            QVERIFY2(error.description().contains(QDir::toNativeSeparators(damaged)), qPrintable(error.description()));
            QCOMPARE(error.code(), int(SQLITE_CORRUPT));
        }
        QCOMPARE(fileHash(t.folder.dataFile()), before);
        QCOMPARE(leftovers(t.path()), QStringList());
    }
    for (bool recorded : {true, false}) {
        if (!recorded)
            QVERIFY(QFile::remove(DataFileMaintenance::recordFile(newer)));
        m.restore(newer);
        QCOMPARE(entries(t.data), atBackup);
    }
}

void BackupTest::compactionShrinksTheFileAndKeepsEverything()
{
    TestFolder t;
    t.loginAsAdmin();
    addEntries(t, 3000, QString(400, u'备'));
    t.data.exec(QStringLiteral("delete from jizhang where id > 60"));
    t.data.exec(QStringLiteral("update 系统设置 set 字体='Serif' where id=1"));
    const QStringList kept = entries(t.data);
    t.data.close();
    const qint64 before = QFileInfo(t.folder.dataFile()).size();
    // A scratch file left from an earlier run is replaced.
    QFile stale(t.path() + QStringLiteral("/temp.mdb"));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write(QByteArray(5000, 'z'));
    stale.close();

    MainWindow w(t.context);
    // Answered No (the default): nothing happens.
    w.commands().action(Command::Compact)->trigger();
    QCOMPARE(t.prompt.shown.size(), 1);
    QCOMPARE(t.prompt.last().title, QStringLiteral("问题"));
    QCOMPARE(t.prompt.last().buttons, Prompt::Buttons::YesNo);
    QCOMPARE(t.prompt.last().defaultAnswer, Prompt::Answer::No);
    QVERIFY(t.prompt.lastText().startsWith(QStringLiteral("请您确认压缩您现在使用的数据文件？")));
    QCOMPARE(QFileInfo(t.folder.dataFile()).size(), before);

    t.prompt.reset();
    t.prompt.answers << Prompt::Answer::Yes << Prompt::Answer::Ok;
    w.commands().action(Command::Compact)->trigger();
    QCOMPARE(t.prompt.shown.size(), 2);
    QCOMPARE(t.prompt.lastText(), CompactDone);
    QCOMPARE(t.prompt.last().title, QStringLiteral("注意"));
    QCOMPARE(t.prompt.last().icon, Prompt::Icon::Warning);
    const qint64 after = QFileInfo(t.folder.dataFile()).size();
    QVERIFY2(after * 4 < before, qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(after)));
    QCOMPARE(leftovers(t.path()), QStringList());

    // The compacted file is the data file: same key, rows, settings, version and counters.
    QCOMPARE(entries(t.data), kept);
    QCOMPARE(setting(t.data, QStringLiteral("字体")), QStringLiteral("Serif"));
    Statement version = t.data.query(QStringLiteral("PRAGMA user_version"));
    QVERIFY(version.step());
    QCOMPARE(int(version.integer(0)), Schema::Version);
    const qint64 id = t.addEntry(t.session.CurrentAccountSetId, "2011-01-01", "收入", "1");
    QVERIFY2(id > 3000, qPrintable(QString::number(id)));
    Statement index = t.data.query(QStringLiteral("select count(*) from sqlite_master where type='index' and name='jizhang_muluID_data'"));
    QVERIFY(index.step());
    QCOMPARE(index.integer(0), 1);
    QCOMPARE(w.panelText(3), QStringLiteral("共：60 条记录"));
}

void BackupTest::compactionFailureLeavesTheDataFileAlone()
{
    TestFolder t;
    t.loginAsAdmin();
    addEntries(t, 30, QStringLiteral("x"));
    MainWindow w(t.context);
    t.data.close();
    const QByteArray before = fileHash(t.folder.dataFile());

    // The scratch file cannot be made (a folder holds its name).
    QVERIFY(QDir(t.path()).mkdir(QStringLiteral("temp.mdb")));
    t.prompt.answers << Prompt::Answer::Yes;
    w.commands().action(Command::Compact)->trigger();
    QCOMPARE(t.prompt.shown.size(), 2);
    verifyErrorReport(t.prompt.last());
    QCOMPARE(fileHash(t.folder.dataFile()), before);
    QCOMPARE(entries(t.data).size(), 30);
    QVERIFY(QDir(t.path() + QStringLiteral("/temp.mdb")).exists());

    // A data file that does not open as one is reported and left as it is.
    QVERIFY(QDir(t.path()).rmdir(QStringLiteral("temp.mdb")));
    t.data.close();
    QFile bad(t.folder.dataFile());
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(8192, 'q'));
    bad.close();
    const QByteArray badHash = fileHash(t.folder.dataFile());
    t.prompt.reset();
    t.prompt.answers << Prompt::Answer::Yes;
    w.commands().action(Command::Compact)->trigger();
    verifyErrorReport(t.prompt.last());
    QCOMPARE(fileHash(t.folder.dataFile()), badHash);
    QCOMPARE(leftovers(t.path()), QStringList());

    // Without a data file there is nothing to compact and nothing is made.
    TestFolder empty;
    DataFileMaintenance maintenance(empty.data, empty.folder);
    QVERIFY(!maintenance.compactIntoScratch());
    QVERIFY(!QFile::exists(empty.folder.dataFile()));
    QVERIFY(!QFile::exists(maintenance.scratchFile()));
}

void BackupTest::automaticBackupOnExitLogoutAndClose()
{
    TestFolder t;
    t.loginAsAdmin();
    DataFileMaintenance(t.data, t.folder).setAutoBackup(true);
    const QString daily = t.folder.plugIns() + u'/' + QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".mdb");
    auto backups = [&] { return QDir(t.folder.plugIns()).entryList({QStringLiteral("*.mdb")}, QDir::Files | QDir::Hidden); };

    {
        MainWindow w(t.context);
        t.addEntry(t.session.CurrentAccountSetId, "2008-01-01", "收入", "1");
        t.prompt.answers << Prompt::Answer::Yes;
        w.commands().action(Command::Exit)->trigger();
    }
    QCOMPARE(entriesOf(daily).size(), 1);
    {
        MainWindow w(t.context);
        t.addEntry(t.session.CurrentAccountSetId, "2008-01-02", "收入", "2");
        t.prompt.answers << Prompt::Answer::Ok;
        w.commands().button(Command::Logout)->trigger();
    }
    QCOMPARE(entriesOf(daily).size(), 2);
    {
        MainWindow w(t.context);
        w.show();
        t.addEntry(t.session.CurrentAccountSetId, "2008-01-03", "收入", "3");
        w.close();
    }
    QCOMPARE(entriesOf(daily), entries(t.data));
    QCOMPARE(backups(), QStringList{QFileInfo(daily).fileName()});
    QVERIFY(t.prompt.texts().size() == 2);  // the two questions, nothing about the copies
}

void BackupTest::automaticBackupOffOrWithoutPlugInsMakesNothing()
{
    TestFolder t;
    t.loginAsAdmin();
    DataFileMaintenance(t.data, t.folder).setAutoBackup(false);  // new files start with it on
    {
        MainWindow w(t.context);
        t.prompt.answers << Prompt::Answer::Yes;
        w.commands().button(Command::Exit)->trigger();
    }
    QCOMPARE(QDir(t.folder.plugIns()).entryList(QDir::Files | QDir::Hidden), QStringList());

    DataFileMaintenance(t.data, t.folder).setAutoBackup(true);
    QVERIFY(QDir(t.folder.plugIns()).removeRecursively());
    {
        MainWindow w(t.context);
        w.show();
        w.close();
    }
    QVERIFY(!QDir(t.folder.plugIns()).exists());
    QCOMPARE(t.prompt.texts().size(), 1);
}

void BackupTest::settingsWindowSwitchesTheAutomaticBackup()
{
    TestFolder t;
    t.loginAsAdmin();
    DataFileMaintenance(t.data, t.folder).setAutoBackup(false);  // new files start with it on
    {
        SettingsWindow s(t.context);
        auto *box = s.findChild<QCheckBox *>("Check1");
        QVERIFY(!box->isChecked());
        box->click();
        QCOMPARE(setting(t.data, QStringLiteral("自动备份")), QStringLiteral("1"));
    }
    {
        SettingsWindow s(t.context);
        auto *box = s.findChild<QCheckBox *>("Check1");
        QVERIFY(box->isChecked());
        box->click();
        QCOMPARE(setting(t.data, QStringLiteral("自动备份")), QStringLiteral("0"));
    }
    // The menu item opens it modally over the main window.
    MainWindow w(t.context);
    QString opened;
    QTimer::singleShot(0, [&] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            opened = modal->windowTitle();
            modal->close();
        }
    });
    w.commands().action(Command::Settings)->trigger();
    QCOMPARE(opened, QStringLiteral("系统设置"));

    // A switch that cannot be stored is reported, and the box shows what is stored.
    SettingsWindow s(t.context);
    t.data.close();
    QFile bad(t.folder.dataFile());
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("broken");
    bad.close();
    auto *box = s.findChild<QCheckBox *>("Check1");
    box->click();
    verifyErrorReport(t.prompt.last());
    QVERIFY(!box->isChecked());
}

TALLYRA_TEST(BackupTest)
#include "tst_backup.moc"
