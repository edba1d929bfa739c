#pragma once

#include "ui/app_context.h"

#include <QDialog>
#include <QLabel>

class QMovie;

// A label that acts like a link: pointing hand, underlined, clicked().
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString &text, QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// "关于个人Tallyra": name, version, the web site (clickable) and the animation vazuda.gif.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(const AppContext &context, QWidget *parent = nullptr);

    // The animation of the program folder's vazuda.gif; null when the file is missing or
    // no animation.
    QMovie *animation() const { return movie_; }

private:
    AppContext context_;
    QMovie *movie_ = nullptr;
};
