// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/modal.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <memory>

void whenModal(std::function<void(QDialog *)> act, bool close)
{
    auto *timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, act, tries, close] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog && ++*tries < 500)
            return;
        timer->stop();
        timer->deleteLater();
        if (dialog) {
            act(dialog);
            if (close)
                dialog->reject();
        }
    });
    timer->start(10);
}
