#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

class DataFile;
class ProgramFolder;

// Copies of the data file and its compaction: backup, restore, the automatic backup on
// leaving the program and its switch (column 自动备份 of the settings row).
//
// Every failure throws StoreError with a description and an error number; a failure
// leaves the data file as it was. The data file is only ever replaced by one rename of
// a complete, checked file.
class DataFileMaintenance {
public:
    DataFileMaintenance(DataFile &data, const ProgramFolder &folder) : data_(data), folder_(folder) {}

    // The name a backup is offered under: "yyyymmdd.mdb".
    static QString backupName(const QDate &day);
    // Plug-Ins/yyyymmdd.mdb in the program folder.
    QString automaticBackupFile(const QDate &day) const;
    // The scratch file of compaction: temp.mdb beside the data file.
    QString scratchFile() const;

    // Copies the data file to target, replacing it. The copy is taken between two writes
    // (under a read lock on the file) and opens like the data file itself.
    void backup(const QString &target);

    // Throws unless the file opens with the data file's key and holds the program's tables.
    static void checkDataFile(const QString &path, const QString &shownName);

    // Puts a backup in place of the data file. The chosen file is copied beside the data
    // file and checked first; the data file is replaced completely or not at all.
    void restore(const QString &backupFile);

    // Compaction, first half: closes the connection and rewrites the data file compactly
    // into the scratch file (replacing one left there), keyed like the data file, and
    // checks it. False, doing nothing, when there is no data file.
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

private:
    void refuseWhileBusy() const;

    DataFile &data_;
    const ProgramFolder &folder_;
};
