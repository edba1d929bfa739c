// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/sums_builder.h"

#include "accounts/account_sums.h"
#include "ledger/month_totals.h"
#include "reports/reports.h"
#include "store/data_file.h"
#include "store/schema.h"

#include <sqlcipher/sqlite3.h>

#include <QElapsedTimer>
#include <QMetaObject>

#include <algorithm>
#include <chrono>
#include <limits>
#include <vector>

namespace {

// Months counted in one transaction at first, and at most; the build aims at pieces of
// PieceMs, enough to spare most commits, short enough that the window's writes hardly wait.
constexpr int FirstMonthsPerPiece = 4;
constexpr int MostMonthsPerPiece = 64;
constexpr qint64 PieceMs = 100;
// How long the builder's connection waits for the window's lock before it tries again.
constexpr int BuilderBusyMs = 1000;

// How long the build rests after the window had to wait for it.
constexpr qint64 RestMs = 2000;

// The file was held by another connection, or the piece was interrupted: worth another try.
bool tryAgain(const StoreError &error)
{
    const int code = error.code() & 0xFF;
    return code == SQLITE_BUSY || code == SQLITE_LOCKED || code == SQLITE_INTERRUPT;
}

qint64 steadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

SumsBuilder::SumsBuilder(const QString &path, const QString &passphrase, QObject *parent)
    : QObject(parent), path_(path), passphrase_(passphrase)
{
}

SumsBuilder::~SumsBuilder()
{
    stop_ = true;
    {
        const std::lock_guard<std::mutex> lock(connection_);
        if (working_)
            working_->interrupt();
    }
    if (thread_.joinable())
        thread_.join();
}

void SumsBuilder::giveWay()
{
    restUntil_ = steadyMs() + RestMs;
    const std::lock_guard<std::mutex> lock(connection_);
    if (working_ && indexing_)
        working_->interrupt();
}

void SumsBuilder::start()
{
    if (thread_.joinable())
        return;
    running_ = true;
    thread_ = std::thread([this] {
        bool complete = false;
        try {
            DataFile data(path_);
            data.setPassphrase(passphrase_);
            data.setBusyTimeout(BuilderBusyMs);
            data.OpenDataFile();
            {
                const std::lock_guard<std::mutex> lock(connection_);
                working_ = &data.database();
            }
            if (!stop_)
                complete = build(
                    data,
                    [this](int done, int total) {
                        QMetaObject::invokeMethod(this, [this, done, total] { emit progress(done, total); },
                                                  Qt::QueuedConnection);
                        while (!stop_ && steadyMs() < restUntil_)
                            std::this_thread::sleep_for(std::chrono::milliseconds(50));
                        return !stop_;
                    },
                    std::numeric_limits<int>::max(),
                    [this](bool on) {
                        const std::lock_guard<std::mutex> lock(connection_);
                        indexing_ = on;
                    });
            const std::lock_guard<std::mutex> lock(connection_);
            working_ = nullptr;
        } catch (const StoreError &) {
            // Stopped, or the file failed: what is left is built at the next start, and the
            // window counts it meanwhile.
            const std::lock_guard<std::mutex> lock(connection_);
            working_ = nullptr;
        }
        QMetaObject::invokeMethod(this, [this, complete] {
            running_ = false;
            emit finished(complete);
        }, Qt::QueuedConnection);
    });
}

bool SumsBuilder::needed(DataFile &data)
{
    data.OpenDataFile();
    if (!Schema::laterIndexes(data.database()).isEmpty())
        return true;
    Statement st = data.query(QStringLiteral("select exists (select 1 from jizhang_items_stale where month is null) or "
                                             "exists (select 1 from zhanghu_months_stale where account is null)"));
    return st.step() && st.integer(0) != 0;
}

bool SumsBuilder::build(DataFile &data, const std::function<bool(int, int)> &goOn, int busyTries,
                        const std::function<void(bool)> &indexing)
{
    data.OpenDataFile();
    if (data.isReadOnly())
        return false;
    std::vector<int> sets;
    {
        Statement st = data.query(QStringLiteral("select id from mulu where class='账套' order by id"));
        while (st.step())
            sets.push_back(int(st.integer(0)));
    }
    Reports reports(data);
    MonthTotals totals(data);
    AccountSums accounts(data);
    int done = 0, total = 0;
    // One piece, tried again while the window's connection holds the file.
    auto run = [&](const std::function<int()> &piece) {
        for (int tries = 1;; ++tries) {
            try {
                return piece();
            } catch (const StoreError &error) {
                if (!tryAgain(error) || tries >= busyTries || !goOn(done, std::max(total, done)))
                    throw;
            }
        }
    };
    // What is left of each account set: stale item months, months without totals, accounts'
    // months to count (each mark of every month turned into marks of each month first).
    struct Left {
        int set, items, months, accounts;
    };
    std::vector<Left> left;
    const QStringList indexes = Schema::laterIndexes(data.database());
    total = int(indexes.size());
    for (int set : sets) {
        Left l{set, run([&] { return reports.refreshSome(set, 0); }), run([&] { return totals.storeMissing(set, 0); }),
               run([&] { return accounts.refreshSome(set, 0); })};
        total += l.items + l.months + l.accounts;
        left.push_back(l);
    }
    // Months in a piece: as many as take about PieceMs, so that the window's writes wait
    // little and the disk is not asked to commit after every month.
    int most = FirstMonthsPerPiece;
    auto count = [&](int &months, const std::function<int(int)> &step) {
        while (months > 0) {
            QElapsedTimer timer;
            timer.start();
            const int before = months;
            months = run([&] { return step(most); });
            done += std::max(0, before - months);
            if (timer.elapsed() < PieceMs / 2)
                most = std::min(most * 2, MostMonthsPerPiece);
            else if (timer.elapsed() > PieceMs * 2)
                most = std::max(most / 2, 1);
            if (!goOn(done, std::max(total, done)))
                return false;
        }
        return true;
    };
    for (Left &l : left)
        if (!count(l.items, [&](int n) { return reports.refreshSome(l.set, n); }) ||
            !count(l.months, [&](int n) { return totals.storeMissing(l.set, n); }) ||
            !count(l.accounts, [&](int n) { return accounts.refreshSome(l.set, n); }))
            return false;
    // An index is sorted in memory as far as it can be: the window's writes wait for it
    // (its reads do not), so it is written in one go.
    for (const QString &index : indexes) {
        run([&] {
            DataFile::WideCache wide(data);
            if (indexing)
                indexing(true);
            try {
                data.database().execute(Schema::laterIndexSql(index));
            } catch (...) {
                if (indexing)
                    indexing(false);
                throw;
            }
            if (indexing)
                indexing(false);
            return 0;
        });
        if (!goOn(++done, std::max(total, done)))
            return false;
    }
    return true;
}
