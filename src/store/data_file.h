// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/file_lock.h"
#include "store/sqlite_db.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <tuple>

// The encrypted data file vazuda.mdb and the one connection the program keeps open on it.
//
// Every operation calls OpenDataFile() (through query/exec), which opens the file if it
// is not open yet: a missing file is created with its tables and seed rows; an existing
// file that cannot be opened is left exactly as it is and the failure is thrown as a
// StoreError that names the file. Restore and compaction close() the connection before
// they replace the file; the next operation opens the new one.
//
// The file is keyed with the built-in data-file password unless the user gave it a
// passphrase of their own. A file (or folder) that cannot be written is opened read-only:
// everything can be read, every write is refused with a message that says why.
class DataFile {
public:
    // The built-in data-file password; files without a passphrase of their own carry it.
    static QString password();
    // What turning a passphrase into the key costs, in iterations of the key derivation: a
    // passphrase of the user's KdfIterations, so that guessing it is slow; the built-in
    // password, which keeps nothing secret, the cipher's default LegacyKdfIterations. Files
    // whose passphrase was set by older versions have the default too; they get the full
    // cost when they are next opened.
    static constexpr int KdfIterations = 256000;
    static constexpr int LegacyKdfIterations = 64000;
    static int kdfIterations(const QString &passphrase);
    // Applies a key (the built-in one for an empty passphrase), its cost (0: the cost a
    // new key of this passphrase gets) and the cipher settings to a fresh connection.
    static void applyKey(Database &db, const QString &passphrase = QString(), int iterations = 0);
    // The raw key of a file with this salt, as the cipher would derive it from the
    // passphrase at that cost.
    static QByteArray derivedKey(const QString &passphrase, const QByteArray &salt, int iterations);
    // Opens a file with a passphrase, trying each cost its key may have been made with.
    // Returns the cost that opened it, or 0 (and the connection closed) when the key does
    // not fit; other failures throw.
    static int openKeyed(Database &db, const QString &path, Database::Mode mode, const QString &passphrase);
    // Writes a complete copy of an open database into target (a missing or empty file),
    // keyed with the passphrase at its full cost, schema version and all, flushed to the
    // disk; every table of the copy holds as many rows as the original.
    static void exportCopy(Database &db, const QString &target, const QString &passphrase);
    // The key a passphrase stands for, as the cipher takes it (the built-in one for empty).
    static QByteArray keyBytes(const QString &passphrase);
    // The file looks like an encrypted data file: whole pages of what reads as noise. A
    // file like that which the key does not open needs a passphrase; a text file, a plain
    // SQLite file or a cut-off file does not.
    static bool looksEncrypted(const QString &path);
    // The file's first page fails while its second fits the built-in key or one of the
    // passphrases: the key is right and the first page is damaged (a key that fits no page
    // cannot tell damage from another key).
    static bool firstPageDamaged(const QString &path, const QStringList &passphrases);

    explicit DataFile(const QString &path);
    ~DataFile();
    DataFile(const DataFile &) = delete;
    DataFile &operator=(const DataFile &) = delete;

    const QString &path() const { return path_; }
    void OpenDataFile();
    void close();
    bool isOpen() const { return db_.isOpen(); }
    Database &database();

    // One program per data file: takes the lock that keeps every other Tallyra off this
    // file for as long as this object lives, creating the file first when it is missing.
    // False when another program holds it (nothing was touched then). Restore and
    // compaction hand the lock on to the file that takes the data file's place.
    bool claim();
    bool isClaimed() const { return claimed_; }

    // The passphrase the file is opened with; empty for the built-in key.
    const QString &passphrase() const { return passphrase_; }
    // The cost of the open file's key (see kdfIterations).
    int kdf() const { return kdf_; }
    void setPassphrase(const QString &passphrase);
    // The last opening failed because the key did not fit an encrypted-looking file.
    bool needsPassphrase() const { return needsPassphrase_; }
    // Tries a passphrase on the file without writing anything.
    bool passphraseOpens(const QString &passphrase) const;
    // Re-encrypts the file with a new passphrase (empty: back to the built-in key): a copy
    // under the new key takes the file's place with one rename, so the file has the old
    // key or the new one, never a mixture.
    void changePassphrase(const QString &passphrase);

    // After opening: the file or its folder cannot be written, and why.
    bool isReadOnly() const { return !readOnlyReason_.isEmpty(); }
    const QString &readOnlyReason() const { return readOnlyReason_; }
    // What a refused write reports.
    StoreError readOnlyError() const;
    // The start-up notice of a read-only data file (reported in the error format).
    StoreError readOnlyNotice() const;

