// SPDX-License-Identifier: GPL-3.0-or-later
// Crashes and faults around the data file: damaged copies, a second program, locks left
// by others, read-only folders, leftovers of a killed run, file modes and passphrases.
// Whatever goes wrong, the data file stays byte for byte as it was.
#include "app/application.h"
#include "app/main_window.h"
#include "ledger/ledger.h"
#include "maintenance/data_file_maintenance.h"
#include "store/page_check.h"
#include "store/schema.h"
#include "support/read_only.h"
#include "support/test_folder.h"
#include "users/login_window.h"

#include <sqlcipher/sqlite3.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/test_main.h"
#include "safety_helpers.h"

namespace {

// Another program writing the file (the sqlcipher shell, say), killed in the middle of
// a large write: the file holds half of it and a hot journal the other half's undo.
void killedWriter(const QString &path, int set)
{
    const pid_t child = ::fork();
    if (child == 0) {
        sqlite3 *db = nullptr;
        sqlite3_open(path.toUtf8().constData(), &db);
        sqlite3_exec(db, "PRAGMA key = 'qmx4172'; PRAGMA cipher_page_size = 4096; PRAGMA cache_size = 2; BEGIN IMMEDIATE",
                     nullptr, nullptr, nullptr);
        const QByteArray insert = QStringLiteral("insert into jizhang (data, t1, t5, content, muluID) "
                                                 "values ('2010-01-01', '支出', '1', hex(randomblob(200)), %1)")
                                      .arg(set)
                                      .toUtf8();
        for (int i = 0; i < 300; ++i)
            sqlite3_exec(db, insert.constData(), nullptr, nullptr, nullptr);
        ::_exit(0);  // no commit, no clean-up
    }
    int status = 0;
    ::waitpid(child, &status, 0);
}

} // namespace

class DataFileSafetyTest : public QObject {
    Q_OBJECT
private slots:
    void damagedCopiesAreRefused_data();
    void damagedCopiesAreRefused();
    void secondConnectionWaitsAndLosesNothing();
    void journalsLeftBehindNeitherBlockNorHarm();
    void readOnlyFolderOpensThatFileReadOnly();
    void oldFileThatCannotBeWrittenIsRefused();
    void secondProgramIsTurnedAway();
    void leftoversOfAKilledRunAreRemoved();
    void filesAreTheOwnersAlone();
    void engineFailuresSpeakChinese();
};

void DataFileSafetyTest::damagedCopiesAreRefused_data()
{
    // A backup of the program's is refused by its record; without the record (a copy made
    // elsewhere) the file itself must show the damage. A damaged first page is told from
    // another key by the pages after it: no passphrase is asked for.
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("recorded");
    QTest::newRow("one byte of a middle page") << "middle" << true;
    QTest::newRow("a byte of the last page") << "last" << false;
    QTest::newRow("a page from elsewhere") << "moved page" << false;
    QTest::newRow("cut off at a page") << "cut page" << true;
    QTest::newRow("cut off within a page") << "cut byte" << false;
    QTest::newRow("first page") << "first" << false;
}

