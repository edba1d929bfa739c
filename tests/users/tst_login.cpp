// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"
#include "app/main_window.h"
#include "core/password_hash.h"
#include "ledger/ledger_pane.h"
#include "support/test_folder.h"
#include "ui/record_list.h"
#include "users/login_window.h"
#include "users/users.h"

#include <QCryptographicHash>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "support/test_main.h"

namespace {

void typeLogin(LoginWindow &w, const QString &name, const QString &password)
{
    w.findChild<QLineEdit *>("Text1_0")->setText(name);
    w.findChild<QLineEdit *>("Text1_1")->setText(password);
    QTest::mouseClick(w.findChild<QPushButton *>("Command1"), Qt::LeftButton);
}

void addUser(TestFolder &t, const QString &name, const QString &password, int accountSet)
{
    t.data.insert("insert into user (用户名, 密码, 注册时间, muluID) values (?, ?, '2024-01-01 10:00', ?)",
                  {name, password, accountSet});
}

} // namespace

class LoginTest : public QObject {
    Q_OBJECT
private slots:
    void windowAsDesigned();
    void rightAndWrongLogins();
    void quotesAreMatchedAsTyped();
    void passwordsBecomeHashesAndWrongOnesWait();
    void unopenableDataFileIsNamed();
    void loginLogoutAndAccountSets();
    void firstStartCreatesTheDataFile();
};

void LoginTest::windowAsDesigned()
{
    TestFolder t;
    LoginWindow w(t.context);
    QCOMPARE(w.objectName(), QStringLiteral("Form1"));
    QCOMPARE(w.windowTitle(), QStringLiteral("用户登录"));
    QVERIFY(w.windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(w.findChild<QLabel *>("Label1")->text(), QStringLiteral("Tallyra Beat 2.64"));
    QCOMPARE(w.findChild<QPushButton *>("Command1")->text(), QStringLiteral("登录(&E)"));
    QCOMPARE(w.findChild<QPushButton *>("Command2")->text(), QStringLiteral("退出(&X)"));
    QCOMPARE(w.findChild<QLineEdit *>("Text1_1")->echoMode(), QLineEdit::Password);
    QCOMPARE(w.findChild<QLineEdit *>("Text1_0")->accessibleName(), QStringLiteral("用户名"));
    QCOMPARE(w.findChild<QLineEdit *>("Text1_1")->accessibleName(), QStringLiteral("密码"));
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(QApplication::focusWidget(), w.findChild<QLineEdit *>("Text1_0"));
    QSignalSpy closed(&w, &LoginWindow::closed);
    QTest::mouseClick(w.findChild<QPushButton *>("Command2"), Qt::LeftButton);
    QCOMPARE(closed.count(), 1);
    QVERIFY(!w.isVisible());
}

void LoginTest::rightAndWrongLogins()
{
    TestFolder t;
    LoginWindow w(t.context);
    QSignalSpy loggedIn(&w, &LoginWindow::loggedIn);

    typeLogin(w, "admin", "wrong");
    QCOMPARE(loggedIn.count(), 0);
    QCOMPARE(t.prompt.last().text, QStringLiteral("密码错误或用户名不存在，请重新输入！"));
    QCOMPARE(t.prompt.last().title, QStringLiteral("信息"));
    QCOMPARE(t.prompt.last().icon, Prompt::Icon::Information);
    QCOMPARE(w.findChild<QLineEdit *>("Text1_1")->text(), QStringLiteral("wrong"));
    QCOMPARE(t.session.CurrentUserName, QString());

    typeLogin(w, "", "");
    QCOMPARE(t.prompt.shown.size(), 2);
    typeLogin(w, "Admin", "admin");  // names are matched exactly
    QCOMPARE(t.prompt.shown.size(), 3);
    typeLogin(w, " admin", "admin");
    QCOMPARE(t.prompt.shown.size(), 4);

    typeLogin(w, "admin", "admin");
    QCOMPARE(loggedIn.count(), 1);
    QCOMPARE(t.session.CurrentUserName, QStringLiteral("admin"));
    QCOMPARE(t.session.CurrentAccountSetId, t.defaultAccountSet());

    // An empty name and password log in only where such a user exists.
    addUser(t, "", "", t.defaultAccountSet());
    typeLogin(w, "", "");
    QCOMPARE(loggedIn.count(), 2);
}

void LoginTest::quotesAreMatchedAsTyped()
{
    TestFolder t;
    addUser(t, "O'Brien", "it's", t.defaultAccountSet());
    LoginWindow w(t.context);
    QSignalSpy loggedIn(&w, &LoginWindow::loggedIn);
    typeLogin(w, "x' or '1'='1", "x' or '1'='1");
    typeLogin(w, "admin' --", "");
    QCOMPARE(loggedIn.count(), 0);
    QCOMPARE(t.prompt.shown.size(), 2);
    typeLogin(w, "O'Brien", "it's");
    QCOMPARE(loggedIn.count(), 1);
    QCOMPARE(t.session.CurrentUserName, QStringLiteral("O'Brien"));
}

// A password an older file keeps as typed still logs in, and is a salted hash from then
// on. Each wrong password makes the next try wait longer: 1, 2, 4 ... seconds, at most 32
// (on the test's clock, which only moves when the test moves it).
void LoginTest::passwordsBecomeHashesAndWrongOnesWait()
{
    TestFolder t;
    t.clockRuns = false;
    addUser(t, "老用户", "旧'密码", t.defaultAccountSet());
    LoginWindow w(t.context);
    QSignalSpy loggedIn(&w, &LoginWindow::loggedIn);
    auto stored = [&] {
        Statement st = t.data.query("select 密码 from user where 用户名='老用户'");
        return st.step() ? st.text(0) : QString();
    };
    const QString wrong = QStringLiteral("密码错误或用户名不存在，请重新输入！");
    auto waitOf = [](int seconds) { return QStringLiteral("输入错误的次数太多，请等 %1 秒后再试。").arg(seconds); };

    typeLogin(w, "老用户", "x");
    QCOMPARE(t.prompt.lastText(), wrong);
    typeLogin(w, "老用户", "旧'密码");
    QCOMPARE(t.prompt.lastText(), waitOf(1));
    QCOMPARE(loggedIn.count(), 0);
    QCOMPARE(stored(), QStringLiteral("旧'密码"));
    t.clockMs += 1000;
    typeLogin(w, "老用户", "x");
    t.clockMs += 1000;
    typeLogin(w, "老用户", "旧'密码");
    QCOMPARE(t.prompt.lastText(), waitOf(1));
    t.clockMs += 1000;
    typeLogin(w, "老用户", "旧'密码");
    QCOMPARE(loggedIn.count(), 1);
    QVERIFY(PasswordHash::isHash(stored()));
    QVERIFY(PasswordHash::matches(stored(), QStringLiteral("旧'密码")));
    typeLogin(w, "老用户", "旧'密码");
    QCOMPARE(loggedIn.count(), 2);

    // A right one starts the count again; the waits grow to their cap.
    for (int seconds : {1, 2, 4, 8, 16, 32, 32}) {
        typeLogin(w, "老用户", "x");
        QCOMPARE(t.prompt.lastText(), wrong);
        typeLogin(w, "admin", "admin");
        QCOMPARE(t.prompt.lastText(), waitOf(seconds));
        t.clockMs += seconds * 1000;
    }
    typeLogin(w, "admin", "admin");
    QCOMPARE(loggedIn.count(), 3);
}

void LoginTest::unopenableDataFileIsNamed()
{
    TestFolder t;
    QFile bad(t.folder.dataFile());
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(4096, '\x17'));
    bad.close();
    const QByteArray before = fileHash(t.folder.dataFile());

    Application app(t.folder, t.prompt, t.launcher);
    app.start();
    QCOMPARE(t.prompt.shown.size(), 1);
    QCOMPARE(t.prompt.last().title, QStringLiteral("错误"));
    QCOMPARE(t.prompt.last().icon, Prompt::Icon::Critical);
    QVERIFY(t.prompt.last().text.contains(QDir::toNativeSeparators(t.folder.dataFile())));
    typeLogin(*app.loginWindow(), "admin", "admin");
    QCOMPARE(t.prompt.shown.size(), 2);
    QVERIFY(t.prompt.last().text.startsWith(QStringLiteral("发现错误：\r\n无法打开数据文件")));
    QVERIFY(!app.mainWindow());
    QCOMPARE(fileHash(t.folder.dataFile()), before);
}

