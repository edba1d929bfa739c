// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class DataFile;

// Which of the three views shows and edits a record: the six labelled fields (network
// and bank accounts), the other-credentials panel, or the memo panel.
enum class VaultView { SixFields, Other, Memo };

// The text columns of a password-box record. Multi-line remarks are kept as edited
// (line feeds); they are stored with CR LF.
struct VaultFields {
    QString t0, t1, t2, t3, t4, content;
    bool operator==(const VaultFields &) const = default;
};

struct VaultRecord {
    qint64 id = 0;
    QString key;    // the record's own key (column parent)
    QString group;  // its group's key (column key_1, trimmed)
    VaultFields fields;
};

// What the tree needs of a record.
struct VaultNode {
    qint64 id = 0;
    QString key;
    QString group;
    QString title;
};

// The password box and memo records (table blank) of one account set.
//
// Keys: a group key is the family prefix ("20_" password box, "30_" memo), the two-digit
// kind code and "_" (20_22_); a record key is the creation time "yyyymmddhhnnss", "_"
// and the kind code (20240105143012_22), unique in the table. Every key splits at "_".
class Vault {
public:
    explicit Vault(DataFile &data) : data_(data) {}

    // The caption sets of the six-field view, each one text joined by "，".
    static QString networkCaptions();
    static QString bankCaptions();
    static QStringList captions(const QString &joined);

    // Part n of a key split at "_" (empty when there is none).
    static QString part(const QString &key, int n);
    static QString kindOf(const QString &key) { return part(key, 1); }
    // A record key is longer than 6 characters; group keys have 6, root keys 2.
    static bool isRecordKey(const QString &key) { return key.size() > 6; }
    // The view that shows a node's records: 24 the other panel, 25/26 and the memo
    // family the memo panel, everything else the six fields.
    static VaultView viewFor(const QString &key);
    // The family prefix of a root caption: "20_" for 密码箱, "30_" otherwise.
    static QString familyPrefix(const QString &rootCaption);
    static QString groupKey(const QString &familyPrefix, const QString &kind);

    // The account set's records, newest first.
    std::vector<VaultNode> records(int accountSet);
    // One record of the account set by its key (and, when known, its id).
    std::optional<VaultRecord> record(int accountSet, const QString &key, qint64 id = 0);
    // Stores a new record of the view's columns under the group familyPrefix + kind;
    // its key is made from `now` and moved on while it is taken. Returns the record.
    VaultRecord add(int accountSet, const QString &familyPrefix, const QString &kind, VaultView view,
                    const VaultFields &fields, const QDateTime &now = QDateTime::currentDateTime());
    // Writes the view's columns over the record; false when the account set has no such record.
    bool modify(int accountSet, qint64 id, VaultView view, const VaultFields &fields);
    // Deletes the account set's record with that key (and id, when known); returns rows deleted.
    int remove(int accountSet, const QString &key, qint64 id = 0);

private:
    bool keyTaken(const QString &key);

    DataFile &data_;
};
