// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

// The growing wait after wrong passphrases and passwords: after the n-th failure in a row
// the next try is checked only 1, 2, 4 ... seconds later (at most MaxWaitMs), so that
// trying passwords one after another through the windows gets slower and slower. A right
// one starts the count again. The clock can be replaced, so that tests need not sleep.
class FailureDelay {
public:
    struct Clock {
        std::function<qint64()> now;         // milliseconds, never going back
        std::function<void(qint64)> sleep;   // waits that many milliseconds
    };
    // The steady clock; sleeping keeps the windows painting.
    static Clock systemClock();

    static constexpr qint64 FirstWaitMs = 1000;
    static constexpr qint64 MaxWaitMs = 32000;

    explicit FailureDelay(Clock clock = systemClock()) : clock_(std::move(clock)) {}
    void setClock(Clock clock) { clock_ = std::move(clock); }

    // How long until the next try may be checked; 0 when it may be now.
    qint64 remainingMs() const;
    // Sleeps until the next try may be checked.
    void waitOut();
    // "输入错误的次数太多，请等 3 秒后再试。" while a wait lasts, else empty.
    QString refusal() const;
    void failed();
    void succeeded() { failures_ = 0; }
    int failures() const { return failures_; }

private:
    Clock clock_;
    int failures_ = 0;
    qint64 until_ = 0;
};
