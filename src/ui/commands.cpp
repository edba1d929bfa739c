// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/commands.h"

#include <QActionGroup>

#include <algorithm>

using Icons::Glyph;

namespace {

using enum Command;
constexpr auto OneOf = CommandRow::OneOf;
constexpr auto Tickable = CommandRow::Tickable;

// The menus in their order, each command in its menu's order, and the toolbar's places.
// A command that a menu item and a toolbar button share is one row: the button has a
// caption (and a picture) of its own and triggers the same command.
const CommandRow Table[] = {
    {.command = Logout, .menu = Menu::System, .caption = "注销/切换用户", .icon = Glyph::Logout,
     .toolbar = 1, .button = "注销", .buttonIcon = Glyph::Logout},
    {.command = UserAccounts, .menu = Menu::System, .caption = "帐号管理", .icon = Glyph::User},
    // The toolbar's catalogue and calculator are in the menus too, for the keyboard.
    {.command = Catalogue, .menu = Menu::System, .caption = "软件设置...", .icon = Glyph::Settings, .toolbar = 2,
     .button = "软件设置", .buttonIcon = Glyph::Settings},
    {.command = Settings, .menu = Menu::System, .caption = "系统设置", .lineBefore = true, .icon = Glyph::Settings},
    {.command = FinanceSummary, .menu = Menu::System, .caption = "财务统计"},
    {.command = Backup, .menu = Menu::System, .caption = "备份数据", .lineBefore = true, .icon = Glyph::Backup,
     .keys = Qt::CTRL | Qt::Key_B, .toolbar = 11, .button = "备份", .buttonIcon = Glyph::Backup},
    {.command = Restore, .menu = Menu::System, .caption = "还原数据"},
    {.command = Compact, .menu = Menu::System, .caption = "数据压缩"},
    {.command = Passphrase, .menu = Menu::System, .caption = "数据文件密码"},
    {.command = Exit, .menu = Menu::System, .caption = "退    出", .lineBefore = true, .icon = Glyph::Exit,
     .keys = Qt::CTRL | Qt::Key_Q, .toolbar = 14, .button = "退出", .buttonIcon = Glyph::Exit},

    {.command = LargeIcons, .menu = Menu::View, .caption = "大图标", .tick = OneOf},
    {.command = SmallIcons, .menu = Menu::View, .caption = "小图标", .tick = OneOf},
    {.command = ListMode, .menu = Menu::View, .caption = "列表", .tick = OneOf},
    {.command = Details, .menu = Menu::View, .caption = "详细信息", .tick = OneOf},
    {.command = RefreshView, .menu = Menu::View, .caption = "刷新", .lineBefore = true, .icon = Glyph::Refresh},
    {.command = GridLines, .menu = Menu::View, .caption = "显示网格", .tick = Tickable},
    {.command = ListFont, .menu = Menu::View, .caption = "字体", .lineBefore = true},
    {.command = BackgroundColour, .menu = Menu::View, .caption = "背景颜色"},
    {.command = BackgroundPicture, .menu = Menu::View, .caption = "背景图像"},
    {.command = DefaultAppearance, .menu = Menu::View, .caption = "还原为默认"},
    {.command = AccountsPane, .menu = Menu::View, .caption = "账户", .lineBefore = true,
     .keys = Qt::CTRL | Qt::SHIFT | Qt::Key_A, .tick = Tickable},

    // Enter opens a list's row only where the list has the focus (the list takes the key
    // itself, so that Enter still works in the fields); Delete in a field deletes text.
    {.command = AddEntry, .menu = Menu::Finance, .caption = "添  加", .icon = Glyph::Add,
     .keys = Qt::CTRL | Qt::Key_N, .toolbar = 3, .button = "添加", .buttonIcon = Glyph::Add},
    {.command = AddTransfer, .menu = Menu::Finance, .caption = "转账...", .icon = Glyph::Transfer,
     .keys = Qt::CTRL | Qt::Key_T},
    {.command = ModifyEntry, .menu = Menu::Finance, .caption = "修  改", .lineBefore = true, .icon = Glyph::Edit,
     .keys = Qt::Key_Return, .keysOnFocus = true, .toolbar = 4, .button = "修改", .buttonIcon = Glyph::Edit},
    {.command = DeleteEntry, .menu = Menu::Finance, .caption = "删  除", .icon = Glyph::Delete,
     .keys = Qt::Key_Delete, .toolbar = 5, .button = "删除", .buttonIcon = Glyph::Delete},
    {.command = DeleteAll, .menu = Menu::Finance, .caption = "删除全部"},
    {.command = RecycleBin, .menu = Menu::Finance, .caption = "回收站"},
    {.command = Import, .menu = Menu::Finance, .caption = "导入...", .icon = Glyph::Import,
     .keys = Qt::CTRL | Qt::Key_I, .toolbar = 7, .button = "导入", .buttonIcon = Glyph::Import},
    {.command = Export, .menu = Menu::Finance, .caption = "导出...", .icon = Glyph::Export,
     .keys = Qt::CTRL | Qt::Key_E, .toolbar = 8, .button = "导出", .buttonIcon = Glyph::Export},
    {.command = Print, .menu = Menu::Finance, .caption = "打印...", .icon = Glyph::Print,
     .keys = Qt::CTRL | Qt::Key_P, .toolbar = 9, .button = "打印", .buttonIcon = Glyph::Print},
    {.command = Refresh, .menu = Menu::Finance, .caption = "刷 新", .lineBefore = true, .icon = Glyph::Refresh,
     .keys = Qt::Key_F5, .toolbar = 6, .button = "刷新", .buttonIcon = Glyph::Refresh},
    {.command = Reports, .menu = Menu::Finance, .caption = "收支报表"},
    {.command = Budgets, .menu = Menu::Finance, .caption = "预算..."},
    {.command = Recurring, .menu = Menu::Finance, .caption = "周期记账..."},
    {.command = Accounts, .menu = Menu::Finance, .caption = "账户...", .lineBefore = true,
     .keys = Qt::CTRL | Qt::SHIFT | Qt::Key_U},
    {.command = FindTransfers, .menu = Menu::Finance, .caption = "查找转账..."},
    {.command = Reconcile, .menu = Menu::Finance, .caption = "对账...", .keys = Qt::CTRL | Qt::SHIFT | Qt::Key_R},

    {.command = PasswordBox, .menu = Menu::Tools, .caption = "密码箱管理", .icon = Glyph::Key},
    {.command = Diary, .menu = Menu::Tools, .caption = "日记管理", .icon = Glyph::Book},
    {.command = AddressBook, .menu = Menu::Tools, .caption = "通信薄", .icon = Glyph::Contact},
    {.command = Calculator, .menu = Menu::Tools, .caption = "计算器...", .lineBefore = true,
     .icon = Glyph::Calculator, .toolbar = 10, .button = "计算器", .buttonIcon = Glyph::Calculator},

    {.command = Help, .menu = Menu::Help, .caption = "帮助文件...", .name = "help_1",
     .toolbar = 13, .button = "使用帮助", .buttonIcon = Glyph::Help},
    {.command = About, .menu = Menu::Help, .caption = "关于.......", .name = "help2"},
    {.command = WebSite, .menu = Menu::Help, .caption = "官方网站...", .name = "help5",
     .toolbar = 12, .button = "主页", .buttonIcon = Glyph::Home},
    {.command = CommunicationCentre, .menu = Menu::Help, .caption = "通信中心...", .name = "help6"},

};

} // namespace

