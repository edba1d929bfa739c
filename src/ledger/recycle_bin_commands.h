// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/app_context.h"

#include <QObject>

class Commands;
class LedgerView;

// The main window's "回收站" command: the bin's window, and the ledger view refreshed after
// entries came back.
class RecycleBinCommands : public QObject {
    Q_OBJECT
public:
    RecycleBinCommands(Commands &commands, LedgerView &view, const AppContext &context);

    void openBin();

private:
    LedgerView &view_;
    AppContext context_;
};
