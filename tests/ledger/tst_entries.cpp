// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileimport/batch_import.h"
#include "ledger/entry_list.h"
#include "reports/finance_summary.h"
#include "ledger/ledger.h"
#include "ledger/month_totals.h"
#include "store/schema.h"
#include "support/test_folder.h"
#include "ui/formats.h"

#include <QtTest>

#include "support/test_main.h"

namespace {

QStringList column(const LedgerPage &page, int c)
{
    QStringList result;
    for (const RecordRow &row : page.rows)
        result << row.cell(c).toString();
    return result;
}

qint64 count(DataFile &data, const QString &sql, const QVariantList &values = {})
{
    Statement st = data.query(sql, values);
    return st.step() ? st.integer(0) : -1;
}

// The query plan's lines for a statement.
QString plan(DataFile &data, const QString &sql, const QVariantList &values)
{
    Statement st = data.query(QStringLiteral("EXPLAIN QUERY PLAN ") + sql, values);
    QStringList lines;
    while (st.step())
        lines << st.text(3);
    return lines.join(u'\n');
}

SearchRequest summaryWord(const QString &word)
{
    SearchRequest r;
    r.bySummary = true;
    r.summary = word;
    return r;
}

ImportRow importRow(int number, const QString &date, const QString &income, const QString &expense,
                    const QString &summary = QString())
{
    return {number, date, QStringLiteral("项"), income, expense, QStringLiteral("现金"), QStringLiteral("本人"), summary};
}

} // namespace

class EntriesTest : public QObject {
    Q_OBJECT
private slots:
    void entriesKeepQuotesLinesAndAccountSet();
    void editorChoicesFollowTheCatalogue();
    void searchConditionInFixedOrder();
    void searchSelectsWhatTheConditionsSay();
    void panelsOfLoadingDeletingAndSearching();
    void financeSummaryByKindAgreesWithTheLists();
    void deleteAllNeedsThePasswordAndKeepsOtherSets();
    void clipboardTextBecomesNumberedRows();
    void importStoresValidRowsAndNamesTheRest();
    void failedImportStoresNothing();
    void importKeepsTheSumsOnceForTheBatch();
    void olderFilesAreBroughtUpToDate();
};

void EntriesTest::entriesKeepQuotesLinesAndAccountSet()
{
    TestFolder t;
    const int set = t.defaultAccountSet();
    Ledger ledger(t.data);
    LedgerEntry e{0, "2008-03-05", "收入", "O'Brien's \"item\"", "现金", "我'", "12.5", "第一行'\r\n第二行"};
    e.id = ledger.addEntry(e, set);
    std::optional<LedgerEntry> read = ledger.entry(e.id);
    QVERIFY(read);
    QCOMPARE(read->item, e.item);
    QCOMPARE(read->handler, e.handler);
    QCOMPARE(read->summary, e.summary);
    QCOMPARE(ledger.LoadData("0_", set).rows.front().cell(7).toString(), QStringLiteral("第一行'"));

    // Modifying changes the fields, never the account set.
    LedgerEntry changed = e;
    changed.kind = "支出";
    changed.amount = "30";
    changed.summary = "it's";
    QVERIFY(ledger.updateEntry(changed));
    QCOMPARE(ledger.entry(e.id)->summary, QStringLiteral("it's"));
    QCOMPARE(count(t.data, "select muluID from jizhang where id=?", {e.id}), qint64(set));
    QVERIFY(!ledger.entry(e.id + 100));
    changed.id = e.id + 100;
    QVERIFY(!ledger.updateEntry(changed));

    // The list row of a saved entry: amount in the column of its kind, the whole summary.
    LedgerEntry multi = e;
    multi.summary = "a\r\nb";
    RecordRow row = Ledger::listRow(multi);
    QCOMPARE(row.cell(0).toString(), QStringLiteral("2008年03月05日"));
    QCOMPARE(row.cell(1).toString(), QString::number(e.id));
    QCOMPARE(row.cell(3).toString(), QStringLiteral("12.5"));
    QCOMPARE(row.cell(4).toString(), QString());
    QCOMPARE(row.cell(7).toString(), QStringLiteral("a\nb"));
    QCOMPARE(row.icon, 5);
    QCOMPARE(Ledger::listRow(changed).cell(4).toString(), QStringLiteral("30"));
    QCOMPARE(Ledger::listRow(changed).icon, 6);

    QVERIFY(ledger.deleteEntry(e.id));
    QVERIFY(!ledger.deleteEntry(e.id));
    QVERIFY(!ledger.entry(e.id));
}

