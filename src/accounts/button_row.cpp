// SPDX-License-Identifier: GPL-3.0-or-later
#include "accounts/button_row.h"

#include <QHBoxLayout>
#include <QPushButton>

QHBoxLayout *buttonRow(QWidget *window, const QStringList &captions, QList<QPushButton *> &made,
                       const QList<QWidget *> &lead)
{
    auto *row = new QHBoxLayout;
    for (QWidget *w : lead)
        row->addWidget(w);
    row->addStretch(1);
    made.clear();
    for (const QString &caption : captions) {
        auto *button = new QPushButton(caption, window);
        button->setObjectName(QStringLiteral("Command%1").arg(made.size() + 1));
        button->setAutoDefault(false);
        row->addWidget(button);
        made << button;
    }
    return row;
}
