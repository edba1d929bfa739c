// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "export/report_pages.h"

#include <QString>

#include <memory>

class Prompt;
class QProgressDialog;
class QWidget;

// The progress dialog of a long export or print, with a "取消" button. It is shown only
// when the work is long (more than Threshold entries); otherwise the work just runs.
class WorkProgress {
public:
    static constexpr int Threshold = 20000;

    WorkProgress(QWidget *parent, const QString &title, const QString &label, qint64 entries);
    ~WorkProgress();
    WorkProgress(const WorkProgress &) = delete;
    WorkProgress &operator=(const WorkProgress &) = delete;

    bool shown() const { return dialog_ != nullptr; }
    // What the work reports to; false once "取消" was pressed.
    ExportProgress callback();

private:
    std::unique_ptr<QProgressDialog> dialog_;
};

// Asks before a file is replaced; true when there is none or the user agreed.
bool confirmReplacing(Prompt &prompt, QWidget *parent, const QString &path);
// The purpose under which every export's save dialog remembers its folder (DialogFolders).
inline QString exportPurpose() { return QStringLiteral("导出"); }
// Tells the user what writing a file came to: successText when written, the refusal as a
// hint, a failure in the error format; nothing when the user cancelled.
void tellResult(Prompt &prompt, QWidget *parent, const ExportResult &result, const QString &successText);
