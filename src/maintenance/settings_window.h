// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/app_context.h"

#include <QDialog>

class QCheckBox;

// "系统设置": the switch of the automatic backup into Plug-Ins on leaving the program.
class SettingsWindow : public QDialog {
    Q_OBJECT
public:
    explicit SettingsWindow(const AppContext &context, QWidget *parent = nullptr);

private:
    void store(bool on);

    AppContext context_;
    QCheckBox *autoBackup_;
};