void EntriesTest::editorChoicesFollowTheCatalogue()
{
    TestFolder t;
    Ledger ledger(t.data);
    Ledger::EditorChoices choices = ledger.editorChoices();
    QCOMPARE(choices.kinds, (QStringList{"收入", "支出"}));
    QCOMPARE(choices.methods, (QStringList{"现金", "银行卡"}));
    QCOMPARE(choices.handlers, (QStringList{"本人"}));
    QCOMPARE(ledger.items("收入"), (QStringList{"工资", "奖金"}));
    QCOMPARE(ledger.items("支出"), (QStringList{"餐饮", "交通", "购物", "居住"}));
    // Every kind but income lists the expense items.
    QCOMPARE(ledger.items("其它"), ledger.items("支出"));
}

void EntriesTest::searchConditionInFixedOrder()
{
    SearchRequest all;
    all.byDate = all.byIncomeItem = all.byExpenseItem = all.byHandler = all.byMethod = all.bySummary = true;
    all.from = QDate(2008, 12, 1);
    all.to = QDate(2008, 12, 31);
    all.incomeItem = "工资";
    all.expenseItem = "餐饮";
    all.handler = "本人";
    all.method = "现金";
    all.summary = "it's";
    SqlCondition c = Ledger::searchCondition(all);
    QCOMPARE(c.text, QStringLiteral("(data BETWEEN ? AND ?) and t2=? and t2=? and t4=? and t3=? and content like ?"));
    QCOMPARE(c.values, (QVariantList{"2008-12-01", "2008-12-31", "工资", "餐饮", "本人", "现金", "%it's%"}));

    SearchRequest income;
    income.byIncomeItem = true;
    income.incomeItem = "奖金";
    QCOMPARE(Ledger::searchCondition(income).text, QStringLiteral("t2=?"));

    SearchRequest two;
    two.bySummary = two.byHandler = true;
    QCOMPARE(Ledger::searchCondition(two).text, QStringLiteral("t4=? and content like ?"));
    QCOMPARE(Ledger::searchCondition(two).values, (QVariantList{"", "%%"}));

    EntryQuery search;
    search.accountSet = 7;
    search.search = income;
    QCOMPARE(EntryList::condition(search).text, QStringLiteral("muluID=? and t2=?"));
    QCOMPARE(EntryList::condition(search).values, (QVariantList{7, "奖金"}));
    QCOMPARE(EntryList::order(search), QStringLiteral("id desc"));
    QVERIFY(!SearchRequest().anyTicked());
}

