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

// Every file and folder under root, relative to it, folders with a trailing "/".
QStringList tree(const QString &root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QString rel = QDir(root).relativeFilePath(it.filePath());
        entries << (it.fileInfo().isDir() ? rel + u'/' : rel);
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
    // Paths are relative to a fresh temporary folder: the executable's folder is "program",
    // the per-user folder "home/Tallyra" (its old doubled folder "home/Tallyra/Tallyra").
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("data");     // the --data value, relative unless absolute
    QTest::addColumn<QString>("perUser");  // empty: no per-user folder known
    QTest::addColumn<QString>("chosen");   // empty: refused, and nothing made anywhere
    QTest::addColumn<int>("source");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");

    const QString home = QStringLiteral("home/Tallyra");
    const QString old = QStringLiteral("home/Tallyra/Tallyra");
    const int refused = int(Source::Refused);

    QTest::newRow("per-user folder by default") << QStringList{"program/tallyra"} << NoOption << home << home
                                                << int(Source::PerUser) << QStringList{"home/Tallyra/Plug-Ins/"}
                                                << QStringList{"program/Plug-Ins/", "program/vazuda.mdb"};
    QTest::newRow("books beside the program: portable")
        << QStringList{"program/vazuda.mdb"} << NoOption << home << "program" << int(Source::ProgramFolder)
        << QStringList{"program/Plug-Ins/"} << QStringList{"home/"};
    QTest::newRow("--data wins over the books beside the program")
        << QStringList{"program/vazuda.mdb"} << "books" << home << "books" << int(Source::CommandLine)
        << QStringList{"books/Plug-Ins/"} << QStringList{"home/"};
    QTest::newRow("--data folder made with its parents")
        << QStringList{} << "a/b/c" << home << "a/b/c" << int(Source::CommandLine) << QStringList{"a/b/c/Plug-Ins/"}
        << QStringList{"home/"};
    QTest::newRow("--data existing folder with books")
        << QStringList{"books/vazuda.mdb"} << "books/" << home << "books" << int(Source::CommandLine)
        << QStringList{"books/vazuda.mdb"} << QStringList{"home/"};
    QTest::newRow("--data names a file") << QStringList{"notes.txt"} << "notes.txt" << home << "" << refused
                                         << QStringList{} << QStringList{};
    QTest::newRow("--data below a file") << QStringList{"notes.txt"} << "notes.txt/books" << home << "" << refused
                                         << QStringList{} << QStringList{};
    QTest::newRow("--data cannot be made") << QStringList{} << "/proc/tallyra-none/books" << home << "" << refused
                                           << QStringList{} << QStringList{};
    QTest::newRow("--data cannot be written") << QStringList{} << "/proc" << home << "" << refused << QStringList{}
                                              << QStringList{};
    QTest::newRow("--data without a folder") << QStringList{} << " " << home << "" << refused << QStringList{}
                                             << QStringList{};
    QTest::newRow("no per-user folder known") << QStringList{} << NoOption << "" << "" << refused << QStringList{}
                                              << QStringList{};

    QTest::newRow("old doubled folder moves up with Plug-Ins")
        << QStringList{"home/Tallyra/Tallyra/vazuda.mdb", "home/Tallyra/Tallyra/vazuda.mdb-journal",
                       "home/Tallyra/Tallyra/Plug-Ins/20240101.mdb", "home/Tallyra/Tallyra/Plug-Ins/sky.bmp"}
        << NoOption << home << home << int(Source::PerUser)
        << QStringList{"home/Tallyra/vazuda.mdb", "home/Tallyra/vazuda.mdb-journal",
                       "home/Tallyra/Plug-Ins/20240101.mdb", "home/Tallyra/Plug-Ins/sky.bmp"}
        << QStringList{"home/Tallyra/Tallyra/"};
    QTest::newRow("old folder keeps what is not the books")
        << QStringList{"home/Tallyra/Tallyra/vazuda.mdb", "home/Tallyra/Tallyra/vazuda.gif", "home/Tallyra/Plug-Ins/"}
        << NoOption << home << home << int(Source::PerUser)
        << QStringList{"home/Tallyra/vazuda.mdb", "home/Tallyra/Tallyra/vazuda.gif"}
        << QStringList{"home/Tallyra/Tallyra/vazuda.mdb"};
    QTest::newRow("old folder used where it is when its Plug-Ins cannot move")
        << QStringList{"home/Tallyra/Tallyra/vazuda.mdb", "home/Tallyra/Tallyra/Plug-Ins/a.bmp",
                       "home/Tallyra/Plug-Ins/b.bmp"}
        << NoOption << home << old << int(Source::OldPerUser)
        << QStringList{"home/Tallyra/Tallyra/vazuda.mdb", "home/Tallyra/Tallyra/Plug-Ins/a.bmp",
                       "home/Tallyra/Plug-Ins/b.bmp"}
        << QStringList{"home/Tallyra/vazuda.mdb", "home/Tallyra/Plug-Ins/a.bmp"};
    QTest::newRow("old folder ignored beside new books")
        << QStringList{"home/Tallyra/vazuda.mdb", "home/Tallyra/Tallyra/vazuda.mdb"} << NoOption << home << home
        << int(Source::PerUser) << QStringList{"home/Tallyra/Tallyra/vazuda.mdb"} << QStringList{};
    QTest::newRow("old folder ignored with books beside the program")
        << QStringList{"program/vazuda.mdb", "home/Tallyra/Tallyra/vazuda.mdb"} << NoOption << home << "program"
        << int(Source::ProgramFolder) << QStringList{"home/Tallyra/Tallyra/vazuda.mdb"}
        << QStringList{"home/Tallyra/vazuda.mdb"};
}

