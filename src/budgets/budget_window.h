// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "budgets/budgets.h"
#include "ui/app_context.h"

#include <QDialog>

class QCheckBox;
class QDateEdit;
class QLineEdit;
class QTableWidget;

// "预算": the budget of each expense item (and, when asked, each income item) for a month
// and for its year, and the month's total. What is saved applies from that month on
// ("以后各月沿用") or to that month alone; "复制上月" fills in the month before's amounts.
// Also the setting whether saving an expense over its budget says so.
class BudgetWindow : public QDialog {
    Q_OBJECT
public:
    enum Column { ItemColumn, KindColumn, MonthlyColumn, YearlyColumn };

    BudgetWindow(const AppContext &context, QWidget *parent = nullptr);

    // Shows the budgets in force in the month of a day (asking first about unsaved changes).
    void showMonth(const QDate &month);
    QDate month() const;
    // Fills the fields with the month before's amounts ("复制上月"); saved by save().
    void copyPrevious();
    // Checks every field, then stores the plan; false (after saying why) when refused.
    bool save();

    QTableWidget *table() const { return table_; }
    // The row of an item; -1 when it is not listed.
    int rowOf(bool income, const QString &item) const;

protected:
    void reject() override;

private:
    void fill(const BudgetPlan &plan);
    // Unsaved changes: asks whether to save them; false when the user would rather stay.
    bool settleChanges();

    AppContext context_;
    Budgets budgets_;
    QDateEdit *month_;
    QCheckBox *withIncome_;
    QCheckBox *onward_;
    QCheckBox *warn_;
    QLineEdit *total_;
    QTableWidget *table_;
    QDate shown_;
    bool dirty_ = false;
    bool filling_ = false;
};
