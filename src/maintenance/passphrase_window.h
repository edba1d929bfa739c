// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/app_context.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

// "数据文件密码": sets, changes or removes the passphrase of the data file. Without one
// the file keeps the built-in key; with one it opens only with it.
class PassphraseWindow : public QDialog {
    Q_OBJECT
public:
    explicit PassphraseWindow(const AppContext &context, QWidget *parent = nullptr);

    // "确定": checks the fields, re-encrypts the file and says so; then offers the same
    // for the automatic backups made under the old key.
    void confirm();

private:
    // The backups in Plug-Ins that the new key does not open: keyed anew, or (declined)
    // named for what they are and offered for deletion.
    void coverBackups(const QString &old);

    AppContext context_;
    QLineEdit *current_ = nullptr;  // only when the file has a passphrase
    QLineEdit *fresh_;
    QLineEdit *repeated_;
};
