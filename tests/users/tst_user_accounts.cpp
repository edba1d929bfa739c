// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "core/password_hash.h"
#include "support/test_folder.h"
#include "ui/record_list.h"
#include "users/user_account_window.h"
#include "users/users.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include "support/test_main.h"

namespace {

// What the window shows of its mode: list visibility, the first two captions and
// which of the four buttons are enabled ("1" enabled, "0" not).
QString mode(UserAccountWindow &w)
{
    QString enabled;
    for (int i = 0; i < 4; ++i)
        enabled += w.button(i)->isEnabled() ? u'1' : u'0';
    return QStringLiteral("%1|%2|%3|%4")
        .arg(w.userList()->isHidden() ? "hidden" : "list", w.button(0)->text(), w.button(1)->text(), enabled);
}

void press(UserAccountWindow &w, int button) { QTest::mouseClick(w.button(button), Qt::LeftButton); }

QPoint rowCentre(UserAccountWindow &w, int row)
{
    QTableView *view = w.userList()->detailsView();
    return view->visualRect(view->model()->index(row, 0)).center();
}

void clickRow(UserAccountWindow &w, int row)
{
    QTest::mouseClick(w.userList()->detailsView()->viewport(), Qt::LeftButton, {}, rowCentre(w, row));
}

QLineEdit *field(UserAccountWindow &w, int index) { return w.findChild<QLineEdit *>(QStringLiteral("Text1_%1").arg(index)); }
QComboBox *combo(UserAccountWindow &w) { return w.findChild<QComboBox *>("Combo1"); }

qint64 addUser(TestFolder &t, const QString &name, const QString &password, qint64 accountSet,
               const QString &time = QStringLiteral("2024-01-01 10:00"))
{
    return t.data.insert("insert into user (用户名, 密码, 注册时间, muluID) values (?, ?, ?, ?)",
                         {name, password, time, accountSet});
}

// A user as stored. A password hash shows as `typed` when it is the hash of it; a password
// kept as typed (a file of an older version) shows as "plain:" and the text.
QStringList userRow(TestFolder &t, qint64 id, const QString &typed = QString())
{
    Statement st = t.data.query("select 用户名, 密码, 注册时间, muluID from user where id=?", {id});
    if (!st.step())
        return {};
    const QString stored = st.text(1);
    const QString password = !PasswordHash::isHash(stored)            ? QStringLiteral("plain:") + stored
                             : PasswordHash::matches(stored, typed) ? typed
                                                                      : stored;
    return {st.text(0), password, st.text(2), st.text(3)};
}

int userCount(TestFolder &t)
{
    Statement st = t.data.query("select count(*) from user");
    return st.step() ? int(st.integer(0)) : -1;
}

} // namespace

class UserAccountsTest : public QObject {
    Q_OBJECT
private slots:
    void usersOfTheDataFile();
    void bindingLooksOnlyAtAccountSets();
    void theLastUserStays();
    void windowAsDesigned();
    void modeTable();
    void addingAUser();
    void modifyingAUser();
    void savingNeedsANameAndAnAccountSet();
    void deletingUsers();
    void accountSetChangesAtTheNextLogin();
};

void UserAccountsTest::usersOfTheDataFile()
{
    TestFolder t;
    Users users(t.data);
    const int home = t.defaultAccountSet();
    const int shop = t.addAccountSet("小店");
    const qint64 a = users.add("O'Brien", "it's \"x\"", "2024-02-03 04:05", shop);
    const qint64 b = users.add("O'Brien", "", "2024-02-03 04:06", 9999);  // names may repeat

    const std::vector<UserAccount> list = users.list();
    QCOMPARE(int(list.size()), 3);
    QCOMPARE(list[0].id, b);
    QCOMPARE(list[0].accountSetName, QString());  // its account set does not exist
    QCOMPARE(list[1].id, a);
    QCOMPARE(list[1].name, QStringLiteral("O'Brien"));
    QVERIFY(PasswordHash::matches(list[1].password, QStringLiteral("it's \"x\"")));
    QCOMPARE(list[1].registered, QStringLiteral("2024-02-03 04:05"));
    QCOMPARE(list[1].accountSetName, QStringLiteral("小店"));
    QCOMPARE(list[2].name, QStringLiteral("admin"));
    QCOMPARE(list[2].accountSetId, qint64(home));

    QVERIFY(users.modify(a, "张'三", "新", home));
    QCOMPARE(userRow(t, a, "新"), QStringList({"张'三", "新", "2024-02-03 04:05", QString::number(home)}));
    // The stored hash given back (the window shows it in the masked field) keeps it.
    QVERIFY(users.modify(a, "张'三", users.load(a)->password, home));
    QCOMPARE(userRow(t, a, "新"), QStringList({"张'三", "新", "2024-02-03 04:05", QString::number(home)}));
    QVERIFY(!users.modify(123456, "x", "y", home));
    QCOMPARE(users.load(a)->accountSetName, QStringLiteral("默认账套"));
    QVERIFY(!users.load(123456));

    const std::vector<AccountSetChoice> sets = users.accountSets();
    QCOMPARE(int(sets.size()), 2);
    QCOMPARE(sets[0].name, QStringLiteral("默认账套"));
    QCOMPARE(sets[1].id, qint64(shop));
}

