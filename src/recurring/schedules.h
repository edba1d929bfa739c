// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "recurring/schedule_rule.h"

#include <QDate>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class DataFile;

// A recurring entry: what to post (an income or expense entry, or a transfer) and when.
struct Schedule {
    qint64 id = 0;
    QString kind;                // "收入", "支出" or "转账"
    QString item;                // entries only
    QString account;             // the entry's payment method; the paying account of a transfer
    QString toAccount;           // the receiving account of a transfer
    QString handler;
    QString amount;              // a plain decimal
    QString summary;             // CR LF between lines
    ScheduleRule rule;
    bool automatic = false;      // posted at login without asking
    QString pending;             // first date not yet posted or skipped; empty when the rule ended
};

// One date of a schedule, due or coming.
struct Occurrence {
    Schedule schedule;
    QDate date;
};

// What posting did.
struct PostOutcome {
    int posted = 0;
    int already = 0;        // posted or skipped before (by this program or another)
    QStringList failed;     // "2024-03-01 房租：..." for each one refused
    std::vector<int> failedAt;  // their places in the list given
};

// The schedules of recurring entries (tables zhouqi, zhouqi_ci). Each date of a schedule is
// dealt with once: posted as an ordinary entry or transfer, with its record written in the
// same transaction, or skipped. Editing a posted entry leaves its schedule alone.
class Schedules {
public:
    explicit Schedules(DataFile &data) : data_(data) {}

    static QString transferKind() { return QStringLiteral("转账"); }
    static QStringList kinds();

    // What keeps a schedule from being stored, naming the field; nothing when it can be.
    static std::optional<QString> problem(const Schedule &schedule);

    std::vector<Schedule> all(int accountSet);
    std::optional<Schedule> schedule(qint64 id);
    // Stores a new schedule; StoreError with problem()'s text when it is refused.
    qint64 add(int accountSet, const Schedule &schedule);
    // Saves a changed schedule: dates up to the last one dealt with are never due again.
    bool update(const Schedule &schedule);
    // Deletes a schedule (and its records); its posted entries stay.
    bool remove(qint64 id);

    // The dates due by a day that were neither posted nor skipped, by date then schedule.
    std::vector<Occurrence> due(int accountSet, const QDate &today, bool automaticOnly = false);
    // The dates of the days after today up to `days` ahead.
    std::vector<Occurrence> upcoming(int accountSet, const QDate &today, int days = 30);

    // Posts the occurrences in one transaction, each as a savepoint of its own: one that is
    // refused (an account gone) is reported and the rest are posted. afterEach is called
    // after each one is stored (inside the transaction).
    PostOutcome post(int accountSet, const std::vector<Occurrence> &occurrences,
                     const std::function<void(int done)> &afterEach = {});
    // Records the occurrences as skipped: they are never posted. Returns how many were new.
    int skip(const std::vector<Occurrence> &occurrences);

private:
    // Records one occurrence (false when it already was); then moves its schedule's pending date.
    bool record(const Occurrence &occurrence, bool posted);
    void movePending(qint64 scheduleId);
    DataFile &data_;
};
