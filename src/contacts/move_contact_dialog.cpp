// SPDX-License-Identifier: GPL-3.0-or-later
#include "contacts/move_contact_dialog.h"

#include "contacts/address_book.h"
#include "contacts/group_tree.h"
#include "store/sqlite_db.h"
#include "ui/key_tree.h"
#include "ui/prompt.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

MoveContactDialog::MoveContactDialog(const AppContext &context, qint64 contactId, QWidget *parent)
    : QDialog(parent), context_(context), contactId_(contactId)
{
    setObjectName(QStringLiteral("Form27"));
    setWindowTitle(QStringLiteral("请选择分组"));
    auto *layout = new QVBoxLayout(this);
    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("TreeView1"));
    tree_->setHeaderHidden(true);
    tree_->setMinimumSize(220, 260);
    layout->addWidget(tree_, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    buttons->addWidget(ok);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &MoveContactDialog::confirm);
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, &MoveContactDialog::confirm);
    LoadTreeView();
}

void MoveContactDialog::LoadTreeView()
{
    std::vector<ContactGroup> groups;
    try {
        groups = AddressBook(context_.data).groups();
    } catch (const StoreError &) {
        groups.clear();
    }
    GroupTree::fill(tree_, groups, false);
    tree_->setCurrentItem(nullptr);
    tree_->clearSelection();
}

bool MoveContactDialog::EditData()
{
    const QList<QTreeWidgetItem *> selected = tree_->selectedItems();
    const QString key = selected.isEmpty() ? QString() : KeyTree::key(selected.first());
    if (key.isEmpty()) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("请选择分组！"));
        return false;
    }
    if (!context_.prompt.onRecord(this, QStringLiteral("提示"), QStringLiteral("该记录已不存在！"),
                                  [&] { return AddressBook(context_.data).moveContact(contactId_, key); }))
        return false;
    emit moved(key);
    return true;
}

void MoveContactDialog::confirm()
{
    if (EditData())
        accept();
}
