// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/work_progress.h"

#include "ui/prompt.h"

#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>

WorkProgress::WorkProgress(QWidget *parent, const QString &title, const QString &label, qint64 entries)
{
    if (entries <= Threshold)
        return;
    dialog_ = std::make_unique<QProgressDialog>(label, QStringLiteral("取消"), 0, 100, parent);
    dialog_->setObjectName(QStringLiteral("ExportProgress"));
    dialog_->setWindowTitle(title);
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(0);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setValue(0);
}

WorkProgress::~WorkProgress() = default;

ExportProgress WorkProgress::callback()
{
    if (!dialog_)
        return {};
    QProgressDialog *dialog = dialog_.get();
    return [dialog](qint64 done, qint64 total) {
        // Shown as a percentage: the counts may pass what an int holds.
        dialog->setValue(total > 0 ? int(done * 100 / total) : 0);  // lets the dialog repaint and answer
        return !dialog->wasCanceled();
    };
}

bool confirmReplacing(Prompt &prompt, QWidget *parent, const QString &path)
{
    if (!QFileInfo::exists(path))
        return true;
    return prompt.message(parent, Prompt::Icon::Question, QStringLiteral("问题"),
                          QStringLiteral("“%1”已经存在，要替换它吗？").arg(QDir::toNativeSeparators(path)),
                          Prompt::Buttons::YesNo, Prompt::Answer::No) == Prompt::Answer::Yes;
}

void tellResult(Prompt &prompt, QWidget *parent, const ExportResult &result, const QString &successText)
{
    switch (result.status) {
    case ExportResult::Written:
        prompt.information(parent, QStringLiteral("信息"), successText);
        break;
    case ExportResult::Refused:
        prompt.information(parent, QStringLiteral("提示"), result.error);
        break;
    case ExportResult::Failed:
        prompt.message(parent, Prompt::Icon::Critical, QStringLiteral("错误"),
                       Prompt::errorText(result.error, result.code));
        break;
    case ExportResult::Cancelled:
        break;
    }
}