void DataFileSafetyTest::damagedCopiesAreRefused()
{
    QFETCH(QString, damage);
    QFETCH(bool, recorded);
    TestFolder t;
    t.loginAsAdmin();
    addEntries(t, 400);
    MainWindow w(t.context);
    const QString backup = t.path() + QStringLiteral("/damaged.mdb");
    DataFileMaintenance(t.data, t.folder).backup(backup);

    const qint64 size = QFileInfo(backup).size();
    const qint64 page = PageCheck::PageSize;
    QVERIFY(size > 20 * page);
    if (damage == QLatin1String("middle")) {
        changeBytes(backup, size / 2 + 77, QByteArray(1, '\x04'));
    } else if (damage == QLatin1String("last")) {
        changeBytes(backup, size - 200, QByteArray(1, '\x80'));
    } else if (damage == QLatin1String("moved page")) {
        QFile f(backup);
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.seek(3 * page);
        const QByteArray third = f.read(page);
        f.seek(5 * page);
        f.write(third);
    } else if (damage == QLatin1String("cut page") || damage == QLatin1String("cut byte")) {
        QVERIFY(QFile::resize(backup, size - (damage == QLatin1String("cut page") ? page : 1000)));
    } else {
        changeBytes(backup, 200, QByteArray(2, '\x11'));
    }
    QVERIFY(DataFileMaintenance::recordedDigest(backup).has_value());
    if (!recorded)
        QVERIFY(QFile::remove(DataFileMaintenance::recordFile(backup)));

    // Restored by the menu: refused, named, and the data file exactly as it was.
    t.data.close();
    const QByteArray before = fileHash(t.folder.dataFile());
    t.prompt.files << backup;
    t.prompt.answers << Prompt::Answer::Yes;
    w.commands().action(Command::Restore)->trigger();
    QCOMPARE(t.prompt.shown.size(), 3);
    verifyErrorReport(t.prompt.last());
    QVERIFY2(t.prompt.lastText().contains(QDir::toNativeSeparators(backup)), qPrintable(t.prompt.lastText()));
    QCOMPARE(fileHash(t.folder.dataFile()), before);
    QCOMPARE(leftovers(t.path()), QStringList());
    QCOMPARE(count(t.data), 400);

    // A data file damaged the same way is not backed up: the old backup stays.
    if (damage == QLatin1String("middle")) {
        const QString good = t.path() + QStringLiteral("/good.mdb");
        DataFileMaintenance(t.data, t.folder).backup(good);
        const QByteArray goodHash = fileHash(good);
        t.data.close();
        changeBytes(t.folder.dataFile(), QFileInfo(t.folder.dataFile()).size() / 2 + 77, QByteArray(1, '\x04'));
        try {
            DataFileMaintenance(t.data, t.folder).backup(good);
            QFAIL("a damaged copy was taken as a backup");
        } catch (const StoreError &error) {
            QVERIFY2(error.description().contains(QStringLiteral("没有通过检查")), qPrintable(error.description()));
        }
        QCOMPARE(fileHash(good), goodHash);
        QCOMPARE(leftovers(t.path()), QStringList());
    }
}

void DataFileSafetyTest::secondConnectionWaitsAndLosesNothing()
{
    TestFolder t;
    t.loginAsAdmin();
    addEntries(t, 30);
    t.data.setBusyTimeout(200);
    const QString backup = t.path() + QStringLiteral("/b.mdb");
    DataFileMaintenance(t.data, t.folder).backup(backup);

    // Another program is in the middle of a write: restore and compaction wait for it,
    // then give up in Chinese; nothing is replaced, and its write lands.
    Database other;
    other.open(t.folder.dataFile(), false);
    DataFile::applyKey(other);
    other.setBusyTimeout(200);
    const QString insert = QStringLiteral("insert into jizhang (data, t1, t5, muluID) values ('2011-01-01', '收入', '5', %1)")
                               .arg(t.session.CurrentAccountSetId);
    other.execute(QStringLiteral("BEGIN IMMEDIATE"));
    other.execute(insert);
    t.data.close();
    const QByteArray before = fileHash(t.folder.dataFile());
    for (int attempt = 0; attempt < 2; ++attempt) {
        DataFileMaintenance m(t.data, t.folder);
        try {
            if (attempt == 0)
                m.restore(backup);
            else
                m.compactIntoScratch();
            QFAIL("the file was replaced under another program's write");
        } catch (const StoreError &error) {
            QCOMPARE(error.code() & 0xFF, SQLITE_BUSY);
            QVERIFY2(error.description().startsWith(QStringLiteral("数据文件正被其它程序使用")), qPrintable(error.description()));
        }
    }
    QCOMPARE(fileHash(t.folder.dataFile()), before);
    QCOMPARE(leftovers(t.path()), QStringList{QStringLiteral("vazuda.mdb-journal")});
    other.execute(QStringLiteral("COMMIT"));
    QCOMPARE(count(t.data), 31);

    // From the first copy to the rename compaction holds the file: the other program's
    // write waits and is refused instead of landing in a file about to be replaced.
    {
        DataFileMaintenance m(t.data, t.folder);
        QVERIFY(m.compactIntoScratch());
        QVERIFY_THROWS_EXCEPTION(StoreError, other.execute(insert));
        m.replaceWithScratch();
    }
    QCOMPARE(count(t.data), 31);
    // Its connection still reads the old, replaced file; a write there fails loudly.
    try {
        other.execute(insert);
        QFAIL("a write went into the replaced file");
    } catch (const StoreError &error) {
        QCOMPARE(error.code() & 0xFF, SQLITE_READONLY);
        QVERIFY(error.description().startsWith(QStringLiteral("数据文件不能写入")));
    }
    QCOMPARE(count(t.data), 31);
}