void EntriesTest::searchSelectsWhatTheConditionsSay()
{
    TestFolder t;
    const int set = t.defaultAccountSet();
    const int other = t.addAccountSet("别人");
    const qint64 first = t.addEntry(set, "2008-12-01", "收入", "10", "工资", "奖励\r\n年终 bonus", "现金", "本人");
    const qint64 last = t.addEntry(set, "2008-12-31", "收入", "2.5", "奖金", "it's", "银行卡", "本人");
    t.addEntry(set, "2008-11-30", "支出", "4", "工资", "早", "现金", "她");
    t.addEntry(set, "2009-01-01", "", "4", "餐饮", "晚", "现金", "本人");
    t.addEntry(other, "2008-12-15", "收入", "99", "工资", "年终", "现金", "本人");
    Ledger ledger(t.data);

    SearchRequest december;
    december.byDate = true;
    december.from = QDate(2008, 12, 1);
    december.to = QDate(2008, 12, 31);
    LedgerPage page = ledger.search(december, set);
    // Both ends of the range, newest id first, only this account set.
    QCOMPARE(column(page, 1), (QStringList{QString::number(last), QString::number(first)}));
    QCOMPARE(Ledger::searchPanels(page.totals).income, QStringLiteral("收入：12.500 元"));

    // The item filters look at t2 only: an expense entry with an income item is found.
    SearchRequest item;
    item.byIncomeItem = true;
    item.incomeItem = "工资";
    QCOMPARE(ledger.search(item, set).totals.count, 2);
    item.byExpenseItem = true;
    item.expenseItem = "餐饮";
    QVERIFY(ledger.search(item, set).rows.empty());

    // A word on the second line of a summary, and a quote as typed.
    QCOMPARE(column(ledger.search(summaryWord("年终"), set), 7), QStringList{"奖励"});
    QCOMPARE(ledger.search(summaryWord("it's"), set).totals.count, 1);
    QCOMPARE(ledger.search(summaryWord("'"), set).totals.count, 1);
    QCOMPARE(ledger.search(summaryWord(""), set).totals.count, 4);

    SearchRequest handlerAndMethod;
    handlerAndMethod.byHandler = handlerAndMethod.byMethod = true;
    handlerAndMethod.handler = "本人";
    handlerAndMethod.method = "现金";
    LedgerPage found = ledger.search(handlerAndMethod, set);
    QCOMPARE(found.totals.count, 2);
    // An entry of an empty kind counts as expense.
    QCOMPARE(Ledger::searchPanels(found.totals).expense, QStringLiteral("支出：4.000 元"));
    QCOMPARE(found.rows.front().icon, 6);

    QVERIFY(ledger.search(SearchRequest(), set).rows.empty());
}

void EntriesTest::panelsOfLoadingDeletingAndSearching()
{
    const LedgerTotals totals{2, *Money::parse(u"10"), *Money::parse(u"30.5")};
    LedgerPanels list = Ledger::listPanels(totals);
    QCOMPARE((QStringList{list.count, list.income, list.expense, list.balance}),
             (QStringList{"共：2 条记录", "收入：10 元", "支出：30.5 元", "收支结余：-20.500 元"}));
    LedgerPanels deleted = Ledger::deletePanels(totals);
    QCOMPARE((QStringList{deleted.income, deleted.expense, deleted.balance}),
             (QStringList{"收入：10.000 元", "支出：30.500 元", "收支结余：-20.5 元"}));
    LedgerPanels searched = Ledger::searchPanels(totals);
    QCOMPARE((QStringList{searched.income, searched.expense, searched.balance}),
             (QStringList{"收入：10.000 元", "支出：30.500 元", "收支结余：-20.500 元"}));
    LedgerPanels none = Ledger::searchPanels({});
    QCOMPARE((QStringList{none.count, none.income, none.expense, none.balance}),
             (QStringList{"共：0 条记录", "收入：0.000 元", "支出：0.000 元", "收支结余：0.000 元"}));
}

