// SPDX-License-Identifier: GPL-3.0-or-later
#include "contacts/add_group_dialog.h"

#include "store/sqlite_db.h"
#include "ui/prompt.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString SubGroupCaption = QStringLiteral("添加子分组");
}

AddGroupDialog::AddGroupDialog(const AppContext &context, const QString &currentKey, QWidget *parent)
    : QDialog(parent), context_(context), currentKey_(currentKey)
{
    setObjectName(QStringLiteral("Form23"));
    setWindowTitle(QStringLiteral("添加目录"));
    auto *layout = new QVBoxLayout(this);
    auto *frame = new QGroupBox(QStringLiteral("添加分类目录"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto *row = new QHBoxLayout(frame);
    name_ = new QLineEdit(frame);
    name_->setObjectName(QStringLiteral("Text1"));
    name_->setMinimumWidth(180);
    add_ = new QPushButton(QStringLiteral("添加"), frame);
    add_->setObjectName(QStringLiteral("Command1"));
    add_->setDefault(true);
    row->addWidget(name_, 1);
    row->addWidget(add_);
    layout->addWidget(frame);
    connect(add_, &QPushButton::clicked, this, &AddGroupDialog::add);
}

void AddGroupDialog::setSubGroupMode() { setWindowTitle(SubGroupCaption); }

bool AddGroupDialog::red(int mode)
{
    QString parent = QStringLiteral("0");
    if (mode == SubGroup)
        parent = currentKey_.isEmpty() ? AddressBook::allKey() : currentKey_;
    if (!context_.prompt.attempt(this, [&] { added_ = AddressBook(context_.data).addGroup(name_->text(), parent); }))
        return false;
    return true;
}

void AddGroupDialog::add()
{
    if (name_->text().trimmed().isEmpty()) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("分类目录不能为空！"));
        return;
    }
    if (!red(windowTitle() == SubGroupCaption ? SubGroup : TopLevel))
        return;
    emit added(added_);
    accept();
}
