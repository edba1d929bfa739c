// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "budgets/budgets.h"
#include "reports/reports.h"

#include <QDate>
#include <QString>

#include <map>
#include <optional>
#include <vector>

// One line of the 预算 tab: an item's budget for the month or year and what it took.
struct BudgetLine {
    QString item;           // empty for the total line
    bool income = false;
    bool wholeYear = false; // a yearly budget shown in a month: the year up to the month's end
    Money budget, spent;
    Money left() const { return budget - spent; }
    // Taken beyond the budget (expense lines only: income beyond its budget is welcome).
    bool over() const { return !income && spent > budget; }
};

// Budgets against what the ledger took, for a month or a whole year.
struct BudgetReport {
    ReportPeriod period;
    bool year = false;
    std::vector<BudgetLine> lines;    // expense items first, then income items; by item
    std::optional<BudgetLine> total;  // the month's (year's) total budget against all expenses
};

// Sets the budgets against the ledger's sums: what each item took is counted exactly as
// the report by item counts it (kept month sums; transfers are no entries and never count).
class BudgetProgress {
public:
    explicit BudgetProgress(DataFile &data) : data_(data), budgets_(data), reports_(data) {}

    // The month of a day: its monthly budgets, and each yearly budget against the year up
    // to the month's end.
    BudgetReport month(int accountSet, const QDate &day);
    // A year: each item's monthly budgets of its twelve months added up, with its yearly one.
    BudgetReport year(int accountSet, int year);

    // The table of the tab: 项目/类别/预算/已支出/剩余/进度, the total last.
    static ReportTable table(const BudgetReport &report);
    // "餐饮" or "保险（全年）" or "工资（收入）".
    static QString caption(const BudgetLine &line);

    // What saving an expense says when it took its item over the budget of its month (or
    // of its year, for an item budgeted by the year): "餐饮本月预算 1,500.00 元，已支出
    // 1,620.50 元，超出 120.50 元". Nothing when the item was over before this entry, or
    // stays within, or has no budget, or the setting is off.
    std::optional<QString> overrun(int accountSet, const LedgerEntry &saved);

    // "本月预算剩余：380.00 元" (or "本月预算超出：...") for today's month; empty without budgets.
    QString leftThisMonth(int accountSet, const QDate &today);

private:
    // What each item took in a period, by kind and item.
    std::map<std::pair<bool, QString>, Money> spending(int accountSet, const ReportPeriod &period);
    Money expenses(const std::map<std::pair<bool, QString>, Money> &spent) const;

    DataFile &data_;
    Budgets budgets_;
    Reports reports_;
};
