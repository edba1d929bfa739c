// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"
#include "core/sha256.h"
#include "app/main_window.h"
#include "maintenance/data_file_maintenance.h"
#include "maintenance/passphrase_window.h"

#include <sqlcipher/sqlite3.h>

#include "support/test_main.h"
#include "safety_helpers.h"

// The data file's own passphrase: set, asked for, removed; the backups it covers, the
// restores it survives, and the full cost of its key.
class PassphraseTest : public QObject {
    Q_OBJECT
private slots:
    void passphraseSetAskedAndRemoved();
    void passphraseCoversBackupsAndSurvivesRestore();
    void olderPassphraseFilesGetTheFullCost();
};

void PassphraseTest::passphraseSetAskedAndRemoved()
{
    TestFolder t;
    t.loginAsAdmin();
    addEntries(t, 5);

    // Set in the window: typed twice alike, then the file opens with it only.
    {
        PassphraseWindow window(t.context);
        QVERIFY(!window.findChild<QLineEdit *>("Text1"));
        window.findChild<QLineEdit *>("Text2")->setText(QStringLiteral("我的'密码"));
        window.findChild<QLineEdit *>("Text3")->setText(QStringLiteral("我的'密码x"));
        QTest::mouseClick(window.findChild<QPushButton *>("Command1"), Qt::LeftButton);
        QCOMPARE(t.prompt.lastText(), QStringLiteral("两次输入的新密码不一样，请重新输入。"));
        window.findChild<QLineEdit *>("Text3")->setText(QStringLiteral("我的'密码"));
        QTest::mouseClick(window.findChild<QPushButton *>("Command1"), Qt::LeftButton);
        QVERIFY(t.prompt.lastText().startsWith(QStringLiteral("数据文件密码已经设置")));
    }
    QCOMPARE(count(t.data), 5);
    t.data.close();
    QVERIFY(!DataFile(t.folder.dataFile()).passphraseOpens(QString()));
    QVERIFY(DataFile(t.folder.dataFile()).passphraseOpens(QStringLiteral("我的'密码")));
    const QByteArray locked = fileHash(t.folder.dataFile());

    // At start the passphrase is asked for before the login window; a wrong one is
    // refused and leaves the file as it was; without one the file is named as unopened.
    {
        ScriptedPrompt prompt;
        prompt.typed << QStringLiteral("wrong") << std::nullopt;
        Application app(t.folder, prompt, t.launcher);
        app.session().passphraseDelay.setClock(t.clock());
        app.start();
        QCOMPARE(prompt.shown.size(), 3);
        QCOMPARE(prompt.shown[0].kind, QStringLiteral("text"));
        QCOMPARE(prompt.shown[0].title, QStringLiteral("数据文件密码"));
        QVERIFY(prompt.shown[1].text.startsWith(QStringLiteral("密码不对")));
        verifyErrorReport(prompt.last(), SQLITE_NOTADB);
        QVERIFY(prompt.lastText().contains(QStringLiteral("数据文件设置了密码")));
        typeLogin(*app.loginWindow(), QStringLiteral("admin"), QStringLiteral("admin"));
        QVERIFY(!app.mainWindow());
    }
    QCOMPARE(fileHash(t.folder.dataFile()), locked);
    {
        ScriptedPrompt prompt;
        prompt.typed << QStringLiteral("我的'密码");
        Application app(t.folder, prompt, t.launcher);
        app.session().passphraseDelay.setClock(t.clock());
        app.session().passwordDelay.setClock(t.clock());
        app.start();
        QCOMPARE(prompt.shown.size(), 1);
        typeLogin(*app.loginWindow(), QStringLiteral("admin"), QStringLiteral("admin"));
        QCOMPARE(app.mainWindow()->panelText(3), QStringLiteral("共：5 条记录"));

        // Removed again: the current one is asked for, and the built-in key is back.
        PassphraseWindow window(app.context());
        window.findChild<QLineEdit *>("Text1")->setText(QStringLiteral("wrong"));
        QTest::mouseClick(window.findChild<QPushButton *>("Command1"), Qt::LeftButton);
        QCOMPARE(prompt.lastText(), QStringLiteral("当前的数据文件密码不对，请重新输入。"));
        window.findChild<QLineEdit *>("Text1")->setText(QStringLiteral("我的'密码"));
        QTest::mouseClick(window.findChild<QPushButton *>("Command1"), Qt::LeftButton);
        QVERIFY(prompt.lastText().startsWith(QStringLiteral("数据文件密码已经取消")));
        app.mainWindow()->hide();
    }
    t.data.setPassphrase(QString());
    QCOMPARE(count(t.data), 5);
}

