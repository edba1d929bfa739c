// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Makes a file or folder unwritable for this process while it lives: its write bits
// cleared and, for root (whom permission bits do not stop), the immutable attribute set.
// Everything is put back when it goes. isEffective() is false when neither worked (a
// file system without the attribute); the test then has nothing to try.
class ReadOnly {
public:
    explicit ReadOnly(const QString &path);
    ~ReadOnly();
    ReadOnly(const ReadOnly &) = delete;
    ReadOnly &operator=(const ReadOnly &) = delete;

    bool isEffective() const;

private:
    QString path_;
    bool immutable_ = false;
    int mode_ = 0;
};
