// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/formats.h"
#include "core/dates.h"
#include "ui/record_list.h"
#include "core/time_keys.h"

#include <QAbstractItemModelTester>
#include <QImage>
#include <QListView>
#include <QSet>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include "support/test_main.h"

class UiTest : public QObject {
    Q_OBJECT
private slots:
    void datesAndLines();
    void coloursAndFlags();
    void timeKeysStayUniqueWithinOneSecond();
    void recordRowsKeepTheirCells();
    void recordModelIsAProperModel();
    void recordListSelectionAndIdAcrossViewModes();
    void recordListLook();
};

void UiTest::datesAndLines()
{
    QCOMPARE(Dates::listDate(u"2008-03-05"), QStringLiteral("2008年03月05日"));
    QCOMPARE(Dates::listDate(u"not a date"), QStringLiteral("not a date"));
    for (const QDate &date : {QDate(2008, 3, 5), QDate(1000, 1, 1), QDate(9999, 12, 31), QDate(999, 12, 31),
                              QDate(10000, 1, 1), QDate(-5, 6, 7), QDate()})
        QCOMPARE(Dates::storedDate(date), date.toString(QStringLiteral("yyyy-MM-dd")));

    const QDate march5(2008, 3, 5);
    for (const char *form : {"2008-3-5", "2008/03/05", "2008.3.5", "2008年3月5日", "20080305", " 2008-03-05 ",
                             "2008-3-5 12:30", "2008/3/5 8:05:01"})
        QCOMPARE(Dates::readDate(QString::fromUtf8(form)), std::optional<QDate>(march5));
    for (const char *bad : {"2023-02-29", "2008-13-01", "3/5/2008", "", "2008-3", "abc", "2008-03-05x"})
        QVERIFY2(!Dates::readDate(QString::fromUtf8(bad)), bad);
    QCOMPARE(Dates::readDate(u"2024-02-29"), std::optional<QDate>(QDate(2024, 2, 29)));

    QCOMPARE(Formats::firstLine(QStringLiteral("午饭\r\n和同事")), QStringLiteral("午饭"));
    QCOMPARE(Formats::firstLine(QStringLiteral("午饭\n和同事")), QStringLiteral("午饭"));
    QCOMPARE(Formats::firstLine(QStringLiteral("一行")), QStringLiteral("一行"));
    QCOMPARE(Formats::toStoredText(QStringLiteral("a\nb\r\nc")), QStringLiteral("a\r\nb\r\nc"));
    QCOMPARE(Formats::fromStoredText(QStringLiteral("a\r\nb")), QStringLiteral("a\nb"));
}

void UiTest::coloursAndFlags()
{
    QCOMPARE(Formats::colourNumber(QColor(255, 0, 0)), 255);
    QCOMPARE(Formats::colourNumber(QColor(0, 0, 255)), 16711680);
    QCOMPARE(Formats::colourNumber(QColor(1, 2, 3)), 1 + 2 * 256 + 3 * 65536);
    QCOMPARE(Formats::colourFromNumber(u"16777215"), std::optional<QColor>(QColor(255, 255, 255)));
    QCOMPARE(Formats::colourFromNumber(u"197121"), std::optional<QColor>(QColor(1, 2, 3)));
    QVERIFY(!Formats::colourFromNumber(u"#000000"));
    QVERIFY(!Formats::colourFromNumber(u"16777216"));
    QVERIFY(!Formats::colourFromNumber(u"-1"));
    QCOMPARE(Formats::readFlag(u"True"), std::optional<bool>(true));
    QCOMPARE(Formats::readFlag(u"1"), std::optional<bool>(true));
    QCOMPARE(Formats::readFlag(u"False"), std::optional<bool>(false));
    QCOMPARE(Formats::readFlag(u"0"), std::optional<bool>(false));
    QVERIFY(!Formats::readFlag(u"yes"));
}

