// SPDX-License-Identifier: GPL-3.0-or-later
// An Alipay statement of 10,000 rows into the batch import's preview: read, its header
// found below the notes, its statuses and directions read, every row's account found, its
// items filled from 50 rules and the user's history, compared for duplicates with the
// account set's entries, and shown. Beside it the bare work it cannot avoid: the file
// decoded and split into records, and the entries of the statement's dates read.
#include "bench_data.h"

#include "accounts/accounts.h"
#include "core/csv.h"
#include "fileimport/batch_import.h"
#include "fileimport/file_import.h"
#include "fileimport/import_rules.h"
#include "ui/record_list.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>


namespace {

constexpr int StatementRows = 10000;
constexpr int Entries = 200000;  // of the account set, over ten years

struct Setup {
    Setup() : context(BenchData::ledgerFolder(1, Entries))
    {
        const int set = BenchData::firstAccountSet();
        Accounts accounts(context.data);
        if (!accounts.byName(set, QStringLiteral("支付宝"))) {
            Account wallet;
            wallet.name = QStringLiteral("支付宝");
            wallet.kind = QStringLiteral("支付宝");
            accounts.add(set, wallet);
            Account card;
            card.name = QStringLiteral("招行卡");
            card.kind = QStringLiteral("储蓄卡");
            card.note = QStringLiteral("1234");
            accounts.add(set, card);
            ImportRules rules(context.data);
            for (int i = 0; i < 50; ++i)
                rules.save({0, QStringLiteral("商户%1号").arg(i * 7), QStringLiteral("项目%1").arg(i % 9), QString()});
        }
            // Kept to the end of the process, as the application is.
        window = new BatchImport(context.context);
        window->show();
        QCoreApplication::processEvents();
    }
    BenchData::BenchContext context;
    BatchImport *window = nullptr;
};

Setup &setup()
{
    static Setup s;
    return s;
}

// The app's export in GBK: the notes, the header, rows of every kind, the ruled footer.
QString alipayFile()
{
    const QString path = QDir(BenchData::folder()).absoluteFilePath(QStringLiteral("alipay-10000.csv"));
    if (QFile::exists(path))
        return path;
    QString text = QStringLiteral("------------------------------------------------------------------------------------\r\n"
                                  "导出信息：\r\n姓名：测小试\r\n起始时间：[2024-01-01 00:00:00]    终止时间：[2024-12-31 23:59:59]\r\n");
    for (int i = 0; i < 20; ++i)
        text += QStringLiteral("%1.示例说明文字，不是记录。\r\n").arg(i + 1);
    text += QStringLiteral("交易时间,交易分类,交易对方,对方账号,商品说明,收/支,金额,收/付款方式,交易状态,交易订单号,商家订单号,备注,\r\n");
    for (int i = 0; i < StatementRows; ++i) {
        const QDateTime when(QDate(2024, 1, 1).addDays(i % 366), QTime(8 + i % 12, i % 60));
        const QString who = QStringLiteral("商户%1号").arg(i % 500);
        QString direction = QStringLiteral("支出"), status = QStringLiteral("交易成功"), goods = QStringLiteral("商品");
        if (i % 20 == 0)
            status = QStringLiteral("交易关闭");
        else if (i % 33 == 0)
            direction = QStringLiteral("不计收支");
        else if (i % 9 == 0)
            direction = QStringLiteral("收入");
        else if (i % 41 == 0)
            status = QStringLiteral("退款成功"), goods = QStringLiteral("退款-商品");
        const QString method = i % 10 == 0 ? QStringLiteral("招商银行储蓄卡(1234)") : QStringLiteral("余额");
        text += when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral(",日用百货,") + who +
                QStringLiteral(",,") + goods + u',' + direction + u',' + QString::number(1 + (i * 37) % 900) +
                QStringLiteral(".50,") + method + u',' + status + QStringLiteral(",2024%1,,,\r\n").arg(i, 8, 10, QChar(u'0'));
    }
    text += QStringLiteral("------------------------------------------------------------------------------------\r\n");
    QFile file(path);
    const QByteArray bytes = Csv::encode(text);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray alipayBytes()
{
    QFile file(alipayFile());
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void BareAlipayDecodeAndSplit(benchmark::State &state)
{
    const QByteArray bytes = alipayBytes();
    size_t records = 0;
    for (auto _ : state)
        records = Csv::records(Csv::decode(bytes)).size();
    state.counters["records"] = double(records);
}

void BareAlipayDuplicateStatement(benchmark::State &state)
{
    DataFile &data = setup().context.data;
    size_t rows = 0;
    for (auto _ : state) {
        Statement st = data.query(QStringLiteral("select data, t5, t1, content, t3 from jizhang "
                                                 "where muluID=? and data>=? and data<=?"),
                                  {BenchData::firstAccountSet(), QStringLiteral("2023-12-31"), QStringLiteral("2025-01-01")});
        rows = 0;
        while (st.step())
            ++rows;
    }
    state.counters["rows"] = double(rows);
}

// What "打开文件..." does after the user's 确定 on the recognised statement: everything
// but the mapping dialog, the rows shown and painted.
void AlipayIntoPreview(benchmark::State &state)
{
    const QByteArray bytes = alipayBytes();
    BatchImport &window = *setup().window;
    for (auto _ : state) {
        FileReading reading = FileImport::read(bytes, QStringLiteral("csv"));
        if (reading.profile.isEmpty()) {
            state.SkipWithError("not recognised");
            break;
        }
        reading.rows = reading.table.rows(reading.mapping, {}, nullptr, &reading.skipped);
        reading.kind = FileReading::Rows;
        if (!window.showReading(std::move(reading), QString(), QStringLiteral("支付宝"), true))
            state.SkipWithError("not shown");
        QCoreApplication::processEvents();
    }
    state.counters["rows"] = window.list()->rowCount();
}

// The parts of it: the file read into rows; the rows into the preview's (accounts, rules,
// history); the duplicates looked for.
void AlipayReadRows(benchmark::State &state)
{
    const QByteArray bytes = alipayBytes();
    size_t rows = 0;
    for (auto _ : state) {
        FileReading reading = FileImport::read(bytes, QStringLiteral("csv"));
        rows = reading.table.rows(reading.mapping, {}, nullptr, &reading.skipped).size();
    }
    state.counters["rows"] = double(rows);
}

void AlipayPreviewRows(benchmark::State &state)
{
    FileReading reading = FileImport::read(alipayBytes(), QStringLiteral("csv"));
    const std::vector<FileRow> rows = reading.table.rows(reading.mapping);
    FileImport files(setup().context.data);
    int filled = 0;
    for (auto _ : state)
        filled = files.preview(rows, BenchData::firstAccountSet(), QStringLiteral("支付宝")).filled;
    state.counters["filled"] = filled;
}

void AlipayHistory(benchmark::State &state)
{
    ImportRules rules(setup().context.data);
    for (auto _ : state)
        benchmark::DoNotOptimize(rules.history(BenchData::firstAccountSet()));
}

void AlipayDuplicates(benchmark::State &state)
{
    FileReading reading = FileImport::read(alipayBytes(), QStringLiteral("csv"));
    FileImport files(setup().context.data);
    const StatementPreview preview =
        files.preview(reading.table.rows(reading.mapping), BenchData::firstAccountSet(), QStringLiteral("支付宝"));
    for (auto _ : state)
        benchmark::DoNotOptimize(files.duplicates(preview.rows, BenchData::firstAccountSet(), preview.notes));
}

} // namespace

BENCHMARK(AlipayReadRows)->Unit(benchmark::kMillisecond);
BENCHMARK(AlipayPreviewRows)->Unit(benchmark::kMillisecond);
BENCHMARK(AlipayHistory)->Unit(benchmark::kMillisecond);
BENCHMARK(AlipayDuplicates)->Unit(benchmark::kMillisecond);
BENCHMARK(BareAlipayDecodeAndSplit)->Unit(benchmark::kMillisecond);
BENCHMARK(BareAlipayDuplicateStatement)->Unit(benchmark::kMillisecond);
BENCHMARK(AlipayIntoPreview)->Unit(benchmark::kMillisecond);
