// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/file_ops.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace FileOps {

void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool syncFile(int fd)
{
    while (::fsync(fd) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

bool renameNoReplace(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (QFileInfo::exists(to)) {
        errno = EEXIST;
        return false;
    }
    return std::rename(source.constData(), target.constData()) == 0;
}

QString reason(int error)
{
    switch (error) {
    case EACCES: return QStringLiteral("没有写入权限");
    case EPERM: return QStringLiteral("文件或文件夹被设为不可更改");
    case EROFS: return QStringLiteral("所在的磁盘或文件系统是只读的");
    case ENOSPC: return QStringLiteral("磁盘已满");
    case EDQUOT: return QStringLiteral("磁盘配额已用完");
    case ENOENT: return QStringLiteral("文件或文件夹不存在");
    case EIO: return QStringLiteral("磁盘读写出错");
    default: return QString::fromLocal8Bit(std::strerror(error));
    }
}

QString writeBlocker(const QString &file)
{
    const QString folder = QFileInfo(file).absolutePath();
    if (::access(QFile::encodeName(file).constData(), W_OK) != 0 && errno != ENOENT)
        return QStringLiteral("数据文件“%1”不能写入（%2）").arg(QDir::toNativeSeparators(file), reason(errno));
    // Every change writes its journal beside the file first.
    if (::access(QFile::encodeName(folder).constData(), W_OK) != 0)
        return QStringLiteral("数据文件所在的文件夹“%1”不能写入（%2），修改时无法在其中建立日志文件")
            .arg(QDir::toNativeSeparators(folder), reason(errno));
    return {};
}

} // namespace FileOps
