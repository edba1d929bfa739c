// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/recycle_bin_commands.h"

#include "ledger/ledger_view.h"
#include "ledger/recycle_bin_window.h"
#include "ui/commands.h"

RecycleBinCommands::RecycleBinCommands(Commands &commands, LedgerView &view, const AppContext &context)
    : QObject(view.viewWindow()), view_(view), context_(context)
{
    commands.on(Command::RecycleBin, this, &RecycleBinCommands::openBin);
}

void RecycleBinCommands::openBin()
{
    RecycleBinWindow bin(context_, view_.viewWindow());
    connect(&bin, &RecycleBinWindow::restored, this, [this] { view_.refresh(); });
    bin.exec();
}