void DataFileSafetyTest::journalsLeftBehindNeitherBlockNorHarm()
{
    TestFolder t;
    t.loginAsAdmin();
    addEntries(t, 30);
    const QString backup = t.path() + QStringLiteral("/b.mdb");
    DataFileMaintenance(t.data, t.folder).backup(backup);
    const QString journal = t.folder.dataFile() + QStringLiteral("-journal");

    // A journal that a crash left empty: compaction and restore go ahead and remove it.
    t.data.close();
    QFile stale(journal);
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write(QByteArray(512, '\0'));
    stale.close();
    DataFileMaintenance m(t.data, t.folder);
    QVERIFY(m.compactIntoScratch());
    m.replaceWithScratch();
    QVERIFY(!QFile::exists(journal));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write(QByteArray(512, '\0'));
    stale.close();
    m.restore(backup);
    QVERIFY(!QFile::exists(journal));
    QCOMPARE(count(t.data), 30);

    // A program killed in the middle of a write: its journal is played back first, so
    // that neither compaction nor a backup ever sees half of that write.
    t.data.close();
    killedWriter(t.folder.dataFile(), t.session.CurrentAccountSetId);
    QVERIFY(QFile::exists(journal));
    QVERIFY(m.compactIntoScratch());
    m.replaceWithScratch();
    QVERIFY(!QFile::exists(journal));
    QCOMPARE(count(t.data), 30);
    Statement check = t.data.query(QStringLiteral("PRAGMA integrity_check"));
    QVERIFY(check.step());
    QCOMPARE(check.text(0), QStringLiteral("ok"));
    QCOMPARE(leftovers(t.path()), QStringList());
}

