// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/app_context.h"

#include <QDialog>
#include <QLabel>

class QMovie;

// "关于个人Tallyra": name, version, the web site (clickable) and the animation vazuda.gif.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(const AppContext &context, QWidget *parent = nullptr);

    // The animation of the installed vazuda.gif; null when the file is missing or no
    // animation.
    QMovie *animation() const { return movie_; }

private:
    AppContext context_;
    QMovie *movie_ = nullptr;
};
