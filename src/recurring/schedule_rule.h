// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// When a recurring entry falls: every N days, every N weeks on a weekday, every N months
// on a day (a day the month lacks means its last day), on the last day of every N months,
// or every N years on a date (29 February means the 28th in other years); from a start
// date, until an end date, for a number of times, or for ever.
struct ScheduleRule {
    enum Kind { Daily, Weekly, Monthly, MonthEnd, Yearly };
    Kind kind = Monthly;
    int every = 1;   // N
    int day = 1;     // weekday 1 (Monday) to 7 (Weekly); day of the month 1 to 31 (Monthly, Yearly)
    int month = 1;   // month of the year (Yearly)
    QDate start;
    QDate until;     // invalid: no end date
    int times = 0;   // 0: no number of times

    // What keeps the rule from being stored, naming the field; nothing when it can be.
    std::optional<QString> problem() const;
    // The n-th date of the rule from its start (0 the first), leaving its end aside.
    QDate nth(qint64 n) const;
    // The dates of the rule from `from` to `to` (both inclusive), within its end.
    std::vector<QDate> between(const QDate &from, const QDate &to) const;
    // The first date on or after a day; invalid when the rule has ended by then.
    QDate firstFrom(const QDate &day) const;
    // "每月15日", "每2周的星期一", "每月最后一天", "每年2月29日", with its end: "，共12次".
    QString text() const;

    // "每天", "每周", "每月", "每月最后一天", "每年", in the order of Kind.
    static QStringList kindNames();
    static QString weekdayName(int day);  // "星期一" ...

private:
    // The index of the first date on or after a day (its end aside).
    qint64 indexFrom(const QDate &day) const;
    bool within(qint64 n, const QDate &date) const;
};
