// SPDX-License-Identifier: GPL-3.0-or-later
// The statement import's windows and its workbook reader: the mapping step read again
// with another separator, header line and date order; the cells of a workbook in the
// forms spreadsheets write; a foreign currency asked about; transfers that cannot be
// stored named in the result; the rules list.
#include "accounts/accounts.h"
#include "fileimport/batch_import.h"
#include "fileimport/column_mapping_dialog.h"
#include "fileimport/import_rules.h"
#include "fileimport/xlsx_reader.h"
#include "import_files.h"
#include "support/test_folder.h"
#include "ui/record_list.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

#include <zip.h>

#include "support/modal.h"
#include "support/test_main.h"

namespace {

// A workbook of the given parts, packed with libzip.
QByteArray workbook(const QString &folder, const QList<std::pair<const char *, QByteArray>> &parts)
{
    const QByteArray path = QDir(folder).filePath(QStringLiteral("book.xlsx")).toLocal8Bit();
    int error = 0;
    zip_t *zip = zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (const auto &[name, bytes] : parts) {
        zip_source_t *source = zip_source_buffer(zip, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        zip_file_add(zip, name, source, ZIP_FL_OVERWRITE);
    }
    if (zip_close(zip) != 0)
        qFatal("cannot write the workbook");
    QFile file(QString::fromLocal8Bit(path));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QStringList records(const std::vector<Csv::Record> &records)
{
    QStringList out;
    for (const Csv::Record &r : records)
        out << QString::number(r.line) + u':' + r.values.join(u'|');
    return out;
}

void click(QObject *parent, const char *name)
{
    QTest::mouseClick(parent->findChild<QPushButton *>(QString::fromLatin1(name)), Qt::LeftButton);
}

} // namespace

class StatementWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void mappingStepReadsTheFileAgain();
    void workbookCells();
    void windowSaysWhatItCannotTake();
    void rulesList();
};

void StatementWindowsTest::mappingStepReadsTheFileAgain()
{
    // A bank's title line, then lines split by "|", which the guess does not know.
    CsvTable table = CsvTable::fromText(QStringLiteral("示例银行 明细\n日期|金额|摘要\n02/03/2024|-5,00|早饭\n04/03/2024|-7,00|午饭\n"));
    ColumnMappingDialog dialog(QStringLiteral("bank.txt"), table, table.guessMapping(table.findHeader()));
    auto *separator = dialog.findChild<QComboBox *>(QStringLiteral("Separator"));
    QVERIFY(separator->isEnabled());
    separator->setCurrentIndex(separator->findText(QStringLiteral("竖线")));
    QCOMPARE(table.columnCount(), 3);
    dialog.findChild<QSpinBox *>(QStringLiteral("HeaderLine"))->setValue(2);
    auto *date = dialog.findChild<QComboBox *>(QStringLiteral("Combo1"));
    QCOMPARE(date->itemText(1), QStringLiteral("第1列：日期"));
    date->setCurrentIndex(1);
    auto *amount = dialog.findChild<QComboBox *>(QStringLiteral("Combo8"));
    amount->setCurrentIndex(2);
    QVERIFY(dialog.findChild<QPushButton *>(QStringLiteral("Command1"))->isEnabled());

    // Neither date says which comes first: the choice in the mapping step does.
    auto *order = dialog.findChild<QComboBox *>(QStringLiteral("DateOrder"));
    QStringList read;
    for (const QString &form : {QStringLiteral("日/月/年"), QStringLiteral("月/日/年")}) {
        order->setCurrentIndex(order->findText(form));
        std::vector<SkippedLine> skipped;
        for (const FileRow &r : table.rows(dialog.mapping(), {}, nullptr, &skipped))
            read << r.date + u' ' + r.expense;
        QCOMPARE(skipped.size(), size_t(1));  // the title line
    }
    QCOMPARE(read, (QStringList{"2024-03-02 5.00", "2024-03-04 7.00", "2024-02-03 5.00", "2024-04-03 7.00"}));

    // Tab from the file's lines goes on to the choices below them, not to the next cell.
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto *lines = dialog.findChild<QTableView *>(QStringLiteral("Sample"));
    lines->setFocus();
    lines->setCurrentIndex(lines->model()->index(0, 0));
    QTest::keyClick(lines, Qt::Key_Tab);
    QCOMPARE(dialog.focusWidget()->objectName(), QStringLiteral("Separator"));
}

void StatementWindowsTest::workbookCells()
{
    QTemporaryDir folder;
    const QByteArray sheet =
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"C1\" t=\"inlineStr\"><is><t>内联</t></is></c></row>"
        "<row r=\"2\"><c r=\"A2\"/></row>"  // no value: no record
        "<row r=\"4\"><c r=\"A4\" s=\"1\"><v>45353.5</v></c><c r=\"B4\"><v>28.160000000000000142</v></c>"
        "<c r=\"C4\" t=\"str\"><f>B4</f><v>公式</v></c><c r=\"D4\" s=\"2\"><v>45353</v></c></row>"
        "</sheetData></worksheet>";
    const QByteArray strings =
        "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><si><r><t>交易</t></r><r><t>时间</t></r>"
        "<rPh><t>じかん</t></rPh></si></sst>";
    const QByteArray styles =
        "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><numFmts>"
        "<numFmt numFmtId=\"164\" formatCode=\"yyyy/m/d h:mm\"/></numFmts><cellXfs><xf numFmtId=\"0\"/>"
        "<xf numFmtId=\"164\"/><xf numFmtId=\"14\"/></cellXfs></styleSheet>";
    const XlsxReader::Reading reading = XlsxReader::read(workbook(
        folder.path(), {{"xl/worksheets/sheet1.xml", sheet}, {"xl/sharedStrings.xml", strings}, {"xl/styles.xml", styles}}));
    QCOMPARE(reading.error, QString());
    QCOMPARE(records(reading.records),
             (QStringList{"1:交易时间||内联", "4:2024-03-02 12:00:00|28.16|公式|2024-03-02"}));

    // A zip without a sheet is no workbook.
    const XlsxReader::Reading other = XlsxReader::read(workbook(folder.path(), {{"readme.txt", "hello"}}));
    QCOMPARE(other.error, QStringLiteral("文件不是有效的 Excel 工作簿（.xlsx），或已损坏。"));
}

void StatementWindowsTest::windowSaysWhatItCannotTake()
{
    TestFolder t;
    t.loginAsAdmin();
    ImportFiles::addAccount(t, QStringLiteral("微信零钱"), QStringLiteral("微信"));
    BatchImport import(t.context);
    import.show();
    RecordList *list = import.list();

    // A statement in dollars is not taken as yuan unless the user says so.
    const QString ofx = ImportFiles::write(t.path(), "usd.ofx",
                              "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\nSECURITY:NONE\r\nENCODING:USASCII\r\n"
                              "CHARSET:1252\r\nCOMPRESSION:NONE\r\nOLDFILEUID:NONE\r\nNEWFILEUID:NONE\r\n\r\n"
                              "<OFX><SIGNONMSGSRSV1><SONRS><STATUS><CODE>0<SEVERITY>INFO</STATUS><DTSERVER>20240110"
                              "<LANGUAGE>ENG</SONRS></SIGNONMSGSRSV1><BANKMSGSRSV1><STMTTRNRS><TRNUID>1<STATUS><CODE>0"
                              "<SEVERITY>INFO</STATUS><STMTRS><CURDEF>USD<BANKACCTFROM><BANKID>1<ACCTID>2<ACCTTYPE>"
                              "CHECKING</BANKACCTFROM><BANKTRANLIST><DTSTART>20240101<DTEND>20240110\r\n<STMTTRN>"
                              "<TRNTYPE>DEBIT<DTPOSTED>20240105<TRNAMT>-3.50<FITID>1<NAME>Coffee</STMTTRN>\r\n"
                              "</BANKTRANLIST><LEDGERBAL><BALAMT>1<DTASOF>20240110</LEDGERBAL></STMTRS></STMTTRNRS>"
                              "</BANKMSGSRSV1></OFX>\r\n");
    t.prompt.answers << Prompt::Answer::No;
    QVERIFY(!import.loadFile(ofx));
    QVERIFY(t.prompt.lastText().contains(QStringLiteral("USD")));
    QCOMPARE(list->rowCount(), 0);
    t.prompt.answers << Prompt::Answer::Yes;
    QVERIFY(import.loadFile(ofx));
    QCOMPARE(list->cell(0, 7), QStringLiteral("Coffee（USD）"));

    // The WeChat statement's withdrawal goes to a card that is not among the accounts: it
    // is named, the rest is stored.
    QFile sample(QDir(QStringLiteral(TALLYRA_STATEMENTS)).filePath(QStringLiteral("wechat.csv")));
    QVERIFY(sample.open(QIODevice::ReadOnly));
    const QString wechat = ImportFiles::write(t.path(), "wechat.csv", sample.readAll());
    whenModal([](QDialog *d) { click(d, "Command1"); }, false);
    QVERIFY(import.loadFile(wechat));
    QCOMPARE(list->rowCount(), 4);
    QCOMPARE(list->cell(0, 5), QStringLiteral("微信零钱"));
    QCOMPARE(list->cell(3, 8), QStringLiteral("转账：对方账户“招商银行(1234)”不在账户中，保存时跳过"));
    click(&import, "Command4");
    QCOMPARE(t.prompt.lastText(),
             QStringLiteral("共导入 3 条记录，跳过 4 条（全额退款 2 条，对方已退还 1 条，转账的对方账户不在账户中 1 条）。\r\n"
                            "文件中另有 16 行说明或汇总文字，不是记录。\r\n转账的对方账户不在账户中，没有导入的行（No.）：4"));
    Statement st = t.data.query(QStringLiteral("select count(*), (select count(*) from zhuanzhang) from jizhang"));
    QVERIFY(st.step());
    QCOMPARE(st.integer(0), qint64(3));
    QCOMPARE(st.integer(1), qint64(0));
}

void StatementWindowsTest::rulesList()
{
    TestFolder t;
    t.loginAsAdmin();
    BatchImport import(t.context);
    import.show();
    whenModal([&](QDialog *d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("导入规则"));
        click(d, "Command1");  // nothing typed: said so, nothing stored
        d->findChild<QLineEdit *>(QStringLiteral("Words"))->setText(QStringLiteral(" 滴滴 "));
        d->findChild<QLineEdit *>(QStringLiteral("Item"))->setText(QStringLiteral("交通"));
        click(d, "Command1");
        auto *table = d->findChild<QTableWidget *>(QStringLiteral("Rules"));
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("滴滴"));
    });
    click(&import, "Command6");
    QCOMPARE(t.prompt.lastText(), QStringLiteral("请填写“包含”的文字和“项目”！"));
    const std::vector<ImportRule> rules = ImportRules(t.data).all();
    QCOMPARE(rules.size(), size_t(1));
    QCOMPARE(ImportRules::match(rules, QStringLiteral("滴滴出行 - 快车"))->item, QStringLiteral("交通"));

    whenModal([&](QDialog *d) {
        auto *table = d->findChild<QTableWidget *>(QStringLiteral("Rules"));
        table->setCurrentCell(0, 0);
        click(d, "Command2");
        QCOMPARE(table->rowCount(), 0);
    });
    click(&import, "Command6");
    QVERIFY(ImportRules(t.data).all().empty());
}

TALLYRA_TEST(StatementWindowsTest)
#include "tst_statement_windows.moc"