void UiTest::timeKeysStayUniqueWithinOneSecond()
{
    const QDateTime now(QDate(2006, 12, 7), QTime(15, 30, 5));
    QCOMPARE(TimeKeys::format(QStringLiteral("e"), now), QStringLiteral("e20061207153005_"));
    QCOMPARE(TimeKeys::format(QString(), now, QStringLiteral("22")), QStringLiteral("20061207153005_22"));

    QSet<QString> taken;
    auto isTaken = [&](const QString &key) { return taken.contains(key); };
    for (int i = 0; i < 5; ++i)
        taken.insert(TimeKeys::make(QStringLiteral("z"), now, isTaken));
    QCOMPARE(taken.size(), 5);
    for (const QString &key : taken) {
        QCOMPARE(key.size(), 16);
        QVERIFY(key.startsWith(u'z') && key.endsWith(u'_'));
    }
    // Past the end of a minute the key stays a real time.
    taken.clear();
    const QDateTime late(QDate(2006, 12, 31), QTime(23, 59, 59));
    taken.insert(TimeKeys::make(QString(), late, isTaken, QStringLiteral("25")));
    QCOMPARE(TimeKeys::make(QString(), late, isTaken, QStringLiteral("25")), QStringLiteral("20070101000000_25"));
}

void UiTest::recordRowsKeepTheirCells()
{
    RecordRow row({u"a", u"", u"c\u001Fd"}, 5);
    QCOMPARE(row.cellCount(), 3);
    QCOMPARE(row.cell(0).toString(), QStringLiteral("a"));
    QCOMPARE(row.cell(1).toString(), QString());
    QCOMPARE(row.cell(2).toString(), QStringLiteral("c d"));
    QCOMPARE(row.cell(7).toString(), QString());
    row.setCell(1, QStringLiteral("b"));
    row.setCell(4, QStringLiteral("e"));
    QCOMPARE(row.cellCount(), 5);
    QCOMPARE(row.cell(1).toString(), QStringLiteral("b"));
    QCOMPARE(row.cell(3).toString(), QString());
    QCOMPARE(row.cell(4).toString(), QStringLiteral("e"));
    QCOMPARE(row.icon, 5);
}

