// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

// A caption that acts like a link: a left click on it emits clicked().
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(const QString &text, QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