void DataFileSafetyTest::readOnlyFolderOpensThatFileReadOnly()
{
    TestFolder t;
    t.loginAsAdmin();
    addEntries(t, 12);
    t.data.close();
    const QStringList filesBefore = QDir(t.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    const QByteArray before = fileHash(t.folder.dataFile());
    {
        ReadOnly folder(t.path());
        if (!folder.isEffective())
            QSKIP("this file system cannot make a folder read-only for this user");

        // The program opens that very file, says why nothing can be saved, and lets the
        // user log in and read.
        Application app(t.folder, t.prompt, t.launcher);
        app.start();
        QCOMPARE(t.prompt.shown.size(), 1);
        verifyErrorReport(t.prompt.last(), SQLITE_READONLY);
        QVERIFY2(t.prompt.lastText().contains(QDir::toNativeSeparators(t.path())), qPrintable(t.prompt.lastText()));
        QVERIFY(t.prompt.lastText().contains(QStringLiteral("所有修改都不能保存")));
        QVERIFY(app.data().isReadOnly());
        typeLogin(*app.loginWindow(), QStringLiteral("admin"), QStringLiteral("admin"));
        QVERIFY(app.mainWindow());
        QCOMPARE(app.mainWindow()->panelText(3), QStringLiteral("共：12 条记录"));

        // Every write is refused with a Chinese message.
        Ledger ledger(app.data());
        LedgerEntry entry{0, QStringLiteral("2009-01-01"), QStringLiteral("收入"), {}, {}, {}, QStringLiteral("3"), {}};
        QVERIFY_THROWS_EXCEPTION(StoreError, ledger.addEntry(entry, t.session.CurrentAccountSetId));
        try {
            ledger.deleteEntry(1);
            QFAIL("a delete went through");
        } catch (const StoreError &error) {
            QCOMPARE(error.code(), SQLITE_READONLY);
            QVERIFY2(error.description().startsWith(QStringLiteral("数据文件是只读的，修改不能保存")),
                     qPrintable(error.description()));
        }
        QVERIFY_THROWS_EXCEPTION(StoreError, DataFileMaintenance(app.data(), t.folder).setAutoBackup(true));
        QVERIFY_THROWS_EXCEPTION(StoreError, app.data().changePassphrase(QStringLiteral("x")));
        t.prompt.reset();
        t.prompt.answers << Prompt::Answer::Yes;
        app.mainWindow()->commands().action(Command::Compact)->trigger();
        verifyErrorReport(t.prompt.last(), SQLITE_READONLY);
        app.mainWindow()->hide();
    }
    QCOMPARE(fileHash(t.folder.dataFile()), before);
    QCOMPARE(QDir(t.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), filesBefore);

    // A data file that cannot be written in a folder that can: the same.
    {
        ReadOnly file(t.folder.dataFile());
        DataFile data(t.folder.dataFile());
        QCOMPARE(count(data), 12);
        QVERIFY(data.isReadOnly());
        QVERIFY(data.readOnlyReason().contains(QDir::toNativeSeparators(t.folder.dataFile())));
        QVERIFY_THROWS_EXCEPTION(StoreError, data.exec(QStringLiteral("delete from jizhang")));
    }
    QCOMPARE(fileHash(t.folder.dataFile()), before);
}

void DataFileSafetyTest::oldFileThatCannotBeWrittenIsRefused()
{
    // A file of version 2 lacks the recycle bin; read-only, it cannot gain it.
    TestFolder t;
    t.data.database().execute(QStringLiteral("drop table jizhang_bin; PRAGMA user_version = 2"));
    t.data.close();
    const QByteArray before = fileHash(t.folder.dataFile());
    {
        ReadOnly folder(t.path());
        if (!folder.isEffective())
            QSKIP("this file system cannot make a folder read-only for this user");
        DataFile data(t.folder.dataFile());
        try {
            data.OpenDataFile();
            QFAIL("an old file was used without its newer tables");
        } catch (const StoreError &error) {
            QCOMPARE(error.code(), SQLITE_READONLY);
            QVERIFY2(error.description().contains(QStringLiteral("旧版本")), qPrintable(error.description()));
            QVERIFY(error.description().contains(QDir::toNativeSeparators(t.path())));
        }
    }
    QCOMPARE(fileHash(t.folder.dataFile()), before);
    // Writable again, it is brought up to date on opening.
    QCOMPARE(count(t.data, QStringLiteral("select count(*) from jizhang_bin")), 0);
    QCOMPARE(count(t.data, QStringLiteral("PRAGMA user_version")), Schema::Version);
}

void DataFileSafetyTest::secondProgramIsTurnedAway()
{
    TestFolder t;
    Application first(t.folder, t.prompt, t.launcher);
    first.start();
    QVERIFY(first.loginWindow());
    t.data.close();

    ScriptedPrompt prompt;
    const QByteArray before = fileHash(t.folder.dataFile());
    auto second = std::make_unique<Application>(t.folder, prompt, t.launcher);
    QSignalSpy finished(second.get(), &Application::finished);
    second->start();
    QCOMPARE(prompt.shown.size(), 1);
    QCOMPARE(prompt.last().title, QStringLiteral("信息"));
    QCOMPARE(prompt.last().icon, Prompt::Icon::Information);
    QCOMPARE(prompt.lastText(), QStringLiteral("数据文件正被另一个Tallyra使用：") +
                                    QDir::toNativeSeparators(t.folder.dataFile()));
    QCOMPARE(finished.count(), 1);
    QVERIFY(!second->loginWindow());
    QCOMPARE(fileHash(t.folder.dataFile()), before);
    second.reset();

    // The hold moves with the file when a restore or compaction replaces it.
    typeLogin(*first.loginWindow(), QStringLiteral("admin"), QStringLiteral("admin"));
    DataFileMaintenance m(first.data(), t.folder);
    QVERIFY(m.compactIntoScratch());
    m.replaceWithScratch();
    Application third(t.folder, prompt, t.launcher);
    third.start();
    QVERIFY(prompt.lastText().startsWith(QStringLiteral("数据文件正被另一个Tallyra使用")));
    QVERIFY(!third.loginWindow());
    first.mainWindow()->hide();
}

void DataFileSafetyTest::leftoversOfAKilledRunAreRemoved()
{
    TestFolder t;
    t.data.OpenDataFile();
    t.data.close();
    const QStringList ours{".vazuda.mdb.Ab3dE9", ".vazuda.mdb.Ab3dE9-journal", "vazuda.mdb.new", "temp.mdb",
                           "temp.mdb-journal"};
    const QStringList others{".vazuda.mdb.toolong7", "vazuda.mdb.bak", "temp.mdbx", "notes.txt", ".vazuda.mdb.12345"};
    const QStringList ourBackups{".20240105.mdb.q1W2e3"};
    const QStringList otherBackups{"20240105.mdb", ".2024010.mdb.q1W2e3"};
    auto make = [](const QString &folder, const QStringList &names) {
        for (const QString &name : names) {
            QFile f(folder + u'/' + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("x");
        }
    };
    make(t.path(), ours + others);
    make(t.folder.plugIns(), ourBackups + otherBackups);
    // A backup into another folder killed midway: its listed staging copy goes, a listed
    // name that is no staging name of ours stays.
    const QString elsewhere = t.path() + QStringLiteral("/USB");
    QDir().mkpath(elsewhere);
    const QStringList ourCopies{".20240105.mdb.x9Y8z7", ".daten.mdb.sha256.Q1w2E3"}, notCopies{"20240105.mdb"};
    make(elsewhere, ourCopies + notCopies);
    {
        QFile list(DataFileMaintenance::pendingCopiesFile(t.folder.dataFile()));
        QVERIFY(list.open(QIODevice::WriteOnly));
        for (const QString &name : ourCopies + notCopies)
            list.write(QFile::encodeName(elsewhere + u'/' + name) + '\n');
    }
    auto present = [](const QString &folder, const QStringList &names) {
        QStringList found;
        for (const QString &name : names)
            if (QFile::exists(folder + u'/' + name))
                found << name;
        return found;
    };

    // Not while another program holds the file: they may be its files in the making.
    {
        DataFile holder(t.folder.dataFile());
        QVERIFY(holder.claim());
        Application app(t.folder, t.prompt, t.launcher);
        app.start();
        QCOMPARE(present(t.path(), ours), ours);
        QCOMPARE(present(t.folder.plugIns(), ourBackups), ourBackups);
    }
    Application app(t.folder, t.prompt, t.launcher);
    app.start();
    QCOMPARE(present(t.path(), ours), QStringList());
    QCOMPARE(present(t.folder.plugIns(), ourBackups), QStringList());
    QCOMPARE(present(t.path(), others), others);
    QCOMPARE(present(t.folder.plugIns(), otherBackups), otherBackups);
    QCOMPARE(present(elsewhere, ourCopies + notCopies), notCopies);
    QVERIFY(!QFile::exists(DataFileMaintenance::pendingCopiesFile(t.folder.dataFile())));
    QVERIFY(QFile::exists(t.folder.dataFile()));
}

void DataFileSafetyTest::filesAreTheOwnersAlone()
{
    TestFolder t;
    t.loginAsAdmin();
    t.data.OpenDataFile();
    QCOMPARE(mode(t.folder.dataFile()), 0600);
    addEntries(t, 20);
    DataFileMaintenance m(t.data, t.folder);
    const QString backup = t.path() + QStringLiteral("/b.mdb");
    m.backup(backup);
    QCOMPARE(mode(backup), 0600);
    m.setAutoBackup(true);
    QVERIFY(m.automaticBackup(QDate(2024, 1, 5)));
    QCOMPARE(mode(m.automaticBackupFile(QDate(2024, 1, 5))), 0600);
    QVERIFY(m.compactIntoScratch());
    QCOMPARE(mode(m.scratchFile()), 0600);
    m.replaceWithScratch();
    QCOMPARE(mode(t.folder.dataFile()), 0600);
    // A file the user opened up for others keeps what the user chose, through a restore.
    QVERIFY(::chmod(QFile::encodeName(t.folder.dataFile()).constData(), 0640) == 0);
    m.restore(backup);
    QCOMPARE(mode(t.folder.dataFile()), 0640);
    QCOMPARE(count(t.data), 20);
}

void DataFileSafetyTest::engineFailuresSpeakChinese()
{
    // Extended codes are described by their primary code; the engine's words stay beside
    // the Chinese cause, and a failure without a cause of ours keeps only the engine's.
    for (int code : {int(SQLITE_READONLY_DBMOVED), int(SQLITE_IOERR_WRITE), int(SQLITE_BUSY_SNAPSHOT)}) {
        const QString text = Database::describe(code, QStringLiteral("engine text"));
        QCOMPARE(text, Database::describe(code & 0xFF, QStringLiteral("engine text")));
        QVERIFY2(text.contains(QStringLiteral("engine text")) && text != QStringLiteral("engine text"), qPrintable(text));
    }
    QCOMPARE(Database::describe(SQLITE_CONSTRAINT, QStringLiteral("engine text")), QStringLiteral("engine text"));
}

TALLYRA_TEST(DataFileSafetyTest)
#include "tst_data_file_safety.moc"
