// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/app_context.h"

#include <QObject>

class MainWindow;
class RecordList;

// The main window's commands for the data file and the entry lists' appearance: backup,
// restore, compaction, the data file's passphrase, the settings window, the automatic
// backup when the window goes away, and the items of the "查看(&C)" menu. They work on the
// window as a whole (a restore loads it again), so they belong to the shell.
class MaintenanceCommands : public QObject {
    Q_OBJECT
public:
    // Connects itself to the window's commands and to its going away.
    MaintenanceCommands(MainWindow &window, const AppContext &context);

    // Applies the stored appearance to both entry lists and ticks it in "查看(&C)".
    void LoadShow();

    void backup();
    void restore();
    void compact();
    void openSettings();
    // "数据文件密码": sets, changes or removes the data file's passphrase.
    void changePassphrase();
    // Run whenever the main window goes away (exit, close, logout).
    void automaticBackup();

    // The "查看(&C)" menu.
    void setViewMode(int mode);
    void toggleGridLines();
    void chooseFont();
    void chooseBackgroundColour();
    void chooseBackgroundPicture();
    void resetAppearance();

private:
    // A settings write that failed is reported; the lists keep what they show.
    template <typename Write> void store(Write write);
    RecordList *entryList() const;
    RecordList *searchList() const;

    MainWindow &window_;
    AppContext context_;
};
