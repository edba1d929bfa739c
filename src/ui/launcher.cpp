// SPDX-License-Identifier: GPL-3.0-or-later
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

namespace {

// Whether the desktop has a program for web pages: one named by $BROWSER, the handler that
// the desktop's own settings give (xdg-mime), or one of the usual browsers.
bool browserInstalled(const QUrl &url)
{
    if (!qEnvironmentVariableIsEmpty("BROWSER"))
        return true;
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (!xdgMime.isEmpty()) {
        QProcess query;
        query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"),
                              url.isLocalFile() ? QStringLiteral("text/html")
                                                : QStringLiteral("x-scheme-handler/") + url.scheme()});
        if (query.waitForFinished(3000) && query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0 &&
            !query.readAllStandardOutput().trimmed().isEmpty())
            return true;
    }
    for (const char *name : {"x-www-browser", "firefox", "firefox-esr", "chromium", "google-chrome", "epiphany-browser",
                             "epiphany", "konqueror", "falkon", "midori", "qutebrowser", "opera", "vivaldi"})
        if (!QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty())
            return true;
    return false;
}

} // namespace

bool DesktopLauncher::openUrl(const QString &url)
{
    const QUrl target(url);
    return browserInstalled(target) && QDesktopServices::openUrl(target);
}