void UserAccountsTest::bindingLooksOnlyAtAccountSets()
{
    TestFolder t;
    // An item, a payment method and a handler bearing the name, all before the account set.
    for (const char *cls : {"收支项目", "收支方式", "经手人"})
        t.data.insert("insert into mulu (key_1, parent, class, content) values (?, '0', ?, '家庭')",
                      {QStringLiteral("x%1_").arg(cls), QString::fromUtf8(cls)});
    const int family = t.addAccountSet("家庭");
    t.addAccountSet("家庭");
    Users users(t.data);
    QCOMPARE(users.muluID("家庭"), std::optional<qint64>(family));
    QCOMPARE(users.muluID("本人"), std::nullopt);  // a handler only
    QCOMPARE(users.muluID("家"), std::nullopt);

    // Through the window: the chosen account set is what gets stored.
    UserAccountWindow w(t.context);
    press(w, 0);
    field(w, 0)->setText("李四");
    combo(w)->setCurrentIndex(combo(w)->findText("家庭"));
    press(w, 3);
    Statement st = t.data.query("select mulu.class from user join mulu on mulu.id = user.muluID where 用户名='李四'");
    QVERIFY(st.step());
    QCOMPARE(st.text(0), QStringLiteral("账套"));
}

void UserAccountsTest::theLastUserStays()
{
    TestFolder t;
    Users users(t.data);
    const qint64 second = users.add("b", "b", "", t.defaultAccountSet());
    const qint64 admin = users.list().back().id;
    QCOMPARE(users.remove(admin), Users::Removal::Removed);
    QCOMPARE(users.remove(admin), Users::Removal::Missing);
    QCOMPARE(users.remove(second), Users::Removal::LastUser);
    QCOMPARE(userCount(t), 1);
    QVERIFY(users.login("b", "b"));
}

void UserAccountsTest::windowAsDesigned()
{
    TestFolder t;
    const int shop = t.addAccountSet("小店");
    addUser(t, "张三", "secret", 4242);  // bound to an account set that is gone
    UserAccountWindow w(t.context);
    QCOMPARE(w.objectName(), QStringLiteral("Form8"));
    QCOMPARE(w.windowTitle(), QStringLiteral("用户帐号管理"));
    QCOMPARE(w.findChild<QGroupBox *>("Frame1")->title(), QStringLiteral("帐号管理"));
    QCOMPARE(field(w, 1)->echoMode(), QLineEdit::Password);
    QVERIFY(field(w, 3)->isReadOnly());
    QStringList captions;
    for (int i = 0; i < 4; ++i)
        captions << w.findChild<QPushButton *>(QStringLiteral("Command1_%1").arg(i))->text();
    QCOMPARE(captions, QStringList({"添加账号", "修改", "删除", "保存"}));

    // The account sets, the last one chosen.
    QCOMPARE(combo(w)->count(), 2);
    QCOMPARE(combo(w)->itemText(0), QStringLiteral("默认账套"));
    QCOMPARE(combo(w)->currentText(), QStringLiteral("小店"));
    QCOMPARE(combo(w)->currentData().toInt(), shop);

    RecordList *list = w.userList();
    QCOMPARE(list->objectName(), QStringLiteral("ListView1"));
    QStringList titles;
    QList<int> widths;
    for (const RecordColumn &c : list->model().columns()) {
        titles << c.title;
        widths << c.twips;
    }
    QCOMPARE(titles, QStringList({"用户名", "", "密码", "注册时间", "账套"}));
    QCOMPARE(widths, QList<int>({2050, 0, 1000, 1800, 1200}));
    QCOMPARE(list->rowCount(), 2);
    QCOMPARE(list->cell(0, 0), QStringLiteral("张三"));
    QCOMPARE(list->cell(0, 2), QStringLiteral("********"));
    QCOMPARE(list->cell(0, 3), QStringLiteral("2024-01-01 10:00"));
    QCOMPARE(list->cell(0, 4), QString());
    QCOMPARE(list->cell(1, 0), QStringLiteral("admin"));
    QCOMPARE(list->cell(1, 4), QStringLiteral("默认账套"));
    QCOMPARE(list->model().record(0).icon, 1);

    // The list lies exactly over the edit area, also after a resize.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.resize(w.width() + 120, w.height() + 40);
    QApplication::processEvents();
    QCOMPARE(list->geometry(), w.findChild<QGroupBox *>("Frame1")->geometry());
}

