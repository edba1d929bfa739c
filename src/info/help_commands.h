// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/app_context.h"

#include <QObject>

class Commands;
class QWidget;

// The help menu of the main window: the manual installed with the program, the product web
// site, the About box and the communication centre.
class HelpCommands : public QObject {
    Q_OBJECT
public:
    HelpCommands(Commands &commands, QWidget &window, const AppContext &context);

    // The manual installed with the program; empty when it is missing.
    static QString manual(const ProgramFolder &folder);
    // Opens a web page in the browser; without one, says so and returns false.
    static bool openPage(const AppContext &context, QWidget *parent, const QString &url);

    // "帮助文件..." and the toolbar's "使用帮助": the local manual in the default browser, or,
    // after saying that there is none, in a window of the program's own. Needs no network.
    void openHelp();
    // "官方网站..." and the toolbar's "主页": the web site in the browser.
    void openWebSite();
    void openAbout();
    void openCommunicationCentre();

private:
    QWidget &window_;
    AppContext context_;
};
