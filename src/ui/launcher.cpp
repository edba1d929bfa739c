#include "ui/launcher.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

bool DesktopLauncher::startCalculator()
{
    for (const char *name : {"gnome-calculator", "kcalc", "galculator", "mate-calc", "qalculate-gtk",
                             "qalculate-qt", "xcalc"}) {
        QString program = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!program.isEmpty() && QProcess::startDetached(program, {}))
            return true;
    }
    return false;
}

bool DesktopLauncher::openUrl(const QString &url) { return QDesktopServices::openUrl(QUrl(url)); }