void UserAccountsTest::modeTable()
{
    TestFolder t;
    UserAccountWindow w(t.context);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(mode(w), QStringLiteral("list|添加账号|修改|1111"));

    // Saving right after opening: the fields are empty.
    press(w, 3);
    QCOMPARE(t.prompt.last().text, QStringLiteral("请输入你有注册的用户帐号！"));
    QCOMPARE(t.prompt.last().title, QStringLiteral("警告"));
    QCOMPARE(t.prompt.last().icon, Prompt::Icon::Question);
    QCOMPARE(mode(w), QStringLiteral("list|添加账号|修改|0001"));

    clickRow(w, 0);
    press(w, 0);
    QCOMPARE(mode(w), QStringLiteral("hidden|放弃|修改|1001"));
    const QDateTime filled = QDateTime::fromString(field(w, 3)->text(), "yyyy-MM-dd HH:mm");
    QVERIFY(qAbs(filled.secsTo(QDateTime::currentDateTime())) < 120);
    field(w, 0)->setText("x");
    press(w, 0);
    QCOMPARE(mode(w), QStringLiteral("list|添加账号|修改|1000"));
    QCOMPARE(userCount(t), 1);  // discarded

    clickRow(w, 0);
    QCOMPARE(mode(w), QStringLiteral("list|添加账号|修改|1110"));
    press(w, 1);
    QCOMPARE(mode(w), QStringLiteral("hidden|添加账号|放弃修改|0101"));  // the loaded fields changed
    QCOMPARE(field(w, 0)->text(), QStringLiteral("admin"));
    press(w, 1);
    QCOMPARE(mode(w), QStringLiteral("list|添加账号|修改|0100"));

    // Modify again: the same user changes no field, so nothing is there to save.
    press(w, 1);
    QCOMPARE(mode(w), QStringLiteral("hidden|添加账号|放弃修改|0100"));
    field(w, 1)->setText("neu");
    QCOMPARE(mode(w), QStringLiteral("hidden|添加账号|放弃修改|0101"));
    press(w, 3);
    QCOMPARE(mode(w), QStringLiteral("list|添加账号|修改|1110"));

    // A cancelled delete leaves only the pressed button.
    clickRow(w, 0);
    t.prompt.answers << Prompt::Answer::Cancel;
    press(w, 2);
    QCOMPARE(mode(w), QStringLiteral("list|添加账号|修改|0010"));

    // A double-click is "修改".
    QTest::mouseDClick(w.userList()->detailsView()->viewport(), Qt::LeftButton, {}, rowCentre(w, 0));
    QCOMPARE(w.button(1)->text(), QStringLiteral("放弃修改"));
    QVERIFY(w.userList()->isHidden());
    press(w, 1);

    // Modify with nothing selected.
    w.userList()->detailsView()->clearSelection();
    w.userList()->detailsView()->selectionModel()->clearCurrentIndex();
    t.prompt.reset();
    press(w, 1);
    QCOMPARE(t.prompt.texts(), QStringList({"请选择信息修改!"}));
    QCOMPARE(t.prompt.last().title, QStringLiteral("信息"));
    QCOMPARE(mode(w), QStringLiteral("hidden|添加账号|放弃修改|0100"));
    QVERIFY(PasswordHash::matches(field(w, 1)->text(), QStringLiteral("neu")));
    // Saving now would have no user to save over.
    w.save();
    QCOMPARE(t.prompt.texts(), QStringList({"请选择信息修改!", "请选择信息修改!"}));
    QCOMPARE(w.button(1)->text(), QStringLiteral("放弃修改"));
    QCOMPARE(userRow(t, 1, "neu"), QStringList({"admin", "neu", userRow(t, 1)[2], userRow(t, 1)[3]}));
}

