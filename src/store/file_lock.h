// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

// An exclusive hold on one file that another program (or another FileLock in this one)
// cannot take while it lasts: a BSD lock (flock) on a descriptor of its own. It is
// independent of the engine's byte-range locks on the same file, and it stays with the
// file (the inode), not with its name: a file renamed into another's place brings its
// lock along.
//
// Closing any descriptor of a file drops every byte-range lock this process holds on it,
// the engine's included; a FileLock closes its descriptor only when it is released, which
// the data file does after its connection to that file is closed.
class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(FileLock &&other) noexcept;
    FileLock &operator=(FileLock &&other) noexcept;
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    enum class Result { Taken, Held, Failed };
    // Takes the lock on an existing file without waiting: Held when someone else has it,
    // Failed (with errno) when the file cannot be opened. The lock is on the file that
    // bears the name once it is taken (checked by its inode after locking).
    Result take(const QString &path);
    // Runs between locking and the check of the inode (tests put another file in the
    // name's place there).
    void setAfterLocking(std::function<void()> hook) { afterLocking_ = std::move(hook); }
    bool isHeld() const { return fd_ >= 0; }
    void release();

private:
    int fd_ = -1;
    std::function<void()> afterLocking_;
};
