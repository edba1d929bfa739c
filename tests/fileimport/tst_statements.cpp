// SPDX-License-Identifier: GPL-3.0-or-later
// Statements of Alipay, WeChat Pay and banks through the batch import: the sample files in
// statements/ (all made up, see its README), the amount and date forms, rules learnt from
// a correction, and the same payment in two statements.
#include "accounts/accounts.h"
#include "core/money.h"
#include "fileimport/batch_import.h"
#include "fileimport/file_import.h"
#include "import_files.h"
#include "support/test_folder.h"
#include "ui/record_list.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <xlsxwriter.h>

#include "support/modal.h"
#include "support/test_main.h"

namespace {

QByteArray sample(const QString &name)
{
    QFile file(QDir(QStringLiteral(TALLYRA_STATEMENTS)).filePath(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(name));
    return file.readAll();
}

// The sum of one side's amounts, and after it ("+abc") the cells that are no amount.
QString total(const std::vector<FileRow> &rows, bool income)
{
    Money sum;
    QStringList unread;
    for (const FileRow &r : rows) {
        const QString &cell = income ? r.income : r.expense;
        if (const std::optional<Money> amount = Money::parse(cell))
            sum += *amount;
        else if (!cell.isEmpty())
            unread << cell;
    }
    return (QStringList{sum.plain()} + unread).join(u'+');
}

// The Alipay sample with a broken row after the taxi, its line ended by a bare LF as a
// text editor that saved the file would leave it.
QByteArray alipayWithBrokenLine()
{
    QByteArray bytes = sample("alipay.csv");
    QStringEncoder gbk("GBK");
    const QByteArray taxi = gbk.encode(QStringLiteral("滴滴出行"));
    const QByteArray broken = gbk.encode(QStringLiteral("2024-13-45 10:00:00,餐饮美食,示例坏行,,坏行,支出,abc,余额,交易成功,X1,,,\n"));
    return bytes.insert(bytes.indexOf("\r\n", bytes.indexOf(taxi)) + 2, broken);
}

QString reasons(const std::vector<SkippedLine> &skipped)
{
    QStringList out;
    for (const SkippedLine &s : skipped)
        if (s.reason != QStringLiteral("说明或汇总行"))
            out << s.reason;
    return out.join(u'|');
}

// A WeChat statement as a workbook: its notes, then rows with dates as serial numbers in
// a date format and amounts as numbers, as the current export writes them.
QByteArray wechatWorkbook(const QString &folder)
{
    const QByteArray path = QDir(folder).filePath(QStringLiteral("wechat.xlsx")).toLocal8Bit();
    lxw_workbook *book = workbook_new(path.constData());
    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
    lxw_format *date = workbook_add_format(book);
    format_set_num_format(date, "yyyy-mm-dd hh:mm:ss");
    worksheet_write_string(sheet, 0, 0, "微信支付账单明细（示例：虚构的数据）", nullptr);
    worksheet_write_string(sheet, 1, 0, "起始时间：[2024-03-01 00:00:00] 终止时间：[2024-03-31 23:59:59]", nullptr);
    const char *header[] = {"交易时间", "交易类型", "交易对方", "商品", "收/支", "金额(元)", "支付方式", "当前状态"};
    for (int c = 0; c < 8; ++c)
        worksheet_write_string(sheet, 3, lxw_col_t(c), header[c], nullptr);
    lxw_datetime when = {2024, 3, 2, 8, 1, 2};
    worksheet_write_datetime(sheet, 4, 0, &when, date);
    const char *cells[] = {"商户消费", "示例早餐店", "豆浆", "支出"};
    for (int c = 0; c < 4; ++c)
        worksheet_write_string(sheet, 4, lxw_col_t(c + 1), cells[c], nullptr);
    worksheet_write_number(sheet, 4, 5, 28.16, nullptr);
    worksheet_write_string(sheet, 4, 6, "零钱", nullptr);
    worksheet_write_string(sheet, 4, 7, "支付成功", nullptr);
    if (workbook_close(book) != LXW_NO_ERROR)
        qFatal("cannot write the workbook");
    QFile file(QString::fromLocal8Bit(path));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

} // namespace

class StatementsTest : public QObject {
    Q_OBJECT
private slots:
    void samples_data();
    void samples();
    void amountAndDateForms_data();
    void amountAndDateForms();
    void aCorrectionBecomesARule();
    void theSamePaymentInTwoStatements();
};

void StatementsTest::samples_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("profile");
    QTest::addColumn<QString>("digits");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("skipped");
    QTest::addColumn<QString>("income");
    QTest::addColumn<QString>("expense");
    QTest::addColumn<QString>("firstDate");

    QTest::newRow("Alipay") << sample("alipay.csv") << "csv" << "支付宝账单" << "" << 6
                            << "全额退款|全额退款|不计收支|交易关闭" << "330" << "162.5" << "2024-03-02";
    QTest::newRow("Alipay, a broken line ended by LF alone")
        << alipayWithBrokenLine() << "csv" << "支付宝账单" << "" << 7 << "全额退款|全额退款|不计收支|交易关闭" << "330"
        << "162.5+abc" << "2024-03-02";
    QTest::newRow("WeChat Pay") << sample("wechat.csv") << "csv" << "微信支付账单" << "" << 4
                                << "全额退款|全额退款|对方已退还" << "88" << "136.66" << "2024-03-02";
    QTest::newRow("credit card, no years") << sample("cmb_credit.csv") << "csv" << "招商银行信用卡账单" << "8888" << 4
                                           << "" << "1534.5" << "1534.5" << "2024-12-29";
    QTest::newRow("debit card, two columns") << sample("icbc.csv") << "csv" << "工商银行账单" << "5678" << 3 << ""
                                             << "8000" << "320" << "2024-03-01";
    QTest::newRow("decimal comma") << sample("decimal_comma.csv") << "csv" << "" << "" << 3 << "" << "2100.5"
                                   << "713.89" << "2019-03-31";
    QTest::newRow("no header") << sample("no_header.csv") << "csv" << "" << "" << 2 << "" << "4.5" << "4.5"
                               << "2019-02-20";
    QByteArray damaged = sample("icbc.csv");  // a record cut short after the first one
    damaged.insert(damaged.indexOf("2024-03-02"), QStringLiteral("\"2024-03-0,消\r\n").toUtf8());
    QTest::newRow("a damaged line among the records")
        << damaged << "csv" << "工商银行账单" << "5678" << 3 << "无法读取" << "8000" << "320" << "2024-03-01";
    QTemporaryDir folder;
    QTest::newRow("WeChat workbook") << wechatWorkbook(folder.path()) << "xlsx" << "微信支付账单" << "" << 1 << ""
                                     << "0" << "28.16" << "2024-03-02";
}

void StatementsTest::samples()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, suffix);
    FileReading reading = FileImport::read(bytes, suffix);
    QCOMPARE(reading.reason, QString());
    QCOMPARE(reading.kind, FileReading::Table);
    QTEST(reading.profile, "profile");
    QTEST(reading.account.lastDigits, "digits");
    std::vector<SkippedLine> skipped;
    bool stopped = true;
    const std::vector<FileRow> rows = reading.table.rows(reading.mapping, {}, &stopped, &skipped);
    QVERIFY(!stopped);
    QTEST(int(rows.size()), "rows");
    QTEST(reasons(skipped), "skipped");
    QTEST(total(rows, true), "income");
    QTEST(total(rows, false), "expense");
    QTEST(rows.front().date, "firstDate");
    for (const FileRow &r : rows)
        QVERIFY2(r.summary == r.summary.trimmed() && r.counterparty == r.counterparty.trimmed(), qPrintable(r.summary));
}

