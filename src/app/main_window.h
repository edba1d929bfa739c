// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/app_context.h"
#include "ui/commands.h"

#include <QMainWindow>

class AccountsPane;
class BudgetWatch;
class RecurringCommands;
class LedgerPane;
class MaintenanceCommands;
class QLabel;
class QMenu;
class QTextBrowser;
class SumsBuilder;

// The program's frame, "个人Tallyra Beat 2.64": the menus and the toolbar built from the
// command table, the status bar, the small browser pane and the ledger pane. It alone
// knows every subsystem: each one's commands are connected here, in one place. Logging
// out, exiting and closing end it; the automatic backup runs as it goes.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(const AppContext &context, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The whole load sequence; run when the window opens and again after a restore.
    void loadEverything();
    // Applies the stored appearance to both entry lists and ticks it in "查看(&C)".
    void LoadShow();

    // Posts and asks about the recurring entries that have fallen due (after login).
    void checkDue();
    void logout();
    void exitProgram();
    void startCalculator();

    LedgerPane *ledgerPane() const { return ledger_; }
    AccountsPane *accountsPane() const { return accounts_; }
    BudgetWatch *budgetWatch() const { return budgets_; }
    Commands &commands() const { return *commands_; }
    QMenu *menu(Menu menu) const;
    // Status-bar panel 1 ("用户：") and the ledger's panels 2 to 6.
    QString panelText(int panel) const;

signals:
    // The window goes away: exit, close or logout. The automatic backup runs here.
    void unloading();
    void loggedOut();
    void programEnded();

protected:
    void closeEvent(QCloseEvent *event) override;
    // Showing starts the background build of what the file lacks (SumsBuilder).
    void showEvent(QShowEvent *event) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    // Connects every subsystem's commands: the one place that knows them all.
    void connectSubsystems();
    void unload();
    // The size, place and splitter of the last run (UiState), on a screen that shows it
    // whole; and back into the data file when the window goes.
    void restoreLayout();
    void saveLayout();
    void keepOnScreen();
    // A background build for a file that can be written (made, not started); stopping it
    // leaves the rest for the next time.
    void prepareBuild();
    void startBuild();
    void stopBuild();

    AppContext context_;
    Commands *commands_;
    LedgerPane *ledger_ = nullptr;
    AccountsPane *accounts_ = nullptr;
    BudgetWatch *budgets_ = nullptr;
    RecurringCommands *recurring_ = nullptr;
    MaintenanceCommands *upkeep_ = nullptr;
    QList<QMenu *> menus_;  // by Menu, from System
    QTextBrowser *browser_ = nullptr;
    QLabel *userPanel_ = nullptr;  // Panel1
    QLabel *buildPanel_ = nullptr;  // the background build's progress, shown while it runs
    SumsBuilder *builder_ = nullptr;
    bool unloaded_ = false;
};
