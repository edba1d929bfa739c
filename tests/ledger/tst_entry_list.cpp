// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/money.h"
#include "ledger/entry_list.h"
#include "ledger/ledger_list_model.h"
#include "ledger/month_totals.h"
#include "support/test_folder.h"

#include <sqlcipher/sqlite3.h>

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>

#include "support/test_main.h"

namespace {

// A ledger with repeated keys (to test the order by id within a key), missing values (NULL),
// several kinds and a second account set whose entries must never show.
struct Fixture {
    TestFolder t;
    int set = 0;
    std::vector<LedgerEntry> all;  // the account set's entries as stored

    Fixture()
    {
        set = t.defaultAccountSet();
        const int other = t.addAccountSet("别人");
        DataFile::Transaction transaction(t.data);
        QRandomGenerator random(7);
        const QStringList kinds{"收入", "支出", "支出", "", "其它"};
        const QStringList items{"餐饮", "工资", "交通", "Zoo", "a'b", "100%"};
        for (int i = 0; i < 700; ++i) {
            LedgerEntry e;
            e.date = QDate(2007, 11, 20).addDays(random.bounded(120)).toString("yyyy-MM-dd");
            e.kind = kinds[random.bounded(kinds.size())];
            e.item = items[random.bounded(items.size())];
            e.method = random.bounded(3) ? QStringLiteral("现金") : QStringLiteral("银行卡");
            e.handler = QStringLiteral("人%1").arg(random.bounded(4));
            e.amount = QString::number(random.bounded(1, 300)) + (random.bounded(2) ? ".5" : "");
            e.summary = QStringLiteral("第%1笔 %2").arg(random.bounded(50)).arg(random.bounded(2) ? "午饭" : "ATM");
            e.id = t.addEntry(set, e.date, e.kind, e.amount, e.item, e.summary, e.method, e.handler);
            all.push_back(e);
            if (i % 5 == 0)
                t.addEntry(other, e.date, e.kind, e.amount, e.item, e.summary, e.method, e.handler);
        }
        // Missing values sort as SQLite sorts NULL: first ascending, last descending.
        for (const char *column : {"data", "t2", "t3", "t4", "t5", "content"}) {
            const qint64 id = t.addEntry(set, "2008-01-15", "支出", "3", "餐饮", "缺", "现金", "本人");
            t.data.exec(QStringLiteral("update jizhang set %1=NULL where id=?").arg(QString::fromLatin1(column)), {id});
            all.push_back(*Ledger(t.data).entry(id));
        }
        // Neither a payment method nor a date: first of all by payment method.
        const qint64 neither = t.addEntry(set, "2008-01-15", "支出", "4", "餐饮", "缺", "现金", "本人");
        t.data.exec(QStringLiteral("update jizhang set t3=NULL, data=NULL where id=?"), {neither});
        all.push_back(*Ledger(t.data).entry(neither));
        // Amounts that are no number sort after the numbers either way; "1e2" is one.
        for (const char *amount : {"abc", "1,5", "", " 7 ", "1e2", "0x10"})
            all.push_back(*Ledger(t.data).entry(t.addEntry(set, "2008-01-16", "收入", amount, "工资", "奇")));
        transaction.commit();
    }
};

// The order the lists promise, written out plainly: the sorted column's value (amounts as
// numbers, the sorted kind first, amounts that are no number last), missing values first
// ascending, ties by id (of a payment method, by date and then id).
std::vector<qint64> expectedOrder(std::vector<LedgerEntry> entries, const EntryQuery &q)
{
    const bool desc = q.sortColumn < 0 ? true : q.sortOrder == Qt::DescendingOrder;
    auto text = [&](const LedgerEntry &e) -> const QString & {
        switch (q.sortColumn) {
        case 2: return e.item;
        case 5: return e.method;
        case 6: return e.handler;
        case 7: return e.summary;
        default: return e.date;
        }
    };
    std::sort(entries.begin(), entries.end(), [&](const LedgerEntry &a, const LedgerEntry &b) {
        if (q.search && q.sortColumn < 0)
            return a.id > b.id;
        if (q.sortColumn == 3 || q.sortColumn == 4) {
            const bool aFirst = (a.kind == "收入") == (q.sortColumn == 3);
            const bool bFirst = (b.kind == "收入") == (q.sortColumn == 3);
            if (aFirst != bFirst)
                return aFirst;
        }
        int c;
        if (q.sortColumn == 3 || q.sortColumn == 4) {
            const std::optional<Money> x = Money::fromStored(a.amount), y = Money::fromStored(b.amount);
            if (x.has_value() != y.has_value())
                return x.has_value();
            c = !x || *x == *y ? 0 : *x < *y ? -1 : 1;
        } else if (text(a).isNull() != text(b).isNull()) {
            c = text(a).isNull() ? -1 : 1;
        } else {
            c = text(a).toUtf8().compare(text(b).toUtf8());
        }
        if (c == 0 && q.sortColumn == 5)
            c = a.date.isNull() != b.date.isNull() ? (a.date.isNull() ? -1 : 1)
                                                   : a.date.toUtf8().compare(b.date.toUtf8());
        if (c == 0)
            c = a.id < b.id ? -1 : 1;
        return desc ? c > 0 : c < 0;
    });
    std::vector<qint64> ids;
    for (const LedgerEntry &e : entries)
        ids.push_back(e.id);
    return ids;
}

// Reads a list in pages taken in a scattered order: from the end, the middle, backwards.
std::vector<qint64> readScattered(EntryList &list, int page)
{
    std::vector<qint64> ids(size_t(list.count()), -1);
    std::vector<int> starts;
    for (int first = 0; first < list.count(); first += page)
        starts.push_back(first);
    std::vector<int> order;
    for (size_t i = 0; i < starts.size(); ++i)
        order.push_back(starts[i % 2 ? starts.size() - 1 - i / 2 : i / 2]);
    order.push_back(starts.empty() ? 0 : starts[starts.size() / 2]);
    for (int first : order) {
        const std::vector<LedgerEntry> rows = list.entries(first, page);
        for (size_t i = 0; i < rows.size(); ++i)
            ids[size_t(first) + i] = rows[i].id;
    }
    return ids;
}

} // namespace

