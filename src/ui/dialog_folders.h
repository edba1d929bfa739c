// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class DataFile;

// Where the file dialogs start: each purpose ("导出", "备份", ...) in the folder in which the
// user last chose a file for it, remembered in the data file (UiState); the first time in
// the folder the purpose names (the documents folder unless told otherwise), never in the
// program's working folder.
namespace DialogFolders {

// The documents folder (the home folder when there is none).
QString documents();
// The path a dialog for `purpose` starts at: its folder, and the file name when one is given.
QString start(DataFile &data, const QString &purpose, const QString &fileName = QString(),
              const QString &firstFolder = QString());
// Remembers the folder of a file the user chose for `purpose`; an empty path (a cancelled
// dialog) changes nothing.
void remember(DataFile &data, const QString &purpose, const QString &chosenFile);

} // namespace DialogFolders
