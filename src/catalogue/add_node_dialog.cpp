// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/add_node_dialog.h"

#include "catalogue/catalogue.h"
#include "store/sqlite_db.h"
#include "ui/prompt.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

AddNodeDialog::AddNodeDialog(const AppContext &context, QWidget *parent) : QDialog(parent), context_(context)
{
    setObjectName(QStringLiteral("AddNodeDialog"));
    setModal(true);
    setWindowTitle(Catalogue::dialogTitle(Catalogue::AccountSets));

    frame_ = new QGroupBox(QStringLiteral("添加分类目录"), this);
    frame_->setObjectName(QStringLiteral("Frame1"));
    name_ = new QLineEdit(frame_);
    name_->setObjectName(QStringLiteral("Text1"));
    name_->setAccessibleName(QStringLiteral("名称"));
    addButton_ = new QPushButton(QStringLiteral("添加"), frame_);
    addButton_->setObjectName(QStringLiteral("Command1"));
    addButton_->setDefault(true);

    auto *row = new QHBoxLayout(frame_);
    row->addWidget(name_, 1);
    row->addWidget(addButton_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame_);
    resize(4200 / 15, 1300 / 15);

    connect(addButton_, &QPushButton::clicked, this, &AddNodeDialog::add);
}

void AddNodeDialog::add()
{
    if (name_->text().isEmpty()) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("分类目录不能为空！请输入。"));
        return;
    }
    if (red(Catalogue::kindForTitle(windowTitle())))
        accept();
}

bool AddNodeDialog::red(int kind)
{
    QString key;
    // The dialog stays open with the name, so nothing typed is lost.
    if (!context_.prompt.attempt(this, [&] { key = Catalogue(context_.data).add(kind, parentKey_, name_->text()); }))
        return false;
    emit nodeAdded(key);
    return true;
}
