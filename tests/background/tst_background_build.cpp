// SPDX-License-Identifier: GPL-3.0-or-later
#include "accounts/account_sums.h"
#include "app/sums_builder.h"
#include "core/dates.h"
#include "ledger/month_totals.h"
#include "ledger/transfers.h"
#include "reports/reports.h"
#include "store/schema.h"
#include "support/test_folder.h"
#include "support/test_main.h"

#include <QSignalSpy>

namespace {

qint64 count(DataFile &data, const QString &sql, const QVariantList &values = {})
{
    Statement st = data.query(sql, values);
    return st.step() ? st.integer(0) : -1;
}

// Two account sets of a few hundred entries over three years, with payment methods and
// without, dates of no month and transfers; then brought to what an older version left:
// no kept sums at all (version 7), and, as from another program, none of the later indexes.
struct OlderFile {
    TestFolder t;
    std::vector<int> sets;

    OlderFile()
    {
        sets = {t.defaultAccountSet(), t.addAccountSet(QStringLiteral("家庭"))};
        const QStringList methods{QStringLiteral("现金"), QStringLiteral("银行卡"), QString()};
        for (int i = 0; i < 400; ++i) {
            const QString date = QDate(2022, 1, 1).addDays(i * 3).toString(Qt::ISODate);
            t.addEntry(sets[i % 2], date, i % 5 ? QStringLiteral("支出") : QStringLiteral("收入"),
                       QString::number(i % 7 + 0.25 * (i % 4)), i % 5 ? QStringLiteral("餐饮") : QStringLiteral("工资"),
                       QString(), methods[i % 3]);
        }
        t.addEntry(sets[0], QStringLiteral("no date"), QStringLiteral("支出"), QStringLiteral("0.66"),
                   QStringLiteral("餐饮"), QString(), QStringLiteral("现金"));
        t.addEntry(sets[1], QString(), QStringLiteral("收入"), QStringLiteral("not a number"), QString(), QString(),
                   QStringLiteral("银行卡"));
        std::vector<Transfer> moves;
        for (int month = 0; month < 20; ++month) {
            Transfer m;
            m.date = QDate(2022, 2, 10).addMonths(month).toString(Qt::ISODate);
            m.from = QStringLiteral("银行卡");
            m.to = QStringLiteral("现金");
            m.amount = QString::number(month + 1);
            moves.push_back(m);
        }
        Transfers(t.data).addAll(moves, sets[0]);
        // A large ledger by its ids, with the index of the payment method alone that
        // versions 4 to 13 kept: opening leaves that one to the background build to drop.
        t.data.database().execute(QStringLiteral("UPDATE jizhang SET id = id + 100000; "
                                                 "CREATE INDEX jizhang_muluID_t3 ON jizhang(muluID, t3); "
                                                 "DELETE FROM jizhang_items; DELETE FROM jizhang_items_stale; "
                                                 "DELETE FROM jizhang_months; DELETE FROM zhanghu_months; "
                                                 "DELETE FROM zhanghu_months_stale; PRAGMA user_version = 7"));
        t.data.close();
        t.data.OpenDataFile();
        QStringList drops;
        for (const char *index : {"jizhang_muluID_t3_data", "jizhang_muluID_t2", "jizhang_muluID_kind_number"})
            drops << QStringLiteral("DROP INDEX %1;").arg(QLatin1String(index));
        t.data.database().execute(drops.join(u' '));
    }
};

// Every kept sum of the file as text, in one order.
QStringList sums(DataFile &data)
{
    QStringList rows;
    for (const char *sql : {"select muluID, month, income, item, entries, total from jizhang_items order by 1, 2, 3, 4",
                            "select muluID, month, entries, income, expense from jizhang_months order by 1, 2",
                            "select muluID, account, month, entries, income, expense, moveIn, moveOut "
                            "from zhanghu_months order by 1, 2, 3"}) {
        Statement st = data.query(QString::fromUtf8(sql));
        while (st.step()) {
            QStringList row;
            for (int column = 0; column < st.columnCount(); ++column)
                row << st.text(column);
            rows << row.join(u'|');
        }
        rows << QStringLiteral("--");
    }
    return rows;
}

// The sums as counted from scratch the way the window keeps them after a change: each
// month, and each account's month, marked by the rule of the triggers and counted again.
QStringList recounted(DataFile &data, const std::vector<int> &sets)
{
    const QString month = Dates::monthKeySql(QStringLiteral("data"));
    data.database().execute(QStringLiteral(
        "DELETE FROM jizhang_items; DELETE FROM jizhang_items_stale; DELETE FROM jizhang_months; "
        "DELETE FROM zhanghu_months; DELETE FROM zhanghu_months_stale; "
        "INSERT INTO jizhang_items_stale SELECT DISTINCT muluID, %1 FROM jizhang; "
        "INSERT INTO zhanghu_months_stale SELECT DISTINCT muluID, t3, %1 FROM jizhang WHERE t3 IS NOT NULL "
        "UNION SELECT muluID, outAccount, %1 FROM zhuanzhang UNION SELECT muluID, inAccount, %1 FROM zhuanzhang")
                                .arg(month));
    for (int set : sets) {
        Reports(data).refreshMonths(set);
        MonthTotals(data).all(set);
        AccountSums(data).refresh(set);
    }
    return sums(data);
}

qint64 marks(DataFile &data)
{
    return count(data, QStringLiteral("select (select count(*) from jizhang_items_stale) + "
                                      "(select count(*) from zhanghu_months_stale)"));
}

} // namespace

