// SPDX-License-Identifier: GPL-3.0-or-later
#include "maintenance/passphrase_window.h"

#include "maintenance/data_file_maintenance.h"
#include "store/data_file.h"
#include "store/session.h"
#include "ui/icons.h"
#include "ui/prompt.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

PassphraseWindow::PassphraseWindow(const AppContext &context, QWidget *parent) : QDialog(parent), context_(context)
{
    setObjectName(QStringLiteral("PassphraseWindow"));
    setWindowTitle(QStringLiteral("数据文件密码"));
    setWindowIcon(Icons::icon(Icons::Glyph::Key));
    setModal(true);

    auto *grid = new QGridLayout(this);
    int row = 0;
    auto field = [&](const QString &caption, const QString &name) {
        auto *label = new QLabel(caption, this);
        auto *edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setEchoMode(QLineEdit::Password);
        edit->setAccessibleName(caption);
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row++, 1);
        return edit;
    };
    const bool hasPassphrase = !context_.data.passphrase().isEmpty();
    if (hasPassphrase)
        current_ = field(QStringLiteral("当前密码(&C)："), QStringLiteral("Text1"));
    fresh_ = field(QStringLiteral("新密码(&N)："), QStringLiteral("Text2"));
    repeated_ = field(QStringLiteral("再输一次(&R)："), QStringLiteral("Text3"));

    auto *note = new QLabel(
        QStringLiteral("没有设置密码时，数据文件用程序内置的密码保护，别的程序也能打开它。"
                       "设置了密码，数据文件和以后的备份只有输入这个密码才能打开；忘记了密码，数据将无法找回。"
                       "新密码留空即取消密码。"),
        this);
    note->setObjectName(QStringLiteral("Label1"));
    note->setWordWrap(true);
    note->setMinimumWidth(320);
    grid->addWidget(note, row++, 0, 1, 2);

    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("Command2"));
    cancel->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, row, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(ok, &QPushButton::clicked, this, &PassphraseWindow::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    (current_ ? current_ : fresh_)->setFocus();
}

void PassphraseWindow::confirm()
{
    DataFile &data = context_.data;
    FailureDelay &delay = context_.session.passphraseDelay;
    if (const QString wait = delay.refusal(); !wait.isEmpty()) {
        context_.prompt.information(this, QStringLiteral("提示"), wait);
        return;
    }
    const QString problem = DataFileMaintenance::passphraseProblem(
        data.passphrase(), current_ ? current_->text() : QString(), fresh_->text(), repeated_->text());
    if (current_ && current_->text() != data.passphrase())
        delay.failed();
    if (!problem.isEmpty()) {
        context_.prompt.information(this, QStringLiteral("提示"), problem);
        return;
    }
    const QString fresh = fresh_->text();
    const QString old = data.passphrase();
    try {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        data.changePassphrase(fresh);
        QApplication::restoreOverrideCursor();
    } catch (const StoreError &error) {
        QApplication::restoreOverrideCursor();
        context_.prompt.reportError(this, error);
        return;
    }
    context_.prompt.information(
        this, QStringLiteral("信息"),
        fresh.isEmpty() ? QStringLiteral("数据文件密码已经取消，数据文件恢复为程序内置的密码。")
                        : QStringLiteral("数据文件密码已经设置。以后启动Tallyra时，要先输入这个密码。"));
    coverBackups(old);
    accept();
}

void PassphraseWindow::coverBackups(const QString &old)
{
    Prompt &prompt = context_.prompt;
    DataFileMaintenance maintenance(context_.data, context_.folder);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QStringList stale = maintenance.backupsUnderOtherKeys();
    QApplication::restoreOverrideCursor();
    if (stale.isEmpty())
        return;
    const bool removed = context_.data.passphrase().isEmpty();
    const QString question =
        removed ? QStringLiteral("Plug-Ins中有%1个以前的自动备份要用原来的数据文件密码才能打开。要把它们也改为程序内置的密码吗？")
                : QStringLiteral("Plug-Ins中有%1个以前的自动备份不用新密码也能打开。要把它们也改用新密码保护吗？");
    if (prompt.message(this, Prompt::Icon::Question, QStringLiteral("问题"), question.arg(stale.size()),
                       Prompt::Buttons::YesNo, Prompt::Answer::Yes) == Prompt::Answer::Yes) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        stale = maintenance.rekeyBackups(stale, {old, QString()});
        QApplication::restoreOverrideCursor();
        if (stale.isEmpty())
            return;
    }
    if (removed) {
        prompt.information(this, QStringLiteral("信息"),
                           QStringLiteral("Plug-Ins中的%1个旧备份仍然要用以前的数据文件密码才能打开。").arg(stale.size()));
        return;
    }
    if (prompt.message(this, Prompt::Icon::Question, QStringLiteral("问题"),
                       QStringLiteral("Plug-Ins中的%1个旧备份仍然不用新密码就能打开（用程序内置的密码或以前的密码），"
                                      "其中的数据和用户密码都没有新密码的保护。要删除这些旧备份吗？")
                           .arg(stale.size()),
                       Prompt::Buttons::YesNo, Prompt::Answer::No) != Prompt::Answer::Yes)
        return;
    const int deleted = DataFileMaintenance::deleteBackups(stale);
    prompt.information(this, QStringLiteral("信息"), QStringLiteral("已经删除%1个旧备份。").arg(deleted));
}