void DataFolderTest::dataFolderIsChosenAndNeverSwitchedSilently()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, data);
    QFETCH(QString, perUser);
    QFETCH(QString, chosen);
    QFETCH(int, source);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);

    QTemporaryDir dir;
    const QString root = dir.path();
    for (const QString &entry : existing)
        make(root, entry);
    const QStringList before = tree(root);
    const QString oldDataFile = root + QStringLiteral("/home/Tallyra/Tallyra/vazuda.mdb");
    const bool oldBooks = QFile::exists(oldDataFile) && !QFile::exists(root + QStringLiteral("/home/Tallyra/vazuda.mdb"));

    std::optional<QString> option;
    if (data != NoOption)
        option = data.startsWith(u'/') || data.trimmed().isEmpty() ? data : root + u'/' + data;
    const ProgramFolder::Choice choice = ProgramFolder::chooseDataFolder(
        root + QStringLiteral("/program"), option, perUser.isEmpty() ? QString() : root + u'/' + perUser);

    QCOMPARE(int(choice.source), source);
    if (chosen.isEmpty()) {
        QVERIFY(choice.path.isEmpty());
        QVERIFY(!choice.error.isEmpty());
        QCOMPARE(tree(root), before);
        return;
    }
    QVERIFY2(choice.error.isEmpty(), qPrintable(choice.error));
    QCOMPARE(choice.path, root + u'/' + chosen);
    QVERIFY(QFileInfo(choice.path + QStringLiteral("/Plug-Ins")).isDir());
    for (const QString &entry : present)
        QVERIFY2(QFileInfo::exists(root + u'/' + entry), qPrintable(entry));
    for (const QString &entry : absent)
        QVERIFY2(!QFileInfo::exists(root + u'/' + entry), qPrintable(entry));

    // Moved books are the same bytes; books that could not move stay exactly where they were.
    if (oldBooks && source == int(Source::PerUser)) {
        QCOMPARE(choice.movedFrom, root + QStringLiteral("/home/Tallyra/Tallyra"));
        QCOMPARE(contents(choice.path + QStringLiteral("/vazuda.mdb")),
                 QStringLiteral("home/Tallyra/Tallyra/vazuda.mdb"));
    } else {
        QVERIFY(choice.movedFrom.isEmpty());
    }
    if (source == int(Source::OldPerUser))
        QCOMPARE(contents(oldDataFile), QStringLiteral("home/Tallyra/Tallyra/vazuda.mdb"));
    // The program's data file and Plug-Ins follow the chosen folder.
    const ProgramFolder folder(choice.path, root + QStringLiteral("/program"));
    QCOMPARE(folder.dataFile(), choice.path + QStringLiteral("/vazuda.mdb"));
    QCOMPARE(folder.file(QStringLiteral("\\Plug-Ins\\sky.bmp")), choice.path + QStringLiteral("/Plug-Ins/sky.bmp"));
}

