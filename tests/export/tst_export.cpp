// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/csv.h"
#include "export/ledger_export.h"
#include "export/shaped_text.h"
#include "support/test_folder.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTextItem>
#include <QXmlStreamReader>
#include <QtTest>

#include "support/test_main.h"

using Table = QList<QStringList>;

namespace {

// ---- reading an exported workbook back: the first sheet's cells, their kinds and styles

struct Sheet {
    Table cells;
    QList<QList<bool>> numbers;  // whether each cell holds a number
    QList<QList<bool>> bold;
    bool headerFrozen = false;
};

QByteArray unzipped(const QString &file, const QString &member)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), file, member});
    if (!unzip.waitForFinished(30000) || unzip.exitCode() != 0)
        return {};
    return unzip.readAllStandardOutput();
}

// Which cell styles have a bold font.
QList<bool> boldStyles(const QByteArray &stylesXml)
{
    QList<bool> fonts, styles;
    QXmlStreamReader xml(stylesXml);
    bool inXfs = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"font")
            fonts << false;
        else if (xml.isStartElement() && xml.name() == u"b" && !fonts.isEmpty())
            fonts.last() = true;
        else if (xml.name() == u"cellXfs")
            inXfs = xml.isStartElement();
        else if (inXfs && xml.isStartElement() && xml.name() == u"xf")
            styles << fonts.value(xml.attributes().value(QLatin1String("fontId")).toInt());
    }
    return styles;
}

QString unescaped(QString text)
{
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QRegularExpressionMatch m;
    while ((m = escape.match(text)).hasMatch())
        text.replace(m.capturedStart(), m.capturedLength(), QChar(m.captured(1).toUShort(nullptr, 16)));
    return text;
}

Sheet readWorkbook(const QString &file)
{
    Sheet sheet;
    const QList<bool> bold = boldStyles(unzipped(file, QStringLiteral("xl/styles.xml")));
    QXmlStreamReader xml(unzipped(file, QStringLiteral("xl/worksheets/sheet1.xml")));
    int column = 0;
    bool number = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const auto a = xml.attributes();
        if (xml.name() == u"pane") {
            sheet.headerFrozen = a.value(QLatin1String("state")) == u"frozen" && a.value(QLatin1String("ySplit")) == u"1";
        } else if (xml.name() == u"row") {
            sheet.cells << QStringList(7);
            sheet.numbers << QList<bool>(7);
            sheet.bold << QList<bool>(7);
        } else if (xml.name() == u"c") {
            column = a.value(QLatin1String("r")).at(0).unicode() - 'A';
            number = a.value(QLatin1String("t")).isEmpty();
            sheet.numbers.last()[column] = number;
            sheet.bold.last()[column] = bold.value(a.value(QLatin1String("s")).toInt());
        } else if (xml.name() == u"t" || xml.name() == u"v") {
            QString value = xml.readElementText();
            // Dates are day numbers counted from 1899-12-30; amounts compare as money.
            if (number && column == 0)
                value = QDate(1899, 12, 30).addDays(value.toLongLong()).toString(QStringLiteral("yyyy-MM-dd"));
            else if (number)
                value = Money::fromStored(QStringView(value))->plain();
            sheet.cells.last()[column] = unescaped(value);
        }
    }
    return sheet;
}

// ---- what the pages draw: the text of every page, in drawing order

class TextEngine : public QPaintEngine {
public:
    QString *page = nullptr;
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
    void drawPolygon(const QPoint *, int, PolygonDrawMode) override {}
    void drawPath(const QPainterPath &) override {}
    void drawTextItem(const QPointF &, const QTextItem &item) override { *page += item.text(); }
    Type type() const override { return User; }
};

