// SPDX-License-Identifier: GPL-3.0-or-later
#include "users/user_account_window.h"

#include "store/sqlite_db.h"
#include "ui/icons.h"
#include "ui/prompt.h"
#include "ui/record_list.h"
#include "users/users.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString AddCaption = QStringLiteral("添加账号");
const QString DiscardAddCaption = QStringLiteral("放弃");
const QString ModifyCaption = QStringLiteral("修改");
const QString DiscardModifyCaption = QStringLiteral("放弃修改");

QLabel *label(const QString &name, const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

} // namespace

UserAccountWindow::UserAccountWindow(const AppContext &context, QWidget *parent) : QDialog(parent), context_(context)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("用户帐号管理"));
    setWindowIcon(Icons::icon(Icons::Glyph::User));
    setModal(true);

    // The edit area and, over it in the same place, the user list.
    auto *area = new QWidget(this);
    auto *areaLayout = new QGridLayout(area);
    areaLayout->setContentsMargins(0, 0, 0, 0);

    frame_ = new QGroupBox(QStringLiteral("帐号管理"), area);
    frame_->setObjectName(QStringLiteral("Frame1"));
    auto *fields = new QGridLayout(frame_);
    name_ = new QLineEdit(frame_);
    name_->setObjectName(QStringLiteral("Text1_0"));
    password_ = new QLineEdit(frame_);
    password_->setObjectName(QStringLiteral("Text1_1"));
    password_->setEchoMode(QLineEdit::Password);
    registered_ = new QLineEdit(frame_);
    registered_->setObjectName(QStringLiteral("Text1_3"));
    registered_->setReadOnly(true);
    auto *notNeeded = label(QStringLiteral("Label6"), QStringLiteral("*不用填写"), frame_);
    notNeeded->setStyleSheet(QStringLiteral("color: red;"));
    accountSet_ = new QComboBox(frame_);
    accountSet_->setObjectName(QStringLiteral("Combo1"));
    accountSet_->setEditable(false);
    auto *note = label(QStringLiteral("Label5_1"),
                       QStringLiteral("注：账套可以把不同的财务分开显示,互不干扰,需重新登录才生效。"), frame_);
    note->setWordWrap(true);

    // Each caption names its field (for screen readers and the accessibility tree).
    auto captioned = [&](const char *name, const QString &text, QWidget *field, int row) {
        QLabel *caption = label(QString::fromLatin1(name), text, frame_);
        caption->setBuddy(field);
        fields->addWidget(caption, row, 0);
        fields->addWidget(field, row, 1);
    };
    captioned("Label1", QStringLiteral("用户名："), name_, 0);
    captioned("Label2", QStringLiteral("密  码："), password_, 1);
    captioned("Label4", QStringLiteral("注册时间："), registered_, 2);
    fields->addWidget(notNeeded, 2, 2);
    captioned("Label5_0", QStringLiteral("账  套："), accountSet_, 3);
    fields->addWidget(note, 4, 0, 1, 3);
    fields->setColumnStretch(1, 1);
    fields->setRowStretch(5, 1);

    list_ = new RecordList(area);
    list_->setObjectName(QStringLiteral("ListView1"));
    list_->setAccessibleName(QStringLiteral("用户"));
    list_->setImageList({Icons::icon(Icons::Glyph::User)});
    // Sharing one cell, list and frame keep the same place and size whenever the window resizes.
    areaLayout->addWidget(frame_, 0, 0);
    areaLayout->addWidget(list_, 0, 0);
    list_->raise();

    auto *buttonRow = new QHBoxLayout;
    const QString captions[4] = {AddCaption, ModifyCaption, QStringLiteral("删除"), QStringLiteral("保存")};
    for (int i = 0; i < 4; ++i) {
        buttons_[i] = new QPushButton(captions[i], this);
        buttons_[i]->setObjectName(QStringLiteral("Command1_%1").arg(i));
        buttons_[i]->setAutoDefault(false);
        buttonRow->addWidget(buttons_[i]);
    }

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(area, 1);
    layout->addLayout(buttonRow);
    // The designed size, or taller where a larger font wraps the note into more lines.
    resize(QSize(6500 / 15, 4600 / 15).expandedTo(sizeHint()));

    connect(buttons_[0], &QPushButton::clicked, this, &UserAccountWindow::addOrDiscard);
    connect(buttons_[1], &QPushButton::clicked, this, &UserAccountWindow::modifyOrDiscard);
    connect(buttons_[2], &QPushButton::clicked, this, &UserAccountWindow::deleteUser);
    connect(buttons_[3], &QPushButton::clicked, this, &UserAccountWindow::save);
    connect(list_, &RecordList::rowClicked, this, [this] {
        for (int i = 0; i < 3; ++i)
            buttons_[i]->setEnabled(true);
    });
    connect(list_, &RecordList::doubleClicked, this, &UserAccountWindow::modifyOrDiscard);
    // Any change of a field, or a choice of account set, makes the user savable.
    for (QLineEdit *field : {name_, password_, registered_})
        connect(field, &QLineEdit::textChanged, this, [this] { buttons_[3]->setEnabled(true); });
    connect(accountSet_, &QComboBox::activated, this, [this] { buttons_[3]->setEnabled(true); });

    LoadDate();
    LoadData();
    buttons_[3]->setEnabled(true);
}