class EntryListTest : public QObject {
    Q_OBJECT
private slots:
    void everyOrderAndFilterMatchesAPlainSort();
    void totalsAndDeletingAgreeWithTheRows();
    void monthTotalsFollowEveryChange();
    void keptMonthTotalsMissNoWrite();
    void modelReadsOnDemandAndGrowsWhileReading();
};

void EntryListTest::everyOrderAndFilterMatchesAPlainSort()
{
    Fixture f;
    struct Case {
        const char *name;
        QString node;
        std::optional<SearchRequest> search;
        QString filter;
    };
    SearchRequest february;
    february.byDate = true;
    february.from = QDate(2008, 2, 1);
    february.to = QDate(2008, 2, 29);
    std::vector<Case> cases{{"all", "0_", {}, {}},
                            {"all filtered", "0_", {}, " atm "},
                            {"wildcards and quotes literal", "0_", {}, "%"},
                            {"quote", "0_", {}, "a'b"},
                            {"month", "2008_1_", {}, {}},
                            {"search", {}, february, {}},
                            {"search filtered", {}, february, "午饭"}};
    for (const Case &c : cases) {
        for (int column : {-1, 0, 2, 3, 4, 5, 6, 7}) {
            for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
                EntryQuery q;
                q.accountSet = f.set;
                q.nodeKey = c.node;
                q.search = c.search;
                q.filter = c.filter;
                q.sortColumn = column;
                q.sortOrder = order;

                std::vector<LedgerEntry> selected;
                const QString needle = c.filter.trimmed().toLower();
                for (const LedgerEntry &e : f.all) {
                    const QString day = e.date;
                    if (c.node == "2008_1_" && !(day >= "2008-01-01" && day < "2008-02-01"))
                        continue;
                    if (c.search && !(day >= "2008-02-01" && day <= "2008-02-29"))
                        continue;
                    if (!needle.isEmpty() && !e.item.toLower().contains(needle) && !e.summary.toLower().contains(needle) &&
                        !e.method.toLower().contains(needle) && !e.handler.toLower().contains(needle))
                        continue;
                    selected.push_back(e);
                }
                const QByteArray what = QByteArray(c.name) + " column " + QByteArray::number(column) +
                                        (order == Qt::AscendingOrder ? " asc" : " desc");
                EntryList list(f.t.data, q);
                QVERIFY2(list.count() == int(selected.size()), what);
                QVERIFY2(!selected.empty(), what);
                const std::vector<qint64> expected = expectedOrder(selected, q);
                QVERIFY2(readScattered(list, 37) == expected, what);
                // Page after page, each read going on from where the last one stopped.
                EntryList again(f.t.data, q);
                std::vector<qint64> inOrder;
                for (int first = 0; first < again.count(); first += 37)
                    for (const LedgerEntry &e : again.entries(first, 37))
                        inOrder.push_back(e.id);
                QVERIFY2(inOrder == expected, what);
            }
        }
    }
}

