// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/export_commands.h"

#include "export/csv_options_dialog.h"
#include "export/ledger_export.h"
#include "export/print_preview.h"
#include "export/work_progress.h"
#include "ledger/ledger_view.h"
#include "store/sqlite_db.h"
#include "ui/commands.h"
#include "ui/dialog_folders.h"
#include "ui/prompt.h"

#include <QWidget>

ExportCommands::ExportCommands(Commands &commands, LedgerView &view, const AppContext &context)
    : QObject(view.viewWindow()), view_(view), context_(context)
{
    commands.on(Command::Export, this, &ExportCommands::exportList);
    commands.on(Command::Print, this, &ExportCommands::printList);
}

QString ExportCommands::suggestedName() const
{
    return DialogFolders::start(context_.data, exportPurpose(),
                                LedgerExport::defaultName(view_.accountSetName(), QDate::currentDate()));
}

std::unique_ptr<LedgerExport> ExportCommands::listOnShow()
{
    std::unique_ptr<LedgerExport> list;
    context_.prompt.attempt(view_.viewWindow(), [&] {
        list = std::make_unique<LedgerExport>(context_.data, view_.listOnShow(), view_.accountSetName(),
                                              view_.listCaption());
    });
    return list;
}

void ExportCommands::exportList()
{
    QWidget *window = view_.viewWindow();
    Prompt &prompt = context_.prompt;
    int type = 0;
    const QString path = prompt.saveFileOfType(window, QStringLiteral("导出记帐数据"), LedgerExport::fileFilter(),
                                               suggestedName() + QStringLiteral(".xlsx"), &type);
    if (path.isEmpty())
        return;
    DialogFolders::remember(context_.data, exportPurpose(), path);
    if (!confirmReplacing(prompt, window, path))
        return;
    CsvChoice csv;
    if (LedgerExport::Format(type) == LedgerExport::Format::Csv) {
        const std::optional<CsvChoice> chosen = CsvOptionsDialog::ask(context_.data, window);
        if (!chosen)
            return;
        csv = *chosen;
    }
    std::unique_ptr<LedgerExport> list = listOnShow();
    if (!list)
        return;
    WorkProgress progress(window, QStringLiteral("导出记帐数据"),
                          QStringLiteral("正在导出 %1 条记录...").arg(list->count()), list->count());
    const ExportResult result = list->write(LedgerExport::Format(type), path, progress.callback(), csv);
    tellResult(prompt, window, result, QStringLiteral("导出成功！共导出 %1 条记录。").arg(result.rows));
}

void ExportCommands::printList()
{
    std::unique_ptr<LedgerExport> list = listOnShow();
    if (!list)
        return;
    PrintPreview preview(context_, *list, suggestedName() + QStringLiteral(".pdf"), view_.viewWindow());
    preview.exec();
}
