// SPDX-License-Identifier: GPL-3.0-or-later
// Bank and spreadsheet files through the batch import: a CSV of 100,000 rows read into the
// preview and stored, and an OFX statement of 10,000 transactions read, on an account set
// of 1,000,000 entries (the files' year holds 100,000 of them, all compared for
// duplicates) and on a new data file. Each beside the bare work it cannot avoid.
#include "bench_data.h"

#include "core/csv.h"
#include "fileimport/file_import.h"
#include "fileimport/batch_import.h"
#include "ui/record_list.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryFile>
#include <QTimer>

#include <map>
#include <memory>

#define OFX_AQUAMANIAC_UGLY_HACK1
#include <libofx/libofx.h>

namespace {

constexpr int CsvRows = 100000;
constexpr int OfxTransactions = 10000;

// The data files the files are read against: two account sets of 1,000,000 entries each
// (argument 1000000), or a new data file with no entries (argument 0).
struct Setup {
    explicit Setup(const QString &folder) : context(folder) {}
    BenchData::BenchContext context;
    BatchImport *window = nullptr;
};

Setup &setup(int entries)
{
    static std::map<int, std::unique_ptr<Setup>> setups;
    std::unique_ptr<Setup> &s = setups[entries];
    if (!s) {
        s = std::make_unique<Setup>(entries == 0
                                        ? BenchData::generatedFolder(QStringLiteral("import-empty"), [](DataFile &) {})
                                        : BenchData::ledgerFolder(2, entries));
        s->window = new BatchImport(s->context.context);
        s->window->show();
        QCoreApplication::processEvents();
    }
    return *s;
}

BenchData::BenchContext &context(int entries = 1000000) { return setup(entries).context; }
BatchImport &window(int entries = 1000000) { return *setup(entries).window; }

QString writeOnce(const QString &name, const std::function<QByteArray()> &make)
{
    const QString path = QDir(BenchData::folder()).absoluteFilePath(name);
    if (!QFile::exists(path)) {
        QFile file(path);
        const QByteArray bytes = make();
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }
    return path;
}

// The ledger export's layout in GB18030: 100,000 entries of 2024, a few summaries quoted.
QString csvFile()
{
    return writeOnce(QStringLiteral("import-100000.csv"), [] {
        static const char *const items[] = {"餐饮", "交通", "购物", "工资"};
        QString text = QStringLiteral("日期,项目,收入,支出,收支方式,经手人,摘要\r\n");
        text.reserve(CsvRows * 60);
        for (int i = 0; i < CsvRows; ++i) {
            const bool income = i % 7 == 0;
            const QString amount = QString::number(10 + (i * 37) % 5000) + QStringLiteral(".5");
            QString summary = QStringLiteral("文件导入第%1行").arg(i + 1);
            if (i % 10 == 0)
                summary = Csv::quoted(summary + QStringLiteral("，含逗号, 和\"引号\""));
            text += QDate(2024, 1 + i % 12, 1 + i % 28).toString(QStringLiteral("yyyy-MM-dd")) + u',' +
                    QString::fromUtf8(items[i % 4]) + u',' + (income ? amount : QString()) + u',' +
                    (income ? QString() : amount) + QStringLiteral(",现金,本人,") + summary + QStringLiteral("\r\n");
        }
        return Csv::encode(text);
    });
}

// A statement of `transactions` transactions, each with a <MEMO> or (memo false) without.
QString ofxFile(int transactions = OfxTransactions, bool memo = true)
{
    const QString name = transactions == OfxTransactions && memo
                             ? QStringLiteral("import-10000.ofx")
                             : QStringLiteral("import-%1%2.ofx").arg(transactions).arg(memo ? "" : "-nomemo");
    return writeOnce(name, [transactions, memo] {
        QByteArray bytes = "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\nSECURITY:NONE\r\nENCODING:UTF-8\r\n"
                           "CHARSET:NONE\r\nCOMPRESSION:NONE\r\nOLDFILEUID:NONE\r\nNEWFILEUID:NONE\r\n\r\n"
                           "<OFX><SIGNONMSGSRSV1><SONRS><STATUS><CODE>0<SEVERITY>INFO</STATUS><DTSERVER>20241231"
                           "<LANGUAGE>CHI</SONRS></SIGNONMSGSRSV1><BANKMSGSRSV1><STMTTRNRS><TRNUID>1<STATUS>"
                           "<CODE>0<SEVERITY>INFO</STATUS><STMTRS><CURDEF>CNY<BANKACCTFROM><BANKID>1<ACCTID>2"
                           "<ACCTTYPE>CHECKING</BANKACCTFROM><BANKTRANLIST><DTSTART>20240101<DTEND>20241231\r\n";
        for (int i = 0; i < transactions; ++i) {
            const QDate date = QDate(2024, 1, 1).addDays(i % 366);
            const bool credit = i % 9 == 0;
            const QString amount = QStringLiteral("%1%2.%3")
                                       .arg(credit ? QString() : QStringLiteral("-"))
                                       .arg(1 + (i * 53) % 3000)
                                       .arg(i % 100, 2, 10, QLatin1Char('0'));
            bytes += (QStringLiteral("<STMTTRN><TRNTYPE>") + QLatin1String(credit ? "CREDIT" : "DEBIT") +
                      QStringLiteral("<DTPOSTED>") + date.toString(QStringLiteral("yyyyMMdd")) +
                      QStringLiteral("120000[+8:CST]<TRNAMT>") + amount + QStringLiteral("<FITID>") +
                      QString::number(i + 1) + QStringLiteral("<NAME>商户") + QString::number(i % 250) +
                      (memo ? QStringLiteral("<MEMO>银行卡消费 第") + QString::number(i + 1) + QStringLiteral("笔")
                            : QString()) +
                      QStringLiteral("</STMTTRN>\r\n"))
                         .toUtf8();
        }
        bytes += "</BANKTRANLIST><LEDGERBAL><BALAMT>0<DTASOF>20241231</LEDGERBAL></STMTRS></STMTTRNRS>"
                 "</BANKMSGSRSV1></OFX>\r\n";
        return bytes;
    });
}

qint64 lastId(int entries)
{
    Statement st = context(entries).data.query(QStringLiteral("select max(id) from jizhang"));
    return st.step() ? st.integer(0) : 0;
}

// ---- reading

// The least any reader does: the file's bytes, decoded and split into records.
void BareCsvDecodeAndSplit(benchmark::State &state)
{
    const QString path = csvFile();
    size_t records = 0;
    for (auto _ : state) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        records = Csv::records(Csv::decode(file.readAll())).size();
    }
    state.counters["records"] = double(records);
}

