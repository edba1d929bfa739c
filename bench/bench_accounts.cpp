// SPDX-License-Identifier: GPL-3.0-or-later
// Accounts on a generated data file of 1,000,000 entries over 8 accounts and ten years, with
// 20,000 transfers between them: every balance, an account's list with its running balance
// (the first screen), and a transfer saved with every balance shown again, each beside the
// bare aggregate of the same run. The figures that keep changing the file work on a private
// copy of it.
#include "bench_data.h"

#include "accounts/account_list_model.h"
#include "accounts/accounts.h"
#include "accounts/accounts_pane.h"
#include "ledger/transfers.h"
#include "store/program_folder.h"

#include <benchmark/benchmark.h>

#include <QDate>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <memory>

namespace {

constexpr int Entries = 1000000;
constexpr int TransferCount = 20000;

const char *const Names[] = {"现金", "银行卡", "信用卡", "支付宝", "微信", "工资卡", "零钱通", "定期存款"};
const char *const Kinds[] = {"现金", "储蓄卡", "信用卡", "支付宝", "微信", "储蓄卡", "其他", "储蓄卡"};

QString accountsFolder()
{
    return BenchData::generatedFolder(QStringLiteral("accounts-%1").arg(Entries), [](DataFile &data) {
        Statement setId = data.query(QStringLiteral("select id from mulu where class='账套' order by id limit 1"));
        setId.step();
        const int accountSet = int(setId.integer(0));
        Accounts accounts(data);
        for (int i = 0; i < 8; ++i) {
            Account a;
            a.name = QString::fromUtf8(Names[i]);
            a.kind = QString::fromUtf8(Kinds[i]);
            a.opening = Money::fromYuan(1000 * i);
            // Some accounts open in the middle of a month, as a user starts them.
            if (i % 3 == 1)
                a.openingDate = QStringLiteral("2015-0%1-15").arg(i % 9 + 1);
            if (std::optional<Account> seed = accounts.byName(accountSet, a.name)) {
                a.id = seed->id;
                accounts.save(accountSet, a);
            } else {
                accounts.add(accountSet, a);
            }
        }
        QRandomGenerator random(20250301);
        const QDate first(2015, 1, 1);
        const qint64 days = first.daysTo(QDate(2024, 12, 31)) + 1;
        DataFile::Transaction transaction(data);
        Statement insert = data.database().prepare(QStringLiteral(
            "insert into jizhang (data, t1, t2, t3, t4, t5, content, muluID) values (?, ?, ?, ?, '本人', ?, ?, ?)"));
        for (qint64 i = 0; i < Entries; ++i) {
            const QString date = first.addDays(i * days / Entries).toString(QStringLiteral("yyyy-MM-dd"));
            const bool income = random.bounded(5) == 0;
            const qint64 cents = income ? 100000 + random.bounded(900000) : 100 + random.bounded(50000);
            insert.reset();
            insert.bindAll({date, income ? QStringLiteral("收入") : QStringLiteral("支出"),
                            income ? QStringLiteral("工资") : QStringLiteral("购物"),
                            QString::fromUtf8(Names[random.bounded(8)]),
                            Money::fromUnits(Money::Units(cents) * 10000000000LL).plain(), QStringLiteral("超市"),
                            accountSet});
            insert.run();
        }
        Statement move = data.database().prepare(QStringLiteral(
            "insert into zhuanzhang (data, outAccount, inAccount, amount, content, muluID) values (?, ?, ?, ?, '', ?)"));
        for (int i = 0; i < TransferCount; ++i) {
            const int from = random.bounded(8), to = (from + 1 + random.bounded(7)) % 8;
            move.reset();
            move.bindAll({first.addDays(qint64(i) * days / TransferCount).toString(QStringLiteral("yyyy-MM-dd")),
                          QString::fromUtf8(Names[from]), QString::fromUtf8(Names[to]),
                          QString::number(100 + random.bounded(5000)), accountSet});
            move.run();
        }
        transaction.commit();
        // The sums are kept from now on, as in a file in use.
        accounts.balances(accountSet, QDate::currentDate());
    });
}

// A program folder of our own holding a copy of the shared file, which the figures that
// write may change.
struct Work {
    Work()
    {
        QFile::copy(ProgramFolder(accountsFolder()).dataFile(), ProgramFolder(dir.path()).dataFile());
        context = std::make_unique<BenchData::BenchContext>(dir.path());
        pane = std::make_unique<AccountsPane>(context->context, nullptr);
    }
    QTemporaryDir dir;
    std::unique_ptr<BenchData::BenchContext> context;
    std::unique_ptr<AccountsPane> pane;
};

Work &work()
{
    static Work *w = new Work;  // kept to the end, past the application object
    return *w;
}

int accountSet() { return work().context->session.CurrentAccountSetId; }

// What every balance costs without kept sums: each account's entries and transfer sides
// added up from all the rows.
void BareAggregateAllBalances(benchmark::State &state)
{
    DataFile &data = work().context->data;
    for (auto _ : state) {
        Statement entries = data.query(
            QStringLiteral("select t3, money_total(case when t1 IS '收入' then t5 end), money_total(case when t1 IS NOT "
                           "'收入' then t5 end) from jizhang where muluID=? group by t3"),
            {accountSet()});
        int rows = 0;
        while (entries.step())
            ++rows;
        for (const char *side : {"outAccount", "inAccount"}) {
            Statement moved = data.query(QStringLiteral("select %1, money_total(amount) from zhuanzhang where muluID=? "
                                                        "group by %1")
                                             .arg(QLatin1String(side)),
                                         {accountSet()});
            while (moved.step())
                ++rows;
        }
        benchmark::DoNotOptimize(rows);
    }
}

void AllBalances(benchmark::State &state)
{
    DataFile &data = work().context->data;
    size_t accounts = 0;
    for (auto _ : state)
        accounts = Accounts(data).balances(accountSet(), QDate::currentDate()).size();
    state.counters["accounts"] = double(accounts);
}

// The bare statement of an account's newest hundred entries.
void BareAccountFirstScreen(benchmark::State &state)
{
    DataFile &data = work().context->data;
    for (auto _ : state) {
        Statement st = data.query(QStringLiteral("select id, data, t1, t2, t5, content from jizhang where muluID=? and "
                                                 "t3=? order by data desc, id desc limit 100"),
                                  {accountSet(), QStringLiteral("银行卡")});
        size_t bytes = 0;
        while (st.step())
            bytes += st.utf8(5).size();
        benchmark::DoNotOptimize(bytes);
    }
}

// Clicking an account: its list made, and the first hundred rows with every cell read as
// the view reads them.
void AccountListFirstScreen(benchmark::State &state)
{
    AccountsPane &pane = *work().pane;
    for (auto _ : state) {
        pane.showAccount(QStringLiteral("银行卡"));
        AccountListModel &model = *pane.rows();
        for (int row = 0; row < 100; ++row)
            for (int column = 0; column < model.columnCount(); ++column)
                benchmark::DoNotOptimize(model.data(model.index(row, column)));
    }
    state.counters["rows"] = pane.rows()->rowCount();
}

// A transfer stored and every balance of the pane shown again.
void TransferSavedAndBalancesShown(benchmark::State &state)
{
    Work &w = work();
    Transfers transfers(w.context->data);
    int day = 0;
    for (auto _ : state) {
        Transfer t;
        t.date = QDate(2024, 6, 1).addDays(day++ % 200).toString(QStringLiteral("yyyy-MM-dd"));
        t.from = QStringLiteral("银行卡");
        t.to = QStringLiteral("现金");
        t.amount = QStringLiteral("100");
        transfers.add(t, accountSet());
        w.pane->reload();
    }
}

// The bare statement under a transfer saved: one row inserted and committed, what the disk
// takes for one commit (a transfer saved and shown again makes two: its own and the kept sums').
void BareTransferInsert(benchmark::State &state)
{
    DataFile &data = work().context->data;
    for (auto _ : state) {
        DataFile::Transaction transaction(data);
        data.exec(QStringLiteral("insert into zhuanzhang (data, outAccount, inAccount, amount, content, muluID) "
                                 "values ('2024-06-01', '银行卡', '现金', '100', '', ?)"),
                  {accountSet()});
        transaction.commit();
    }
}

} // namespace

BENCHMARK(BareAggregateAllBalances)->Unit(benchmark::kMillisecond);
BENCHMARK(AllBalances)->Unit(benchmark::kMillisecond);
BENCHMARK(BareAccountFirstScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(AccountListFirstScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(TransferSavedAndBalancesShown)->Unit(benchmark::kMillisecond);
BENCHMARK(BareTransferInsert)->Unit(benchmark::kMillisecond);
