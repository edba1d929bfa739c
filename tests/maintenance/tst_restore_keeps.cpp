// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "maintenance/data_file_maintenance.h"
#include "support/test_folder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

#include "support/test_main.h"

namespace {

QStringList summaries(DataFile &data)
{
    QStringList texts;
    Statement st = data.query(QStringLiteral("select content from jizhang order by id"));
    while (st.step())
        texts << st.text(0);
    return texts;
}

} // namespace

class RestoreKeepsTest : public QObject {
    Q_OBJECT
private slots:
    void restoreKeepsACheckedCopyOfWhatItReplaces();
};

// 还原数据 keeps the data file it replaces as Plug-Ins/还原前-yyyymmdd-hhmmss.mdb, checked and
// with its record like every backup, and names it; without that copy nothing is restored.
void RestoreKeepsTest::restoreKeepsACheckedCopyOfWhatItReplaces()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    t.addEntry(set, "2026-11-01", "支出", "4500", "居住", "backed up");
    const QString backup = t.path() + QStringLiteral("/older.mdb");
    DataFileMaintenance(t.data, t.folder).backup(backup);
    t.addEntry(set, "2026-11-02", "支出", "30", "餐饮", "done since");
    MainWindow w(t.context);

    t.prompt.files << backup;
    t.prompt.answers << Prompt::Answer::Yes;
    w.commands().action(Command::Restore)->trigger();
    QCOMPARE(t.prompt.shown.first().kind, QStringLiteral("open"));
    QCOMPARE(t.prompt.shown.first().path, t.folder.plugIns());
    const QStringList kept = QDir(t.folder.plugIns()).entryList({QStringLiteral("还原前-*.mdb")});
    QCOMPARE(kept.size(), 1);
    QVERIFY2(QRegularExpression(QStringLiteral("^还原前-\\d{8}-\\d{6}\\.mdb$")).match(kept.first()).hasMatch(),
             qPrintable(kept.first()));
    const QString copy = t.folder.plugIns() + u'/' + kept.first();
    QCOMPARE(t.prompt.last().title, QStringLiteral("注意"));
    QVERIFY(t.prompt.lastText().endsWith(QStringLiteral("\r\n还原前的数据已保存为“%1”。").arg(QDir::toNativeSeparators(copy))));
    QCOMPARE(summaries(t.data), QStringList{QStringLiteral("backed up")});
    // The copy holds the work done since, proved by its record: it can be restored in turn.
    QVERIFY(DataFileMaintenance::recordedDigest(copy) == std::optional(fileHash(copy)));
    {
        DataFile old(copy);
        QCOMPARE(summaries(old), (QStringList{QStringLiteral("backed up"), QStringLiteral("done since")}));
    }

    // Two restores within one second keep two copies.
    DataFileMaintenance maintenance(t.data, t.folder);
    const QDateTime when(QDate(2026, 12, 9), QTime(8, 30, 5));
    const QString first = maintenance.restore(backup, {}, when).keptCopy;
    const QString second = maintenance.restore(backup, {}, when).keptCopy;
    QCOMPARE(QFileInfo(first).fileName(), QStringLiteral("还原前-20261209-083005.mdb"));
    QCOMPARE(QFileInfo(second).fileName(), QStringLiteral("还原前-20261209-083005-2.mdb"));
    QVERIFY(QFile::exists(first + QStringLiteral(".sha256")) && QFile::exists(second + QStringLiteral(".sha256")));

    // No copy, no restore: Plug-Ins is a file here, so the copy cannot be made. The data
    // file stays byte for byte as it was, and the error names the copy it could not make.
    t.addEntry(set, "2026-11-03", "收入", "1", "", "kept");
    t.data.close();
    const QByteArray before = fileHash(t.folder.dataFile());
    QVERIFY(QDir(t.folder.plugIns()).removeRecursively());
    QFile blocker(t.folder.plugIns());
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    t.prompt.reset();
    t.prompt.files << backup;
    t.prompt.answers << Prompt::Answer::Yes;
    w.commands().action(Command::Restore)->trigger();
    QCOMPARE(t.prompt.last().title, QStringLiteral("错误"));
    QCOMPARE(t.prompt.last().icon, Prompt::Icon::Critical);
    QVERIFY2(t.prompt.lastText().contains(QStringLiteral("所以没有还原")), qPrintable(t.prompt.lastText()));
    QVERIFY(t.prompt.lastText().contains(QStringLiteral("还原前-")));
    QCOMPARE(fileHash(t.folder.dataFile()), before);
    QCOMPARE(summaries(t.data).last(), QStringLiteral("kept"));
}

TALLYRA_TEST(RestoreKeepsTest)
#include "tst_restore_keeps.moc"
