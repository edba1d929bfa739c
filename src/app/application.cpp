// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"

#include "app/main_window.h"
#include "maintenance/data_file_maintenance.h"
#include "users/login_window.h"
#include "ui/prompt.h"

#include <QCoreApplication>
#include <QDir>
#include <QTimer>

#include <optional>

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
    Prompt &prompt = context_.prompt;
    // One program per data file: a second one says so and ends without touching it.
    bool mine = false;
    try {
        mine = data_.claim();
    } catch (const StoreError &error) {
        // A file that cannot be made or opened is named at the login window.
        showLogin();
        prompt.reportError(login_, error);
        return;
    }
    if (!mine) {
        prompt.message(nullptr, Prompt::Icon::Information, QStringLiteral("信息"),
                       QStringLiteral("数据文件正被另一个Tallyra使用：") + QDir::toNativeSeparators(data_.path()));
        endProgram();
        return;
    }
    // What an interrupted run of this program left beside the file goes now that no other
    // run can be using it.
    DataFileMaintenance::removeLeftovers(data_.path(), folder_.plugIns());
    // Long writes (deleting all entries) let the windows paint between their pieces.
    data_.setBetweenPieces([] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });

    // The first start creates the data file; a file that cannot be opened is named at the
    // login window. A file with a passphrase of its own asks for it first.
    std::optional<StoreError> failure;
    try {
        data_.OpenDataFile();
    } catch (const StoreError &error) {
        failure = error;
    }
    // Without it (cancelled) the login window names the file that could not be opened.
    if (failure && data_.needsPassphrase() && askPassphrase()) {
        failure.reset();
        try {
            data_.OpenDataFile();
        } catch (const StoreError &error) {
            failure = error;
        }
    }
    showLogin();
    if (failure)
        prompt.reportError(login_, *failure);
    else if (data_.isReadOnly())
        prompt.reportError(login_, data_.readOnlyNotice());
}

bool Application::askPassphrase()
{
    const QString file = QDir::toNativeSeparators(data_.path());
    bool again = false;
    for (;;) {
        const std::optional<QString> typed = context_.prompt.askText(
            nullptr, QStringLiteral("数据文件密码"),
            (again ? QStringLiteral("密码不对，请重新输入数据文件“%1”的密码：")
                   : QStringLiteral("数据文件“%1”设置了密码，请输入数据文件密码："))
                .arg(file),
            true);
        if (!typed)
            return false;
        session_.passphraseDelay.waitOut();
        try {
            // Tried without writing anything: a wrong passphrase leaves the file as it is.
            if (data_.passphraseOpens(*typed)) {
                session_.passphraseDelay.succeeded();
                data_.setPassphrase(*typed);
                return true;
            }
        } catch (const StoreError &) {
            return false;  // the file itself cannot be read: named at the login window
        }
        session_.passphraseDelay.failed();
        again = true;
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
    // Once the main window is up (and the login window gone): recurring entries now due.
    QTimer::singleShot(0, main_, [main = main_] { main->checkDue(); });
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
