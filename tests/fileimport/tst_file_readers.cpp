// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/ledger_export.h"
#include "fileimport/file_import.h"
#include "fileimport/qif_reader.h"
#include "import_files.h"
#include "support/test_folder.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QtTest>

#include "support/test_main.h"

namespace {

QByteArray gbk(const QString &text) { return QStringEncoder("GBK").encode(text); }

// A row as "date|item|income|expense|method|handler|summary".
QString joined(const FileRow &r)
{
    return QStringList{r.date, r.item, r.income, r.expense, r.method, r.handler, r.summary}.join(u'|');
}

QStringList joined(const std::vector<FileRow> &rows)
{
    QStringList out;
    for (const FileRow &r : rows)
        out << joined(r);
    return out;
}

const QByteArray Ofx1 = "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\nSECURITY:NONE\r\nENCODING:USASCII\r\n"
                        "CHARSET:1252\r\nCOMPRESSION:NONE\r\nOLDFILEUID:NONE\r\nNEWFILEUID:NONE\r\n\r\n"
                        "<OFX><SIGNONMSGSRSV1><SONRS><STATUS><CODE>0<SEVERITY>INFO</STATUS><DTSERVER>20240110"
                        "<LANGUAGE>ENG</SONRS></SIGNONMSGSRSV1><BANKMSGSRSV1><STMTTRNRS><TRNUID>1<STATUS><CODE>0"
                        "<SEVERITY>INFO</STATUS><STMTRS><CURDEF>USD<BANKACCTFROM><BANKID>1<ACCTID>2<ACCTTYPE>CHECKING"
                        "</BANKACCTFROM><BANKTRANLIST><DTSTART>20240101<DTEND>20240110\r\n"
                        "<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20240107235959.000[-5:EST]<TRNAMT>-12.50<FITID>1"
                        "<NAME>Coffee shop<MEMO>Latte &amp; cake</STMTTRN>\r\n"
                        "<STMTTRN><TRNTYPE>CREDIT<DTPOSTED>20240108<TRNAMT>1234,56<FITID>2<NAME>Salary Caf\xe9</STMTTRN>\r\n"
                        "<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20240109<TRNAMT>abc<FITID>3<NAME>Broken</STMTTRN>\r\n"
                        "</BANKTRANLIST><LEDGERBAL><BALAMT>1<DTASOF>20240110</LEDGERBAL></STMTRS></STMTTRNRS>"
                        "</BANKMSGSRSV1></OFX>\r\n";

QByteArray ofx2(const QString &transactions)
{
    return (QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<?OFX OFXHEADER=\"200\" VERSION=\"211\" SECURITY=\"NONE\" OLDFILEUID=\"NONE\" "
                           "NEWFILEUID=\"NONE\"?>\n<OFX><SIGNONMSGSRSV1><SONRS><STATUS><CODE>0</CODE><SEVERITY>INFO"
                           "</SEVERITY></STATUS><DTSERVER>20240110</DTSERVER><LANGUAGE>CHI</LANGUAGE></SONRS>"
                           "</SIGNONMSGSRSV1><CREDITCARDMSGSRSV1><CCSTMTTRNRS><TRNUID>1</TRNUID><STATUS><CODE>0</CODE>"
                           "<SEVERITY>INFO</SEVERITY></STATUS><CCSTMTRS><CURDEF>CNY</CURDEF><CCACCTFROM><ACCTID>9"
                           "</ACCTID></CCACCTFROM><BANKTRANLIST><DTSTART>20240101</DTSTART><DTEND>20240110</DTEND>\n") +
            transactions +
            QStringLiteral("</BANKTRANLIST><LEDGERBAL><BALAMT>1</BALAMT><DTASOF>20240110</DTASOF></LEDGERBAL>"
                           "</CCSTMTRS></CCSTMTTRNRS></CREDITCARDMSGSRSV1></OFX>\n"))
        .toUtf8();
}

QString ofx2Transaction(const QString &fitid, const QString &date, const QString &amount, const QString &name,
                        const QString &memo = {})
{
    return QStringLiteral("<STMTTRN><TRNTYPE>DEBIT</TRNTYPE><DTPOSTED>%1</DTPOSTED><TRNAMT>%2</TRNAMT>"
                          "<FITID>%3</FITID><NAME>%4</NAME>%5</STMTTRN>\n")
        .arg(date, amount, fitid, name, memo.isEmpty() ? QString() : QStringLiteral("<MEMO>%1</MEMO>").arg(memo));
}

} // namespace