void EntryListTest::totalsAndDeletingAgreeWithTheRows()
{
    Fixture f;
    for (const QString &filter : {QString(), QStringLiteral("午饭")}) {
        EntryQuery q;
        q.accountSet = f.set;
        q.filter = filter;
        q.sortColumn = 3;
        EntryList list(f.t.data, q);
        auto sum = [&](bool income) {
            Money total;
            list.forEach([&](const LedgerEntry &e) {
                if ((e.kind == "收入") == income)
                    total += Money::fromStored(e.amount).value_or(Money());
                return true;
            }, 50);
            return total;
        };
        QCOMPARE(list.totals().income, sum(true));
        QCOMPARE(list.totals().expense, sum(false));

        // Deleting the entry at a position: the list and its totals lose exactly that entry.
        const LedgerEntry gone = list.entries(100, 1).front();
        const LedgerEntry after = list.entries(101, 1).front();
        f.t.data.exec("delete from jizhang where id=?", {gone.id});
        QVERIFY(list.remove(100, gone));
        QCOMPARE(list.entries(100, 1).front().id, after.id);
        QCOMPARE(list.totals().income, sum(true));
        QCOMPARE(list.totals().expense, sum(false));
        QCOMPARE(EntryList(f.t.data, q).count(), list.count());
    }
}

// The kept month totals of "全部记录" always equal adding up every entry, whatever changes
// the entries and whoever makes the change (here plain SQL, as another program would).
void EntryListTest::monthTotalsFollowEveryChange()
{
    Fixture f;
    auto direct = [&] {
        Statement st = f.t.data.query("select count(*), money_total(case when t1 IS '收入' then t5 end), "
                                      "money_total(case when t1 IS NOT '收入' then t5 end) from jizhang where muluID=?",
                                      {f.set});
        st.step();
        return QStringList{QString::number(st.integer(0)), st.text(1), st.text(2)};
    };
    auto kept = [&] {
        const LedgerTotals t = MonthTotals(f.t.data).all(f.set);
        return QStringList{QString::number(t.count), t.income.exact(), t.expense.exact()};
    };
    auto months = [&] {
        Statement st = f.t.data.query("select count(*) from jizhang_months where muluID=?", {f.set});
        st.step();
        return st.integer(0);
    };
    QCOMPARE(kept(), direct());
    QVERIFY(months() > 3);
    QCOMPARE(kept(), direct());  // from what was kept

    const QStringList changes{
        "insert into jizhang (data, t1, t5, muluID) values ('2008-02-10', '收入', '0.1', %1)",
        "insert into jizhang (data, t1, t5, muluID) values ('2008', '支出', '7', %1)",
        "insert into jizhang (data, t1, t5, muluID) values (20080301, '收入', '5', %1)",
        "insert into jizhang (data, t1, t5, muluID) values ('', '收入', '1e2', %1)",
        "update jizhang set t5='1000' where muluID=%1 and data='2008-02-10'",
        "update jizhang set data='2030-01-01' where id=(select min(id) from jizhang where muluID=%1)",
        "update jizhang set t1='收入' where id=(select max(id) from jizhang where muluID=%1 and t1='支出')",
        "update jizhang set muluID=0 where id=(select max(id) from jizhang where muluID=%1)",
        "delete from jizhang where muluID=%1 and data like '2008-01-1%'"};
    for (const QString &change : changes) {
        f.t.data.exec(change.arg(f.set));
        QVERIFY2(kept() == direct(), qPrintable(change));
    }
    // An account set without entries.
    QCOMPARE(MonthTotals(f.t.data).all(9999).count, 0);
}

