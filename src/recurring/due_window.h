// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "recurring/schedules.h"
#include "ui/app_context.h"

#include <QDialog>

class QTableWidget;

// The recurring entries due (today, or missed while the program was not running), each
// date once with a tick: "记入" posts the ticked ones, "跳过" never posts them, "稍后"
// asks again at the next login.
class DueWindow : public QDialog {
    Q_OBJECT
public:
    DueWindow(const AppContext &context, std::vector<Occurrence> due, QWidget *parent = nullptr);

    QTableWidget *table() const { return table_; }
    // Ticks or clears a row.
    void setTicked(int row, bool ticked);
    void postTicked();
    void skipTicked();
    // How many entries and transfers were posted while it was open.
    int posted() const { return posted_; }

private:
    std::vector<Occurrence> ticked() const;
    // Takes the rows of the occurrences dealt with off the list; closes when none is left.
    void dropDealtWith(const std::vector<Occurrence> &dealt);
    void fill();

    AppContext context_;
    std::vector<Occurrence> due_;
    QTableWidget *table_;
    int posted_ = 0;
};