// The statement duplicates are looked for with: the account set's entries of the file's year.
void BareDuplicateStatement(benchmark::State &state)
{
    size_t rows = 0;
    for (auto _ : state) {
        Statement st = context().data.query(QStringLiteral("select data, t1, t5, content from jizhang "
                                                           "where muluID=? and data>=? and data<=?"),
                                            {BenchData::firstAccountSet(), QStringLiteral("2024-01-01"),
                                             QStringLiteral("2024-12-28")});
        rows = 0;
        while (st.step())
            ++rows;
    }
    state.counters["rows"] = double(rows);
}

// "打开文件..." on the CSV: read, mapped by its titles, marked, shown (with its progress
// dialog) and painted.
void CsvIntoPreview(benchmark::State &state)
{
    const QString path = csvFile();
    BatchImport &import = window(int(state.range(0)));
    for (auto _ : state) {
        if (!import.loadFile(path))
            state.SkipWithError("not read");
        QCoreApplication::processEvents();
    }
    state.counters["rows"] = import.list()->rowCount();
}

void OfxIntoPreview(benchmark::State &state)
{
    const QString path = ofxFile();
    for (auto _ : state) {
        if (!window().loadFile(path))
            state.SkipWithError("not read");
        QCoreApplication::processEvents();
    }
    state.counters["rows"] = window().list()->rowCount();
}

// The reader alone: the statement's bytes to the preview's rows, without the window. Its
// transactions with a <MEMO> each (1) or without any (0): a tag that is missing must cost
// no more than one that is there.
void OfxRead(benchmark::State &state)
{
    QFile file(ofxFile(int(state.range(0)), state.range(1) != 0));
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    size_t rows = 0;
    for (auto _ : state)
        rows = FileImport::read(bytes, QStringLiteral("ofx")).rows.size();
    state.counters["rows"] = double(rows);
}