class TextDevice : public QPaintDevice {
public:
    QString text;
    TextDevice() { engine_.page = &text; }
    QPaintEngine *paintEngine() const override { return &engine_; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
        case PdmHeight: return 8420;
        case PdmWidthMM:
        case PdmHeightMM: return 297;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return ReportPages::UnitsPerInch;
        case PdmDepth: return 32;
        case PdmNumColors: return INT_MAX;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    mutable TextEngine engine_;
};

QStringList pageTexts(ReportPages &pages)
{
    QStringList texts;
    for (int page = 0; page < pages.pageCount(); ++page) {
        TextDevice device;
        QPainter painter(&device);
        pages.paintPage(painter, page);
        painter.end();
        texts << device.text;
    }
    return texts;
}

// True when the cells come in this order in the text, each after the one before.
bool inOrder(const QString &text, const QStringList &cells, qsizetype *from)
{
    for (const QString &cell : cells) {
        if (cell.isEmpty())
            continue;
        const qsizetype at = text.indexOf(cell, *from);
        if (at < 0) {
            qWarning() << "not drawn in order:" << cell;
            return false;
        }
        *from = at + cell.size();
    }
    return true;
}

void fillEntries(TestFolder &t, int accountSet, int count)
{
    DataFile::Transaction transaction(t.data);
    for (int i = 0; i < count; ++i)
        t.addEntry(accountSet, QDate(2020, 1, 1).addDays(i).toString(QStringLiteral("yyyy-MM-dd")),
                   QStringLiteral("支出"), QString::number(i + 1), QStringLiteral("餐饮"),
                   QStringLiteral("第%1笔").arg(i + 1));
    transaction.commit();
}

QStringList folderContents(const QString &path) { return QDir(path).entryList(QDir::Files | QDir::NoDotAndDotDot); }

} // namespace

class ExportTest : public QObject {
    Q_OBJECT

private slots:
    void everyFormatHoldsTheSameCells_data();
    void everyFormatHoldsTheSameCells();
    void pagesRepeatTheHeaderAndEndWithTheTotals();
    void failedOrCancelledWritesLeaveNoFile();
    void fileTypesAndNames_data();
    void fileTypesAndNames();
    void shapedTextDrawsAsTheTextItself_data();
    void shapedTextDrawsAsTheTextItself();
};

void ExportTest::everyFormatHoldsTheSameCells_data()
{
    QTest::addColumn<QList<QStringList>>("entries");  // date, kind, item, amount, summary[, method, handler]
    QTest::addColumn<bool>("search");
    QTest::addColumn<Table>("expected");              // rows after the header, totals last

    QTest::newRow("an empty list: header and a zero totals row")
        << QList<QStringList>{} << false
        << Table{{"合计", "0 条", "0", "0", "收支结余", "0", ""}};

    // Newest date first; the totals exact (0.1 + 0.2 is 0.3); an amount that is not a number
    // adds nothing and stays text; a kind that is not "收入" is an expense.
    QTest::newRow("awkward text survives")
        << QList<QStringList>{{"2008-03-05", "收入", "工资", "10.1", "第一行\r\n第二行", "银行卡", "妻子"},
                              {"2008-03-06", "支出", "餐饮", "0.1", "他说\"好\"，逗号,在这", "现金", "本人"},
                              {"2008-03-07", "", "交通", "0.2", "tab\there"},
                              {"2008-03-08", "支出", "购物", "abc", "😀 表情 𠀀 €"},
                              {"2008-03-04", "收入", "奖金", "-2.5", "=1+1"}}
        << false
        << Table{{"2008-03-08", "购物", "", "abc", "", "", "😀 表情 𠀀 €"},
                 {"2008-03-07", "交通", "", "0.2", "", "", "tab\there"},
                 {"2008-03-06", "餐饮", "", "0.1", "现金", "本人", "他说\"好\"，逗号,在这"},
                 {"2008-03-05", "工资", "10.1", "", "银行卡", "妻子", "第一行\r\n第二行"},
                 {"2008-03-04", "奖金", "-2.5", "", "", "", "=1+1"},
                 {"合计", "5 条", "7.6", "0.3", "收支结余", "7.3", ""}};

    // A search result lists the newest entry first, whatever its date.
    QTest::newRow("search results in their own order")
        << QList<QStringList>{{"2008-03-09", "支出", "餐饮", "1", "早"},
                              {"2008-03-01", "支出", "餐饮", "2", "晚"},
                              {"2008-03-05", "支出", "交通", "4", "不在其中"}}
        << true
        << Table{{"2008-03-01", "餐饮", "", "2", "", "", "晚"},
                 {"2008-03-09", "餐饮", "", "1", "", "", "早"},
                 {"合计", "2 条", "0", "3", "收支结余", "-3", ""}};
}