void DataFolderTest::installedFilesAreFoundBesideTheProgramOrInShare()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    for (const char *entry : {"build/tallyra", "build/vazuda.gif", "build/Plug-Ins/update.html",
                                 "usr/bin/tallyra", "usr/share/tallyra/vazuda.gif", "usr/share/tallyra/help/index.html",
                                 "data/vazuda.gif", "data/help/index.html"})
        make(root, QString::fromLatin1(entry));

    // A build tree: beside the program, never from the data folder.
    const ProgramFolder build(root + QStringLiteral("/data"), root + QStringLiteral("/build"));
    QCOMPARE(build.installed(QStringLiteral("vazuda.gif")), root + QStringLiteral("/build/vazuda.gif"));
    QCOMPARE(build.installed(QStringLiteral("\\Plug-Ins\\update.html")), root + QStringLiteral("/build/Plug-Ins/update.html"));
    QCOMPARE(build.installed(QStringLiteral("help/index.html")), QString());

    // An installation: bin/ and share/tallyra/.
    const ProgramFolder installed(root + QStringLiteral("/data"), root + QStringLiteral("/usr/bin"));
    QCOMPARE(installed.installed(QStringLiteral("vazuda.gif")), root + QStringLiteral("/usr/share/tallyra/vazuda.gif"));
    QCOMPARE(installed.installed(QStringLiteral("help/index.html")),
             root + QStringLiteral("/usr/share/tallyra/help/index.html"));
    QCOMPARE(installed.installed(QStringLiteral("Plug-Ins/update.html")), QString());
    QCOMPARE(installed.plugIns(), root + QStringLiteral("/data/Plug-Ins"));

    // Portable: one folder for both.
    const ProgramFolder portable(root + QStringLiteral("/data"));
    QCOMPARE(portable.installed(QStringLiteral("vazuda.gif")), root + QStringLiteral("/data/vazuda.gif"));
}

void DataFolderTest::automaticBackupsKeepTheNewestThirtyDays()
{
    TestFolder t;
    t.loginAsAdmin();
    const QString plugIns = t.folder.plugIns();
    // 35 earlier days, the newest yesterday, and files that are no automatic backups.
    const QDate today = QDate::currentDate();
    QStringList days;
    for (int i = 35; i >= 1; --i)
        days << DataFileMaintenance::backupName(today.addDays(-i));
    const QStringList others{"20241399.mdb", "2024010.mdb", "20240101.mdb.bak", "backup.mdb", "20200101.MDB",
                             "x20200101.mdb", "notes.txt"};
    for (const QString &name : days + others)
        make(plugIns, name);
    make(plugIns, QStringLiteral("20190101.mdb/"));
    QVERIFY(QFile::link(plugIns + QStringLiteral("/notes.txt"), plugIns + QStringLiteral("/20190102.mdb")));
    const auto daily = [&] {
        QStringList names = QDir(plugIns).entryList({QStringLiteral("????????.mdb")}, QDir::Files | QDir::NoSymLinks | QDir::CaseSensitive,
                                                    QDir::Name);
        names.removeAll(QStringLiteral("20241399.mdb"));
        return names;
    };

    // When no copy is made, nothing is removed.
    t.data.close();
    const QString good = t.folder.dataFile() + QStringLiteral(".good");
    QVERIFY(QFile::rename(t.folder.dataFile(), good));
    make(t.path(), QStringLiteral("vazuda.mdb"));
    QVERIFY(!DataFileMaintenance(t.data, t.folder).automaticBackup(today));
    QCOMPARE(daily(), days);
    QVERIFY(QFile::remove(t.folder.dataFile()));
    QVERIFY(QFile::rename(good, t.folder.dataFile()));

    QVERIFY(DataFileMaintenance(t.data, t.folder).automaticBackup(today));
    QCOMPARE(daily(), days.mid(6) + QStringList{DataFileMaintenance::backupName(today)});
    for (const QString &name : others + QStringList{"20190101.mdb", "20190102.mdb"})
        QVERIFY2(QFileInfo::exists(plugIns + u'/' + name), qPrintable(name));
    // Another exit on the same day replaces its copy and removes nothing more.
    QVERIFY(DataFileMaintenance(t.data, t.folder).automaticBackup(today));
    QCOMPARE(daily().size(), DataFileMaintenance::KeptAutomaticBackups);
    const QStringList kept = daily();
    QCOMPARE(DataFileMaintenance::keepNewestAutomaticBackups(plugIns, 2), kept.mid(0, 28));
    QCOMPARE(daily(), kept.mid(28));
}

TALLYRA_TEST(DataFolderTest)
#include "tst_data_folder.moc"
