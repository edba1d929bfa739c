// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

#include <functional>

#include "support/test_main.h"

// The folders of src/ stand in layers: core <- store <- ui <- subsystems <- app. A file
// includes files of its own folder and of the layers below it, never above. Subsystems
// include each other only along the arrows below, and those make no loop.

namespace {

using Arrow = std::pair<QString, QString>;  // from folder, to folder

// Which subsystem may include which, and why. A new arrow is a choice of design: the
// shell (app/) is the place that knows every subsystem.
const QList<Arrow> AllowedArrows = {
    {"reports", "ledger"},     // the reports sum the ledger's entries and open its search
    {"reports", "export"},     // 收支报表 and 帐务统计 print and export through the export's pages
    {"export", "ledger"},      // the export writes the entries of the list on show
    {"fileimport", "ledger"},  // the batch import stores ledger entries
    {"fileimport", "accounts"},  // a statement lands in its account
    {"diary", "info"},         // the diary names the product in its window
    {"reports", "budgets"},    // 收支报表 sets the budgets against the ledger's sums; the status bar and the
                               // editor's word about a budget come from the same figures
    {"budgets", "ledger"},     // budgets are set for the ledger's items
    {"recurring", "ledger"},   // schedules post ledger entries and transfers
    {"accounts", "ledger"},    // accounts list and reconcile the ledger's entries and transfers, and open them
                               // in its entry editor
};

int layer(const QString &folder)
{
    static const QHash<QString, int> layers{{"core", 0}, {"store", 1}, {"ui", 2}, {"app", 4}};
    return layers.value(folder, 3);  // any other folder is a subsystem
}

struct Include {
    QString from, to;  // folders
    QString where;     // "ledger/ledger_pane.cpp:3"
};

// Every '#include "folder/file"' of the files under a folder, with the folder of each file.
QList<Include> includesUnder(const QString &root)
{
    static const QRegularExpression line(QStringLiteral("^\\s*#\\s*include\\s*\"([^\"]+)\""));
    QList<Include> result;
    QDirIterator it(root, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(root).relativeFilePath(path);
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        int number = 0;
        while (!file.atEnd()) {
            const QString text = QString::fromUtf8(file.readLine());
            ++number;
            const QRegularExpressionMatch m = line.match(text);
            if (m.hasMatch())
                result.append({relative.section(u'/', 0, 0), m.captured(1).section(u'/', 0, -2),
                               relative + u':' + QString::number(number)});
        }
    }
    return result;
}

// A loop among the arrows, as "a → b → a"; empty when there is none.
QString loopIn(const QSet<Arrow> &arrows)
{
    QMultiHash<QString, QString> next;
    for (const Arrow &a : arrows)
        next.insert(a.first, a.second);
    QHash<QString, int> state;  // 1 on the current path, 2 done
    QStringList path;
    std::function<QString(const QString &)> visit = [&](const QString &folder) -> QString {
        state[folder] = 1;
        path << folder;
        for (const QString &to : next.values(folder)) {
            if (state.value(to) == 1)
                return (path.mid(path.indexOf(to)) << to).join(QStringLiteral(" → "));
            if (state.value(to) == 0)
                if (QString loop = visit(to); !loop.isEmpty())
                    return loop;
        }
        path.removeLast();
        state[folder] = 2;
        return QString();
    };
    QStringList starts(next.keyBegin(), next.keyEnd());
    starts.sort();
    for (const QString &folder : starts)
        if (state.value(folder) == 0)
            if (QString loop = visit(folder); !loop.isEmpty())
                return loop;
    return QString();
}

// What is wrong with the includes: an include without a folder or into a folder that is
// not there, one that points up the layers, one between subsystems that is not allowed,
// and a loop among the subsystems.
QStringList problems(const QList<Include> &includes, const QSet<QString> &folders, const QList<Arrow> &allowed)
{
    QStringList found;
    QSet<Arrow> arrows;
    for (const Include &i : includes) {
        if (i.from == i.to)
            continue;
        if (!folders.contains(i.to)) {
            found << i.where + QStringLiteral(": names no folder of src/");
        } else if (layer(i.to) > layer(i.from)) {
            found << i.where + QStringLiteral(": %1 includes %2, a layer above it").arg(i.from, i.to);
        } else if (layer(i.from) == 3 && layer(i.to) == 3) {
            arrows.insert({i.from, i.to});
            if (!allowed.contains(Arrow{i.from, i.to}))
                found << i.where + QStringLiteral(": %1 → %2 is not an allowed arrow").arg(i.from, i.to);
        }
    }
    if (const QString loop = loopIn(arrows); !loop.isEmpty())
        found << QStringLiteral("subsystems include each other in a loop: ") + loop;
    return found;
}

} // namespace