class FileReadersTest : public QObject {
    Q_OBJECT
private slots:
    void readsFiles_data();
    void readsFiles();
    void refusesBadFiles_data();
    void refusesBadFiles();
    void signedAmounts_data();
    void signedAmounts();
    void qifDates_data();
    void qifDates();
    void bankCsvIsMappedAndRemembered();
    void ledgerCsvComesBackAsTheSameEntries();
    void duplicatesAreMarked();
    void manyOfxTransactionsKeepTheirOrder();
};

void FileReadersTest::readsFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("ledger CSV, GBK, quoted summary")
        << gbk("日期,项目,收入,支出,收支方式,经手人,摘要\r\n"
               "2008年03月05日,工资,\"1,200.50\",,银行卡,本人,\"三月, \"\"全勤\"\"\r\n奖\"\r\n"
               "2008-3-6,餐饮,,12,现金,本人,午饭\r\n")
        << "csv"
        << QStringList{"2008-03-05|工资|1200.50||银行卡|本人|三月, \"全勤\"\r\n奖", "2008-03-06|餐饮||12|现金|本人|午饭"};
    QTest::newRow("UTF-8 with BOM, titles in another order, tabs")
        << QByteArray("\xEF\xBB\xBF") + QStringLiteral("No.\t摘要\t日  期\t支出\n1\t地铁\t2024/1/5\t3\n2\t坏日期\t2024/13/5\t4\n").toUtf8()
        << "txt" << QStringList{"2024-01-05|||3|||地铁", "2024/13/5|||4|||坏日期"};
    QTest::newRow("QIF, a split, other sections passed over")
        << QByteArray("!Type:Cat\nNFood\nE\n^\n!Account\nNChecking\nTBank\nDMy account\n^\n!Type:Bank\n"
                      "D01/05'24\nT-1,234.50\nPSupermarket\nMWeekly\nLFood:Groceries/Home\n^\n"
                      "D1/ 6' 4\nU100.00\nT100.00\nPEmployer\nLSalary\n^\n"
                      "D12/31/1999\nT-30\nPShop\nSHousehold\nEBroom\n$-10\nSGifts\n$-20\n^\n!Type:Invst\nD1/7'24\nT5\n^\n")
        << "qif"
        << QStringList{"2024-01-05|Food:Groceries||1234.50|||Supermarket - Weekly", "2004-01-06|Salary|100.00||||Employer",
                       "1999-12-31|Household||10|||Shop - Broom", "1999-12-31|Gifts||20|||Shop"};
    QTest::newRow("QIF, dates day first, GBK")
        << gbk("!Type:Cash\nD13/01/2024\nT-5\nP早餐\n^\nD02/03/2024\nT-6\nP午餐\n^\nDsoon\nT-7\n^\n") << "txt"
        << QStringList{"2024-01-13|||5|||早餐", "2024-03-02|||6|||午餐", "soon|||7|||"};
    QTest::newRow("OFX 1.x, code page 1252: the bank's own date, comma point, a bad amount kept")
        << Ofx1 << "qfx"
        << QStringList{"2024-01-07|||12.50|||Coffee shop - Latte & cake（USD）", "2024-01-08||1234.56||||Salary Café（USD）",
                       "2024-01-09||abc||||Broken（USD）"};
    QTest::newRow("OFX 2.x XML, credit card, Chinese")
        << ofx2(ofx2Transaction("a", "20240105120000[+8:CST]", "-88.00", "超市 &amp; 便利店", "日用品") +
                ofx2Transaction("b", "20240106", "+5000", "退款"))
        << "ofx" << QStringList{"2024-01-05|||88.00|||超市 & 便利店 - 日用品", "2024-01-06||5000||||退款"};
    QTest::newRow("OFX 2.x, CDATA names and memos")
        << ofx2(ofx2Transaction("c", "20240107", "-9.90", "<![CDATA[A&B <小店>]]>", "<![CDATA[早饭]]>"))
        << "ofx" << QStringList{"2024-01-07|||9.90|||A&B <小店> - 早饭"};
    QTest::newRow("QIF, a comment first, the opening balance no row")
        << QByteArray("# sample data, made up\n!Type:Bank\nD01/01'24\nT1,000.00\nPOpening Balance\nL[Checking]\n^\n"
                      "D01/02'24\nT-5\nPShop\n^\n")
        << "qif" << QStringList{"2024-01-02|||5|||Shop"};
    QTest::newRow("QIF of two accounts: each row names its own")
        << QByteArray("!Account\nNChecking\nTBank\n^\n!Type:Bank\nD01/02'24\nT-5\nPShop\n^\n"
                      "!Account\nNVisa\nTCCard\n^\n!Type:CCard\nD01/03'24\nT-7\nPCafe\n^\n")
        << "qif" << QStringList{"2024-01-02|||5|Checking||Shop", "2024-01-03|||7|Visa||Cafe"};
}