void LoginTest::loginLogoutAndAccountSets()
{
    TestFolder t;
    const int home = t.defaultAccountSet();
    const int shop = t.addAccountSet("小店");
    addUser(t, "张三", "1", shop);
    t.addEntry(home, "2008-03-05", "收入", "10", "home entry");
    t.addEntry(shop, "2009-05-06", "支出", "4", "shop entry");

    Application app(t.folder, t.prompt, t.launcher);
    QSignalSpy finished(&app, &Application::finished);
    app.start();
    QVERIFY(app.loginWindow());
    typeLogin(*app.loginWindow(), "admin", "admin");
    QVERIFY(app.mainWindow());
    QVERIFY(!app.loginWindow());
    QCOMPARE(app.mainWindow()->panelText(1), QStringLiteral("用户：admin"));
    QCOMPARE(app.mainWindow()->ledgerPane()->entryList()->rowCount(), 1);
    QCOMPARE(app.mainWindow()->ledgerPane()->entryList()->cell(0, 2), QStringLiteral("home entry"));

    t.prompt.answers << Prompt::Answer::Ok;
    app.mainWindow()->commands().action(Command::Logout)->trigger();
    QVERIFY(!app.mainWindow());
    QVERIFY(app.loginWindow());
    QCOMPARE(app.loginWindow()->findChild<QLineEdit *>("Text1_0")->text(), QString());

    typeLogin(*app.loginWindow(), "张三", "1");
    QVERIFY(app.mainWindow());
    QCOMPARE(app.mainWindow()->panelText(1), QStringLiteral("用户：张三"));
    QCOMPARE(app.mainWindow()->ledgerPane()->entryList()->rowCount(), 1);
    QCOMPARE(app.mainWindow()->ledgerPane()->entryList()->cell(0, 2), QStringLiteral("shop entry"));
    QCOMPARE(finished.count(), 0);

    app.mainWindow()->close();
    QCOMPARE(finished.count(), 1);
}

void LoginTest::firstStartCreatesTheDataFile()
{
    TestFolder t;
    QVERIFY(!QFile::exists(t.folder.dataFile()));
    Application app(t.folder, t.prompt, t.launcher);
    QSignalSpy finished(&app, &Application::finished);
    app.start();
    QVERIFY(QFile::exists(t.folder.dataFile()));
    QVERIFY(t.prompt.shown.isEmpty());
    app.loginWindow()->close();
    QCOMPARE(finished.count(), 1);
}

TALLYRA_TEST(LoginTest)
#include "tst_login.moc"
