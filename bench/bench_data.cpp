// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench_data.h"

#include "app/sums_builder.h"
#include "core/money.h"
#include "store/data_file.h"
#include "store/program_folder.h"
#include "store/schema.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>

#include <cmath>
#include <cstdio>
#include <malloc.h>
#include <map>
#include <string>

namespace BenchData {

namespace {

QString dataFolder = QStringLiteral("build/bench-data");

const char *const IncomeItems[] = {"工资", "奖金", "理财收益", "兼职"};
const char *const ExpenseItems[] = {"餐饮", "交通", "购物", "居住", "医疗", "教育", "娱乐", "通讯"};
const char *const Methods[] = {"现金", "银行卡", "信用卡", "支付宝"};
const char *const Handlers[] = {"本人", "爱人", "孩子"};
const char *const Words[] = {"午饭", "晚饭", "超市", "地铁", "公交", "房租", "水电", "电话费", "书店", "电影",
                             "同事", "朋友", "周末", "早餐", "水果", "加油", "停车", "网购", "衣服", "药店"};

template <size_t N> QString pick(const char *const (&list)[N], QRandomGenerator &random)
{
    return QString::fromUtf8(list[random.bounded(int(N))]);
}

} // namespace

namespace {
int perSetGiven = 0;
} // namespace

QString folder() { return dataFolder; }

int perSet(int fallback) { return perSetGiven > 0 ? perSetGiven : fallback; }

void setPerSet(int entries) { perSetGiven = entries; }

void setFolder(const QString &path) { dataFolder = path; }

int firstAccountSet() { return 3; }

QString generatedFolder(const QString &name, const std::function<void(DataFile &)> &fill)
{
    const QString path = QDir(dataFolder).absoluteFilePath(name);
    const ProgramFolder programFolder(path);
    if (QFile::exists(programFolder.dataFile()))
        return path;
    // Built beside its final name, so an interrupted run never leaves a half-made file.
    QDir().mkpath(programFolder.plugIns());
    const QString building = programFolder.dataFile() + QStringLiteral(".building");
    QFile::remove(building);
    QElapsedTimer timer;
    timer.start();
    {
        DataFile data(building);
        data.OpenDataFile();
        fill(data);
        data.close();
    }
    std::fprintf(stderr, "generated %s in %.1f s\n", qPrintable(name), double(timer.elapsed()) / 1000);
    QFile::rename(building, programFolder.dataFile());
    return path;
}

QString ledgerFolder(int accountSets, int perSet)
{
    const QString folder = generatedLedger(accountSets, perSet);
    // The file keeps every sum, as a file this program has worked on does: built once (the
    // time printed), looked at by every later call of the process.
    static QSet<QString> built;
    if (!built.contains(folder)) {
        QElapsedTimer timer;
        timer.start();
        DataFile data(ProgramFolder(folder).dataFile());
        int pieces = 0;
        SumsBuilder::build(data, [&](int, int) { return ++pieces > 0; });
        if (pieces > 0)
            std::fprintf(stderr, "built the sums of %s in %.1f s\n", qPrintable(folder), double(timer.elapsed()) / 1000);
        built.insert(folder);
    }
    return folder;
}

QString generatedLedger(int accountSets, int perSet)
{
    return generatedFolder(QStringLiteral("ledger-%1x%2").arg(accountSets).arg(perSet), [&](DataFile &data) {
        // The seed made account set 3; add the others right after it.
        for (int i = 1; i < accountSets; ++i)
            data.insert(QStringLiteral("insert into mulu (key_1, parent, class, content) values (?, '0', '账套', ?)"),
                        {QStringLiteral("zbench%1_").arg(i), QStringLiteral("账套%1").arg(i + 1)});
        Statement ids = data.query(QStringLiteral("select id from mulu where class='账套' order by id"));
        QList<int> sets;
        while (ids.step())
            sets << int(ids.integer(0));

        // Entries go in without the indexes and triggers of jizhang, which are then made
        // as an older file gains them (sorted once, not kept in order row by row): the
        // same file, made in a fraction of the time. Every month's sums are stale then.
        Database &db = data.database();
        db.execute(QStringLiteral("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; "
                                  "PRAGMA temp_store = MEMORY; PRAGMA threads = 2; PRAGMA cache_size = -262144"));
        QStringList dropped;
        {
            Statement st = db.prepare(QStringLiteral(
                "select type, name from sqlite_master where tbl_name = 'jizhang' and type in ('index', 'trigger') "
                "and sql is not null"));
            while (st.step())
                dropped << QStringLiteral("DROP %1 %2;").arg(st.text(0).toUpper(), st.text(1));
        }
        db.execute(dropped.join(u' '));
        QRandomGenerator random(20241207);
        DataFile::Transaction transaction(data);
        Statement insert = data.database().prepare(QStringLiteral(
            "insert into jizhang (data, t1, t2, t3, t4, t5, content, muluID) values (?, ?, ?, ?, ?, ?, ?, ?)"));
        const QDate first(2015, 1, 1);
        const qint64 days = first.daysTo(QDate(2024, 12, 31)) + 1;
        const qint64 total = qint64(perSet) * accountSets;
        for (qint64 i = 0; i < total; ++i) {
            const QDate date = first.addDays(i * days / total);
            const bool income = random.bounded(5) == 0;
            QString summary = pick(Words, random) + u' ' + pick(Words, random);
            if (random.bounded(10) == 0)
                summary += QStringLiteral("\r\n") + pick(Words, random);
            const qint64 cents = income ? 100000 + random.bounded(900000) : 100 + random.bounded(50000);
            insert.reset();
            insert.bindAll({date.toString(QStringLiteral("yyyy-MM-dd")), income ? QStringLiteral("收入") : QStringLiteral("支出"),
                            income ? pick(IncomeItems, random) : pick(ExpenseItems, random), pick(Methods, random),
                            pick(Handlers, random), Money::fromUnits(Money::Units(cents) * 10000000000LL).plain(),
                            summary, sets[int(i % accountSets)]});
            insert.run();
        }
        transaction.commit();
        Schema::migrate(db, Schema::Version - 1);
        // A large ledger is left without its later indexes by the migration: made here, as
        // the background build would.
        for (const QString &index : Schema::laterIndexes(db))
            db.execute(Schema::laterIndexSql(index));
        db.execute(QStringLiteral("PRAGMA journal_mode = DELETE; PRAGMA synchronous = FULL"));
    });
}

Prompt::Answer SilentPrompt::message(QWidget *, Icon, const QString &, const QString &, Buttons, Answer defaultAnswer)
{
    ++messages;
    return defaultAnswer;
}

BenchContext::BenchContext(const QString &path)
    : folder(path), data(folder.dataFile()), context{folder, data, session, prompt, launcher}
{
    session.CurrentUserName = QStringLiteral("admin");
    session.CurrentAccountSetId = firstAccountSet();
    data.OpenDataFile();
}

namespace {
std::map<std::string, ChildMain> &children()
{
    static std::map<std::string, ChildMain> registered;
    return registered;
}
} // namespace

bool registerChild(const char *name, ChildMain main)
{
    children()[name] = main;
    return true;
}

int runChild(const char *name, int argc, char **argv)
{
    const auto found = children().find(name);
    if (found == children().end()) {
        std::fprintf(stderr, "no child %s\n", name);
        return 2;
    }
    return found->second(argc, argv);
}

std::size_t residentBytes()
{
    malloc_trim(0);
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return size_t(line.mid(6).trimmed().split(' ').first().toULongLong()) * 1024;
    return 0;
}

} // namespace BenchData
