// SPDX-License-Identifier: GPL-3.0-or-later
#include "maintenance/data_file_maintenance.h"
#include "store/program_folder.h"
#include "support/test_folder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "support/test_main.h"

namespace {

using Source = ProgramFolder::Source;

// "a/b.txt" makes a file holding its own name, "a/b/" a folder.
void make(const QString &root, const QString &entry)
{
    if (entry.endsWith(u'/')) {
        QVERIFY(QDir(root).mkpath(entry));
        return;
    }
    QVERIFY(QDir(root).mkpath(QFileInfo(entry).path()));
    QFile file(root + u'/' + entry);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(entry.toUtf8());
}

QString contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("(missing)");
}

// The files and the empty folders (with a trailing "/") under root, relative to it, with
// "~" standing for the per-user folder home/Tallyra.
QStringList tree(const QString &root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QString rel = QDir(root).relativeFilePath(it.filePath()).replace(QStringLiteral("home/Tallyra"), QStringLiteral("~"));
        if (!it.fileInfo().isDir())
            entries << rel;
        else if (QDir(it.filePath()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
            entries << rel + u'/';
    }
    entries.sort();
    return entries;
}

const QString NoOption = QStringLiteral("(not given)");

} // namespace

class DataFolderTest : public QObject {
    Q_OBJECT
private slots:
    void dataFolderIsChosenAndNeverSwitchedSilently_data();
    void dataFolderIsChosenAndNeverSwitchedSilently();
    void installedFilesAreFoundBesideTheProgramOrInShare();
    void automaticBackupsKeepTheNewestThirtyDays();
};

void DataFolderTest::dataFolderIsChosenAndNeverSwitchedSilently_data()
{
    // In a fresh temporary folder: the executable's folder is "program", the per-user folder
    // "~" (home/Tallyra), the old doubled one "~/Tallyra".
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("data");     // the --data value, relative unless absolute
    QTest::addColumn<QString>("chosen");   // empty: refused, and nothing made or moved anywhere
    QTest::addColumn<int>("source");
    QTest::addColumn<QStringList>("after");

    const auto row = [](const char *name, const QStringList &existing, const QString &data, const QString &chosen,
                        Source source, const QStringList &after = {}) {
        QTest::newRow(name) << existing << data << chosen << int(source) << after;
    };
    const QStringList oldBooks{"~/Tallyra/vazuda.mdb", "~/Tallyra/vazuda.mdb-journal", "~/Tallyra/Plug-Ins/1.mdb"};
    row("per-user folder by default", {"program/tallyra"}, NoOption, "~", Source::PerUser,
        {"program/tallyra", "~/Plug-Ins/"});
    row("books beside the program: portable", {"program/vazuda.mdb"}, NoOption, "program", Source::ProgramFolder,
        {"program/Plug-Ins/", "program/vazuda.mdb"});
    row("--data wins over books beside the program", {"program/vazuda.mdb"}, "books", "books", Source::CommandLine,
        {"books/Plug-Ins/", "program/vazuda.mdb"});
    row("--data folder made with its parents", {}, "a/b/c/", "a/b/c", Source::CommandLine, {"a/b/c/Plug-Ins/"});
    row("--data names a file", {"notes.txt"}, "notes.txt", "", Source::Refused);
    row("--data below a file", {"notes.txt"}, "notes.txt/books", "", Source::Refused);
    row("--data cannot be made", {"program/vazuda.mdb"}, "/proc/tallyra-none/books", "", Source::Refused);
    row("--data cannot be written", oldBooks, "/proc", "", Source::Refused);
    row("--data without a folder", {}, " ", "", Source::Refused);
    row("old books move up with Plug-Ins", oldBooks, NoOption, "~", Source::PerUser,
        {"~/Plug-Ins/1.mdb", "~/vazuda.mdb", "~/vazuda.mdb-journal"});
    row("old folder keeps what is not the books", {"~/Tallyra/vazuda.mdb", "~/Tallyra/vazuda.gif", "~/Plug-Ins/"},
        NoOption, "~", Source::PerUser, {"~/Plug-Ins/", "~/Tallyra/vazuda.gif", "~/vazuda.mdb"});
    row("old books used where they are when Plug-Ins cannot move", oldBooks + QStringList{"~/Plug-Ins/b.bmp"},
        NoOption, "~/Tallyra", Source::OldPerUser, oldBooks + QStringList{"~/Plug-Ins/b.bmp"});
    row("old books left beside new books", {"~/vazuda.mdb", "~/Tallyra/vazuda.mdb"}, NoOption, "~",
        Source::PerUser, {"~/Plug-Ins/", "~/Tallyra/vazuda.mdb", "~/vazuda.mdb"});
    row("old books left beside portable books", {"program/vazuda.mdb", "~/Tallyra/vazuda.mdb"}, NoOption, "program",
        Source::ProgramFolder, {"program/Plug-Ins/", "program/vazuda.mdb", "~/Tallyra/vazuda.mdb"});
}