void StatementsTest::amountAndDateForms_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("form");  // "amount", "amount,": decimal comma; "auto", "dmy", "mdy"
    QTest::addColumn<QString>("read");  // a signed amount or a date; empty: not read
    QTest::newRow("yuan sign") << "¥28.16" << "amount" << "28.16";
    QTest::newRow("full-width sign and 元") << " ￥1,234.50元 " << "amount" << "1234.50";
    QTest::newRow("parentheses") << "(12.00)" << "amount" << "-12.00";
    QTest::newRow("trailing minus") << "12.00-" << "amount" << "-12.00";
    QTest::newRow("decimal comma") << "-63,89" << "amount," << "-63.89";
    QTest::newRow("decimal comma, grouped") << "1.234,56" << "amount," << "1234.56";
    QTest::newRow("comma without the file's decimal comma") << "63,89" << "amount" << "";
    QTest::newRow("two signs") << "-(5)" << "amount" << "";
    QTest::newRow("dd.mm.yyyy") << "31.03.2019" << "auto" << "2019-03-31";
    QTest::newRow("dd/mm/yyyy") << "20/02/2019" << "auto" << "2019-02-20";
    QTest::newRow("m/d/yy") << "2/20/19" << "auto" << "2019-02-20";
    QTest::newRow("day first chosen") << "02/03/2024 10:15" << "dmy" << "2024-03-02";
    QTest::newRow("month first chosen") << "02/03/2024" << "mdy" << "2024-02-03";
    QTest::newRow("no year") << "12/29" << "auto" << "2024-12-29";
    QTest::newRow("no year, Chinese") << "12月29日" << "auto" << "2024-12-29";
    QTest::newRow("year first with time") << "2024/3/5 8:00" << "auto" << "2024-03-05";
    QTest::newRow("compact with time") << "20240305 08:00:00" << "auto" << "2024-03-05";
    QTest::newRow("no such date") << "13/13/2024" << "auto" << "";
}

