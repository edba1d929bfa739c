// SPDX-License-Identifier: GPL-3.0-or-later
#include "accounts/accounts_pane.h"

#include "accounts/account_list_model.h"
#include "accounts/account_sums.h"
#include "accounts/accounts_window.h"
#include "accounts/reconcile_window.h"
#include "accounts/transfer_pairs_window.h"
#include "ledger/entry_editor.h"
#include "ledger/ledger.h"
#include "ledger/transfers.h"
#include "store/data_file.h"
#include "store/session.h"
#include "ui/commands.h"
#include "ui/icons.h"
#include "ui/key_tree.h"
#include "ui/prompt.h"
#include "ui/record_list.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// How often the pane looks whether the data file changed.
constexpr int WatchMs = 400;

} // namespace

AccountsPane::AccountsPane(const AppContext &context, QWidget *parent) : QObject(parent), context_(context)
{
    balances_ = new QWidget(parent);
    balances_->setObjectName(QStringLiteral("AccountsPane"));
    auto *balancesLayout = new QVBoxLayout(balances_);
    balancesLayout->setContentsMargins(4, 4, 4, 4);
    tree_ = new QTreeWidget(balances_);
    tree_->setObjectName(QStringLiteral("AccountTree"));
    tree_->setAccessibleName(QStringLiteral("账户"));
    tree_->setColumnCount(2);
    tree_->setHeaderLabels({QStringLiteral("账户"), QStringLiteral("余额")});
    tree_->header()->setStretchLastSection(false);
    tree_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    tree_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    tree_->setRootIsDecorated(true);
    worth_ = new QLabel(balances_);
    worth_->setObjectName(QStringLiteral("NetWorth"));
    worth_->setWordWrap(true);
    balancesLayout->addWidget(tree_, 1);
    balancesLayout->addWidget(worth_);

    rowsPart_ = new QWidget(parent);
    rowsPart_->setObjectName(QStringLiteral("AccountRowsPane"));
    auto *rowsLayout = new QVBoxLayout(rowsPart_);
    rowsLayout->setContentsMargins(4, 4, 4, 4);
    auto *top = new QHBoxLayout;
    caption_ = new QLabel(QStringLiteral("请在“账户”中选择一个账户。"), rowsPart_);
    caption_->setObjectName(QStringLiteral("AccountCaption"));
    auto *modify = new QPushButton(QStringLiteral("修改"), rowsPart_);
    modify->setObjectName(QStringLiteral("ModifyRow"));
    auto *remove = new QPushButton(QStringLiteral("删除"), rowsPart_);
    remove->setObjectName(QStringLiteral("DeleteRow"));
    auto *reconcile = new QPushButton(QStringLiteral("对账..."), rowsPart_);
    reconcile->setObjectName(QStringLiteral("ReconcileAccount"));
    top->addWidget(caption_, 1);
    for (QPushButton *button : {modify, remove, reconcile}) {
        button->setAutoDefault(false);
        top->addWidget(button);
    }
    list_ = new RecordList(rowsPart_);
    list_->setObjectName(QStringLiteral("AccountList"));
    list_->setAccessibleName(QStringLiteral("账户明细"));
    rows_ = new AccountListModel(context_.data, this);
    rows_->setImageList(Icons::ledgerImages());
    list_->setImageList(Icons::ledgerImages());
    list_->setColumns(AccountList::columns());
    list_->setModel(rows_);
    list_->setViewMode(RecordList::Details);
    list_->setGridLines(true);
    rowsLayout->addLayout(top);
    rowsLayout->addWidget(list_, 1);

    // Delete deletes the row where the list has the focus.
    auto *deleteKey = new QAction(list_);
    deleteKey->setShortcut(Qt::Key_Delete);
    deleteKey->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    list_->addAction(deleteKey);
    connect(deleteKey, &QAction::triggered, this, &AccountsPane::deleteSelected);

    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (item && item->parent())
            showAccount(KeyTree::key(item));
    });
    connect(list_, &RecordList::doubleClicked, this, &AccountsPane::modifySelected);
    connect(modify, &QPushButton::clicked, this, &AccountsPane::modifySelected);
    connect(remove, &QPushButton::clicked, this, &AccountsPane::deleteSelected);
    connect(reconcile, &QPushButton::clicked, this, &AccountsPane::openReconcile);

    watch_ = new QTimer(this);
    watch_->setInterval(WatchMs);
    connect(watch_, &QTimer::timeout, this, &AccountsPane::reloadIfChanged);
    watch_->start();
}

QWidget *AccountsPane::window() const { return balances_->window(); }

void AccountsPane::serve(Commands &commands)
{
    commands.on(Command::Accounts, this, &AccountsPane::openAccounts);
    commands.on(Command::FindTransfers, this, &AccountsPane::openPairs);
    commands.on(Command::Reconcile, this, &AccountsPane::openReconcile);
}

void AccountsPane::reloadIfChanged()
{
    if (!balances_->isVisible() && !rowsPart_->isVisible())
        return;
    if (context_.data.changedSince(seen_))
        reload();
}

