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
    accept();
}