void EntriesTest::financeSummaryByKindAgreesWithTheLists()
{
    TestFolder t;
    const int set = t.defaultAccountSet();
    Ledger ledger(t.data);
    FinanceSummary::Texts empty = FinanceSummary::texts(ledger.financeSummary(set));
    QCOMPARE((QStringList{empty.incomeCount, empty.income, empty.expenseCount, empty.expense, empty.balance}),
             (QStringList{"共计：0 条", "0", "共计：0 条", "0", "0RMB"}));

    t.addEntry(set, "2008-03-05", "收入", "10");
    t.addEntry(set, "2008-03-06", "收入", "2.5");
    t.addEntry(set, "2008-03-07", "支出", "4");
    FinanceSummary::Texts simple = FinanceSummary::texts(ledger.financeSummary(set));
    QCOMPARE((QStringList{simple.incomeCount, simple.income, simple.expenseCount, simple.expense, simple.balance}),
             (QStringList{"共计：2 条", "12.5", "共计：1 条", "4", "8.5RMB"}));

    // Only "收入" exactly is income; every entry counts, only numbers add to the sums.
    t.addEntry(set, "2008-03-08", "", "1");
    t.addEntry(set, "2008-03-09", "收入 ", "100");
    t.addEntry(set, "2008-03-10", "收入", "0.1");
    t.addEntry(set, "2008-03-10", "收入", "0.2");
    t.addEntry(set, "2008-03-11", "收入", "abc");
    t.data.exec("insert into jizhang (data, t1, t5, muluID) values ('2008-03-12', NULL, NULL, ?)", {set});
    t.addEntry(t.addAccountSet("别人"), "2008-03-05", "收入", "1000");
    FinanceFigures f = ledger.financeSummary(set);
    QCOMPARE(f.incomeCount, qint64(5));
    QCOMPARE(f.expenseCount, qint64(4));
    QCOMPARE(f.income.plain(), QStringLiteral("12.8"));
    QCOMPARE(f.expense.plain(), QStringLiteral("105"));
    QCOMPARE(FinanceSummary::texts(f).balance, QStringLiteral("-92.2RMB"));

    LedgerTotals listed = ledger.LoadData("0_", set).totals;
    QCOMPARE(listed.income, f.income);
    QCOMPARE(listed.expense, f.expense);
    QCOMPARE(qint64(listed.count), f.incomeCount + f.expenseCount);
}

void EntriesTest::deleteAllNeedsThePasswordAndKeepsOtherSets()
{
    TestFolder t;
    const int set = t.defaultAccountSet();
    const int other = t.addAccountSet("别人");
    t.addEntry(set, "2008-03-05", "收入", "10");
    t.addEntry(set, "2008-03-06", "支出", "3");
    t.addEntry(other, "2008-03-05", "收入", "20");
    Ledger ledger(t.data);
    QVERIFY(ledger.passwordMatches("admin", "admin"));
    QVERIFY(!ledger.passwordMatches("admin", "Admin"));
    QVERIFY(!ledger.passwordMatches("admin", "admin' or '1'='1"));
    QVERIFY(!ledger.passwordMatches("admin", ""));
    QCOMPARE(ledger.deleteAll(set), 2);
    QCOMPARE(count(t.data, "select count(*) from jizhang where muluID=?", {set}), qint64(0));
    QCOMPARE(count(t.data, "select count(*) from jizhang where muluID=?", {other}), qint64(1));
    QCOMPARE(ledger.deleteAll(set), 0);

    // An empty password matches a password that is empty or was never set.
    t.data.exec("insert into user (用户名, 密码, muluID) values ('空', '', ?), ('无', NULL, ?)", {set, set});
    QVERIFY(ledger.passwordMatches("空", ""));
    QVERIFY(ledger.passwordMatches("无", ""));
    QVERIFY(!ledger.passwordMatches("空", " "));
}

