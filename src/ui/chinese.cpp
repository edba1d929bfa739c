// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/chinese.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace Chinese {

void install()
{
    // Date pickers' calendars read "2026年12月" and 一 … 日.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    static QTranslator *qtChinese = nullptr;
    if (qtChinese || !QCoreApplication::instance())
        return;
    qtChinese = new QTranslator(QCoreApplication::instance());
    if (qtChinese->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtChinese);
}

} // namespace Chinese
