// SPDX-License-Identifier: GPL-3.0-or-later
#include "recurring/schedule_rule.h"

#include <algorithm>

namespace {

// A day of a month, or the month's last day when it has fewer days.
QDate dayOfMonth(int year, int month, int day)
{
    const QDate first(year, month, 1);
    return QDate(year, month, std::min(day, first.daysInMonth()));
}

qint64 monthNumber(const QDate &d) { return qint64(d.year()) * 12 + d.month() - 1; }

QDate monthDay(qint64 number, int day)
{
    return dayOfMonth(int(number / 12), int(number % 12) + 1, day);
}

} // namespace

QStringList ScheduleRule::kindNames()
{
    return {QStringLiteral("每天"), QStringLiteral("每周"), QStringLiteral("每月"), QStringLiteral("每月最后一天"),
            QStringLiteral("每年")};
}

QString ScheduleRule::weekdayName(int day)
{
    static const char *const names[] = {"星期一", "星期二", "星期三", "星期四", "星期五", "星期六", "星期日"};
    return day >= 1 && day <= 7 ? QString::fromUtf8(names[day - 1]) : QString();
}

std::optional<QString> ScheduleRule::problem() const
{
    if (!start.isValid())
        return QStringLiteral("请填写开始日期。");
    if (every <= 0)
        return QStringLiteral("间隔（每几期）必须大于 0。");
    if (every > 1000)
        return QStringLiteral("间隔（每几期）不能大于 1000。");
    if (kind == Weekly && (day < 1 || day > 7))
        return QStringLiteral("请选择星期几。");
    if ((kind == Monthly || kind == Yearly) && (day < 1 || day > 31))
        return QStringLiteral("日期（几号）必须在 1 到 31 之间。");
    if (kind == Yearly && (month < 1 || month > 12 || day > QDate(2000, month, 1).daysInMonth()))
        return QStringLiteral("每年的日期不存在。");
    if (until.isValid() && until < start)
        return QStringLiteral("结束日期不能早于开始日期。");
    if (times < 0)
        return QStringLiteral("次数不能是负数。");
    return std::nullopt;
}

QDate ScheduleRule::nth(qint64 n) const
{
    if (!start.isValid() || every <= 0 || n < 0)
        return QDate();
    const qint64 step = qint64(every) * n;
    switch (kind) {
    case Daily:
        return start.addDays(step);
    case Weekly: {
        const QDate first = start.addDays((day - start.dayOfWeek() + 7) % 7);
        return first.addDays(7 * step);
    }
    case Monthly: {
        qint64 m = monthNumber(start);
        if (monthDay(m, day) < start)
            ++m;
        return monthDay(m + step, day);
    }
    case MonthEnd:
        return monthDay(monthNumber(start) + step, 31);
    case Yearly: {
        int year = start.year();
        if (dayOfMonth(year, month, day) < start)
            ++year;
        const qint64 y = year + step;
        return y > 9999 ? QDate() : dayOfMonth(int(y), month, day);
    }
    }
    return QDate();
}

qint64 ScheduleRule::indexFrom(const QDate &day) const
{
    if (!start.isValid() || every <= 0 || day <= start)
        return 0;
    // A guess at or below the index, then forward.
    qint64 n = 0;
    const QDate first = nth(0);
    if (first.isValid() && day > first) {
        const qint64 days = first.daysTo(day);
        switch (kind) {
        case Daily: n = days / every; break;
        case Weekly: n = days / (7 * qint64(every)); break;
        case Monthly:
        case MonthEnd: n = std::max<qint64>(0, (monthNumber(day) - monthNumber(first)) / every - 1); break;
        case Yearly: n = std::max<qint64>(0, (day.year() - first.year()) / every - 1); break;
        }
    }
    while (true) {
        const QDate d = nth(n);
        if (!d.isValid() || d >= day)
            return n;
        ++n;
    }
}

bool ScheduleRule::within(qint64 n, const QDate &date) const
{
    return date.isValid() && (times == 0 || n < times) && (!until.isValid() || date <= until);
}

std::vector<QDate> ScheduleRule::between(const QDate &from, const QDate &to) const
{
    std::vector<QDate> dates;
    if (problem())
        return dates;
    for (qint64 n = indexFrom(from);; ++n) {
        const QDate d = nth(n);
        if (!within(n, d) || d > to)
            break;
        dates.push_back(d);
    }
    return dates;
}

QDate ScheduleRule::firstFrom(const QDate &day) const
{
    if (problem())
        return QDate();
    const qint64 n = indexFrom(day);
    const QDate d = nth(n);
    return within(n, d) ? d : QDate();
}

QString ScheduleRule::text() const
{
    const QString every_ = every > 1 ? QString::number(every) : QString();
    QString text;
    switch (kind) {
    case Daily: text = every > 1 ? QStringLiteral("每%1天").arg(every) : QStringLiteral("每天"); break;
    case Weekly: text = QStringLiteral("每%1周的%2").arg(every_, weekdayName(day)); break;
    case Monthly: text = QStringLiteral("每%1月%2日").arg(every > 1 ? every_ + QStringLiteral("个") : QString()).arg(day); break;
    case MonthEnd: text = QStringLiteral("每%1月最后一天").arg(every > 1 ? every_ + QStringLiteral("个") : QString()); break;
    case Yearly: text = QStringLiteral("每%1年%2月%3日").arg(every_).arg(month).arg(day); break;
    }
    if (times > 0)
        text += QStringLiteral("，共%1次").arg(times);
    else if (until.isValid())
        text += QStringLiteral("，至%1").arg(until.toString(QStringLiteral("yyyy-MM-dd")));
    return text;
}
