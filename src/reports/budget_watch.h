// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/ledger.h"
#include "ui/app_context.h"

#include <QObject>
#include <tuple>

class Commands;
class QLabel;
class QStatusBar;
class QTimer;

// The budgets where the user looks: a status-bar panel with what is left of this month's
// total budget (following every write to the data file within a moment), the word after
// saving an expense that takes its item over budget, and "预算...".
class BudgetWatch : public QObject {
    Q_OBJECT
public:
    BudgetWatch(Commands &commands, const AppContext &context, QWidget *window);

    // Puts the panel at the end of the status bar; hidden while there is no budget.
    void addPanelTo(QStatusBar *bar);
    QLabel *panel() const { return panel_; }
    // Writes the panel again (now, or only when the data file changed).
    void update();
    void updateIfChanged();
    // After an entry was saved in the editor: says once that it took its item over budget.
    void entrySaved(QWidget *editor, const LedgerEntry &entry);
    void openBudgets();

private:
    AppContext context_;
    QWidget *window_;
    QLabel *panel_;
    QTimer *watch_;
    std::tuple<void *, qint64, qint64> seen_{nullptr, -1, -1};
};