void EntriesTest::clipboardTextBecomesNumberedRows()
{
    const QString block = "2008-3-5\t工资\t10\t\t现金\t本人\t三月\r\n"
                          "2008/03/06\t餐饮\t\t4\t\t\t\r\n"
                          "2008.3.7\t交通\r\n";
    std::vector<ImportRow> rows = Ledger::parseImport(block);
    QCOMPARE(rows.size(), size_t(3));
    QCOMPARE((QList<int>{rows[0].number, rows[1].number, rows[2].number}), (QList<int>{1, 2, 3}));
    QCOMPARE((QStringList{rows[0].date, rows[1].date, rows[2].date}),
             (QStringList{"2008-03-05", "2008-03-06", "2008-03-07"}));
    QCOMPARE(rows[0].summary, QStringLiteral("三月"));
    QCOMPARE(rows[1].expense, QStringLiteral("4"));
    QCOMPARE(rows[2].item, QStringLiteral("交通"));
    QCOMPARE(rows[2].income, QString());  // missing cells stay empty

    // Without a final line break the last line is lost.
    QCOMPARE(Ledger::parseImport(block.chopped(2)).size(), size_t(2));
    QVERIFY(Ledger::parseImport("2008-3-5\t工资\t10").empty());
    QVERIFY(Ledger::parseImport("").empty());

    // Line feeds alone, a blank line, cells past the seventh and a date in words.
    rows = Ledger::parseImport("2008年3月5日\ta\t1\t\tm\th\ts\textra\n\nnot a date\tb\n");
    QCOMPARE(rows.size(), size_t(3));
    QCOMPARE(rows[0].date, QStringLiteral("2008-03-05"));
    QCOMPARE(rows[0].summary, QStringLiteral("s"));
    QCOMPARE(rows[1].number, 2);
    QCOMPARE(rows[1].date, QString());
    QCOMPARE(rows[2].date, QStringLiteral("not a date"));
    // With CR LF breaks a line feed inside a cell stays in the cell.
    rows = Ledger::parseImport("2008-3-5\ta\t1\t\t\t\tline\nnext\r\n");
    QCOMPARE(rows.size(), size_t(1));
    QCOMPARE(rows[0].summary, QStringLiteral("line\nnext"));
}

void EntriesTest::importStoresValidRowsAndNamesTheRest()
{
    TestFolder t;
    const int set = t.defaultAccountSet();
    std::vector<ImportRow> rows{importRow(1, "2008-03-05", "10", "", "it's"),
                                importRow(2, "2008-02-30", "10", ""),
                                importRow(3, "2008-03-05", "", "12-3"),
                                importRow(4, "2008-03-06", "5", "7"),
                                importRow(5, "2008-03-07", " 1,234.50 ", ""),
                                importRow(6, "", "", ""),
                                importRow(7, "2008-03-08", "", ""),
                                importRow(8, "", "", "", "no date")};
    rows[5].item = rows[5].method = rows[5].handler = QString();  // a blank line
    int calls = 0;
    ImportReport report = Ledger(t.data).importRows(rows, set, [&](int done, int total) {
        ++calls;
        QCOMPARE(total, 3);
        QVERIFY(done <= total);
    });
    QCOMPARE(report.stored, 3);
    QCOMPARE(report.badDate, (QList<int>{2, 8}));
    QCOMPARE(report.badAmount, (QList<int>{3, 7}));
    QVERIFY(calls >= 1);

    Statement st = t.data.query("select data, t1, t5, content from jizhang where muluID=? order by id", {set});
    QStringList stored;
    while (st.step())
        stored << st.text(0) + u'|' + st.text(1) + u'|' + st.text(2) + u'|' + st.text(3);
    QCOMPARE(stored, (QStringList{"2008-03-05|收入|10|it's", "2008-03-06|收入|5|", "2008-03-07|收入|1234.50|"}));
    // What was stored counts in the totals.
    QCOMPARE(Ledger(t.data).LoadData("0_", set).totals.income.plain(), QStringLiteral("1249.5"));

    QString text = BatchImport::reportText(report);
    QVERIFY(text.contains(QStringLiteral("3 条")));
    QVERIFY(text.contains(QStringLiteral("：2、8")));
    QVERIFY(text.contains(QStringLiteral("：3、7")));
    QCOMPARE(BatchImport::reportText({5, {}, {}}), QStringLiteral("批量导入财务数据成功！共导入 5 条记录。"));

    QVERIFY(Ledger::importAmount("1,234") == QStringLiteral("1234"));
    QVERIFY(!Ledger::importAmount("-"));
    QVERIFY(!Ledger::importAmount("."));
    QVERIFY(!Ledger::importAmount("1.2.3"));
    QVERIFY(!Ledger::importAmount("12元"));
}

