// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/failure_delay.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>

FailureDelay::Clock FailureDelay::systemClock()
{
    return {[] {
                static QElapsedTimer started = [] {
                    QElapsedTimer t;
                    t.start();
                    return t;
                }();
                return started.elapsed();
            },
            [](qint64 ms) {
                QEventLoop loop;
                QTimer::singleShot(int(ms), &loop, &QEventLoop::quit);
                loop.exec(QEventLoop::ExcludeUserInputEvents);
            }};
}

qint64 FailureDelay::remainingMs() const
{
    return failures_ == 0 ? 0 : std::max<qint64>(0, until_ - clock_.now());
}

void FailureDelay::waitOut()
{
    if (const qint64 wait = remainingMs(); wait > 0)
        clock_.sleep(wait);
}

QString FailureDelay::refusal() const
{
    const qint64 wait = remainingMs();
    if (wait <= 0)
        return {};
    return QStringLiteral("输入错误的次数太多，请等 %1 秒后再试。").arg((wait + 999) / 1000);
}

void FailureDelay::failed()
{
    ++failures_;
    const int doublings = std::min(failures_ - 1, 20);
    until_ = clock_.now() + std::min(MaxWaitMs, FirstWaitMs << doublings);
}
