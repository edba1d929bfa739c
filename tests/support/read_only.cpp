// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/read_only.h"

#include <QFile>
#include <QProcess>

#include <sys/stat.h>
#include <unistd.h>

ReadOnly::ReadOnly(const QString &path) : path_(path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0) {
        mode_ = int(info.st_mode & 07777);
        ::chmod(QFile::encodeName(path).constData(), mode_t(mode_ & ~0222));
    }
    if (::geteuid() == 0)
        immutable_ = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
}

ReadOnly::~ReadOnly()
{
    if (immutable_)
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path_});
    if (mode_ != 0)
        ::chmod(QFile::encodeName(path_).constData(), mode_t(mode_));
}

bool ReadOnly::isEffective() const { return ::access(QFile::encodeName(path_).constData(), W_OK) != 0; }
