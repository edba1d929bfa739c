// SPDX-License-Identifier: GPL-3.0-or-later
#include "info/help_commands.h"
#include "store/program_folder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include "support/test_main.h"

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run run(const QString &program, const QStringList &arguments, const QString &folder = QString(),
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);  // empty: this program's own
    process.start(program, arguments);
    const bool ended = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
    if (!ended)
        process.kill();
    return {ended ? process.exitCode() : -1, QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QStringList tree(const QString &root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << QDir(root).relativeFilePath(it.next());
    entries.sort();
    return entries;
}

QString text(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A compressed file's text (gzip is needed by the build itself).
QString gunzipped(const QString &path) { return run(QStringLiteral("gzip"), {QStringLiteral("-dc"), path}).out; }

const int IconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// What an installation under `prefix` (as cmake --install or cpack put it in `root`) must
// hold beyond the program: icons of every size, the licence and change log, a manual page
// that names this prefix's folders, AppStream data with the licences, a desktop entry and
// AppStream data that the desktop's own checkers pass, and a program that is stripped and
// hardened as Debian builds its own.
void checkInstalledFiles(const QString &root, const QString &prefix)
{
    const QString share = root + prefix + QStringLiteral("/share");
    for (int size : IconSizes) {
        const QString icon = share + QStringLiteral("/icons/hicolor/%1x%1/apps/org.tallyra.Tallyra.png").arg(size);
        QCOMPARE(QImage(icon).size(), QSize(size, size));
    }
    QVERIFY(text(share + QStringLiteral("/doc/tallyra/copyright")).contains(QStringLiteral("License: GPL-3+")));
    QVERIFY(gunzipped(share + QStringLiteral("/doc/tallyra/changelog.gz")).startsWith(QStringLiteral("tallyra (" TALLYRA_VERSION ")")));
    const QString page = gunzipped(share + QStringLiteral("/man/man1/tallyra.1.gz"));
    QVERIFY2(page.contains(prefix + QStringLiteral("/share/tallyra/help/index.html")), qPrintable(page));
    QVERIFY(page.contains(QStringLiteral("~/.local/share/Tallyra")) && !page.contains(QStringLiteral("@TALLYRA")));
    const QString meta = text(share + QStringLiteral("/metainfo/org.tallyra.Tallyra.metainfo.xml"));
    QVERIFY(meta.contains(QStringLiteral("<project_license>GPL-3.0-or-later</project_license>")));
    QVERIFY(meta.contains(QStringLiteral("<metadata_license>CC0-1.0</metadata_license>")));

    // The desktop's own checkers, when they are installed.
    const QString desktopCheck = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (!desktopCheck.isEmpty()) {
        const Run check = run(desktopCheck, {share + QStringLiteral("/applications/org.tallyra.Tallyra.desktop")});
        QVERIFY2(check.status == 0 && check.out.isEmpty(), qPrintable(check.out + check.err));
    }
    const QString appstream = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
    if (!appstream.isEmpty()) {
        const Run check = run(appstream, {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                         share + QStringLiteral("/metainfo/org.tallyra.Tallyra.metainfo.xml")});
        QVERIFY2(check.status == 0, qPrintable(check.out + check.err));
    }
    if (desktopCheck.isEmpty() || appstream.isEmpty())
        qInfo("desktop-file-validate or appstreamcli is not installed: their checks were left out");

    const QString readelf = QStandardPaths::findExecutable(QStringLiteral("readelf"));
    if (readelf.isEmpty())
        return;
    const QString program = root + prefix + QStringLiteral("/bin/tallyra");
    const Run sections = run(readelf, {QStringLiteral("-W"), QStringLiteral("-S"), QStringLiteral("-d"), QStringLiteral("-l"),
                                       QStringLiteral("-h"), QStringLiteral("--dyn-syms"), program});
    QVERIFY2(sections.status == 0, qPrintable(sections.err));
    QVERIFY2(!sections.out.contains(QStringLiteral(".symtab")), "the program is not stripped");
    QVERIFY2(sections.out.contains(QStringLiteral("GNU_RELRO")) && sections.out.contains(QStringLiteral("BIND_NOW")),
             "the program is not linked with -z relro -z now");
    QVERIFY2(sections.out.contains(QStringLiteral("DYN (Position-Independent Executable file)")) ||
                 sections.out.contains(QStringLiteral("DYN (Shared object file)")),
             "the program is not position-independent");
    QVERIFY2(sections.out.contains(QStringLiteral("__stack_chk_fail")), "the program has no stack protection");
    QVERIFY2(sections.out.contains(QStringLiteral("_chk@")), "the program uses no fortified functions");
}

} // namespace

// The program as a person starts it from a terminal.
class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void answersWithoutAWindowOrADataFile_data();
    void answersWithoutAWindowOrADataFile();
};

