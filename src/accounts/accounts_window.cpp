// SPDX-License-Identifier: GPL-3.0-or-later
#include "accounts/accounts_window.h"

#include "accounts/account_dialog.h"
#include "accounts/accounts.h"
#include "accounts/button_row.h"
#include "store/data_file.h"
#include "store/session.h"
#include "ui/icons.h"
#include "ui/prompt.h"
#include "ui/record_list.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

AccountsWindow::AccountsWindow(const AppContext &context, QWidget *parent) : QDialog(parent), context_(context)
{
    setObjectName(QStringLiteral("AccountsWindow"));
    setWindowTitle(QStringLiteral("账户"));
    setWindowIcon(Icons::icon(Icons::Glyph::Transfer));
    setModal(true);
    resize(11000 / 15, 5000 / 15);

    list_ = new RecordList(this);
    list_->setObjectName(QStringLiteral("ListView1"));
    list_->setAccessibleName(QStringLiteral("账户"));
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    list_->setColumns({{QStringLiteral("账户"), 1500},
                       {QStringLiteral("id"), 0},
                       {QStringLiteral("类别"), 900},
                       {QStringLiteral("期初余额"), 1300, QStringLiteral("-12,345,678.99"), right},
                       {QStringLiteral("期初日期"), 1300, QStringLiteral("2008-01-05")},
                       {QStringLiteral("余额"), 1300, QStringLiteral("-12,345,678.99"), right},
                       {QStringLiteral("状态"), 700, QStringLiteral("已关闭")},
                       {QStringLiteral("备注"), 2000}});
    list_->setViewMode(RecordList::Details);
    list_->setGridLines(true);

    QList<QPushButton *> b;
    QHBoxLayout *buttons = buttonRow(this, {QStringLiteral("添加..."), QStringLiteral("修改..."), QStringLiteral("删除"),
                                            QStringLiteral("关闭")},
                                     b);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);

    connect(b[0], &QPushButton::clicked, this, &AccountsWindow::addAccount);
    connect(b[1], &QPushButton::clicked, this, &AccountsWindow::modifyAccount);
    connect(b[2], &QPushButton::clicked, this, &AccountsWindow::deleteAccount);
    connect(b[3], &QPushButton::clicked, this, &QDialog::accept);
    connect(list_, &RecordList::doubleClicked, this, &AccountsWindow::modifyAccount);
    LoadData();
}

void AccountsWindow::LoadData()
{
    std::vector<AccountBalance> balances;
    try {
        balances = Accounts(context_.data).balances(context_.session.CurrentAccountSetId, QDate::currentDate());
    } catch (const StoreError &) {
        balances.clear();
    }
    std::vector<RecordRow> rows;
    for (const AccountBalance &b : balances) {
        const Account &a = b.account;
        const QString id = QString::number(a.id), opening = a.opening.grouped(), balance = b.balance().grouped();
        const QString state = a.closed ? QStringLiteral("已关闭") : QString();
        rows.push_back(RecordRow({a.name, id, a.kind, opening, a.openingDate, balance, state, a.note}));
    }
    list_->setRows(std::move(rows));
}

std::optional<Account> AccountsWindow::selectedAccount()
{
    const QString name = list_->selectedRow() >= 0 ? list_->cell(list_->selectedRow(), 0) : QString();
    std::optional<std::optional<Account>> found;
    if (!name.isEmpty())
        found = context_.prompt.attempt(
            this, [&] { return Accounts(context_.data).byName(context_.session.CurrentAccountSetId, name); });
    if (!found || !*found) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("请选择账户！"));
        return std::nullopt;
    }
    return **found;
}

void AccountsWindow::addAccount() { edit(std::nullopt); }

void AccountsWindow::modifyAccount()
{
    if (const std::optional<Account> account = selectedAccount())
        edit(account);
}

void AccountsWindow::edit(const std::optional<Account> &account)
{
    AccountDialog dialog(context_, this, account);
    if (dialog.exec() == QDialog::Accepted)
        LoadData();
}

void AccountsWindow::deleteAccount()
{
    const std::optional<Account> account = selectedAccount();
    if (!account)
        return;
    Accounts accounts(context_.data);
    const std::optional<Accounts::Usage> usage = context_.prompt.attempt(this, [&] { return accounts.usage(account->name); });
    if (!usage)
        return;
    if (usage->total() == 0) {
        if (context_.prompt.message(this, Prompt::Icon::Question, QStringLiteral("问题"),
                                    QStringLiteral("确定删除账户“%1”吗？").arg(account->name), Prompt::Buttons::YesNo,
                                    Prompt::Answer::No) == Prompt::Answer::Yes &&
            context_.prompt.attempt(this, [&] { accounts.remove(account->id); }))
            LoadData();
        return;
    }
    const QString what = QStringLiteral("账户“%1”还有 %2 条记录（收支 %3 条，转账 %4 笔），不能删除。")
                             .arg(account->name)
                             .arg(usage->total())
                             .arg(usage->entries)
                             .arg(usage->transfers);
    const std::optional<std::vector<Account>> all =
        context_.prompt.attempt(this, [&] { return accounts.all(context_.session.CurrentAccountSetId); });
    if (!all)
        return;
    QStringList others;
    for (const Account &a : *all)
        if (a.id != account->id)
            others << a.name;
    if (others.isEmpty()) {
        context_.prompt.information(this, QStringLiteral("提示"), what);
        return;
    }
    if (context_.prompt.message(this, Prompt::Icon::Question, QStringLiteral("问题"),
                                what + QStringLiteral("\r\n要把这些记录移到另一个账户，再删除“%1”吗？").arg(account->name),
                                Prompt::Buttons::YesNo, Prompt::Answer::No) != Prompt::Answer::Yes)
        return;
    MergeAccountDialog choose(account->name, others, this);
    if (choose.exec() != QDialog::Accepted)
        return;
    const QString target = choose.target();
    const std::optional<qint64> between = context_.prompt.attempt(this, [&] { return accounts.transfersBetween(account->name, target); });
    if (!between)
        return;
    if (*between > 0) {
        context_.prompt.information(this, QStringLiteral("提示"),
                                    QStringLiteral("账户“%1”和“%2”之间有 %3 笔转账，不能合并。请先删除这些转账。")
                                        .arg(account->name, target)
                                        .arg(*between));
        return;
    }
    if (!context_.prompt.attempt(this, [&] { accounts.mergeInto(account->id, target); }))
        return;
    LoadData();
    context_.prompt.information(this, QStringLiteral("信息"),
                                QStringLiteral("已把 %1 条记录移到“%2”，账户“%3”已删除。")
                                    .arg(usage->total())
                                    .arg(target, account->name));
}