void ExportTest::everyFormatHoldsTheSameCells()
{
    QFETCH(QList<QStringList>, entries);
    QFETCH(bool, search);
    QFETCH(Table, expected);

    TestFolder t;
    t.loginAsAdmin();
    const int set = t.defaultAccountSet();
    for (const QStringList &e : entries)
        t.addEntry(set, e[0], e[1], e[3], e[2], e[4], e.value(5), e.value(6));
    EntryQuery query;
    query.accountSet = set;
    if (search) {
        SearchRequest request;
        request.byExpenseItem = true;
        request.expenseItem = QStringLiteral("餐饮");
        query.search = request;
    }
    LedgerExport list(t.data, query, QStringLiteral("默认账套"), QStringLiteral("当前：全部记录"));
    const Table withHeader = Table{LedgerExport::columnTitles()} + expected;

    // CSV: UTF-8 behind its byte-order mark, unless GB18030 is chosen; read back cell for cell.
    const QString csv = t.path() + QStringLiteral("/out.csv");
    ExportResult result = list.writeCsv(csv);
    QCOMPARE(result.status, ExportResult::Written);
    QCOMPARE(result.rows, int(entries.size()) - (search ? 1 : 0));
    QFile csvFile(csv);
    QVERIFY(csvFile.open(QIODevice::ReadOnly));
    const QByteArray bytes = csvFile.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF" + QStringLiteral("日期,项目").toUtf8()));
    Table csvCells;
    for (const Csv::Record &record : Csv::records(Csv::decode(bytes)))
        csvCells << record.values;
    QCOMPARE(csvCells, withHeader);

    // xlsx: the same cells; dates and amounts as numbers, text that is no amount as text,
    // line breaks as single line feeds; the header bold and kept in view, the totals bold.
    const QString xlsx = t.path() + QStringLiteral("/out.xlsx");
    QCOMPARE(list.writeXlsx(xlsx).status, ExportResult::Written);
    const Sheet sheet = readWorkbook(xlsx);
    Table xlsxExpected = withHeader;
    for (QStringList &row : xlsxExpected)
        for (QString &cell : row) {
            if (std::optional<Money> money = Money::fromStored(QStringView(cell)))
                cell = money->plain();
            cell.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        }
    QCOMPARE(sheet.cells, xlsxExpected);
    QVERIFY(sheet.headerFrozen);
    QCOMPARE(sheet.bold.first(), QList<bool>(7, true));
    for (int r = 1; r < sheet.cells.size(); ++r) {
        const bool totals = r == sheet.cells.size() - 1;
        QCOMPARE(sheet.bold[r][0], totals);
        QCOMPARE(sheet.numbers[r][0], !totals);  // a date
        for (int c : {2, 3})
            QCOMPARE(sheet.numbers[r][c], Money::fromStored(QStringView(withHeader[r][c])).has_value());
    }

    // Print and PDF: every cell on the pages in order, the summary on one line.
    ReportPages pages(list, QDate(2024, 5, 1));
    QVERIFY(pages.landscape());
    const QString drawn = pageTexts(pages).join(QString());
    qsizetype from = 0;
    for (QStringList row : withHeader) {
        row[6] = LedgerExport::printedSummary(row[6]);
        QVERIFY(inOrder(drawn, row, &from));
    }
    const QString pdf = t.path() + QStringLiteral("/out.pdf");
    QCOMPARE(list.writePdf(pdf).status, ExportResult::Written);
    QFile pdfFile(pdf);
    QVERIFY(pdfFile.open(QIODevice::ReadOnly));
    QVERIFY(pdfFile.read(5) == "%PDF-");

    // Like the data file, every export is its owner's alone.
    for (const QString &file : {csv, xlsx, pdf})
        QCOMPARE(QFile::permissions(file) & 0x0fff, QFileDevice::ReadUser | QFileDevice::WriteUser);
}

