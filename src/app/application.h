#pragma once

#include "store/data_file.h"
#include "store/program_folder.h"
#include "store/session.h"
#include "ui/app_context.h"

#include <QObject>
#include <QPointer>

class Launcher;
#include "ledger/main_window.h"
#include "users/login_window.h"
class Prompt;

// The running program: its data file and session, the login window first, then the main
// window of the user who logged in, and the login window again after a logout.
class Application : public QObject {
    Q_OBJECT
public:
    Application(const ProgramFolder &folder, Prompt &prompt, Launcher &launcher);
    ~Application() override;

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
    void endProgram();

    ProgramFolder folder_;
    DataFile data_;
    Session session_;
    AppContext context_;
    QPointer<LoginWindow> login_;
    QPointer<MainWindow> main_;
    bool ending_ = false;
};
