#include "app/application.h"
#include "ui/chinese.h"
#include "ui/launcher.h"
#include "ui/prompt.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tallyra"));
    QApplication::setOrganizationName(QStringLiteral("Tallyra"));
    QApplication::setQuitOnLastWindowClosed(false);

    Chinese::install();

    QtPrompt prompt;
    DesktopLauncher launcher;
    Application tallyra(ProgramFolder::forExecutable(), prompt, launcher);
    QObject::connect(&tallyra, &Application::finished, &app, &QApplication::quit, Qt::QueuedConnection);
    tallyra.start();
    return app.exec();
}
