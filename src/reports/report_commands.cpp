// SPDX-License-Identifier: GPL-3.0-or-later
#include "reports/report_commands.h"

#include "ledger/ledger_view.h"
#include "reports/finance_summary.h"
#include "reports/report_window.h"
#include "ui/commands.h"

ReportCommands::ReportCommands(Commands &commands, LedgerView &view, const AppContext &context)
    : QObject(view.viewWindow()), view_(view), context_(context)
{
    commands.on(Command::FinanceSummary, this, &ReportCommands::financeSummary);
    commands.on(Command::Reports, this, &ReportCommands::openReport);
}

void ReportCommands::financeSummary()
{
    FinanceSummary summary(context_, view_.viewWindow(), [this] { openReport(); });
    summary.exec();
}

void ReportCommands::openReport() { ReportWindow::open(context_, view_); }