void UiTest::recordModelIsAProperModel()
{
    RecordModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setColumns({{QStringLiteral("名"), 1500}, {QStringLiteral("id"), 0}});
    std::vector<RecordRow> rows;
    for (int i = 0; i < 50; ++i)
        rows.push_back(RecordRow({QString::number(i * 10), QString::number(i)}, 1));
    model.setRows(std::move(rows));
    QCOMPARE(model.rowCount(), 50);
    QCOMPARE(model.data(model.index(3, 0)).toString(), QStringLiteral("30"));
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("名"));
    model.removeRecord(3);
    QCOMPARE(model.data(model.index(3, 1)).toString(), QStringLiteral("4"));
    model.appendRow(RecordRow({u"x", u"99"}));
    QCOMPARE(model.rowCount(), 50);
    model.setCheckable(true);
    QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsUserCheckable);
    QVERIFY(model.setData(model.index(2, 0), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(model.record(2).checked);
    QCOMPARE(model.data(model.index(2, 0), Qt::CheckStateRole).toInt(), int(Qt::Checked));

    // Sorting: amounts as numbers, cells that are no number after them and empty cells last,
    // either way; a column of words in the Chinese order.
    auto sorted = [&](const QStringList &cells, Qt::SortOrder order) {
        std::vector<RecordRow> list;
        for (const QString &cell : cells)
            list.push_back(RecordRow({cell, cell}));
        model.setRows(std::move(list));
        model.sort(0, order);
        QStringList result;
        for (int r = 0; r < model.rowCount(); ++r)
            result << model.data(model.index(r, 0)).toString();
        return result;
    };
    const QStringList amounts{"9.5", "", "abc", "10", "1,5", "-2"};
    QCOMPARE(sorted(amounts, Qt::AscendingOrder), (QStringList{"-2", "9.5", "10", "1,5", "abc", ""}));
    QCOMPARE(sorted(amounts, Qt::DescendingOrder), (QStringList{"10", "9.5", "-2", "abc", "1,5", ""}));
    QCOMPARE(sorted({"餐饮", "工资", "10", "交通"}, Qt::AscendingOrder), (QStringList{"10", "餐饮", "工资", "交通"}));
    model.clear();
    QCOMPARE(model.rowCount(), 0);
}

void UiTest::recordListSelectionAndIdAcrossViewModes()
{
    RecordList list;
    list.setColumns({{QStringLiteral("标题"), 1500}, {QString(), 0}, {QStringLiteral("内容"), 3000}});
    std::vector<RecordRow> rows;
    for (int i = 0; i < 5; ++i)
        rows.push_back(RecordRow({QStringLiteral("t%1").arg(i), QString::number(100 + i), QStringLiteral("c")}));
    list.setRows(std::move(rows));
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));

    QCOMPARE(list.selectedId(), QString());
    QVERIFY(list.detailsView()->isColumnHidden(1));
    // 1500 and 3000 twips: at least 100 and 200 pixels, in that proportion.
    QVERIFY(list.detailsView()->columnWidth(0) >= 100);
    QVERIFY(qAbs(list.detailsView()->columnWidth(2) - 2 * list.detailsView()->columnWidth(0)) <= 1);

    list.selectRow(2);
    QCOMPARE(list.selectedId(), QStringLiteral("102"));
    for (int mode : {RecordList::LargeIcons, RecordList::SmallIcons, RecordList::List, RecordList::Details}) {
        list.setViewMode(mode);
        QCOMPARE(list.viewMode(), mode);
        QCOMPARE(list.selectedId(), QStringLiteral("102"));
    }
    // A click on a row of the icon view selects it.
    list.setViewMode(RecordList::List);
    QSignalSpy clicked(&list, &RecordList::rowClicked);
    QRect rect = list.iconView()->visualRect(list.model().index(4, 0));
    QTest::mouseClick(list.iconView()->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(list.selectedId(), QStringLiteral("104"));

    // A double click anywhere reports itself; the id then tells whether a row was hit.
    list.setViewMode(RecordList::Details);
    QSignalSpy doubled(&list, &RecordList::doubleClicked);
    QTest::mouseDClick(list.detailsView()->viewport(), Qt::LeftButton, {}, QPoint(5, list.height() - 30));
    QCOMPARE(doubled.count(), 1);

    list.removeRow(list.selectedRow());
    QCOMPARE(list.rowCount(), 4);
    list.clear();
    QCOMPARE(list.selectedId(), QString());
}

void UiTest::recordListLook()
{
    RecordList list;
    list.setColumns({{QStringLiteral("a"), 1500}, {QString(), 0}});
    list.setGridLines(true);
    QVERIFY(list.gridLines() && list.detailsView()->showGrid());
    list.setTextColour(Qt::red);
    list.setBackgroundColour(Qt::yellow);
    QCOMPARE(list.detailsView()->viewport()->palette().color(QPalette::Base), QColor(Qt::yellow));
    QCOMPARE(list.detailsView()->palette().color(QPalette::Text), QColor(Qt::red));

    QTemporaryDir dir;
    QVERIFY(!list.setBackgroundPicture(dir.filePath(QStringLiteral("missing.bmp"))));
    QVERIFY(!list.hasBackgroundPicture());
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::blue);
    const QString picture = dir.filePath(QStringLiteral("back.png"));
    QVERIFY(image.save(picture));
    QVERIFY(list.setBackgroundPicture(picture));
    QVERIFY(list.hasBackgroundPicture());
    QVERIFY(!list.detailsView()->viewport()->palette().brush(QPalette::Base).texture().isNull());

    QFont font = list.listFont();
    font.setPointSize(14);
    font.setItalic(true);
    list.setListFont(font);
    QCOMPARE(list.iconView()->font().pointSize(), 14);
    QVERIFY(list.detailsView()->font().italic());
}

TALLYRA_TEST(UiTest)
#include "tst_ui.moc"