void UserAccountWindow::LoadDate()
{
    list_->setColumns({{QStringLiteral("用户名"), 2050},
                       {QString(), 0},
                       {QStringLiteral("密码"), 1000},
                       {QStringLiteral("注册时间"), 1800},
                       {QStringLiteral("账套"), 1200}});
    accountSet_->clear();
    std::vector<AccountSetChoice> sets;
    try {
        sets = Users(context_.data).accountSets();
    } catch (const StoreError &) {
        sets.clear();
    }
    for (const AccountSetChoice &set : sets)
        accountSet_->addItem(set.name, set.id);
    // The last account set of the list stands chosen.
    accountSet_->setCurrentIndex(accountSet_->count() - 1);
}

void UserAccountWindow::LoadData()
{
    std::vector<UserAccount> users;
    try {
        users = Users(context_.data).list();
    } catch (const StoreError &) {
        users.clear();
    }
    std::vector<RecordRow> rows;
    rows.reserve(users.size());
    const QString hidden = QStringLiteral("********");
    for (const UserAccount &user : users)
        rows.push_back(RecordRow({user.name, QString::number(user.id), hidden, user.registered, user.accountSetName}, 1));
    list_->setRows(std::move(rows));
    for (int i = 0; i < 3; ++i)
        buttons_[i]->setEnabled(true);
}

void UserAccountWindow::Load(qint64 id)
{
    std::optional<UserAccount> user;
    try {
        user = Users(context_.data).load(id);
    } catch (const StoreError &) {
        return;
    }
    if (!user)
        return;
    name_->setText(user->name);
    password_->setText(user->password);
    registered_->setText(user->registered);
    // A user whose account set is gone shows no choice and must be given one to be saved.
    accountSet_->setCurrentIndex(accountSet_->findData(user->accountSetId));
}

qint64 UserAccountWindow::chosenAccountSet() const
{
    return accountSet_->currentIndex() < 0 ? 0 : accountSet_->currentData().toLongLong();
}

bool UserAccountWindow::red()
{
    const QString name = name_->text();
    const int accountSet = chosenAccountSet();
    if (!context_.prompt.attempt(
            this, [&] { Users(context_.data).add(name, password_->text(), registered_->text(), accountSet); }))
        return false;
    context_.prompt.message(this, Prompt::Icon::Question, QStringLiteral("恭喜您"),
                            QStringLiteral("注册帐号成功！") + QStringLiteral("    用户帐号：") + name);
    return true;
}

bool UserAccountWindow::EditData(qint64 id)
{
    const int accountSet = chosenAccountSet();
    return context_.prompt.onRecord(
        this, QStringLiteral("提示"), QStringLiteral("这个用户帐号已经不存在了！"),
        [&] { return Users(context_.data).modify(id, name_->text(), password_->text(), accountSet); });
}

void UserAccountWindow::pressed(int index)
{
    for (QPushButton *button : buttons_)
        button->setEnabled(false);
    buttons_[index]->setEnabled(true);
}

bool UserAccountWindow::adding() const { return buttons_[0]->text() == DiscardAddCaption; }

void UserAccountWindow::addOrDiscard()
{
    pressed(0);
    if (buttons_[0]->text() == AddCaption) {
        buttons_[0]->setText(DiscardAddCaption);
        registered_->setText(Users::registrationTime());
        list_->hide();
        name_->clear();
        password_->clear();
        buttons_[3]->setEnabled(true);
    } else {
        buttons_[0]->setText(AddCaption);
        list_->show();
    }
}

void UserAccountWindow::modifyOrDiscard()
{
    pressed(1);
    if (buttons_[1]->text() == ModifyCaption) {
        buttons_[1]->setText(DiscardModifyCaption);
        list_->hide();
        const QString id = list_->selectedId();
        if (id.isEmpty())
            context_.prompt.information(this, QStringLiteral("信息"), QStringLiteral("请选择信息修改!"));
        else
            Load(id.toLongLong());
    } else {
        buttons_[1]->setText(ModifyCaption);
        list_->show();
    }
}

void UserAccountWindow::deleteUser()
{
    pressed(2);
    const QString id = list_->selectedId();
    if (id.isEmpty())
        return;
    if (!context_.prompt.confirm(this, QStringLiteral("提示"), QStringLiteral("确定删除选定的信息吗?")))
        return;
    Users::Removal removal;
    if (!context_.prompt.attempt(this, [&] { removal = Users(context_.data).remove(id.toLongLong()); }))
        return;
    if (removal == Users::Removal::LastUser) {
        context_.prompt.information(this, QStringLiteral("提示"),
                                    QStringLiteral("不能删除最后一个用户帐号，否则将没有人能够登录！"));
        return;
    }
    LoadData();
}

void UserAccountWindow::save()
{
    pressed(3);
    if (name_->text().isEmpty()) {
        context_.prompt.message(this, Prompt::Icon::Question, QStringLiteral("警告"),
                                QStringLiteral("请输入你有注册的用户帐号！"));
        password_->clear();
        return;
    }
    const bool add = adding();
    const QString id = list_->selectedId();
    if (!add && buttons_[1]->text() == DiscardModifyCaption && id.isEmpty()) {
        context_.prompt.information(this, QStringLiteral("信息"), QStringLiteral("请选择信息修改!"));
        return;
    }
    if (!add && buttons_[1]->text() != DiscardModifyCaption) {
        // Neither adding nor modifying: there is nothing to save.
        return;
    }
    if (chosenAccountSet() == 0) {
        context_.prompt.information(this, QStringLiteral("提示"), QStringLiteral("请选择用户所属的账套！"));
        return;
    }
    // The mode is left only once the user is stored; a failure keeps what was typed.
    if (add) {
        if (!red())
            return;
        buttons_[0]->setText(AddCaption);
    } else {
        if (!EditData(id.toLongLong()))
            return;
        buttons_[1]->setText(ModifyCaption);
    }
    list_->show();
    buttons_[3]->setEnabled(false);
    LoadData();
}