class BackgroundBuildTest : public QObject {
    Q_OBJECT
private slots:
    void stoppedHalfwayFinishesNextTime();
    void buildsBesideTheWindowsWrites();
};

void BackgroundBuildTest::stoppedHalfwayFinishesNextTime()
{
    OlderFile f;
    DataFile &data = f.t.data;
    // Opening read no entry: one mark of every month per account set, for the item sums
    // and for the accounts.
    QCOMPARE(count(data, "select count(*) from jizhang_items_stale where month is null"), 2);
    QCOMPARE(count(data, "select count(*) from zhanghu_months_stale where account is null and month is null"), 2);

    // Stopped halfway, as by a kill between two pieces (each piece is a transaction of its own).
    int stoppedAt = 0, of = 0;
    QVERIFY(!SumsBuilder::build(data, [&](int done, int total) {
        stoppedAt = done;
        of = total;
        return done < total / 2;
    }));
    QVERIFY(of > 100);
    QVERIFY(stoppedAt >= of / 2 && stoppedAt < of);
    QVERIFY(marks(data) > 0);
    QCOMPARE(Schema::laterIndexes(data.database()).size(), 4);
    QCOMPARE(count(data, "select count(*) from sqlite_master where name='jizhang_muluID_t3'"), 1);

    // The next opening finishes it, with every mark gone and every index there.
    data.close();
    DataFile next(data.path());
    int rest = 0;
    QVERIFY(SumsBuilder::build(next, [&](int done, int) {
        rest = done;
        return true;
    }));
    QVERIFY(rest > 0 && rest <= of - stoppedAt);
    QCOMPARE(marks(next), 0);
    QVERIFY(Schema::laterIndexes(next.database()).isEmpty());
    QCOMPARE(count(next, "select count(*) from sqlite_master where name='jizhang_muluID_t3'"), 0);
    {
        Statement check = next.query("PRAGMA integrity_check");
        QVERIFY(check.step());
        QCOMPARE(check.text(0), QStringLiteral("ok"));
    }
    // A second build finds nothing to do.
    QVERIFY(SumsBuilder::build(next, [](int, int) { return false; }));

    const QStringList built = sums(next);
    QVERIFY(built.size() > 200);  // items, months and accounts' months of both account sets
    QCOMPARE(built, recounted(next, f.sets));
}

void BackgroundBuildTest::buildsBesideTheWindowsWrites()
{
    // The build on its own thread and connection while the window's connection reads the
    // totals and writes entries: every write lands, every total is right meanwhile.
    OlderFile f;
    DataFile &data = f.t.data;
    data.setSumsBuiltElsewhere(true);
    SumsBuilder builder(data.path(), QString());
    QSignalSpy finished(&builder, &SumsBuilder::finished);
    builder.start();
    int added = 0;
    while (finished.isEmpty() && added < 2000) {
        f.t.addEntry(f.sets[added % 2], QDate(2022, 6, 1).addDays(added * 5).toString(Qt::ISODate),
                     QStringLiteral("支出"), QStringLiteral("1"), QStringLiteral("交通"), QString(), QStringLiteral("现金"));
        ++added;
        const int set = f.sets[added % 2];
        QCOMPARE(qint64(MonthTotals(data).all(set).count), count(data, "select count(*) from jizhang where muluID=?", {set}));
        QCoreApplication::processEvents();
    }
    QVERIFY(!finished.isEmpty() || finished.wait(60000));
    QCOMPARE(finished.first().first().toBool(), true);
    QVERIFY(added > 0);
    data.setSumsBuiltElsewhere(false);

    // What the window's writes marked meanwhile is counted as after any change.
    for (int set : f.sets) {
        Reports(data).refreshMonths(set);
        MonthTotals(data).all(set);
        AccountSums(data).refresh(set);
    }
    QCOMPARE(marks(data), 0);
    QVERIFY(Schema::laterIndexes(data.database()).isEmpty());
    const QStringList built = sums(data);
    QCOMPARE(built, recounted(data, f.sets));
}

TALLYRA_TEST(BackgroundBuildTest)
#include "tst_background_build.moc"
