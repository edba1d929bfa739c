// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Starting programs outside Tallyra: the desktop's calculator and the web browser. Each
// answers false when there is no such program to start.
class Launcher {
public:
    virtual ~Launcher() = default;
    virtual bool startCalculator() = 0;
    virtual bool openUrl(const QString &url) = 0;
};

// The desktop: the first usual calculator that is installed, and the default browser; a
// desktop without any browser opens nothing and says so (false) rather than handing the
// page to a helper that fails out of sight.
class DesktopLauncher : public Launcher {
public:
    bool startCalculator() override;
    bool openUrl(const QString &url) override;
};
