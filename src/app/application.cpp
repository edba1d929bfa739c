#include "app/application.h"

#include "ledger/main_window.h"
#include "users/login_window.h"
#include "ui/prompt.h"

Application::Application(const ProgramFolder &folder, Prompt &prompt, Launcher &launcher)
    : folder_(folder), data_(folder.dataFile()), context_{folder_, data_, session_, prompt, launcher}
{
}

Application::~Application()
{
    ending_ = true;
    delete login_;
    delete main_;
}

void Application::start()
{
    showLogin();
    // The first start creates the data file; a file that cannot be opened is named now.
    try {
        data_.OpenDataFile();
    } catch (const StoreError &error) {
        context_.prompt.reportError(login_, error);
    }
}

void Application::showLogin()
{
    login_ = new LoginWindow(context_);
    connect(login_, &LoginWindow::loggedIn, this, &Application::showMain);
    // Closing the login window ("退出(&X)" or its frame) without logging in ends the program.
    connect(login_, &LoginWindow::closed, this, [this] {
        if (login_)
            login_->deleteLater();
        login_ = nullptr;
        if (!main_)
            endProgram();
    });
    login_->show();
    login_->activateWindow();
}

void Application::showMain()
{
    main_ = new MainWindow(context_);
    connect(main_, &MainWindow::loggedOut, this, [this] {
        MainWindow *old = main_;
        main_ = nullptr;
        old->hide();
        old->deleteLater();
        showLogin();
    });
    connect(main_, &MainWindow::programEnded, this, &Application::endProgram);
    main_->show();
    LoginWindow *login = login_;
    login_ = nullptr;
    login->disconnect(this);
    login->close();
    login->deleteLater();
}

void Application::endProgram()
{
    if (ending_)
        return;
    ending_ = true;
    emit finished();
}
