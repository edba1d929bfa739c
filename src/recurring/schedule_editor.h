// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "recurring/schedules.h"
#include "ui/app_context.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QRadioButton;
class QSpinBox;

// The window in which one schedule of recurring entries is typed in or changed: the entry
// (kind, item, account, handler, amount, summary) and its rule and end.
class ScheduleEditor : public QDialog {
    Q_OBJECT
public:
    ScheduleEditor(const AppContext &context, QWidget *parent = nullptr);

    // Loads a schedule to change; saving stores it under its id.
    void load(const Schedule &schedule);
    // What the fields hold.
    Schedule fromFields() const;
    // Checks the fields and stores the schedule; false (after saying why) when refused.
    bool save();
    qint64 savedId() const { return id_; }

private:
    void kindChosen();
    void ruleChosen();

    AppContext context_;
    qint64 id_ = 0;
    QComboBox *kind_, *item_, *account_, *toAccount_, *handler_;
    QLineEdit *amount_, *summary_;
    QComboBox *rule_, *weekday_;
    QSpinBox *every_, *day_, *month_, *times_;
    QDateEdit *start_, *until_;
    QRadioButton *noEnd_, *endDate_, *endTimes_;
    QCheckBox *automatic_;
    QList<QWidget *> itemRow_, toRow_, weekdayRow_, dayRow_, monthRow_;
};
