// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/launcher.h"

#include <QStringList>

// Records what the program asked to start instead of starting it.
class FakeLauncher : public Launcher {
public:
    int calculatorStarts = 0;
    QStringList urls;
    bool succeed = true;

    bool startCalculator() override
    {
        ++calculatorStarts;
        return succeed;
    }
    bool openUrl(const QString &url) override
    {
        urls << url;
        return succeed;
    }
};