void EntriesTest::failedImportStoresNothing()
{
    TestFolder t;
    const int set = t.defaultAccountSet();
    t.data.database().execute("CREATE TRIGGER refuse BEFORE INSERT ON jizhang WHEN new.content = 'boom' "
                              "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    auto triggers = [&] {
        QStringList found;
        Statement st = t.data.query("select name || sql from sqlite_master where type='trigger' order by name");
        while (st.step())
            found << st.text(0);
        return found;
    };
    const QStringList before = triggers();
    std::vector<ImportRow> rows;
    for (int i = 1; i <= 500; ++i)
        rows.push_back(importRow(i, "2008-03-05", "1", "", i == 450 ? "boom" : ""));
    QVERIFY_THROWS_EXCEPTION(StoreError, Ledger(t.data).importRows(rows, set));
    // The triggers that the batch sets aside are back, word for word.
    QCOMPARE(triggers(), before);
    // Neither entries nor marks of their months stay, nor the flag that the triggers of
    // new entries wait for.
    for (const char *table : {"jizhang", "jizhang_batch", "jizhang_items_stale", "zhanghu_months_stale"})
        QCOMPARE(count(t.data, QStringLiteral("select count(*) from %1").arg(QLatin1String(table))), qint64(0));
    // The file is usable afterwards.
    rows.pop_back();
    rows[449].summary.clear();
    QCOMPARE(Ledger(t.data).importRows(rows, set).stored, 499);
    QCOMPARE(count(t.data, "select count(*) from jizhang_items_stale"), qint64(1));
    QCOMPARE(triggers(), before);
}

void EntriesTest::importKeepsTheSumsOnceForTheBatch()
{
    TestFolder t;
    const int set = t.defaultAccountSet(), other = t.addAccountSet("家");
    t.addEntry(set, "2008-01-05", "收入", "100", "工资", "", "现金");
    t.addEntry(set, "2008-02-05", "支出", "7", "餐饮", "", "银行卡");
    t.addEntry(other, "2008-02-06", "支出", "9", "餐饮", "", "银行卡");
    // Every month counted and kept: no marks left.
    MonthTotals(t.data).all(set);
    MonthTotals(t.data).all(other);
    t.data.exec("delete from jizhang_items_stale");
    t.data.exec("delete from zhanghu_months_stale");

    auto marks = [&](const QString &sql) {
        QStringList found;
        Statement st = t.data.query(sql);
        while (st.step())
            found << st.text(0);
        return found;
    };
    auto keptIsRecount = [&](int accountSet) {
        const LedgerTotals kept = MonthTotals(t.data).all(accountSet);
        Statement st = t.data.query("select count(*), money_total(case when t1 IS '收入' then t5 end), "
                                    "money_total(case when t1 IS NOT '收入' then t5 end) from jizhang where muluID=?",
                                    {accountSet});
        QVERIFY(st.step());
        QCOMPARE(kept.count, int(st.integer(0)));
        QCOMPARE(kept.income, Money::fromStored(st.utf8(1)).value_or(Money()));
        QCOMPARE(kept.expense, Money::fromStored(st.utf8(2)).value_or(Money()));
    };

    // More rows than one statement of the batch stores, in runs of one month whose
    // accounts change from row to row.
    std::vector<ImportRow> rows;
    for (int i = 0; i < 250; ++i) {
        ImportRow row = importRow(i + 1, (i / 7) % 2 ? "2008-02-10" : "2008-03-10", i % 3 ? "" : "5.5",
                                  i % 3 ? "1.25" : "");
        row.method = i == 3 ? QStringLiteral("银行卡") : i % 5 ? QStringLiteral("现金") : QStringLiteral("支付宝");
        rows.push_back(row);
    }
    QCOMPARE(Ledger(t.data).importRows(rows, set).stored, 250);
    // The batch's months are marked, once each, as the triggers mark them row by row; the
    // other months keep their sums; the flag is gone.
    QCOMPARE(count(t.data, "select count(*) from jizhang_batch"), qint64(0));
    QCOMPARE(marks("select muluID || ' ' || month from jizhang_items_stale order by 1"),
             (QStringList{QStringLiteral("%1 2008-02").arg(set), QStringLiteral("%1 2008-03").arg(set)}));
    QCOMPARE(marks("select account || ' ' || month from zhanghu_months_stale order by 1"),
             (QStringList{"支付宝 2008-02", "支付宝 2008-03", "现金 2008-02", "现金 2008-03", "银行卡 2008-03"}));
    QCOMPARE(marks("select muluID || ' ' || month from jizhang_months order by muluID, month"),
             (QStringList{QStringLiteral("%1 2008-01").arg(set), QStringLiteral("%1 2008-02").arg(other)}));
    keptIsRecount(set);
    keptIsRecount(other);

    // Another program's plain insert still keeps the sums, row by row.
    Database outside;
    outside.open(t.folder.dataFile(), false);
    DataFile::applyKey(outside);
    outside.execute("insert into jizhang (data, t1, t5, t3, muluID) values ('2008-01-20', '支出', '3', '现金', "
                    + QString::number(set) + ")");
    outside.close();
    QVERIFY(marks("select month from jizhang_items_stale").contains("2008-01"));
    QVERIFY(marks("select account || ' ' || month from zhanghu_months_stale").contains("现金 2008-01"));
    keptIsRecount(set);
}

