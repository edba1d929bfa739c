// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/app_context.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

// "帐户密码": asks the logged-in user's password before every entry of their account set
// is deleted.
class DeleteAllDialog : public QDialog {
    Q_OBJECT
public:
    explicit DeleteAllDialog(const AppContext &context, QWidget *parent = nullptr);

    // "确认": checks the password, then deletes the entries. The window stays open.
    void confirm();

signals:
    void deletedAll();

private:
    AppContext context_;
    QLineEdit *password_;     // Text1
    QPushButton *confirmButton_;  // Command1
};
