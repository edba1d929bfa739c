// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "recurring/schedules.h"
#include "ui/app_context.h"

#include <QDialog>

class QLabel;
class QTableWidget;

// "周期记账": the schedules of recurring entries with each one's next date, and the
// entries of the next 30 days with their totals.
class ScheduleWindow : public QDialog {
    Q_OBJECT
public:
    ScheduleWindow(const AppContext &context, QWidget *parent = nullptr);

    void LoadData();
    void addSchedule();
    void modifySchedule();
    void deleteSchedule();

    QTableWidget *table() const { return table_; }
    QTableWidget *upcomingTable() const { return upcoming_; }
    QString upcomingTotal() const;
    // A read-only list of rows, selected whole, as the recurring windows show them.
    static QTableWidget *makeList(const QString &name, const QString &caption, const QStringList &headers,
                                  QWidget *parent);
    // The amount of an occurrence as the lists show it: "收入"/"支出"/"转账" and the amount.
    static QString describe(const Schedule &schedule);
    // The account, or "转出 → 转入" for a transfer.
    static QString accountText(const Schedule &schedule);

private:
    std::optional<Schedule> selected();

    AppContext context_;
    Schedules schedules_;
    std::vector<Schedule> listed_;
    QTableWidget *table_;
    QTableWidget *upcoming_;
    QLabel *total_;
};
