#include "maintenance/staged_copy.h"

#include "store/sqlite_db.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString native(const QString &path) { return QDir::toNativeSeparators(path); }

// Makes a finished rename survive a power cut: the folder's entry is written out too.
void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

StagedCopy::StagedCopy(const QString &target)
    : target_(QFileInfo(target).absoluteFilePath()),
      file_(QFileInfo(target_).absolutePath() + QStringLiteral("/.") + QFileInfo(target_).fileName() +
            QStringLiteral(".XXXXXX"))
{
    if (!file_.open())
        fail(QStringLiteral("无法在“%1”中建立文件").arg(native(QFileInfo(target_).absolutePath())));
}

void StagedCopy::fail(const QString &what) const
{
    throw StoreError(QStringLiteral("%1：%2").arg(what, file_.errorString()), int(file_.error()));
}

void StagedCopy::write(const char *data, qint64 length)
{
    while (length > 0) {
        const qint64 written = file_.write(data, length);
        if (written <= 0)
            fail(QStringLiteral("写入“%1”时出错").arg(native(target_)));
        data += written;
        length -= written;
    }
}

void StagedCopy::append(const QString &source)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw StoreError(QStringLiteral("无法读取文件“%1”：%2").arg(native(source), in.errorString()),
                         int(in.error()));
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 got = in.read(buffer.data(), buffer.size());
        if (got < 0)
            throw StoreError(QStringLiteral("读取文件“%1”时出错：%2").arg(native(source), in.errorString()),
                             int(in.error()));
        if (got == 0)
            break;
        write(buffer.constData(), got);
    }
}

void StagedCopy::finish()
{
    if (!file_.isOpen())
        return;
    if (!file_.flush() || ::fsync(file_.handle()) != 0)
        fail(QStringLiteral("写入“%1”时出错").arg(native(target_)));
    // Keep the permissions of the file being replaced; a new file gets the usual ones.
    QFileDevice::Permissions permissions = QFileInfo::exists(target_)
        ? QFile::permissions(target_)
        : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    file_.setPermissions(permissions);
    file_.close();
}

void StagedCopy::commit()
{
    finish();
    if (std::rename(QFile::encodeName(file_.fileName()).constData(), QFile::encodeName(target_).constData()) != 0) {
        const int error = errno;
        throw StoreError(QStringLiteral("无法写入文件“%1”：%2").arg(native(target_), QString::fromLocal8Bit(std::strerror(error))),
                         error);
    }
    file_.setAutoRemove(false);
    syncFolder(QFileInfo(target_).absolutePath());
}

bool StagedCopy::sameFile(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}
