// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/skin.h"

#include <QApplication>
#include <QStyleFactory>

namespace Skin {

void attach()
{
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (!app || app->property("tallyraSkin").toBool())
        return;
    app->setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // Colours come from the palette, so that a dark desktop theme stays readable.
    app->setStyleSheet(QStringLiteral(
        "QLineEdit { lineedit-password-character: 42; }"
        "QGroupBox { font-weight: bold; border: 1px solid palette(mid); border-radius: 4px; margin-top: 10px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; }"
        "QToolBar { spacing: 2px; }"
        "QStatusBar QLabel { padding: 0 6px; }"));
    app->setProperty("tallyraSkin", true);
}

} // namespace Skin