void StatementsTest::amountAndDateForms()
{
    QFETCH(QString, text);
    QFETCH(QString, form);
    QString read;
    if (form.startsWith(QStringLiteral("amount"))) {
        if (const auto amount = FileRows::readAmount(text, form.endsWith(u',')))
            read = (amount->negative ? QStringLiteral("-") : QString()) + amount->magnitude;
    } else {
        const DateOrder order = form == QStringLiteral("dmy")   ? DateOrder::DayFirst
                                : form == QStringLiteral("mdy") ? DateOrder::MonthFirst
                                                                : DateOrder::Auto;
        if (const auto date = FileRows::readDate(text, order, 2024))
            read = date->toString(Qt::ISODate);
    }
    QTEST(read, "read");
}

void StatementsTest::aCorrectionBecomesARule()
{
    TestFolder t;
    t.loginAsAdmin();
    ImportFiles::addAccount(t, QStringLiteral("支付宝"), QStringLiteral("支付宝"));
    ImportFiles::addAccount(t, QStringLiteral("招行卡"), QStringLiteral("储蓄卡"), QStringLiteral("尾号 1234"));
    const QString copy = ImportFiles::write(t.path(), QStringLiteral("alipay.csv"), sample("alipay.csv"));

    BatchImport import(t.context);
    import.show();
    RecordList *list = import.list();
    QString account;
    auto load = [&] {
        whenModal([&](QDialog *d) {
            account = d->findChild<QComboBox *>(QStringLiteral("Account"))->currentText();
            QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
        }, false);
        QVERIFY(import.loadFile(copy));
    };
    load();
    QCOMPARE(account, QStringLiteral("支付宝"));  // found by the statement's kind
    QCOMPARE(list->rowCount(), 6);
    // The card the wallet paid with is the row's account; the top-up is a transfer.
    QCOMPARE(list->cell(1, 5), QStringLiteral("招行卡"));
    QCOMPARE(list->cell(4, 2), QStringLiteral("转账"));
    QCOMPARE(list->cell(4, 8), QStringLiteral("转账：招行卡 → 支付宝"));
    QCOMPARE(list->cell(3, 2), QStringLiteral("退款"));

    // The refund may be set against its purchase instead of coming in as income; the
    // ticks stay with their rows.
    import.setTicked(0, false);
    QCOMPARE(import.setRefundsAgainstPurchases(), 1);
    QVERIFY(!import.ticked(0));
    import.setTicked(0, true);
    QCOMPARE(list->rowCount(), 5);
    QCOMPARE(list->cell(2, 4), QStringLiteral("69"));
    QCOMPARE(list->cell(2, 8), QStringLiteral("已减去退款 30.00（No. 4）"));

    // Correcting an item offers a rule; the next statement is filled by it.
    t.prompt.answers << Prompt::Answer::Yes;
    import.setCell(0, 2, QStringLiteral("午餐"));
    QCOMPARE(t.prompt.last().title, QStringLiteral("导入规则"));
    for (int row = 0; row < list->rowCount(); ++row)  // the likely duplicates too
        import.setTicked(row, true);
    QTest::mouseClick(import.findChild<QPushButton *>(QStringLiteral("Command4")), Qt::LeftButton);
    QCOMPARE(t.prompt.lastText(), QStringLiteral("共导入 5 条记录（其中转账 1 笔），跳过 4 条（全额退款 2 条，不计收支 1 条，"
                                                 "交易关闭 1 条）。\r\n文件中另有 23 行说明或汇总文字，不是记录。"));
    Statement transfers = t.data.query(QStringLiteral("select outAccount, inAccount, amount from zhuanzhang"));
    QVERIFY(transfers.step());
    QCOMPARE(QStringList({transfers.text(0), transfers.text(1), transfers.text(2)}),
             QStringList({"招行卡", "支付宝", "200.00"}));

    load();
    QCOMPARE(list->cell(0, 2), QStringLiteral("午餐"));
    QCOMPARE(list->cell(0, 8), QStringLiteral("规则：示例面馆 → 午餐"));
    QVERIFY(import.findChild<QLabel *>(QStringLiteral("Status"))->text().contains(QStringLiteral("填好")));
    QCOMPARE(import.markText(0), QStringLiteral("可能已经导入过：账套中已有日期、金额和摘要都相同的记录。"));
}

