// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// File steps that must survive a crash or a power cut, and the checks around them.
namespace FileOps {

// Writes a folder's entries (a finished rename, a new file) out to the disk.
void syncFolder(const QString &folder);
// Flushes a file's content to the disk; false (errno set) when that fails.
bool syncFile(int fd);
// Moves `from` to `to` unless `to` exists; false with errno EEXIST when it does. On file
// systems that cannot refuse, `to` is checked just before an ordinary rename.
bool renameNoReplace(const QString &from, const QString &to);
// Why a file, or the folder it lies in, cannot be written; empty when both can. The text
// names the file or folder and the cause ("没有写入权限", "只读的文件系统", ...).
QString writeBlocker(const QString &file);
// The cause of a failed file step in the user's words.
QString reason(int error);

} // namespace FileOps