void CommandLineTest::answersWithoutAWindowOrADataFile_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");  // expected in standard output
    QTest::addColumn<QString>("err");  // expected in standard error

    const QString version = QStringLiteral("Tallyra " TALLYRA_VERSION "\n");
    QTest::newRow("--version") << QStringList{"--version"} << 0 << version << "";
    QTest::newRow("-v") << QStringList{"-v"} << 0 << version << "";
    QTest::newRow("--help") << QStringList{"--help"} << 0 << "--data <DIR>" << "";
    QTest::newRow("--help in Chinese") << QStringList{"--help"} << 0 << "用法：tallyra [选项]" << "";
    QTest::newRow("its options in Chinese") << QStringList{"-h"} << 0 << "\n选项：\n" << "";
    // The one line, not the toolkit's abort: "--data books" names a folder made beforehand.
    QTest::newRow("no display") << QStringList{"--data", "books"} << 1 << "" << "tallyra: 无法打开窗口：没有图形桌面";
    QTest::newRow("-h") << QStringList{"-h"} << 0 << "--version" << "";
    QTest::newRow("--help before --data") << QStringList{"--help", "--data", "books"} << 0 << "--data <DIR>" << "";
    QTest::newRow("toolkit options pass") << QStringList{"-platform", "offscreen", "--version"} << 0 << version << "";
    QTest::newRow("value after --version") << QStringList{"--version=3"} << 2 << "" << "tallyra: 选项 --version 后面不带值。";
    QTest::newRow("unknown option") << QStringList{"--colour"} << 2 << "" << "未知的选项：colour";
    QTest::newRow("unknown short option") << QStringList{"-x", "--version"} << 2 << "" << "--data <DIR>";
    QTest::newRow("stray argument") << QStringList{"books"} << 2 << "" << "多余的参数：books";
    QTest::newRow("--data without its folder") << QStringList{"--data"} << 2 << "" << "--data 后面要写";
    QTest::newRow("--data names a file") << QStringList{"--data", "notes.txt"} << 1 << "" << "notes.txt”不是文件夹";
    QTest::newRow("--data cannot be made") << QStringList{"--data", "/proc/tallyra/books"} << 1 << ""
                                           << "无法创建数据文件夹“/proc/tallyra/books”";
    QTest::newRow("--data cannot be written") << QStringList{"--data", "/proc"} << 1 << "" << "“/proc”不能写入";
}

void CommandLineTest::answersWithoutAWindowOrADataFile()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);

    // No display at all: anything that needed a window would fail.
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("home")));
    QFile notes(dir.path() + QStringLiteral("/notes.txt"));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.close();
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("books/Plug-Ins")));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_DATA_HOME"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("HOME"), dir.path() + QStringLiteral("/home"));
    const QString programFolder = QFileInfo(QStringLiteral(TALLYRA_EXECUTABLE)).absolutePath();
    const QStringList besideBefore = QDir(programFolder).entryList({QStringLiteral("*.mdb")});
    const QStringList before = tree(dir.path());

    const Run result = run(QStringLiteral(TALLYRA_EXECUTABLE), arguments, dir.path(), environment);
    QVERIFY2(result.status == status, qPrintable(QString::number(result.status) + u' ' + result.err));
    QVERIFY2(result.out.contains(out), qPrintable(result.out));
    QVERIFY2(result.err.contains(err), qPrintable(result.err));
    if (status == 0)
        QVERIFY(result.err.isEmpty());
    else
        QVERIFY(result.out.isEmpty());
    // In the program's language throughout; an error is one line (and the usage after it).
    QVERIFY2(!result.out.contains(QStringLiteral("Usage")) && !result.out.contains(QStringLiteral("Options")),
             qPrintable(result.out));
    if (status == 1)
        QCOMPARE(result.err.count(u'\n'), 1);
    // Nothing made: no data file, no per-user folder, nothing beside the program.
    QCOMPARE(tree(dir.path()), before);
    QCOMPARE(QDir(programFolder).entryList({QStringLiteral("*.mdb")}), besideBefore);
}

// cmake --install into a fresh prefix, as a package is made.
class InstallationTest : public QObject {
    Q_OBJECT
private slots:
    void installedTreeIsCompleteAndValid();
    void debianPackageIsCleanForLintian();
};

