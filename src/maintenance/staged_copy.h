// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/sha256.h"

#include <QString>
#include <QTemporaryFile>

#include <functional>

// A file written beside its final name and moved there in one rename, so that the
// target is either the old file or the complete new one, never a half-written copy.
// Failures throw StoreError (description and error number); a staged file that is
// never committed is removed. A new file is readable by its owner only (0600); a file
// that replaces another keeps the permissions of the one it replaces.
class StagedCopy {
public:
    // Starts an empty temporary file in the folder of target: "." + its name + ".XXXXXX",
    // a name the program's start-up clean-up knows as its own.
    explicit StagedCopy(const QString &target);
    StagedCopy(const StagedCopy &) = delete;
    StagedCopy &operator=(const StagedCopy &) = delete;

    void write(const char *data, qint64 length);
    // The SHA-256 digest of everything written, once all of it is.
    QByteArray digest();
    // Appends the whole content of a file.
    void append(const QString &source);
    // Flushes the staged file to the disk and closes it; it can then be opened by name.
    void finish();
    // The same, running `whileSyncing` (a check of the staged file) on this thread while
    // another one waits for the disk. What it throws is thrown once the disk is done.
    void finish(const std::function<void()> &whileSyncing);
    // The temporary file, for checking it before it takes the target's place.
    QString stagedPath() const { return file_.fileName(); }
    // Renames the staged file over the target (after finish()) and syncs the folder.
    void commit();
    // Finishes and gives the staged file up to a caller that renames it itself; the
    // caller removes it if that fails.
    QString handOver();

    // Both names stand for the same existing file.
    static bool sameFile(const QString &a, const QString &b);

private:
    [[noreturn]] void fail(const QString &what) const;
    void flushAndKeepPermissions();

    QString target_;
    QTemporaryFile file_;
    Sha256 sha256_;
    QByteArray digest_;
};
