#pragma once

#include <QString>
#include <QTemporaryFile>

// A file written beside its final name and moved there in one rename, so that the
// target is either the old file or the complete new one, never a half-written copy.
// Failures throw StoreError (description and error number); a staged file that is
// never committed is removed.
class StagedCopy {
public:
    // Starts an empty temporary file in the folder of target.
    explicit StagedCopy(const QString &target);
    StagedCopy(const StagedCopy &) = delete;
    StagedCopy &operator=(const StagedCopy &) = delete;

    void write(const char *data, qint64 length);
    // Appends the whole content of a file.
    void append(const QString &source);
    // Flushes the staged file to the disk and closes it; it can then be opened by name.
    void finish();
    // The temporary file, for checking it before it takes the target's place.
    QString stagedPath() const { return file_.fileName(); }
    // Renames the staged file over the target (after finish()).
    void commit();

    // Both names stand for the same existing file.
    static bool sameFile(const QString &a, const QString &b);

private:
    [[noreturn]] void fail(const QString &what) const;

    QString target_;
    QTemporaryFile file_;
};