// libofx over the whole statement at once, as the reader does not hand it over.
void LibofxWholeFile(benchmark::State &state)
{
    const QByteArray path = QFile::encodeName(ofxFile());
    int transactions = 0;
    for (auto _ : state) {
        ofx_PARSER_msg = ofx_DEBUG_msg = ofx_STATUS_msg = ofx_INFO_msg = ofx_WARNING_msg = ofx_ERROR_msg = 0;
        LibofxContextPtr ofx = libofx_get_new_context();
        transactions = 0;
        ofx_set_transaction_cb(
            ofx, [](const OfxTransactionData, void *count) { return ++*static_cast<int *>(count), 0; }, &transactions);
        libofx_proc_file(ofx, path.constData(), OFX);
        libofx_free_context(ofx);
    }
    state.counters["transactions"] = transactions;
}

// ---- storing

// The bare work of storing: the CSV's 100,000 entries as prepared inserts in one transaction.
void BareInsertRows(benchmark::State &state)
{
    const int entries = int(state.range(0));
    DataFile &data = context(entries).data;
    QFile file(csvFile());
    file.open(QIODevice::ReadOnly);
    std::vector<QVariantList> values;
    for (const FileRow &r : FileImport::read(file.readAll(), QStringLiteral("csv")).rows) {
        const bool income = !r.income.isEmpty();
        values.push_back({r.date, income ? QStringLiteral("收入") : QStringLiteral("支出"), r.item, r.method, r.handler,
                          income ? r.income : r.expense, r.summary, BenchData::firstAccountSet()});
    }
    for (auto _ : state) {
        state.PauseTiming();
        const qint64 before = lastId(entries);
        state.ResumeTiming();
        {
            DataFile::Transaction transaction(data);
            Statement insert = data.query(QStringLiteral("insert into jizhang (data, t1, t2, t3, t4, t5, content, "
                                                         "muluID) values (?, ?, ?, ?, ?, ?, ?, ?)"));
            for (const QVariantList &row : values) {
                insert.reset();
                insert.bindAll(row);
                insert.run();
            }
            transaction.commit();
        }
        state.PauseTiming();
        data.exec(QStringLiteral("delete from jizhang where id > ?"), {before});
        state.ResumeTiming();
    }
}

// "保存" on the CSV's 100,000 rows with the window shown; a 10 ms timer counts how often
// the event loop ran, and the longest wait between two of its ticks.
void StoreCsvRows(benchmark::State &state)
{
    const QString path = csvFile();
    const int entries = int(state.range(0));
    BatchImport &import = window(entries);
    int ticks = 0;
    qint64 longestGap = 0, worstGap = 0;
    int totalTicks = 0;
    QElapsedTimer sinceTick;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        longestGap = std::max(longestGap, sinceTick.restart());
    });
    for (auto _ : state) {
        state.PauseTiming();
        import.loadFile(path);  // unmarked again
        QCoreApplication::processEvents();
        const qint64 before = lastId(entries);
        ticks = 0;
        longestGap = 0;
        sinceTick.start();
        timer.start();
        state.ResumeTiming();

        import.save();

        state.PauseTiming();
        timer.stop();
        totalTicks += ticks;
        worstGap = std::max(worstGap, std::max(longestGap, sinceTick.elapsed()));
        // Ids go on from the highest ever used, so count rather than subtract.
        const int stored = context(entries).data.exec(QStringLiteral("delete from jizhang where id > ?"), {before});
        state.ResumeTiming();
        if (stored != CsvRows) {
            state.SkipWithError("not every row was stored");
            break;
        }
    }
    state.counters["ticks_per_store"] = double(totalTicks) / double(state.iterations());
    state.counters["longest_gap_ms"] = double(worstGap);
}

} // namespace

BENCHMARK(BareCsvDecodeAndSplit)->Unit(benchmark::kMillisecond);
BENCHMARK(BareDuplicateStatement)->Unit(benchmark::kMillisecond);
BENCHMARK(CsvIntoPreview)->Unit(benchmark::kMillisecond)->Arg(1000000)->Arg(0);
BENCHMARK(OfxIntoPreview)->Unit(benchmark::kMillisecond);
BENCHMARK(OfxRead)->Unit(benchmark::kMillisecond)->Args({OfxTransactions, 1});
BENCHMARK(OfxRead)->Unit(benchmark::kMillisecond)->Args({40000, 1})->Args({40000, 0})->Iterations(1);
BENCHMARK(LibofxWholeFile)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BareInsertRows)->Unit(benchmark::kMillisecond)->Arg(1000000)->Arg(0);
BENCHMARK(StoreCsvRows)->Unit(benchmark::kMillisecond)->Arg(1000000)->Arg(0);
