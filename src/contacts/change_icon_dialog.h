// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/app_context.h"

#include <QDialog>

class QPushButton;
class RecordList;

// Chooses a group's picture among the address book's 26 (Form24). It stays open after
// each change so that another picture can be tried.
class ChangeIconDialog : public QDialog {
    Q_OBJECT
public:
    ChangeIconDialog(const AppContext &context, const QString &groupKey, QWidget *parent = nullptr);

    RecordList *list() const { return list_; }
    // The chosen picture's number (1..26), 0 when none is chosen.
    int chosen() const;
    // Stores the chosen picture for the group; false when nothing was stored.
    bool EditData(const QString &key);

signals:
    void iconChanged(const QString &key, int image);

private:
    void change();

    AppContext context_;
    QString key_;
    RecordList *list_ = nullptr;
};