class LayersTest : public QObject {
    Q_OBJECT
private slots:
    void includesKeepToTheLayers();
    void wrongIncludesAreFound_data();
    void wrongIncludesAreFound();
};

void LayersTest::includesKeepToTheLayers()
{
    const QString root = QStringLiteral(TALLYRA_SOURCE_DIR);
    const QList<Include> includes = includesUnder(root);
    QVERIFY2(includes.size() > 300, qPrintable(root));  // the sources were read
    const QStringList folders = QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    const QStringList found = problems(includes, QSet<QString>(folders.begin(), folders.end()), AllowedArrows);
    QVERIFY2(found.isEmpty(), qPrintable(found.join(u'\n')));
    // The allowed arrows themselves make no loop.
    QVERIFY(loopIn(QSet<Arrow>(AllowedArrows.begin(), AllowedArrows.end())).isEmpty());
}

void LayersTest::wrongIncludesAreFound_data()
{
    QTest::addColumn<QStringList>("includes");  // "from>to"
    QTest::addColumn<QList<Arrow>>("allowed");
    QTest::addColumn<QString>("problem");  // a part of the one problem found; empty for none
    const QList<Arrow> none;
    QTest::newRow("down the layers") << QStringList{"app>ledger", "ledger>ui", "ui>store", "store>core", "ledger>ledger"}
                                     << none << QString();
    QTest::newRow("ui up to a subsystem") << QStringList{"ui>ledger"} << none << "ui includes ledger, a layer above it";
    QTest::newRow("store up to ui") << QStringList{"store>ui"} << none << "a layer above it";
    QTest::newRow("subsystem up to app") << QStringList{"ledger>app"} << none << "a layer above it";
    QTest::newRow("arrow not in the table") << QStringList{"ledger>reports"} << QList<Arrow>{{"reports", "ledger"}}
                                            << "ledger → reports is not an allowed arrow";
    QTest::newRow("allowed arrows") << QStringList{"reports>ledger", "reports>export", "export>ledger"}
                                    << QList<Arrow>{{"reports", "ledger"}, {"reports", "export"}, {"export", "ledger"}}
                                    << QString();
    QTest::newRow("loop over allowed arrows")
        << QStringList{"export>ledger", "ledger>reports", "reports>export"}
        << QList<Arrow>{{"export", "ledger"}, {"ledger", "reports"}, {"reports", "export"}}
        << "in a loop: export → ledger → reports → export";
    QTest::newRow("no folder") << QStringList{"ledger>"} << none << "names no folder";
}

void LayersTest::wrongIncludesAreFound()
{
    QFETCH(QStringList, includes);
    QFETCH(QList<Arrow>, allowed);
    QFETCH(QString, problem);
    const QSet<QString> folders{"core", "store", "ui", "app", "ledger", "reports", "export"};
    QList<Include> list;
    for (const QString &i : includes)
        list.append({i.section(u'>', 0, 0), i.section(u'>', 1), i});
    const QStringList found = problems(list, folders, allowed);
    if (problem.isEmpty()) {
        QVERIFY2(found.isEmpty(), qPrintable(found.join(u'\n')));
    } else {
        QCOMPARE(found.size(), 1);
        QVERIFY2(found.first().contains(problem), qPrintable(found.first()));
    }
}

TALLYRA_TEST(LayersTest)
#include "tst_layers.moc"