std::span<const CommandRow> Commands::table() { return Table; }

QString Commands::menuTitle(Menu menu)
{
    switch (menu) {
    case Menu::System:
        return QStringLiteral("系统设置(&S)");
    case Menu::View:
        return QStringLiteral("查看(&C)");
    case Menu::Finance:
        return QStringLiteral("财务管理(&B)");
    case Menu::Tools:
        return QStringLiteral("管理工具(&A)");
    case Menu::Help:
        return QStringLiteral("帮助(&P)");
    case Menu::None:
        break;
    }
    return QString();
}

Commands::Commands(QObject *owner) : QObject(owner)
{
    size_t count = 0;
    for (const CommandRow &row : Table)
        count = std::max(count, size_t(row.command) + 1);
    actions_.resize(count, nullptr);
    buttons_.resize(count, nullptr);
    QActionGroup *group = nullptr;
    for (const CommandRow &row : Table) {
        auto *action = new QAction(QString::fromUtf8(row.caption), this);
        if (row.icon)
            action->setIcon(Icons::icon(*row.icon));
        if (row.keys.key() != Qt::Key_unknown) {
            action->setShortcut(row.keys);
            if (row.keysOnFocus)
                action->setShortcutContext(Qt::WidgetShortcut);
        }
        if (row.name)
            action->setObjectName(QString::fromLatin1(row.name));
        action->setCheckable(row.tick != CommandRow::NoTick);
        // Rows ticked one of several, next to each other, make one group.
        if (row.tick != CommandRow::OneOf) {
            group = nullptr;
        } else {
            if (!group) {
                group = new QActionGroup(this);
                group->setExclusive(true);
            }
            group->addAction(action);
        }
        actions_[size_t(row.command)] = action;
        if (row.toolbar > 0) {
            auto *button = new QAction(Icons::icon(row.buttonIcon), QString::fromUtf8(row.button), this);
            connect(button, &QAction::triggered, action, &QAction::trigger);
            buttons_[size_t(row.command)] = button;
        }
    }
}

QAction *Commands::action(Command command) const { return actions_.at(size_t(command)); }

QAction *Commands::button(Command command) const { return buttons_.at(size_t(command)); }

std::vector<QAction *> Commands::buttons() const
{
    std::vector<std::pair<int, QAction *>> placed;
    for (const CommandRow &row : Table)
        if (row.toolbar > 0)
            placed.emplace_back(row.toolbar, buttons_[size_t(row.command)]);
    std::sort(placed.begin(), placed.end());
    std::vector<QAction *> result;
    for (const auto &[place, button] : placed)
        result.push_back(button);
    return result;
}
