// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/app_context.h"
#include "ui/icons.h"

#include <QAction>
#include <QKeyCombination>
#include <QObject>
#include <QWidget>

#include <optional>
#include <span>
#include <vector>

// Every command of the main window's menus and toolbar, named by what it does. Windows
// and commands objects reach a command by its id, never by its caption.
enum class Command {
    // 系统设置(&S)
    Logout, UserAccounts, Settings, FinanceSummary, Backup, Restore, Compact, Passphrase, Exit,
    // 查看(&C)
    LargeIcons, SmallIcons, ListMode, Details, RefreshView, GridLines, ListFont, BackgroundColour,
    BackgroundPicture, DefaultAppearance, AccountsPane,
    // 财务管理(&B)
    AddEntry, AddTransfer, ModifyEntry, DeleteEntry, DeleteAll, RecycleBin, Import, Export, Print, Refresh, Reports,
    Budgets, Recurring, Accounts, FindTransfers, Reconcile,
    // 管理工具(&A)
    PasswordBox, Diary, AddressBook,
    // 帮助(&P)
    Help, About, WebSite, CommunicationCentre,
    // Only on the toolbar.
    Catalogue, Calculator,
};

// The menus of the menu bar, in their order.
enum class Menu { None, System, View, Finance, Tools, Help };

// One row of the command table: where the command shows and how it is reached.
struct CommandRow {
    Command command;
    Menu menu = Menu::None;
    const char *caption = "";                 // in its menu, or of its button when it has no menu
    bool lineBefore = false;                  // a separator line above it in its menu
    std::optional<Icons::Glyph> icon = {};    // its picture in the menu
    QKeyCombination keys = Qt::Key_unknown;   // its shortcut, shown in the menu
    bool keysOnFocus = false;                 // the shortcut works only where the focused list takes it
    enum Tick { NoTick, Tickable, OneOf } tick = NoTick;  // OneOf: one of the rows next to it
    const char *name = nullptr;               // objectName of the menu item
    int toolbar = 0;                          // place on the toolbar, from 1; 0 for none
    const char *button = nullptr;             // the toolbar button's caption
    Icons::Glyph buttonIcon = Icons::Glyph::App;
};

// The actions of the command table, owned by the window that shows them: one per command,
// and for a command on the toolbar a button of its own that triggers it. The shell lays
// them out in its menus and toolbar; each subsystem connects itself to the commands it
// serves.
class Commands : public QObject {
public:
    explicit Commands(QObject *owner);

    static std::span<const CommandRow> table();
    // "系统设置(&S)", ...
    static QString menuTitle(Menu menu);

    QAction *action(Command command) const;
    // The command's toolbar button; nullptr when it has none.
    QAction *button(Command command) const;
    // The toolbar buttons in their order.
    std::vector<QAction *> buttons() const;

    // Runs slot (a member of receiver, or a function) whenever the command is given.
    template <typename Receiver, typename Slot> void on(Command command, const Receiver *receiver, Slot slot)
    {
        connect(action(command), &QAction::triggered, receiver, slot);
    }
    // A command that opens a modal window of its own, made afresh each time and owned by
    // the owner: Window(context, owner).
    template <typename Window> void opens(Command command, QWidget *owner, const AppContext &context)
    {
        on(command, owner, [owner, context] {
            Window window(context, owner);
            window.exec();
        });
    }

private:
    std::vector<QAction *> actions_;  // by command
    std::vector<QAction *> buttons_;  // by command; nullptr where none
};
