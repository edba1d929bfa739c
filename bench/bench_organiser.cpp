// SPDX-License-Identifier: GPL-3.0-or-later
// The password box and the diary on an account set of 20,000 records and 20,000 diary
// entries (and a second account set of 2,000 of each beside it).
#include "bench_data.h"

#include "diary/diary.h"
#include "diary/diary_window.h"
#include "ui/record_list.h"
#include "core/time_keys.h"
#include "vault/password_box_window.h"
#include "vault/vault.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTreeView>
#include <QTreeWidget>
#include "vault/vault_tree_model.h"

namespace {

constexpr int PerSet = 20000;
constexpr int OtherSet = 2000;

const char *const Words[] = {"今天", "天气", "晴朗", "上班", "开会", "读书", "散步", "朋友", "晚饭", "电影",
                             "周末", "公园", "孩子", "学校", "超市", "下雨", "旅行", "计划", "工作", "休息"};

QString sentence(QRandomGenerator &random, int words)
{
    QString text;
    for (int i = 0; i < words; ++i)
        text += QString::fromUtf8(Words[random.bounded(int(std::size(Words)))]);
    return text;
}

// The generated program folder: account set 3 with PerSet of each, a second set with OtherSet.
QString organiserFolder()
{
    return BenchData::generatedFolder(QStringLiteral("organiser-%1").arg(PerSet), [&](DataFile &data) {
        const int first = BenchData::firstAccountSet();
        const int second = int(data.insert(
            QStringLiteral("insert into mulu (key_1, parent, class, content) values ('zbench1_', '0', '账套', '账套2')")));
        QRandomGenerator random(20241208);
        DataFile::Transaction transaction(data);
        Statement diary = data.database().prepare(
            QStringLiteral("insert into Tables (types, Title, dates, res, muluID) values (?, ?, ?, '3', ?)"));
        Statement vault = data.database().prepare(QStringLiteral(
            "insert into blank (t0, t1, t2, t3, t4, content, parent, key_1, muluID) values (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        const QDateTime start(QDate(2015, 1, 1), QTime(8, 0));
        const qint64 span = start.secsTo(QDateTime(QDate(2024, 12, 31), QTime(22, 0)));
        const char *const groups[] = {"20_22_", "20_23_", "20_24_", "30_25_", "30_26_"};
        const int total = PerSet + OtherSet;
        for (int i = 0; i < total; ++i) {
            // Every eleventh entry belongs to the second set; entries come in time order.
            const int set = (i % 11 == 10 && i / 11 < OtherSet) ? second : first;
            const QDateTime time = start.addSecs(span * i / total);
            QString body = sentence(random, 5 + random.bounded(40));
            if (random.bounded(3) == 0)
                body += QStringLiteral("\r\n") + sentence(random, 10);
            // A few times typed by hand that do not read as a date.
            const QString dates = random.bounded(200) == 0 ? QStringLiteral("昨天晚上") : time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            diary.reset();
            diary.bindAll({sentence(random, 2), body, dates, set});
            diary.run();

            const QString group = QString::fromLatin1(groups[random.bounded(5)]);
            vault.reset();
            vault.bindAll({sentence(random, 2), QStringLiteral("user%1").arg(i), QStringLiteral("pw%1").arg(random.bounded(100000)),
                           QStringLiteral("https://example.org/%1").arg(i), QStringLiteral("u%1@example.org").arg(i),
                           sentence(random, 8), TimeKeys::format(QString(), time, group.mid(3, 2)), group, set});
            vault.run();
        }
        transaction.commit();
    });
}

BenchData::BenchContext &context()
{
    static BenchData::BenchContext context(organiserFolder());
    return context;
}

int accountSet() { return BenchData::firstAccountSet(); }

size_t stepAll(Statement &st, int columns)
{
    size_t rows = 0, bytes = 0;
    while (st.step()) {
        for (int c = 0; c < columns; ++c)
            bytes += st.utf8(c).size();
        ++rows;
    }
    benchmark::DoNotOptimize(bytes);
    return rows;
}

// --- Diary ---------------------------------------------------------------------------

void BareDiaryAllEntries(benchmark::State &state)
{
    size_t rows = 0;
    for (auto _ : state) {
        Statement st = context().data.query(
            QStringLiteral("select id, types, Title, dates from Tables where muluID=? and res='3' order by id desc"),
            {accountSet()});
        rows = stepAll(st, 4);
    }
    state.counters["rows"] = double(rows);
}

void BareDiaryMonth(benchmark::State &state)
{
    size_t rows = 0;
    for (auto _ : state) {
        Statement st = context().data.query(QStringLiteral("select id, types, Title, dates from Tables where muluID=? "
                                                           "and res='3' and dates >= ? and dates < ? order by id desc"),
                                            {accountSet(), QStringLiteral("2020-06-"), QStringLiteral("2020-06.")});
        rows = stepAll(st, 4);
    }
    state.counters["rows"] = double(rows);
}

void BareDiaryTree(benchmark::State &state)
{
    size_t rows = 0;
    for (auto _ : state) {
        Statement st = context().data.query(QStringLiteral("select substr(dates, 1, 8), max(id) from Tables "
                                                           "where muluID=? and res='3' group by substr(dates, 1, 8)"),
                                            {accountSet()});
        rows = stepAll(st, 2);
    }
    state.counters["rows"] = double(rows);
}

DiaryWindow &diaryWindow()
{
    static DiaryWindow *window = [] {
        auto *w = new DiaryWindow(context().context);
        w->show();
        return w;
    }();
    return *window;
}

void DiaryLoadDataAll(benchmark::State &state)
{
    DiaryWindow &w = diaryWindow();
    for (auto _ : state)
        w.LoadData(QStringLiteral("0_"));
    state.counters["rows"] = w.list()->rowCount();
}

void DiaryLoadDataMonth(benchmark::State &state)
{
    DiaryWindow &w = diaryWindow();
    for (auto _ : state)
        w.LoadData(QStringLiteral("2020_06_"));
    state.counters["rows"] = w.list()->rowCount();
}

void DiaryLoadDataYear(benchmark::State &state)
{
    DiaryWindow &w = diaryWindow();
    for (auto _ : state)
        w.LoadData(QStringLiteral("2020_"));
    state.counters["rows"] = w.list()->rowCount();
}

void DiaryLoadTreeView(benchmark::State &state)
{
    DiaryWindow &w = diaryWindow();
    for (auto _ : state)
        w.LoadTreeView();
    state.counters["nodes"] = w.tree()->topLevelItemCount();
}

// The date tree's data alone, without the widgets.
void DiaryTreeData(benchmark::State &state)
{
    Diary diary(context().data);
    size_t years = 0;
    for (auto _ : state)
        years = diary.tree(accountSet()).size();
    state.counters["years"] = double(years);
}

// Opening: the window built, loaded, shown and painted once.
void OpenDiaryWindow(benchmark::State &state)
{
    for (auto _ : state) {
        auto *w = new DiaryWindow(context().context);
        w->show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(w->list()->rowCount());
        state.PauseTiming();
        delete w;
        state.ResumeTiming();
    }
}

// --- Password box --------------------------------------------------------------------

void BareVaultRecords(benchmark::State &state)
{
    size_t rows = 0;
    for (auto _ : state) {
        Statement st = context().data.query(
            QStringLiteral("select id, parent, key_1, t0 from blank where muluID=? order by id desc"), {accountSet()});
        rows = stepAll(st, 4);
    }
    state.counters["rows"] = double(rows);
}

PasswordBoxWindow &boxWindow()
{
    static PasswordBoxWindow *window = [] {
        auto *w = new PasswordBoxWindow(context().context);
        w->show();
        return w;
    }();
    return *window;
}

void VaultLoadTreeView(benchmark::State &state)
{
    PasswordBoxWindow &w = boxWindow();
    for (auto _ : state) {
        state.PauseTiming();
        w.treeModel()->clearRecords();
        state.ResumeTiming();
        w.LoadTreeView();
    }
    state.counters["records"] = w.treeModel()->recordCount();
}

// The rerun after an addition: every record is there already.
void VaultLoadTreeViewAgain(benchmark::State &state)
{
    PasswordBoxWindow &w = boxWindow();
    for (auto _ : state)
        w.LoadTreeView();
}

QModelIndex middleBankRecord(PasswordBoxWindow &w)
{
    const QModelIndex group = w.treeModel()->indexOf(QStringLiteral("20_23_"));
    return w.treeModel()->index(w.treeModel()->rowCount(group) / 2, 0, group);
}

void VaultClickRecord(benchmark::State &state)
{
    PasswordBoxWindow &w = boxWindow();
    const QModelIndex record = middleBankRecord(w);
    for (auto _ : state)
        w.nodeClicked(record);
}

// The record's statement addressed by key alone, as the click would be without the id.
void BareVaultRecordByKey(benchmark::State &state)
{
    PasswordBoxWindow &w = boxWindow();
    const QString key = w.treeModel()->key(middleBankRecord(w));
    for (auto _ : state) {
        Statement st = context().data.query(QStringLiteral("select * from blank where muluID=? and parent=?"),
                                            {accountSet(), key});
        benchmark::DoNotOptimize(stepAll(st, 10));
    }
}

void OpenPasswordBoxWindow(benchmark::State &state)
{
    for (auto _ : state) {
        auto *w = new PasswordBoxWindow(context().context);
        w->show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(w->treeModel()->recordCount());
        state.PauseTiming();
        delete w;
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BareDiaryAllEntries)->Unit(benchmark::kMillisecond);
BENCHMARK(DiaryLoadDataAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BareDiaryMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(DiaryLoadDataMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(DiaryLoadDataYear)->Unit(benchmark::kMillisecond);
BENCHMARK(BareDiaryTree)->Unit(benchmark::kMillisecond);
BENCHMARK(DiaryTreeData)->Unit(benchmark::kMillisecond);
BENCHMARK(DiaryLoadTreeView)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenDiaryWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BareVaultRecords)->Unit(benchmark::kMillisecond);
BENCHMARK(VaultLoadTreeView)->Unit(benchmark::kMillisecond);
BENCHMARK(VaultLoadTreeViewAgain)->Unit(benchmark::kMillisecond);
BENCHMARK(BareVaultRecordByKey)->Unit(benchmark::kMillisecond);
BENCHMARK(VaultClickRecord)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenPasswordBoxWindow)->Unit(benchmark::kMillisecond);
