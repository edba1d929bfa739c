// SPDX-License-Identifier: GPL-3.0-or-later
#include "contacts/address_book.h"
#include "support/test_folder.h"

#include <QtTest>

#include "support/test_main.h"

namespace {

Contact person(const QString &name, const QString &mobile = QString(), const QString &birthday = QString())
{
    Contact c;
    c.t[0] = name;
    c.t[1] = mobile;
    c.t[Contact::Birthday] = birthday;
    return c;
}

QString columnOf(TestFolder &t, qint64 id, const QString &column)
{
    Statement st = t.data.query(QStringLiteral("select %1 from tongxilu where id=?").arg(column), {id});
    return st.step() ? st.text(0) : QStringLiteral("<none>");
}

} // namespace

class AddressBookTest : public QObject {
    Q_OBJECT
private slots:
    void groupKeysStayUniqueWithinOneSecond();
    void groupsRenameIconAndDelete();
    void contactsAreListedByTheirOwnGroupNewestFirst();
    void listRowsShowTheElevenColumns();
    void modifyKeepsGroupAndColumnOrder();
    void valuesArriveAsTyped();
    void birthdayTexts();
};

void AddressBookTest::groupKeysStayUniqueWithinOneSecond()
{
    TestFolder t;
    AddressBook book(t.data);
    const QDateTime now(QDate(2006, 12, 7), QTime(15, 30, 5));
    const QString first = book.addGroup(QStringLiteral("同学"), QStringLiteral("0"), now);
    const QString second = book.addGroup(QStringLiteral("同事"), QStringLiteral("0"), now);
    const QString third = book.addGroup(QStringLiteral("朋友"), first, now);
    QCOMPARE(first, QStringLiteral("20061207153005_"));
    QCOMPARE(second, QStringLiteral("20061207153006_"));
    QCOMPARE(third, QStringLiteral("20061207153007_"));

    Statement st = t.data.query(
        QStringLiteral("select key_1, parent, class, content, images from mulu where key_1=?"), {third});
    QVERIFY(st.step());
    QCOMPARE(st.text(1), first);
    QCOMPARE(st.text(2), QStringLiteral("同学录"));
    QCOMPARE(st.text(3), QStringLiteral("朋友"));
    QCOMPARE(st.text(4), QStringLiteral("2"));

    const std::vector<ContactGroup> groups = book.groups();
    QCOMPARE(groups.size(), size_t(3));
    QCOMPARE(groups[0].key, first);
    QCOMPARE(groups[2].parent, first);
    QCOMPARE(groups[2].image, 2);
}

void AddressBookTest::groupsRenameIconAndDelete()
{
    TestFolder t;
    AddressBook book(t.data);
    const QString group = book.addGroup(QStringLiteral("同学"), QStringLiteral("0"));
    const QString sub = book.addGroup(QStringLiteral("大学"), group);
    const qint64 filed = book.addContact(person(QStringLiteral("张三")), group);

    QVERIFY(book.renameGroup(group, QStringLiteral("老同学's")));
    QVERIFY(book.setGroupIcon(group, 17));
    std::vector<ContactGroup> groups = book.groups();
    QCOMPARE(groups[0].name, QStringLiteral("老同学's"));
    QCOMPARE(groups[0].image, 17);

    // Only the group's own row goes: its contact stays filed under its key, its
    // sub-group keeps its row, and the contact is still listed under all contacts.
    QVERIFY(book.deleteGroup(group));
    groups = book.groups();
    QCOMPARE(groups.size(), size_t(1));
    QCOMPARE(groups[0].key, sub);
    QCOMPARE(columnOf(t, filed, QStringLiteral("t_20")), group);
    QCOMPARE(book.LoadData(AddressBook::allKey()).size(), size_t(1));

    // A catalogue row of another class with the same key is not a group.
    t.data.exec(QStringLiteral("insert into mulu (key_1, parent, class, content) values ('x1_', '0', '经手人', '我')"));
    QVERIFY(!book.deleteGroup(QStringLiteral("x1_")));
    QVERIFY(!book.renameGroup(QStringLiteral("x1_"), QStringLiteral("他")));
}

void AddressBookTest::contactsAreListedByTheirOwnGroupNewestFirst()
{
    TestFolder t;
    AddressBook book(t.data);
    const QString group = book.addGroup(QStringLiteral("同学"), QStringLiteral("0"));
    const QString sub = book.addGroup(QStringLiteral("大学"), group);
    const qint64 a = book.addContact(person(QStringLiteral("甲")), group);
    const qint64 b = book.addContact(person(QStringLiteral("乙")), sub);
    const qint64 c = book.addContact(person(QStringLiteral("丙")), group);

    std::vector<RecordRow> rows = book.LoadData(group);
    QCOMPARE(rows.size(), size_t(2));
    QCOMPARE(rows[0].cell(0).toString(), QStringLiteral("丙"));
    QCOMPARE(rows[0].cell(1).toString(), QString::number(c));
    QCOMPARE(rows[1].cell(1).toString(), QString::number(a));
    QCOMPARE(rows[0].icon, AddressBook::ContactIcon);

    rows = book.LoadData(AddressBook::allKey());
    QCOMPARE(rows.size(), size_t(3));
    QCOMPARE(rows[1].cell(1).toString(), QString::number(b));
    QVERIFY(book.LoadData(QStringLiteral("nosuch_")).empty());

    QVERIFY(book.moveContact(b, group));
    QCOMPARE(book.LoadData(group).size(), size_t(3));
    QVERIFY(book.LoadData(sub).empty());
    QVERIFY(book.deleteContact(a));
    QVERIFY(!book.deleteContact(a));
    QCOMPARE(book.LoadData(group).size(), size_t(2));
    QVERIFY(!book.moveContact(a, sub));
}

