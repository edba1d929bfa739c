// SPDX-License-Identifier: GPL-3.0-or-later
#include "accounts/account_dialog.h"

#include "accounts/button_row.h"
#include "core/dates.h"
#include "store/data_file.h"
#include "store/session.h"
#include "ui/field_label.h"
#include "ui/icons.h"
#include "ui/prompt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// "确定" (the default) and "取消", which rejects the dialog.
QHBoxLayout *okCancel(QDialog *dialog, QList<QPushButton *> &made)
{
    QHBoxLayout *row = buttonRow(dialog, {QStringLiteral("确定"), QStringLiteral("取消")}, made);
    made[0]->setDefault(true);
    QObject::connect(made[1], &QPushButton::clicked, dialog, &QDialog::reject);
    return row;
}

} // namespace

AccountDialog::AccountDialog(const AppContext &context, QWidget *parent, const std::optional<Account> &account)
    : QDialog(parent), context_(context), existing_(account)
{
    setObjectName(QStringLiteral("AccountDialog"));
    setWindowTitle(account ? QStringLiteral("修改账户") : QStringLiteral("添加账户"));
    setWindowIcon(Icons::icon(account ? Icons::Glyph::Edit : Icons::Glyph::Add));
    setModal(true);

    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("Text1"));
    kind_ = new QComboBox(this);
    kind_->setObjectName(QStringLiteral("Combo1"));
    kind_->addItems(Accounts::kinds());
    opening_ = new QLineEdit(this);
    opening_->setObjectName(QStringLiteral("Text2"));
    opening_->setPlaceholderText(QStringLiteral("0；信用卡欠款填负数"));
    hasDate_ = new QCheckBox(QStringLiteral("从这天起计算余额"), this);
    hasDate_->setObjectName(QStringLiteral("Check1"));
    date_ = new QDateEdit(QDate::currentDate(), this);
    date_->setObjectName(QStringLiteral("DTPicker1"));
    date_->setDisplayFormat(QStringLiteral("yyyy 年 MM月 dd日"));
    date_->setCalendarPopup(true);
    date_->setDateRange(Dates::firstEntryDay(), Dates::lastEntryDay());
    date_->setEnabled(false);
    note_ = new QLineEdit(this);
    note_->setObjectName(QStringLiteral("Text3"));
    note_->setPlaceholderText(QStringLiteral("例如卡号后四位"));
    closed_ = new QCheckBox(QStringLiteral("已关闭（不再出现在账户栏和选择列表中）"), this);
    closed_->setObjectName(QStringLiteral("Check2"));

    auto *form = new QFormLayout;
    auto addRow = [&](const QString &caption, QWidget *field) {
        form->addRow(fieldLabel(caption, field, this), field);
    };
    addRow(QStringLiteral("账户名称："), name_);
    addRow(QStringLiteral("类别："), kind_);
    addRow(QStringLiteral("期初余额："), opening_);
    addRow(QStringLiteral("期初日期："), date_);
    form->addRow(QString(), hasDate_);
    addRow(QStringLiteral("备注："), note_);
    form->addRow(QString(), closed_);
    hasDate_->setAccessibleName(hasDate_->text());
    closed_->setAccessibleName(QStringLiteral("已关闭"));

    QList<QPushButton *> b;
    QHBoxLayout *buttons = okCancel(this, b);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(hasDate_, &QCheckBox::toggled, date_, &QWidget::setEnabled);
    connect(b[0], &QPushButton::clicked, this, &AccountDialog::save);

    if (account) {
        name_->setText(account->name);
        kind_->setCurrentText(account->kind);
        opening_->setText(account->opening.plain());
        if (const std::optional<QDate> day = Dates::readDate(account->openingDate)) {
            hasDate_->setChecked(true);
            date_->setDate(*day);
        }
        note_->setText(account->note);
        closed_->setChecked(account->closed);
    } else {
        kind_->setCurrentText(QStringLiteral("其他"));
    }
}

Account AccountDialog::accountFromControls() const
{
    Account a;
    a.id = existing_ ? existing_->id : 0;
    a.name = name_->text().trimmed();
    a.kind = kind_->currentText();
    a.opening = Money::parse(opening_->text()).value_or(Money());
    a.openingDate = hasDate_->isChecked() ? Dates::storedDate(date_->date()) : QString();
    a.note = note_->text().trimmed();
    a.closed = closed_->isChecked();
    return a;
}

void AccountDialog::save()
{
    const Account account = accountFromControls();
    const int set = context_.session.CurrentAccountSetId;
    Accounts accounts(context_.data);
    const std::optional<std::optional<QString>> wrong =
        context_.prompt.attempt(this, [&] { return accounts.problem(set, account, opening_->text(), account.id); });
    if (!wrong)
        return;
    if (*wrong) {
        context_.prompt.information(this, QStringLiteral("提示"), **wrong);
        return;
    }
    if (existing_ && account.closed && !existing_->closed) {
        // Its balance today under the name its entries carry now.
        Account now = account;
        now.name = existing_->name;
        const std::optional<Money> balance =
            context_.prompt.attempt(this, [&] { return accounts.balance(set, now, QDate::currentDate()).balance(); });
        if (!balance)
            return;
        if (!balance->isZero() &&
            context_.prompt.message(this, Prompt::Icon::Question, QStringLiteral("问题"),
                                    QStringLiteral("账户“%1”的余额是 %2 元，不是0。关闭后它不再出现在账户栏和选择列表中。"
                                                   "确实要关闭它吗？")
                                        .arg(existing_->name, balance->grouped()),
                                    Prompt::Buttons::YesNo, Prompt::Answer::No) != Prompt::Answer::Yes)
            return;
    }
    if (!context_.prompt.attempt(this, [&] {
            if (existing_)
                accounts.save(set, account);
            else
                accounts.add(set, account);
        }))
        return;
    accept();
}

MergeAccountDialog::MergeAccountDialog(const QString &from, const QStringList &others, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("MergeAccount"));
    setWindowTitle(QStringLiteral("移到账户"));
    auto *label = new QLabel(QStringLiteral("把“%1”的记录移到：").arg(from), this);
    target_ = new QComboBox(this);
    target_->setObjectName(QStringLiteral("Combo1"));
    target_->setAccessibleName(QStringLiteral("移到"));
    target_->addItems(others);
    label->setBuddy(target_);
    QList<QPushButton *> b;
    QHBoxLayout *buttons = okCancel(this, b);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(target_);
    layout->addLayout(buttons);
    connect(b[0], &QPushButton::clicked, this, &QDialog::accept);
}

QString MergeAccountDialog::target() const { return target_->currentText(); }
