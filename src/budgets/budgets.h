// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/money.h"

#include <QDate>
#include <QString>

#include <optional>
#include <vector>

class DataFile;

// The budget of one item: what it may take in a month, in a whole year, or both.
struct ItemBudget {
    bool income = false;  // an income item (what it should bring in)
    QString item;
    std::optional<Money> monthly;
    std::optional<Money> yearly;
    bool operator==(const ItemBudget &) const = default;
};

// The budgets in force in one month of an account set: the items that have one, and the
// month's total (what all expenses together may take).
struct BudgetPlan {
    QDate month;  // its first day
    std::vector<ItemBudget> items;
    std::optional<Money> total;
    // The item's budget; nothing when it has none.
    const ItemBudget *find(bool income, const QString &item) const;
};

// The budgets of the data file (table yusuan). An amount set for a month applies to every
// later month until another is set; a yearly amount applies from its year on likewise.
// Budgets are amounts only: what was spent comes from the ledger's sums (see the reports).
class Budgets {
public:
    explicit Budgets(DataFile &data) : data_(data) {}

    // The amounts in force in the month of a day.
    BudgetPlan plan(int accountSet, const QDate &month);
    // The plan of the month before, dated this month ("复制上月").
    BudgetPlan previous(int accountSet, const QDate &month);

    // What a typed budget amount is: nothing for an empty text (no budget), the amount, or
    // the reason it is refused, naming the field ("餐饮的月预算不能是负数").
    struct Typed {
        std::optional<Money> amount;
        QString problem;
    };
    static Typed read(const QString &field, const QString &text);

    // Stores the plan for its month: each amount that differs from the one in force. With
    // `onward` false the amounts in force before come back the month after (only this
    // month changes). Items of the catalogue missing from the plan keep their budgets.
    // One transaction.
    void save(int accountSet, const BudgetPlan &plan, bool onward);

    // Whether saving an expense that takes its item over its budget says so (on at first).
    bool warns(int accountSet);
    void setWarns(int accountSet, bool on);

    // "2024-03".
    static QString monthKey(const QDate &month);

private:
    void store(int accountSet, const char *scope, bool income, const QString &item, const QString &start,
               const std::optional<Money> &amount);
    DataFile &data_;
};