void UserAccountsTest::addingAUser()
{
    TestFolder t;
    const int a = t.addAccountSet("A");
    t.addAccountSet("B");
    UserAccountWindow w(t.context);
    w.show();
    press(w, 0);
    field(w, 0)->setText("张三");
    field(w, 1)->setText("p'w");
    combo(w)->setCurrentIndex(combo(w)->findText("A"));
    const QString time = field(w, 3)->text();
    press(w, 3);
    QCOMPARE(t.prompt.last().text, QStringLiteral("注册帐号成功！    用户帐号：张三"));
    QCOMPARE(t.prompt.last().title, QStringLiteral("恭喜您"));
    QCOMPARE(t.prompt.last().icon, Prompt::Icon::Question);
    QCOMPARE(t.prompt.last().buttons, Prompt::Buttons::Ok);
    QCOMPARE(mode(w), QStringLiteral("list|添加账号|修改|1110"));
    QCOMPARE(w.userList()->cell(0, 0), QStringLiteral("张三"));
    QCOMPARE(w.userList()->cell(0, 2), QStringLiteral("********"));
    QCOMPARE(w.userList()->cell(0, 3), time);
    QCOMPARE(w.userList()->cell(0, 4), QStringLiteral("A"));
    QCOMPARE(userRow(t, w.userList()->cell(0, 1).toLongLong(), "p'w"), QStringList({"张三", "p'w", time, QString::number(a)}));

    // The same name again, with the choice left standing.
    press(w, 0);
    QCOMPARE(combo(w)->currentText(), QStringLiteral("A"));
    field(w, 0)->setText("张三");
    press(w, 3);
    QCOMPARE(w.userList()->rowCount(), 3);
    QCOMPARE(w.userList()->cell(1, 0), QStringLiteral("张三"));

    // A user that cannot be stored is reported and what was typed stays.
    press(w, 0);
    field(w, 0)->setText("王五");
    t.data.exec("create trigger refuse before insert on user begin select raise(abort, 'voll'); end");
    press(w, 3);
    QCOMPARE(t.prompt.last().title, QStringLiteral("错误"));
    QCOMPARE(mode(w), QStringLiteral("hidden|放弃|修改|0001"));
    QCOMPARE(field(w, 0)->text(), QStringLiteral("王五"));
    QCOMPARE(userCount(t), 3);
}

void UserAccountsTest::modifyingAUser()
{
    TestFolder t;
    const int shop = t.addAccountSet("小店");
    const qint64 id = addUser(t, "张三", "1", t.defaultAccountSet(), "2020-05-06 07:08");
    UserAccountWindow w(t.context);
    w.show();
    clickRow(w, 0);
    press(w, 1);
    QCOMPARE(field(w, 0)->text(), QStringLiteral("张三"));
    QCOMPARE(field(w, 1)->text(), QStringLiteral("1"));
    QCOMPARE(field(w, 3)->text(), QStringLiteral("2020-05-06 07:08"));
    QCOMPARE(combo(w)->currentText(), QStringLiteral("默认账套"));
    field(w, 0)->setText("张'三");
    combo(w)->setCurrentIndex(combo(w)->findData(shop));
    press(w, 3);
    QCOMPARE(userRow(t, id, "1"), QStringList({"张'三", "1", "2020-05-06 07:08", QString::number(shop)}));
    QCOMPARE(w.userList()->cell(0, 4), QStringLiteral("小店"));
    QCOMPARE(userCount(t), 2);
}