    // Long writes run in pieces; between two pieces (outside every statement) they call
    // this, so that the program can keep its windows painting.
    void setBetweenPieces(std::function<void()> hook) { betweenPieces_ = std::move(hook); }
    void betweenPieces();

    // Holds the engine's exclusive lock on the file until the connection closes: no other
    // program reads or writes it meanwhile (they wait, then report it busy). Restore and
    // compaction take it before their first copy and keep it to the rename.
    void lockExclusively();

    // Puts a complete, checked file in the data file's place with one rename (the lock of
    // claim() moves to it first) and writes the folder's entry to the disk. Then the
    // connection closes, which ends lockExclusively(); the next operation opens the new file.
    void replaceWith(const QString &completeFile);

    // What tells that the file changed since a look: which connection is open, how many
    // rows it wrote, and the engine's count of other connections' commits. Only a look: a
    // closed file stays closed (and gives all zeros).
    std::tuple<void *, qint64, qint64> changeMark();
    // Whether the file changed since `seen` was taken, for windows that look now and then:
    // never while the file is closed (restore, compaction) or a write is under way.
    bool changedSince(const std::tuple<void *, qint64, qint64> &seen);
    // How long a statement waits for another program's lock before it reports "busy".
    void setBusyTimeout(int milliseconds);
    int busyTimeout() const { return busyTimeoutMs_; }
    // Runs when a statement begins to wait for another connection's lock (the program's
    // background build gives way then).
    void setWhenWaiting(std::function<void()> hook);

    // The statement about to run (with "?" where values are bound), for error reports.
    const QString &SqlText() const { return sqlText_; }

    // A read: the statement with its values bound, ready to step.
    Statement query(const QString &sql, const QVariantList &values = {});
    // A read of one column: its texts, row by row.
    QStringList texts(const QString &sql, const QVariantList &values = {});
    // A write; returns the number of rows changed.
    int exec(const QString &sql, const QVariantList &values = {});
    // An insert; returns the new row's id.
    qint64 insert(const QString &sql, const QVariantList &values = {});
    // While another connection builds the kept sums in the background, this one writes
    // none: what it needs of stale sums it counts from the entries, so that the two never
    // wait for each other over the same sums.
    void setSumsBuiltElsewhere(bool on) { sumsBuiltElsewhere_ = on; }
    bool sumsBuiltElsewhere() const { return sumsBuiltElsewhere_; }
    // Runs before the connection closes or takes the file for itself alone (restore,
    // compaction, a new passphrase): the program's other connections end there.
    void setBeforeExclusive(std::function<void()> hook) { beforeExclusive_ = std::move(hook); }
    // " indexed by NAME" when the file has that index, nothing when it has none of that name
    // (yet: a large older file gains some in the background), so the engine chooses.
    QString indexHint(const QString &name);

    // While it lasts, a write that touches much of the file keeps the pages it reads in
    // memory, as many as the whole file holds and a quarter more for what the write adds
    // (at most 512 MiB and an eighth of the machine's memory): each page is read once and
    // written once instead of again and again. The usual cache comes back when it goes.
    class WideCache {
    public:
        explicit WideCache(DataFile &file);
        ~WideCache();
        WideCache(const WideCache &) = delete;
        WideCache &operator=(const WideCache &) = delete;

    private:
        DataFile &file_;
    };

    // Several writes that land together or not at all. Made inside another transaction
    // it is a savepoint of that one: its writes land with the outer transaction, and a
    // failure undoes only its own (so work that keeps itself whole, such as storing a
    // transfer, can be part of larger work).
    class Transaction {
    public:
        explicit Transaction(DataFile &file);
        ~Transaction();
        Transaction(const Transaction &) = delete;
        Transaction &operator=(const Transaction &) = delete;
        void commit();

    private:
        DataFile &file_;
        bool open_ = true;
        bool nested_ = false;
    };

private:
    void openExisting();
    void createNew();
    void configure();
    void rewriteKeyed(const QString &passphrase);
    void strengthenKey();
    void refuseIfReadOnly();
    void applyBusyWait();
    void runBeforeExclusive();

    QString path_;
    // Declared before the connection: the connection closes first, then the lock goes.
    FileLock lock_;
    bool claimed_ = false;
    Database db_;
    QString sqlText_;
    QString passphrase_;
    QString readOnlyReason_;
    bool needsPassphrase_ = false;
    int kdf_ = LegacyKdfIterations;
    bool keyRewriteFailed_ = false;
    int busyTimeoutMs_ = Database::BusyTimeoutMs;
    static constexpr int CacheKiB = 32768;
    std::function<void()> betweenPieces_;
    bool sumsBuiltElsewhere_ = false;
    std::function<void()> beforeExclusive_;
    std::function<void()> whenWaiting_;
};
