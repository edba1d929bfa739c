// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/file_lock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

FileLock::~FileLock() { release(); }

FileLock::FileLock(FileLock &&other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileLock &FileLock::operator=(FileLock &&other) noexcept
{
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

FileLock::Result FileLock::take(const QString &path)
{
    release();
    const QByteArray name = QFile::encodeName(path);
    // A file put in the name's place between the open and the lock (a compaction or a
    // restore of another program renaming its copy there) is not the file that is
    // locked: then the name is opened again.
    for (int attempt = 0; attempt < 10; ++attempt) {
        // Read access is enough for the lock, so a file that may not be written is held too.
        const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return Result::Failed;
        while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            errno = error;
            return error == EWOULDBLOCK ? Result::Held : Result::Failed;
        }
        if (afterLocking_)
            afterLocking_();
        struct stat locked {}, named {};
        if (::fstat(fd, &locked) == 0 && ::stat(name.constData(), &named) == 0 && locked.st_dev == named.st_dev &&
            locked.st_ino == named.st_ino) {
            fd_ = fd;
            return Result::Taken;
        }
        ::close(fd);
    }
    errno = EAGAIN;
    return Result::Failed;
}

void FileLock::release()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}
