#include "store/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

ProgramFolder::ProgramFolder(const QString &path) : path_(QDir::cleanPath(path)) {}

namespace {

bool isWritableFolder(const QString &path)
{
    QTemporaryFile probe(path + QStringLiteral("/.tallyra-probe-XXXXXX"));
    return probe.open();
}

} // namespace

ProgramFolder ProgramFolder::forExecutable()
{
    const QString exeDir = QCoreApplication::applicationDirPath();
    if (isWritableFolder(exeDir))
        return ProgramFolder(exeDir);

    // Installed read-only: keep the data in the user's folder and give it the
    // installation's Plug-Ins folder the first time.
    QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dataDir + QStringLiteral("/Plug-Ins"));
    const QString page = QStringLiteral("/Plug-Ins/update.html");
    if (!QFileInfo::exists(dataDir + page))
        QFile::copy(exeDir + page, dataDir + page);
    const QString gif = QStringLiteral("/vazuda.gif");
    if (!QFileInfo::exists(dataDir + gif))
        QFile::copy(exeDir + gif, dataDir + gif);
    return ProgramFolder(dataDir);
}

QString ProgramFolder::dataFile() const { return path_ + QStringLiteral("/vazuda.mdb"); }

QString ProgramFolder::plugIns() const { return path_ + QStringLiteral("/Plug-Ins"); }

QString ProgramFolder::file(const QString &relative) const
{
    QString rel = relative;
    rel.replace(u'\\', u'/');
    while (rel.startsWith(u'/'))
        rel.remove(0, 1);
    return path_ + u'/' + rel;
}
