// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/row_cache.h"

#include <QtTest>

#include "support/test_main.h"

namespace {

// A list of `total` rows whose cell 0 is the row's number; counts the pages it reads.
struct NumberedRows {
    int total = 0;
    QList<int> reads;  // first row of each page read, in order

    std::vector<RecordRow> operator()(int first, int count)
    {
        reads << first;
        std::vector<RecordRow> rows;
        for (int i = first; i < first + count && i < total; ++i)
            rows.push_back(RecordRow{QString::number(i)});
        return rows;
    }
};

QString cell(const RecordRow *row) { return row ? row->cell(0).toString() : QStringLiteral("none"); }

} // namespace

class RowCacheTest : public QObject {
    Q_OBJECT
private slots:
    void readsEachPageOnceAndKeepsTheLatest();
    void theEndAndWhatMovedAreReadAgain();
};

void RowCacheTest::readsEachPageOnceAndKeepsTheLatest()
{
    NumberedRows list{100, {}};
    RowCache cache(10, 3);
    QCOMPARE(cell(cache.row(5, std::ref(list))), QStringLiteral("5"));
    QCOMPARE(cell(cache.row(9, std::ref(list))), QStringLiteral("9"));
    QCOMPARE(cell(cache.row(25, std::ref(list))), QStringLiteral("25"));
    QCOMPARE(cell(cache.row(31, std::ref(list))), QStringLiteral("31"));
    QCOMPARE(list.reads, (QList<int>{0, 20, 30}));
    // Page 0 is used again, so page 20 is the one used least lately when page 40 comes.
    cache.row(0, std::ref(list));
    cache.row(45, std::ref(list));
    QCOMPARE(cache.pageCount(), size_t(3));
    QVERIFY(cache.kept(2));
    QVERIFY(!cache.kept(25));
    QVERIFY(cache.kept(31));
    cache.row(22, std::ref(list));
    QCOMPARE(list.reads, (QList<int>{0, 20, 30, 40, 20}));
    QCOMPARE(cache.find([](const RecordRow &r) { return r.cell(0) == u"23"; }), 23);
    QCOMPARE(cache.find([](const RecordRow &r) { return r.cell(0) == u"35"; }), -1);  // page 30 went
}

void RowCacheTest::theEndAndWhatMovedAreReadAgain()
{
    NumberedRows list{25, {}};
    RowCache cache(10, 8);
    QCOMPARE(cell(cache.row(24, std::ref(list))), QStringLiteral("24"));
    // Beyond the rows the last page gave: nothing, and that page is not read again.
    QCOMPARE(cell(cache.row(27, std::ref(list))), QStringLiteral("none"));
    QCOMPARE(cell(cache.row(-1, std::ref(list))), QStringLiteral("none"));
    QVERIFY(!cache.kept(27));
    QCOMPARE(list.reads, (QList<int>{20}));

    cache.row(3, std::ref(list));
    cache.row(13, std::ref(list));
    // A row kept is changed in place; no page is read for it.
    cache.kept(13)->setCell(0, QStringLiteral("changed"));
    QCOMPARE(cell(cache.row(13, std::ref(list))), QStringLiteral("changed"));
    // Row 15 went: its page and the later ones are read again, the earlier one is kept.
    cache.dropFrom(15);
    QCOMPARE(cache.pageCount(), size_t(1));
    cache.row(13, std::ref(list));
    cache.row(3, std::ref(list));
    QCOMPARE(list.reads, (QList<int>{20, 0, 10, 10}));
    cache.clear();
    QCOMPARE(cache.pageCount(), size_t(0));
}

TALLYRA_TEST(RowCacheTest)
#include "tst_row_cache.moc"