void DataFolderTest::dataFolderIsChosenAndNeverSwitchedSilently()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, data);
    QFETCH(QString, chosen);
    QFETCH(int, source);
    QFETCH(QStringList, after);
    after.sort();

    QTemporaryDir dir;
    const QString root = dir.path();
    const auto full = [&](QString rel) { return root + u'/' + rel.replace(u'~', QStringLiteral("home/Tallyra")); };
    for (const QString &entry : existing)
        make(root, QString(entry).replace(u'~', QStringLiteral("home/Tallyra")));
    const QStringList before = tree(root);

    std::optional<QString> option;
    if (data != NoOption)
        option = data.startsWith(u'/') || data.trimmed().isEmpty() ? data : root + u'/' + data;
    const ProgramFolder::Choice choice =
        ProgramFolder::chooseDataFolder(root + QStringLiteral("/program"), option, full(QStringLiteral("~")));

    QCOMPARE(int(choice.source), source);
    if (chosen.isEmpty()) {
        QVERIFY(choice.path.isEmpty() && !choice.error.isEmpty());
        QCOMPARE(tree(root), before);
        return;
    }
    QVERIFY2(choice.error.isEmpty(), qPrintable(choice.error));
    QCOMPARE(choice.path, full(chosen));
    QCOMPARE(tree(root), after);
    // Moved books are the same bytes.
    const bool moves = source == int(Source::PerUser) && existing.contains(QStringLiteral("~/Tallyra/vazuda.mdb"))
                       && !existing.contains(QStringLiteral("~/vazuda.mdb"));
    QCOMPARE(choice.movedFrom, moves ? full(QStringLiteral("~/Tallyra")) : QString());
    if (moves)
        QCOMPARE(contents(ProgramFolder(choice.path).dataFile()), QStringLiteral("home/Tallyra/Tallyra/vazuda.mdb"));
}

void DataFolderTest::installedFilesAreFoundBesideTheProgramOrInShare()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    for (const char *entry : {"build/vazuda.gif", "build/Plug-Ins/update.html", "usr/bin/tallyra",
                              "usr/share/tallyra/help/index.html", "data/vazuda.gif", "data/help/index.html"})
        make(root, QString::fromLatin1(entry));
    // A build tree has them beside the program, an installation in share/tallyra; the data
    // folder is never searched.
    const ProgramFolder build(root + QStringLiteral("/data"), root + QStringLiteral("/build"));
    QCOMPARE(build.installed(QStringLiteral("\\Plug-Ins\\update.html")), root + QStringLiteral("/build/Plug-Ins/update.html"));
    QCOMPARE(build.installed(QStringLiteral("help/index.html")), QString());
    const ProgramFolder installed(root + QStringLiteral("/data"), root + QStringLiteral("/usr/bin"));
    QCOMPARE(installed.installed(QStringLiteral("help/index.html")), root + QStringLiteral("/usr/share/tallyra/help/index.html"));
    QCOMPARE(installed.installed(QStringLiteral("vazuda.gif")), QString());
    // Portable: one folder for both. Without a per-user folder nothing is chosen.
    QCOMPARE(ProgramFolder(root + QStringLiteral("/data")).installed(QStringLiteral("vazuda.gif")),
             root + QStringLiteral("/data/vazuda.gif"));
    QCOMPARE(ProgramFolder::chooseDataFolder(root + QStringLiteral("/usr/bin"), std::nullopt, QString()).source,
             Source::Refused);
}

void DataFolderTest::automaticBackupsKeepTheNewestThirtyDays()
{
    TestFolder t;
    t.loginAsAdmin();
    const QString plugIns = t.folder.plugIns();
    // 35 earlier days up to yesterday, files that are no automatic backups, a folder and a link.
    const QDate today = QDate::currentDate();
    QStringList days;
    for (int i = 35; i >= 1; --i)
        days << DataFileMaintenance::backupName(today.addDays(-i));
    const QStringList others{"20241399.mdb", "2024010.mdb", "20240101.mdb.bak", "20200101.MDB", "x20200101.mdb"};
    for (const QString &name : days + others + QStringList{"20190101.mdb/"})
        make(plugIns, name);
    QVERIFY(QFile::link(plugIns + u'/' + others[0], plugIns + QStringLiteral("/20190102.mdb")));
    const QStringList before = tree(plugIns);
    const auto files = [&](const QStringList &daily) {
        QStringList names = daily + others + QStringList{"20190101.mdb/", "20190102.mdb"};
        names.sort();
        return names;
    };

    // When no copy is made, nothing is removed.
    t.data.close();
    QVERIFY(QFile::rename(t.folder.dataFile(), t.path() + QStringLiteral("/good.mdb")));
    make(t.path(), QStringLiteral("vazuda.mdb"));
    QVERIFY(!DataFileMaintenance(t.data, t.folder).automaticBackup(today));
    QCOMPARE(tree(plugIns), before);
    QVERIFY(QFile::remove(t.folder.dataFile()) && QFile::rename(t.path() + QStringLiteral("/good.mdb"), t.folder.dataFile()));

    // The copy of the day, and the newest 30 only; a second exit that day removes no more.
    QVERIFY(DataFileMaintenance(t.data, t.folder).automaticBackup(today));
    // The day's copy comes with its record.
    const QStringList made{DataFileMaintenance::backupName(today), DataFileMaintenance::backupName(today) + ".sha256"};
    QCOMPARE(tree(plugIns), files(days.mid(6) + made));
    QVERIFY(DataFileMaintenance(t.data, t.folder).automaticBackup(today));
    QCOMPARE(tree(plugIns), files(days.mid(6) + made));
    QCOMPARE(DataFileMaintenance::keepNewestAutomaticBackups(plugIns, 2), days.mid(6, 28));
}

TALLYRA_TEST(DataFolderTest)
#include "tst_data_folder.moc"
