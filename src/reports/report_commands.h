// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/app_context.h"

#include <QObject>

class Commands;
class LedgerView;

// "财务统计" and "收支报表": the finance summary of the account set, and the report by
// item, month and year, whose slices open "统计查询" of the ledger view.
class ReportCommands : public QObject {
    Q_OBJECT
public:
    ReportCommands(Commands &commands, LedgerView &view, const AppContext &context);

    void financeSummary();
    void openReport();

private:
    LedgerView &view_;
    AppContext context_;
};
