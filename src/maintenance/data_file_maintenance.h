#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class DataFile;
class ProgramFolder;

// Copies of the data file and its compaction: backup, restore, the automatic backup on
// leaving the program and its switch (column 自动备份 of the settings row).
//
// Every failure throws StoreError with a description and an error number; a failure
// leaves the data file as it was. The data file is only ever replaced by one rename of
// a complete, checked file, with the engine's exclusive lock on it held from the first
// copy to the rename. Every copy is checked page by page before it takes its final name.
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

    // Throws unless the file is a sound data file: it opens with one of the passphrases
    // (an empty one is the built-in key) or with one that `ask` gets from the user, it
    // holds the program's tables and is not of a newer version, and every page of it is
    // intact. Returns the passphrase that opened it.
    static QString checkDataFile(const QString &path, const QString &shownName,
                                 const QStringList &passphrases = {QString()}, const PassphraseQuestion &ask = {});

    // Puts a backup in place of the data file. The chosen file is copied beside the data
    // file and checked first; the data file is replaced completely or not at all. A backup
    // with another passphrase than the data file's is opened with the one `ask` returns,
    // and the data file has that passphrase from then on.
    void restore(const QString &backupFile, const PassphraseQuestion &ask = {});

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

    // What is wrong with a change of the data file's passphrase, or empty when nothing:
    // the current one typed must be the stored one, the new one typed twice alike, and
    // different from the stored one.
    static QString passphraseProblem(const QString &stored, const QString &typedCurrent, const QString &fresh,
                                     const QString &repeated);

    // Removes what an interrupted run left behind: the staging copies beside the data file
    // and in Plug-Ins (".vazuda.mdb.XXXXXX", ".20240101.mdb.XXXXXX"), the compaction's
    // scratch file temp.mdb, an older version's "vazuda.mdb.new", and their journals. Only
    // names the program makes; to be run while holding the data file (DataFile::claim).
    // Returns the names removed.
    static QStringList removeLeftovers(const QString &dataFile, const QString &plugIns);

private:
    DataFile &data_;
    const ProgramFolder &folder_;
    bool holding_ = false;  // compaction holds the exclusive lock between its halves
};