void FileReadersTest::readsFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, suffix);
    QFETCH(QStringList, rows);
    const FileReading reading = FileImport::read(bytes, suffix);
    QCOMPARE(reading.reason, QString());
    QCOMPARE(reading.kind, FileReading::Rows);
    QCOMPARE(joined(reading.rows), rows);
    for (size_t i = 0; i < reading.rows.size(); ++i)
        QCOMPARE(reading.rows[i].number, int(i) + 1);
}

void FileReadersTest::refusesBadFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty") << QByteArray() << "csv" << "文件是空的。";
    QTest::newRow("only a byte-order mark and blanks") << QByteArray("\xEF\xBB\xBF \r\n") << "csv" << "文件是空的。";
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << "csv" << "文件不是文本文件。";
    QTest::newRow("neither UTF-8 nor GB18030") << QByteArray("a,b\r\n\x80\xff,c\r\n") << "csv"
                                                << "文件的编码无法识别（能读取的是 UTF-8 和 GBK/GB18030 编码的文本）。";
    QTest::newRow("CSV named .qif") << QByteArray("日期,金额\r\n2024-1-5,3\r\n") << "qif"
                                    << "文件不是 QIF 格式（应以“!Type:”开头）。";
    QTest::newRow("QIF without transactions") << QByteArray("!Type:Cat\nNFood\n^\n") << "qif"
                                              << "文件中没有银行、现金或信用卡账户的交易记录。";
    QTest::newRow("text named .ofx") << QByteArray("hello") << "ofx" << "文件不是 OFX 格式（没有 OFX 文件头）。";
    QTest::newRow("OFX header, garbage after") << Ofx1.left(200) + QByteArray("<STMTTRN>\x01\x02<<<>>>") << "ofx"
                                               << "文件不是有效的 OFX 文件，或已损坏。";
    QTest::newRow("broken workbook") << QByteArray("PK\x03\x04 not really a zip") << "xlsx"
                                     << "文件不是有效的 Excel 工作簿（.xlsx），或已损坏。";
    QTest::newRow("OFX without transactions") << ofx2(QString()) << "ofx" << "文件中没有银行或信用卡账户的交易记录。";
}

void FileReadersTest::refusesBadFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, suffix);
    QFETCH(QString, reason);
    const FileReading reading = FileImport::read(bytes, suffix);
    QCOMPARE(reading.kind, FileReading::Failed);
    QCOMPARE(reading.reason, reason);
    QVERIFY(reading.rows.empty());
}

void FileReadersTest::signedAmounts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("income");
    QTest::addColumn<QString>("expense");
    QTest::newRow("plain") << "12.50" << "12.50" << "";
    QTest::newRow("plus") << " +12.50 " << "12.50" << "";
    QTest::newRow("minus") << "-12.50" << "" << "12.50";
    QTest::newRow("parentheses") << "(1,234.5)" << "" << "1234.5";
    QTest::newRow("minus zero is an expense") << "-0" << "" << "0";
    QTest::newRow("grouped") << "1,234,567" << "1234567" << "";
    QTest::newRow("comma not grouping") << "1,5" << "1,5" << "";
    QTest::newRow("two signs") << "--5" << "" << "--5";
    QTest::newRow("sign inside parentheses") << "(-5)" << "" << "(-5)";
    QTest::newRow("unit") << "12元" << "12" << "";
    QTest::newRow("no number") << "十二元" << "十二元" << "";
    QTest::newRow("empty") << " " << "" << "";
}

void FileReadersTest::signedAmounts()
{
    QFETCH(QString, text);
    const FileRows::AmountCells cells = FileRows::AmountCells::fromSigned(text);
    QTEST(cells.income, "income");
    QTEST(cells.expense, "expense");
}

void FileReadersTest::qifDates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("dayFirst");
    QTest::addColumn<QDate>("date");
    QTest::newRow("apostrophe") << "01/05'24" << false << QDate(2024, 1, 5);
    QTest::newRow("padded") << " 1/ 5' 4" << false << QDate(2004, 1, 5);
    QTest::newRow("two-digit year before 50") << "12/31/49" << false << QDate(2049, 12, 31);
    QTest::newRow("two-digit year from 50") << "12/31/99" << false << QDate(1999, 12, 31);
    QTest::newRow("four-digit year") << "1-5-2024" << false << QDate(2024, 1, 5);
    QTest::newRow("as pasted") << "2024-01-05" << false << QDate(2024, 1, 5);
    QTest::newRow("day first") << "31.12.2023" << true << QDate(2023, 12, 31);
    QTest::newRow("no such month") << "31/12/2023" << false << QDate();
    QTest::newRow("no such day") << "02/30/2024" << false << QDate();
    QTest::newRow("three-digit year") << "1/5'123" << false << QDate();
}

