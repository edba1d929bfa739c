// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

// A failure of the data store: what went wrong and the engine's error number.
class StoreError : public std::runtime_error {
public:
    StoreError(const QString &description, int code)
        : std::runtime_error(description.toStdString()), description_(description), code_(code) {}
    const QString &description() const { return description_; }
    int code() const { return code_; }

private:
    QString description_;
    int code_;
};

class Statement;

// One open SQLite (SQLCipher) connection. Owns the handle; closes it when destroyed.
class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;
    Database(Database &&other) noexcept;
    Database &operator=(Database &&other) noexcept;

    enum class Mode { ReadWrite, Create, ReadOnly };
    // Opens (or, with Create, creates) the file. Nothing is read until the first statement.
    // Every connection waits up to BusyTimeoutMs for another program's lock before it
    // reports the file as busy.
    void open(const QString &path, bool create);
    void open(const QString &path, Mode mode);
    void close();
    static constexpr int BusyTimeoutMs = 5000;
    void setBusyTimeout(int milliseconds);

    // The encryption key: a passphrase, taken byte for byte (quotes and all).
    void key(const QByteArray &passphrase);
    // Re-encrypts the whole file with another key, in one transaction.
    void rekey(const QByteArray &passphrase);
    bool isOpen() const { return db_ != nullptr; }
    // Makes the statement running on this connection (in another thread, too) stop with
    // SQLITE_INTERRUPT as soon as it can; its transaction is rolled back.
    void interrupt() const;
    sqlite3 *handle() const { return db_; }

    // Runs one or more statements that take no parameters and return nothing of interest.
    void execute(const QString &sql);
    Statement prepare(const QString &sql);
    qint64 lastInsertId() const;
    int changes() const;
    // Rows this connection has changed since it opened: a cheap sign that something was written.
    qint64 totalChanges() const;
    // A transaction is open on this connection (BEGIN or SAVEPOINT without its end).
    bool inTransaction() const;

    [[noreturn]] void fail(int code) const;

    // The engine's common failures in the user's words ("磁盘已满" for SQLITE_FULL), with
    // the engine's own text kept after it; other failures keep the engine's text alone.
    static QString describe(int code, const QString &engineText);

private:
    sqlite3 *db_ = nullptr;
};

// A prepared statement. Values are bound by position, from 1, never spliced into the text.
class Statement {
public:
    Statement(Database &db, sqlite3_stmt *stmt) : db_(&db), stmt_(stmt) {}
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    Statement(Statement &&other) noexcept;

    Statement &bind(int index, const QString &value);
    // A text of these very bytes (the file's own, which need not be valid UTF-8).
    Statement &bind(int index, const QByteArray &text);
    // The same without a copy: the bytes must stay as they are until the statement is reset.
    Statement &bindKept(int index, const QByteArray &text);
    Statement &bind(int index, qint64 value);
    Statement &bind(int index, int value) { return bind(index, static_cast<qint64>(value)); }
    Statement &bind(int index, double value);
    Statement &bindNull(int index);
    // Text, numbers, NULL; a QByteArray as the text of its bytes.
    Statement &bind(int index, const QVariant &value);
    // Binds the values to positions 1, 2, ...
    Statement &bindAll(std::initializer_list<QVariant> values);
    Statement &bindAll(const QVariantList &values);

    // Moves to the next row; false at the end.
    bool step();
    void reset();
    // Steps a statement that returns no rows.
    void run();

    int columnCount() const;
    QString columnName(int column) const;
    QString text(int column) const;
    // The column's UTF-8 bytes, valid until the next step; empty for NULL.
    std::string_view utf8(int column) const;
    qint64 integer(int column) const;
    double real(int column) const;
    bool isNull(int column) const;

private:
    Database *db_;
    sqlite3_stmt *stmt_;
};
