// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/app_context.h"

#include <QObject>

#include <memory>

class Commands;
class LedgerExport;
class LedgerView;

// The main window's "导出" and "打印": the entries of the list on show into an Excel, CSV
// or PDF file, or into the print preview.
class ExportCommands : public QObject {
    Q_OBJECT
public:
    ExportCommands(Commands &commands, LedgerView &view, const AppContext &context);

    // The save dialog "导出记帐数据", then the file, then "导出成功！共导出 N 条记录。".
    void exportList();
    // "打印预览" of the list on show.
    void printList();

    // The file name the dialogs suggest, without its ending.
    QString suggestedName() const;

private:
    // The list on show, ready to write; nothing (and the error told) when it cannot be read.
    std::unique_ptr<LedgerExport> listOnShow();

    LedgerView &view_;
    AppContext context_;
};
