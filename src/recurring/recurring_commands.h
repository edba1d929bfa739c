// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/app_context.h"

#include <QObject>

class Commands;

// "周期记账..." and the look at due recurring entries after login: those marked to post
// by themselves are posted, the rest are listed in the due window.
class RecurringCommands : public QObject {
    Q_OBJECT
public:
    RecurringCommands(Commands &commands, const AppContext &context, QWidget *window);

    void openSchedules();
    // Posts the automatic ones, then asks about the others; after logging in.
    void checkDue();

signals:
    // Entries or transfers were posted: the ledger's lists are to be read again.
    void posted();

private:
    AppContext context_;
    QWidget *window_;
};