void AddressBookTest::listRowsShowTheElevenColumns()
{
    TestFolder t;
    AddressBook book(t.data);
    Contact c;
    for (int i = 0; i < 17; ++i)
        c.t[size_t(i)] = QStringLiteral("v%1").arg(i);
    c.t[Contact::Sex] = QStringLiteral("女");
    c.t[Contact::Calendar] = QStringLiteral("农历");
    c.t[Contact::Birthday] = QStringLiteral("1980-02-29");
    const qint64 id = book.addContact(c, QStringLiteral("g_"));
    // Birthdays stored in another form are shown as dates; text that is no date as it is.
    book.addContact(person(QStringLiteral("旧"), {}, QStringLiteral("1975/3/5")), QStringLiteral("g_"));
    book.addContact(person(QStringLiteral("怪"), {}, QStringLiteral("春天")), QStringLiteral("g_"));
    book.addContact(person(QStringLiteral("空")), QStringLiteral("g_"));

    const std::vector<RecordRow> rows = book.LoadData(QStringLiteral("g_"));
    QCOMPARE(rows.size(), size_t(4));
    const QStringList expected{QStringLiteral("v0"), QString::number(id), QStringLiteral("女"),
                               QStringLiteral("1980-02-29"), QStringLiteral("v1"), QStringLiteral("v4"),
                               QStringLiteral("v10"), QStringLiteral("v11"), QStringLiteral("v12"),
                               QStringLiteral("v6"), QStringLiteral("v8")};
    QCOMPARE(rows[3].cellCount(), 11);
    for (int col = 0; col < 11; ++col)
        QCOMPARE(rows[3].cell(col).toString(), expected[col]);
    QCOMPARE(rows[2].cell(3).toString(), QStringLiteral("1975-03-05"));
    QCOMPARE(rows[1].cell(3).toString(), QStringLiteral("春天"));
    QCOMPARE(rows[0].cell(3).toString(), QString());
    QCOMPARE(AddressBook::columns().size(), 11);
    QCOMPARE(AddressBook::columns()[1].twips, 0);
}

void AddressBookTest::modifyKeepsGroupAndColumnOrder()
{
    TestFolder t;
    AddressBook book(t.data);
    const qint64 id = book.addContact(person(QStringLiteral("张三"), QStringLiteral("138")), QStringLiteral("g1_"));
    Contact changed;
    for (int i = 0; i < 20; ++i)
        changed.t[size_t(i)] = QStringLiteral("n%1").arg(i);
    changed.t[Contact::Group] = QStringLiteral("elsewhere_");
    QVERIFY(book.modifyContact(id, changed));
    QVERIFY(t.data.SqlText().contains(QStringLiteral("t_18=?, t_19=? where id=?")));
    const std::optional<Contact> stored = book.contact(id);
    QVERIFY(stored);
    for (int i = 0; i < 20; ++i)
        QCOMPARE(stored->t[size_t(i)], QStringLiteral("n%1").arg(i));
    QCOMPARE(stored->t[Contact::Group], QStringLiteral("g1_"));
    QVERIFY(!book.modifyContact(id + 100, changed));
    QVERIFY(!book.contact(id + 100));
}

void AddressBookTest::valuesArriveAsTyped()
{
    TestFolder t;
    AddressBook book(t.data);
    const QString name = QStringLiteral("O'Neil \"Bob\" 张,三");
    const QString group = book.addGroup(QStringLiteral("it's"), QStringLiteral("0"));
    const qint64 id = book.addContact(person(name, QStringLiteral("' or 1=1 --")), group);
    QCOMPARE(book.contact(id)->t[0], name);
    QCOMPARE(book.contact(id)->t[1], QStringLiteral("' or 1=1 --"));
    QCOMPARE(book.LoadData(group).size(), size_t(1));
    QCOMPARE(book.groups()[0].name, QStringLiteral("it's"));
}

void AddressBookTest::birthdayTexts()
{
    QCOMPARE(AddressBook::birthdayText(u"2008年3月5日"), QStringLiteral("2008-03-05"));
    QCOMPARE(AddressBook::birthdayText(u"不详"), QStringLiteral("不详"));
    QCOMPARE(AddressBook::storedBirthday(u"2008/03/05 00:00:00"), std::optional<QString>(QStringLiteral("2008-03-05")));
    QCOMPARE(AddressBook::storedBirthday(u"  "), std::optional<QString>(QStringLiteral("")));
    QVERIFY(!AddressBook::storedBirthday(u"2008-02-30"));
    QVERIFY(!AddressBook::storedBirthday(u"不详"));
}

TALLYRA_TEST(AddressBookTest)
#include "tst_address_book.moc"
