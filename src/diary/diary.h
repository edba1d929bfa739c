// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/record_row.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>
#include <vector>

class DataFile;

// One diary entry: its title, update time (text, normally "yyyy-mm-dd hh:nn:ss", stored
// as typed) and body (edited with line feeds, stored with CR LF).
struct DiaryEntry {
    qint64 id = 0;
    QString title;
    QString time;
    QString body;
};

// A year of the date tree with its months ("05"), in the order the newest entries
// first mention them.
struct DiaryYear {
    QString year;
    QStringList months;
    bool operator==(const DiaryYear &) const = default;
};

// Which entries a date-tree key stands for. An entry is filed under a year and a month
// when its time begins with a stored date's "yyyy-mm-" (a month 01 to 12); any other
// time text is listed under "全部记录" only.
struct DiarySpan {
    enum Kind { All, Year, Month, Nothing } kind = Nothing;
    QString condition;  // " and ..." on dates, with "?" for the values
    QVariantList values;
    static DiarySpan forKey(const QString &key);
};

// The diary entries (table Tables, res '3') of one account set.
class Diary {
public:
    explicit Diary(DataFile &data) : data_(data) {}

    // The list's four columns: 标题, the hidden id, 内容, 日期.
    static QList<RecordColumn> columns();
    // The time a new entry starts with: "yyyy-mm-dd hh:nn:ss".
    static QString timeText(const QDateTime &time);
    // The list's date column: the date of a time text as "yyyy-mm-dd", or the text itself.
    static QString listDate(const QString &time);
    // The year and month an entry is filed under, when its time has them.
    static std::optional<std::pair<QString, QString>> filedMonth(const QString &time);

    static QString yearKey(const QString &year) { return year + u'_'; }
    static QString monthKey(const QString &year, const QString &month) { return year + u'_' + month + u'_'; }
    static QString yearCaption(const QString &year) { return year + QStringLiteral("年"); }
    static QString monthCaption(const QString &month) { return month + QStringLiteral("月"); }

    // The list rows of a tree key, newest first.
    std::vector<RecordRow> LoadData(const QString &key, int accountSet);
    // The years and months that have entries.
    std::vector<DiaryYear> tree(int accountSet);
    std::optional<DiaryEntry> entry(int accountSet, qint64 id);
    // Returns the new entry's id.
    qint64 add(int accountSet, const DiaryEntry &entry);
    // False when the account set has no such entry.
    bool modify(int accountSet, const DiaryEntry &entry);
    int remove(int accountSet, qint64 id);

private:
    DataFile &data_;
};