void StatementsTest::theSamePaymentInTwoStatements()
{
    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    ImportFiles::addAccount(t, QStringLiteral("支付宝"), QStringLiteral("支付宝"));
    ImportFiles::addAccount(t, QStringLiteral("招行卡"), QStringLiteral("储蓄卡"), QStringLiteral("1234"));
    FileImport files(t.data);
    FileReading alipay = FileImport::read(sample("alipay.csv"), "csv");
    StatementPreview first = files.preview(alipay.table.rows(alipay.mapping), set, QStringLiteral("支付宝"));
    QCOMPARE(Ledger(t.data).importRows(first.rows, set).stored, 6);

    // The card's own statement shows the taxi a day later, and a shop the wallet never saw.
    const QByteArray card = QStringLiteral(
        "中国工商银行借记卡账户历史明细（示例；卡号：6222 **** **** 1234）\r\n"
        "交易日期,摘要,交易场所,交易国家或地区简称,钞/汇,交易金额(收入),交易金额(支出),交易币种,记账金额(收入),"
        "记账金额(支出),记账币种,余额,对方户名\r\n"
        "2024-03-04,消费,,CHN,钞,,35.50,人民币,,35.50,人民币,100.00,滴滴出行\r\n"
        "2024-03-04,消费,,CHN,钞,,35.50,人民币,,35.50,人民币,64.50,示例书店\r\n").toUtf8();
    FileReading bank = FileImport::read(card, "csv");
    QCOMPARE(Accounts(t.data).find(set, bank.account)->name, QStringLiteral("招行卡"));
    StatementPreview second = files.preview(bank.table.rows(bank.mapping), set, QStringLiteral("招行卡"));
    auto kinds = [&](const StatementPreview &preview) {
        QList<int> found;
        for (const DuplicateMark &m : files.duplicates(preview.rows, set, preview.notes))
            found << int(m.kind);
        return found;
    };
    QCOMPARE(kinds(second), (QList<int>{DuplicateMark::Moved, DuplicateMark::None}));

    // A bank that names no counterparty, only a summary that holds the wallet's.
    const QByteArray summaryOnly = QStringLiteral(
        "招商银行交易流水（示例；账号：6214 **** **** 1234）\r\n交易日期,交易时间,收入,支出,余额,交易类型,交易备注\r\n"
        "20240303,08:10:05,,35.50,964.50,快捷支付,支付宝-滴滴出行\r\n"
        "20240303,09:00:00,,35.50,929.00,快捷支付,示例便利店\r\n").toUtf8();
    FileReading cmb = FileImport::read(summaryOnly, "csv");
    QCOMPARE(cmb.profile, QStringLiteral("招商银行储蓄卡账单"));
    const StatementPreview third = files.preview(cmb.table.rows(cmb.mapping), set, QStringLiteral("招行卡"));
    QCOMPARE(kinds(third), (QList<int>{DuplicateMark::Moved, DuplicateMark::None}));
}

TALLYRA_TEST(StatementsTest)
#include "tst_statements.moc"
