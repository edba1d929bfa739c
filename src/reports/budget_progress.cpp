// SPDX-License-Identifier: GPL-3.0-or-later
#include "reports/budget_progress.h"

#include "core/dates.h"

#include <algorithm>
#include <map>

namespace {

QDate firstOfMonth(const QDate &day) { return QDate(day.year(), day.month(), 1); }

QDate lastOfMonth(const QDate &day) { return firstOfMonth(day).addMonths(1).addDays(-1); }

} // namespace

std::map<std::pair<bool, QString>, Money> BudgetProgress::spending(int accountSet, const ReportPeriod &period)
{
    std::map<std::pair<bool, QString>, Money> spent;
    for (const Reports::Cell &cell : reports_.cells(accountSet, period, Reports::Grouping::Item))
        spent[{cell.income, cell.item}] += cell.total;
    return spent;
}

Money BudgetProgress::expenses(const std::map<std::pair<bool, QString>, Money> &spent) const
{
    Money total;
    for (const auto &[key, amount] : spent)
        if (!key.first)
            total += amount;
    return total;
}

BudgetReport BudgetProgress::month(int accountSet, const QDate &day)
{
    BudgetReport report;
    report.period = Reports::thisMonth(day);
    const BudgetPlan plan = budgets_.plan(accountSet, day);
    const auto spent = spending(accountSet, report.period);
    bool yearly = false;
    for (const ItemBudget &b : plan.items)
        yearly = yearly || b.yearly;
    const auto spentThisYear =
        yearly ? spending(accountSet, {QDate(day.year(), 1, 1), report.period.to}) : decltype(spent)();
    Money budgeted;
    for (bool income : {false, true})
        for (const ItemBudget &b : plan.items) {
            if (b.income != income)
                continue;
            const std::pair<bool, QString> key{b.income, b.item};
            if (b.monthly) {
                report.lines.push_back({b.item, b.income, false, *b.monthly, spent.count(key) ? spent.at(key) : Money()});
                if (!income)
                    budgeted += *b.monthly;
            }
            if (b.yearly)
                report.lines.push_back({b.item, b.income, true, *b.yearly,
                                        spentThisYear.count(key) ? spentThisYear.at(key) : Money()});
        }
    if (plan.total || budgeted > Money())
        report.total = BudgetLine{QString(), false, false, plan.total.value_or(budgeted), expenses(spent)};
    return report;
}

BudgetReport BudgetProgress::year(int accountSet, int year)
{
    BudgetReport report;
    report.year = true;
    report.period = {QDate(year, 1, 1), QDate(year, 12, 31)};
    const auto spent = spending(accountSet, report.period);
    std::map<std::pair<bool, QString>, Money> budget;
    std::vector<std::pair<bool, QString>> order;
    Money total;
    bool any = false;
    for (int m = 1; m <= 12; ++m) {
        const BudgetPlan plan = budgets_.plan(accountSet, QDate(year, m, 1));
        Money monthItems;
        for (const ItemBudget &b : plan.items) {
            const std::pair<bool, QString> key{b.income, b.item};
            if (!budget.count(key))
                order.push_back(key);
            // A yearly amount is the same in every month of its year: counted once.
            const Money add = b.monthly.value_or(Money()) + (m == 1 ? b.yearly.value_or(Money()) : Money());
            budget[key] += add;
            if (!b.income) {
                monthItems += b.monthly.value_or(Money());
                if (m == 1)
                    total += b.yearly.value_or(Money());
            }
        }
        // The month's total when it has one, else its items' amounts.
        total += plan.total.value_or(monthItems);
        any = any || plan.total || !plan.items.empty();
    }
    std::sort(order.begin(), order.end());
    for (const auto &key : order)
        report.lines.push_back({key.second, key.first, false, budget[key], spent.count(key) ? spent.at(key) : Money()});
    if (any)
        report.total = BudgetLine{QString(), false, false, total, expenses(spent)};
    return report;
}

QString BudgetProgress::caption(const BudgetLine &line)
{
    if (line.item.isEmpty() && !line.income)
        return QStringLiteral("合计（全部支出）");
    QString text = Reports::itemCaption(line.item);
    if (line.wholeYear)
        text += QStringLiteral("（全年）");
    if (line.income)
        text += QStringLiteral("（收入）");
    return text;
}

ReportTable BudgetProgress::table(const BudgetReport &report)
{
    ReportTable table;
    table.title = report.year ? QStringLiteral("预算：%1").arg(Reports::yearCaption(report.period.from.year()))
                              : QStringLiteral("预算：%1").arg(Reports::monthCaption(report.period.from));
    table.headers = {QStringLiteral("项目"), QStringLiteral("预算"), QStringLiteral("已支出"), QStringLiteral("剩余"),
                     QStringLiteral("进度")};
    auto row = [](const BudgetLine &line) {
        return std::vector<ReportCell>{{caption(line), {}},
                                       {Reports::amountText(line.budget), line.budget},
                                       {Reports::amountText(line.spent), line.spent},
                                       {Reports::amountText(line.left()), line.left()},
                                       {Reports::shareText(line.spent, line.budget), {}}};
    };
    for (const BudgetLine &line : report.lines)
        table.rows.push_back(row(line));
    table.rows.push_back(report.total ? row(*report.total)
                                      : std::vector<ReportCell>{{QStringLiteral("合计（全部支出）"), {}}, {}, {}, {}, {}});
    return table;
}

std::optional<QString> BudgetProgress::overrun(int accountSet, const LedgerEntry &saved)
{
    if (saved.kind == Ledger::incomeKind() || !budgets_.warns(accountSet))
        return std::nullopt;
    const std::optional<QDate> day = Dates::readDate(saved.date);
    const std::optional<Money> amount = Money::fromStored(saved.amount);
    if (!day || !amount)
        return std::nullopt;
    const BudgetPlan plan = budgets_.plan(accountSet, *day);
    const ItemBudget *b = plan.find(false, saved.item);
    if (!b || (!b->monthly && !b->yearly))
        return std::nullopt;
    // The month's budget when there is one, else the year's (the year up to the month's end).
    const bool byYear = !b->monthly;
    const ReportPeriod period{byYear ? QDate(day->year(), 1, 1) : firstOfMonth(*day), lastOfMonth(*day)};
    const auto spent = spending(accountSet, period);
    const std::pair<bool, QString> key{false, saved.item};
    const Money after = spent.count(key) ? spent.at(key) : Money();
    const Money budget = byYear ? *b->yearly : *b->monthly;
    // Said once: by the entry that takes the item over, not by every one after it.
    if (after <= budget || after - *amount > budget)
        return std::nullopt;
    return QStringLiteral("%1%2预算 %3 元，已支出 %4 元，超出 %5 元")
        .arg(saved.item, byYear ? QStringLiteral("本年") : QStringLiteral("本月"), budget.grouped(), after.grouped(),
             (after - budget).grouped());
}

QString BudgetProgress::leftThisMonth(int accountSet, const QDate &today)
{
    const BudgetReport report = month(accountSet, today);
    if (!report.total)
        return QString();
    const Money left = report.total->left();
    return left.isNegative() ? QStringLiteral("本月预算超出：%1 元").arg((-left).grouped())
                             : QStringLiteral("本月预算剩余：%1 元").arg(left.grouped());
}