void FileReadersTest::qifDates()
{
    QFETCH(QString, text);
    QFETCH(bool, dayFirst);
    QFETCH(QDate, date);
    const auto read = QifReader::readDate(text, dayFirst ? QifReader::DayOrder::DayFirst : QifReader::DayOrder::MonthFirst);
    QCOMPARE(read.value_or(QDate()), date);
}

void FileReadersTest::bankCsvIsMappedAndRemembered()
{
    TestFolder t;
    // One signed amount column, semicolons, a zero in the column banks leave at 0.00.
    const QByteArray bank = gbk("交易日期;交易金额;余额;对方户名;备注\r\n"
                                "2024-01-05 09:30:00;-1,200.00;10.00;房东;房租\r\n"
                                "2024-01-06;+300;310;公司;\r\n");
    const QString path = ImportFiles::write(t.path(), "bank.csv", bank);
    FileImport files(t.data);
    FileReading reading = files.open(path);
    QCOMPARE(reading.kind, FileReading::Table);
    QCOMPARE(reading.table.separator, QChar(u';'));
    ColumnMapping guessed = reading.mapping;
    QVERIFY(guessed.header);
    QCOMPARE(guessed[ImportField::Date], 0);
    QCOMPARE(guessed[ImportField::Signed], 1);
    QCOMPARE(guessed[ImportField::Summary], 3);
    QCOMPARE(joined(reading.table.rows(guessed)),
             (QStringList{"2024-01-05|||1200.00|||房东", "2024-01-06||300||||公司"}));

    // The user's choice is what the next file with that header starts from.
    ColumnMapping chosen = guessed;
    chosen[ImportField::Summary] = 4;
    chosen[ImportField::Handler] = 3;
    QCOMPARE(ColumnMapping::fromText(chosen.toText()), std::optional<ColumnMapping>(chosen));
    QVERIFY(!ColumnMapping::fromText(QStringLiteral("1|0,1")));
    files.rememberMapping(reading.table, chosen);
    QCOMPARE(files.open(ImportFiles::write(t.path(), "next.csv", bank + gbk("2024-01-07;-1;9;店;\r\n"))).mapping, chosen);
    QCOMPARE(files.open(ImportFiles::write(t.path(), "other.csv", gbk("日期;金额\r\n2024-1-5;1\r\n"))).mapping[ImportField::Summary],
             -1);

    // Without a header, the cells say which column is which.
    const FileReading bare = FileImport::read(gbk("7,2024/3/1,(45.00),超市\r\n8,2024/3/2,12,退货\r\n"), "txt");
    QVERIFY(!bare.mapping.header);
    QCOMPARE(bare.mapping[ImportField::Date], 1);
    QCOMPARE(bare.mapping[ImportField::Signed], 2);  // money rather than a serial number
    QCOMPARE(bare.mapping[ImportField::Summary], 3);
    // A choice made for such a file is not taken for one of as many columns with a header.
    files.rememberMapping(bare.table, bare.mapping);
    const QString bareAgain = ImportFiles::write(t.path(), "bare.txt", gbk("9,2024/3/3,1,书\r\n"));
    QCOMPARE(files.open(bareAgain).mapping, bare.mapping);
    QVERIFY(files.open(ImportFiles::write(t.path(), "titled.csv", gbk("编号,日期,金额,摘要\r\n1,2024/3/3,1,书\r\n")))
                .mapping.header);

    // Separate income and expense columns: the zero one is left out.
    const FileReading split = FileImport::read(gbk("记账日期,收入金额,支出金额,摘要\r\n2024-02-01,0.00,25.00,电费\r\n"
                                                   "2024-02-02,100.00,0.00,利息\r\n2024-02-03,0,0,零\r\n"),
                                               "csv");
    QCOMPARE(joined(split.table.rows(split.mapping)),
             (QStringList{"2024-02-01|||25.00|||电费", "2024-02-02||100.00||||利息", "2024-02-03||0|0|||零"}));
}

