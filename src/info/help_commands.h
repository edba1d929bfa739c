#pragma once

#include "ui/app_context.h"

#include <QObject>

class QWidget;

// The help menu of the main window: the product web site, the About box and the
// communication centre.
class HelpCommands : public QObject {
    Q_OBJECT
public:
    HelpCommands(QWidget &window, const AppContext &context);

    // "帮助文件..." (and the toolbar's "主页" and "使用帮助"): the web site in the browser.
    void openHelp();
    // "官方网站...": the same.
    void openWebSite();
    void openAbout();
    void openCommunicationCentre();

private:
    QWidget &window_;
    AppContext context_;
};
