// SPDX-License-Identifier: GPL-3.0-or-later
// Budgets and recurring entries on an account set of 1,000,000 entries (2015 to 2024):
// the 预算 tab's figures for a month and a year beside the bare SQLite aggregate over the
// kept sums by month and item; the due-entries check at login with 200 schedules beside
// the bare query of their pending dates; posting 100 due occurrences beside 100 bare
// inserts of entries in one transaction.
#include "bench_data.h"
#include "no_view.h"

#include "budgets/budgets.h"
#include "recurring/schedules.h"
#include "reports/budget_progress.h"
#include "reports/report_window.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QPixmap>

namespace {

constexpr int PerSet = 1000000;
const QDate Today(2025, 1, 15);

BenchData::BenchContext &context()
{
    static BenchData::BenchContext context(BenchData::ledgerFolder(2, PerSet));
    return context;
}

int set() { return BenchData::firstAccountSet(); }

void stepAll(const QString &sql, const QVariantList &values)
{
    Statement st = context().data.query(sql, values);
    size_t bytes = 0;
    while (st.step())
        for (int c = 0; c < st.columnCount(); ++c)
            bytes += st.utf8(c).size();
    benchmark::DoNotOptimize(bytes);
}

// Budgets for every expense item from 2015 on, a month total, and yearly amounts for two
// items; the kept sums counted (as the reports count them) before the first figure.
void budgetsSet()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    DataFile &data = context().data;
    data.exec(QStringLiteral("delete from yusuan where muluID=?"), {set()});
    BudgetPlan plan{QDate(2015, 1, 1), {}, Money::fromYuan(20000)};
    for (const char *item : {"餐饮", "交通", "购物", "居住", "医疗", "教育", "娱乐", "通讯"})
        plan.items.push_back({false, QString::fromUtf8(item), Money::fromYuan(2000), std::nullopt});
    plan.items[3].yearly = Money::fromYuan(30000);
    plan.items[5].yearly = Money::fromYuan(12000);
    Budgets(data).save(set(), plan, true);
    Reports(data).refreshMonths(set());
}

void BareMonthItemSums(benchmark::State &state)
{
    budgetsSet();
    for (auto _ : state)
        stepAll(QStringLiteral("select item, money_total(total) from jizhang_items where muluID=? and month=? "
                               "group by income, item"),
                {set(), QStringLiteral("2020-06")});
}

void BudgetTabMonth(benchmark::State &state)
{
    budgetsSet();
    BudgetProgress progress(context().data);
    size_t lines = 0;
    for (auto _ : state)
        lines = progress.month(set(), QDate(2020, 6, 15)).lines.size();
    state.counters["lines"] = double(lines);
}

void BareYearItemSums(benchmark::State &state)
{
    budgetsSet();
    for (auto _ : state)
        stepAll(QStringLiteral("select item, money_total(total) from jizhang_items where muluID=? and month between ? and ? "
                               "group by income, item"),
                {set(), QStringLiteral("2020-01"), QStringLiteral("2020-12")});
}

void BudgetTabYear(benchmark::State &state)
{
    budgetsSet();
    BudgetProgress progress(context().data);
    size_t lines = 0;
    for (auto _ : state)
        lines = progress.year(set(), 2020).lines.size();
    state.counters["lines"] = double(lines);
}

// The 预算 tab of 收支报表 for a month (0) or a year (1), until painted.
void WindowBudgetTab(benchmark::State &state)
{
    budgetsSet();
    NoView view;
    ReportWindow window(context().context, view);
    window.show();
    const bool year = state.range(0) != 0;
    int round = 0;
    for (auto _ : state) {
        window.showBudget(QDate(2020, 1 + round++ % 12, 15), year);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window.grab());
    }
}