void UserAccountsTest::savingNeedsANameAndAnAccountSet()
{
    TestFolder t;
    const qint64 id = addUser(t, "孤儿", "pw", 4242, "2020-01-01 00:00");
    const qint64 admin = 1;
    UserAccountWindow w(t.context);
    w.show();

    // A user whose account set is gone shows its own fields and no account set.
    clickRow(w, 1);
    press(w, 1);
    QCOMPARE(field(w, 0)->text(), QStringLiteral("admin"));
    press(w, 1);
    clickRow(w, 0);
    press(w, 1);
    QCOMPARE(field(w, 0)->text(), QStringLiteral("孤儿"));
    QCOMPARE(field(w, 1)->text(), QStringLiteral("pw"));
    QCOMPARE(combo(w)->currentIndex(), -1);
    field(w, 1)->setText("neu");
    t.prompt.reset();
    press(w, 3);
    QCOMPARE(t.prompt.texts(), QStringList({"请选择用户所属的账套！"}));
    QCOMPARE(t.prompt.last().title, QStringLiteral("提示"));
    QCOMPARE(t.prompt.last().icon, Prompt::Icon::Information);
    QCOMPARE(mode(w), QStringLiteral("hidden|添加账号|放弃修改|0001"));
    QCOMPARE(userRow(t, id), QStringList({"孤儿", "plain:pw", "2020-01-01 00:00", "4242"}));
    QCOMPARE(userRow(t, admin)[0], QStringLiteral("admin"));

    // Once given one, it saves.
    combo(w)->setCurrentIndex(0);
    press(w, 3);
    QCOMPARE(userRow(t, id, "neu"), QStringList({"孤儿", "neu", "2020-01-01 00:00", QString::number(t.defaultAccountSet())}));

    // Adding without any account set at all is refused too.
    t.data.exec("delete from mulu where class='账套'");
    UserAccountWindow empty(t.context);
    QCOMPARE(empty.findChild<QComboBox *>("Combo1")->count(), 0);
    press(empty, 0);
    empty.findChild<QLineEdit *>("Text1_0")->setText("新人");
    press(empty, 3);
    QCOMPARE(t.prompt.last().text, QStringLiteral("请选择用户所属的账套！"));
    QCOMPARE(userCount(t), 2);

    // An empty name empties the password and stays in the mode.
    empty.findChild<QLineEdit *>("Text1_0")->clear();
    empty.findChild<QLineEdit *>("Text1_1")->setText("geheim");
    press(empty, 3);
    QCOMPARE(t.prompt.last().text, QStringLiteral("请输入你有注册的用户帐号！"));
    QCOMPARE(empty.findChild<QLineEdit *>("Text1_1")->text(), QString());
    QCOMPARE(mode(empty), QStringLiteral("hidden|放弃|修改|0001"));
}

void UserAccountsTest::deletingUsers()
{
    TestFolder t;
    t.loginAsAdmin();
    addUser(t, "张三", "1", t.defaultAccountSet());
    UserAccountWindow w(t.context);
    w.show();

    // Nothing selected: nothing happens.
    press(w, 2);
    QVERIFY(t.prompt.shown.isEmpty());
    QCOMPARE(userCount(t), 2);

    // The logged-in user can go; the session goes on.
    clickRow(w, 1);
    t.prompt.answers << Prompt::Answer::Ok;
    press(w, 2);
    QCOMPARE(t.prompt.last().text, QStringLiteral("确定删除选定的信息吗?"));
    QCOMPARE(t.prompt.last().title, QStringLiteral("提示"));
    QCOMPARE(t.prompt.last().icon, Prompt::Icon::Question);
    QCOMPARE(t.prompt.last().buttons, Prompt::Buttons::OkCancel);
    QCOMPARE(userCount(t), 1);
    QCOMPARE(w.userList()->rowCount(), 1);
    QCOMPARE(mode(w), QStringLiteral("list|添加账号|修改|1110"));
    QCOMPARE(t.session.CurrentUserName, QStringLiteral("admin"));

    // The last one cannot go.
    clickRow(w, 0);
    t.prompt.answers << Prompt::Answer::Ok;
    press(w, 2);
    QCOMPARE(t.prompt.last().text, QStringLiteral("不能删除最后一个用户帐号，否则将没有人能够登录！"));
    QCOMPARE(t.prompt.last().title, QStringLiteral("提示"));
    QCOMPARE(t.prompt.last().icon, Prompt::Icon::Information);
    QCOMPARE(userCount(t), 1);
    QCOMPARE(w.userList()->rowCount(), 1);
}

void UserAccountsTest::accountSetChangesAtTheNextLogin()
{
    TestFolder t;
    t.loginAsAdmin();
    const int home = t.defaultAccountSet();
    const int shop = t.addAccountSet("小店");
    MainWindow main(t.context);
    main.show();

    bool acted = false;
    QTimer::singleShot(0, [&] {
        auto *w = qobject_cast<UserAccountWindow *>(QApplication::activeModalWidget());
        QVERIFY(w);
        QCOMPARE(w->parentWidget(), &main);
        clickRow(*w, 0);
        press(*w, 1);
        combo(*w)->setCurrentIndex(combo(*w)->findData(shop));
        press(*w, 3);
        QCOMPARE(w->userList()->cell(0, 4), QStringLiteral("小店"));
        acted = true;
        w->close();
    });
    main.commands().action(Command::UserAccounts)->trigger();
    QVERIFY(acted);
    QCOMPARE(t.session.CurrentAccountSetId, home);
    QCOMPARE(Users(t.data).login("admin", "admin")->accountSetId, shop);
}

TALLYRA_TEST(UserAccountsTest)
#include "tst_user_accounts.moc"
