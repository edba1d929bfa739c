// SPDX-License-Identifier: GPL-3.0-or-later
// The files beside the data file and its backups: where a backup's checksum record lies and
// how it is read, and what an interrupted copy leaves behind.
#include "maintenance/data_file_maintenance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

QString DataFileMaintenance::recordFile(const QString &backup) { return backup + QStringLiteral(".sha256"); }

std::optional<QByteArray> DataFileMaintenance::recordedDigest(const QString &backup)
{
    QFile file(recordFile(backup));
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    // "<64 hex digits>  <name>", as sha256sum writes it.
    const QByteArray line = file.read(256);
    const QByteArray hex = line.left(64);
    static const QRegularExpression digits(QStringLiteral("^[0-9a-fA-F]{64}$"));
    if (!digits.match(QString::fromLatin1(hex)).hasMatch())
        return QByteArray();
    return QByteArray::fromHex(hex);
}

QString DataFileMaintenance::pendingCopiesFile(const QString &dataFile)
{
    const QFileInfo data(dataFile);
    return data.absolutePath() + QStringLiteral("/.") + data.fileName() + QStringLiteral(".copies");
}

QStringList DataFileMaintenance::removeLeftovers(const QString &dataFile, const QString &plugIns)
{
    QStringList removed;
    // Staging copies in other folders, by the list of those under way: only files that
    // still bear a staging name of ours.
    static const QRegularExpression staging(QStringLiteral("^\\..+\\.[A-Za-z0-9]{6}$"));
    QFile list(pendingCopiesFile(dataFile));
    if (list.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : list.readAll().split('\n')) {
            const QFileInfo staged(QFile::decodeName(line));
            if (!line.isEmpty() && staged.isFile() && !staged.isSymLink() &&
                staged.fileName() != QFileInfo(dataFile).fileName() && staging.match(staged.fileName()).hasMatch() &&
                QFile::remove(staged.absoluteFilePath()))
                removed << staged.absoluteFilePath();
        }
        list.close();
        list.remove();
    }
    auto sweep = [&](const QString &folder, const QRegularExpression &ours) {
        QDir dir(folder);
        if (!dir.exists())
            return;
        for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            if (ours.match(name).hasMatch() && dir.remove(name))
                removed << name;
        }
    };
    const QFileInfo data(dataFile);
    const QString base = QRegularExpression::escape(data.fileName());
    // Staging copies of the data file and of a new data file, the older versions' new
    // file, the compaction's scratch file, and the journals any of them may have.
    sweep(data.absolutePath(),
          QRegularExpression(QStringLiteral("^(\\.%1\\.[A-Za-z0-9]{6}|%1\\.new|temp\\.mdb)(-journal)?$").arg(base)));
    // Staging copies of the automatic backups and of their records.
    sweep(plugIns, QRegularExpression(QStringLiteral("^\\.\\d{8}\\.mdb(\\.sha256)?\\.[A-Za-z0-9]{6}$")));
    return removed;
}
