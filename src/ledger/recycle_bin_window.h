// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/app_context.h"

#include <QDialog>
#include <QList>

#include <functional>

class QLabel;
class QPushButton;
class RecordList;

// "回收站": the deleted entries of the user's account set, newest deletion first.
// "还原" puts the selected entries back into the ledger, "清空回收站" deletes all of them
// for good after asking. The window shows no SQL; the bin's data class does the work.
class RecycleBinWindow : public QDialog {
    Q_OBJECT
public:
    explicit RecycleBinWindow(const AppContext &context, QWidget *parent = nullptr);

    // Lists the bin again.
    void LoadData();
    // The bin ids of the selected rows, in list order: entries, and with `transfers`
    // the deleted transfers among them.
    QList<qint64> selectedIds(QList<qint64> *transfers = nullptr) const;
    void restoreSelected();
    void emptyBin();

    RecordList *list() const { return list_; }

signals:
    // Entries came back into the ledger: its lists and tree are to be refreshed.
    void restored();

private:
    // Runs a change of the bin under the wait cursor; false, the error told, when it failed.
    bool underWaitCursor(const std::function<void()> &work);

    AppContext context_;
    RecordList *list_;
    QLabel *count_;
    QPushButton *restoreButton_;
    QPushButton *emptyButton_;
};
