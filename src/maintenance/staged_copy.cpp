// SPDX-License-Identifier: GPL-3.0-or-later
#include "maintenance/staged_copy.h"

#include "store/file_ops.h"
#include "store/sqlite_db.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <thread>

namespace {

QString native(const QString &path) { return QDir::toNativeSeparators(path); }

} // namespace

StagedCopy::StagedCopy(const QString &target)
    : target_(QFileInfo(target).absoluteFilePath()),
      file_(QFileInfo(target_).absolutePath() + QStringLiteral("/.") + QFileInfo(target_).fileName() +
            QStringLiteral(".XXXXXX"))
{
    // QTemporaryFile creates its file for the owner only (0600).
    if (!file_.open())
        fail(QStringLiteral("无法在“%1”中建立文件").arg(native(QFileInfo(target_).absolutePath())));
}

void StagedCopy::fail(const QString &what) const
{
    throw StoreError(QStringLiteral("%1：%2").arg(what, file_.errorString()), int(file_.error()));
}

QByteArray StagedCopy::digest()
{
    if (digest_.isEmpty())
        digest_ = sha256_.result();
    return digest_;
}

void StagedCopy::write(const char *data, qint64 length)
{
    sha256_.add(data, length);
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

void StagedCopy::flushAndKeepPermissions()
{
    if (!file_.flush())
        fail(QStringLiteral("写入“%1”时出错").arg(native(target_)));
    // A replaced file keeps its permissions; a new one stays the owner's alone.
    if (QFileInfo::exists(target_))
        file_.setPermissions(QFile::permissions(target_));
}

void StagedCopy::finish()
{
    finish({});
}

void StagedCopy::finish(const std::function<void()> &whileSyncing)
{
    if (!file_.isOpen())
        return;
    flushAndKeepPermissions();
    const int fd = file_.handle();
    int syncError = 0;
    std::exception_ptr checkFailure;
    {
        std::thread sync([fd, &syncError] {
            if (!FileOps::syncFile(fd))
                syncError = errno;
        });
        if (whileSyncing) {
            try {
                whileSyncing();
            } catch (...) {
                checkFailure = std::current_exception();
            }
        }
        sync.join();
    }
    if (checkFailure)
        std::rethrow_exception(checkFailure);
    if (syncError != 0)
        throw StoreError(QStringLiteral("写入“%1”时出错：%2").arg(native(target_), FileOps::reason(syncError)),
                         syncError);
    file_.close();
}

void StagedCopy::commit()
{
    finish();
    if (std::rename(QFile::encodeName(file_.fileName()).constData(), QFile::encodeName(target_).constData()) != 0) {
        const int error = errno;
        throw StoreError(QStringLiteral("无法写入文件“%1”：%2").arg(native(target_), FileOps::reason(error)), error);
    }
    file_.setAutoRemove(false);
    FileOps::syncFolder(QFileInfo(target_).absolutePath());
}

QString StagedCopy::handOver()
{
    finish();
    file_.setAutoRemove(false);
    return file_.fileName();
}

bool StagedCopy::sameFile(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}
