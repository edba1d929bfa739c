// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialog_folders.h"

#include "store/ui_state.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString stateName(const QString &purpose) { return QStringLiteral("文件夹/") + purpose; }

} // namespace

namespace DialogFolders {

QString documents()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

QString start(DataFile &data, const QString &purpose, const QString &fileName, const QString &firstFolder)
{
    QString folder = UiState(data).value(stateName(purpose));
    // A folder that went (a stick taken out) is no place to start.
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = !firstFolder.isEmpty() && QFileInfo(firstFolder).isDir() ? firstFolder : documents();
    return fileName.isEmpty() ? folder : QDir(folder).filePath(fileName);
}

void remember(DataFile &data, const QString &purpose, const QString &chosenFile)
{
    if (!chosenFile.isEmpty())
        UiState(data).setValue(stateName(purpose), QFileInfo(chosenFile).absolutePath());
}

} // namespace DialogFolders