// A passphrase covers the automatic backups made before it (re-keyed, or deleted when
// the user prefers), and survives restoring a backup made under another key.
void PassphraseTest::passphraseCoversBackupsAndSurvivesRestore()
{
    TestFolder t;
    t.loginAsAdmin();
    addEntries(t, 7);
    DataFileMaintenance m(t.data, t.folder);
    const QDate day(2024, 5, 1);
    QVERIFY(m.automaticBackup(day) && m.automaticBackup(day.addDays(1)));
    const QStringList automatic{m.automaticBackupFile(day), m.automaticBackupFile(day.addDays(1))};
    const QString builtIn = t.path() + QStringLiteral("/built-in.mdb");
    m.backup(builtIn);
    auto opensWith = [](const QString &file, const QString &passphrase) {
        Database db;
        return DataFile::openKeyed(db, file, Database::Mode::ReadOnly, passphrase);
    };
    auto setPassphrase = [&](const QString &current, const QString &fresh) {
        PassphraseWindow window(t.context);
        if (!current.isEmpty())
            window.findChild<QLineEdit *>("Text1")->setText(current);
        window.findChild<QLineEdit *>("Text2")->setText(fresh);
        window.findChild<QLineEdit *>("Text3")->setText(fresh);
        QTest::mouseClick(window.findChild<QPushButton *>("Command1"), Qt::LeftButton);
    };

    // Set: the two older backups are named and keyed anew at the full cost, with new
    // records; the data file too.
    t.prompt.answers << Prompt::Answer::Ok << Prompt::Answer::Yes;
    setPassphrase(QString(), QStringLiteral("old"));
    QVERIFY(t.prompt.shown[1].text.contains(QStringLiteral("2个以前的自动备份不用新密码也能打开")));
    QCOMPARE(t.prompt.shown.size(), 2);
    for (const QString &file : automatic) {
        QCOMPARE(opensWith(file, QString()), 0);
        QCOMPARE(opensWith(file, QStringLiteral("old")), int(DataFile::KdfIterations));
        QCOMPARE(DataFileMaintenance::recordedDigest(file), Sha256::ofFile(file));
    }
    QCOMPARE(t.data.kdf(), int(DataFile::KdfIterations));
    QVERIFY(m.backupsUnderOtherKeys().isEmpty());

    // Changed, and the re-keying declined: the user is told plainly and may delete them.
    const QString withOld = t.path() + QStringLiteral("/with-old.mdb");
    m.backup(withOld);
    addEntries(t, 3);
    t.prompt.reset();
    t.prompt.answers << Prompt::Answer::Ok << Prompt::Answer::No << Prompt::Answer::Yes;
    setPassphrase(QStringLiteral("old"), QStringLiteral("new"));
    QVERIFY(t.prompt.shown[2].text.contains(QStringLiteral("2个旧备份仍然不用新密码就能打开")));
    QCOMPARE(t.prompt.lastText(), QStringLiteral("已经删除2个旧备份。"));
    for (const QString &file : automatic)
        QVERIFY(!QFileInfo::exists(file) && !QFileInfo::exists(DataFileMaintenance::recordFile(file)));

    // Restoring a backup of another passphrase asks for it; wrong ones are asked again,
    // then refused, and the data file stays as it was.
    MainWindow w(t.context);
    t.data.close();
    const QByteArray before = fileHash(t.folder.dataFile());
    t.prompt.reset();
    t.prompt.files << withOld;
    t.prompt.answers << Prompt::Answer::Yes;
    t.prompt.typed << QStringLiteral("new") << std::nullopt;
    w.commands().action(Command::Restore)->trigger();
    QCOMPARE(t.prompt.shown[2].kind, QStringLiteral("text"));
    QVERIFY(t.prompt.shown[3].text.startsWith(QStringLiteral("密码不对")));
    verifyErrorReport(t.prompt.last(), SQLITE_NOTADB);
    QCOMPARE(fileHash(t.folder.dataFile()), before);

    // With the right one (or none needed: the built-in key) the backup comes back, and the
    // books keep their passphrase, which the user is told.
    for (const QString &backup : {withOld, builtIn}) {
        t.prompt.reset();
        t.prompt.files << backup;
        t.prompt.answers << Prompt::Answer::Yes;
        t.prompt.typed << QStringLiteral("old");
        w.commands().action(Command::Restore)->trigger();
        QVERIFY(t.prompt.shown.at(t.prompt.shown.size() - 2).text.startsWith(QStringLiteral("还原成功！")));
        QVERIFY(t.prompt.lastText().contains(QStringLiteral("仍然用现在的数据文件密码保护")));
        QCOMPARE(t.data.passphrase(), QStringLiteral("new"));
        QCOMPARE(count(t.data), 7);
        QCOMPARE(w.panelText(3), QStringLiteral("共：7 条记录"));
        t.data.close();
        QCOMPARE(opensWith(t.folder.dataFile(), QString()), 0);
        QCOMPARE(opensWith(t.folder.dataFile(), QStringLiteral("new")), int(DataFile::KdfIterations));
    }
}

// A file whose passphrase an older version set (its key derived at the cipher's default
// cost) opens with it and is keyed at the full cost on first use, nothing lost.
void PassphraseTest::olderPassphraseFilesGetTheFullCost()
{
    TestFolder t;
    t.loginAsAdmin();
    addEntries(t, 9);
    t.data.close();
    {
        Database db;
        QVERIFY(DataFile::openKeyed(db, t.folder.dataFile(), Database::Mode::ReadWrite, QString()) > 0);
        db.rekey(QByteArrayLiteral("旧版本的密码"));  // the cost stays the default
    }
    Database probe;
    QCOMPARE(DataFile::openKeyed(probe, t.folder.dataFile(), Database::Mode::ReadOnly, QStringLiteral("旧版本的密码")),
             int(DataFile::LegacyKdfIterations));
    probe.close();
    t.data.setPassphrase(QStringLiteral("旧版本的密码"));
    QCOMPARE(count(t.data), 9);
    QCOMPARE(t.data.kdf(), int(DataFile::KdfIterations));
    t.data.close();
    QCOMPARE(DataFile::openKeyed(probe, t.folder.dataFile(), Database::Mode::ReadOnly, QStringLiteral("旧版本的密码")),
             int(DataFile::KdfIterations));
    QCOMPARE(leftovers(t.path()), QStringList());
}


TALLYRA_TEST(PassphraseTest)
#include "tst_passphrase.moc"