void ExportTest::pagesRepeatTheHeaderAndEndWithTheTotals()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.defaultAccountSet();
    EntryQuery query;
    query.accountSet = set;
    int perPage = 0;
    {
        LedgerExport empty(t.data, query, QStringLiteral("默认账套"), QStringLiteral("当前：全部记录"));
        ReportPages pages(empty, QDate(2024, 5, 1));
        QCOMPARE(pages.pageCount(), 1);
        perPage = pages.rowsPerPage();
        QVERIFY(perPage > 10);
    }
    // Two full pages of entries: the totals row goes onto a third page of its own.
    fillEntries(t, set, 2 * perPage);
    LedgerExport list(t.data, query, QStringLiteral("默认账套"), QStringLiteral("当前：全部记录"));
    ReportPages pages(list, QDate(2024, 5, 1));
    QCOMPARE(pages.pageCount(), 3);
    const QStringList texts = pageTexts(pages);
    int entry = 2 * perPage;  // newest first
    for (int page = 0; page < 3; ++page) {
        qsizetype from = 0;
        QVERIFY(inOrder(texts[page], {"打印日期：2024年05月01日", "默认账套　当前：全部记录"}, &from));
        QVERIFY(inOrder(texts[page], LedgerExport::columnTitles(), &from));
        for (int row = 0; row < perPage && entry > 0 && page < 2; ++row, --entry)
            QVERIFY(inOrder(texts[page], {QStringLiteral("第%1笔").arg(entry)}, &from));
        QCOMPARE(texts[page].contains(QStringLiteral("合计")), page == 2);
        QVERIFY(texts[page].endsWith(QStringLiteral("第 %1 页 / 共 3 页").arg(page + 1)));
    }
    QVERIFY(texts[2].contains(QString::number(2 * perPage * (2 * perPage + 1) / 2)));  // the expense total

    // A PDF file holds every page.
    const QString pdf = t.path() + QStringLiteral("/all.pdf");
    QCOMPARE(list.writePdf(pdf).status, ExportResult::Written);
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
    QCOMPARE(QString::fromLatin1(file.readAll()).count(page), 3);

    // The finance summary's three lines fit a portrait page.
    FinanceFigures figures{2, 1, Money::parse(u"12.5").value(), Money::parse(u"4").value()};
    FinanceReport report(figures, QStringLiteral("默认账套"));
    ReportPages summary(report, QDate(2024, 5, 1));
    QVERIFY(!summary.landscape());
    QCOMPARE(summary.pageCount(), 1);
    qsizetype from = 0;
    QVERIFY(inOrder(pageTexts(summary).first(),
                    {"打印日期：2024年05月01日", "默认账套　帐务统计", "项目", "条数", "金额", "收入情况", "共计：2 条", "12.5", "支出情况", "共计：1 条", "4", "总计",
                     "现有金额：", "8.5RMB", "第 1 页 / 共 1 页"},
                    &from));
}

void ExportTest::failedOrCancelledWritesLeaveNoFile()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.defaultAccountSet();
    fillEntries(t, set, 2500);  // long enough for progress to be asked
    EntryQuery query;
    query.accountSet = set;
    LedgerExport list(t.data, query, QStringLiteral("默认账套"), QStringLiteral("当前：全部记录"));
    const QString folder = t.path() + QStringLiteral("/out");
    QVERIFY(QDir().mkpath(folder));
    using Format = LedgerExport::Format;

    for (Format format : {Format::Csv, Format::Xlsx, Format::Pdf}) {
        const QString ending = QStringList{".xlsx", ".csv", ".pdf"}[int(format)];
        // A folder that does not exist: an error to tell, no file.
        ExportResult result = list.write(format, folder + QStringLiteral("/missing/list") + ending);
        QCOMPARE(result.status, ExportResult::Failed);
        QVERIFY(!result.error.isEmpty());
        // A name that is a folder.
        const QString folderNamed = folder + QStringLiteral("/folder") + ending;
        QVERIFY(QDir().mkpath(folderNamed));
        QCOMPARE(list.write(format, folderNamed).status, ExportResult::Failed);
        QVERIFY(QDir().rmdir(folderNamed));

        // Cancelled half way: the file there before is left as it was, nothing else stays.
        const QString target = folder + QStringLiteral("/list") + ending;
        QFile before(target);
        QVERIFY(before.open(QIODevice::WriteOnly));
        before.write("before");
        before.close();
        int asked = 0;
        result = list.write(format, target, [&](qint64 done, qint64 total) {
            ++asked;
            return done * 2 < total;
        });
        QCOMPARE(result.status, ExportResult::Cancelled);
        QVERIFY(asked > 0);
        QCOMPARE(folderContents(folder), QStringList{QStringLiteral("list") + ending});
        QVERIFY(before.open(QIODevice::ReadOnly));
        QCOMPARE(before.readAll(), QByteArray("before"));
        before.close();
        QVERIFY(before.remove());
    }
    QCOMPARE(folderContents(QDir::tempPath()).filter(QStringLiteral("tallyra-export")), QStringList());
}

