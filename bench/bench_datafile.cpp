// SPDX-License-Identifier: GPL-3.0-or-later
// What guarding the data file costs where the user waits for it: opening a file with a
// passphrase of 256,000 iterations (and the login after it), and the quick filter over a
// ledger that holds one entry of 10 MB. Each beside the bare operation it rests on.
#include "bench_data.h"

#include "ledger/ledger_list_model.h"
#include "app/main_window.h"
#include "ledger/ledger_pane.h"
#include "ui/record_list.h"
#include "users/users.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QRandomGenerator>

#include <openssl/evp.h>

#include <memory>

namespace {

const QString Passphrase = QStringLiteral("长一点的密码 2024");

// A small ledger whose file has a passphrase of the user's (at the full cost).
QString passphraseFolder()
{
    return BenchData::generatedFolder(QStringLiteral("passphrase-%1").arg(DataFile::KdfIterations), [](DataFile &data) {
        for (int i = 0; i < 1000; ++i)
            data.insert(QStringLiteral("insert into jizhang (data, t1, t2, t5, content, muluID) values (?, '支出', '餐饮', ?, "
                                       "'午饭', ?)"),
                        {QStringLiteral("2024-%1-15").arg(1 + i % 12, 2, 10, QLatin1Char('0')), QString::number(i),
                         BenchData::firstAccountSet()});
        data.changePassphrase(Passphrase);
    });
}

// The key derivation alone: PBKDF2-HMAC-SHA1 of the cipher, at the given cost.
void BareKeyDerivation(benchmark::State &state)
{
    const QByteArray key = Passphrase.toUtf8();
    const unsigned char salt[16] = {1, 2, 3};
    unsigned char out[32];
    for (auto _ : state)
        PKCS5_PBKDF2_HMAC(key.constData(), int(key.size()), salt, sizeof salt, int(state.range(0)), EVP_sha1(),
                          sizeof out, out);
}

// Opening the file with its passphrase, as the start does before the login window.
void OpenWithPassphrase(benchmark::State &state)
{
    const QString file = ProgramFolder(passphraseFolder()).dataFile();
    for (auto _ : state) {
        DataFile data(file);
        data.setPassphrase(Passphrase);
        data.OpenDataFile();
        if (data.kdf() != DataFile::KdfIterations)
            state.SkipWithError("not at the full cost");
    }
}

// A wrong passphrase: both costs a file may have are tried.
void WrongPassphrase(benchmark::State &state)
{
    const QString file = ProgramFolder(passphraseFolder()).dataFile();
    for (auto _ : state)
        if (DataFile(file).passphraseOpens(QStringLiteral("wrong")))
            state.SkipWithError("opened");
}

// From the start to the main window's data: the passphrase, then the user's password
// (a salted hash of 310,000 iterations).
void LoginWithPassphrase(benchmark::State &state)
{
    const QString file = ProgramFolder(passphraseFolder()).dataFile();
    for (auto _ : state) {
        DataFile data(file);
        data.setPassphrase(Passphrase);
        data.OpenDataFile();
        if (!Users(data).login(QStringLiteral("admin"), QStringLiteral("admin")))
            state.SkipWithError("not logged in");
    }
}

// 100,000 entries and one whose summary is 10 MB of text.
QString bigEntryFolder()
{
    return BenchData::generatedFolder(QStringLiteral("filter-10mb"), [](DataFile &data) {
        const char *const words[] = {"午饭", "超市", "地铁", "房租", "水电", "电影"};
        QRandomGenerator random(7);
        DataFile::Transaction transaction(data);
        Statement insert = data.database().prepare(QStringLiteral(
            "insert into jizhang (data, t1, t2, t3, t4, t5, content, muluID) values (?, '支出', '餐饮', '现金', '本人', ?, ?, ?)"));
        for (int i = 0; i < 100000; ++i) {
            insert.reset();
            insert.bindAll({QDate(2015, 1, 1).addDays(i / 30).toString(QStringLiteral("yyyy-MM-dd")),
                            QString::number(random.bounded(1, 500)),
                            QString::fromUtf8(words[random.bounded(6)]) + QString::number(i), BenchData::firstAccountSet()});
            insert.run();
        }
        QString huge;
        huge.reserve(5 * 1024 * 1024);
        while (huge.size() < 5 * 1024 * 1024)  // 10 MB of UTF-16, some 15 MB of UTF-8
            huge += QStringLiteral("很长很长的备注 ");
        insert.reset();
        insert.bindAll({QStringLiteral("2020-06-01"), QStringLiteral("1"), huge, BenchData::firstAccountSet()});
        insert.run();
        transaction.commit();
    });
}

struct FilterSetup {
    FilterSetup() : context(bigEntryFolder()), window(context.context)
    {
        window.resize(1100, 700);
        window.show();
        QCoreApplication::processEvents();
    }
    BenchData::BenchContext context;
    MainWindow window;
};

FilterSetup &filterSetup()
{
    static std::unique_ptr<FilterSetup> setup = std::make_unique<FilterSetup>();
    return *setup;
}

// The statement behind the filter as the earlier versions ran it, over every field whole.
void BareFilterStatement(benchmark::State &state)
{
    DataFile &data = filterSetup().context.data;
    const QString word = QStringLiteral("午饭");
    qint64 rows = 0;
    for (auto _ : state) {
        Statement st = data.query(QStringLiteral("select count(*) from jizhang where muluID=? and (instr(lower(t2), ?) > 0 "
                                                 "or instr(lower(%1), ?) > 0 or instr(lower(t3), ?) > 0 or "
                                                 "instr(lower(t4), ?) > 0)")
                                      .arg(state.range(0) ? QStringLiteral("substr(content, 1, 1000)") : QStringLiteral("content")),
                                  {BenchData::firstAccountSet(), word, word, word, word});
        rows = st.step() ? st.integer(0) : 0;
    }
    state.counters["rows"] = double(rows);
}

// Typing a word into the quick filter: the list filtered (its first part) and painted;
// with 1, until the list is whole.
void QuickFilterWithBigEntry(benchmark::State &state)
{
    LedgerPane &w = *filterSetup().window.ledgerPane();
    for (auto _ : state) {
        state.PauseTiming();
        w.filterField()->clear();
        w.LoadData(QStringLiteral("0_"));
        QCoreApplication::processEvents();
        w.filterField()->blockSignals(true);
        w.filterField()->setText(QStringLiteral("午饭"));
        w.filterField()->blockSignals(false);
        state.ResumeTiming();
        w.applyFilter();
        if (state.range(0))
            while (!w.entries()->isComplete())
                QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    state.counters["rows"] = w.entryList()->rowCount();
}

} // namespace

BENCHMARK(BareKeyDerivation)->Arg(DataFile::LegacyKdfIterations)->Arg(DataFile::KdfIterations)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenWithPassphrase)->Unit(benchmark::kMillisecond);
BENCHMARK(WrongPassphrase)->Unit(benchmark::kMillisecond);
BENCHMARK(LoginWithPassphrase)->Unit(benchmark::kMillisecond);
BENCHMARK(BareFilterStatement)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(QuickFilterWithBigEntry)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
