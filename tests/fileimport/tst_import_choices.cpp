// SPDX-License-Identifier: GPL-3.0-or-later
// The choices the import leaves to the user: a QIF file's opening balance, which likely
// duplicates to store, his own profiles, and every line of a file in "列对应".
#include "fileimport/batch_import.h"
#include "fileimport/column_mapping_dialog.h"
#include "fileimport/file_lines_model.h"
#include "fileimport/own_profiles.h"
#include "fileimport/qif_reader.h"
#include "import_files.h"
#include "ui/record_list.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QtTest>

#include "support/modal.h"
#include "support/test_main.h"

namespace {

// A made-up register: the opening balance of "Checking", a lunch already in the books and
// a new one.
const QByteArray Register = "!Type:Bank\nD01/01'24\nT1,000.00\nPOpening Balance\nL[Checking]\n^\n"
                            "D01/05'24\nT-12.50\nP午饭\n^\nD01/06'24\nT-3\nP地铁\n^\n";

Account checking(TestFolder &t)
{
    return *Accounts(t.data).byName(t.session.CurrentAccountSetId, QStringLiteral("Checking"));
}

} // namespace

class ImportChoicesTest : public QObject {
    Q_OBJECT
private slots:
    void openingBalanceAndTicks_data();
    void openingBalanceAndTicks();
    void ownProfileRoundTrip();
    void mappingStepShowsEveryLine();
};

void ImportChoicesTest::openingBalanceAndTicks_data()
{
    QTest::addColumn<QString>("before");   // the account's opening balance and day
    QTest::addColumn<bool>("replace");     // the answer when asked
    QTest::addColumn<bool>("tick");        // the user ticks the likely duplicate
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("message");
    QTest::newRow("none yet: set without asking")
        << "0|" << false << false << "1000|2024-01-01"
        << "共导入 1 条记录，跳过 1 条（可能重复 1 条）。\r\n账户“Checking”的期初余额已设为 1000（2024-01-01）。";
    QTest::newRow("another, replaced; the duplicate ticked")
        << "500|2023-12-01" << true << true << "1000|2024-01-01"
        << "批量导入财务数据成功！共导入 2 条记录。\r\n账户“Checking”的期初余额已设为 1000（2024-01-01）。";
    QTest::newRow("another, kept")
        << "500|2023-12-01" << false << false << "500|2023-12-01"
        << "共导入 1 条记录，跳过 1 条（可能重复 1 条）。\r\n"
           "账户“Checking”的期初余额没有改动（文件中是 1000（2024-01-01））。";
}

void ImportChoicesTest::openingBalanceAndTicks()
{
    QFETCH(QString, before);
    QFETCH(bool, replace);
    QFETCH(bool, tick);
    QFETCH(QString, after);
    QFETCH(QString, message);
    // Without a category the opening balance is the account's the account list named last.
    const QifReader::Reading listed =
        QifReader::read(QStringLiteral("!Account\nNSavings\nTBank\n^\n!Type:Bank\nD3/1'24\nT-2,500.5\nPOpening Balance\n^\n"));
    QVERIFY(listed.opening && listed.skipped.empty());
    QCOMPARE(listed.opening->account + u'|' + listed.opening->date + u'|' + listed.opening->amount,
             QStringLiteral("Savings|2024-03-01|-2500.5"));

    TestFolder t;
    t.loginAsAdmin();
    const int set = t.session.CurrentAccountSetId;
    ImportFiles::addAccount(t, QStringLiteral("Checking"), QStringLiteral("储蓄卡"));
    Account account = checking(t);
    account.opening = *Money::parse(before.section(u'|', 0, 0));
    account.openingDate = before.section(u'|', 1);
    Accounts(t.data).save(set, account);
    t.addEntry(set, "2024-01-05", "支出", "12.5", "", "午饭", "Checking");

    BatchImport import(t.context);
    import.show();
    QVERIFY(import.loadFile(ImportFiles::write(t.path(), "checking.qif", Register)));
    RecordList *list = import.list();
    // The opening balance is no row; the rows land in its account; the stored lunch is unticked.
    QCOMPARE(list->rowCount(), 2);
    QCOMPARE(list->cell(0, 5), QStringLiteral("Checking"));
    QVERIFY(import.findChild<QLabel *>(QStringLiteral("Status"))->text().contains(
        QStringLiteral("保存时将账户“Checking”的期初余额设为 1000（2024-01-01）")));
    QCOMPARE((QList<bool>{import.ticked(0), import.ticked(1)}), (QList<bool>{false, true}));
    QTableView *view = list->detailsView();
    QCOMPARE(view->horizontalHeader()->visualIndex(BatchImport::TickColumn), 0);
    QCOMPARE(list->model().index(0, BatchImport::TickColumn).data(Qt::AccessibleTextRole).toString(),
             QStringLiteral("保存"));
    if (tick) {  // by keyboard, from any cell of the row
        view->setFocus();
        view->setCurrentIndex(list->model().index(0, 7));
        QTest::keyClick(view, Qt::Key_Space);
        QVERIFY(import.ticked(0));
    } else {  // the column of ticks sorts by them
        list->sortBy(BatchImport::TickColumn, Qt::DescendingOrder);
        QCOMPARE((QList<bool>{import.ticked(0), import.ticked(1)}), (QList<bool>{true, false}));
        list->sortBy(BatchImport::TickColumn, Qt::AscendingOrder);
        QCOMPARE((QList<bool>{import.ticked(0), import.ticked(1)}), (QList<bool>{false, true}));
    }
    t.prompt.answers << (replace ? Prompt::Answer::Yes : Prompt::Answer::No);
    QTest::mouseClick(import.findChild<QPushButton *>(QStringLiteral("Command4")), Qt::LeftButton);
    QCOMPARE(t.prompt.lastText(), message);
    const bool asked = !before.startsWith(u'0');
    QCOMPARE(t.prompt.shown.size(), asked ? 2 : 1);
    if (asked)
        QCOMPARE(t.prompt.shown.first().text,
                 QStringLiteral("账户“Checking”的期初余额现在是 500（2023-12-01），是否改为文件中的 1000（2024-01-01）？"));
    account = checking(t);
    QCOMPARE(account.opening.plain() + u'|' + account.openingDate, after);
    Statement st = t.data.query(QStringLiteral("select count(*) from jizhang where t3='Checking'"));
    QVERIFY(st.step());
    QCOMPARE(st.integer(0), qint64(tick ? 3 : 2));
    // What was left out stays, unticked; saving again stores nothing unasked.
    QCOMPARE(list->rowCount(), tick ? 2 : 1);
    QVERIFY(!import.ticked(0));
}