void InstallationTest::installedTreeIsCompleteAndValid()
{
    QTemporaryDir dir;
    const QString prefix = dir.path() + QStringLiteral("/usr");
    const Run install =
        run(QStringLiteral(TALLYRA_CMAKE), {QStringLiteral("--install"), QStringLiteral(TALLYRA_BUILD_DIR),
                                            QStringLiteral("--prefix"), prefix});
    QVERIFY2(install.status == 0, qPrintable(install.out + install.err));

    const QString id = QStringLiteral("org.tallyra.Tallyra");
    const QString desktop = prefix + QStringLiteral("/share/applications/") + id + QStringLiteral(".desktop");
    const QString metainfo = prefix + QStringLiteral("/share/metainfo/") + id + QStringLiteral(".metainfo.xml");
    const QString svg = prefix + QStringLiteral("/share/icons/hicolor/scalable/apps/") + id + QStringLiteral(".svg");
    const QString png = prefix + QStringLiteral("/share/icons/hicolor/128x128/apps/") + id + QStringLiteral(".png");
    checkInstalledFiles(QString(), prefix);
    const QString man = prefix + QStringLiteral("/share/man/man1/tallyra.1.gz");
    const QString program = prefix + QStringLiteral("/bin/tallyra");
    for (const QString &file : {program, desktop, metainfo, svg, png, man})
        QVERIFY2(QFileInfo(file).isFile(), qPrintable(file));
    QVERIFY(QFileInfo(program).isExecutable());

    // The installed program finds its read-only files in share/tallyra and runs.
    const ProgramFolder folder(dir.path() + QStringLiteral("/books"), prefix + QStringLiteral("/bin"));
    for (const char *file : {"Plug-Ins/update.html", "vazuda.gif", "help/index.html"})
        QCOMPARE(folder.installed(QString::fromLatin1(file)),
                 prefix + QStringLiteral("/share/tallyra/") + QString::fromLatin1(file));
    QCOMPARE(run(program, {QStringLiteral("--version")}).out, QStringLiteral("Tallyra " TALLYRA_VERSION "\n"));

    // The manual covers what a user needs without the network.
    const QString manual = text(HelpCommands::manual(folder));
    for (const char *topic : {"登录", "添加", "查询", "财务统计", "备份数据", "还原数据", "自动备份",
                              "~/.local/share/Tallyra", "--data", "便携"})
        QVERIFY2(manual.contains(QString::fromUtf8(topic)), topic);

    // The desktop entry starts the installed program with its icon; the icons are pictures.
    for (const char *line : {"Exec=tallyra", "Icon=org.tallyra.Tallyra", "Categories=Office;Finance;", "Name=.+",
                             "Name\\[zh_CN\\]=.+", "Comment=.+", "Comment\\[zh_CN\\]=.+"})
        QVERIFY2(text(desktop).contains(QRegularExpression(QStringLiteral("^%1$").arg(QString::fromUtf8(line)),
                                                           QRegularExpression::MultilineOption)),
                 line);
    const QImage icon(png);
    QCOMPARE(icon.size(), QSize(128, 128));
    QVERIFY(icon.pixelColor(64, 20).alpha() == 255 && icon.pixelColor(0, 0).alpha() == 0);
    QXmlStreamReader svgXml(text(svg));
    QVERIFY(svgXml.readNextStartElement() && svgXml.name() == QStringLiteral("svg"));

    // AppStream: the launchable is the desktop entry, with a release; no address of a
    // picture or page that is not there.
    const QString meta = text(metainfo);
    QVERIFY(meta.contains(QStringLiteral("<launchable type=\"desktop-id\">") + id + QStringLiteral(".desktop<")));
    QVERIFY(meta.contains(QStringLiteral("<release version=\"" TALLYRA_VERSION "\"")));
    QVERIFY(!meta.contains(QStringLiteral("http")));
    QFile page(man);
    QVERIFY(page.open(QIODevice::ReadOnly));
    QCOMPARE(page.read(2), QByteArray("\x1f\x8b"));

}

// cpack -G DEB, as scripts/deps.sh package prepares it: the package installs under /usr what
// an installation holds, and Debian's own checker finds neither errors nor warnings in it.
void InstallationTest::debianPackageIsCleanForLintian()
{
    for (const char *tool : {"dpkg-deb", "dpkg-shlibdeps", "file"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP("dpkg-dev or file is not installed (scripts/deps.sh package)");
    QTemporaryDir dir;
    const QString cpack = QFileInfo(QStringLiteral(TALLYRA_CMAKE)).absolutePath() + QStringLiteral("/cpack");
    const Run made = run(cpack, {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                                 QStringLiteral(TALLYRA_BUILD_DIR "/CPackConfig.cmake"), QStringLiteral("-B"), dir.path()});
    QVERIFY2(made.status == 0, qPrintable(made.out + made.err));
    const QString deb = dir.path() + QStringLiteral("/tallyra_" TALLYRA_VERSION "_amd64.deb");
    QVERIFY2(QFileInfo(deb).isFile(), qPrintable(QDir(dir.path()).entryList().join(u' ')));
    const QString root = dir.path() + QStringLiteral("/root");
    const Run unpacked = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), deb, root});
    QVERIFY2(unpacked.status == 0, qPrintable(unpacked.err));
    checkInstalledFiles(root, QStringLiteral("/usr"));

    const QString lintian = QStandardPaths::findExecutable(QStringLiteral("lintian"));
    if (lintian.isEmpty())
        QSKIP("lintian is not installed: the package was not checked with it");
    const Run check = run(lintian, {QStringLiteral("--fail-on"), QStringLiteral("error,warning"), deb});
    QVERIFY2(check.status == 0 && !check.out.contains(QRegularExpression(QStringLiteral("^[EW]: "),
                                                                         QRegularExpression::MultilineOption)),
             qPrintable(check.out + check.err));
}

TALLYRA_TEST(CommandLineTest)
TALLYRA_TEST(InstallationTest)
#include "tst_installation.moc"
