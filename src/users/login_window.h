// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/app_context.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

// The first window: user name and password, checked against the users of the data file.
class LoginWindow : public QWidget {
    Q_OBJECT
public:
    explicit LoginWindow(const AppContext &context, QWidget *parent = nullptr);

    // "登录(&E)": on success the session holds the user and loggedIn() is emitted.
    void login();

signals:
    void loggedIn();
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    // Places the controls where they were designed, larger when the font needs it.
    void placeControls();

    AppContext context_;
    QLabel *title_ = nullptr;
    QLineEdit *userName_ = nullptr;
    QLineEdit *password_ = nullptr;
    QPushButton *loginButton_ = nullptr;
    QPushButton *exitButton_ = nullptr;
};
