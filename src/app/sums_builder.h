// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

class DataFile;
class Database;

// Builds in the background what a data file keeps so that its lists, reports and accounts
// are quick: the item sums of the reports, the month totals of "全部记录" and the accounts'
// month sums of every month without them, then the indexes of the sorted lists and the
// accounts that the file lacks. A file written by another program, or by an older version,
// opens at once and gains them meanwhile.
//
// Every piece (the sums of as many months as take about a tenth of a second, or one index)
// is one write transaction of its own on a
// connection of the builder's own, so a build that is stopped or killed leaves a sound file
// that keeps what was done; the next one does the rest. Until then the window's connection
// counts what it needs from the entries and keeps nothing (DataFile::setSumsBuiltElsewhere):
// the two connections never wait for each other over the same sums, and the window's
// writes wait at most for one piece.
class SumsBuilder : public QObject {
    Q_OBJECT
public:
    // The data file at `path`, opened with `passphrase` on a connection of the builder's own.
    SumsBuilder(const QString &path, const QString &passphrase, QObject *parent = nullptr);
    // Stops the build (a piece under way is rolled back) and waits for that.
    ~SumsBuilder() override;
    void start();
    bool isRunning() const { return running_; }
    // The window waits for the file (from its thread): an index being made is given up,
    // and the build rests a moment before it goes on (it makes that index again then).
    void giveWay();

    // The whole build on this thread. `goOn` is told the work done and the work in all
    // (months counted, indexes made) after each piece (and before a piece is tried again); the build stops when it says
    // false. Returns whether nothing is left to build; failures are thrown (a busy file
    // after `busyTries` tries of each piece). `indexing` is told when an index is begun and
    // ended; an index interrupted then is made again.
    static bool build(DataFile &data, const std::function<bool(int done, int total)> &goOn, int busyTries = 1,
                      const std::function<void(bool)> &indexing = {});
    // Whether the file is one the build is for: a mark of every month (a file without kept
    // sums) or a later index missing. Stale months that a change left, and months without
    // totals, are not reason enough: the window counts those as it always did (the build
    // stores them too while it runs).
    static bool needed(DataFile &data);

signals:
    // A piece is done (in the thread of this object).
    void progress(int done, int total);
    // The build ended: complete, stopped or failed.
    void finished(bool complete);

private:
    QString path_, passphrase_;
    std::atomic<bool> stop_{false};
    bool running_ = false;
    std::mutex connection_;  // guards working_ and indexing_
    Database *working_ = nullptr;  // the builder's connection while it works
    bool indexing_ = false;  // it makes an index
    std::atomic<qint64> restUntil_{0};  // steady clock, ms
    std::thread thread_;
};
