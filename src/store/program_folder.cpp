// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryFile>

namespace {

const QString DataFileName = QStringLiteral("vazuda.mdb");
const QString PlugInsName = QStringLiteral("Plug-Ins");

// "\Plug-Ins\x.bmp" -> "Plug-Ins/x.bmp"
QString relativePath(const QString &relative)
{
    QString rel = relative;
    rel.replace(u'\\', u'/');
    while (rel.startsWith(u'/'))
        rel.remove(0, 1);
    return rel;
}

bool present(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

bool isWritableFolder(const QString &path)
{
    QTemporaryFile probe(path + QStringLiteral("/.tallyra-probe-XXXXXX"));
    return probe.open();
}

QString native(const QString &path) { return QDir::toNativeSeparators(path); }

// Creates path and whatever of its parents is missing. On failure the folders made so far
// are removed again, so nothing is left behind.
bool makeFolder(const QString &path)
{
    QStringList missing;
    QString at = path;
    while (!present(at)) {
        missing.prepend(at);
        const QString parent = QFileInfo(at).absolutePath();
        if (parent == at)
            break;
        at = parent;
    }
    if (!QFileInfo(at).isDir())
        return false;
    QStringList made;
    for (const QString &folder : missing) {
        if (!QDir().mkdir(folder)) {
            for (auto it = made.crbegin(); it != made.crend(); ++it)
                QDir().rmdir(*it);
            return false;
        }
        made << folder;
    }
    return true;
}

// Moves the books of the old per-user folder (the data file, the journal files beside it
// and Plug-Ins) into folder, all of them or none. False when something is in the way or a
// rename fails; what was moved by then is moved back.
bool moveBooks(const QString &oldFolder, const QString &folder)
{
    QDir().rmdir(folder + u'/' + PlugInsName);  // an empty Plug-Ins is not in the way
    QStringList names;
    for (const QString &name : {DataFileName, DataFileName + QStringLiteral("-journal"),
                                DataFileName + QStringLiteral("-wal"), DataFileName + QStringLiteral("-shm"),
                                PlugInsName}) {
        if (!present(oldFolder + u'/' + name))
            continue;
        if (present(folder + u'/' + name))
            return false;
        names << name;
    }
    QStringList moved;
    for (const QString &name : names) {
        if (!QDir().rename(oldFolder + u'/' + name, folder + u'/' + name)) {
            for (const QString &back : moved)
                QDir().rename(folder + u'/' + back, oldFolder + u'/' + back);
            return false;
        }
        moved << name;
    }
    QDir().rmdir(oldFolder);  // only when nothing else was kept there
    return true;
}

} // namespace

ProgramFolder::ProgramFolder(const QString &path, const QString &programPath)
    : path_(QDir::cleanPath(path)), programPath_(programPath.isEmpty() ? path_ : QDir::cleanPath(programPath))
{
}

QString ProgramFolder::dataFile() const { return path_ + u'/' + DataFileName; }

QString ProgramFolder::plugIns() const { return path_ + u'/' + PlugInsName; }

QString ProgramFolder::file(const QString &relative) const { return path_ + u'/' + relativePath(relative); }

QString ProgramFolder::installed(const QString &relative) const
{
    const QString rel = relativePath(relative);
    for (const QString &candidate : {programPath_ + u'/' + rel, programPath_ + QStringLiteral("/../share/tallyra/") + rel}) {
        if (QFileInfo(candidate).isFile())
            return QDir::cleanPath(candidate);
    }
    return QString();
}

ProgramFolder::Choice ProgramFolder::chooseDataFolder(const QString &programPath,
                                                      const std::optional<QString> &dataOption, const QString &perUser)
{
    Choice choice;
    if (dataOption) {
        if (dataOption->trimmed().isEmpty()) {
            choice.error = QStringLiteral("--data 后面要写数据文件夹的路径。");
            return choice;
        }
        const QString folder = QDir::cleanPath(QDir(*dataOption).absolutePath());
        const QFileInfo info(folder);
        if (info.exists() && !info.isDir()) {
            choice.error = QStringLiteral("“%1”不是文件夹，不能做数据文件夹。").arg(native(folder));
            return choice;
        }
        if (!info.exists() && !makeFolder(folder)) {
            choice.error = QStringLiteral("无法创建数据文件夹“%1”。").arg(native(folder));
            return choice;
        }
        if (!isWritableFolder(folder)) {
            choice.error = QStringLiteral("数据文件夹“%1”不能写入。").arg(native(folder));
            return choice;
        }
        choice.path = folder;
        choice.source = Source::CommandLine;
    } else if (present(programPath + u'/' + DataFileName)) {
        // Portable use: the books beside the program are used wherever that is, even read-only.
        choice.path = QDir::cleanPath(programPath);
        choice.source = Source::ProgramFolder;
    } else {
        if (perUser.trimmed().isEmpty()) {
            choice.error = QStringLiteral("找不到个人数据文件夹（没有设置 HOME），请用 --data 指定数据文件夹。");
            return choice;
        }
        const QString folder = QDir::cleanPath(QDir(perUser).absolutePath());
        const QString oldFolder = folder + QStringLiteral("/Tallyra");
        choice.path = folder;
        choice.source = Source::PerUser;
        if (!present(folder + u'/' + DataFileName) && present(oldFolder + u'/' + DataFileName)) {
            if (moveBooks(oldFolder, folder)) {
                choice.movedFrom = oldFolder;
            } else {
                choice.path = oldFolder;
                choice.source = Source::OldPerUser;
            }
        }
        QDir().mkpath(choice.path);
    }
    QDir().mkpath(choice.path + u'/' + PlugInsName);
    return choice;
}

QString ProgramFolder::perUserFolder()
{
    const QString shared = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return shared.isEmpty() ? QString() : shared + QStringLiteral("/Tallyra");
}

QString ProgramFolder::executableFolder()
{
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (!self.isEmpty())
        return QFileInfo(self).absolutePath();
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}