// 200 monthly schedules: half started on 1 December (two dates due by Today), half start
// next year. Posted ones are taken back: their entries and records.
qint64 schedulesSet()
{
    static qint64 lastEntry = -1;
    if (lastEntry >= 0)
        return lastEntry;
    DataFile &data = context().data;
    {
        DataFile::Transaction transaction(data);
        data.exec(QStringLiteral("delete from zhouqi_ci"));
        data.exec(QStringLiteral("delete from zhouqi where muluID=?"), {set()});
        for (int i = 0; i < 200; ++i) {
            Schedule s;
            s.kind = i % 3 ? QStringLiteral("支出") : QStringLiteral("收入");
            s.item = QStringLiteral("通讯");
            s.account = QStringLiteral("银行卡");
            s.amount = QString::number(50 + i);
            s.summary = QStringLiteral("周期 %1").arg(i);
            s.rule.kind = ScheduleRule::Monthly;
            s.rule.day = 1 + i % 28;
            s.rule.start = i < 100 ? QDate(2024, 12, 1) : QDate(2026, 1, 1);
            Schedules(data).add(set(), s);
        }
        transaction.commit();
    }
    Statement st = data.query(QStringLiteral("select max(id) from jizhang"));
    lastEntry = st.step() ? st.integer(0) : 0;
    return lastEntry;
}

void takeBackPosted()
{
    DataFile &data = context().data;
    DataFile::Transaction transaction(data);
    data.exec(QStringLiteral("delete from jizhang where id > ?"), {schedulesSet()});
    data.exec(QStringLiteral("delete from zhouqi_ci"));
    data.exec(QStringLiteral("update zhouqi set pending = (select min(start) from zhouqi z where z.id = zhouqi.id) "
                             "where muluID=?"),
              {set()});
    transaction.commit();
}

void BarePendingSchedules(benchmark::State &state)
{
    schedulesSet();
    for (auto _ : state)
        stepAll(QStringLiteral("select * from zhouqi where muluID=? and pending <> '' and pending <= ?"),
                {set(), QStringLiteral("2025-01-15")});
}

void DueCheck(benchmark::State &state)
{
    schedulesSet();
    takeBackPosted();
    Schedules schedules(context().data);
    size_t due = 0;
    for (auto _ : state)
        due = schedules.due(set(), Today).size();
    state.counters["due"] = double(due);
}

void BareInsert100(benchmark::State &state)
{
    const qint64 last = schedulesSet();
    DataFile &data = context().data;
    for (auto _ : state) {
        {
            DataFile::Transaction transaction(data);
            Statement insert = data.query(QStringLiteral(
                "insert into jizhang (data, t1, t2, t3, t4, t5, content, muluID) values (?, '支出', '通讯', '银行卡', '', ?, '周期', ?)"));
            for (int i = 0; i < 100; ++i) {
                insert.reset();
                insert.bindAll({QStringLiteral("2025-01-01"), QString::number(50 + i), set()});
                insert.run();
            }
            transaction.commit();
        }
        state.PauseTiming();
        data.exec(QStringLiteral("delete from jizhang where id > ?"), {last});
        state.ResumeTiming();
    }
}

void Post100(benchmark::State &state)
{
    schedulesSet();
    Schedules schedules(context().data);
    int posted = 0;
    for (auto _ : state) {
        state.PauseTiming();
        takeBackPosted();
        std::vector<Occurrence> due = schedules.due(set(), Today);
        due.resize(std::min<size_t>(due.size(), 100));
        state.ResumeTiming();
        posted = schedules.post(set(), due).posted;
    }
    takeBackPosted();
    state.counters["posted"] = posted;
}

} // namespace

BENCHMARK(BareMonthItemSums)->Unit(benchmark::kMillisecond);
BENCHMARK(BudgetTabMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(BareYearItemSums)->Unit(benchmark::kMillisecond);
BENCHMARK(BudgetTabYear)->Unit(benchmark::kMillisecond);
BENCHMARK(WindowBudgetTab)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BarePendingSchedules)->Unit(benchmark::kMillisecond);
BENCHMARK(DueCheck)->Unit(benchmark::kMillisecond);
BENCHMARK(BareInsert100)->Unit(benchmark::kMillisecond);
BENCHMARK(Post100)->Unit(benchmark::kMillisecond);