// Months without kept totals are counted and their totals stored in one write: another
// program that tries to write in between (the hook makes it try exactly there) cannot,
// and its write made afterwards is counted.
void EntryListTest::keptMonthTotalsMissNoWrite()
{
    Fixture f;
    auto direct = [&] {
        Statement st = f.t.data.query("select count(*), money_total(t5) from jizhang where muluID=?", {f.set});
        st.step();
        return QStringLiteral("%1|%2").arg(st.integer(0)).arg(st.text(1));
    };
    auto kept = [](const LedgerTotals &t) { return QStringLiteral("%1|%2").arg(t.count).arg((t.income + t.expense).exact()); };
    Database other;
    other.open(f.t.folder.dataFile(), false);
    DataFile::applyKey(other);
    other.setBusyTimeout(0);
    const QString write = QStringLiteral("insert into jizhang (data, t1, t5, muluID) values ('2008-02-10', '收入', "
                                         "'1000000', %1)").arg(f.set);
    int refused = 0;
    MonthTotals totals(f.t.data);
    totals.setBeforeStoring([&] {
        try {
            other.execute(write);
        } catch (const StoreError &error) {
            refused += (error.code() & 0xFF) == SQLITE_BUSY;
        }
    });
    f.t.data.exec("delete from jizhang_months");
    const QString before = direct();
    QCOMPARE(kept(totals.all(f.set)), before);
    QCOMPARE(refused, 1);
    other.execute(write);
    QVERIFY(direct() != before);
    QCOMPARE(kept(totals.all(f.set)), direct());
    QCOMPARE(kept(totals.all(f.set)), direct());  // as kept
    QCOMPARE(refused, 2);  // February was counted again, and stored in one write again
}

// The list model over a generated ledger: a proper model while it is filled, sorted,
// filtered (read a month at a time) and while rows are taken out; every row shows the
// entry the list holds at that position.
void EntryListTest::modelReadsOnDemandAndGrowsWhileReading()
{
    Fixture f;
    LedgerListModel model(f.t.data);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    // "现金" also finds the entries without a date, which are read last.
    for (const QString &filter : {QString(), QStringLiteral("现金")}) {
        for (int column : {-1, 3, 7}) {
            EntryQuery q;
            q.accountSet = f.set;
            q.filter = filter;
            q.sortColumn = column;
            model.setQuery(q);
            QTRY_VERIFY(model.isComplete());
            EntryList plain(f.t.data, q);
            QCOMPARE(model.rowCount(), plain.count());
            QCOMPARE(model.totals().income, plain.totals().income);
            const int last = model.rowCount() - 1;
            for (int row : {0, 1, LedgerListModel::PageSize, last / 2, last})
                QCOMPARE(model.idAt(row), plain.entries(row, 1).front().id);
            const QModelIndex amount = model.index(0, 3);
            QCOMPARE(model.data(amount, Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
        }
        // Taking out a row far down: the rows after it move up, the totals lose it.
        const int row = model.rowCount() - 3;
        const LedgerEntry gone = *Ledger(f.t.data).entry(model.idAt(row));
        const qint64 next = model.idAt(row + 1);
        f.t.data.exec("delete from jizhang where id=?", {gone.id});
        model.removeEntry(row, gone);
        QCOMPARE(model.idAt(row), next);
        QCOMPARE(model.totals().count, EntryList(f.t.data, model.query()).count());
    }
}

TALLYRA_TEST(EntryListTest)
#include "tst_entry_list.moc"
