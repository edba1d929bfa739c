// SPDX-License-Identifier: GPL-3.0-or-later
#include "budgets/budgets.h"

#include "store/data_file.h"

#include <map>

namespace {

const char *const Month = "month";
const char *const Year = "year";
const char *const Total = "total";

std::optional<Money> stored(const Statement &st, int column)
{
    return st.isNull(column) ? std::nullopt : Money::fromStored(st.utf8(column));
}

QVariant storedValue(const std::optional<Money> &amount)
{
    return amount ? QVariant(amount->exact()) : QVariant();
}

} // namespace

const ItemBudget *BudgetPlan::find(bool income, const QString &item) const
{
    for (const ItemBudget &b : items)
        if (b.income == income && b.item == item)
            return &b;
    return nullptr;
}

QString Budgets::monthKey(const QDate &month) { return month.toString(QStringLiteral("yyyy-MM")); }

BudgetPlan Budgets::plan(int accountSet, const QDate &month)
{
    BudgetPlan plan;
    plan.month = QDate(month.year(), month.month(), 1);
    // The latest row of each budget that starts in this month or before.
    Statement st = data_.query(
        QStringLiteral("select scope, income, item, amount from yusuan y where muluID=? and start = "
                       "(select max(start) from yusuan where muluID=y.muluID and scope=y.scope and "
                       "income=y.income and item=y.item and start <= ?) order by income, item"),
        {accountSet, monthKey(plan.month)});
    std::map<std::pair<bool, QString>, ItemBudget> items;
    std::vector<std::pair<bool, QString>> order;
    while (st.step()) {
        const QString scope = st.text(0);
        const std::optional<Money> amount = stored(st, 3);
        if (scope == QLatin1String(Total)) {
            plan.total = amount;
            continue;
        }
        if (!amount)
            continue;
        const std::pair<bool, QString> key{st.integer(1) != 0, st.text(2)};
        auto [at, fresh] = items.try_emplace(key, ItemBudget{key.first, key.second, {}, {}});
        if (fresh)
            order.push_back(key);
        (scope == QLatin1String(Year) ? at->second.yearly : at->second.monthly) = amount;
    }
    for (const auto &key : order)
        plan.items.push_back(items[key]);
    return plan;
}

BudgetPlan Budgets::previous(int accountSet, const QDate &month)
{
    BudgetPlan before = plan(accountSet, QDate(month.year(), month.month(), 1).addMonths(-1));
    before.month = QDate(month.year(), month.month(), 1);
    return before;
}

Budgets::Typed Budgets::read(const QString &field, const QString &text)
{
    if (text.trimmed().isEmpty())
        return {};
    const std::optional<Money> amount = Money::parseGrouped(text.trimmed());
    if (!amount)
        return {std::nullopt, QStringLiteral("%1必须是一个金额（例如 1500 或 1,500.00）。").arg(field)};
    if (amount->isNegative())
        return {std::nullopt, QStringLiteral("%1不能是负数。").arg(field)};
    return {amount, QString()};
}

void Budgets::store(int accountSet, const char *scope, bool income, const QString &item, const QString &start,
                    const std::optional<Money> &amount)
{
    data_.exec(QStringLiteral("insert or replace into yusuan (muluID, scope, income, item, start, amount) "
                              "values (?, ?, ?, ?, ?, ?)"),
               {accountSet, QLatin1String(scope), income ? 1 : 0, item, start, storedValue(amount)});
}

void Budgets::save(int accountSet, const BudgetPlan &wanted, bool onward)
{
    const QDate month(wanted.month.year(), wanted.month.month(), 1);
    const QString start = monthKey(month);
    const QString yearStart = monthKey(QDate(month.year(), 1, 1));
    const QString next = monthKey(month.addMonths(1));
    const QString nextYear = monthKey(QDate(month.year() + 1, 1, 1));
    DataFile::Transaction transaction(data_);
    const BudgetPlan now = plan(accountSet, month);
    const BudgetPlan after = plan(accountSet, month.addMonths(1));
    const BudgetPlan yearAfter = plan(accountSet, QDate(month.year() + 1, 1, 1));
    // Sets one amount from its start; when only this month (or year) changes, the amount
    // in force before comes back after it, unless something else was set there already.
    auto set = [&](const char *scope, bool income, const QString &item, const std::optional<Money> &old,
                   const std::optional<Money> &amount, const QString &from, const QString &then,
                   const std::optional<Money> &thenInForce) {
        if (old == amount)
            return;
        store(accountSet, scope, income, item, from, amount);
        if (!onward && thenInForce == old)
            store(accountSet, scope, income, item, then, old);
    };
    for (const ItemBudget &b : wanted.items) {
        const ItemBudget *was = now.find(b.income, b.item);
        const ItemBudget *later = after.find(b.income, b.item);
        const ItemBudget *laterYear = yearAfter.find(b.income, b.item);
        set(Month, b.income, b.item, was ? was->monthly : std::nullopt, b.monthly, start, next,
            later ? later->monthly : std::nullopt);
        set(Year, b.income, b.item, was ? was->yearly : std::nullopt, b.yearly, yearStart, nextYear,
            laterYear ? laterYear->yearly : std::nullopt);
    }
    set(Total, false, QString(), now.total, wanted.total, start, next, after.total);
    transaction.commit();
}

bool Budgets::warns(int accountSet)
{
    Statement st = data_.query(QStringLiteral("select warn from yusuan_shezhi where muluID=?"), {accountSet});
    return !st.step() || st.integer(0) != 0;
}

void Budgets::setWarns(int accountSet, bool on)
{
    data_.exec(QStringLiteral("insert or replace into yusuan_shezhi (muluID, warn) values (?, ?)"),
               {accountSet, on ? 1 : 0});
}