void ImportChoicesTest::ownProfileRoundTrip()
{
    TestFolder t;
    t.loginAsAdmin();
    ImportFiles::addAccount(t, QStringLiteral("工资卡"), QStringLiteral("储蓄卡"));
    // A made-up bank's export whose header no built-in profile knows.
    const QByteArray bank = "日子,花了,说明\r\n2024-03-01,-8,早饭\r\n";
    const QString first = ImportFiles::write(t.path(), "bank.csv", bank);
    BatchImport import(t.context);
    QStringList refused;
    whenModal([&](QDialog *d) {
        d->findChild<QSpinBox *>(QStringLiteral("HeaderLine"))->setValue(1);
        d->findChild<QCheckBox *>(QStringLiteral("Check1"))->setChecked(true);
        d->findChild<QComboBox *>(QStringLiteral("Combo1"))->setCurrentIndex(1);
        d->findChild<QComboBox *>(QStringLiteral("Combo8"))->setCurrentIndex(2);
        d->findChild<QComboBox *>(QStringLiteral("Combo7"))->setCurrentIndex(3);
        auto *account = d->findChild<QComboBox *>(QStringLiteral("Account"));
        account->setCurrentIndex(account->findText(QStringLiteral("工资卡")));
        auto *save = d->findChild<QPushButton *>(QStringLiteral("SaveProfile"));
        QCOMPARE(save->text(), QStringLiteral("另存为方案..."));
        t.prompt.typed << QStringLiteral("支付宝账单") << QStringLiteral("  示例银行 ");
        QTest::mouseClick(save, Qt::LeftButton);  // a built-in name is refused
        refused << t.prompt.lastText();
        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(d->findChild<QComboBox *>(QStringLiteral("Profile"))->currentText(), QStringLiteral("示例银行"));
        QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
    }, false);
    QVERIFY(import.loadFile(first));
    QCOMPARE(refused, QStringList{"“支付宝账单”是程序自带的方案，请换一个名称！"});

    // The next file of that bank has notes above its header: it is known by the header.
    const FileReading next = FileImport(t.data).open(
        ImportFiles::write(t.path(), "bank2.csv", "示例银行 明细\r\n导出时间 2024-04-01\r\n" + bank));
    QCOMPARE(next.profile, QStringLiteral("示例银行"));
    QCOMPARE(next.mapping.headerLine, 2);
    QCOMPARE(next.mapping[ImportField::Summary], 2);
    QCOMPARE(next.account.name, QStringLiteral("工资卡"));

    // It is offered in the mapping step, and deleted there.
    t.prompt.reset();
    whenModal([&](QDialog *d) {
        auto *profile = d->findChild<QComboBox *>(QStringLiteral("Profile"));
        QCOMPARE(profile->currentText(), QStringLiteral("示例银行"));
        QCOMPARE(d->findChild<QComboBox *>(QStringLiteral("Account"))->currentText(), QStringLiteral("工资卡"));
        t.prompt.answers << Prompt::Answer::Yes;
        QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("DeleteProfile")), Qt::LeftButton);
        QCOMPARE(profile->count(), 1);
    });
    QVERIFY(!import.loadFile(first));
    QCOMPARE(t.prompt.lastText(), QStringLiteral("是否删除方案“示例银行”？"));
    QVERIFY(OwnProfiles(t.data).all().empty());
}

void ImportChoicesTest::mappingStepShowsEveryLine()
{
    // Two notes, a header and 1,500 rows: every line can be scrolled to and be the header.
    QString text = QStringLiteral("说明一\n说明二\n日期,金额\n");
    for (int i = 0; i < 1500; ++i)
        text += QStringLiteral("2024-01-%1,%2\n").arg(i % 28 + 1).arg(i);
    CsvTable table = CsvTable::fromText(text);
    ColumnMappingDialog dialog(QStringLiteral("long.csv"), table, table.guessMapping(table.findHeader()));
    dialog.show();
    auto *view = dialog.findChild<QTableView *>(QStringLiteral("Sample"));
    QAbstractItemModelTester tester(view->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(view->model()->rowCount(), 1503);
    QCOMPARE(view->model()->headerData(1502, Qt::Vertical).toString(), QStringLiteral("1503"));
    QCOMPARE(view->model()->index(1502, 1).data().toString(), QStringLiteral("1499"));
    QCOMPARE(view->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("第2列：金额"));
    // Enter on a line makes it the header's.
    view->setFocus();
    view->setCurrentIndex(view->model()->index(1200, 0));
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(dialog.findChild<QSpinBox *>(QStringLiteral("HeaderLine"))->value(), 1201);
    QCOMPARE(dialog.mapping().headerLine, 1200);
}

TALLYRA_TEST(ImportChoicesTest)
#include "tst_import_choices.moc"
