#include "app/application.h"
#include "ui/launcher.h"
#include "ui/prompt.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tallyra"));
    QApplication::setOrganizationName(QStringLiteral("Tallyra"));
    QApplication::setQuitOnLastWindowClosed(false);

    // Qt's own buttons and dialogs in Chinese.
    QTranslator qtChinese;
    if (qtChinese.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtChinese);

    QtPrompt prompt;
    DesktopLauncher launcher;
    Application tallyra(ProgramFolder::forExecutable(), prompt, launcher);
    QObject::connect(&tallyra, &Application::finished, &app, &QApplication::quit, Qt::QueuedConnection);
    tallyra.start();
    return app.exec();
}
