#pragma once

#include "store/sqlite_db.h"

#include <QString>
#include <QVariantList>

// The encrypted data file vazuda.mdb and the one connection the program keeps open on it.
//
// Every operation calls OpenDataFile() (through query/exec), which opens the file if it
// is not open yet: a missing file is created with its tables and seed rows; an existing
// file that cannot be opened is left exactly as it is and the failure is thrown as a
// StoreError that names the file. Restore and compaction close() the connection before
// they replace the file; the next operation opens the new one.
class DataFile {
public:
    // The data-file password; backups and compacted copies carry the same key.
    static QString password();
    // Applies the key and the cipher settings to a freshly opened connection.
    static void applyKey(Database &db);

    explicit DataFile(const QString &path);

    const QString &path() const { return path_; }
    void OpenDataFile();
    void close();
    bool isOpen() const { return db_.isOpen(); }
    Database &database();

    // The statement about to run (with "?" where values are bound), for error reports.
    const QString &SqlText() const { return sqlText_; }

    // A read: the statement with its values bound, ready to step.
    Statement query(const QString &sql, const QVariantList &values = {});
    // A write; returns the number of rows changed.
    int exec(const QString &sql, const QVariantList &values = {});
    // An insert; returns the new row's id.
    qint64 insert(const QString &sql, const QVariantList &values = {});

    // Several writes that land together or not at all.
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
    };

private:
    void openExisting();
    void createNew();
    void configure();

    QString path_;
    Database db_;
    QString sqlText_;
};
