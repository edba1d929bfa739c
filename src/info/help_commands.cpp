#include "info/help_commands.h"

#include "info/about_box.h"
#include "info/communication_centre.h"
#include "info/product.h"
#include "ui/launcher.h"

#include <QWidget>

HelpCommands::HelpCommands(QWidget &window, const AppContext &context)
    : QObject(&window), window_(window), context_(context)
{
}

void HelpCommands::openHelp()
{
    // Without a browser nothing opens; the program goes on as before.
    context_.launcher.openUrl(Product::webSite());
}

void HelpCommands::openWebSite() { openHelp(); }

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
