// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/commands.h"

#include <QSet>
#include <QtTest>

#include "support/test_main.h"

class CommandsTest : public QObject {
    Q_OBJECT
private slots:
    void oneActionPerRowAndButtonsTriggerTheirCommand();
};

void CommandsTest::oneActionPerRowAndButtonsTriggerTheirCommand()
{
    QObject owner;
    Commands commands(&owner);
    QSet<int> seen;
    QList<int> places;
    for (const CommandRow &row : Commands::table()) {
        QVERIFY2(!seen.contains(int(row.command)), row.caption);
        seen.insert(int(row.command));
        QAction *action = commands.action(row.command);
        QCOMPARE(action->text(), QString::fromUtf8(row.caption));
        QCOMPARE(action->shortcutContext(), row.keysOnFocus ? Qt::WidgetShortcut : Qt::WindowShortcut);
        QCOMPARE(commands.button(row.command) != nullptr, row.toolbar > 0);
        // The toolbar takes no keyboard focus: every command is in a menu, where the keys reach it.
        QVERIFY2(row.menu != Menu::None, row.caption);
        if (row.toolbar > 0)
            places << row.toolbar;
    }
    // The toolbar's places are 1, 2, ... without a gap, and buttons() follows them.
    std::sort(places.begin(), places.end());
    for (int i = 0; i < places.size(); ++i)
        QCOMPARE(places[i], i + 1);
    QCOMPARE(commands.buttons().size(), size_t(places.size()));
    QCOMPARE(commands.buttons().front(), commands.button(Command::Logout));

    // A button has its own caption and triggers its command once.
    int added = 0;
    commands.on(Command::AddEntry, &owner, [&] { ++added; });
    QCOMPARE(commands.button(Command::AddEntry)->text(), QStringLiteral("添加"));
    commands.button(Command::AddEntry)->trigger();
    commands.action(Command::AddEntry)->trigger();
    QCOMPARE(added, 2);

    // The view modes are ticked one at a time; the grid lines on their own.
    commands.action(Command::SmallIcons)->trigger();
    commands.action(Command::Details)->trigger();
    commands.action(Command::GridLines)->trigger();
    QVERIFY(!commands.action(Command::SmallIcons)->isChecked());
    QVERIFY(commands.action(Command::Details)->isChecked());
    QVERIFY(commands.action(Command::GridLines)->isChecked());
}

TALLYRA_TEST(CommandsTest)
#include "tst_commands.moc"
