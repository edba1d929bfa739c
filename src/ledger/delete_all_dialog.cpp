// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/delete_all_dialog.h"

#include "ledger/ledger.h"
#include "store/data_file.h"
#include "store/session.h"
#include "ui/icons.h"
#include "ui/prompt.h"
#include "ui/wait_cursor.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

DeleteAllDialog::DeleteAllDialog(const AppContext &context, QWidget *parent) : QDialog(parent), context_(context)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("帐户密码"));
    setWindowIcon(Icons::icon(Icons::Glyph::Key));
    setModal(true);

    auto *prompt = new QLabel(QStringLiteral("确认当前用户密码："), this);
    prompt->setObjectName(QStringLiteral("Label1"));
    password_ = new QLineEdit(this);
    password_->setObjectName(QStringLiteral("Text1"));
    prompt->setBuddy(password_);
    password_->setEchoMode(QLineEdit::Password);
    password_->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    password_->setFont(QFont(QStringLiteral("宋体")));
    password_->setMinimumWidth(2055 / 15);
    confirmButton_ = new QPushButton(QStringLiteral("确认"), this);
    confirmButton_->setObjectName(QStringLiteral("Command1"));
    auto *note = new QLabel(QStringLiteral("注：数据删除不可恢复，除非有备份数据。"), this);
    note->setObjectName(QStringLiteral("Label2"));
    note->setStyleSheet(QStringLiteral("color: #ff0000;"));

    auto *grid = new QGridLayout(this);
    grid->addWidget(prompt, 0, 0);
    grid->addWidget(password_, 0, 1);
    grid->addWidget(confirmButton_, 0, 2);
    grid->addWidget(note, 1, 0, 1, 3);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(confirmButton_, &QPushButton::clicked, this, &DeleteAllDialog::confirm);
    confirmButton_->setAutoDefault(false);
    password_->setFocus();
}

void DeleteAllDialog::confirm()
{
    Ledger ledger(context_.data);
    FailureDelay &delay = context_.session.passwordDelay;
    if (const QString wait = delay.refusal(); !wait.isEmpty()) {
        context_.prompt.information(this, QStringLiteral("信息"), wait);
        return;
    }
    try {
        if (!ledger.passwordMatches(context_.session.CurrentUserName, password_->text())) {
            delay.failed();
            context_.prompt.information(this, QStringLiteral("信息"), QStringLiteral("密码错误，请重新输入。"));
            return;
        }
        delay.succeeded();
        // Only the entries of the user's own account set; other users' ledgers stay. A large
        // ledger takes a while: the window paints meanwhile and says that it works.
        WaitCursor waiting;
        ledger.deleteAll(context_.session.CurrentAccountSetId);
    } catch (const StoreError &error) {
        context_.prompt.reportError(this, error);
        return;
    }
    context_.prompt.information(this, QStringLiteral("信息"), QStringLiteral("全部删除成功！如有重要数据，请使用恢复功能。"));
    emit deletedAll();
}
