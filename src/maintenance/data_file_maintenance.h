// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class DataFile;
class ProgramFolder;

// What DataFileMaintenance::checkDataFile proves of a file beyond its key, tables and
// version: that every page is intact (each page's keyed digest, and the engine's quick
// check where one fails); that too, and that the file is byte for byte the one a backup
// recorded (`digest`); or the whole file, by the engine's integrity check.
struct FileProof {
    enum Kind { Pages, Recorded, Whole } kind = Pages;
    QByteArray digest;
};

// Copies of the data file and its compaction: backup, restore, the automatic backup on
// leaving the program and its switch (column 自动备份 of the settings row).
//
// Every failure throws StoreError with a description and an error number; a failure
// leaves the data file as it was. The data file is only ever replaced by one rename of
// a complete, checked file, with the engine's exclusive lock on it held from the first
// copy to the rename. Every copy is checked page by page before it takes its final name.
//
// A backup records what it holds: the SHA-256 digest of the copy, in a file beside it
// named like it with ".sha256" added ("20240101.mdb.sha256", in the form sha256sum
// writes). A restore compares the chosen file with its record first; a file without one
// must pass the engine's full integrity check.
class DataFileMaintenance {
public:
    // Asks for the passphrase of a backup that the data file's key does not open;
    // nothing when the user cancels. `again` is true after a wrong one.
    using PassphraseQuestion = std::function<std::optional<QString>(bool again)>;

    DataFileMaintenance(DataFile &data, const ProgramFolder &folder) : data_(data), folder_(folder) {}
    ~DataFileMaintenance();
    DataFileMaintenance(const DataFileMaintenance &) = delete;
    DataFileMaintenance &operator=(const DataFileMaintenance &) = delete;

    // The name a backup is offered under: "yyyymmdd.mdb".
    static QString backupName(const QDate &day);
    // Plug-Ins/yyyymmdd.mdb in the program folder.
    QString automaticBackupFile(const QDate &day) const;
    // The scratch file of compaction: temp.mdb beside the data file.
    QString scratchFile() const;

    // Copies the data file to target, replacing it. The copy is taken between two writes
    // (under a read lock on the file), carries the file's key and is checked before it
    // takes the target's name: a damaged copy leaves the target as it was.
    void backup(const QString &target);

    using Proof = FileProof;
    // Throws unless the file is a sound data file: it opens with one of the passphrases
    // (an empty one is the built-in key) or with one that `ask` gets from the user, it
    // holds the program's tables and is not of a newer version, and it passes the proof.
    // Returns the passphrase that opened it.
    static QString checkDataFile(const QString &path, const QString &shownName,
                                 const QStringList &passphrases = {QString()}, const PassphraseQuestion &ask = {},
                                 const Proof &proof = {});

    // The record of a backup: "<backup>.sha256".
    static QString recordFile(const QString &backup);
    // The digest a backup's record holds; nothing when it has no record, an empty digest
    // when the record cannot be read.
    static std::optional<QByteArray> recordedDigest(const QString &backup);

    // The copy a restore keeps of the data file it replaces: Plug-Ins/还原前-yyyymmdd-hhmmss.mdb,
    // or with "-2", "-3" ... added when that name is taken.
    QString keptCopyFile(const QDateTime &now) const;

    // What a restore did besides putting the backup in place.
    struct Restored {
        // The checked copy of the data file as it was before (empty when there was none).
        QString keptCopy;
        // The backup had the built-in password (or another passphrase) and the data file
        // a passphrase: the restored file was keyed with the data file's passphrase.
        bool keptPassphrase = false;
    };
    // Puts a backup in place of the data file. The chosen file is copied beside the data
    // file and checked first (against its record, or by the engine's integrity check):
    // either failing refuses the restore, naming the file, and the data file stays byte
    // for byte as it was. A backup with another passphrase than the data file's is opened
    // with the one `ask` returns. When the data file has a passphrase, the restored file
    // keeps it; otherwise it has the backup's. Before the data file is replaced, it is
    // backed up to keptCopyFile(now); when that copy cannot be made, nothing is restored.
    Restored restore(const QString &backupFile, const PassphraseQuestion &ask = {},
                     const QDateTime &now = QDateTime::currentDateTime());

    // Compaction, first half: takes the exclusive lock on the data file and rewrites it
    // compactly into the scratch file (replacing one left there), keyed like the data
    // file, and checks it. False, doing nothing, when there is no data file. The lock is
    // held until the second half or until this object goes.
    bool compactIntoScratch();
    // Compaction, second half: the scratch file takes the data file's place in one rename.
    void replaceWithScratch();

    // The automatic backup switch.
    bool autoBackup();
    void setAutoBackup(bool on);
    // When the switch is on and Plug-Ins exists: copies the data file to the day's
    // automatic backup and keeps the newest KeptAutomaticBackups of them. Silent: true when
    // a copy was made.
    bool automaticBackup(const QDate &day = QDate::currentDate());
    static constexpr int KeptAutomaticBackups = 30;
    // Removes all but the newest keep automatic backups from folder: only files named
    // after a real day, "yyyymmdd.mdb", are counted or removed. Returns the removed names.
    static QStringList keepNewestAutomaticBackups(const QString &folder, int keep = KeptAutomaticBackups);

    // The automatic backups in Plug-Ins that the data file's passphrase (at its full cost)
    // does not open: made before it was set, they still open with the built-in password
    // or an earlier passphrase. Checking a key takes one key derivation per backup.
    QStringList backupsUnderOtherKeys() const;
    // Keys those backups with the data file's passphrase, each through a checked copy that
    // takes its place (with a new record). A backup is opened with the first of `keys`
    // that fits it; those that none fits are returned, left as they are.
    QStringList rekeyBackups(const QStringList &backups, const QStringList &keys);
    // Deletes backups and their records; returns how many went.
    static int deleteBackups(const QStringList &backups);

    // What is wrong with a change of the data file's passphrase, or empty when nothing:
    // the current one typed must be the stored one, the new one typed twice alike, and
    // different from the stored one.
    static QString passphraseProblem(const QString &stored, const QString &typedCurrent, const QString &fresh,
                                     const QString &repeated);

    // Removes what an interrupted run left behind: the staging copies beside the data file
    // and in Plug-Ins (".vazuda.mdb.XXXXXX", ".20240101.mdb.XXXXXX", the records'
    // ".20240101.mdb.sha256.XXXXXX"), the compaction's scratch file temp.mdb, an older
    // version's "vazuda.mdb.new", their journals, and the staging copies of backups to
    // other folders that a killed run left (listed in pendingCopiesFile while they are
    // made). Only names the program makes; to be run while holding the data file
    // (DataFile::claim). Returns the paths removed (names, for the data file's folder
    // and Plug-Ins).
    static QStringList removeLeftovers(const QString &dataFile, const QString &plugIns);
    // ".vazuda.mdb.copies" beside the data file: the staging copies of backups under way.
    static QString pendingCopiesFile(const QString &dataFile);

private:
    void writeRecord(const QString &backup, const QByteArray &digest);

    DataFile &data_;
    const ProgramFolder &folder_;
    bool holding_ = false;  // compaction holds the exclusive lock between its halves
};