void ExportTest::fileTypesAndNames_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("type");

    // The name's own ending wins; a name without one gets the chosen type's ending.
    QTest::newRow("ending typed") << "/x/list.CSV" << 0 << "/x/list.CSV" << 1;
    QTest::newRow("no ending, Excel chosen") << "/x/list" << 0 << "/x/list.xlsx" << 0;
    QTest::newRow("no ending, PDF chosen") << "/x/list" << 2 << "/x/list.pdf" << 2;
    QTest::newRow("a dot that is no ending") << "/x/2024.05" << 1 << "/x/2024.05.csv" << 1;
    QTest::newRow("cancelled") << "" << 1 << "" << -1;
}

void ExportTest::fileTypesAndNames()
{
    QFETCH(QString, typed);
    QFETCH(int, chosen);
    QFETCH(QString, path);
    QFETCH(int, type);
    int got = -1;
    QCOMPARE(Prompt::withFileType(typed, LedgerExport::fileFilter(), chosen, &got), path);
    QCOMPARE(got, type);

    QCOMPARE(LedgerExport::defaultName(QStringLiteral("家/庭:账*套"), QDate(2024, 5, 1)),
             QStringLiteral("家_庭_账_套_2024-05-01"));
    QCOMPARE(LedgerExport::defaultName(QString(), QDate(2024, 5, 1)), QStringLiteral("记帐数据_2024-05-01"));
}

void ExportTest::shapedTextDrawsAsTheTextItself_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("bold");
    QTest::newRow("a date") << "2024-12-31" << false;
    QTest::newRow("a negative amount, bold") << "-7041.27" << true;
    QTest::newRow("Chinese with a space") << "电话费 地铁" << false;
    QTest::newRow("Chinese, digits and signs") << "共计：2 条 / 12.5RMB" << true;
    QTest::newRow("Latin letters that kern") << "AVATAR Wave, To" << false;
}

// Text shaped once and drawn from its glyphs gives the pixels of the text drawn directly,
// twice on a line (the second time from the cache, in one run with the first).
void ExportTest::shapedTextDrawsAsTheTextItself()
{
    QFETCH(QString, text);
    QFETCH(bool, bold);
    QFont font = QGuiApplication::font();
    font.setPixelSize(30);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    auto drawn = [&](const std::function<void(QPainter &)> &draw) {
        QImage image(1000, 50, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setFont(font);
        draw(painter);
        return image;
    };
    const QImage expected = drawn([&](QPainter &p) {
        p.drawText(QPointF(5, 38), text);
        p.drawText(QPointF(505, 38), text);
    });
    ShapedText shaped(font);
    const ShapedText::Line first = shaped.line(text);
    QCOMPARE(first.width, QFontMetricsF(font).horizontalAdvance(text));
    const QImage image = drawn([&](QPainter &p) {
        GlyphBatch glyphs(p);
        glyphs.add(QPointF(5, 38), first);
        glyphs.add(QPointF(505, 38), shaped.line(text));
    });
    QVERIFY(image == expected);
}

TALLYRA_TEST(ExportTest)

#include "tst_export.moc"
