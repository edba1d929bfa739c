#pragma once

#include <QString>

// Starting programs outside Tallyra: the desktop's calculator and the web browser.
class Launcher {
public:
    virtual ~Launcher() = default;
    virtual bool startCalculator() = 0;
    virtual bool openUrl(const QString &url) = 0;
};

// The desktop: the first usual calculator that is installed, and the default browser.
class DesktopLauncher : public Launcher {
public:
    bool startCalculator() override;
    bool openUrl(const QString &url) override;
};
