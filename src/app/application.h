// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/main_window.h"
#include "store/data_file.h"
#include "store/program_folder.h"
#include "store/session.h"
#include "ui/app_context.h"
#include "users/login_window.h"

#include <QObject>
#include <QPointer>

class Launcher;
class Prompt;

// The running program: its data file and session, the login window first, then the main
// window of the user who logged in, and the login window again after a logout. It holds
// the data file for as long as it runs: a second program on the same file ends at once.
class Application : public QObject {
    Q_OBJECT
public:
    Application(const ProgramFolder &folder, Prompt &prompt, Launcher &launcher);
    ~Application() override;

    // Claims the data file (or ends the program when another one holds it), removes what
    // an interrupted run left beside it, asks for its passphrase when it has one, and
    // shows the login window, naming a data file that cannot be opened or written.
    void start();

    LoginWindow *loginWindow() const { return login_; }
    MainWindow *mainWindow() const { return main_; }
    DataFile &data() { return data_; }
    Session &session() { return session_; }
    const AppContext &context() const { return context_; }

signals:
    // The program is to end: exit confirmed, main window closed, or login window closed.
    void finished();

private:
    void showLogin();
    void showMain();
    // Asks for the data file's passphrase until one opens it; false when cancelled.
    bool askPassphrase();
    void endProgram();

    ProgramFolder folder_;
    DataFile data_;
    Session session_;
    AppContext context_;
    QPointer<LoginWindow> login_;
    QPointer<MainWindow> main_;
    bool ending_ = false;
};