void FileReadersTest::ledgerCsvComesBackAsTheSameEntries()
{
    TestFolder t;
    t.loginAsAdmin();
    const int from = t.defaultAccountSet();
    t.addEntry(from, "2008-03-05", "收入", "1200.5", "工资", "三月, \"全勤\"\r\n奖", "银行卡", "本人");
    t.addEntry(from, "2008-03-06", "支出", "12", "餐饮", "午饭", "现金", "本人");
    t.addEntry(from, "2008-03-07", "支出", "0.3", "", "", "", "");
    const QString columns = QStringLiteral("data, t1, t2, t3, t4, t5, content");
    auto entries = [&](int set) {
        QStringList out;
        Statement st = t.data.query(QStringLiteral("select %1 from jizhang where muluID=? order by id").arg(columns), {set});
        while (st.step()) {
            QStringList cells;
            for (int c = 0; c < 7; ++c)
                cells << st.text(c);
            out << cells.join(u'|');
        }
        out.sort();  // the export lists the newest first
        return out;
    };

    // The ledger's own CSV export, its totals row included.
    const QString path = QDir(t.path()).filePath("ledger.csv");
    EntryQuery all;
    all.accountSet = from;
    QVERIFY(LedgerExport(t.data, all, QStringLiteral("默认账套"), QStringLiteral("全部记录")).writeCsv(path).status ==
            ExportResult::Written);
    const FileReading reading = FileImport(t.data).open(path);
    QCOMPARE(reading.kind, FileReading::Rows);
    const int to = t.addAccountSet(QStringLiteral("另一个"));
    QCOMPARE(reading.rows.size(), size_t(3));  // not the totals row
    const ImportReport report = Ledger(t.data).importRows(FileImport::previewRows(reading.rows), to);
    QCOMPARE(report.stored, 3);
    QCOMPARE(entries(to), entries(from));
}

void FileReadersTest::duplicatesAreMarked()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.defaultAccountSet();
    t.addEntry(set, "2024-01-05", "支出", "12.5", "", "午饭\r\n加蛋");
    t.addEntry(t.addAccountSet(QStringLiteral("别人")), "2024-01-06", "支出", "7", "", "地铁");
    const FileReading reading = FileImport::read(gbk("日期,收入,支出,摘要\r\n"
                                                     "2024/1/5,,12.50,\"午饭\n加蛋\"\r\n"  // stored already
                                                     "2024-01-05,12.5,,\"午饭\n加蛋\"\r\n"  // other kind
                                                     "2024-01-06,,7,地铁\r\n"               // other set
                                                     "2024-01-06,,7.0,地铁\r\n"             // same as No. 3
                                                     "2024-01-05,,12.50,午饭\r\n"           // other summary
                                                     "2024-13-05,,7,地铁\r\n"               // no date
                                                     "2024-01-06,,七,地铁\r\n"),            // no amount
                                                 "csv");
    const std::vector<ImportRow> rows = FileImport::previewRows(reading.rows);
    QList<int> kinds, earlier;
    for (const DuplicateMark &m : FileImport(t.data).duplicates(rows, set)) {
        kinds << int(m.kind);
        earlier << m.earlier;
    }
    QCOMPARE(kinds, (QList<int>{DuplicateMark::Stored, 0, 0, DuplicateMark::EarlierRow, 0, 0, 0}));
    QCOMPARE(earlier, (QList<int>{0, 0, 0, 3, 0, 0, 0}));
}

void FileReadersTest::manyOfxTransactionsKeepTheirOrder()
{
    // More transactions than libofx is handed at once: every one comes back, in order.
    QString list;
    for (int i = 1; i <= 1234; ++i)
        list += ofx2Transaction(QString::number(i), QStringLiteral("20240105"), QStringLiteral("-%1.01").arg(i),
                                QStringLiteral("店%1").arg(i));
    QList<qint64> reported;
    const FileReading reading = FileImport::read(ofx2(list), "ofx", [&](qint64 done, qint64 total) {
        reported << done << total;
        return true;
    });
    QCOMPARE(reading.kind, FileReading::Rows);
    QCOMPARE(reading.rows.size(), size_t(1234));
    for (int i : {0, 499, 500, 1233})
        QCOMPARE(joined(reading.rows[size_t(i)]), QStringLiteral("2024-01-05|||%1.01|||店%1").arg(i + 1));
    QCOMPARE(reported.mid(0, 2), (QList<qint64>{0, 1234}));
    QCOMPARE(reported.mid(reported.size() - 2), (QList<qint64>{1234, 1234}));

    // Stopping the reading gives nothing.
    QCOMPARE(FileImport::read(ofx2(list), "ofx", [](qint64 done, qint64) { return done < 500; }).kind,
             FileReading::Stopped);
}

TALLYRA_TEST(FileReadersTest)
#include "tst_file_readers.moc"
