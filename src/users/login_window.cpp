// SPDX-License-Identifier: GPL-3.0-or-later
#include "users/login_window.h"

#include "store/data_file.h"
#include "store/session.h"
#include "ui/icons.h"
#include "ui/prompt.h"
#include "ui/skin.h"
#include "users/users.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace {

// The designed places, in twips (15 to a pixel): the inner area and each control's rectangle.
constexpr QSize Area(4830, 3060);
constexpr QRect TitlePlace(1200, 360, 3165, 330);
constexpr QRect UserNamePlace(1680, 1560, 2535, 375);
constexpr QRect PasswordPlace(1680, 2040, 2535, 375);
constexpr QRect LoginPlace(1680, 2600, 1215, 375);
constexpr QRect ExitPlace(3120, 2600, 1215, 375);

} // namespace

LoginWindow::LoginWindow(const AppContext &context, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), context_(context)
{
    Skin::attach();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("用户登录"));
    setWindowIcon(Icons::icon(Icons::Glyph::App));
    title_ = new QLabel(QStringLiteral("Tallyra Beat 2.64"), this);
    title_->setObjectName(QStringLiteral("Label1"));
    QFont titleFont(QStringLiteral("华文楷体"));
    titleFont.setPointSize(15);
    titleFont.setBold(true);
    title_->setFont(titleFont);

    userName_ = new QLineEdit(this);
    userName_->setObjectName(QStringLiteral("Text1_0"));
    // The fields' captions are drawn in the background picture; these name them too.
    userName_->setAccessibleName(QStringLiteral("用户名"));

    password_ = new QLineEdit(this);
    password_->setObjectName(QStringLiteral("Text1_1"));
    password_->setAccessibleName(QStringLiteral("密码"));
    password_->setEchoMode(QLineEdit::Password);

    loginButton_ = new QPushButton(QStringLiteral("登录(&E)"), this);
    loginButton_->setObjectName(QStringLiteral("Command1"));
    loginButton_->setDefault(true);

    exitButton_ = new QPushButton(QStringLiteral("退出(&X)"), this);
    exitButton_->setObjectName(QStringLiteral("Command2"));

    placeControls();

    connect(loginButton_, &QPushButton::clicked, this, &LoginWindow::login);
    connect(userName_, &QLineEdit::returnPressed, this, &LoginWindow::login);
    connect(password_, &QLineEdit::returnPressed, this, &LoginWindow::login);
    connect(exitButton_, &QPushButton::clicked, this, &QWidget::close);
    userName_->setFocus();
}

void LoginWindow::placeControls()
{
    // The designed picture, scaled as a whole (background included) as far as a larger font
    // needs for every control to show its text whole.
    const std::pair<QWidget *, QRect> places[] = {{title_, TitlePlace},
                                                  {userName_, UserNamePlace},
                                                  {password_, PasswordPlace},
                                                  {loginButton_, LoginPlace},
                                                  {exitButton_, ExitPlace}};
    qreal scale = 1;
    for (const auto &[widget, place] : places) {
        // A field needs the height of its text; a caption and a button their whole text.
        const QSize needed = qobject_cast<QLineEdit *>(widget) ? widget->minimumSizeHint() : widget->sizeHint();
        scale = std::max({scale, needed.width() * 15.0 / place.width(), needed.height() * 15.0 / place.height()});
    }
    auto scaled = [scale](int twips) { return qRound(twips * scale / 15); };
    for (const auto &[widget, place] : places)
        widget->setGeometry(scaled(place.left()), scaled(place.top()), scaled(place.width()), scaled(place.height()));
    setFixedSize(scaled(Area.width()), scaled(Area.height()));
}

bool LoginWindow::event(QEvent *event)
{
    // The font may have changed since the window was made.
    if (event->type() == QEvent::Show)
        placeControls();
    if (event->type() == QEvent::WindowActivate)
        userName_->setFocus();
    return QWidget::event(event);
}

void LoginWindow::closeEvent(QCloseEvent *event)
{
    emit closed();
    QWidget::closeEvent(event);
}

void LoginWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, Icons::loginBackground(size(), palette()));
}

void LoginWindow::login()
{
    FailureDelay &delay = context_.session.passwordDelay;
    if (const QString wait = delay.refusal(); !wait.isEmpty()) {
        context_.prompt.information(this, QStringLiteral("信息"), wait);
        return;
    }
    std::optional<LoginResult> user;
    try {
        user = Users(context_.data).login(userName_->text(), password_->text());
    } catch (const StoreError &error) {
        context_.prompt.reportError(this, error);
        return;
    }
    if (!user) {
        delay.failed();
        context_.prompt.information(this, QStringLiteral("信息"), QStringLiteral("密码错误或用户名不存在，请重新输入！"));
        return;
    }
    delay.succeeded();
    context_.session.CurrentUserName = user->userName;
    context_.session.CurrentAccountSetId = user->accountSetId;
    emit loggedIn();
}
