// SPDX-License-Identifier: GPL-3.0-or-later
#include "info/help_commands.h"

#include "info/about_box.h"
#include "info/communication_centre.h"
#include "info/help_viewer.h"
#include "info/product.h"
#include "store/program_folder.h"
#include "ui/commands.h"
#include "ui/launcher.h"
#include "ui/prompt.h"

#include <QUrl>
#include <QWidget>

namespace {

const QString ManualFile = QStringLiteral("help/index.html");

} // namespace

HelpCommands::HelpCommands(Commands &commands, QWidget &window, const AppContext &context)
    : QObject(&window), window_(window), context_(context)
{
    commands.on(Command::Help, this, &HelpCommands::openHelp);
    commands.on(Command::About, this, &HelpCommands::openAbout);
    commands.on(Command::WebSite, this, &HelpCommands::openWebSite);
    commands.on(Command::CommunicationCentre, this, &HelpCommands::openCommunicationCentre);
}

QString HelpCommands::manual(const ProgramFolder &folder) { return folder.installed(ManualFile); }

void HelpCommands::openHelp()
{
    const QString page = manual(context_.folder);
    if (page.isEmpty()) {
        context_.prompt.information(&window_, QStringLiteral("提示"),
                                    QStringLiteral("找不到帮助文件 %1，请重新安装Tallyra。").arg(ManualFile));
        return;
    }
    if (context_.launcher.openUrl(QUrl::fromLocalFile(page).toString()))
        return;
    context_.prompt.information(&window_, QStringLiteral("提示"),
                                QStringLiteral("没有找到网页浏览器，使用帮助将在Tallyra自己的帮助窗口中打开。"));
    HelpViewer viewer(page, &window_);
    viewer.exec();
}

bool HelpCommands::openPage(const AppContext &context, QWidget *parent, const QString &url)
{
    if (context.launcher.openUrl(url))
        return true;
    context.prompt.information(parent, QStringLiteral("提示"),
                               QStringLiteral("没有找到网页浏览器，无法打开 %1 。请先安装一个网页浏览器（例如 Firefox）。")
                                   .arg(url));
    return false;
}

void HelpCommands::openWebSite() { openPage(context_, &window_, Product::webSite()); }

void HelpCommands::openAbout()
{
    AboutBox about(context_, &window_);
    about.exec();
}

void HelpCommands::openCommunicationCentre()
{
    CommunicationCentre centre(&window_);
    centre.exec();
}