void EntriesTest::olderFilesAreBroughtUpToDate()
{
    TestFolder t;
    const int set = t.defaultAccountSet();
    t.addEntry(set, "2008-03-05", "收入", "10");
    // A file of version 10: the indexes of kind and amount and of the payment method alone,
    // and triggers on new entries that know no batch.
    const QString batched = "sql like '%FROM jizhang_batch%'";
    const qint64 triggers = count(t.data, "select count(*) from sqlite_master where type='trigger' and " + batched);
    QCOMPARE(triggers, qint64(3));
    std::vector<std::pair<QString, QString>> older;
    {
        Statement st = t.data.query("select name, sql from sqlite_master where type='trigger' and " + batched);
        while (st.step())
            older.push_back({st.text(0), st.text(1).replace(Schema::unlessBatch(), QString())});
    }
    for (const auto &[name, sql] : older)
        t.data.database().execute("DROP TRIGGER " + name + "; " + sql);
    QCOMPARE(count(t.data, "select count(*) from sqlite_master where type='trigger' and " + batched), qint64(0));
    t.data.database().execute("CREATE INDEX jizhang_muluID_t1_id_t5 ON jizhang(muluID, t1, id, t5); "
                              "CREATE INDEX jizhang_muluID_t3 ON jizhang(muluID, t3); PRAGMA user_version = 10");
    t.data.close();
    QCOMPARE(Ledger(t.data).financeSummary(set).incomeCount, qint64(1));
    QCOMPARE(count(t.data, "PRAGMA user_version"), qint64(Schema::Version));
    QCOMPARE(count(t.data, "select count(*) from sqlite_master where name in ('jizhang_muluID_t1_id_t5', "
                           "'jizhang_muluID_t3')"),
             qint64(0));
    QCOMPARE(count(t.data, "select count(*) from sqlite_master where type='trigger' and " + batched), triggers);
    QVERIFY(plan(t.data, "select id from jizhang where muluID=? order by data desc, id desc", {set})
                .contains(QStringLiteral("jizhang_muluID_data")));
}

TALLYRA_TEST(EntriesTest)
#include "tst_entries.moc"