void AccountsPane::reload()
{
    const int set = context_.session.CurrentAccountSetId;
    std::vector<AccountBalance> balances;
    bool waiting = false;
    try {
        // An older file's accounts are counted in the background: the balances wait for
        // that rather than count a million entries here.
        waiting = context_.data.sumsBuiltElsewhere() && AccountSums(context_.data).building(set);
        if (!waiting)
            balances = Accounts(context_.data).balances(set, QDate::currentDate());
    } catch (const StoreError &) {
        balances.clear();  // an unreadable file shows no accounts
    }
    seen_ = context_.data.changeMark();
    if (waiting) {
        tree_->clear();
        worth_->setText(QStringLiteral("正在后台计算账户余额..."));
        return;
    }

    const QSignalBlocker quiet(tree_);
    tree_->clear();
    std::vector<AccountBalance> open;
    for (const QString &kind : Accounts::kinds()) {
        QTreeWidgetItem *group = nullptr;
        Money sum;
        for (const AccountBalance &b : balances) {
            if (b.account.closed || b.account.kind != kind)
                continue;
            if (!group)
                group = KeyTree::add(tree_, kind, QString());
            QTreeWidgetItem *item = KeyTree::add(group, b.account.name, b.account.name);
            item->setText(1, b.balance().grouped());
            item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
            sum += b.balance();
            open.push_back(b);
        }
        if (group) {
            group->setText(1, sum.grouped());
            group->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
            group->setExpanded(true);
        }
    }
    const NetWorth worth = Accounts::worth(open);
    worth_->setText(QStringLiteral("资产：%1\n负债：%2\n净资产：%3")
                        .arg(worth.assets.grouped(), worth.debts.grouped(), worth.net().grouped()));
    if (QTreeWidgetItem *item = KeyTree::find(tree_, shown_); item && !shown_.isEmpty())
        tree_->setCurrentItem(item);
    if (!shown_.isEmpty())
        showAccount(shown_);
}

void AccountsPane::showAccount(const QString &name)
{
    const int set = context_.session.CurrentAccountSetId;
    const bool same = name == shown_;
    const int row = same ? list_->selectedRow() : -1;
    shown_ = name;
    std::optional<Account> account;
    try {
        account = Accounts(context_.data).byName(set, name);
        if (account)
            rows_->setAccount(set, *account);
        else
            rows_->clear();
    } catch (const StoreError &) {
        rows_->clear();
    }
    if (!account) {
        caption_->setText(QStringLiteral("没有名为“%1”的账户。").arg(name));
        return;
    }
    const AccountList *list = rows_->list();
    caption_->setText(QStringLiteral("%1（%2）  余额：%3 元  共：%4 条记录")
                          .arg(account->name, account->kind, list ? list->balance().grouped() : QString())
                          .arg(list ? list->count() : 0));
    if (row >= 0 && row < list_->rowCount())
        list_->selectRow(row);
    if (!same)
        emit rowsWanted();
}

QString AccountsPane::netWorthText() const { return worth_->text(); }

QString AccountsPane::captionText() const { return caption_->text(); }

QString AccountsPane::balanceText(const QString &account) const
{
    for (int i = 0; i < tree_->topLevelItemCount(); ++i)
        for (int j = 0; j < tree_->topLevelItem(i)->childCount(); ++j)
            if (QTreeWidgetItem *item = tree_->topLevelItem(i)->child(j); KeyTree::key(item) == account)
                return item->text(1);
    return QString();
}

void AccountsPane::openAccounts()
{
    AccountsWindow accounts(context_, window());
    accounts.exec();
    reload();
}

void AccountsPane::openPairs()
{
    TransferPairsWindow pairs(context_, window());
    connect(&pairs, &TransferPairsWindow::converted, this, &AccountsPane::afterChange);
    pairs.exec();
}

void AccountsPane::openReconcile()
{
    ReconcileWindow reconcile(context_, window(), shown_);
    reconcile.exec();
    reload();
}

std::optional<AccountRow> AccountsPane::selectedRow()
{
    const int row = list_->selectedRow();
    std::optional<AccountRow> found = row >= 0 ? rows_->accountRowAt(row) : std::nullopt;
    if (!found)
        context_.prompt.information(window(), QStringLiteral("提示"), QStringLiteral("请选择记录！"));
    return found;
}

void AccountsPane::afterChange()
{
    reload();
    emit changed();
}

void AccountsPane::modifySelected()
{
    const std::optional<AccountRow> row = selectedRow();
    if (!row)
        return;
    EntryEditor editor(context_, window());
    connect(&editor, &EntryEditor::modified, this, &AccountsPane::afterChange);
    connect(&editor, &EntryEditor::transferSaved, this, &AccountsPane::afterChange);
    const bool open = row->source == AccountRow::Transfer ? editor.openForModifyingTransfer(row->id)
                                                          : editor.openForModifying(row->id);
    if (open)
        editor.exec();
}

void AccountsPane::deleteSelected()
{
    const std::optional<AccountRow> row = selectedRow();
    if (!row)
        return;
    const bool transfer = row->source == AccountRow::Transfer;
    QString question = transfer ? QStringLiteral("确定删除这笔转账吗？转出和转入两方（连同手续费）一起删除，"
                                                 "可以从回收站还原。")
                                : QStringLiteral("确定删除选定的信息吗?");
    if (!row->checked.isEmpty())
        question = QStringLiteral("这条记录已经与%1的对账单核对过（已核对），删除后对账将不再相符。确实要删除吗？")
                       .arg(row->checked);
    if (context_.prompt.message(window(), Prompt::Icon::Question, QStringLiteral("问题"), question,
                                Prompt::Buttons::YesNo, Prompt::Answer::No) != Prompt::Answer::Yes)
        return;
    bool deleted = false;
    if (!context_.prompt.attempt(window(), [&] {
            deleted = transfer ? Transfers(context_.data).discard(row->id) : Ledger(context_.data).deleteEntry(row->id);
        }))
        return;
    if (!deleted)
        context_.prompt.information(window(), QStringLiteral("提示"), QStringLiteral("这条记录已经不存在！"));
    afterChange();
}
